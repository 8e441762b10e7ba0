// Decoding speed of our inflater against zlib's inflate: the corpus compressed once by zlib at
// a level (9 by default), then both decoders over every stream through the same 256 KB output
// buffer, alternating, several runs; prints the median throughput of each and their ratio.
// Every decoded stream is checked against its input once. Times are the thread's CPU time, so
// other work on a shared machine does not count against either decoder.
//
//   inflate_bench [--runs N] [--level L] [--files] [CORPUS_DIR]
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "inflate/inflater.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The output buffer an extractor would write files from.
constexpr std::size_t kOutputChunk = 256 * 1024;

struct Sample {
  std::string name;
  Bytes input;
  Bytes stream;
};

Bytes readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Bytes zlibDeflate(const Bytes& input, int level) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, uLong(input.size())));
  z.next_in = const_cast<Bytef*>(input.data());
  z.avail_in = uInt(input.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  ::deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Each decoder hands every chunk to `sink`, which checks or ignores it.
template <typename Sink>
void inflateOurs(larkspur::inflate::Inflater& inflater, const Bytes& stream, Bytes& out,
                 Sink&& sink) {
  inflater.reset();
  std::size_t offset = 0;
  for (;;) {
    const auto step = inflater.inflate(std::span(stream).subspan(offset), out, true);
    offset += step.consumed;
    sink(out.data(), step.produced);
    if (step.finished)
      return;
  }
}

template <typename Sink>
void inflateZlib(z_stream& z, const Bytes& stream, Bytes& out, Sink&& sink) {
  inflateReset(&z);
  z.next_in = const_cast<Bytef*>(stream.data());
  z.avail_in = uInt(stream.size());
  for (;;) {
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int status = ::inflate(&z, Z_NO_FLUSH);
    sink(out.data(), out.size() - z.avail_out);
    if (status == Z_STREAM_END)
      return;
    if (status != Z_OK) {
      std::fprintf(stderr, "zlib failed: %d\n", status);
      std::exit(1);
    }
  }
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
  int runs = 5;
  int level = 9;
  bool perFile = false;
  fs::path corpus = fs::path(LARKSPUR_SHARED_DIR) / "corpora" / "bench";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--level" && i + 1 < argc)
      level = std::atoi(argv[++i]);
    else if (arg == "--files")
      perFile = true;
    else
      corpus = arg;
  }

  std::vector<Sample> samples;
  std::vector<fs::path> paths;
  for (const auto& item : fs::recursive_directory_iterator(corpus))
    if (item.is_regular_file() && item.path().extension() != ".md" &&
        item.path().filename() != "SHA256SUMS")
      paths.push_back(item.path());
  std::sort(paths.begin(), paths.end());
  std::size_t totalIn = 0, totalStream = 0;
  for (const fs::path& path : paths) {
    Sample s{fs::relative(path, corpus).string(), readFile(path), {}};
    s.stream = zlibDeflate(s.input, level);
    totalIn += s.input.size();
    totalStream += s.stream.size();
    samples.push_back(std::move(s));
  }
  std::printf("corpus %s: %zu files, %.1f MB, zlib level %d: %.1f MB\n", corpus.string().c_str(),
              samples.size(), totalIn / 1e6, level, totalStream / 1e6);

  larkspur::inflate::Inflater inflater;
  z_stream z{};
  inflateInit2(&z, -15);
  Bytes out(kOutputChunk);

  // Both must reproduce every input before anything is timed.
  for (const Sample& s : samples) {
    std::size_t oursAt = 0, zlibAt = 0;
    bool same = true;
    inflateOurs(inflater, s.stream, out, [&](const std::uint8_t* p, std::size_t n) {
      same = same && oursAt + n <= s.input.size() && std::memcmp(p, &s.input[oursAt], n) == 0;
      oursAt += n;
    });
    inflateZlib(z, s.stream, out, [&](const std::uint8_t* p, std::size_t n) {
      same = same && zlibAt + n <= s.input.size() && std::memcmp(p, &s.input[zlibAt], n) == 0;
      zlibAt += n;
    });
    if (!same || oursAt != s.input.size() || zlibAt != s.input.size()) {
      std::fprintf(stderr, "%s: decoded bytes differ from the input\n", s.name.c_str());
      return 1;
    }
  }

  const auto ignore = [](const std::uint8_t*, std::size_t) {};
  std::vector<std::vector<double>> oursTimes(samples.size()), zlibTimes(samples.size());
  std::vector<double> oursTotals, zlibTotals;
  for (int run = 0; run < runs; ++run) {
    double oursTotal = 0, zlibTotal = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
      const double t0 = cpuSeconds();
      inflateOurs(inflater, samples[i].stream, out, ignore);
      const double t1 = cpuSeconds();
      inflateZlib(z, samples[i].stream, out, ignore);
      const double t2 = cpuSeconds();
      const double ours = t1 - t0;
      const double zlib = t2 - t1;
      oursTimes[i].push_back(ours);
      zlibTimes[i].push_back(zlib);
      oursTotal += ours;
      zlibTotal += zlib;
    }
    oursTotals.push_back(oursTotal);
    zlibTotals.push_back(zlibTotal);
  }
  inflateEnd(&z);

  if (perFile) {
    std::printf("%-46s %10s %10s %6s\n", "file", "ours MB/s", "zlib MB/s", "ratio");
    for (std::size_t i = 0; i < samples.size(); ++i) {
      const double mb = samples[i].input.size() / 1e6;
      const double ours = median(oursTimes[i]), zlib = median(zlibTimes[i]);
      std::printf("%-46s %10.1f %10.1f %6.2f\n", samples[i].name.c_str(), mb / ours, mb / zlib,
                  zlib / ours);
    }
  }
  const double ours = median(oursTotals), zlib = median(zlibTotals);
  std::printf("median of %d runs: ours %.1f MB/s, zlib %.1f MB/s, ratio %.2fx\n", runs,
              totalIn / 1e6 / ours, totalIn / 1e6 / zlib, zlib / ours);
  return 0;
}
