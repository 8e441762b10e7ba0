// Every message the archive writer raises or shows, as exact byte strings. The English texts are
// the engine's fixed messages; the limit and mode texts name what does not fit and why.
#pragma once

namespace larkspur::zip::writer_text {

inline constexpr char kNotEnoughRoom[] = "Not enough room to write archive";
inline constexpr char kUserCanceledZip[] = "User canceled Zip operation";

// The 32-bit and 16-bit fields of an archive without 64-bit extensions, and what exceeds them.
inline constexpr char kFileTooLarge[] = "File is too large for a zip archive (4 GiB or more): ";
inline constexpr char kArchiveTooLarge[] =
    "Archive would reach 4 GiB, more than a zip archive without 64-bit extensions can hold";
inline constexpr char kTooManyEntries[] =
    "Archive would hold more than 65535 entries, more than a zip archive without 64-bit "
    "extensions can hold";
inline constexpr char kEntryUses64Bit[] =
    "Entry uses 64-bit zip extensions and cannot be carried over: ";
inline constexpr char kFileChangedWhileRead[] = "File changed while it was being zipped: ";
// A copy of an old archive left by an earlier failure; it is the user's to look at, not ours.
inline constexpr char kOldCopyInTheWay[] =
    "The archive was not replaced; move or delete the earlier copy first: ";

inline constexpr char kMultiDiskUnavailable[] =
    "Multi-disk output is not available; MultiZipInfo.MultiMode must be mmNone";

} // namespace larkspur::zip::writer_text
