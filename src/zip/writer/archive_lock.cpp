// Taking the run lock on an archive that another run may be replacing at the same moment.
#include "zip/writer/archive_lock.h"

#include "zip/writer/writer_errors.h"
#include "zip/writer/writer_texts.h"

namespace larkspur::zip {

ArchiveLock::ArchiveLock(const std::string& zipName,
                         const std::function<void(const std::string&)>& waiting) {
  bool told = false;
  for (;;) {
    std::optional<platform::File> file;
    try {
      file.emplace(
          platform::File::open(zipName, platform::Access::Read, platform::Share::DenyNone));
    } catch (const platform::FileOpenError&) {
      if (!told)
        throw; // not there from the start: the reader's own message says why
      throw EArchiveBusy(writer_text::kArchiveVanished + zipName);
    }
    if (!file->lockExclusive(false)) {
      if (!platform::kCanMoveOpenFiles)
        throw EArchiveBusy(writer_text::kArchiveInUse + zipName);
      if (!told && waiting)
        waiting(writer_text::kWaitingForArchive + zipName);
      told = true;
      if (!file->lockExclusive(true))
        return; // interrupted: the caller's cancel check takes over
    }
    // The run we waited for replaced the archive: its lock was on the file now gone.
    if (file->isNamedBy(zipName)) {
      file_ = std::move(file);
      return;
    }
  }
}

} // namespace larkspur::zip
