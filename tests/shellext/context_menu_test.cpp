#include "shellext/context_menu.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "native_path.h"
#include "platform/platform.h"

namespace larkspur::shell {
namespace {

using test::native;

// GBK bytes written out here so an edit of the texts header cannot slip through unnoticed.
constexpr const char* kExtractForm = "\xBD\xE2\xD1\xB9\xCB\xF5...(&Y)"; // 解压缩...(&Y)
constexpr const char* kExtractTo = "\xBD\xE2\xD1\xB9\xCB\xF5\xB5\xBD";  // 解压缩到
constexpr const char* kCompress = "\xD1\xB9\xCB\xF5(&Y)";               // 压缩(&Y)
constexpr const char* kCompressTo = "\xD1\xB9\xCB\xF5\xB5\xBD";         // 压缩到
constexpr const char* kHelp0 =
    "\xBD\xE2\xD1\xB9\xCB\xF5\xCB\xF9\xD1\xA1\xCE\xC4\xB5\xB5"; // 解压缩所选文档
constexpr const char* kHelp1 = "\xBD\xAB\xCB\xF9\xD1\xA1\xCE\xC4\xB5\xB1\xBD\xE2\xD1\xB9\xCB\xF5"
                               "\xB5\xBD "; // 将所选文当解压缩到
constexpr const char* kHelp2 = "\xCC\xED\xBC\xD3\xB5\xBD\xD1\xB9\xCB\xF5\xB0\xFC"; // 添加到压缩包
constexpr const char* kHelp3 =
    "\xD1\xB9\xCB\xF5\xB5\xBD\xD6\xB8\xB6\xA8\xCE\xC4\xB5\xB5"; // 压缩到指定文档

TMenuSelection selectionOf(std::initializer_list<const char*> paths) {
  TMenuSelection selection;
  for (const char* path : paths)
    selection.AddPath(native(path));
  return selection;
}

struct FlagsCase {
  std::uint32_t flags;
  bool allowed;
};

class MenuFlagsTest : public ::testing::TestWithParam<FlagsCase> {};

TEST_P(MenuFlagsTest, OnlyLowFourBitsWithoutExploreSuppressItems) {
  EXPECT_EQ(MenuFlagsAllowItems(GetParam().flags), GetParam().allowed)
      << "flags " << GetParam().flags;
}

INSTANTIATE_TEST_SUITE_P(Flags, MenuFlagsTest,
                         ::testing::Values(FlagsCase{0x0, true}, FlagsCase{0x1, false},
                                           FlagsCase{0x2, false}, FlagsCase{0x8, false},
                                           FlagsCase{0x3, false}, FlagsCase{0x4, true},
                                           FlagsCase{0x5, true}, FlagsCase{0xF, true},
                                           FlagsCase{0x10, true}, FlagsCase{0x11, false},
                                           FlagsCase{0x80000000u, true},
                                           FlagsCase{0x80000008u, false}));

TEST(ContextMenuTest, ArchiveSelectionOffersBothExtractItemsAndStoresTarget) {
  std::string target = "old";
  const auto items = BuildMenuItems(selectionOf({"D:\\pkg\\a.b.zip"}), target);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(target, native("D:\\pkg\\a.b"));
  EXPECT_EQ(items[0].position, 0u);
  EXPECT_EQ(items[0].command, TMenuCommand::ExtractForm);
  EXPECT_EQ(items[0].label, kExtractForm);
  EXPECT_EQ(items[1].position, 1u);
  EXPECT_EQ(items[1].command, TMenuCommand::ExtractTo);
  EXPECT_EQ(items[1].label, std::string(kExtractTo) + native("D:\\pkg\\a.b") + "(&A)");
  EXPECT_EQ(HelpText(1, target), std::string(kHelp1) + native("D:\\pkg\\a.b"));
}

struct CompressCase {
  std::vector<const char*> paths;
  const char* base;
};

class CompressLabelTest : public ::testing::TestWithParam<CompressCase> {};

TEST_P(CompressLabelTest, SecondItemNamesFirstPathsBaseName) {
  TMenuSelection selection;
  for (const char* path : GetParam().paths)
    selection.AddPath(native(path));
  std::string target = "kept";
  const auto items = BuildMenuItems(selection, target);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].command, TMenuCommand::Compress);
  EXPECT_EQ(items[0].label, kCompress);
  EXPECT_EQ(items[1].command, TMenuCommand::CompressTo);
  EXPECT_EQ(items[1].label, std::string(kCompressTo) + GetParam().base + ".zip(&A)");
  EXPECT_EQ(target, "kept"); // a compress menu leaves the extract target alone
}

