// Extraction of the formats read front to back: a gzip file (one file, named by its header or by
// the archive), a tar archive, and a tar archive inside gzip. The same session rules as for ZIP:
// safe names, temporary files moved into place, the overwrite rule, progress and cancel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "extract/extract_options.h"

namespace larkspur::extract {

enum class StreamFormat { Gzip, Tar, TarGzip };

ExtractResult extractStream(const std::string& archive, StreamFormat format,
                            const ExtractOptions& options, bool writing);

struct StreamEntryInfo {
  std::string name; // as extraction names it
  std::uint64_t size = 0;
  std::uint32_t dosTime = 0;
  bool folder = false;
};

// What a stream holds, found by reading it through (it has no directory); damage ends the list
// quietly, since the extraction reports it. Throws when the file cannot be opened or a gzip
// format's file is no gzip.
std::vector<StreamEntryInfo> listStream(const std::string& archive, StreamFormat format);

} // namespace larkspur::extract
