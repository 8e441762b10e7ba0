// The loop over a ZIP archive's entries: selection, names, passwords, decoding into a temporary
// file, the move into place and the attributes, with every left-out entry reported.
#include "extract/zip_extractor.h"

#include <optional>
#include <vector>

#include "extract/archive_input.h"
#include "extract/entry_data.h"
#include "extract/extract_session.h"
#include "extract/output_file.h"
#include "extract/pattern_selection.h"
#include "extract/unix_mode.h"
#include "platform/platform.h"
#include "platform/target_files.h"
#include "zip/format/zip_signatures.h"

namespace larkspur::extract {

namespace {

constexpr int kHostShift = 8;
constexpr int kHostUnix = 3;
// Unix permission bits live in the high word of the external attributes.
constexpr int kUnixModeShift = 16;
constexpr std::uint32_t kRestoredDosBits =
    platform::faReadOnly | platform::faHidden | platform::faSysFile | platform::faArchive;

std::uint64_t sizeOf(const zip::TZipHeaderInfo& entry) {
  return entry.Size();
}

} // namespace

class ZipExtractor::Run {
public:
  Run(zip::TZipReader& reader, const ExtractOptions& options, bool writing)
      : reader_(reader), options_(options), session_(options, writing), input_(reader),
        data_(input_), password_(options.password) {}

  ExtractResult execute() {
    reader_.OpenArchive();
    std::vector<int> selected;
    PatternSelection selection(options_.patterns);
    for (int i = 0; i < reader_.EntryCount(); ++i) {
      std::string name = reader_.Entry(i).Directory() + reader_.Entry(i).FileName();
      for (char& c : name) {
        if (c == platform::kPathDelimiter)
          c = '/';
      }
      if (selection.selects(name)) {
        selected.push_back(i);
        session_.addToTotal(sizeOf(reader_.Entry(i)));
      }
    }
    for (const int index : selected) {
      const zip::TZipHeaderInfo& entry = reader_.Entry(index);
      session_.beginEntry(entry.Directory() + entry.FileName(), sizeOf(entry));
      try {
        processEntry(entry);
      } catch (const EEntryFailure& failure) {
        session_.report(failure.reason, failure.what());
      }
      session_.endEntry();
    }
    session_.reportUnmatched(selection);
    reader_.CloseArchive();
    return std::move(session_.result());
  }

private:
  void processEntry(const zip::TZipHeaderInfo& entry) {
    // The local header's name is the one written: the name checked is the name used.
    const LocalEntry local = data_.openLocal(entry);
    const auto name = nativeEntryName(
        local.storedName,
        static_cast<std::uint16_t>(entry.Flags | (local.flags & zip::kFlagUtf8Name)),
        entry.VersionMadeBy, entry.CentralExtra());
    if (!name)
      throw EEntryFailure(SkipReason::UnsafeName, "the system cannot spell its name");
    session_.rename(*name);
    const SafeName safe = session_.checkName(*name);
    if (safe.isDirectory) {
      session_.makeFolder(safe);
      return;
    }
    EntryData::checkSupported(entry);
    if (isUnixLink(entry))
      throw EEntryFailure(SkipReason::Unsupported, "a symbolic link is not extracted");
    const ExtractSession::Placement placement = session_.place(safe);
    const std::optional<std::string> password = passwordFor(entry);

    session_.announce();
    std::optional<OutputFile> out;
    if (session_.writing())
      out.emplace(placement.folder, placement.path);
    data_.decode(
        entry, password,
        [&](const std::uint8_t* bytes, std::size_t count) {
          if (out)
            out->write(bytes, count);
          session_.advance(count);
        },
        [&] { session_.checkCancel(); });
    if (!out)
      return;
    out->finish(entry.FileDateTime, options_.flushFiles);
    const std::string path = session_.commit(*out, placement);
    if (options_.restoreAttributes)
      restoreAttributes(entry, path);
    ++session_.result().filesWritten;
    session_.result().bytesWritten += sizeOf(entry);
  }

  std::optional<std::string> passwordFor(const zip::TZipHeaderInfo& entry) {
    if (!(entry.Flags & zip::kFlagEncrypted))
      return std::nullopt;
    const auto& ask = options_.callbacks.askPassword;
    if (!password_) {
      if (declined_ || !ask)
        throw EEntryFailure(SkipReason::NeedsPassword, "encrypted, and no password was given");
      password_ = ask(false);
      if (!password_) {
        declined_ = true;
        throw EEntryFailure(SkipReason::NeedsPassword, "encrypted, and no password was given");
      }
    }
    while (!data_.passwordMatches(entry, *password_)) {
      if (declined_ || !ask)
        throw EEntryFailure(SkipReason::WrongPassword, "wrong password");
      const auto again = ask(true);
      if (!again) {
        declined_ = true;
        throw EEntryFailure(SkipReason::WrongPassword, "wrong password");
      }
      password_ = again;
      data_.openLocal(entry);
    }
    return password_;
  }

  // An entry made on Unix whose mode says symbolic link: its data is the link's target.
  static bool isUnixLink(const zip::TZipHeaderInfo& entry) {
    constexpr std::uint32_t kFileTypeBits = 0170000;
    constexpr std::uint32_t kSymbolicLink = 0120000;
    return (entry.VersionMadeBy >> kHostShift) == kHostUnix &&
           ((entry.ExternalAttributes >> kUnixModeShift) & kFileTypeBits) == kSymbolicLink;
  }

  static void restoreAttributes(const zip::TZipHeaderInfo& entry, const std::string& path) {
    const std::uint32_t mode = (entry.ExternalAttributes >> kUnixModeShift) & kPermissionBits;
    if ((entry.VersionMadeBy >> kHostShift) == kHostUnix && mode != 0) {
      restoreUnixMode(path, mode);
      return;
    }
    const std::uint32_t dos = entry.ExternalAttributes & kRestoredDosBits;
    if (dos & (platform::faReadOnly | platform::faHidden | platform::faSysFile))
      platform::setFileAttributes(path, dos); // read-only comes last, after the data and time
  }

  zip::TZipReader& reader_;
  const ExtractOptions& options_;
  ExtractSession session_;
  ArchiveInput input_;
  EntryData data_;
  std::optional<std::string> password_;
  bool declined_ = false; // the user gave no password: skip encrypted entries
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
