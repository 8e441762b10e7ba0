// What the context menu's compress commands call: open the add-to-archive dialog for a
// selection, or compress it at once under the proposed name. Windows only (the dialog is a
// real window living in the shell's process).
#pragma once

#include <string>
#include <vector>

namespace larkspur::dialog {

// Shows a new modeless dialog for `paths` and returns at once; the dialog outlives the caller.
void ShowAddToArchiveDialog(const std::vector<std::string>& paths);
// Shows the dialog, presses its add button in code and closes it when done. Never throws: a
// failure is shown to the user in a message box.
void CompressDirectly(const std::vector<std::string>& paths);
// Whether any dialog still exists (the module must then stay loaded).
bool DialogsExist();
// Destroys every dialog (at module unload).
void DestroyAllDialogs();

}  // namespace larkspur::dialog
