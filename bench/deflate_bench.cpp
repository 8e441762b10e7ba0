// Speed and size of our Deflate against zlib's at the same level, file by file over a corpus
// (median of several runs, both measured in the same run), with totals and ratios; with
// --gzip, the corpus as one tar against the system's gzip and zlib, alternating; with
// --digest, a digest of every output (--check compares them with a recorded list); or, with
// --raw, the raw stream of one file for comparison from outside.
//
//   deflate_bench [--runs N] [--levels 1,6,9] [--digest] [--check FILE] [--gzip] [CORPUS_DIR]
//   deflate_bench --raw LEVEL INFILE OUTFILE
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;
#endif

#include "deflate/crc32.h"
#include "deflate/deflate.h"

#if LARKSPUR_HAVE_ZLIB
#include <zlib.h>
#endif

namespace {

using namespace larkspur::deflate;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

// What a zip writer does around the compressor: input from memory with the CRC kept on the
// way, output appended to memory.
class TBenchIo : public TDeflateIo {
public:
  TBenchIo(const Bytes& input, Bytes& output) : input_(input), output_(output) {}
  std::uint32_t read(std::uint8_t* destination, std::uint32_t count) override {
    const std::uint32_t n = std::uint32_t(std::min<std::size_t>(count, input_.size() - offset_));
    if (n != 0)
      std::memcpy(destination, input_.data() + offset_, n);
    offset_ += n;
    crc = update_crc(crc, destination, n);
    return n;
  }
  void write(const std::uint8_t* buffer, std::uint32_t count) override {
    output_.insert(output_.end(), buffer, buffer + count);
  }
  std::uint32_t crc = kCrcPreset;

private:
  const Bytes& input_;
  Bytes& output_;
  std::size_t offset_ = 0;
};

Bytes readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
    std::exit(1);
  }
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TDeflateResult compressOurs(TDeflateBuffers& buffers, const Bytes& input, int level, Bytes& out) {
  out.clear();
  TBenchIo io(input, out);
  return deflate_entry(buffers, level, io);
}

#if LARKSPUR_HAVE_ZLIB
// zlib's raw deflate with the same window and hash size, plus its CRC-32, as a zip writer
// would use it.
std::size_t compressZlib(const Bytes& input, int level, Bytes& out) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  out.resize(deflateBound(&z, uLong(input.size())));
  z.next_in = const_cast<Bytef*>(input.data());
  z.avail_in = uInt(input.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  deflate(&z, Z_FINISH);
  const std::size_t size = z.total_out;
  deflateEnd(&z);
  volatile uLong crc = crc32(0, input.data(), uInt(input.size()));
  (void)crc;
  return size;
}

bool inflatesTo(const Bytes& stream, const Bytes& expected) {
  z_stream z{};
  inflateInit2(&z, -15);
  Bytes out(expected.size() + 1);
  z.next_in = const_cast<Bytef*>(stream.data());
  z.avail_in = uInt(stream.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  const int rc = inflate(&z, Z_FINISH);
  inflateEnd(&z);
  out.resize(z.total_out);
  return rc == Z_STREAM_END && out == expected;
}
#endif

template <typename F> double seconds(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double mbPerSecond(std::uint64_t bytes, double secs) {
  return secs > 0 ? bytes / 1e6 / secs : 0;
}

int rawMode(int level, const char* inPath, const char* outPath) {
  const Bytes input = readFile(inPath);
  TDeflateBuffers buffers;
  Bytes out;
  const TDeflateResult r = compressOurs(buffers, input, level, out);
  std::ofstream(outPath, std::ios::binary)
      .write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
  std::printf("method=%u flags=%u internal=%u size=%llu\n", r.method, r.flagBits,
              r.internalAttributes, static_cast<unsigned long long>(r.compressedSize));
  return 0;
}

std::vector<fs::path> corpusFiles(const fs::path& dir) {
  std::vector<fs::path> files;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (e.is_regular_file() && name != "README.md" && name != "SHA256SUMS")
      files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

#if LARKSPUR_HAVE_ZLIB
constexpr bool kHaveZlib = true;
#else
constexpr bool kHaveZlib = false;
#endif

// Shortest time one timed run should take.
constexpr double kMinRunSeconds = 0.05;

// Recorded digests ("L<level> <name>" to the whole line), or an empty map with ok = false.
std::map<std::string, std::string> loadDigests(const fs::path& path, bool& ok) {
  std::map<std::string, std::string> lines;
  std::ifstream in(path);
  ok = bool(in);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t at = line.find(" L");
    if (at != std::string::npos)
      lines[line.substr(at + 1)] = line;
  }
  return lines;
}

#if !defined(_WIN32)
// Processor time of this thread: the figure that other developers' load on a shared machine
// disturbs least.
double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

template <typename F> double cpuSeconds(F&& f) {
  const double start = threadSeconds();
  f();
  return threadSeconds() - start;
}

// Runs `gzip -LEVEL -c FILE` with its output thrown away; returns the child's user plus
// system time and sets `size` to the compressed size it reports on its standard output.
double gzipSeconds(int level, const fs::path& file, std::uint64_t& size) {
  const fs::path out = file.string() + ".gz";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::string flag = "-" + std::to_string(level);
  std::string name = file.string();
  char gzip[] = "gzip";
  char c[] = "-c";
  char* argv[] = {gzip, flag.data(), c, name.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "gzip", &actions, nullptr, argv, environ) != 0) {
    std::fprintf(stderr, "cannot run gzip\n");
    std::exit(1);
  }
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  size = fs::file_size(out);
  fs::remove(out);
  const auto toSeconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
  return toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
}

// The 1-minute load average (other users of a shared machine), or -1 where unknown.
double loadAverage() {
  double load = -1;
  if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(f, "%lf", &load) != 1)
      load = -1;
    std::fclose(f);
  }
  return load;
}

