// The dialog's own minimal theme: a captioned group box and a bevelled button panel, both
// container windows that pass their children's notifications on to the form, plus the RAII
// owners of window classes and fonts.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

namespace larkspur::dialog::win32 {

inline constexpr wchar_t kGroupBoxClass[] = L"LarkspurSkinGroupBox";
inline constexpr wchar_t kPanelClass[] = L"LarkspurSkinPanel";

// The module (DLL or program) this code was linked into.
HINSTANCE moduleInstance();

// A registered window class, unregistered when destroyed (a DLL's classes are not unregistered
// when it unloads, and would then point into unmapped code).
class WindowClass {
public:
  explicit WindowClass(const WNDCLASSEXW& description);
  ~WindowClass();
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;

private:
  const wchar_t* name_;
};

// The group box and panel classes.
std::vector<std::unique_ptr<WindowClass>> registerSkinClasses();

// Owns a GDI font.
class Font {
public:
  Font(int height, BYTE charset, const wchar_t* face);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  HFONT handle() const { return font_; }

private:
  HFONT font_;
};

} // namespace larkspur::dialog::win32
