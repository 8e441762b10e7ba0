// Every text Larkspur.exe shows, as exact GBK bytes (what its windows hand to code page 936),
// with the text itself in the comment above each.
#pragma once

#include <string_view>

namespace larkspur::app::texts {

// Larkspur 解压缩
inline constexpr std::string_view kProgramTitle = "Larkspur \xBD\xE2\xD1\xB9\xCB\xF5";
// 解压缩
inline constexpr std::string_view kFormCaption = "\xBD\xE2\xD1\xB9\xCB\xF5";
// 正在解压缩
inline constexpr std::string_view kProgressCaption = "\xD5\xFD\xD4\xDA\xBD\xE2\xD1\xB9\xCB\xF5";
// 压缩文档：
inline constexpr std::string_view kArchiveLabel = "\xD1\xB9\xCB\xF5\xCE\xC4\xB5\xB5\xA3\xBA";
// 正在解压：
inline constexpr std::string_view kEntryLabel = "\xD5\xFD\xD4\xDA\xBD\xE2\xD1\xB9\xA3\xBA";
// 目标文件夹
inline constexpr std::string_view kTargetGroup = "\xC4\xBF\xB1\xEA\xCE\xC4\xBC\xFE\xBC\xD0";
// 浏览(&B)...
inline constexpr std::string_view kBrowseButton = "\xE4\xAF\xC0\xC0(&B)...";
// 已有文件
inline constexpr std::string_view kOverwriteGroup = "\xD2\xD1\xD3\xD0\xCE\xC4\xBC\xFE";
// 询问
inline constexpr std::string_view kOverwriteAsk = "\xD1\xAF\xCE\xCA";
// 全部覆盖
inline constexpr std::string_view kOverwriteAlways = "\xC8\xAB\xB2\xBF\xB8\xB2\xB8\xC7";
// 跳过已有文件
inline constexpr std::string_view kOverwriteSkip =
    "\xCC\xF8\xB9\xFD\xD2\xD1\xD3\xD0\xCE\xC4\xBC\xFE";
// 自动重命名
inline constexpr std::string_view kOverwriteRename = "\xD7\xD4\xB6\xAF\xD6\xD8\xC3\xFC\xC3\xFB";
// 名称
inline constexpr std::string_view kColumnName = "\xC3\xFB\xB3\xC6";
// 大小
inline constexpr std::string_view kColumnSize = "\xB4\xF3\xD0\xA1";
// 压缩后
inline constexpr std::string_view kColumnPacked = "\xD1\xB9\xCB\xF5\xBA\xF3";
// 修改日期
inline constexpr std::string_view kColumnDate = "\xD0\xDE\xB8\xC4\xC8\xD5\xC6\xDA";
// 加密
inline constexpr std::string_view kColumnLock = "\xBC\xD3\xC3\xDC";
// *
inline constexpr std::string_view kLockMark = "*";
// 解压(&E)
inline constexpr std::string_view kExtractButton = "\xBD\xE2\xD1\xB9(&E)";
// 取消(C)
inline constexpr std::string_view kCancelButton = "\xC8\xA1\xCF\xFB(C)";
// 确定
inline constexpr std::string_view kOkButton = "\xC8\xB7\xB6\xA8";
// 输入密码
inline constexpr std::string_view kPasswordCaption = "\xCA\xE4\xC8\xEB\xC3\xDC\xC2\xEB";
// 压缩文档中有加密的文件，请输入密码：
inline constexpr std::string_view kPasswordPrompt =
    "\xD1\xB9\xCB\xF5\xCE\xC4\xB5\xB5\xD6\xD0\xD3\xD0\xBC\xD3\xC3\xDC\xB5\xC4\xCE\xC4\xBC\xFE\xA3"
    "\xAC\xC7\xEB\xCA\xE4\xC8\xEB\xC3\xDC\xC2\xEB\xA3\xBA";
// 密码错误，请重新输入密码：
inline constexpr std::string_view kPasswordAgain =
    "\xC3\xDC\xC2\xEB\xB4\xED\xCE\xF3\xA3\xAC\xC7\xEB\xD6\xD8\xD0\xC2\xCA\xE4\xC8\xEB\xC3\xDC\xC2"
    "\xEB\xA3\xBA";
// 确认文件替换
inline constexpr std::string_view kOverwriteCaption =
    "\xC8\xB7\xC8\xCF\xCE\xC4\xBC\xFE\xCC\xE6\xBB\xBB";
// 此文件已存在，是否替换？
inline constexpr std::string_view kOverwritePrompt =
    "\xB4\xCB\xCE\xC4\xBC\xFE\xD2\xD1\xB4\xE6\xD4\xDA\xA3\xAC\xCA\xC7\xB7\xF1\xCC\xE6\xBB\xBB\xA3"
    "\xBF";
// 是(&Y)
inline constexpr std::string_view kYesButton = "\xCA\xC7(&Y)";
// 全部是(&A)
inline constexpr std::string_view kYesToAllButton = "\xC8\xAB\xB2\xBF\xCA\xC7(&A)";
// 否(&N)
inline constexpr std::string_view kNoButton = "\xB7\xF1(&N)";
// 全部否(&L)
inline constexpr std::string_view kNoToAllButton = "\xC8\xAB\xB2\xBF\xB7\xF1(&L)";
// 命令行错误。用法：Larkspur.exe /Extract "压缩文档" 或 Larkspur.exe /ExtractForm "压缩文档"
inline constexpr std::string_view kUsage =
    "\xC3\xFC\xC1\xEE\xD0\xD0\xB4\xED\xCE\xF3\xA1\xA3\xD3\xC3\xB7\xA8\xA3\xBALarkspur.exe /Extract "
    "\x22\xD1\xB9\xCB\xF5\xCE\xC4\xB5\xB5\x22 \xBB\xF2 Larkspur.exe /ExtractForm "
    "\x22\xD1\xB9\xCB\xF5\xCE\xC4\xB5\xB5\x22";
// 找不到压缩文档：
inline constexpr std::string_view kMissingArchive =
    "\xD5\xD2\xB2\xBB\xB5\xBD\xD1\xB9\xCB\xF5\xCE\xC4\xB5\xB5\xA3\xBA";
// 无法打开压缩文档，它不是压缩文档或已经损坏：
inline constexpr std::string_view kNotAnArchive =
    "\xCE\xDE\xB7\xA8\xB4\xF2\xBF\xAA\xD1\xB9\xCB\xF5\xCE\xC4\xB5\xB5\xA3\xAC\xCB\xFC\xB2\xBB\xCA"
    "\xC7\xD1\xB9\xCB\xF5\xCE\xC4\xB5\xB5\xBB\xF2\xD2\xD1\xBE\xAD\xCB\xF0\xBB\xB5\xA3\xBA";
// 不支持此压缩文档格式：
inline constexpr std::string_view kUnsupportedFormat =
    "\xB2\xBB\xD6\xA7\xB3\xD6\xB4\xCB\xD1\xB9\xCB\xF5\xCE\xC4\xB5\xB5\xB8\xF1\xCA\xBD\xA3\xBA";
// 解压缩失败：
inline constexpr std::string_view kExtractFailed =
    "\xBD\xE2\xD1\xB9\xCB\xF5\xCA\xA7\xB0\xDC\xA3\xBA";
// 解压缩已取消。
inline constexpr std::string_view kCanceled =
    "\xBD\xE2\xD1\xB9\xCB\xF5\xD2\xD1\xC8\xA1\xCF\xFB\xA1\xA3";
// 以下文件没有解压：
inline constexpr std::string_view kSummaryHead =
    "\xD2\xD4\xCF\xC2\xCE\xC4\xBC\xFE\xC3\xBB\xD3\xD0\xBD\xE2\xD1\xB9\xA3\xBA";
// 文件名不安全，会解压到目标文件夹之外
inline constexpr std::string_view kReasonUnsafeName =
    "\xCE\xC4\xBC\xFE\xC3\xFB\xB2\xBB\xB0\xB2\xC8\xAB\xA3\xAC\xBB\xE1\xBD\xE2\xD1\xB9\xB5\xBD\xC4"
    "\xBF\xB1\xEA\xCE\xC4\xBC\xFE\xBC\xD0\xD6\xAE\xCD\xE2";
// 路径中有符号链接
inline constexpr std::string_view kReasonLinkInPath =
    "\xC2\xB7\xBE\xB6\xD6\xD0\xD3\xD0\xB7\xFB\xBA\xC5\xC1\xB4\xBD\xD3";
// 同名文件挡住了文件夹
inline constexpr std::string_view kReasonNotAFolder =
    "\xCD\xAC\xC3\xFB\xCE\xC4\xBC\xFE\xB5\xB2\xD7\xA1\xC1\xCB\xCE\xC4\xBC\xFE\xBC\xD0";
// 文件已存在，已跳过
inline constexpr std::string_view kReasonExists =
    "\xCE\xC4\xBC\xFE\xD2\xD1\xB4\xE6\xD4\xDA\xA3\xAC\xD2\xD1\xCC\xF8\xB9\xFD";
// 不支持的压缩方式或加密方式
inline constexpr std::string_view kReasonUnsupported =
    "\xB2\xBB\xD6\xA7\xB3\xD6\xB5\xC4\xD1\xB9\xCB\xF5\xB7\xBD\xCA\xBD\xBB\xF2\xBC\xD3\xC3\xDC\xB7"
    "\xBD\xCA\xBD";
// 已加密，没有输入密码
inline constexpr std::string_view kReasonNeedsPassword =
    "\xD2\xD1\xBC\xD3\xC3\xDC\xA3\xAC\xC3\xBB\xD3\xD0\xCA\xE4\xC8\xEB\xC3\xDC\xC2\xEB";
// 密码错误
inline constexpr std::string_view kReasonWrongPassword = "\xC3\xDC\xC2\xEB\xB4\xED\xCE\xF3";
// 数据损坏（CRC 校验错误）
inline constexpr std::string_view kReasonBadData = "\xCA\xFD\xBE\xDD\xCB\xF0\xBB\xB5\xA3\xA8"
                                                   "CRC \xD0\xA3\xD1\xE9\xB4\xED\xCE\xF3\xA3\xA9";
// 没有匹配的文件
inline constexpr std::string_view kReasonNotMatched =
    "\xC3\xBB\xD3\xD0\xC6\xA5\xC5\xE4\xB5\xC4\xCE\xC4\xBC\xFE";
// 请输入目标文件夹。
inline constexpr std::string_view kNoTarget =
    "\xC7\xEB\xCA\xE4\xC8\xEB\xC4\xBF\xB1\xEA\xCE\xC4\xBC\xFE\xBC\xD0\xA1\xA3";

// Font face of every window, as in the add-to-archive dialog: 宋体
inline constexpr std::string_view kFontFace = "\xCB\xCE\xCC\xE5";

} // namespace larkspur::app::texts
