// The configuration file a multi-disk writer leaves beside the archive (same name, extension
// ".zfc"): the whole central directory and the end record, so the directory of a spanned set
// can be read without the disk that holds it.
#pragma once

#include <memory>
#include <string>

#include "zip/format/end_central.h"
#include "zip/format/lfn_file_stream.h"

namespace larkspur::zip {

inline constexpr char kConfigFileExtension[] = ".zfc";

// `zipName` with its extension replaced by ".zfc".
std::string ConfigFileName(const std::string& zipName);

// Opens the configuration file of `zipName` and locates its end record into `endRecord`. Null
// when there is no such file or it holds no end record.
std::unique_ptr<TLFNFileStream> OpenConfigFile(const std::string& zipName, TEndCentral& endRecord,
                                               int bufferSize);

} // namespace larkspur::zip
