// Answers the message box that a call on this thread is about to show: a watcher thread waits
// for a dialog-class window of the given thread, records its caption and text, and presses OK.
#pragma once

#include <windows.h>

#include <string>
#include <thread>

namespace larkspur::wine {

class TBoxWatcher {
public:
  explicit TBoxWatcher(DWORD thread = GetCurrentThreadId());
  ~TBoxWatcher(); // stops waiting
  TBoxWatcher(const TBoxWatcher&) = delete;
  TBoxWatcher& operator=(const TBoxWatcher&) = delete;

  // After the call returned: whether a box was seen, and what it said.
  bool seen() const;
  const std::string& caption() const { return caption_; }
  const std::string& text() const { return text_; }

private:
  void watch(DWORD thread);
  std::string caption_;
  std::string text_;
  volatile bool seen_ = false;
  volatile bool stop_ = false;
  std::thread worker_;
};

} // namespace larkspur::wine