// The corpus as one tar (sorted names, so every run compresses the same bytes), compressed by
// ours, gzip and zlib in turn within each run; medians of processor time.
int gzipMode(const fs::path& dir, const std::vector<int>& levels, int runs) {
  const fs::path tar =
      fs::temp_directory_path() / ("deflate_bench_" + std::to_string(getpid()) + ".tar");
  const std::string command =
      "tar --sort=name -cf '" + tar.string() + "' -C '" + dir.string() + "' .";
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "cannot make %s\n", tar.string().c_str());
    return 1;
  }
  const Bytes input = readFile(tar);
  TDeflateBuffers buffers;
  Bytes ours, theirs;
  std::printf("corpus as one tar: %zu bytes; processor time, median of %d alternating runs; "
              "load average %.2f at the start\n",
              input.size(), runs, loadAverage());
  std::printf("%2s %9s %9s %9s %8s %8s %10s %10s %10s\n", "L", "ours MB/s", "gzip MB/s",
              "zlib MB/s", "vs gzip", "vs zlib", "ours size", "gzip size", "zlib size");
  for (const int level : levels) {
    std::vector<double> oursTimes, gzipTimes, zlibTimes;
    std::uint64_t gzipSize = 0;
    std::size_t zlibSize = 0;
    for (int r = 0; r < runs; ++r) {
      oursTimes.push_back(cpuSeconds([&] { compressOurs(buffers, input, level, ours); }));
      gzipTimes.push_back(gzipSeconds(level, tar, gzipSize));
#if LARKSPUR_HAVE_ZLIB
      zlibTimes.push_back(cpuSeconds([&] { zlibSize = compressZlib(input, level, theirs); }));
#endif
    }
    const double o = median(oursTimes), g = median(gzipTimes);
    const double z = zlibTimes.empty() ? 0 : median(zlibTimes);
    std::printf("%2d %9.1f %9.1f %9.1f %7.2fx %7.2fx %10zu %10llu %10zu\n", level,
                mbPerSecond(input.size(), o), mbPerSecond(input.size(), g),
                mbPerSecond(input.size(), z), g / o, z > 0 ? z / o : 0, ours.size(),
                static_cast<unsigned long long>(gzipSize), zlibSize);
    std::fflush(stdout);
  }
  std::printf("load average %.2f at the end\n", loadAverage());
  fs::remove(tar);
  return 0;
}
#endif

struct TTotals {
  std::uint64_t bytes = 0, oursSize = 0, zlibSize = 0;
  double oursSeconds = 0, zlibSeconds = 0;
};

} // namespace

