// Small routines the reader and the writer share: name normalisation, short paths, file times,
// temporary names, volume labels, percentages, existence tests and text slices.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/paths.h"
#include "zip/format/dos_date_time.h"

namespace larkspur::zip {

// ANSI -> OEM -> ANSI in place, so a character the OEM code page lacks becomes what a name read
// back from an archive would be. POSIX keeps the bytes.
void OemRoundTrip(std::string& text);

// The path with each component replaced by its 8.3 alias where the file system has one
// ("C:data" becomes "C:\data"). POSIX has no short names: the path comes back unchanged.
std::string ShortPathForm(const std::string& path);

// ShortPathForm's algorithm on Windows paths with a given alias lookup (the alias of the named
// entry, or empty) and lead-byte test, so it can be exercised on any system.
using ShortNameLookup = std::function<std::string(const std::string& path)>;
std::string ShortPathFormUsing(const std::string& path, const ShortNameLookup& shortNameOf,
                               paths::LeadByteTest lead);

// The file's modification time, sanitised; a missing file reads as 2099-12-31 23:59:58 and an
// impossible date as the current time.
DateTime ValidFileTime(const std::string& fileName);

// A new empty file "ZAVxxxx.tmp" in `directory`; platform::FileCreateError when none can be made.
std::string MakeTempFileName(const std::string& directory);

std::string ReadVolumeLabel(const std::string& root);
// Removes the label, then sets `label`; the result of setting it.
bool WriteVolumeLabel(const std::string& root, const std::string& label);

// part of total as 0..100, halves to the even neighbour; 0 when total <= 0.
int Percent(std::int32_t total, std::int32_t part);
int Percent64(std::int64_t part, std::int64_t total);

bool FileExists(const std::string& name);
// Whether two paths name the same file as the file system compares names: ignoring the case of
// ASCII letters on Windows, byte for byte elsewhere.
bool SameFileName(const std::string& a, const std::string& b);
bool DirectoryExists(const std::string& name);

// The first / last n bytes of text, the whole text when it is shorter, empty for n <= 0.
std::string LeftText(const std::string& text, int n);
std::string RightText(const std::string& text, int n);

} // namespace larkspur::zip
