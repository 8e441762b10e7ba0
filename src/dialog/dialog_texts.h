// Every text the add-to-archive dialog shows, as exact GBK bytes (what the Windows window hands
// to the ANSI code page 936) beside the same text in UTF-8 (what a terminal shows). Each view
// picks the form it needs; the controller composes texts in the view's form.
#pragma once

#include <string_view>

namespace larkspur::dialog {

enum class TextForm { Gbk, Utf8 };

struct Text {
  std::string_view gbk;
  std::string_view utf8;

  constexpr std::string_view in(TextForm form) const { return form == TextForm::Gbk ? gbk : utf8; }
};

namespace texts {

// Window caption: 压缩到...
inline constexpr Text kCaption{"\xD1\xB9\xCB\xF5\xB5\xBD...", "压缩到..."};
// Group box around the name edit: 增加到压缩文档
inline constexpr Text kGroupCaption{"\xD4\xF6\xBC\xD3\xB5\xBD\xD1\xB9\xCB\xF5\xCE\xC4\xB5\xB5",
                                    "增加到压缩文档"};
// Add button: 增加(&A)
inline constexpr Text kAddButton{"\xD4\xF6\xBC\xD3(&A)", "增加(&A)"};
// Cancel button: 取消(C)
inline constexpr Text kCancelButton{"\xC8\xA1\xCF\xFB(C)", "取消(C)"};
// Hidden password button: 密码(&P)
inline constexpr Text kPasswordButton{"\xC3\xDC\xC2\xEB(&P)", "密码(&P)"};
// Top line before the window is shown: 增加文件：
inline constexpr Text kTopLineInitial{"\xD4\xF6\xBC\xD3\xCE\xC4\xBC\xFE\xA3\xBA", "增加文件："};
// Top line for several items: "增加 " + count + " 个文件"
inline constexpr Text kCountPrefix{"\xD4\xF6\xBC\xD3 ", "增加 "};
inline constexpr Text kCountSuffix{" \xB8\xF6\xCE\xC4\xBC\xFE", " 个文件"};
// System-menu item that rolls the window up to its caption and back: 卷起(&R)
inline constexpr Text kRollUp{"\xBE\xED\xC6\xF0(&R)", "卷起(&R)"};

// Warning for a name that does not end in ".zip": 要创建的压缩文档文件名错误，请重新命名！
inline constexpr Text kWrongName{
    "\xD2\xAA\xB4\xB4\xBD\xA8\xB5\xC4\xD1\xB9\xCB\xF5\xCE\xC4\xB5\xB5\xCE\xC4\xBC\xFE\xC3\xFB"
    "\xB4\xED\xCE\xF3\xA3\xAC\xC7\xEB\xD6\xD8\xD0\xC2\xC3\xFC\xC3\xFB\xA3\xA1",
    "要创建的压缩文档文件名错误，请重新命名！"};
// Warning for an archive that exists already:
// 《Larkspur》发现您的系统存在一个同名压缩文档，无法创建!
inline constexpr Text kArchiveExists{
    "\xA1\xB6Larkspur\xA1\xB7\xB7\xA2\xCF\xD6\xC4\xFA\xB5\xC4\xCF\xB5\xCD\xB3\xB4\xE6\xD4\xDA"
    "\xD2\xBB\xB8\xF6\xCD\xAC\xC3\xFB\xD1\xB9\xCB\xF5\xCE\xC4\xB5\xB5\xA3\xAC\xCE\xDE\xB7\xA8"
    "\xB4\xB4\xBD\xA8!",
    "《Larkspur》发现您的系统存在一个同名压缩文档，无法创建!"};
// Caption of both warnings.
inline constexpr Text kWarningCaption{"Error", "Error"};

// Font face of the window: 宋体
inline constexpr Text kFontFace{"\xCB\xCE\xCC\xE5", "宋体"};

// Byte-exact, in every code page.
inline constexpr std::string_view kZipExtension = ".zip";
// Proposed for several items whose first lies directly in a drive root.
inline constexpr std::string_view kRootArchiveName = "YourArchiveName.zip";
// Wildcard that hands a whole folder to the writer.
inline constexpr std::string_view kAllFiles = "*.*";
// Shown when something other than an engine error ends a run.
inline constexpr std::string_view kUnknownFailure = "Compression failed";

// The full set, for checks that every GBK form reads as its UTF-8 form.
inline constexpr Text kAll[] = {kCaption,        kGroupCaption,   kAddButton,     kCancelButton,
                                kPasswordButton, kTopLineInitial, kCountPrefix,   kCountSuffix,
                                kRollUp,         kWrongName,      kArchiveExists, kWarningCaption,
                                kFontFace};

} // namespace texts
} // namespace larkspur::dialog
