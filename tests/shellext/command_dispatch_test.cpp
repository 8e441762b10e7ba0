#include "shellext/command_dispatch.h"

#include <gtest/gtest.h>

#include "native_path.h"

namespace larkspur::shell {
namespace {

using test::native;

// Joins with append: g++ 12 at -O3 warns falsely (-Wrestrict) on chains of operator+.
std::string cat(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts)
    text += part;
  return text;
}

// Records every action the dispatch takes.
struct Recorder {
  std::vector<std::string> log;
  std::vector<std::string> lastList;
  TCommandActions actions() {
    return {
        [this](const std::string& program, const std::string& parameters) {
          log.push_back(cat({"start ", program, "|", parameters}));
        },
        [this](const std::vector<std::string>& paths) {
          log.push_back("dialog");
          lastList = paths;
        },
        [this](const std::vector<std::string>& paths) {
          log.push_back("compress");
          lastList = paths;
        },
        [this](const std::string& text) {
          log.push_back(cat({"message ", text}));
        },
    };
  }
};

const std::string kModule = native("C:\\Program Files\\Lk\\LarkspurMenu.dll");
const std::string kProgram = native("C:\\Program Files\\Lk\\Larkspur.exe");

TMenuSelection selectionOf(std::initializer_list<const char*> paths) {
  TMenuSelection selection;
  for (const char* path : paths)
    selection.AddPath(native(path));
  return selection;
}

TEST(CommandDispatchTest, ExtractCommandsStartMainProgramBesideModule) {
  Recorder recorder;
  const auto selection = selectionOf({"C:\\dl\\a.zip"});
  EXPECT_EQ(DispatchCommand(0, selection, kModule, recorder.actions()), hrOk);
  EXPECT_EQ(DispatchCommand(1, selection, kModule, recorder.actions()), hrOk);
  EXPECT_EQ(recorder.log,
            (std::vector<std::string>{
                "start " + kProgram + "|/ExtractForm \"" + native("C:\\dl\\a.zip") + "\"",
                "start " + kProgram + "|/Extract \"" + native("C:\\dl\\a.zip") + "\""}));
}

TEST(CommandDispatchTest, PathWithBlanksGoesInsideQuotesUnchanged) {
  EXPECT_EQ(ExtractParameters("/Extract", "C:\\my files\\a b.zip"),
            "/Extract \"C:\\my files\\a b.zip\"");
}

TEST(CommandDispatchTest, ModuleWithoutDirectoryLooksInCurrentPlace) {
  EXPECT_EQ(MainProgramPath("LarkspurMenu.dll"), "Larkspur.exe");
}

TEST(CommandDispatchTest, SeveralArchivesStartTheProgramOncePerArchive) {
  Recorder recorder;
  const auto selection = selectionOf({"C:\\a.zip", "C:\\b.rar"});
  EXPECT_EQ(DispatchCommand(0, selection, kModule, recorder.actions()), hrOk);
  EXPECT_EQ(DispatchCommand(1, selection, kModule, recorder.actions()), hrOk);
  EXPECT_EQ(recorder.log, (std::vector<std::string>{
                              "start " + kProgram + "|/ExtractForm \"" + native("C:\\a.zip") + "\"",
                              "start " + kProgram + "|/ExtractForm \"" + native("C:\\b.rar") + "\"",
                              "start " + kProgram + "|/Extract \"" + native("C:\\a.zip") + "\"",
                              "start " + kProgram + "|/Extract \"" + native("C:\\b.rar") + "\""}));
}

TEST(CommandDispatchTest, CompressCommandsHandWholeListToDialog) {
  Recorder recorder;
  const auto selection = selectionOf({"C:\\a.txt", "C:\\b.txt", "C:\\c.txt"});
  EXPECT_EQ(DispatchCommand(2, selection, kModule, recorder.actions()), hrOk);
  EXPECT_EQ(recorder.lastList, selection.FileList());
  EXPECT_EQ(DispatchCommand(3, selection, kModule, recorder.actions()), hrOk);
  EXPECT_EQ(recorder.lastList, selection.FileList());
  EXPECT_EQ(recorder.log, (std::vector<std::string>{"dialog", "compress"}));
}

struct VerbCase {
  std::uintptr_t verb;
  std::size_t paths;
  HResult expected;
};

class DispatchResultTest : public ::testing::TestWithParam<VerbCase> {};

TEST_P(DispatchResultTest, ReturnsCodeAndStartsNothingWhenRefused) {
  TMenuSelection selection;
  for (std::size_t i = 0; i < GetParam().paths; ++i)
    selection.AddPath(cat({"x", std::to_string(i)}));
  Recorder recorder;
  EXPECT_EQ(DispatchCommand(GetParam().verb, selection, kModule, recorder.actions()),
            GetParam().expected);
  if (GetParam().expected != hrOk || GetParam().paths == 0) {
    EXPECT_TRUE(recorder.log.empty());
  }
}

static const char kStringVerb[] = "open";

INSTANTIATE_TEST_SUITE_P(
    Verbs, DispatchResultTest,
    ::testing::Values(VerbCase{reinterpret_cast<std::uintptr_t>(kStringVerb), 1, hrFail},
                      VerbCase{reinterpret_cast<std::uintptr_t>(kStringVerb), 0, hrFail},
                      VerbCase{0x10000, 1, hrFail}, VerbCase{4, 1, hrInvalidArg},
                      VerbCase{4, 2, hrInvalidArg}, VerbCase{0xFFFF, 1, hrInvalidArg},
                      VerbCase{4, 0, hrOk}, VerbCase{0, 0, hrOk}, VerbCase{3, 0, hrOk}));

TEST(CommandDispatchTest, MissingActionsAreSkipped) {
  const auto selection = selectionOf({"a.zip", "b.zip"});
  for (std::uintptr_t verb = 0; verb < 4; ++verb)
    EXPECT_EQ(DispatchCommand(verb, selection, kModule, TCommandActions{}), hrOk);
}

} // namespace
} // namespace larkspur::shell
