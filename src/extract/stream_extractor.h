// Extraction of the formats read front to back: a gzip file (one file, named by its header or by
// the archive), a tar archive, and a tar archive inside gzip. The same session rules as for ZIP:
// safe names, temporary files moved into place, the overwrite rule, progress and cancel.
#pragma once

#include <string>

#include "extract/extract_options.h"

namespace larkspur::extract {

enum class StreamFormat { Gzip, Tar, TarGzip };

ExtractResult extractStream(const std::string& archive, StreamFormat format,
                            const ExtractOptions& options, bool writing);

} // namespace larkspur::extract
