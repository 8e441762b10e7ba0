// The end of a compress or add run, as the user and a script see it.
#include "cli/writer_outcome.h"

#include "cli/cli.h"
#include "platform/platform.h"

namespace larkspur::cli {

void WriterOutcome::leftOut(const dialog::LeftOutFile& file, std::ostream& err) {
  filesLeftOut = true;
  err << dialog::leftOutLine(file) << "\n";
}

int WriterOutcome::finish(const dialog::ZipWriterAdapter& writer, std::ostream& out,
                          std::ostream& err) const {
  // The writer leaves no new archive behind that nothing went into.
  if (!platform::fileExists(writer.zipName())) {
    err << "nothing was added: no archive written\n";
    return kExitFailure;
  }
  out << writer.zipName() << "\n";
  if (filesLeftOut) {
    err << "some files were left out of " << writer.zipName() << " (named above)\n";
    return kExitIncomplete;
  }
  return kExitOk;
}

} // namespace larkspur::cli
