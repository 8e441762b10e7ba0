// The add-to-archive dialog as a real window: the form's controls at their fixed positions in
// the dialog's own theme, wired to the portable controller, which it serves as view.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "dialog/add_to_archive_form.h"
#include "dialog/add_to_archive_view.h"
#include "dialog/archive_writer.h"
#include "dialog/file_probe.h"
#include "dialog/win32/skin_controls.h"

namespace larkspur::dialog::win32 {

inline constexpr wchar_t kFormClass[] = L"LarkspurAddToArchiveForm";

// Child window identifiers (also how tests find the controls).
enum ControlId : int {
  idLabel5 = 100,
  idGroupBox,
  idEdit1,
  idZipPB,
  idPanel,
  idAddButton,
  idCancelButton,
  idListBox1,
  idPasswordB,
};

// System-menu command that rolls the window up to its caption and back (custom system
// commands keep the low four bits clear).
inline constexpr UINT kRollUpCommand = 0x0010;

// The form's window class, registered for the lifetime of the returned object.
std::unique_ptr<WindowClass> registerFormClass();

class AddToArchiveWindow final : public AddToArchiveView {
public:
  // Creates the window and its controls, hidden. The form's class and the skin classes must
  // be registered.
  AddToArchiveWindow(std::unique_ptr<ArchiveWriter> writer, const FileProbe& files);
  ~AddToArchiveWindow() override;
  AddToArchiveWindow(const AddToArchiveWindow&) = delete;
  AddToArchiveWindow& operator=(const AddToArchiveWindow&) = delete;

  // Puts `paths` into the list, proposes the name and shows the window without waiting.
  void open(const std::vector<std::string>& paths);

  TAddToArchiveForm& form() { return form_; }
  HWND handle() const { return window_; }
  HWND control(ControlId id) const;
  // Hidden for good (cancel, the close icon, or the end of a direct compression).
  bool closed() const { return closed_; }
  bool rolledUp() const { return rolledUp_; }

  TextForm textForm() const override { return TextForm::Gbk; }
  void setTopLine(const std::string& text) override;
  void setEditText(const std::string& text) override;
  std::string editText() const override;
  void setProgress(int percent) override;
  void showWarning(const std::string& text) override;
  void showFailure(const std::string& text) override;
  void showLeftOut(const std::vector<LeftOutFile>& files) override;
  void close() override;

private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void createControls();
  void onCommand(int id, int code);
  void toggleRollUp();

  // Destroys the window (and its controls) first, cutting it off from this object, also when
  // construction fails half-way.
  class OwnedWindow {
  public:
    OwnedWindow() = default;
    ~OwnedWindow();
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;
    OwnedWindow& operator=(HWND window) {
      handle = window;
      return *this;
    }
    operator HWND() const { return handle; }

  private:
    HWND handle = nullptr;
  };

  std::unique_ptr<ArchiveWriter> writer_;
  TAddToArchiveForm form_;
  Font font_;
  OwnedWindow window_;
  bool closed_ = false;
  bool rolledUp_ = false;
  int fullHeight_ = 0;
};

} // namespace larkspur::dialog::win32
