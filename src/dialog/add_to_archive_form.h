// The add-to-archive dialog's behaviour without its window: it proposes the archive name from
// the selection, checks the typed name, and drives the ZIP writer once per selected item at the
// highest level while the view shows each file's progress.
#pragma once

#include <string>
#include <vector>

#include "deflate/match_finder.h"
#include "dialog/add_to_archive_view.h"
#include "dialog/archive_writer.h"
#include "dialog/file_probe.h"
#include "platform/platform.h"

namespace larkspur::dialog {

// The directory bit; a folder carries it whatever other attributes it has.
inline constexpr std::uint32_t kFolderAttribute = platform::faDirectory;
// What the system answers for a path whose attributes cannot be read.
inline constexpr std::uint32_t kNoAttributes = 0xFFFFFFFF;
// Deflate level used for every run (the compressor's highest).
inline constexpr int kPackLevel = deflate::kMaxLevel;

// How a press of the add button ended.
enum class AddResult {
  Written,       // every item went through the writer
  Incomplete,    // every item went through, but files were left out (shown through the view)
  WrongName,     // the name does not end in ".zip"; nothing written
  ArchiveExists, // an archive of that name exists; nothing written
  Ignored,       // a run was in progress, or there is nothing to add
  Failed,        // a writer failure ended the runs (shown through the view)
};

class TAddToArchiveForm {
public:
  // The view and writer must outlive the form; the form installs the writer's progress event.
  TAddToArchiveForm(AddToArchiveView& view, ArchiveWriter& writer,
                    const FileProbe& files = systemFileProbe());
  TAddToArchiveForm(const TAddToArchiveForm&) = delete;
  TAddToArchiveForm& operator=(const TAddToArchiveForm&) = delete;

  // Appends to the selection (the hidden list box), in order.
  void addItems(const std::vector<std::string>& paths);
  const std::vector<std::string>& items() const { return ListBox1; }

  // Fills the top line and proposes a name.
  void FormShow();
  // Checks the name and zips every item. A writer failure ends it and propagates; a press
  // while a run is in progress (through the writer's message pump) is ignored.
  AddResult Add_ButtonClick();
  // Add_ButtonClick with a failure shown through the view instead of propagating.
  AddResult pressAdd();
  void ZipWriter1FilePercentDone(int percent);
  void SkinButton3Click();
  void PasswordBClick() {}

  bool running() const { return running_; }
  // What the last press left out, in the order the runs met it.
  const std::vector<LeftOutFile>& leftOut() const { return leftOut_; }

private:
  // The item and the run's fixed settings, for the next run.
  void addItem(const std::string& item);

  AddToArchiveView& view_;
  ArchiveWriter& ZipWriter1;
  const FileProbe& files_;
  std::vector<std::string> ListBox1;
  bool running_ = false;
  std::vector<LeftOutFile> leftOut_;
};

// What the writer is handed for `item`: a folder (any path with the directory bit) as the
// folder followed by a separator and "*.*", so that it is searched; anything else as it is.
std::string writerSpec(const std::string& item, std::uint32_t attributes);

// The top line for `count` items (count >= 2), in `form`.
std::string countLine(std::size_t count, TextForm form);
// The archive name proposed for a selection whose first item is `first`.
std::string proposedName(const std::string& first, std::size_t count);
// A failure message as the event dispatch shows it: a "." is added after a last character that
// sorts after ".".
std::string failureText(std::string message);

} // namespace larkspur::dialog
