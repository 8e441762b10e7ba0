// Conversions between the dialog's byte texts and the UTF-16 that the wide Windows functions
// take. Fixed texts are GBK whatever the system's ANSI code page is.
#pragma once

#include <string>
#include <string_view>

namespace larkspur::dialog::win32 {

// The code page of every fixed text of the dialog.
inline constexpr unsigned kGbkCodePage = 936;

std::wstring toWide(std::string_view text, unsigned codePage);
inline std::wstring gbkToWide(std::string_view gbk) {
  return toWide(gbk, kGbkCodePage);
}

} // namespace larkspur::dialog::win32
