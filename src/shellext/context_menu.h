// What the extension puts into a context menu and the status-bar help texts it answers: the
// flags rule, the two items for an archive or a non-archive selection, and the help-text copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shellext/menu_selection.h"

namespace larkspur::shell {

// The target of the extract menu built last anywhere in the module (first path without its
// extension); read by the help text of offset 1, emptied when the module unloads.
extern std::string ExtractTarget;

// Command offsets, added to the first identifier the shell grants.
enum class TMenuCommand : std::uint16_t {
  ExtractForm = 0,
  ExtractTo = 1,
  Compress = 2,
  CompressTo = 3
};
// Offsets claimed from the shell: all four, although only two items are inserted at a time.
inline constexpr std::uint16_t kClaimedOffsets = 4;
static_assert(static_cast<std::uint16_t>(TMenuCommand::CompressTo) < kClaimedOffsets);

// Menu flags as the shell passes them (the CMF_* values).
inline constexpr std::uint32_t cmfExplore = 0x4;
// Only these bits can suppress the items: default-only, verbs-only, explore, no-verbs.
inline constexpr std::uint32_t kSuppressingFlagsMask = 0xF;
// Help request types (GCS_*): only the ANSI help text is answered.
inline constexpr std::uint32_t gcsHelpTextA = 1;

struct TMenuItem {
  std::uint32_t position; // by position in the shell's menu
  TMenuCommand command;
  std::string label; // GBK bytes
};

// Whether `flags` allow the items: the low four bits clear, or CMF_EXPLORE among them.
bool MenuFlagsAllowItems(std::uint32_t flags);

// The two items for `selection` (none for an empty one). An archive selection stores its target
// in `extractTarget`; a compress menu leaves it alone.
std::vector<TMenuItem> BuildMenuItems(const TMenuSelection& selection, std::string& extractTarget);

// The full help text of `offset`; empty for an offset the extension does not own.
std::string HelpText(std::uint32_t offset, std::string_view extractTarget);

// Answers a help request into the caller's buffer of `size` bytes: only for gcsHelpTextA and a
// known offset, NUL-terminated and cut to fit; otherwise the buffer is left as it was.
void CopyHelpText(std::uint32_t offset, std::uint32_t requestType, std::string_view extractTarget,
                  char* buffer, std::size_t size);

} // namespace larkspur::shell
