// Fixed texts raised or shown by the archive model: stream errors and the replace-file message.
#pragma once

namespace larkspur::zip::texts {

inline constexpr char kPutbackOverflow[] = "Putback overflow";
inline constexpr char kInvalidSeekOrigin[] = "Invalid seek origin (%d)";
inline constexpr char kSeekError[] = "\nSeek error";
inline constexpr char kStreamWriteError[] = "Stream write error";

// ReplaceFile's box when a copy moved no bytes: caption, then text + source + arrow + target.
inline constexpr char kErrorCaption[] = "Error";
inline constexpr char kCouldNotCopyFrom[] = "Could not copy from ";
inline constexpr char kCopyArrow[] = " -> ";

} // namespace larkspur::zip::texts
