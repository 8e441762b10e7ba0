// The shell host's hands on the add-to-archive dialog.
#include "host/dialog_driver.h"

#include "dialog/win32/add_to_archive_window.h"
#include "host/extension.h"

namespace larkspur::wine {

using dialog::win32::ControlId;

namespace {

HWND child(HWND parent, ControlId container, ControlId id) {
  return GetDlgItem(GetDlgItem(parent, container), id);
}

} // namespace

TDialogDriver TDialogDriver::Find() {
  HWND window = FindWindowW(dialog::win32::kFormClass, nullptr);
  return TDialogDriver(window != nullptr && IsWindowVisible(window) ? window : nullptr);
}

HWND TDialogDriver::edit() const {
  return child(window_, dialog::win32::idGroupBox, dialog::win32::idEdit1);
}

HWND TDialogDriver::addButton() const {
  return child(window_, dialog::win32::idPanel, dialog::win32::idAddButton);
}

HWND TDialogDriver::cancelButton() const {
  return child(window_, dialog::win32::idPanel, dialog::win32::idCancelButton);
}

HWND TDialogDriver::progressBar() const {
  return GetDlgItem(window_, dialog::win32::idZipPB);
}

std::string TDialogDriver::editText() const {
  char text[1024] = {};
  GetWindowTextA(edit(), text, sizeof text);
  return text;
}

void TDialogDriver::typeName(const std::string& name) const {
  SendMessageA(edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

void TDialogDriver::clickAdd() const {
  SendMessageA(addButton(), BM_CLICK, 0, 0);
}

void TDialogDriver::clickCancel() const {
  SendMessageA(cancelButton(), BM_CLICK, 0, 0);
}

HRESULT ModuleCanUnloadNow() {
  using CanUnloadNowFn = HRESULT(WINAPI*)();
  const auto canUnloadNow = ExportOf<CanUnloadNowFn>(ExtensionModule(), "DllCanUnloadNow");
  return canUnloadNow != nullptr ? canUnloadNow() : E_FAIL;
}

} // namespace larkspur::wine
