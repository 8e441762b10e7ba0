// Every text the archive reader raises or shows, as exact byte strings (all plain ASCII). The
// English messages are the engine's fixed ones; kDiskMissing and the kZip64 texts are ours, for
// a set whose next disk cannot be found without a person to insert it and for 64-bit records.
#pragma once

namespace larkspur::zip::reader_text {

inline constexpr char kUserCanceledZipName[] = "User canceled setting zip file name.";
// Spelt as the engine has always spelt it.
inline constexpr char kUserCanceledDestDir[] = "User canceled Set Desination Directory";
inline constexpr char kNotAValidZip[] = "Not a valid zip file!";
inline constexpr char kIncompleteZip[] = "Incomplete Zip File";
inline constexpr char kUserAborted[] = "User Aborted Operation";
inline constexpr char kUserCanceledNewDisk[] = "User canceled loading new disk.";
// "%d" is replaced by the index asked for.
inline constexpr char kIndexOutOfRange[] = "Index %d is out of range";
// "%d" is replaced by the disk number (from 1), "%s" by the file looked for.
inline constexpr char kDiskMissing[] = "Disk %d of the multi-disk set is missing: %s";

// An archive whose end record only points at 64-bit records (more than 65535 entries, 4 GiB).
inline constexpr char kZip64Archive[] =
    "Not a valid zip file! The archive uses 64-bit zip extensions, which cannot be read";

// A central header whose 64-bit extra field lacks values its classic fields defer to; the
// stored name follows.
inline constexpr char kZip64ExtraDamaged[] =
    "Not a valid zip file! The 64-bit extra field is damaged in the header of ";
// A 64-bit end locator that points at no sound 64-bit end record.
inline constexpr char kZip64EndDamaged[] =
    "Not a valid zip file! The 64-bit end record is damaged or missing";

// Why a directory read may not be the archive's whole directory (TZipReader::DirectoryProblem).
// Numbers are appended or put between the parts.
inline constexpr char kDirectoryRebuilt[] =
    "the directory was rebuilt from the local headers: entries may be missing or incomplete";
inline constexpr char kCountedEntries1[] = "the end record counts ";
inline constexpr char kCountedEntries2[] = " entries, the directory holds ";
inline constexpr char kCountedOnDisk1[] = "the end record counts ";
inline constexpr char kCountedOnDisk2[] = " entries on this disk but ";
inline constexpr char kCountedOnDisk3[] = " in all";
inline constexpr char kDirectorySize1[] = "the end record gives the directory ";
inline constexpr char kDirectorySize2[] = " bytes, its headers take ";
inline constexpr char kDirectoryGap1[] = "the directory ends ";
inline constexpr char kDirectoryGap2[] = " bytes before the end record";
inline constexpr char kDirectoryOverlap1[] = "the directory runs ";
inline constexpr char kDirectoryOverlap2[] = " bytes into the end record";

// The open-file dialog of a ZipName ending with "?".
inline constexpr char kOpenZipTitle[] = "Open a Zip File";
inline constexpr char kOpenZipFilter[] =
    "Zip Files (*.ZIP)|*.zip|SFX Files (*.EXE)|*.exe|Jar Files (*.JAR)|*.jar|All Files (*.*)|*.*";
inline constexpr char kOpenZipFallbackDir[] = "C:\\";

// The default disk prompt: kInsertDisk + number + kOfMultiDiskSet, in a box without caption.
inline constexpr char kInsertDisk[] = "Please insert disk ";
inline constexpr char kOfMultiDiskSet[] = " of the multi-disk set.";

} // namespace larkspur::zip::reader_text
