// Menu items, help texts and the flags rule of the context-menu extension.
#include "shellext/context_menu.h"

#include <algorithm>
#include <cstring>

#include "platform/paths.h"
#include "shellext/concat.h"
#include "shellext/shell_texts.h"

namespace larkspur::shell {

std::string ExtractTarget;

bool MenuFlagsAllowItems(std::uint32_t flags) {
  const std::uint32_t low = flags & kSuppressingFlagsMask;
  return low == 0 || (low & cmfExplore) != 0;
}

std::vector<TMenuItem> BuildMenuItems(const TMenuSelection& selection, std::string& extractTarget) {
  const auto& list = selection.FileList();
  if (list.empty())
    return {}; // the shell never asks without a path; nothing sensible to offer
  const std::string& first = list.front();
  if (selection.IsArchiveSelection()) {
    extractTarget = paths::RemoveFileExt(first);
    return {{0, TMenuCommand::ExtractForm, std::string(texts::kExtractFormLabel)},
            {1, TMenuCommand::ExtractTo,
             Concat({texts::kExtractToPrefix, extractTarget, texts::kSecondItemSuffix})}};
  }
  const std::string base = paths::RemoveFileExt(paths::ExtractFileName(first));
  return {{0, TMenuCommand::Compress, std::string(texts::kCompressLabel)},
          {1, TMenuCommand::CompressTo,
           Concat({texts::kCompressToPrefix, base, texts::kCompressToExtension,
                   texts::kSecondItemSuffix})}};
}

std::string HelpText(std::uint32_t offset, std::string_view extractTarget) {
  switch (offset) {
  case static_cast<std::uint32_t>(TMenuCommand::ExtractForm):
    return std::string(texts::kExtractFormHelp);
  case static_cast<std::uint32_t>(TMenuCommand::ExtractTo):
    return Concat({texts::kExtractToHelpPrefix, extractTarget});
  case static_cast<std::uint32_t>(TMenuCommand::Compress):
    return std::string(texts::kCompressHelp);
  case static_cast<std::uint32_t>(TMenuCommand::CompressTo):
    return std::string(texts::kCompressToHelp);
  default:
    return {};
  }
}

void CopyHelpText(std::uint32_t offset, std::uint32_t requestType, std::string_view extractTarget,
                  char* buffer, std::size_t size) {
  if (requestType != gcsHelpTextA || buffer == nullptr || size == 0 || offset >= kClaimedOffsets) {
    return;
  }
  const std::string text = HelpText(offset, extractTarget);
  const std::size_t count = std::min(text.size(), size - 1); // room for the NUL
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
}

} // namespace larkspur::shell
