// The progress mode of the shell host. A watcher thread reads the bar while the run goes on
// (the writer lets messages through, so the dialog's thread answers); the hold is a message to
// a window of the dialog's thread, whose handler waits for the screenshot.
#include "host/progress_mode.h"

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "host/box_watcher.h"
#include "host/check.h"
#include "host/dialog_driver.h"
#include "host/extension.h"
#include "host/marker_file.h"

namespace larkspur::wine {

namespace {

// Half-way, with room on both sides for a bar that moves between two looks.
constexpr int kLowPercent = 40;
constexpr int kHighPercent = 60;
static_assert(kLowPercent < kHighPercent && kHighPercent < 100);
constexpr DWORD kPollMilliseconds = 10;
constexpr UINT kAnswerMilliseconds = 5000;
constexpr DWORD kHoldMilliseconds = 60000; // at most, for the screenshot
constexpr UINT kHoldMessage = WM_APP + 1;

struct THold {
  std::string doneMarker;
};

LRESULT CALLBACK holdProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kHoldMessage)
    return DefWindowProcA(window, message, wParam, lParam);
  const auto* hold = reinterpret_cast<const THold*>(lParam);
  for (DWORD waited = 0; waited < kHoldMilliseconds; waited += 50) {
    if (GetFileAttributesA(hold->doneMarker.c_str()) != INVALID_FILE_ATTRIBUTES)
      return 1;
    Sleep(50);
  }
  return 0;
}

// The bar's position as the dialog's thread answers it, or -1 when it does not.
int barPosition(HWND bar) {
  DWORD_PTR position = 0;
  if (!SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_NORMAL, kAnswerMilliseconds, &position))
    return -1;
  return static_cast<int>(position);
}

struct TWatch {
  bool caughtHalfWay = false;
  bool secondPressDuringRun = false;
  bool held = false;
};

void watchRun(const TDialogDriver& dialog, HWND holder, const std::string& markers,
              const std::atomic<bool>& runEnded, TWatch& watch) {
  while (!runEnded) {
    const int percent = barPosition(dialog.progressBar());
    if (percent >= kLowPercent && percent <= kHighPercent) {
      watch.caughtHalfWay = true;
      // Handled by the dialog's thread inside the run. Sent with a time limit, like every
      // message here: should the run end first, that thread waits for this one.
      DWORD_PTR ignored = 0;
      SendMessageTimeoutA(dialog.addButton(), BM_CLICK, 0, 0, SMTO_NORMAL, kAnswerMilliseconds,
                          &ignored);
      watch.secondPressDuringRun = !runEnded && barPosition(dialog.progressBar()) < 100;
      RECT frame = {};
      GetWindowRect(dialog.window(), &frame);
      char line[96];
      std::snprintf(line, sizeof line, "%d %ld %ld %ld %ld\n", barPosition(dialog.progressBar()),
                    frame.left, frame.top, frame.right, frame.bottom);
      WriteMarker(markers + "dialog-mid.txt", line);
      THold hold{markers + "shot-done.txt"};
      DWORD_PTR held = 0;
      watch.held =
          SendMessageTimeoutA(holder, kHoldMessage, 0, reinterpret_cast<LPARAM>(&hold), SMTO_NORMAL,
                              kHoldMilliseconds + kAnswerMilliseconds, &held) &&
          held == 1;
      return;
    }
    Sleep(kPollMilliseconds);
  }
}

} // namespace

int RunProgress(const std::string& markers, const std::string& file) {
  {
    ComPtr<IContextMenu> menu;
    ExtensionFor(menu, {file});
    HOST_CHECK(static_cast<bool>(menu));
    if (menu)
      HOST_CHECK_HR(Invoke(menu.get(), 2), S_OK);
  }
  const TDialogDriver dialog = TDialogDriver::Find();
  HOST_CHECK(static_cast<bool>(dialog));
  if (!dialog)
    return ExitStatus();

  WNDCLASSA holdClass = {};
  holdClass.lpfnWndProc = holdProc;
  holdClass.hInstance = GetModuleHandleA(nullptr);
  holdClass.lpszClassName = "LarkspurHostHold";
  RegisterClassA(&holdClass);
  HWND holder = CreateWindowExA(0, holdClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, holdClass.hInstance, nullptr);

  std::atomic<bool> runEnded{false};
  TWatch watch;
  std::thread watcher([&] { watchRun(dialog, holder, markers, runEnded, watch); });
  {
    TBoxWatcher box; // the second press must not show "archive exists" or anything else
    dialog.clickAdd();
    runEnded = true;
    HOST_CHECK(!box.seen());
  }
  watcher.join();
  DestroyWindow(holder);
  HOST_CHECK(watch.caughtHalfWay);
  HOST_CHECK(watch.secondPressDuringRun);
  HOST_CHECK(watch.held);
  HOST_CHECK(barPosition(dialog.progressBar()) == 100);
  dialog.clickCancel();
  HOST_CHECK_HR(ModuleCanUnloadNow(), S_OK);
  return ExitStatus();
}

} // namespace larkspur::wine
