// Replacing a file by another, keeping the old one recoverable until the new one is in place.
#include "zip/format/replace_file.h"

#include <vector>

#include "platform/paths.h"
#include "zip/format/format_texts.h"
#include "zip/format/lfn_file_stream.h"

namespace larkspur::zip {

namespace {

// Suffix of the old destination while the new file takes its name.
constexpr char kAsideSuffix[] = "$$$";
// Copy in large pieces; the streams buffer on top of this.
constexpr std::int64_t kCopyChunk = 65536;

struct CopyResult {
  std::int64_t copied = 0;
  std::int64_t sourceSize = 0;
};

CopyResult copyWhole(const std::string& source, const std::string& destination) {
  TLFNFileStream in(source, StreamBufferSize, false, fmOpenRead | fmShareDenyWrite);
  TLFNFileStream out(destination, StreamBufferSize, false, fmCreate);
  CopyResult result;
  result.sourceSize = in.Size();
  std::vector<char> chunk(kCopyChunk);
  for (std::int64_t n; (n = in.Read(chunk.data(), kCopyChunk)) > 0;) {
    out.WriteBuffer(chunk.data(), n);
    result.copied += n;
  }
  out.Flush(); // a refusal of the last bytes must raise here, not vanish at destruction
  return result;
}

} // namespace

void ReplaceFile(const std::string& source, const std::string& destination,
                 const MessageBoxFunction& showMessage) {
  std::string aside; // the old destination's temporary name, once it has one
  if (paths::SameTextAscii(paths::ExtractFileDrive(source), paths::ExtractFileDrive(destination))) {
    platform::CriticalErrorsOff quiet;
    bool movedAside = true;
    if (platform::fileExists(destination)) {
      movedAside = platform::renameFile(destination, destination + kAsideSuffix);
      if (movedAside)
        aside = destination + kAsideSuffix;
    }
    if (movedAside && platform::renameFile(source, destination)) {
      if (!aside.empty())
        platform::deleteFile(aside);
      return;
    }
  }

  CopyResult result;
  try {
    result = copyWhole(source, destination);
  } catch (...) {
    // The old file was moved aside, so whatever now has its name is our broken copy: put the
    // old file back rather than leave it under a name nobody looks for.
    if (!aside.empty()) {
      platform::deleteFile(destination);
      platform::renameFile(aside, destination);
    }
    throw;
  }
  if (result.copied == 0) {
    showMessage(std::string(texts::kCouldNotCopyFrom) + source + texts::kCopyArrow + destination,
                texts::kErrorCaption, platform::mbOk);
    return;
  }
  // The new file is complete: the old one has served its purpose.
  if (!aside.empty() && result.copied == result.sourceSize)
    platform::deleteFile(aside);
}

} // namespace larkspur::zip
