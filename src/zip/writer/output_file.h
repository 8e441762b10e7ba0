// One file of a new archive while it is written: the file stream and the ArchiveOutput that
// checks every write against the size limit and a full disk. Closing it flushes, so bytes that
// did not fit are reported rather than lost.
#pragma once

#include <memory>
#include <string>

#include "zip/format/lfn_file_stream.h"
#include "zip/writer/archive_output.h"
#include "zip/writer/zip_limits.h"

namespace larkspur::zip {

class OutputFile {
public:
  enum class Mode {
    Create,       // created, or emptied when it exists
    OpenExisting, // a file created and held elsewhere (the temporary archive), opened to write
  };

  OutputFile(const std::string& name, Mode mode, bool flushOnClose, const ZipLimits& limits);
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  TStream& Stream() { return *output_; }
  // Flushes and closes; ENotEnoughRoom when the last bytes did not fit.
  void Close();

private:
  std::unique_ptr<TLFNFileStream> file_;
  std::unique_ptr<ArchiveOutput> output_;
};

} // namespace larkspur::zip
