// Dispatch by archive kind to the engine that reads it.
#include "extract/archive_extract.h"

#include "extract/stream_extractor.h"
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
  if (upper == ".TGZ")
    return ArchiveKind::TarGzip;
  if (upper == ".TAR")
    return ArchiveKind::Tar;
  if (upper == ".GZ") {
    const std::string inner =
        paths::UpperCaseAscii(paths::ExtractFileExt(paths::RemoveFileExt(archive)));
    return inner == ".TAR" ? ArchiveKind::TarGzip : ArchiveKind::Gzip;
  }
  for (const std::string_view known : shell::ArchiveExtensions) {
    if (upper == known)
      return ArchiveKind::Unsupported;
  }
  return ArchiveKind::Zip;
}

std::string defaultTargetFor(const std::string& archive) {
  return paths::RemoveFileExt(archive);
}

namespace {

ExtractResult run(const std::string& archive, const ExtractOptions& options, bool writing) {
  switch (archiveKindOf(archive)) {
  case ArchiveKind::Gzip:
    return extractStream(archive, StreamFormat::Gzip, options, writing);
  case ArchiveKind::Tar:
    return extractStream(archive, StreamFormat::Tar, options, writing);
  case ArchiveKind::TarGzip:
    return extractStream(archive, StreamFormat::TarGzip, options, writing);
  case ArchiveKind::Unsupported:
    requireSupported(archive);
    break;
  case ArchiveKind::Zip:
    break;
  }
  zip::TZipReader reader;
  ZipExtractor extractor(openReader(reader, archive), options);
  return writing ? extractor.extract() : extractor.test();
}

} // namespace

ExtractResult extractArchive(const std::string& archive, const ExtractOptions& options) {
  return run(archive, options, true);
}

ExtractResult testArchive(const std::string& archive, const ExtractOptions& options) {
  return run(archive, options, false);
}

} // namespace larkspur::extract
