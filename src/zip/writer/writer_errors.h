// The exceptions the archive writer raises itself; cancels and reader failures use the reader's
// classes. Each carries its fixed message (see writer_texts.h).
#pragma once

#include <string>

#include "platform/error.h"
#include "zip/writer/writer_texts.h"

namespace larkspur::zip {

// The archive file accepted fewer bytes than were written to it (the disk is full).
class ENotEnoughRoom : public Error {
public:
  ENotEnoughRoom() : Error(writer_text::kNotEnoughRoom) {}
};

// A file, the archive or its directory does not fit the format's 32-bit and 16-bit fields; raised
// before anything that would not fit is written.
class EZipLimit : public Error {
public:
  using Error::Error;
};

// A source file changed between two passes over it, so its entry would not be consistent.
class EFileChanged : public Error {
public:
  explicit EFileChanged(const std::string& name)
      : Error(writer_text::kFileChangedWhileRead + name) {}
};

// The old archive's directory or local headers are damaged: carrying its entries over would
// lose some or copy wrong bytes, so the update stops before anything is written.
class EDamagedArchive : public Error {
public:
  using Error::Error;
};

// The rebuilt archive could not take the old one's place; the old archive is as it was.
class ECommitFailed : public Error {
public:
  using Error::Error;
};

// Another run holds the archive (on systems where this run cannot wait for it).
class EArchiveBusy : public Error {
public:
  using Error::Error;
};

// Another run created the archive between this run's start and its commit; Zip then adds to
// that archive instead.
class EArchiveCreatedMeanwhile : public Error {
public:
  using Error::Error;
};

// A multi-disk set that cannot be written as asked (settings, an existing file, a disk too small
// for a record, a platform without removable drives).
class EWriterMode : public Error {
public:
  using Error::Error;
};

} // namespace larkspur::zip
