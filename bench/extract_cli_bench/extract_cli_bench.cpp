// Times `larkspur-zip extract` against `unzip -q -o` and `7z x -y` on the same archive in the
// same run (the bench corpus zipped at level 9 by Info-ZIP zip): median wall time of several
// runs into a fresh folder each, and peak memory of each child; then our peak memory on an
// archive a tenth the size, which should be the same (constant in the archive's size).
#include <unistd.h>

#include "child_run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using larkspur::bench::runChild;
using larkspur::bench::RunResult;

constexpr int kDefaultRuns = 5; // odd, so the median is one of the runs
static_assert(kDefaultRuns % 2 == 1);

struct Measure {
  double medianSeconds = 0;
  long peakKiB = 0;
};

// Runs `argv` `runs` times, each into an emptied `out`.
Measure measure(const std::vector<std::string>& argv, const fs::path& dir, const fs::path& out,
                int runs) {
  std::vector<double> times;
  Measure m;
  for (int i = 0; i < runs; ++i) {
    fs::remove_all(out);
    const RunResult r = runChild(argv, dir);
    times.push_back(r.seconds);
    m.peakKiB = std::max(m.peakKiB, r.peakKiB);
  }
  fs::remove_all(out);
  std::sort(times.begin(), times.end());
  m.medianSeconds = times[times.size() / 2];
  return m;
}

void report(const char* label, const Measure& m, double ours) {
  std::printf("  %-36s %8.3f s  %8ld KiB peak  %5.2fx ours\n", label, m.medianSeconds, m.peakKiB,
              m.medianSeconds / ours);
}

bool onPath(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

void zipFolder(const fs::path& folder, const fs::path& archive) {
  const std::string command =
      "cd '" + folder.string() + "' && zip -q -r -9 '" + archive.string() + "' .";
  if (std::system(command.c_str()) != 0)
    throw std::runtime_error("zip failed: " + command);
}

} // namespace

int main(int argc, char** argv) {
  larkspur::bench::BenchArgs args{fs::path(LARKSPUR_SHARED_DIR) / "corpora" / "bench",
                                  LARKSPUR_CLI_PATH, kDefaultRuns};
  if (!larkspur::bench::parseBenchArgs(argc, argv, "extract_cli_bench", args))
    return 0;
  fs::path corpus = args.corpus;
  fs::path cli = args.cli;
  const int runs = args.runs;
  try {
    if (!onPath("zip"))
      throw std::runtime_error("Info-ZIP zip is needed to build the archive");
    const fs::path work =
        fs::temp_directory_path() / ("extract_cli_bench." + std::to_string(getpid()));
    fs::create_directories(work);
    const fs::path archive = work / "bench.zip";
    zipFolder(corpus, archive);
    std::uintmax_t bytes = 0;
    for (const auto& e : fs::recursive_directory_iterator(corpus))
      bytes += e.is_regular_file() ? e.file_size() : 0;
    std::printf("extract_cli_bench: %s, %.1f MB in %.1f MB archive, median of %d runs\n",
                corpus.string().c_str(), bytes / 1e6, fs::file_size(archive) / 1e6, runs);

    const fs::path out = work / "out";
    const Measure ours =
        measure({cli.string(), "extract", archive.string(), "-d", out.string()}, work, out, runs);
    report("larkspur-zip extract", ours, ours.medianSeconds);
    if (onPath("unzip")) {
      report("unzip -q -o",
             measure({"unzip", "-q", "-o", archive.string(), "-d", out.string()}, work, out, runs),
             ours.medianSeconds);
    }
    if (onPath("7z")) {
      report("7z x -y",
             measure({"7z", "x", "-y", "-o" + out.string(), archive.string()}, work, out, runs),
             ours.medianSeconds);
    }

    // The same program on a much smaller archive: its peak memory should not shrink with it.
    fs::path small;
    for (const auto& e : fs::directory_iterator(corpus)) {
      if (e.is_directory()) {
        small = e.path();
        break;
      }
    }
    if (!small.empty()) {
      const fs::path smallArchive = work / "small.zip";
      zipFolder(small, smallArchive);
      const Measure s = measure(
          {cli.string(), "extract", smallArchive.string(), "-d", out.string()}, work, out, 1);
      std::printf("  larkspur-zip extract, %.1f MB archive: %ld KiB peak (%.1f MB archive: %ld)\n",
                  fs::file_size(smallArchive) / 1e6, s.peakKiB, fs::file_size(archive) / 1e6,
                  ours.peakKiB);
    }
    fs::remove_all(work);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "extract_cli_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
