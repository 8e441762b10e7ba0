// Every text the context-menu extension shows, as the exact GBK (code page 936) bytes handed to
// the ANSI Windows functions. The UTF-8 reading of each string is given beside it.
#pragma once

#include <string_view>

namespace larkspur::shell::texts {

// Menu labels; the variable part (target or base name) goes between the prefix and the suffix.
inline constexpr std::string_view kExtractFormLabel =
    "\xBD\xE2\xD1\xB9\xCB\xF5...(&Y)"; // 解压缩...(&Y)
inline constexpr std::string_view kExtractToPrefix = "\xBD\xE2\xD1\xB9\xCB\xF5\xB5\xBD"; // 解压缩到
inline constexpr std::string_view kCompressLabel = "\xD1\xB9\xCB\xF5(&Y)";        // 压缩(&Y)
inline constexpr std::string_view kCompressToPrefix = "\xD1\xB9\xCB\xF5\xB5\xBD"; // 压缩到
inline constexpr std::string_view kCompressToExtension = ".zip";
inline constexpr std::string_view kSecondItemSuffix = "(&A)";

// Status-bar help texts of the four command offsets (offset 1 is followed by the target).
inline constexpr std::string_view kExtractFormHelp =
    "\xBD\xE2\xD1\xB9\xCB\xF5\xCB\xF9\xD1\xA1\xCE\xC4\xB5\xB5"; // 解压缩所选文档
inline constexpr std::string_view kExtractToHelpPrefix =
    "\xBD\xAB\xCB\xF9\xD1\xA1\xCE\xC4\xB5\xB1\xBD\xE2\xD1\xB9\xCB\xF5\xB5"
    "\xBD "; // 将所选文当解压缩到␠
inline constexpr std::string_view kCompressHelp =
    "\xCC\xED\xBC\xD3\xB5\xBD\xD1\xB9\xCB\xF5\xB0\xFC"; // 添加到压缩包
inline constexpr std::string_view kCompressToHelp =
    "\xD1\xB9\xCB\xF5\xB5\xBD\xD6\xB8\xB6\xA8\xCE\xC4\xB5\xB5"; // 压缩到指定文档

// Caption of the box that reports a failure while an extension object is created.
inline constexpr std::string_view kErrorBoxCaption = "DAZ Error";

} // namespace larkspur::shell::texts
