// Times `larkspur-zip compress` with one compression thread and with one per core against
// `zip -9 -r -j -q` on the same folder in the same run, the three taking turns: median wall time,
// archive size, peak memory of each child process, and the speed against zip; the archives of one
// thread and of every core must be the same byte for byte. Then a selection of 200 small files,
// where every item rebuilds the archive through the carry-over.
#include "child_run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using larkspur::bench::runChild;
using larkspur::bench::RunResult;

constexpr int kDefaultRuns = 3;             // odd, so the median is one of the runs
constexpr int kSmallFileCount = 200;        // the selection size of the carry-over case
constexpr std::size_t kSmallFileMax = 6000; // small files: a few KB each, like source files
static_assert(kDefaultRuns % 2 == 1);

struct Measure {
  double medianSeconds = 0;
  double medianCpuSeconds = 0;
  long peakKiB = 0;
  std::uintmax_t archiveBytes = 0;
};

// Runs `argv` `runs` times, deleting `archive` before each run.
Measure measure(const std::vector<std::string>& argv, const fs::path& dir, const fs::path& archive,
                int runs) {
  std::vector<double> times;
  Measure m;
  for (int i = 0; i < runs; ++i) {
    fs::remove(archive);
    const RunResult r = runChild(argv, dir);
    times.push_back(r.seconds);
    m.peakKiB = std::max(m.peakKiB, r.peakKiB);
  }
  std::sort(times.begin(), times.end());
  m.medianSeconds = times[times.size() / 2];
  m.archiveBytes = fs::file_size(archive);
  return m;
}

// One program of the folder comparison: its command and the archive it writes.
struct Contender {
  std::string label;
  std::vector<std::string> argv;
  fs::path archive;
  std::vector<double> times;
  std::vector<double> cpuTimes;
  Measure measure;
  std::string bytes; // the archive of the last run
};

// Every contender once per round, `runs` rounds, so a change in the machine's load touches all.
void measureInTurns(std::vector<Contender>& contenders, const fs::path& dir, int runs) {
  for (int i = 0; i < runs; ++i) {
    for (Contender& c : contenders) {
      fs::remove(c.archive);
      const RunResult r = runChild(c.argv, dir);
      c.times.push_back(r.seconds);
      c.cpuTimes.push_back(r.cpuSeconds);
      c.measure.peakKiB = std::max(c.measure.peakKiB, r.peakKiB);
    }
  }
  for (Contender& c : contenders) {
    std::sort(c.times.begin(), c.times.end());
    std::sort(c.cpuTimes.begin(), c.cpuTimes.end());
    c.measure.medianSeconds = c.times[c.times.size() / 2];
    c.measure.medianCpuSeconds = c.cpuTimes[c.cpuTimes.size() / 2];
    c.measure.archiveBytes = fs::file_size(c.archive);
    std::ifstream in(c.archive, std::ios::binary);
    c.bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
}

// The 1-minute load average, to say how busy the machine was.
std::string loadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

void report(const char* label, const Measure& m) {
  std::printf("  %-34s %8.3f s  %12ju bytes  %8ld KiB peak\n", label, m.medianSeconds,
              m.archiveBytes, m.peakKiB);
}

// 200 small files cut from the text files of the corpus, so their content is realistic.
std::vector<std::string> makeSmallFiles(const fs::path& corpus, const fs::path& dir) {
  std::string text;
  for (const auto& e : fs::recursive_directory_iterator(corpus)) {
    if (!e.is_regular_file())
      continue;
    const auto ext = e.path().extension().string();
    if (ext != ".txt" && ext != ".xml")
      continue;
    std::ifstream in(e.path(), std::ios::binary);
    text.append(std::istreambuf_iterator<char>(in), {});
    if (text.size() > kSmallFileCount * kSmallFileMax)
      break;
  }
  if (text.empty())
    throw std::runtime_error("no text files in " + corpus.string());
  fs::create_directories(dir);
  std::vector<std::string> names;
  std::size_t at = 0;
  for (int i = 0; i < kSmallFileCount; ++i) {
    const std::size_t size = 500 + (static_cast<std::size_t>(i) * 7919) % (kSmallFileMax - 500);
    if (at + size > text.size())
      at = 0;
    char name[32];
    std::snprintf(name, sizeof name, "small%03d.txt", i);
    std::ofstream(dir / name, std::ios::binary).write(text.data() + at, std::streamsize(size));
    at += size;
    names.push_back(name);
  }
  return names;
}

} // namespace

