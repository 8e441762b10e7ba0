// Stand-ins for the writer, the view and the file system, recording what the add-to-archive
// controller asks of them.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "dialog/add_to_archive_view.h"
#include "dialog/archive_writer.h"
#include "dialog/file_probe.h"
#include "platform/platform.h"

namespace larkspur::dialog::testing {

// Writes "a/b" with the native separator.
inline std::string nativeSeparators(std::string path) {
  for (char& c : path) {
    if (c == '/')
      c = platform::kPathDelimiter;
  }
  return path;
}

// Writes "/work/a" with the native separator, and on Windows under drive C:.
inline std::string nativePath(const std::string& posix) {
#ifdef _WIN32
  return "C:" + nativeSeparators(posix);
#else
  return posix;
#endif
}

// One zip run as the writer saw it.
struct ZipRun {
  std::string rootDir;
  std::string zipName;
  std::vector<std::string> filesList;
  bool recurse = false;
  bool storePaths = true;
  int packLevel = -1;
};

class FakeWriter : public ArchiveWriter {
public:
  void setRootDir(const std::string& dir) override {
    rootDir_ = dir;
    if (!dir.empty() && dir.back() != platform::kPathDelimiter)
      rootDir_ += platform::kPathDelimiter;
  }
  std::string rootDir() const override { return rootDir_; }
  void setZipName(const std::string& name) override { current_.zipName = name; }
  void addToFilesList(const std::string& entry) override { current_.filesList.push_back(entry); }
  void setRecurse(bool recurse) override { current_.recurse = recurse; }
  void setStorePaths(bool storePaths) override { current_.storePaths = storePaths; }
  void setPackLevel(int level) override { current_.packLevel = level; }
  void setOnFilePercentDone(FilePercentEvent event) override { percentEvent = std::move(event); }
  void setOnLeftOut(LeftOutEvent event) override { leftOutEvent = std::move(event); }
  bool takesAllItemsInOneRun() const override { return oneRun; }

  void zip() override {
    current_.rootDir = rootDir_;
    runs.push_back(current_);
    current_.filesList.clear();
    for (int percent : percentsPerRun) {
      if (percentEvent)
        percentEvent(percent);
    }
    if (onZip)
      onZip(runs.size());
  }

  std::vector<ZipRun> runs;
  std::vector<int> percentsPerRun;
  bool oneRun = false; // answers takesAllItemsInOneRun
  // Called inside every run with the run's number (1 for the first); may throw.
  std::function<void(std::size_t)> onZip;
  FilePercentEvent percentEvent;
  LeftOutEvent leftOutEvent;

private:
  std::string rootDir_;
  ZipRun current_;
};

// Hands every call on to a FakeWriter that the test keeps, for code that takes ownership of
// its writer and destroys it before the test looks.
class ForwardingWriter : public ArchiveWriter {
public:
  explicit ForwardingWriter(FakeWriter& target) : target_(target) {}
  void setRootDir(const std::string& dir) override { target_.setRootDir(dir); }
  std::string rootDir() const override { return target_.rootDir(); }
  void setZipName(const std::string& name) override { target_.setZipName(name); }
  void addToFilesList(const std::string& entry) override { target_.addToFilesList(entry); }
  void setRecurse(bool recurse) override { target_.setRecurse(recurse); }
  void setStorePaths(bool storePaths) override { target_.setStorePaths(storePaths); }
  void setPackLevel(int level) override { target_.setPackLevel(level); }
  void zip() override { target_.zip(); }
  void setOnFilePercentDone(FilePercentEvent event) override {
    target_.setOnFilePercentDone(std::move(event));
  }
  void setOnLeftOut(LeftOutEvent event) override { target_.setOnLeftOut(std::move(event)); }

private:
  FakeWriter& target_;
};

class FakeView : public AddToArchiveView {
public:
  explicit FakeView(TextForm form = TextForm::Utf8) : form_(form) {}
  TextForm textForm() const override { return form_; }
  void setTopLine(const std::string& text) override { topLine = text; }
  void setEditText(const std::string& text) override { edit = text; }
  std::string editText() const override { return edit; }
  void setProgress(int percent) override { progress.push_back(percent); }
  void showWarning(const std::string& text) override { warnings.push_back(text); }
  void showFailure(const std::string& text) override { failures.push_back(text); }
  void showLeftOut(const std::vector<LeftOutFile>& files) override { leftOut.push_back(files); }
  void close() override { ++closes; }

  std::string topLine;
  std::string edit;
  std::vector<int> progress;
  std::vector<std::string> warnings;
  std::vector<std::string> failures;
  std::vector<std::vector<LeftOutFile>> leftOut; // one list per box shown
  int closes = 0;

private:
  TextForm form_;
};

class FakeFiles : public FileProbe {
public:
  std::uint32_t attributes(const std::string& path) const override {
    auto it = attributes_.find(path);
    return it == attributes_.end() ? 0xFFFFFFFFu : it->second;
  }
  bool fileExists(const std::string& path) const override { return existing_.count(path) != 0; }

  void setAttributes(const std::string& path, std::uint32_t value) { attributes_[path] = value; }
  void addFile(const std::string& path) { existing_.insert(path); }

private:
  std::map<std::string, std::uint32_t> attributes_;
  std::set<std::string> existing_;
};

} // namespace larkspur::dialog::testing
