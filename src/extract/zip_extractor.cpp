// The loop over the entries: selection, names, overwrite decisions, passwords, decoding into a
// temporary file, the move into place and the attributes, with every left-out entry reported.
#include "extract/zip_extractor.h"

#include <optional>
#include <vector>

#include "extract/archive_input.h"
#include "extract/entry_data.h"
#include "extract/output_file.h"
#include "extract/safe_path.h"
#include "extract/target_tree.h"
#include "platform/platform.h"
#include "platform/target_files.h"
#include "zip/format/wildcard_match.h"
#include "zip/format/zip_signatures.h"

namespace larkspur::extract {

namespace {

constexpr int kHostShift = 8;
constexpr int kHostUnix = 3;
// Unix permission bits live in the high word of the external attributes.
constexpr int kUnixModeShift = 16;
constexpr std::uint32_t kPermissionBits = 0777; // no set-id or sticky bits from an archive
constexpr std::uint32_t kRestoredDosBits =
    platform::faReadOnly | platform::faHidden | platform::faSysFile | platform::faArchive;

// Numbered copies ("name (n).ext") stop here: beyond it something else is wrong.
constexpr int kMaxCopyNumber = 9999;

// How a file that is to be written meets its name.
enum class Placement { New, Replace, Renamed };

// "name (n).ext" for the n-th copy of a file's name.
std::string numberedName(const std::string& name, int n) {
  const std::size_t dot = name.rfind('.');
  const std::string suffix = " (" + std::to_string(n) + ")";
  if (dot == std::string::npos || dot == 0)
    return name + suffix;
  return name.substr(0, dot) + suffix + name.substr(dot);
}

} // namespace

class ZipExtractor::Run {
public:
  Run(zip::TZipReader& reader, ExtractOptions& options, bool writing)
      : reader_(reader), options_(options), callbacks_(options.callbacks), writing_(writing),
        input_(reader), data_(input_), password_(options.password) {}

  ExtractResult execute() {
    reader_.OpenArchive();
    std::vector<int> selected;
    std::vector<bool> patternUsed(options_.patterns.size(), false);
    for (int i = 0; i < reader_.EntryCount(); ++i) {
      if (isSelected(reader_.Entry(i), patternUsed)) {
        selected.push_back(i);
        totalSize_ += static_cast<std::uint32_t>(reader_.Entry(i).UncompressedSize);
      }
    }
    if (writing_)
      tree_.emplace(options_.targetDir);
    for (const int index : selected) {
      const zip::TZipHeaderInfo& entry = reader_.Entry(index);
      shownName_ = entry.Directory() + entry.FileName();
      const std::uint64_t doneBefore = totalDone_;
      try {
        processEntry(entry);
      } catch (const EEntryFailure& failure) {
        report(failure.reason, failure.what());
      }
      totalDone_ = doneBefore + static_cast<std::uint32_t>(entry.UncompressedSize);
    }
    for (std::size_t p = 0; p < options_.patterns.size(); ++p) {
      if (!patternUsed[p]) {
        shownName_ = options_.patterns[p];
        report(SkipReason::NotMatched, "no entry matches this pattern");
      }
    }
    reader_.CloseArchive();
    return std::move(result_);
  }

private:
  bool isSelected(const zip::TZipHeaderInfo& entry, std::vector<bool>& patternUsed) const {
    if (options_.patterns.empty())
      return true;
    std::string name = entry.Directory() + entry.FileName();
    for (char& c : name) {
      if (c == platform::kPathDelimiter)
        c = '/';
    }
    const std::string& fileName = entry.FileName();
    bool selected = false;
    for (std::size_t p = 0; p < options_.patterns.size(); ++p) {
      const std::string& pattern = options_.patterns[p];
      // A pattern without a folder part also matches the bare file name at any depth.
      if (zip::WildcardMatch(pattern, name) ||
          (pattern.find('/') == std::string::npos && !fileName.empty() &&
           zip::WildcardMatch(pattern, fileName))) {
        patternUsed[p] = true;
        selected = true;
      }
    }
    return selected;
  }

  void report(SkipReason reason, const std::string& message) {
    EntryProblem problem{shownName_, reason, message};
    if (callbacks_.onProblem)
      callbacks_.onProblem(problem);
    result_.problems.push_back(std::move(problem));
  }

