// Placeholder until the add-to-archive window lands: the compress commands do nothing yet.
#include "dialog/commands.h"

namespace larkspur::dialog {

void ShowAddToArchiveDialog(const std::vector<std::string>&) {}
void CompressDirectly(const std::vector<std::string>&) {}
bool DialogsExist() { return false; }
void DestroyAllDialogs() {}

}  // namespace larkspur::dialog
