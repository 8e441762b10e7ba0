// The command-line view: a bar redrawn in place only on a terminal, lines that never run into
// the bar, warnings as UTF-8.
#include "dialog/terminal_view.h"

#include <gtest/gtest.h>

#include <sstream>

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

TEST(TerminalView, KeepsTheEditedName) {
  std::ostringstream out;
  TerminalView view(out, false);
  view.setEditText("a.zip");
  EXPECT_EQ(view.editText(), "a.zip");
  EXPECT_EQ(view.textForm(), TextForm::Utf8);
}

} // namespace
} // namespace larkspur::dialog
