// The module-wide owner of the add-to-archive windows: they outlive the shell objects that open
// them, and are released once closed and idle, or all at module unload.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dialog/archive_writer.h"
#include "dialog/file_probe.h"
#include "dialog/win32/add_to_archive_window.h"
#include "dialog/win32/skin_controls.h"

namespace larkspur::dialog::win32 {

class DialogRegistry {
public:
  static DialogRegistry& instance();

  DialogRegistry() = default;
  ~DialogRegistry();
  DialogRegistry(const DialogRegistry&) = delete;
  DialogRegistry& operator=(const DialogRegistry&) = delete;

  // Creates a dialog around `writer`, shows it for `paths` and keeps it; returns at once.
  AddToArchiveWindow& open(const std::vector<std::string>& paths,
                           std::unique_ptr<ArchiveWriter> writer, const FileProbe& files);
  // Opens a dialog, presses its add button, closes and destroys it; warnings and failures are
  // shown in message boxes on the way.
  void compressDirectly(const std::vector<std::string>& paths,
                        std::unique_ptr<ArchiveWriter> writer, const FileProbe& files);
  // Destroys one dialog now (it must not be inside a run).
  void release(AddToArchiveWindow& dialog);
  // Destroys the closed dialogs of this thread that no run is using, then says whether any
  // dialog is left.
  bool anyDialog();
  // Destroys every dialog of this thread that no run is using and, when none is left,
  // unregisters the window classes.
  void destroyAll();

  std::size_t size() const { return dialogs_.size(); }

private:
  void sweep(bool closedOnly);

  std::vector<std::unique_ptr<WindowClass>> classes_;
  std::vector<std::unique_ptr<AddToArchiveWindow>> dialogs_;
};

} // namespace larkspur::dialog::win32
