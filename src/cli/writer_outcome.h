// How compress and add end: every file left out named on stderr as it is met, the archive's
// path on stdout when one was written, and the exit status that tells the two apart.
#pragma once

#include <ostream>

#include "dialog/left_out.h"
#include "dialog/zip_writer_adapter.h"

namespace larkspur::cli {

struct WriterOutcome {
  bool filesLeftOut = false;

  // Names one file left out.
  void leftOut(const dialog::LeftOutFile& file, std::ostream& err);
  // After the runs: kExitOk, kExitIncomplete when something was left out, kExitFailure when
  // nothing at all went into a new archive (none was written).
  int finish(const dialog::ZipWriterAdapter& writer, std::ostream& out, std::ostream& err) const;
};

} // namespace larkspur::cli
