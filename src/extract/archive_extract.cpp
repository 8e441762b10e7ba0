// Dispatch by archive kind to the engine that reads it.
#include "extract/archive_extract.h"

#include "extract/zip_extractor.h"
#include "platform/paths.h"
#include "shellext/menu_selection.h"

namespace larkspur::extract {

namespace {

bool isZipExtension(const std::string& upper) {
  return upper == ".ZIP" || upper == ".JAR";
}

void requireSupported(const std::string& archive) {
  if (archiveKindOf(archive) == ArchiveKind::Unsupported) {
    throw EExtractError("\"" + archive + "\": format not supported (" +
                        paths::ExtractFileExt(archive) + ")");
  }
}

zip::TZipReader& openReader(zip::TZipReader& reader, const std::string& archive) {
  // A damaged archive is read from its local headers rather than refused.
  reader.IncompleteZipMode = zip::TIncompleteZipMode::izAssumeBad;
  reader.DoProcessMessages = false;
  reader.SetZipName(archive);
  return reader;
}

} // namespace

ArchiveKind archiveKindOf(const std::string& archive) {
  const std::string upper = paths::UpperCaseAscii(paths::ExtractFileExt(archive));
  if (isZipExtension(upper))
    return ArchiveKind::Zip;
  for (const std::string_view known : shell::ArchiveExtensions) {
    if (upper == known)
      return ArchiveKind::Unsupported;
  }
  return ArchiveKind::Zip;
}

std::string defaultTargetFor(const std::string& archive) {
  return paths::RemoveFileExt(archive);
}

ExtractResult extractArchive(const std::string& archive, const ExtractOptions& options) {
  requireSupported(archive);
  zip::TZipReader reader;
  return ZipExtractor(openReader(reader, archive), options).extract();
}

ExtractResult testArchive(const std::string& archive, const ExtractOptions& options) {
  requireSupported(archive);
  zip::TZipReader reader;
  return ZipExtractor(openReader(reader, archive), options).test();
}

} // namespace larkspur::extract