  void processEntry(const zip::TZipHeaderInfo& entry) {
    const LocalEntry local = data_.openLocal(entry);
    const auto name = nativeEntryName(
        local.storedName,
        static_cast<std::uint16_t>(entry.Flags | (local.flags & zip::kFlagUtf8Name)),
        entry.VersionMadeBy);
    if (!name)
      throw EEntryFailure(SkipReason::UnsafeName, "the system cannot spell its name");
    shownName_ = *name;
    const SafeName safe = checkEntryName(*name, nativeNameRules());
    if (writing_ && !safe.unsafeReason.empty())
      throw EEntryFailure(SkipReason::UnsafeName, safe.unsafeReason);
    if (safe.isDirectory) {
      if (writing_ && !safe.components.empty()) {
        tree_->folder(safe.components, safe.components.size());
        ++result_.foldersCreated;
      }
      return;
    }
    EntryData::checkSupported(entry);

    std::string folder, target;
    Placement placement = Placement::New;
    if (writing_) {
      folder = tree_->folder(safe.components, safe.components.size() - 1);
      target = folder + platform::kPathDelimiter + safe.components.back();
      placement = decidePlacement(target);
    }
    const std::optional<std::string> password = passwordFor(entry);

    const std::uint64_t entrySize = static_cast<std::uint32_t>(entry.UncompressedSize);
    std::uint64_t entryDone = 0;
    const auto progress = [&] {
      return ExtractProgress{shownName_, entryDone, entrySize, totalDone_, totalSize_};
    };
    if (callbacks_.onEntryStart)
      callbacks_.onEntryStart(progress());
    const EntryData::Tick tick = [&] {
      if (callbacks_.cancelRequested && callbacks_.cancelRequested())
        throw EExtractCanceled("Extraction canceled");
    };
    std::optional<OutputFile> out;
    if (writing_)
      out.emplace(folder, target);
    data_.decode(
        entry, password,
        [&](const std::uint8_t* bytes, std::size_t count) {
          if (out)
            out->write(bytes, count);
          entryDone += count;
          totalDone_ += count;
          if (callbacks_.onProgress)
            callbacks_.onProgress(progress());
        },
        tick);
    if (!writing_)
      return;
    out->finish(entry.FileDateTime, options_.flushFiles);
    target = commit(*out, target, placement);
    if (options_.restoreAttributes)
      restoreAttributes(entry, target);
    ++result_.filesWritten;
    result_.bytesWritten += entrySize;
  }

  // What happens to an existing file of the entry's name, asked before any work is done.
  Placement decidePlacement(const std::string& target) {
    const platform::PathKind kind = platform::pathKind(target);
    if (kind == platform::PathKind::Missing)
      return Placement::New;
    if (kind == platform::PathKind::Directory || kind == platform::PathKind::Other) {
      if (policy() == OverwritePolicy::Rename)
        return Placement::Renamed;
      throw EEntryFailure(SkipReason::Exists, "a folder or device of that name exists");
    }
    switch (policy()) {
    case OverwritePolicy::Always:
      return Placement::Replace;
    case OverwritePolicy::Rename:
      return Placement::Renamed;
    case OverwritePolicy::Never:
      break;
    case OverwritePolicy::Ask: {
      const OverwriteAnswer answer =
          callbacks_.askOverwrite ? callbacks_.askOverwrite(target) : OverwriteAnswer::No;
      if (answer == OverwriteAnswer::YesToAll)
        policy_ = OverwritePolicy::Always;
      if (answer == OverwriteAnswer::NoToAll)
        policy_ = OverwritePolicy::Never;
      if (answer == OverwriteAnswer::Yes || answer == OverwriteAnswer::YesToAll)
        return Placement::Replace;
      break;
    }
    }
    throw EEntryFailure(SkipReason::Exists, "the file exists and is kept");
  }

  OverwritePolicy policy() const { return policy_ ? *policy_ : options_.overwrite; }

