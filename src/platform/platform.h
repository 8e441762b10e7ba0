// The engine's only window on the operating system: files, folders, times, code pages, drives,
// the message pump and message boxes. One header, one implementation per system (posix/, win32/).
// Paths are native byte strings: on Windows in the ANSI code page with "\" and ":" separators,
// on POSIX with "/" as the only separator.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/error.h"

namespace larkspur::platform {

// ---- Errors of the platform file stream -------------------------------------------------------

// "Cannot open file "%s". <system reason>"
class FileOpenError : public Error {
public:
  using Error::Error;
};
// "Cannot create file "%s". <system reason>"
class FileCreateError : public Error {
public:
  using Error::Error;
};
// A read, write, seek or size query the system refused.
class FileIoError : public Error {
public:
  using Error::Error;
};

// ---- Files -------------------------------------------------------------------------------------

// The native path separator and what counts as a separator in a path.
#ifdef _WIN32
inline constexpr char kPathDelimiter = '\\';
#else
inline constexpr char kPathDelimiter = '/';
#endif

// Whether a file may be renamed, or replaced by a rename, while a process holds it open
// (POSIX); on Windows every handle must be closed first.
#ifdef _WIN32
inline constexpr bool kCanMoveOpenFiles = false;
#else
inline constexpr bool kCanMoveOpenFiles = true;
#endif

// Whether file names are UTF-8 (POSIX), so names stored in a legacy code page are converted;
// on Windows names are in the ANSI code page.
#ifdef _WIN32
inline constexpr bool kNamesAreUtf8 = false;
#else
inline constexpr bool kNamesAreUtf8 = true;
#endif

enum class Access { Read, Write, ReadWrite };
// Who else may open the file while we hold it (ignored where the system has no share modes).
enum class Share { DenyNone, DenyWrite, DenyRead, Exclusive };

enum class SeekOrigin : int { Begin = 0, Current = 1, End = 2 };

// An open file; closed when destroyed. Raises FileOpenError / FileCreateError when it cannot be
// opened, FileIoError when a seek or size query fails. read/write report short transfers through
// their counts.
class File {
public:
  // Creates the file, or empties it when it exists; read/write access, nobody else may write.
  static File create(const std::string& name);
  static File open(const std::string& name, Access access, Share share);
  // Creates a file that must not exist yet (FileCreateError when it does), read/write, others
  // may read and write it but not delete it: the guard of a file being written under a
  // temporary name.
  static File createNew(const std::string& name);

  File(File&&) noexcept;
  File& operator=(File&&) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  std::size_t read(void* buffer, std::size_t count);
  std::size_t write(const void* buffer, std::size_t count);
  std::int64_t seek(std::int64_t offset, SeekOrigin origin);
  std::int64_t size();
  bool setSize(std::int64_t size);
  // Asks the system to put the file's buffers on disk (FlushFileBuffers / fsync).
  void flushToDisk();

  // Takes an exclusive lock that only other lockers respect (flock / a byte-range lock beyond
  // any data). `wait`: blocks until it is free (a signal ends the wait early); otherwise, or
  // when interrupted, returns false while another process holds it.
  bool lockExclusive(bool wait);
  // Whether `name` still leads to this open file (not replaced, moved or deleted meanwhile).
  bool isNamedBy(const std::string& name);

