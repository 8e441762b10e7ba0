// What the extraction engine needs of the file system beyond the writer's calls: what a path is
// without following links, a rename that replaces, Unix permission bits, and entry names turned
// into the system's own encoding.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace larkspur::platform {

enum class PathKind { Missing, File, Directory, Link, Other };

// What is at `path`; a symbolic link or junction (reparse point) is Link, never followed.
PathKind pathKind(const std::string& path);

// Moves `from` to `to`, replacing a file already there in one step.
bool renameReplacing(const std::string& from, const std::string& to);

// Sets the permission bits (0777) of a file; false where the system has none (Windows).
bool setUnixMode(const std::string& path, std::uint32_t mode);

// A name stored in UTF-8 as the system names files; nothing when the system cannot name it
// (Windows: a character the ANSI code page lacks).
std::optional<std::string> utf8NameToNative(const std::string& utf8);
// A name stored in the OEM code page as the system names files. POSIX names are UTF-8: bytes
// that already are UTF-8 stay, others are read as the product's OEM code page (936).
std::string oemNameToNative(const std::string& oem);

bool isValidUtf8(std::string_view text);

} // namespace larkspur::platform
