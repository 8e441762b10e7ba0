// The box that names the files a run left out: a heading, the first twenty with their reasons,
// the rest counted; in the view's form.
#include "dialog/left_out.h"

#include <gtest/gtest.h>

#include <sstream>

namespace larkspur::dialog {
namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    result.push_back(line);
  return result;
}

TEST(LeftOutMessage, ListsTheFirstTwentyWithReasonsAndCountsTheRest) {
  std::vector<LeftOutFile> files;
  for (int i = 0; i < 22; ++i)
    files.push_back({"/d/f" + std::to_string(i), LeftOutReason::Unreadable});
  files[1].reason = LeftOutReason::NameTaken;
  const std::vector<std::string> shown = lines(leftOutMessage(files, TextForm::Utf8));
  ASSERT_EQ(shown.size(), 22u); // heading, twenty files, the count
  EXPECT_EQ(shown[0], "以下文件未能加入压缩文档：");
  EXPECT_EQ(shown[1], "/d/f0（无法读取）");
  EXPECT_EQ(shown[2], "/d/f1（已有同名文件）");
  EXPECT_EQ(shown[20], "/d/f19（无法读取）");
  EXPECT_EQ(shown[21], "……另有 2 个文件未列出");
}

TEST(LeftOutMessage, ComesInTheViewsFormWithoutACountWhenAllAreListed) {
  const std::vector<LeftOutFile> files = {{"C:\\a.txt", LeftOutReason::NotFound}};
  EXPECT_EQ(leftOutMessage(files, TextForm::Gbk),
            std::string(texts::kLeftOutHeading.gbk) + "\nC:\\a.txt" +
                std::string(texts::kReasonOpen.gbk) + std::string(texts::kReasonNotFound.gbk) +
                std::string(texts::kReasonClose.gbk));
  EXPECT_EQ(leftOutLine({"/x/p", LeftOutReason::PathTooLong}), "left out: /x/p (path too long)");
}

} // namespace
} // namespace larkspur::dialog
