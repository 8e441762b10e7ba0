// Proposing the name, checking it and the per-item zip loop of the add-to-archive dialog.
#include "dialog/add_to_archive_form.h"

#include <exception>

#include "platform/error.h"
#include "platform/paths.h"
#include "platform/platform.h"

namespace larkspur::dialog {
namespace {

// Sets a flag for the lifetime of a scope, so an exception cannot leave it set.
class FlagGuard {
public:
  explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagGuard() { flag_ = false; }
  FlagGuard(const FlagGuard&) = delete;
  FlagGuard& operator=(const FlagGuard&) = delete;

private:
  bool& flag_;
};

std::string withZipExtension(const std::string& path) {
  return paths::RemoveFileExt(paths::ExtractFileName(path)) + std::string(texts::kZipExtension);
}

// Whether `path` lies directly in the root of a drive (or is a drive root itself); on POSIX the
// root "/" plays the drive root.
bool liesInDriveRoot(const std::string& path) {
  std::string root = paths::ExtractFileDrive(path);
  root += platform::kPathDelimiter;
  return paths::SameTextAscii(paths::ExtractFileDir(path), root);
}

} // namespace

std::string countLine(std::size_t count, TextForm form) {
  std::string line(texts::kCountPrefix.in(form));
  line += std::to_string(count);
  line += texts::kCountSuffix.in(form);
  return line;
}

std::string proposedName(const std::string& first, std::size_t count) {
  if (count >= 2 && liesInDriveRoot(first))
    return std::string(texts::kRootArchiveName);
  return withZipExtension(first);
}

std::string failureText(std::string message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
    message += '.';
  return message;
}

TAddToArchiveForm::TAddToArchiveForm(AddToArchiveView& view, ArchiveWriter& writer,
                                     const FileProbe& files)
    : view_(view), ZipWriter1(writer), files_(files) {
  ZipWriter1.setOnFilePercentDone([this](int percent) { ZipWriter1FilePercentDone(percent); });
  ZipWriter1.setOnLeftOut([this](const LeftOutFile& file) { leftOut_.push_back(file); });
}

std::string writerSpec(const std::string& item, std::uint32_t attributes) {
  // A bit test: folders marked read-only, hidden or system (Windows customises Desktop and
  // Documents that way) are folders too, and handed over plainly they would add nothing.
  if (attributes == kNoAttributes || (attributes & kFolderAttribute) == 0)
    return item;
  // A drive root already ends in its separator; do not double it.
  return paths::IncludeTrailingPathDelimiter(item) + std::string(texts::kAllFiles);
}

void TAddToArchiveForm::addItems(const std::vector<std::string>& paths) {
  ListBox1.insert(ListBox1.end(), paths.begin(), paths.end());
}

void TAddToArchiveForm::FormShow() {
  const std::size_t count = ListBox1.size();
  // Never empty in practice (the menu always passes a selection); an empty one shows nothing.
  const std::string first = count == 0 ? std::string() : ListBox1.front();
  view_.setTopLine(count <= 1 ? first : countLine(count, view_.textForm()));
  view_.setEditText(proposedName(first, count));
}

AddResult TAddToArchiveForm::Add_ButtonClick() {
  if (running_ || ListBox1.empty())
    return AddResult::Ignored;
  FlagGuard running(running_);

  ZipWriter1.setRootDir(paths::ExtractFileDir(ListBox1.front()));
  const std::string name = view_.editText();
  if (paths::ExtractFileExt(name) != texts::kZipExtension) {
    view_.showWarning(std::string(texts::kWrongName.in(view_.textForm())));
    return AddResult::WrongName;
  }
  // The typed name is relative to the first item's folder.
  const std::string zipName = ZipWriter1.rootDir() + name;
  ZipWriter1.setZipName(zipName);
  if (files_.fileExists(zipName)) {
    view_.showWarning(std::string(texts::kArchiveExists.in(view_.textForm())));
    return AddResult::ArchiveExists;
  }
  view_.setProgress(0);
  leftOut_.clear();
  // One run per item: the writer empties its list after each, and later runs add to the
  // archive the earlier ones wrote. A writer that cannot add to what it wrote gets them all at
  // once.
  if (ZipWriter1.takesAllItemsInOneRun()) {
    for (const std::string& item : ListBox1)
      addItem(item);
    ZipWriter1.zip();
  } else {
    for (const std::string& item : ListBox1) {
      addItem(item);
      ZipWriter1.zip();
    }
  }
  if (leftOut_.empty())
    return AddResult::Written;
  view_.showLeftOut(leftOut_);
  return AddResult::Incomplete;
}

void TAddToArchiveForm::addItem(const std::string& item) {
  ZipWriter1.addToFilesList(writerSpec(item, files_.attributes(item)));
  ZipWriter1.setRecurse(true);
  ZipWriter1.setStorePaths(false);
  ZipWriter1.setPackLevel(kPackLevel);
}

AddResult TAddToArchiveForm::pressAdd() {
  try {
    return Add_ButtonClick();
  } catch (const std::exception& e) {
    view_.showFailure(failureText(e.what()));
  } catch (...) {
    view_.showFailure(failureText(std::string(texts::kUnknownFailure)));
  }
  return AddResult::Failed;
}

void TAddToArchiveForm::ZipWriter1FilePercentDone(int percent) {
  view_.setProgress(percent);
}

void TAddToArchiveForm::SkinButton3Click() {
  view_.close();
}

} // namespace larkspur::dialog