int main(int argc, char** argv) {
  int runs = 3;
  bool digest = false;
  bool gzip = false;
  fs::path checkFile;
  std::vector<int> levels = {1, 6, 9};
  fs::path dir = fs::path(LARKSPUR_SHARED_DIR) / "corpora" / "bench";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--raw" && i + 3 < argc)
      return rawMode(std::atoi(argv[i + 1]), argv[i + 2], argv[i + 3]);
    if (a == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--levels" && i + 1 < argc) {
      levels.clear();
      for (const char* p = argv[++i]; *p; ++p)
        if (*p >= '1' && *p <= '9')
          levels.push_back(*p - '0');
    } else if (a == "--digest") {
      digest = true;
    } else if (a == "--check" && i + 1 < argc) {
      digest = true;
      checkFile = argv[++i];
    } else if (a == "--gzip") {
      gzip = true;
    } else if (!a.empty() && a[0] != '-') {
      dir = a;
    } else {
      std::fprintf(stderr,
                   "usage: deflate_bench [--runs N] [--levels 169] [--digest] [--check FILE] "
                   "[--gzip] [CORPUS_DIR]\n"
                   "       deflate_bench --raw LEVEL INFILE OUTFILE\n");
      return 2;
    }
  }

  if (gzip) {
#if defined(_WIN32)
    std::fprintf(stderr, "--gzip needs a POSIX system\n");
    return 2;
#else
    return gzipMode(dir, levels, runs);
#endif
  }
  bool checkable = true;
  const std::map<std::string, std::string> recorded =
      checkFile.empty() ? std::map<std::string, std::string>{} : loadDigests(checkFile, checkable);
  if (!checkable) {
    std::fprintf(stderr, "cannot read %s\n", checkFile.string().c_str());
    return 1;
  }
  int changed = 0;
  const std::vector<fs::path> files = corpusFiles(dir);
  TDeflateBuffers buffers; // one set for the whole run, as a zip operation has
  Bytes ours, theirs;
  std::vector<TTotals> totals(levels.size());
  if (!digest)
    std::printf("%-44s %9s %2s %9s %9s %6s %10s %10s %7s\n", "file", "bytes", "L", "ours MB/s",
                "zlib MB/s", "speed", "ours size", "zlib size", "size");
  for (const fs::path& path : files) {
    const Bytes input = readFile(path);
    const std::string name = fs::relative(path, dir).generic_string();
    for (std::size_t l = 0; l < levels.size(); ++l) {
      const int level = levels[l];
      if (digest) {
        const TDeflateResult r = compressOurs(buffers, input, level, ours);
        char line[512];
        std::snprintf(line, sizeof line, "%08x %10llu %u %u %u L%d %s",
                      update_crc(kCrcPreset, ours.data(), ours.size()) ^ kCrcPreset,
                      static_cast<unsigned long long>(r.compressedSize), r.method, r.flagBits,
                      r.internalAttributes, level, name.c_str());
        char key[480];
        std::snprintf(key, sizeof key, "L%d %s", level, name.c_str());
        if (checkFile.empty()) {
          std::printf("%s\n", line);
        } else if (const auto it = recorded.find(key); it == recorded.end() || it->second != line) {
          std::printf("changed: %s (recorded: %s)\n", line,
                      it == recorded.end() ? "none" : it->second.c_str());
          ++changed;
        }
        continue;
      }
      // A run repeats the compression until it has taken a measurable time, so small files
      // are timed as reliably as large ones; both compressors get the same repetitions.
      const double once = seconds([&] { compressOurs(buffers, input, level, ours); });
      const int repeats = int(std::clamp(kMinRunSeconds / std::max(once, 1e-6), 1.0, 1000.0));
      std::vector<double> oursTimes, zlibTimes;
      std::size_t zlibSize = 0;
      for (int r = 0; r < runs; ++r) {
        oursTimes.push_back(seconds([&] {
                              for (int k = 0; k < repeats; ++k)
                                compressOurs(buffers, input, level, ours);
                            }) /
                            repeats);
#if LARKSPUR_HAVE_ZLIB
        zlibTimes.push_back(seconds([&] {
                              for (int k = 0; k < repeats; ++k)
                                zlibSize = compressZlib(input, level, theirs);
                            }) /
                            repeats);
#endif
      }
#if LARKSPUR_HAVE_ZLIB
      if (!inflatesTo(ours, input) && ours != input)
        std::printf("!! %s level %d: output does not inflate to the input\n", name.c_str(), level);
#endif
      const double oursT = median(oursTimes);
      const double zlibT = zlibTimes.empty() ? 0 : median(zlibTimes);
      TTotals& t = totals[l];
      t.bytes += input.size();
      t.oursSize += ours.size();
      t.zlibSize += zlibSize;
      t.oursSeconds += oursT;
      t.zlibSeconds += zlibT;
      std::printf("%-44s %9zu %2d %9.1f %9.1f %5.2fx %10zu %10zu %7.4f\n", name.c_str(),
                  input.size(), level, mbPerSecond(input.size(), oursT),
                  mbPerSecond(input.size(), zlibT), zlibT > 0 ? zlibT / oursT : 0, ours.size(),
                  zlibSize, zlibSize ? double(ours.size()) / double(zlibSize) : 0);
      std::fflush(stdout);
    }
  }
  if (!checkFile.empty())
    std::printf("%d of %zu outputs differ from %s\n", changed, files.size() * levels.size(),
                checkFile.string().c_str());
  if (digest)
    return changed == 0 ? 0 : 1;
#if defined(_WIN32)
  const char* clock = "wall time";
#else
  const char* clock = "processor time";
#endif
  std::printf("\nTotals over %zu files (MB = 10^6 bytes of input per second of %s, median of %d "
              "runs per file; speed = ours MB/s / zlib MB/s; size = ours / zlib)%s:\n",
              files.size(), clock, runs, kHaveZlib ? "" : "; zlib not built in, ours only");
  for (std::size_t l = 0; l < levels.size(); ++l) {
    const TTotals& t = totals[l];
    std::printf("level %d: %llu bytes; ours %.1f MB/s, zlib %.1f MB/s, speed %.2fx; ours %llu "
                "bytes (%.2f%%), zlib %llu bytes (%.2f%%), size %.4f\n",
                levels[l], static_cast<unsigned long long>(t.bytes),
                mbPerSecond(t.bytes, t.oursSeconds), mbPerSecond(t.bytes, t.zlibSeconds),
                t.zlibSeconds > 0 ? t.zlibSeconds / t.oursSeconds : 0,
                static_cast<unsigned long long>(t.oursSize), 100.0 * t.oursSize / t.bytes,
                static_cast<unsigned long long>(t.zlibSize), 100.0 * t.zlibSize / t.bytes,
                t.zlibSize ? double(t.oursSize) / double(t.zlibSize) : 0);
  }
  return 0;
}
