// Test helpers for real windows: pumping messages, control rectangles and texts, screenshots,
// and a watcher that reads and dismisses the message boxes a call shows.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace larkspur::dialog::testing {

// Dispatches pending messages for about `milliseconds`.
void pumpMessages(int milliseconds = 0);

// The control's rectangle in its parent's client coordinates.
RECT rectInParent(HWND control);
std::string windowTextA(HWND window);
std::wstring windowTextW(HWND window);
std::wstring utf8ToWide(std::string_view utf8);

// Saves what the screen shows of `window` as a 24-bit BMP; false when it cannot.
bool saveScreenshot(HWND window, const std::string& path);
// Where test artifacts go: the build tree, as Wine sees it.
std::string artifactPath(const std::string& name);

// What a message box showed.
struct SeenBox {
  std::wstring caption;
  std::wstring text;
  bool ownerDisabled = false; // modal to its owner
  bool hasIcon = false;
  std::vector<int> visibleButtons; // IDOK, IDCANCEL, ...
};

// From construction to destruction, answers every message box of this process with OK and
// records what it showed.
class MessageBoxWatcher {
public:
  MessageBoxWatcher();
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  std::vector<SeenBox> boxes();

private:
  void watch();

  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<SeenBox> boxes_;
  std::thread thread_;
};

// Runs `action` with a watcher answering its message boxes; returns what they showed.
std::vector<SeenBox> boxesShownDuring(const std::function<void()>& action);

} // namespace larkspur::dialog::testing