  std::string commit(OutputFile& out, const std::string& target, Placement placement) {
    if (placement == Placement::Replace) {
      // Windows will not move a file over a read-only one; the user asked to replace it.
      const std::int32_t old = platform::fileAttributes(target);
      const bool readOnly = old >= 0 && (old & platform::faReadOnly) != 0;
      if (readOnly)
        platform::setFileAttributes(target,
                                    static_cast<std::uint32_t>(old) & ~platform::faReadOnly);
      try {
        out.commitReplacing(target);
      } catch (...) {
        if (readOnly)
          platform::setFileAttributes(target, static_cast<std::uint32_t>(old));
        throw;
      }
      return target;
    }
    if (placement == Placement::New) {
      if (claim(out, target))
        return target;
      if (policy() != OverwritePolicy::Rename)
        throw EEntryFailure(SkipReason::Exists,
                            "a file of that name appeared while it was written");
    }
    // A move that refuses to replace claims the first free number, even against another run.
    const std::string folder = target.substr(0, target.rfind(platform::kPathDelimiter) + 1);
    const std::string name = target.substr(folder.size());
    for (int n = 2; n <= kMaxCopyNumber; ++n) {
      const std::string candidate = folder + numberedName(name, n);
      if (claim(out, candidate))
        return candidate;
    }
    throw EEntryFailure(SkipReason::Exists, "no free name for a renamed copy");
  }

  // Moves the file to `name` unless something is there; a name the system refuses outright
  // (too long, not allowed) is a reason to leave the entry out, not to try the next number.
  static bool claim(OutputFile& out, const std::string& name) {
    if (out.commitAsNew(name))
      return true;
    if (platform::pathKind(name) == platform::PathKind::Missing)
      throw EEntryFailure(SkipReason::UnsafeName,
                          "the system refuses to create a file of this name");
    return false;
  }

  std::optional<std::string> passwordFor(const zip::TZipHeaderInfo& entry) {
    if (!(entry.Flags & zip::kFlagEncrypted))
      return std::nullopt;
    if (!password_) {
      if (declined_ || !callbacks_.askPassword)
        throw EEntryFailure(SkipReason::NeedsPassword, "encrypted, and no password was given");
      password_ = callbacks_.askPassword(false);
      if (!password_) {
        declined_ = true;
        throw EEntryFailure(SkipReason::NeedsPassword, "encrypted, and no password was given");
      }
    }
    while (!data_.passwordMatches(entry, *password_)) {
      if (declined_ || !callbacks_.askPassword)
        throw EEntryFailure(SkipReason::WrongPassword, "wrong password");
      const auto again = callbacks_.askPassword(true);
      if (!again) {
        declined_ = true;
        throw EEntryFailure(SkipReason::WrongPassword, "wrong password");
      }
      password_ = again;
      data_.openLocal(entry);
    }
    return password_;
  }

  void restoreAttributes(const zip::TZipHeaderInfo& entry, const std::string& path) {
    const std::uint32_t mode = (entry.ExternalAttributes >> kUnixModeShift) & kPermissionBits;
    if ((entry.VersionMadeBy >> kHostShift) == kHostUnix && mode != 0) {
#ifdef _WIN32
      constexpr std::uint32_t kOwnerWrite = 0200;
      if ((mode & kOwnerWrite) == 0)
        platform::setFileAttributes(path, platform::faReadOnly | platform::faArchive);
#else
      platform::setUnixMode(path, mode);
#endif
      return;
    }
    const std::uint32_t dos = entry.ExternalAttributes & kRestoredDosBits;
    if (dos & (platform::faReadOnly | platform::faHidden | platform::faSysFile))
      platform::setFileAttributes(path, dos); // read-only comes last, after the data and time
  }

  zip::TZipReader& reader_;
  ExtractOptions& options_;
  const ExtractCallbacks& callbacks_;
  const bool writing_;
  ArchiveInput input_;
  EntryData data_;
  std::optional<TargetTree> tree_;
  std::optional<std::string> password_;
  std::optional<OverwritePolicy> policy_; // an "all" answer to the overwrite question
  bool declined_ = false;                 // the user gave no password: skip encrypted entries
  std::string shownName_;
  std::uint64_t totalSize_ = 0;
  std::uint64_t totalDone_ = 0;
  ExtractResult result_;
};

ZipExtractor::ZipExtractor(zip::TZipReader& reader, ExtractOptions options)
    : reader_(reader), options_(std::move(options)) {}

ExtractResult ZipExtractor::extract() {
  return Run(reader_, options_, true).execute();
}

ExtractResult ZipExtractor::test() {
  return Run(reader_, options_, false).execute();
}

} // namespace larkspur::extract
