// Entry names checked component by component against what would leave the target folder or
// name something other than a plain file on the system.
#include "extract/safe_path.h"

#include <array>

#include "platform/platform.h"

namespace larkspur::extract {

namespace {

// Names Windows maps to devices whatever folder or extension they come with.
constexpr std::array<std::string_view, 6> kDeviceNames = {"CON", "PRN",    "AUX",
                                                          "NUL", "CONIN$", "CONOUT$"};
// COM1..COM9 and LPT1..LPT9 (and the superscript digits Windows also takes).
bool isNumberedDevice(std::string_view upper) {
  if (upper.size() < 4 || (upper.substr(0, 3) != "COM" && upper.substr(0, 3) != "LPT"))
    return false;
  const std::string_view digit = upper.substr(3);
  return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xB9" ||
         digit == "\xB2" || digit == "\xB3";
}

bool isDeviceName(std::string_view component) {
  // The device is named by what precedes the first dot, blanks before the dot ignored.
  std::string_view base = component.substr(0, component.find('.'));
  while (!base.empty() && base.back() == ' ')
    base.remove_suffix(1);
  const std::string upper = paths::UpperCaseAscii(base);
  for (const std::string_view device : kDeviceNames) {
    if (upper == device)
      return true;
  }
  return isNumberedDevice(upper);
}

// Bytes Windows refuses in a file name (":" would open an alternate data stream).
bool isForbiddenOnWindows(unsigned char c) {
  return c < 0x20 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' ||
         c == '*';
}

std::string componentProblem(std::string_view component, const NameRules& rules) {
  if (component == "..")
    return "the name climbs out of the target folder with \"..\"";
  for (const char c : component) {
    if (c == '\0')
      return "the name contains a zero byte";
  }
  if (!rules.windows) {
    if (component.find('\\') != std::string_view::npos)
      return "the name contains \"\\\", which is no separator here";
    return {};
  }
  for (std::size_t i = 0; i < component.size(); ++i) {
    const auto c = static_cast<unsigned char>(component[i]);
    if (rules.isLeadByte(c) && i + 1 < component.size()) {
      ++i;
    } else if (isForbiddenOnWindows(c)) {
      return c == ':' ? "the name has a drive or stream part (\":\")"
                      : "the name contains a character Windows refuses";
    }
  }
  if (component.back() == '.' || component.back() == ' ')
    return "the name ends with a dot or a blank, which Windows drops";
  if (isDeviceName(component))
    return "the name is a Windows device name";
  return {};
}

bool isSeparatorAt(std::string_view name, std::size_t i, const NameRules& rules) {
  return name[i] == '/' || (rules.windows && name[i] == '\\');
}

} // namespace

NameRules nativeNameRules() {
  return {platform::kWindowsNameRules, platform::isLeadByte};
}

SafeName checkEntryName(std::string_view name, const NameRules& rules) {
  SafeName result;
  if (name.empty()) {
    result.unsafeReason = "the entry has no name";
    return result;
  }
  if (isSeparatorAt(name, 0, rules)) {
    result.unsafeReason = "the name is an absolute path";
    return result;
  }
  if (rules.windows && name.size() >= 2 && name[1] == ':') {
    result.unsafeReason = "the name starts with a drive";
    return result;
  }
  std::string component;
  const auto finish = [&] {
    if (!component.empty() && component != "." && result.unsafeReason.empty()) {
      result.unsafeReason = componentProblem(component, rules);
      result.components.push_back(component);
    }
    component.clear();
  };
  bool endsWithSeparator = false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    endsWithSeparator = false;
    if (rules.windows && rules.isLeadByte(c) && i + 1 < name.size()) {
      component += name[i];
      component += name[++i]; // a trail byte (0x5C included) is never a separator
    } else if (isSeparatorAt(name, i, rules)) {
      finish();
      endsWithSeparator = true;
    } else {
      component += name[i];
    }
  }
  result.isDirectory = endsWithSeparator;
  finish();
  // A folder entry for the target itself ("./") asks for nothing; a file cannot be the target.
  if (result.unsafeReason.empty() && result.components.empty() && !result.isDirectory)
    result.unsafeReason = "the name names the target folder itself";
  if (!result.unsafeReason.empty())
    result.components.clear();
  return result;
}

} // namespace larkspur::extract