int main(int argc, char** argv) {
  larkspur::bench::BenchArgs args{fs::path(LARKSPUR_SHARED_DIR) / "corpora" / "bench",
                                  LARKSPUR_CLI_PATH, kDefaultRuns};
  if (!larkspur::bench::parseBenchArgs(argc, argv, "compress_bench", args))
    return 0;
  fs::path corpus = args.corpus;
  fs::path cli = args.cli;
  const int runs = args.runs;
  try {
    corpus = fs::canonical(corpus);
    cli = fs::absolute(cli);
    char tmpl[] = "/tmp/compress_bench.XXXXXX";
    if (!mkdtemp(tmpl))
      throw std::runtime_error("cannot make a work folder");
    const fs::path work = tmpl;
    // The archive goes beside the selected folder, so the folder is copied into the work area.
    const fs::path item = work / corpus.filename();
    fs::copy(corpus, item, fs::copy_options::recursive);
    // A read-only folder would go to the writer as a plain path (the dialog's rule) and add
    // nothing; the copy is made an ordinary writable folder like a user's own.
    fs::permissions(item, fs::perms::owner_write, fs::perm_options::add);
    for (const auto& e : fs::recursive_directory_iterator(item)) {
      fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add);
    }
    const std::string name = corpus.filename().string();

    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::printf("folder %s, median of %d runs taking turns, %u cores, load average %s\n",
                corpus.c_str(), runs, cores, loadAverage().c_str());
    const fs::path ourArchive = work / (name + ".zip");
    std::vector<Contender> folder(3);
    folder[0].label = "larkspur-zip compress --threads 1";
    folder[0].argv = {cli.string(), "compress", "--threads", "1", name};
    folder[0].archive = ourArchive;
    folder[1].label = "larkspur-zip compress (every core)";
    folder[1].argv = {cli.string(), "compress", name};
    folder[1].archive = ourArchive;
    folder[2].label = "zip -9 -r -j -q";
    folder[2].argv = {"zip", "-9", "-r", "-j", "-q", (work / "info.zip").string(), name + "/"};
    folder[2].archive = work / "info.zip";
    measureInTurns(folder, work, runs);
    const Measure& zip = folder.back().measure;
    for (const Contender& c : folder) {
      report(c.label.c_str(), c.measure);
      std::printf("  %-34s %8.3f s processor time (all threads)\n", "", c.measure.medianCpuSeconds);
      if (&c != &folder.back()) {
        std::printf("  %-34s %8.2fx zip -9 in wall time, %.2fx in processor time\n", "",
                    zip.medianSeconds / c.measure.medianSeconds,
                    zip.medianCpuSeconds / c.measure.medianCpuSeconds);
      }
    }
    const bool identical = folder[0].bytes == folder[1].bytes;
    std::printf("  archives of one thread and of every core: %s\n",
                identical ? "identical" : "DIFFERENT");
    if (!identical)
      throw std::runtime_error("the archive depends on the number of threads");

    const fs::path smallDir = work / "small";
    const auto names = makeSmallFiles(corpus, smallDir);
    std::vector<std::string> ours{cli.string(), "compress"};
    std::vector<std::string> theirs{"zip", "-9", "-j", "-q", (work / "small.zip").string()};
    ours.insert(ours.end(), names.begin(), names.end());
    theirs.insert(theirs.end(), names.begin(), names.end());
    std::printf("%d small files (one Zip call per item, each rebuilding the archive)\n",
                kSmallFileCount);
    report("larkspur-zip compress (200 items)",
           measure(ours, smallDir, smallDir / "small000.zip", runs));
    report("zip -9 -j -q (one call)", measure(theirs, smallDir, work / "small.zip", runs));
    // The same one item at a time, as the menu's flow makes zip update its archive 200 times.
    report(
        "zip -9 -j -q (one call per item)",
        measure({"/bin/sh", "-c", "for f in small*.txt; do zip -9 -j -q ../each.zip \"$f\"; done"},
                smallDir, work / "each.zip", runs));
    fs::remove_all(work);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "compress_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