  struct Impl;

private:
  explicit File(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// ---- DOS attributes ----------------------------------------------------------------------------

inline constexpr std::uint32_t faReadOnly = 0x01;
inline constexpr std::uint32_t faHidden = 0x02;
inline constexpr std::uint32_t faSysFile = 0x04;
inline constexpr std::uint32_t faVolumeID = 0x08;
inline constexpr std::uint32_t faDirectory = 0x10;
inline constexpr std::uint32_t faArchive = 0x20;
inline constexpr std::uint32_t faAnyFile = 0x3F;

// The attributes of a file or directory as DOS bits; -1 when it does not exist.
std::int32_t fileAttributes(const std::string& name);
bool setFileAttributes(const std::string& name, std::uint32_t attributes);

bool fileExists(const std::string& name);      // exists and is not a directory
bool directoryExists(const std::string& name); // exists and has the directory attribute

// ---- Directory listing (the Windows find semantics) -------------------------------------------

struct FindData {
  std::string name;      // the entry's own name, no path
  std::string shortName; // its 8.3 alias where the file system has one, else empty
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  std::uint32_t dosTime = 0; // last write time, local DOS date/time
};

// Lists one directory the way FindFirstFileA/FindNextFileA over "dir\*.*" do: "." and ".."
// first, then every entry (on POSIX in byte order of the names, so runs are reproducible).
class DirectoryFind {
public:
  // `pattern` is a directory followed by a separator and "*.*", or a single path whose own entry
  // is wanted (used by the short-name lookup). ok() is false when nothing could be listed.
  explicit DirectoryFind(const std::string& pattern);
  DirectoryFind(DirectoryFind&&) noexcept;
  DirectoryFind& operator=(DirectoryFind&&) noexcept;
  ~DirectoryFind();

  bool ok() const; // an entry is current
  const FindData& current() const;
  // Moves to the next entry; returns 0, or a non-zero system code when there is none.
  int advance();
  int lastResult() const; // 0 while an entry is current

  struct Impl;

private:
  std::unique_ptr<Impl> impl_;
};

// ---- Times -------------------------------------------------------------------------------------

// Last write time as a local DOS date/time; 0xFFFFFFFF when the file does not exist.
std::uint32_t fileDosTime(const std::string& name);
bool setFileDosTime(const std::string& name, std::uint32_t dosTime);
std::uint32_t currentDosTime();

// ---- Temporary files, rename, delete, copy -----------------------------------------------------

// The system's folder for temporary files, ending with a separator.
std::string tempDirectory();
// Creates a new empty file with a unique name "<dir><prefix>XXXX.tmp" and returns its full name;
// raises FileCreateError when it cannot.
std::string makeTempFile(const std::string& directory, const std::string& prefix);
// Never replaces an existing `to`, even when another process creates it at the same moment.
bool renameFile(const std::string& from, const std::string& to);
// Puts `from` in the place of `to` in one step (an existing `to` is replaced, never missing),
// written through to disk where the system offers it.
bool replaceFileAtomically(const std::string& from, const std::string& to);
// Puts the folder's own entries (names just created or moved) on disk; POSIX only needs it.
void flushDirectory(const std::string& directory);
// Deletes the file unless a process still holds it: a lock (POSIX) or an open handle without
// delete sharing (Windows). False when it is in use or cannot be deleted.
bool deleteFileIfUnused(const std::string& name);
bool deleteFile(const std::string& name);
bool copyFile(const std::string& from, const std::string& to); // replaces `to`
bool createDirectory(const std::string& name);
bool removeDirectory(const std::string& name);

// Switches the system's critical-error dialogs off for its lifetime (SetErrorMode).
class CriticalErrorsOff {
public:
  CriticalErrorsOff();
  ~CriticalErrorsOff();
  CriticalErrorsOff(const CriticalErrorsOff&) = delete;
  CriticalErrorsOff& operator=(const CriticalErrorsOff&) = delete;

private:
  [[maybe_unused]] unsigned previous_ = 0; // only the Windows implementation keeps a mode
};

// ---- Code pages --------------------------------------------------------------------------------

// ANSI <-> OEM (CharToOemA / OemToCharA on Windows; POSIX keeps the bytes).
std::string ansiToOem(const std::string& text);
std::string oemToAnsi(const std::string& text);
// Whether `byte` starts a double-byte character in the ANSI code page (never on POSIX).
bool isLeadByte(unsigned char byte);

// ---- Drives and volumes ------------------------------------------------------------------------

enum class DriveType { Unknown, NoRootDir, Removable, Fixed, Remote, CdRom, RamDisk };
DriveType driveType(const std::string& root);                           // POSIX: Fixed
std::string volumeLabel(const std::string& root);                       // POSIX: empty
bool setVolumeLabel(const std::string& root, const std::string& label); // POSIX: false
// Bytes free for the caller on the drive of `root` (empty: the current drive); -1 when unknown.
std::int64_t diskFreeSpace(const std::string& root);

// ---- User interface ----------------------------------------------------------------------------

// Lets the host process pending window messages (Win32: PeekMessage/DispatchMessage). POSIX:
// nothing to pump; a Ctrl-C seen by the CLI is reported through cancelRequested().
void processMessages();
// True once the user asked to interrupt (POSIX: SIGINT, SIGTERM or SIGHUP after
// installInterruptHandler(); Windows consoles: Ctrl-C and Ctrl-Break). A second signal ends the
// process as if no handler were installed, so a run that does not stop can still be stopped.
bool cancelRequested();
void installInterruptHandler();

// Message box buttons and icons as the Win32 MB_* values, answers as the ID* values.
inline constexpr unsigned mbOk = 0x0;
inline constexpr unsigned mbOkCancel = 0x1;
inline constexpr unsigned mbIconError = 0x10;
inline constexpr unsigned mbIconWarning = 0x30;
inline constexpr int idOk = 1;
inline constexpr int idCancel = 2;
// Shows a modal box (POSIX: "caption: text" on stderr and the answer OK).
int messageBox(const std::string& text, const std::string& caption, unsigned flags);

// The full path of the running module (the DLL when called from it, else the program).
std::string moduleFileName();

} // namespace larkspur::platform
