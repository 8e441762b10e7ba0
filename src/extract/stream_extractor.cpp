// gzip and tar through the extraction session. A stream cannot be resumed after damage, so a
// reading error leaves the current entry out and ends the run. A gzip trailer is checked after
// the data it covers, so for .tar.gz a bad trailer is reported once the whole archive was read
// (the files before it are in place by then: the stream gives no earlier check).
#include "extract/stream_extractor.h"

#include <optional>
#include <vector>

#include "extract/byte_source.h"
#include "extract/entry_data.h"
#include "extract/entry_failure.h"
#include "extract/extract_session.h"
#include "extract/gzip_reader.h"
#include "extract/pattern_selection.h"
#include "extract/tar_reader.h"
#include "extract/unix_mode.h"
#include "platform/dos_time.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/target_files.h"

namespace larkspur::extract {

namespace {

// Blocks of this size keep memory constant and give progress and cancel a fine grain.
constexpr std::size_t kBlockSize = 64 * 1024;

std::uint32_t dosTimeOf(std::int64_t unixTime) {
  return unixTime > 0 ? platform::dosTimeFromTimeT(static_cast<std::time_t>(unixTime))
                      : platform::currentDosTime();
}

// Tar and gzip names carry no code page. Today's tools write UTF-8 (pax headers always do),
// older ones the maker's code page: a name that is valid UTF-8 is taken as UTF-8, as for a ZIP
// entry from a Unix host. Nothing when the system cannot spell it.
std::optional<std::string> streamEntryName(const std::string& stored) {
  constexpr std::uint16_t kMadeOnUnix = 3 << 8;
  return nativeEntryName(stored, 0, kMadeOnUnix, {});
}

// The header's name without any folder part, else the archive's name without ".gz".
std::string gzipFileName(const GzipReader& reader, const std::string& archive) {
  std::string name = reader.firstMember().name;
  const std::size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos)
    name = name.substr(slash + 1);
  return name.empty() ? paths::RemoveFileExt(paths::ExtractFileName(archive))
                      : streamEntryName(name).value_or(platform::oemNameToNative(name));
}

class StreamRun {
public:
  StreamRun(const ExtractOptions& options, bool writing)
      : options_(options), session_(options, writing), block_(kBlockSize) {}

  // Writes one file entry from `read` (which returns 0 at its end); reading errors are the
  // caller's to handle.
  template <typename Read>
  void writeFile(const std::string& name, std::uint64_t size, std::int64_t mtime,
                 std::uint32_t mode, Read&& read) {
    const SafeName safe = session_.checkName(name);
    if (safe.isDirectory) {
      session_.makeFolder(safe);
      return;
    }
    const ExtractSession::Placement placement = session_.place(safe);
    session_.announce();
    std::optional<OutputFile> out;
    if (session_.writing())
      out.emplace(placement.folder, placement.path);
    std::uint64_t written = 0;
    for (std::size_t n; (n = read(std::span<std::uint8_t>(block_))) > 0;) {
      session_.checkCancel();
      if (out)
        out->write(block_.data(), n);
      written += n;
      session_.advance(n);
    }
    if (size != 0 && written != size)
      throw EEntryFailure(SkipReason::BadData, "its data is cut short");
    if (!out)
      return;
    out->finish(dosTimeOf(mtime), options_.flushFiles);
    const std::string path = session_.commit(*out, placement);
    if (options_.restoreAttributes)
      restoreUnixMode(path, mode);
    ++session_.result().filesWritten;
    session_.result().bytesWritten += written;
  }

  void gzip(GzipReader& reader, const std::string& archive) {
    const std::string name = gzipFileName(reader, archive);
    session_.beginEntry(name, 0);
    guarded([&] {
      writeFile(name, 0, reader.firstMember().mtime, 0,
                [&](std::span<std::uint8_t> into) { return reader.read(into); });
    });
  }

