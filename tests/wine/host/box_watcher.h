// Answers the message box that a call on this thread is about to show: a watcher thread waits
// for a dialog-class window of the given thread, records its caption, text and make-up, and
// presses OK.
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
  HWND owner() const { return owner_; }
  // Modal: its owner was disabled while it showed.
  bool ownerDisabled() const { return ownerDisabled_; }
  // It showed the system's error icon and OK as its only visible button.
  bool errorIcon() const { return errorIcon_; }
  bool okOnly() const { return okOnly_; }

private:
  void watch(DWORD thread);
  void record(HWND box);
  std::string caption_;
  std::string text_;
  HWND owner_ = nullptr;
  bool ownerDisabled_ = false;
  bool errorIcon_ = false;
  bool okOnly_ = false;
  volatile bool seen_ = false;
  volatile bool stop_ = false;
  std::thread worker_;
};

// The warning checks every modal error box of the product has to pass: `expectedText` (GBK),
// caption, owner disabled, error icon, OK only. `where` names the check in a failure.
void ExpectErrorBox(const TBoxWatcher& box, const std::string& expectedCaption,
                    const std::string& expectedText, const char* where);

} // namespace larkspur::wine
