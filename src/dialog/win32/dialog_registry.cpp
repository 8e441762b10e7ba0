// Keeping, releasing and destroying the add-to-archive windows of the module.
#include "dialog/win32/dialog_registry.h"

#include <algorithm>

namespace larkspur::dialog::win32 {
namespace {

bool onThisThread(const AddToArchiveWindow& dialog) {
  return GetWindowThreadProcessId(dialog.handle(), nullptr) == GetCurrentThreadId();
}

} // namespace

DialogRegistry& DialogRegistry::instance() {
  static DialogRegistry registry;
  return registry;
}

DialogRegistry::~DialogRegistry() {
  destroyAll();
}

AddToArchiveWindow& DialogRegistry::open(const std::vector<std::string>& paths,
                                         std::unique_ptr<ArchiveWriter> writer,
                                         const FileProbe& files) {
  sweep(true);
  if (classes_.empty()) {
    classes_ = registerSkinClasses();
    classes_.push_back(registerFormClass());
  }
  dialogs_.push_back(std::make_unique<AddToArchiveWindow>(std::move(writer), files));
  AddToArchiveWindow& dialog = *dialogs_.back();
  try {
    dialog.open(paths);
  } catch (...) {
    release(dialog); // a dialog never shown must not keep the module loaded
    throw;
  }
  return dialog;
}

void DialogRegistry::compressDirectly(const std::vector<std::string>& paths,
                                      std::unique_ptr<ArchiveWriter> writer,
                                      const FileProbe& files) {
  AddToArchiveWindow& dialog = open(paths, std::move(writer), files);
  dialog.form().pressAdd();
  dialog.close();
  release(dialog);
}

void DialogRegistry::release(AddToArchiveWindow& dialog) {
  std::erase_if(dialogs_, [&](const auto& owned) { return owned.get() == &dialog; });
}

bool DialogRegistry::anyDialog() {
  sweep(true);
  return !dialogs_.empty();
}

void DialogRegistry::destroyAll() {
  sweep(false);
  if (dialogs_.empty())
    classes_.clear();
}

void DialogRegistry::sweep(bool closedOnly) {
  std::erase_if(dialogs_, [&](const auto& dialog) {
    return (dialog->closed() || !closedOnly) && !dialog->form().running() && onThisThread(*dialog);
  });
}

} // namespace larkspur::dialog::win32
