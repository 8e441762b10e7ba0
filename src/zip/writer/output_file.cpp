// Opening and closing one file of a new archive.
#include "zip/writer/output_file.h"

#include "zip/writer/writer_errors.h"

namespace larkspur::zip {

OutputFile::OutputFile(const std::string& name, Mode mode, bool flushOnClose,
                       const ZipLimits& limits) {
  if (mode == Mode::OpenExisting) {
    file_ = std::make_unique<TLFNFileStream>(name, StreamBufferSize, flushOnClose,
                                             fmOpenReadWrite | fmShareDenyNone);
  } else {
    file_ = std::make_unique<TLFNFileStream>(name, StreamBufferSize, flushOnClose, fmCreate);
  }
  output_ = std::make_unique<ArchiveOutput>(*file_, limits);
}

void OutputFile::Close() {
  // Written bytes still in the buffer would otherwise be lost silently when the disk is full.
  try {
    file_->Flush();
  } catch (const EStreamError&) {
    throw ENotEnoughRoom();
  }
  output_.reset();
  file_.reset();
}

} // namespace larkspur::zip
