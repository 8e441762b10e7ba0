// Runs a benchmark's peer or our own program as a child process through the tiny peak-memory
// launcher, so every figure of a bench comes from the same kind of measurement.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace larkspur::bench {

struct RunResult {
  double seconds = 0;    // wall time of the child
  long peakKiB = 0;      // its peak resident memory
  double cpuSeconds = 0; // processor time of all its threads (what a busy machine leaves alone)
};

// The options every end-to-end bench takes: [--cli PATH] [--runs N] [FOLDER].
struct BenchArgs {
  std::filesystem::path corpus; // default: the shared bench corpus
  std::filesystem::path cli;    // default: the larkspur-zip of this build
  int runs = 0;
};

// Reads the options; returns false when the usage was asked for (and printed).
bool parseBenchArgs(int argc, char** argv, const char* program, BenchArgs& args);

// Runs `argv` in `dir`, waits, and returns its wall time and peak RSS; throws when it cannot
// start or exits with a non-zero status.
RunResult runChild(const std::vector<std::string>& argv, const std::filesystem::path& dir);

} // namespace larkspur::bench
