// The compress commands of the context menu: a dialog left open for the user, or one that
// compresses at once under the proposed name and closes. Nothing here lets a failure escape.
#include "dialog/commands.h"

#include <exception>

#include "dialog/add_to_archive_form.h"
#include "dialog/dialog_texts.h"
#include "dialog/win32/dialog_registry.h"

namespace larkspur::dialog {
namespace {

// When the window itself cannot be made, say so in a plain box.
void reportUnexpected(const char* what) {
  MessageBoxA(nullptr, failureText(what).c_str(), nullptr, MB_OK | MB_ICONERROR);
}

// Runs a command; whatever it raises is shown, never passed on to the shell.
template <typename Command> void reportingFailures(Command command) {
  try {
    command();
  } catch (const std::exception& e) {
    reportUnexpected(e.what());
  } catch (...) {
    reportUnexpected(texts::kUnknownFailure.data());
  }
}

} // namespace

void ShowAddToArchiveDialog(const std::vector<std::string>& paths) {
  reportingFailures(
      [&] { win32::DialogRegistry::instance().open(paths, makeZipWriter(), systemFileProbe()); });
}

void CompressDirectly(const std::vector<std::string>& paths) {
  reportingFailures([&] {
    win32::DialogRegistry::instance().compressDirectly(paths, makeZipWriter(), systemFileProbe());
  });
}

bool DialogsExist() {
  try {
    return win32::DialogRegistry::instance().anyDialog();
  } catch (...) {
    return true; // when unsure, keep the module loaded
  }
}

void DestroyAllDialogs() {
  try {
    win32::DialogRegistry::instance().destroyAll();
  } catch (...) {
  }
}

} // namespace larkspur::dialog
