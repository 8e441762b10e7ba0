// The child runner of the end-to-end benches: posix_spawn through the peak-memory launcher.
#include "child_run.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace larkspur::bench {

bool parseBenchArgs(int argc, char** argv, const char* program, BenchArgs& args) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--cli" && i + 1 < argc) {
      args.cli = argv[++i];
    } else if (a == "--runs" && i + 1 < argc) {
      args.runs = std::max(1, std::atoi(argv[++i]));
    } else if (a == "-h" || a == "--help") {
      std::printf("usage: %s [--cli PATH] [--runs N] [FOLDER]\n", program);
      return false;
    } else {
      args.corpus = a;
    }
  }
  return true;
}

RunResult runChild(const std::vector<std::string>& argv, const std::filesystem::path& dir) {
  const std::filesystem::path result = dir / ".peak_rss";
  std::vector<std::string> full{LARKSPUR_PEAK_RSS_PATH, result.string()};
  full.insert(full.end(), argv.begin(), argv.end());
  std::vector<char*> args;
  for (const auto& a : full)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0)
    throw std::runtime_error("cannot start " + full[0]);
  int status = 0;
  if (waitpid(pid, &status, 0) != pid)
    throw std::runtime_error("wait failed");
  const auto stop = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error(argv[0] + " failed (status " + std::to_string(status) + ")");
  long peak = 0;
  double cpu = 0;
  std::ifstream(result) >> peak >> cpu;
  std::filesystem::remove(result);
  return {std::chrono::duration<double>(stop - start).count(), peak, cpu};
}

} // namespace larkspur::bench
