// Every GBK text of the dialog reads, in code page 936, exactly as its UTF-8 twin.
#include "dialog/dialog_texts.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace larkspur::dialog {
namespace {

std::string gbkToUtf8(std::string_view gbk) {
#ifdef _WIN32
  constexpr UINT kGbkCodePage = 936;
  const int wideLength = MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, gbk.data(),
                                             static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, gbk.data(), static_cast<int>(gbk.size()),
                      wide.data(), wideLength);
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), length, nullptr, nullptr);
  return utf8;
#else
  iconv_t cd = iconv_open("UTF-8", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1))
    return "<no GBK converter>";
  std::string in(gbk);
  std::string out(in.size() * 2 + 4, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  std::size_t inLeft = in.size();
  std::size_t outLeft = out.size();
  const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1))
    return "<invalid GBK>";
  out.resize(out.size() - outLeft);
  return out;
#endif
}

class DialogTextTest : public ::testing::TestWithParam<Text> {};

TEST_P(DialogTextTest, GbkFormReadsAsTheUtf8Form) {
  EXPECT_EQ(gbkToUtf8(GetParam().gbk), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(AllTexts, DialogTextTest, ::testing::ValuesIn(texts::kAll));

} // namespace
} // namespace larkspur::dialog
