// Joins byte strings in one go; labels, help texts and registry keys are all built this way.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace larkspur::shell {

inline std::string Concat(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts)
    text += part;
  return text;
}

} // namespace larkspur::shell
