// Code pages, drives, the interrupt flag, message boxes and the module name on POSIX, where
// names are kept byte for byte and there are no drive letters or volume labels.
#include <signal.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "platform/platform.h"

namespace larkspur::platform {

namespace {

// Set from the signal handler; lock-free so the handler may touch it.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// The first signal asks the running operation to stop and clean up; a second one ends the
// process the default way (only async-signal-safe calls here).
extern "C" void onInterrupt(int signal) {
  if (interrupted.exchange(true)) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
  }
}

// Ctrl-C, a kill without -9, and the terminal going away.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

} // namespace

std::string ansiToOem(const std::string& text) {
  return text;
}
std::string oemToAnsi(const std::string& text) {
  return text;
}
bool isLeadByte(unsigned char) {
  return false;
}

DriveType driveType(const std::string& root) {
  return directoryExists(root) ? DriveType::Fixed : DriveType::NoRootDir;
}
std::string volumeLabel(const std::string&) {
  return std::string();
}
bool setVolumeLabel(const std::string&, const std::string&) {
  return false;
}

std::int64_t diskFreeSpace(const std::string& root) {
  struct statvfs fs {};
  if (::statvfs(root.empty() ? "." : root.c_str(), &fs) != 0)
    return -1;
  return static_cast<std::int64_t>(fs.f_bavail) * static_cast<std::int64_t>(fs.f_frsize);
}

void processMessages() {}
bool cancelRequested() {
  return interrupted.load();
}

void installInterruptHandler() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a wait for another run's lock ends at the signal.
  for (const int signal : kStopSignals)
    ::sigaction(signal, &action, nullptr);
}

int messageBox(const std::string& text, const std::string& caption, unsigned) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  return idOk;
}

std::string moduleFileName() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof path)
    return std::string();
  return std::string(path, static_cast<std::size_t>(n));
}

} // namespace larkspur::platform
