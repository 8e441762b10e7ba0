// The base of Larkspur.exe's windows: one window class whose procedure hands every message to the
// C++ object, the dialog's skin and font, control creation at fixed 96-dpi positions, and a modal
// message loop for the questions.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/win32/form_layout.h"
#include "dialog/win32/skin_controls.h"

namespace larkspur::app::win32 {

using dialog::win32::ControlRect;

// GBK fixed text or ANSI system text (archive and entry names) to UTF-16.
std::wstring gbk(std::string_view text);
std::wstring ansi(std::string_view text);

// The window classes every window of the program needs, registered for the program's run.
class WindowClasses {
public:
  WindowClasses();

private:
  std::vector<std::unique_ptr<dialog::win32::WindowClass>> classes_;
};

class AppWindow {
public:
  virtual ~AppWindow();
  AppWindow(const AppWindow&) = delete;
  AppWindow& operator=(const AppWindow&) = delete;

  HWND handle() const { return window_; }
  // A control by its identifier, also inside the group boxes and the button panel.
  HWND control(int id) const;
  std::string controlTextAnsi(int id) const;
  void show();

protected:
  // Creates the window hidden with a client area of exactly `width` x `height`, centred.
  AppWindow(std::string_view gbkCaption, int width, int height, HWND owner = nullptr);
  HWND addControl(HWND parent, int id, const wchar_t* windowClass, const std::wstring& text,
                  DWORD style, DWORD exStyle, const ControlRect& rect);
  HWND addGroup(int id, std::string_view gbkCaption, const ControlRect& rect);
  HWND addPanel(int id, const ControlRect& rect);
  HWND addButton(HWND parent, int id, std::string_view gbkText, const ControlRect& rect);

  // Runs messages until `done_` (the window disabled its owner meanwhile).
  void runModal();
  void endModal() { done_ = true; }
  // Handles pending messages without waiting.
  void pump();

  virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void onButton(int /*id*/) {}

  bool done_ = false;

private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  dialog::win32::Font font_;
  HWND window_ = nullptr;
  HWND owner_ = nullptr;
};

} // namespace larkspur::app::win32
