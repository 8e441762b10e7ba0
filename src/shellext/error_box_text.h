// The text of the box that reports a failure while an extension object is created: the
// failure's message, closed with a "." unless it already ends in punctuation sorting up to ".".
#pragma once

#include <string>
#include <string_view>

namespace larkspur::shell {

inline std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
    text += '.';
  return text;
}

} // namespace larkspur::shell