INSTANTIATE_TEST_SUITE_P(
    Selections, CompressLabelTest,
    ::testing::Values(CompressCase{{"C:\\docs"}, "docs"},
                      CompressCase{{"C:\\work\\photo.JPG"}, "photo"},
                      CompressCase{{"C:\\rel1.2"}, "rel1"}, CompressCase{{"C:\\"}, ""},
                      CompressCase{{"C:\\a\\first.txt", "C:\\b\\second.doc"}, "first"},
                      CompressCase{{"C:\\a\\x.zip", "C:\\b\\y.txt"}, "x"},
                      CompressCase{{"C:\\a\\\xD6\xD0\xCE\xC4.txt"}, "\xD6\xD0\xCE\xC4"}));

TEST(ContextMenuTest, TrailByteOfDoubleByteCharacterDoesNotSplitTheName) {
  if (!platform::isLeadByte(0x95))
    GTEST_SKIP() << "needs a double-byte ANSI code page";
  std::string target;
  const auto items = BuildMenuItems(selectionOf({"C:\\data\\\x95\x5C"
                                                 "abc.txt"}),
                                    target);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].label, std::string(kCompressTo) + "\x95\x5C"
                                                       "abc.zip(&A)");
}

TEST(ContextMenuTest, EmptySelectionOffersNothing) {
  std::string target = "kept";
  EXPECT_TRUE(BuildMenuItems(TMenuSelection{}, target).empty());
  EXPECT_EQ(target, "kept");
}

TEST(ContextMenuTest, HelpTextsOfEveryOffset) {
  EXPECT_EQ(HelpText(0, "x"), kHelp0);
  EXPECT_EQ(HelpText(1, "C:\\t"), std::string(kHelp1) + "C:\\t");
  EXPECT_EQ(HelpText(2, "x"), kHelp2);
  EXPECT_EQ(HelpText(3, "x"), kHelp3);
  EXPECT_EQ(HelpText(4, "x"), "");
}

// A buffer with guard bytes around the part the caller declares, to catch writes past it.
struct GuardedBuffer {
  static constexpr std::size_t kGuard = 8;
  static constexpr char kFill = '#';
  std::array<char, 128> bytes;
  GuardedBuffer() { bytes.fill(kFill); }
  char* data() { return bytes.data() + kGuard; }
  bool untouchedFrom(std::size_t offset) const {
    for (std::size_t i = kGuard + offset; i < bytes.size(); ++i)
      if (bytes[i] != kFill)
        return false;
    return bytes[0] == kFill;
  }
};

TEST(CopyHelpTextTest, CopiesWholeTextWhenItFits) {
  GuardedBuffer buffer;
  CopyHelpText(2, gcsHelpTextA, "", buffer.data(), 64);
  EXPECT_STREQ(buffer.data(), kHelp2);
  EXPECT_TRUE(buffer.untouchedFrom(std::strlen(kHelp2) + 1));
}

TEST(CopyHelpTextTest, CutsToCallersBufferWithNul) {
  GuardedBuffer buffer;
  CopyHelpText(1, gcsHelpTextA, "D:\\pkg\\a.b", buffer.data(), 10);
  EXPECT_EQ(std::string(buffer.data(), 10), std::string(kHelp1, 9) + '\0');
  EXPECT_TRUE(buffer.untouchedFrom(10));
}

struct IgnoredRequest {
  std::uint32_t offset;
  std::uint32_t type;
  std::size_t size;
};

class IgnoredHelpRequestTest : public ::testing::TestWithParam<IgnoredRequest> {};

TEST_P(IgnoredHelpRequestTest, LeavesBufferAsItWas) {
  GuardedBuffer buffer;
  CopyHelpText(GetParam().offset, GetParam().type, "t", buffer.data(), GetParam().size);
  EXPECT_TRUE(buffer.untouchedFrom(0));
}

INSTANTIATE_TEST_SUITE_P(Requests, IgnoredHelpRequestTest,
                         ::testing::Values(IgnoredRequest{0, 5, 64},  // wide help text
                                           IgnoredRequest{0, 0, 64},  // ANSI verb
                                           IgnoredRequest{0, 2, 64},  // validation
                                           IgnoredRequest{0, 4, 64},  // wide verb
                                           IgnoredRequest{4, 1, 64},  // not our offset
                                           IgnoredRequest{0, 1, 0})); // no room at all

TEST(CopyHelpTextTest, OneByteBufferReceivesOnlyTheNul) {
  GuardedBuffer buffer;
  CopyHelpText(0, gcsHelpTextA, "", buffer.data(), 1);
  EXPECT_EQ(buffer.data()[0], '\0');
  EXPECT_TRUE(buffer.untouchedFrom(1));
}

TEST(CopyHelpTextTest, NullBufferIsIgnored) {
  CopyHelpText(0, gcsHelpTextA, "", nullptr, 64); // must not crash
}

} // namespace
} // namespace larkspur::shell
