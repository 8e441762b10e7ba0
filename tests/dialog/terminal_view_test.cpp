// The command-line view: a bar redrawn in place only on a terminal, lines that never run into
// the bar, warnings as UTF-8.
#include "dialog/terminal_view.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fakes.h"
#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"

namespace larkspur::dialog {
namespace {

TEST(TerminalView, DrawsTheBarInPlaceAndEndsItBeforeOtherOutput) {
  std::ostringstream out;
  {
    TerminalView view(out, true);
    view.setProgress(0);
    view.setProgress(50);
    view.setProgress(50); // unchanged: not drawn again
    view.setProgress(100);
    view.showWarning("x");
  }
  const std::string empty(50, '.');
  const std::string half = std::string(25, '#') + std::string(25, '.');
  const std::string full(50, '#');
  EXPECT_EQ(out.str(),
            "\r[" + empty + "]   0%\r[" + half + "]  50%\r[" + full + "] 100%\nError: x\n");
}

TEST(TerminalView, ClampsPercentagesOutsideTheBar) {
  std::ostringstream out;
  TerminalView view(out, true);
  view.setProgress(250);
  view.close();
  EXPECT_EQ(out.str(), "\r[" + std::string(50, '#') + "] 100%\n");
}

TEST(TerminalView, PrintsNoBarWhenNotATerminal) {
  std::ostringstream out;
  TerminalView view(out, false);
  view.setTopLine("增加 2 个文件");
  view.setProgress(40);
  view.showFailure("Disk full.");
  view.close();
  EXPECT_EQ(out.str(), "增加 2 个文件\nError: Disk full.\n");
}

// The command line's run over real files: a plain folder is searched, a typed name replaces
// the proposed one, and an existing archive is refused.
TEST(CompressInTerminal, SearchesARealFolderIntoTheNamedArchive) {
  test::TempDir dir;
  ASSERT_TRUE(platform::createDirectory(dir.file("src")));
  test::writeFile(dir.file("a.txt"), "x");
  testing::FakeWriter writer;
  std::ostringstream err;
  EXPECT_EQ(compressInTerminal({dir.file("src"), dir.file("a.txt")}, writer, "out.zip", err),
            AddResult::Written);
  ASSERT_EQ(writer.runs.size(), 2u);
  EXPECT_EQ(writer.runs[0].zipName, dir.file("out.zip"));
  EXPECT_EQ(writer.runs[0].filesList,
            std::vector<std::string>{dir.file("src") + platform::kPathDelimiter + "*.*"});
  EXPECT_EQ(writer.runs[1].filesList, std::vector<std::string>{dir.file("a.txt")});
}

TEST(CompressInTerminal, RefusesAnExistingArchive) {
  test::TempDir dir;
  test::writeFile(dir.file("a.txt"), "x");
  test::writeFile(dir.file("a.zip"), "old");
  testing::FakeWriter writer;
  std::ostringstream err; // the refusal goes where the caller said, never to the process's own
  EXPECT_EQ(compressInTerminal({dir.file("a.txt")}, writer, std::nullopt, err),
            AddResult::ArchiveExists);
  EXPECT_NE(err.str().find("发现您的系统存在一个同名压缩文档"), std::string::npos) << err.str();
  EXPECT_TRUE(writer.runs.empty());
  EXPECT_EQ(test::readFile(dir.file("a.zip")), "old");
}

} // namespace
} // namespace larkspur::dialog
