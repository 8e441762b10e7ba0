// The extraction engine for ZIP archives: every entry, or those matching wildcard patterns, into
// a target folder (or only decoded and checked), with the safe-name rules, the overwrite rule,
// passwords, attributes and times, progress and cancel. An entry that cannot be extracted is left
// out with its reason and the rest goes on; a failure to write stops the run.
#pragma once

#include <string>

#include "extract/extract_options.h"
#include "zip/format/zip_reader.h"

namespace larkspur::extract {

class ZipExtractor {
public:
  // `reader` names the archive (its ZipName); the engine opens and reads it.
  ZipExtractor(zip::TZipReader& reader, ExtractOptions options);

  // Extracts into options.targetDir. EExtractError / EExtractCanceled stop the run; the archive's
  // own errors (not an archive, unreadable) pass through as the reader raises them.
  ExtractResult extract();
  // Decodes and checks every selected entry, writing nothing.
  ExtractResult test();

private:
  class Run;
  zip::TZipReader& reader_;
  ExtractOptions options_;
};

} // namespace larkspur::extract
