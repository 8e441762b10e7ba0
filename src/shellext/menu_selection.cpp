// Taking in the shell's selection and the archive-by-extension test.
#include "shellext/menu_selection.h"

#include <algorithm>

#include "platform/paths.h"

namespace larkspur::shell {

bool IsArchivePath(std::string_view path) {
  const std::string extension = paths::UpperCaseAscii(paths::ExtractFileExt(path));
  return std::find(ArchiveExtensions.begin(), ArchiveExtensions.end(), extension) !=
         ArchiveExtensions.end();
}

void TMenuSelection::AddPath(std::string_view fetched) {
  FFileName.assign(fetched.substr(0, fetched.find('\0')));
  FFileList.push_back(FFileName);
}

bool TMenuSelection::IsArchiveSelection() const {
  return !FFileList.empty() && std::all_of(FFileList.begin(), FFileList.end(),
                                           [](const std::string& p) { return IsArchivePath(p); });
}

} // namespace larkspur::shell
