// Every message the archive writer raises or shows, as exact byte strings. The English texts are
// the engine's fixed messages; the limit and mode texts name what does not fit and why.
#pragma once

namespace larkspur::zip::writer_text {

inline constexpr char kNotEnoughRoom[] = "Not enough room to write archive";
inline constexpr char kUserCanceledZip[] = "User canceled Zip operation";

// An archive split over disks or block files keeps to the classic 32-bit and 16-bit fields;
// one file takes what passes them in 64-bit fields, unless a file grows past them while read.
inline constexpr char kFileTooLarge[] =
    "File is too large for an archive split over disks or block files, which keeps to the "
    "classic zip limits (no file of 4 GiB or more): ";
inline constexpr char kArchiveTooLarge[] =
    "A disk or block file of the split archive would reach 4 GiB, more than the classic zip "
    "fields of a split archive can hold";
inline constexpr char kTooManyEntries[] =
    "An archive split over disks or block files would hold more than 65535 entries, more than "
    "the classic zip fields of a split archive can hold";
inline constexpr char kFileGrewPastLimit[] =
    "File grew past 4 GiB while it was being zipped, after its header had been written without "
    "room for 64-bit sizes: ";
inline constexpr char kFileChangedWhileRead[] = "File changed while it was being zipped: ";
// Runs that meet on one archive, and what an interrupted run left behind.
inline constexpr char kArchiveInUse[] =
    "The archive is being changed by another run; try again when it has finished: ";
inline constexpr char kWaitingForArchive[] = "Waiting for another run to finish with ";
inline constexpr char kArchiveVanished[] =
    "The archive was removed by another program while this run waited for it: ";
inline constexpr char kArchiveCreatedMeanwhile[] =
    "Another run created the archive while this one was writing it: ";
inline constexpr char kArchiveNotPlaced[] = "The new archive could not be given its name: ";
inline constexpr char kRemovedLeftover[] = "Removed a temporary file left by an interrupted run: ";
inline constexpr char kRestoredParked[] =
    "An interrupted run had left the archive as the copy with \"$$$\" appended; put it back: ";
inline constexpr char kParkedLeftAlone[] =
    "An older copy of the archive, left by an interrupted run, was not touched: ";
inline constexpr char kLeftoverCaption[] = "Warning";
// An update that would lose or garble entries of the old archive refuses before it writes.
inline constexpr char kArchiveLeftAlone[] = "The archive was left as it was: an update would lose ";
inline constexpr char kUncopyableEntry1[] = "or damage the entry \"";
inline constexpr char kUncopyableEntry2[] = "\": ";
inline constexpr char kDoubtfulDirectory[] = "entries, since ";

// Multi-disk output: the configuration file's two messages (shown, never raised), then what
// refuses a set before or while it is written.
inline constexpr char kSplitArchiveNotUpdatable[] =
    "An archive split over several disks or block files cannot be updated: ";
inline constexpr char kConfigNotCreated[] = "Unable to create Zip Configuration File to disk";
inline constexpr char kConfigNotSaved[] = "Unable to save Zip Configuration File to disk";
inline constexpr char kMultiDiskExists[] =
    "A multi-disk archive is always written anew and would replace an existing file: ";
inline constexpr char kBlockSizeInvalid[] =
    "FirstBlockSize and BlockSize must be at least 1 byte for block files";
inline constexpr char kDiskTooSmall1[] = "A disk or block of ";
inline constexpr char kDiskTooSmall2[] = " bytes is too small for a record of ";
inline constexpr char kDiskTooSmall3[] = " bytes";
inline constexpr char kTooManyDisks[] =
    "Archive would span more than 65535 disks or blocks, more than a zip archive can number";
inline constexpr char kSpanUnavailable[] =
    "Spanning removable disks needs drive letters, which this system does not have; write "
    "block files (mmBlocks) instead";
inline constexpr char kSpanNeedsHandler[] =
    "Spanning removable disks needs an OnGetNextDisk handler to ask for each new disk";
inline constexpr char kBlockNotRenamed[] = "Could not rename the single block file to ";

} // namespace larkspur::zip::writer_text
