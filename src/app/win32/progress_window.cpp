// The progress window's controls and its answers to the engine's callbacks.
#include "app/win32/progress_window.h"

#include <commctrl.h>

#include "app/app_texts.h"
#include "platform/paths.h"

namespace larkspur::app::win32 {
namespace {

enum : int { idArchive = 200, idEntry, idBar, idPanel, idCancel };

constexpr int kWidth = 449;
constexpr int kHeight = 130;
constexpr ControlRect kArchiveRect{12, 10, 425, 13};
constexpr ControlRect kEntryRect{12, 30, 425, 13};
constexpr ControlRect kBarRect{12, 54, 425, 20};
constexpr ControlRect kPanelRect{0, 89, kWidth, 41};
constexpr ControlRect kCancelRect{187, 8, 75, 25};
static_assert(kPanelRect.top + kPanelRect.height == kHeight, "the panel sits on the bottom edge");
static_assert(kCancelRect.left * 2 + kCancelRect.width == kWidth, "取消 is centred");

} // namespace

ProgressWindow::ProgressWindow(const std::string& archive, Questions& questions, TestHook* hook)
    : AppWindow(texts::kProgressCaption, kWidth, kHeight), questions_(questions), hook_(hook) {
  addControl(handle(), idArchive, L"STATIC",
             gbk(texts::kArchiveLabel) + ansi(paths::ExtractFileName(archive)),
             SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, 0, kArchiveRect);
  addControl(handle(), idEntry, L"STATIC", gbk(texts::kEntryLabel),
             SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, 0, kEntryRect);
  const HWND bar = addControl(handle(), idBar, PROGRESS_CLASSW, L"", WS_BORDER, 0, kBarRect);
  SendMessageW(bar, PBM_SETRANGE32, 0, 100);
  const HWND panel = addPanel(idPanel, kPanelRect);
  addButton(panel, idCancel, texts::kCancelButton, kCancelRect);
  show();
  SetFocus(control(idCancel)); // Esc or the space bar stops the run
}

void ProgressWindow::showEntry(const std::string& entry) {
  SetWindowTextW(control(idEntry), (gbk(texts::kEntryLabel) + ansi(entry)).c_str());
  if (hook_)
    hook_->record("entry", entry);
  pump();
}

void ProgressWindow::showPercent(int percent) {
  if (percent != percent_) {
    percent_ = percent;
    SendMessageW(control(idBar), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  }
  // The automation mode's cancel presses the real button once data is flowing.
  if (hook_ && !cancelPosted_ && percent > 0 && hook_->next("cancel")) {
    cancelPosted_ = true;
    PostMessageW(handle(), WM_COMMAND, MAKEWPARAM(idCancel, BN_CLICKED),
                 reinterpret_cast<LPARAM>(control(idCancel)));
  }
  pump();
}

bool ProgressWindow::cancelRequested() {
  pump();
  return cancelRequested_;
}

std::optional<std::string> ProgressWindow::askPassword(bool again) {
  return questions_.askPassword(handle(), again);
}

extract::OverwriteAnswer ProgressWindow::askOverwrite(const std::string& path) {
  return questions_.askOverwrite(handle(), path);
}

void ProgressWindow::onButton(int id) {
  if (id == idCancel || id == IDCANCEL) {
    cancelRequested_ = true;
    EnableWindow(control(idCancel), FALSE);
  }
}

} // namespace larkspur::app::win32
