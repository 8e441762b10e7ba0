// The Win32 open-file dialog (GetOpenFileNameA), the folder browser (SHBrowseForFolderA) and the
// standard arrow and hourglass cursors.
#include "platform/file_dialogs.h"

#include <windows.h>
// windows.h first: the shell and dialog headers need its types.
#include <commdlg.h>
#include <shlobj.h>

#include <vector>

namespace larkspur::platform {

namespace {

// "Label|pattern|..." becomes the NUL-separated, doubly NUL-terminated list the dialog wants.
std::vector<char> dialogFilter(const std::string& filter) {
  std::vector<char> out(filter.begin(), filter.end());
  for (char& c : out) {
    if (c == '|')
      c = '\0';
  }
  out.push_back('\0');
  out.push_back('\0');
  return out;
}

// Puts the folder browser on the start folder once it exists.
int CALLBACK browseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data != 0) {
    SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
  }
  return 0;
}

} // namespace

std::optional<std::string> chooseOpenFile(const std::string& title, const std::string& filter,
                                          const std::string& initialDirectory) {
  std::vector<char> filterList = dialogFilter(filter);
  char fileName[MAX_PATH] = {};
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = GetActiveWindow();
  dialog.lpstrFilter = filterList.data();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = fileName;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrInitialDir = initialDirectory.empty() ? nullptr : initialDirectory.c_str();
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_PATHMUSTEXIST;
  if (!GetOpenFileNameA(&dialog))
    return std::nullopt;
  return std::string(fileName);
}

std::optional<std::string> chooseFolder(const std::string& startDirectory) {
  std::string start = startDirectory;
  if (start.empty()) {
    char current[MAX_PATH] = {};
    if (GetCurrentDirectoryA(MAX_PATH, current) != 0)
      start = current;
  }
  char display[MAX_PATH] = {};
  BROWSEINFOA browse{};
  browse.hwndOwner = GetActiveWindow();
  browse.pszDisplayName = display;
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  browse.lpfn = browseCallback;
  browse.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&browse);
  if (chosen == nullptr)
    return std::nullopt;
  char path[MAX_PATH] = {};
  const BOOL ok = SHGetPathFromIDListA(chosen, path);
  CoTaskMemFree(chosen);
  if (!ok)
    return std::nullopt;
  return std::string(path);
}

void showCursor(CursorShape shape) {
  SetCursor(LoadCursor(nullptr, shape == CursorShape::Busy ? IDC_WAIT : IDC_ARROW));
}

} // namespace larkspur::platform
