// The add-to-archive controller against a fake writer, view and file system: the proposed
// name, the name checks, the per-item runs, progress, re-entry and failures.
#include "dialog/add_to_archive_form.h"

#include <gtest/gtest.h>

#include "dialog/dialog_texts.h"
#include "fakes.h"
#include "platform/error.h"

namespace larkspur::dialog {
namespace {

using testing::FakeFiles;
using testing::FakeView;
using testing::FakeWriter;
using testing::nativePath;

std::vector<std::string> nativePaths(const std::vector<std::string>& posix) {
  std::vector<std::string> result;
  for (const std::string& p : posix)
    result.push_back(nativePath(p));
  return result;
}

struct Fixture {
  FakeView view;
  FakeWriter writer;
  FakeFiles files;
  TAddToArchiveForm form{view, writer, files};

  explicit Fixture(const std::vector<std::string>& posixItems, TextForm form = TextForm::Utf8)
      : view(form) {
    this->form.addItems(nativePaths(posixItems));
    this->form.FormShow();
  }
};

// ---- Proposing a name -------------------------------------------------------------------------

struct ShowCase {
  std::vector<std::string> items;
  std::string topLine; // "" means: the first item's native path
  std::string proposed;
};

class FormShowTest : public ::testing::TestWithParam<ShowCase> {};

TEST_P(FormShowTest, ShowsTopLineAndProposesName) {
  const ShowCase& c = GetParam();
  Fixture f(c.items);
  EXPECT_EQ(f.view.topLine, c.topLine.empty() ? nativePath(c.items.front()) : c.topLine);
  EXPECT_EQ(f.view.edit, c.proposed);
}

INSTANTIATE_TEST_SUITE_P(
    Selections, FormShowTest,
    ::testing::Values(ShowCase{{"/work/report.doc"}, "", "report.zip"},
                      ShowCase{
                          {"/work/a.txt", "/work/b.txt", "/work/c.txt"}, "增加 3 个文件", "a.zip"},
                      ShowCase{{"/a.txt", "/b.txt"}, "增加 2 个文件", "YourArchiveName.zip"},
                      ShowCase{{"/", "/work"}, "增加 2 个文件", "YourArchiveName.zip"},
                      ShowCase{{"/a.txt"}, "", "a.zip"}, // one item in the root keeps its own name
                      ShowCase{{"/"}, "", ".zip"}, ShowCase{{"/work/rel1.2"}, "", "rel1.zip"},
                      ShowCase{{"/work/photo.JPG", "/x"}, "增加 2 个文件", "photo.zip"},
                      ShowCase{{"/work/sub/noext", "/work/b"}, "增加 2 个文件", "noext.zip"},
                      ShowCase{{"/w/1", "/w/2", "/w/3", "/w/4", "/w/5", "/w/6", "/w/7", "/w/8",
                                "/w/9", "/w/10", "/w/11", "/w/12"},
                               "增加 12 个文件",
                               "1.zip"}));

TEST(FormShow, CountLineComesInTheViewsForm) {
  Fixture f({"/work/a.txt", "/work/b.txt", "/work/c.txt"}, TextForm::Gbk);
  EXPECT_EQ(f.view.topLine, "\xD4\xF6\xBC\xD3 3 \xB8\xF6\xCE\xC4\xBC\xFE");
}

TEST(FormShow, EmptySelectionShowsNothingAndAddsNothing) {
  Fixture f({});
  EXPECT_EQ(f.view.topLine, "");
  EXPECT_EQ(f.form.Add_ButtonClick(), AddResult::Ignored);
  EXPECT_TRUE(f.writer.runs.empty());
}

// ---- Checking the name ------------------------------------------------------------------------

struct NameCase {
  std::string edit;
  bool accepted;
};

class NameCheckTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(NameCheckTest, AcceptsOnlyAnExactZipExtension) {
  const NameCase& c = GetParam();
  Fixture f({"/work/report.doc"});
  f.view.edit = testing::nativeSeparators(c.edit);
  const AddResult result = f.form.Add_ButtonClick();
  if (c.accepted) {
    EXPECT_EQ(result, AddResult::Written);
    ASSERT_EQ(f.writer.runs.size(), 1u);
    EXPECT_EQ(f.writer.runs[0].zipName, nativePath("/work/" + c.edit));
    EXPECT_TRUE(f.view.warnings.empty());
  } else {
    EXPECT_EQ(result, AddResult::WrongName);
    EXPECT_TRUE(f.writer.runs.empty());
    EXPECT_TRUE(f.view.progress.empty());
    EXPECT_EQ(f.view.warnings,
              std::vector<std::string>{"要创建的压缩文档文件名错误，请重新命名！"});
  }
}

INSTANTIATE_TEST_SUITE_P(Names, NameCheckTest,
                         ::testing::Values(NameCase{"backup.zip", true},
                                           NameCase{"sub/backup.zip", true},
                                           NameCase{"a.b.zip", true}, NameCase{".zip", true},
                                           NameCase{"backup.ZIP", false},
                                           NameCase{"backup.Zip", false}, NameCase{"backup", false},
                                           NameCase{"", false}, NameCase{"backup.zip ", false},
                                           NameCase{"backup.zip.", false},
                                           NameCase{"x.zip/backup", false}));

TEST(NameCheck, WarningComesInTheViewsForm) {
  Fixture f({"/work/report.doc"}, TextForm::Gbk);
  f.view.edit = "backup";
  f.form.Add_ButtonClick();
  ASSERT_EQ(f.view.warnings.size(), 1u);
  EXPECT_EQ(f.view.warnings[0], texts::kWrongName.gbk);
}

TEST(ExistingArchive, IsRefusedWithItsWarningAndNothingWritten) {
  Fixture f({"/work/report.doc"}, TextForm::Gbk);
  f.files.addFile(nativePath("/work/report.zip"));
  EXPECT_EQ(f.form.Add_ButtonClick(), AddResult::ArchiveExists);
  EXPECT_TRUE(f.writer.runs.empty());
  EXPECT_TRUE(f.view.progress.empty());
  EXPECT_EQ(f.view.warnings, std::vector<std::string>{std::string(texts::kArchiveExists.gbk)});
}

TEST(ExistingArchive, SecondPressFindsTheArchiveTheFirstWrote) {
  Fixture f({"/work/a.txt"});
  f.writer.onZip = [&](std::size_t) { f.files.addFile(f.writer.runs.back().zipName); };
  EXPECT_EQ(f.form.Add_ButtonClick(), AddResult::Written);
  EXPECT_EQ(f.form.Add_ButtonClick(), AddResult::ArchiveExists);
  EXPECT_EQ(f.writer.runs.size(), 1u);
}

// ---- The per-item runs ------------------------------------------------------------------------

TEST(ZipRuns, EachItemGoesThroughItsOwnRunWithFixedSettings) {
  Fixture f({"/work/src", "/work/a.txt"});
  f.files.setAttributes(nativePath("/work/src"), 0x10);
  f.files.setAttributes(nativePath("/work/a.txt"), 0x20);
  EXPECT_EQ(f.form.Add_ButtonClick(), AddResult::Written);
  ASSERT_EQ(f.writer.runs.size(), 2u);
  const std::vector<std::vector<std::string>> lists = {{nativePath("/work/src/*.*")},
                                                       {nativePath("/work/a.txt")}};
  for (std::size_t i = 0; i < 2; ++i) {
    const testing::ZipRun& run = f.writer.runs[i];
    EXPECT_EQ(run.rootDir, nativePath("/work/"));
    EXPECT_EQ(run.zipName, nativePath("/work/src.zip"));
    EXPECT_EQ(run.filesList, lists[i]);
    EXPECT_TRUE(run.recurse);
    EXPECT_FALSE(run.storePaths);
    EXPECT_EQ(run.packLevel, 9);
  }
}

TEST(ZipRuns, AWriterThatCannotAddToItsArchiveTakesEveryItemInOneRun) {
  Fixture f({"/work/src", "/work/a.txt"});
  f.writer.oneRun = true;
  f.files.setAttributes(nativePath("/work/src"), 0x10);
  f.files.setAttributes(nativePath("/work/a.txt"), 0x20);
  EXPECT_EQ(f.form.Add_ButtonClick(), AddResult::Written);
  ASSERT_EQ(f.writer.runs.size(), 1u);
  EXPECT_EQ(f.writer.runs[0].filesList, nativePaths({"/work/src/*.*", "/work/a.txt"}));
  EXPECT_EQ(f.writer.runs[0].zipName, nativePath("/work/src.zip"));
  EXPECT_TRUE(f.writer.runs[0].recurse);
  EXPECT_EQ(f.writer.runs[0].packLevel, 9);
}

TEST(ZipRuns, RootDirAndNameOfItemsInTheRoot) {
  Fixture f({"/a.txt", "/b.txt"});
  f.form.Add_ButtonClick();
  ASSERT_EQ(f.writer.runs.size(), 2u);
  EXPECT_EQ(f.writer.runs[0].rootDir, nativePath("/"));
  EXPECT_EQ(f.writer.runs[0].zipName, nativePath("/YourArchiveName.zip"));
}

struct AttributeCase {
  std::uint32_t attributes;
  bool searched;
};

class FolderRuleTest : public ::testing::TestWithParam<AttributeCase> {};

TEST_P(FolderRuleTest, EveryPathWithTheDirectoryBitIsSearched) {
  Fixture f({"/work/dir"});
  f.files.setAttributes(nativePath("/work/dir"), GetParam().attributes);
  f.form.Add_ButtonClick();
  ASSERT_EQ(f.writer.runs.size(), 1u);
  EXPECT_EQ(f.writer.runs[0].filesList, std::vector<std::string>{nativePath(
                                            GetParam().searched ? "/work/dir/*.*" : "/work/dir")});
}

// Folders that Windows customises (Desktop, Documents) carry read-only or system besides the
// directory bit; handed over as plain paths they would add nothing.
INSTANTIATE_TEST_SUITE_P(Attributes, FolderRuleTest,
                         ::testing::Values(AttributeCase{0x10, true},
                                           AttributeCase{0x11, true}, // read-only
                                           AttributeCase{0x12, true}, // hidden
                                           AttributeCase{0x14, true}, // system
                                           AttributeCase{0x30, true}, // archive
                                           AttributeCase{0x410, true}, AttributeCase{0x20, false},
                                           AttributeCase{0xFFFFFFFF, false})); // unreadable

TEST(LeftOut, FilesOfEveryRunAreShownInOneListAfterTheLastRun) {
  Fixture f({"/work/a", "/work/b", "/work/c"});
  const std::vector<LeftOutFile> reported = {{"/work/a", LeftOutReason::Unreadable},
                                             {"/work/c/x", LeftOutReason::NameTaken}};
  f.writer.onZip = [&](std::size_t run) {
    EXPECT_TRUE(f.view.leftOut.empty()) << "shown before the last run";
    if (run == 1)
      f.writer.leftOutEvent(reported[0]);
    if (run == 3)
      f.writer.leftOutEvent(reported[1]);
  };
  EXPECT_EQ(f.form.Add_ButtonClick(), AddResult::Incomplete);
  EXPECT_EQ(f.view.leftOut, std::vector<std::vector<LeftOutFile>>{reported});
  // The next press starts a list of its own.
  f.writer.onZip = nullptr;
  EXPECT_EQ(f.form.Add_ButtonClick(), AddResult::Written);
  EXPECT_EQ(f.view.leftOut.size(), 1u);
}

TEST(ZipRuns, PlainRootFolderGetsOneSeparatorBeforeTheWildcard) {
  Fixture f({"/"});
  f.files.setAttributes(nativePath("/"), 0x10);
  f.form.Add_ButtonClick();
  ASSERT_EQ(f.writer.runs.size(), 1u);
  EXPECT_EQ(f.writer.runs[0].filesList, std::vector<std::string>{nativePath("/*.*")});
  EXPECT_EQ(f.writer.runs[0].zipName, nativePath("/.zip"));
}

// ---- Progress, re-entry, cancel, failures ------------------------------------------------------

TEST(Progress, StartsAtZeroAndFollowsEveryEvent) {
  Fixture f({"/work/a", "/work/b"});
  f.writer.percentsPerRun = {10, 55, 100};
  f.form.Add_ButtonClick();
  EXPECT_EQ(f.view.progress, (std::vector<int>{0, 10, 55, 100, 10, 55, 100}));
}

TEST(Reentry, PressDuringARunIsIgnored) {
  Fixture f({"/work/a", "/work/b"});
  std::vector<AddResult> nested;
  f.writer.onZip = [&](std::size_t) { nested.push_back(f.form.Add_ButtonClick()); };
  EXPECT_EQ(f.form.Add_ButtonClick(), AddResult::Written);
  EXPECT_EQ(f.writer.runs.size(), 2u);
  EXPECT_EQ(nested, (std::vector<AddResult>{AddResult::Ignored, AddResult::Ignored}));
  EXPECT_FALSE(f.form.running());
}

TEST(Cancel, ClosesTheViewAndWritesNothing) {
  Fixture f({"/work/a"});
  f.form.SkinButton3Click();
  EXPECT_EQ(f.view.closes, 1);
  EXPECT_TRUE(f.writer.runs.empty());
}

TEST(Cancel, DuringARunLetsTheRunFinish) {
  Fixture f({"/work/a", "/work/b"});
  f.writer.onZip = [&](std::size_t run) {
    if (run == 1)
      f.form.SkinButton3Click();
  };
  EXPECT_EQ(f.form.Add_ButtonClick(), AddResult::Written);
  EXPECT_EQ(f.writer.runs.size(), 2u);
  EXPECT_EQ(f.view.closes, 1);
}

TEST(Failure, EndsTheRunsAndPropagatesFromTheHandler) {
  Fixture f({"/work/a", "/work/b", "/work/c"});
  f.writer.onZip = [](std::size_t run) {
    if (run == 2)
      throw Error("Disk full");
  };
  EXPECT_THROW(f.form.Add_ButtonClick(), Error);
  EXPECT_EQ(f.writer.runs.size(), 2u);
  EXPECT_FALSE(f.form.running()); // a later press is not taken for a nested one
}

TEST(Failure, PressAddShowsItThroughTheView) {
  Fixture f({"/work/a", "/work/b"});
  f.writer.onZip = [](std::size_t) { throw Error("Disk full"); };
  EXPECT_EQ(f.form.pressAdd(), AddResult::Failed);
  EXPECT_EQ(f.view.failures, std::vector<std::string>{"Disk full."});
  EXPECT_EQ(f.writer.runs.size(), 1u);
}

class FailureTextTest : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(FailureTextTest, AddsAFullStopAfterCharactersSortingAfterIt) {
  EXPECT_EQ(failureText(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, FailureTextTest,
    ::testing::Values(std::pair<std::string, std::string>{"", ""},
                      std::pair<std::string, std::string>{"Disk full", "Disk full."},
                      std::pair<std::string, std::string>{"Done.", "Done."},
                      std::pair<std::string, std::string>{"Stop!", "Stop!"},
                      std::pair<std::string, std::string>{"(x)", "(x)"},
                      std::pair<std::string, std::string>{"a-", "a-"},
                      std::pair<std::string, std::string>{"disk 1", "disk 1."},
                      std::pair<std::string, std::string>{"a/", "a/."},
                      std::pair<std::string, std::string>{"\xCE\xC4", "\xCE\xC4."}));

} // namespace
} // namespace larkspur::dialog
