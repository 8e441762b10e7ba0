// Files a run left out, with their reasons, and how the dialog and the terminal tell the user:
// one box listing the first files with a count of the rest, or one line per file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/dialog_texts.h"

namespace larkspur::dialog {

enum class LeftOutReason { NotFound, Unreadable, NotRegular, NameTaken, PathTooLong };

struct LeftOutFile {
  std::string path;
  LeftOutReason reason;
  bool operator==(const LeftOutFile&) const = default;
};

// How many files the box names; a screenful, the rest are counted.
inline constexpr std::size_t kLeftOutListed = 20;

// The reason as the dialog shows it.
const Text& leftOutReasonText(LeftOutReason reason);
// The reason in English, for the command line's messages.
std::string_view leftOutReasonWords(LeftOutReason reason);
// The box's message: a heading, the first kLeftOutListed files with their reasons, the count
// of the others.
std::string leftOutMessage(const std::vector<LeftOutFile>& files, TextForm form);
// The command line's line for one file: "left out: PATH (REASON)".
std::string leftOutLine(const LeftOutFile& file);

} // namespace larkspur::dialog