  // The reader reads its source to the end after the last entry, so a gzip trailer under it is
  // checked before the run counts as complete.
  void tar(TarReader& reader) {
    PatternSelection selection(options_.patterns);
    TarEntry entry;
    bool intact = true;
    for (;;) {
      bool more = false;
      intact = guarded([&] { more = reader.next(entry); });
      if (!intact || !more)
        break;
      const std::optional<std::string> spelt = streamEntryName(entry.name);
      const std::string name = spelt.value_or(platform::oemNameToNative(entry.name));
      if (!selection.selects(name))
        continue;
      session_.beginEntry(name, entry.size);
      intact = guarded([&] {
        if (!spelt)
          throw EEntryFailure(SkipReason::UnsafeName, "the system cannot spell its name");
        if (entry.type == TarEntryType::Skipped)
          throw EEntryFailure(SkipReason::Unsupported, entry.skipReason);
        if (entry.type == TarEntryType::Directory) {
          session_.makeFolder(session_.checkName(name.back() == '/' ? name : name + "/"));
          return;
        }
        writeFile(name, entry.size, entry.mtime, entry.mode,
                  [&](std::span<std::uint8_t> into) { return reader.read(into); });
      });
      session_.endEntry();
      if (!intact)
        break;
    }
    session_.reportUnmatched(selection);
  }

  ExtractResult finish() { return std::move(session_.result()); }

private:
  // Runs `step`; an entry failure is reported and the run goes on (true), a reading error of
  // the stream is reported and ends it (false). Write failures and cancels pass through.
  template <typename Step> bool guarded(Step&& step) {
    try {
      step();
      return true;
    } catch (const EEntryFailure& failure) {
      session_.report(failure.reason, failure.what());
      return true;
    } catch (const EExtractError&) {
      throw;
    } catch (const EExtractCanceled&) {
      throw;
    } catch (const Error& e) {
      session_.report(SkipReason::BadData, std::string("the archive is damaged: ") + e.what());
      return false;
    }
  }

  const ExtractOptions& options_;
  ExtractSession session_;
  std::vector<std::uint8_t> block_;
};

} // namespace

ExtractResult extractStream(const std::string& archive, StreamFormat format,
                            const ExtractOptions& options, bool writing) {
  platform::File file =
      platform::File::open(archive, platform::Access::Read, platform::Share::DenyWrite);
  FileByteSource source(file);
  std::optional<GzipReader> gzip;
  if (format != StreamFormat::Tar)
    gzip.emplace(source); // not gzip at all: EGzipError before anything is written
  StreamRun run(options, writing);
  if (format == StreamFormat::Gzip) {
    run.gzip(*gzip, archive);
  } else {
    TarReader tar(gzip ? static_cast<ByteSource&>(*gzip) : source);
    run.tar(tar);
  }
  return run.finish();
}

std::vector<StreamEntryInfo> listStream(const std::string& archive, StreamFormat format) {
  platform::File file =
      platform::File::open(archive, platform::Access::Read, platform::Share::DenyWrite);
  FileByteSource source(file);
  std::optional<GzipReader> gzip;
  if (format != StreamFormat::Tar)
    gzip.emplace(source);
  std::vector<StreamEntryInfo> entries;
  std::vector<std::uint8_t> block(kBlockSize);
  try {
    if (format == StreamFormat::Gzip) {
      StreamEntryInfo info{gzipFileName(*gzip, archive), 0, dosTimeOf(gzip->firstMember().mtime),
                           false};
      while (const std::size_t n = gzip->read(block))
        info.size += n;
      entries.push_back(std::move(info));
      return entries;
    }
    TarReader tar(gzip ? static_cast<ByteSource&>(*gzip) : source);
    TarEntry entry;
    while (tar.next(entry))
      entries.push_back(
          {streamEntryName(entry.name).value_or(platform::oemNameToNative(entry.name)), entry.size,
           dosTimeOf(entry.mtime), entry.type == TarEntryType::Directory});
  } catch (const Error&) {
    // Damage ends the list; the extraction names it.
  }
  return entries;
}

} // namespace larkspur::extract
