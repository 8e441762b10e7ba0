// Reaching the add-to-archive dialog the extension opened on this thread, the way a user would:
// its window by class, the name edit, the buttons and the progress bar; typing and clicking
// with window messages.
#pragma once

#include <windows.h>

#include <string>

namespace larkspur::wine {

class TDialogDriver {
public:
  TDialogDriver() = default;
  // The visible dialog, if there is one.
  static TDialogDriver Find();

  explicit operator bool() const { return window_ != nullptr; }
  HWND window() const { return window_; }
  HWND edit() const;
  HWND addButton() const;
  HWND cancelButton() const;
  HWND progressBar() const;

  std::string editText() const;
  void typeName(const std::string& name) const; // GBK
  // A click runs the button's whole command before it returns (a run, a box).
  void clickAdd() const;
  void clickCancel() const;
  bool visible() const { return IsWindowVisible(window_) != FALSE; }
  bool enabled() const { return IsWindowEnabled(window_) != FALSE; }

private:
  explicit TDialogDriver(HWND window) : window_(window) {}
  HWND window_ = nullptr;
};

// DllCanUnloadNow of the registered module.
HRESULT ModuleCanUnloadNow();

} // namespace larkspur::wine
