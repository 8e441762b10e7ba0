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
// The box after a run that left files out: a heading, one line per file as
// path + "（" + reason + "）", and for more files than are listed "……另有 " + n + " 个文件未列出".
// 以下文件未能加入压缩文档：
inline constexpr Text kLeftOutHeading{
    "\xD2\xD4\xCF\xC2\xCE\xC4\xBC\xFE\xCE\xB4\xC4\xDC\xBC\xD3\xC8\xEB\xD1\xB9\xCB\xF5"
    "\xCE\xC4\xB5\xB5\xA3\xBA",
    "以下文件未能加入压缩文档："};
inline constexpr Text kReasonOpen{"\xA3\xA8", "（"};
inline constexpr Text kReasonClose{"\xA3\xA9", "）"};
inline constexpr Text kMorePrefix{"\xA1\xAD\xA1\xAD\xC1\xED\xD3\xD0 ", "……另有 "};
inline constexpr Text kMoreSuffix{" \xB8\xF6\xCE\xC4\xBC\xFE\xCE\xB4\xC1\xD0\xB3\xF6",
                                  " 个文件未列出"};
// The reasons: 找不到文件, 无法读取, 不是普通文件, 已有同名文件, 路径太长
inline constexpr Text kReasonNotFound{"\xD5\xD2\xB2\xBB\xB5\xBD\xCE\xC4\xBC\xFE", "找不到文件"};
inline constexpr Text kReasonUnreadable{"\xCE\xDE\xB7\xA8\xB6\xC1\xC8\xA1", "无法读取"};
inline constexpr Text kReasonNotRegular{"\xB2\xBB\xCA\xC7\xC6\xD5\xCD\xA8\xCE\xC4\xBC\xFE",
                                        "不是普通文件"};
inline constexpr Text kReasonNameTaken{"\xD2\xD1\xD3\xD0\xCD\xAC\xC3\xFB\xCE\xC4\xBC\xFE",
                                       "已有同名文件"};
inline constexpr Text kReasonTooLong{"\xC2\xB7\xBE\xB6\xCC\xAB\xB3\xA4", "路径太长"};

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
inline constexpr Text kAll[] = {
    kCaption,          kGroupCaption,    kAddButton,    kCancelButton,   kPasswordButton,
    kTopLineInitial,   kCountPrefix,     kCountSuffix,  kRollUp,         kWrongName,
    kArchiveExists,    kWarningCaption,  kFontFace,     kLeftOutHeading, kReasonOpen,
    kReasonClose,      kMorePrefix,      kMoreSuffix,   kReasonNotFound, kReasonUnreadable,
    kReasonNotRegular, kReasonNameTaken, kReasonTooLong};

} // namespace texts
} // namespace larkspur::dialog
