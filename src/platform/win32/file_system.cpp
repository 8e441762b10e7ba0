// Attributes, times, temporary names and whole-file operations through the ANSI Win32 calls.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win_error.h"

namespace larkspur::platform {

std::int32_t fileAttributes(const std::string& name) {
  return static_cast<std::int32_t>(GetFileAttributesA(name.c_str()));
}

bool setFileAttributes(const std::string& name, std::uint32_t attributes) {
  return SetFileAttributesA(name.c_str(), attributes) != 0;
}

bool fileExists(const std::string& name) {
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool directoryExists(const std::string& name) {
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::uint32_t fileDosTime(const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data))
    return 0xFFFFFFFFu;
  return win32::dosTimeOfFileTime(data.ftLastWriteTime);
}

bool setFileDosTime(const std::string& name, std::uint32_t dosTime) {
  FILETIME local{}, utc{};
  if (!DosDateTimeToFileTime(static_cast<WORD>(dosTime >> 16), static_cast<WORD>(dosTime),
                             &local) ||
      !LocalFileTimeToFileTime(&local, &utc))
    return false;
  // Backup semantics lets the same call set a directory's time.
  const HANDLE handle =
      CreateFileA(name.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return false;
  const bool ok = SetFileTime(handle, nullptr, nullptr, &utc) != 0;
  CloseHandle(handle);
  return ok;
}

std::uint32_t currentDosTime() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return win32::dosTimeOfFileTime(now);
}

std::string tempDirectory() {
  char path[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathA(sizeof path, path);
  if (n == 0 || n > MAX_PATH)
    return ".\\";
  return std::string(path, n);
}

std::string makeTempFile(const std::string& directory, const std::string& prefix) {
  char name[MAX_PATH + 1] = {};
  // Unique number 0: the system picks the number and creates the empty file.
  if (GetTempFileNameA(directory.c_str(), prefix.c_str(), 0, name) == 0)
    throw FileCreateError("Cannot create file \"" + directory + prefix + "XXXX.tmp\". " +
                          win32::systemReason(GetLastError()));
  return name;
}

bool renameFile(const std::string& from, const std::string& to) {
  return MoveFileA(from.c_str(), to.c_str()) != 0;
}

bool replaceFileAtomically(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// NTFS and FAT record a new name with the file itself; FlushFileBuffers covers it.
void flushDirectory(const std::string&) {}

bool deleteFileIfUnused(const std::string& name) {
  // A writer holds its temporary file without delete sharing, so this fails while it runs.
  return DeleteFileA(name.c_str()) != 0;
}

bool deleteFile(const std::string& name) {
  return DeleteFileA(name.c_str()) != 0;
}

bool copyFile(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool createDirectory(const std::string& name) {
  return CreateDirectoryA(name.c_str(), nullptr) != 0;
}

bool removeDirectory(const std::string& name) {
  return RemoveDirectoryA(name.c_str()) != 0;
}

CriticalErrorsOff::CriticalErrorsOff() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
CriticalErrorsOff::~CriticalErrorsOff() {
  SetErrorMode(previous_);
}

} // namespace larkspur::platform
