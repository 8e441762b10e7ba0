// The texts that tell the user which files a run left out and why.
#include "dialog/left_out.h"

#include <algorithm>

namespace larkspur::dialog {

const Text& leftOutReasonText(LeftOutReason reason) {
  switch (reason) {
  case LeftOutReason::NotFound:
    return texts::kReasonNotFound;
  case LeftOutReason::Unreadable:
    return texts::kReasonUnreadable;
  case LeftOutReason::NotRegular:
    return texts::kReasonNotRegular;
  case LeftOutReason::NameTaken:
    return texts::kReasonNameTaken;
  case LeftOutReason::PathTooLong:
    break;
  }
  return texts::kReasonTooLong;
}

std::string_view leftOutReasonWords(LeftOutReason reason) {
  switch (reason) {
  case LeftOutReason::NotFound:
    return "not found";
  case LeftOutReason::Unreadable:
    return "unreadable";
  case LeftOutReason::NotRegular:
    return "not a regular file";
  case LeftOutReason::NameTaken:
    return "name taken by an earlier file";
  case LeftOutReason::PathTooLong:
    break;
  }
  return "path too long";
}

std::string leftOutMessage(const std::vector<LeftOutFile>& files, TextForm form) {
  std::string message(texts::kLeftOutHeading.in(form));
  const std::size_t listed = std::min(files.size(), kLeftOutListed);
  for (std::size_t i = 0; i < listed; ++i) {
    message += '\n';
    message += files[i].path;
    message += texts::kReasonOpen.in(form);
    message += leftOutReasonText(files[i].reason).in(form);
    message += texts::kReasonClose.in(form);
  }
  if (files.size() > listed) {
    message += '\n';
    message += texts::kMorePrefix.in(form);
    message += std::to_string(files.size() - listed);
    message += texts::kMoreSuffix.in(form);
  }
  return message;
}

std::string leftOutLine(const LeftOutFile& file) {
  return "left out: " + file.path + " (" + std::string(leftOutReasonWords(file.reason)) + ")";
}

} // namespace larkspur::dialog
