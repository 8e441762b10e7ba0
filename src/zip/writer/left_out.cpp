// Reporting a file or folder that stays out of the archive, with the reason the system gives.
#include "platform/path_trouble.h"
#include "platform/platform.h"
#include "zip/writer/zip_writer.h"

namespace larkspur::zip {

void TZipWriter::reportLeftOut(const std::string& path, TLeftOutReason reason) {
  if (OnLeftOut)
    OnLeftOut(*this, path, reason);
}

void TZipWriter::reportLeftOut(const std::string& path, bool folder) {
  if (!OnLeftOut)
    return;
  switch (platform::pathTrouble(path, folder)) {
  case platform::PathTrouble::NotFound:
    return reportLeftOut(path, TLeftOutReason::lrNotFound);
  case platform::PathTrouble::TooLong:
    return reportLeftOut(path, TLeftOutReason::lrPathTooLong);
  case platform::PathTrouble::NotRegular:
    return reportLeftOut(path, TLeftOutReason::lrNotRegular);
  case platform::PathTrouble::Unreadable:
    return reportLeftOut(path, TLeftOutReason::lrUnreadable);
  case platform::PathTrouble::None:
    // A folder that lists after all holds nothing (an empty drive root lists no "." either).
    if (folder)
      return;
    break;
  }
  // Readable when asked again: a folder where a file was expected, or a refusal that has passed.
  reportLeftOut(path, platform::directoryExists(path) ? TLeftOutReason::lrNotRegular
                                                      : TLeftOutReason::lrUnreadable);
}

} // namespace larkspur::zip
