// The entry point a front end calls: what kind of archive a path names (by its extension, as the
// menu decides), the folder it extracts into by default, and extraction or testing of it.
#pragma once

#include <string>

#include "extract/extract_options.h"

namespace larkspur::extract {

enum class ArchiveKind { Zip, Gzip, Tar, TarGzip, Unsupported };

// Gzip for .gz, Tar for .tar, TarGzip for .tgz and .tar.gz; Zip for .zip, .jar and names the menu
// does not take for archives (a self-extracting program, a block of a set); Unsupported for the
// menu's other archive extensions (.rar, .cab, ...).
ArchiveKind archiveKindOf(const std::string& archive);

// The folder the menu's "extract to" item announces: the archive's path without its extension.
std::string defaultTargetFor(const std::string& archive);

// EExtractError "format not supported" for an Unsupported kind, before anything is written.
ExtractResult extractArchive(const std::string& archive, const ExtractOptions& options);
ExtractResult testArchive(const std::string& archive, const ExtractOptions& options);

} // namespace larkspur::extract
