// The real add-to-archive window under Wine, driven by a fake writer: layout, texts and font,
// the proposed name, pressing add, progress, the modal warnings, cancel, roll-up, failures,
// direct compression and the registry's lifetime rules. Saves screenshots in the build tree.
#include "dialog/win32/add_to_archive_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "dialog/commands.h"
#include "dialog/dialog_texts.h"
#include "dialog/win32/dialog_registry.h"
#include "dialog/win32/form_layout.h"
#include "fakes.h"
#include "platform/error.h"
#include "window_probe.h"

namespace larkspur::dialog::win32 {
namespace {

using testing::FakeFiles;
using testing::FakeWriter;
using testing::nativePath;
using testing::SeenBox;

class WindowTest : public ::testing::Test {
protected:
  void open(const std::vector<std::string>& posixItems) {
    auto owned = std::make_unique<FakeWriter>();
    writer = owned.get();
    std::vector<std::string> items;
    for (const std::string& item : posixItems)
      items.push_back(nativePath(item));
    dialog = &registry.open(items, std::move(owned), files);
    testing::pumpMessages(50);
  }

  void click(ControlId id) {
    SendMessageW(dialog->control(id), BM_CLICK, 0, 0);
    testing::pumpMessages();
  }

  int barPosition() {
    return static_cast<int>(SendMessageW(dialog->control(idZipPB), PBM_GETPOS, 0, 0));
  }

  void TearDown() override { registry.destroyAll(); }

  DialogRegistry registry;
  FakeFiles files;
  FakeWriter* writer = nullptr;
  AddToArchiveWindow* dialog = nullptr;
};

// ---- Layout, texts, font ----------------------------------------------------------------------

struct ControlCase {
  const char* name;
  ControlId id;
  ControlRect rect;
  const Text* text; // nullptr: no caption to check
  bool visible;
};

const ControlCase kControls[] = {
    {"Label5", idLabel5, kLabel5Rect, nullptr, true},
    {"GroupBox", idGroupBox, kGroupBoxRect, &texts::kGroupCaption, true},
    {"Edit1", idEdit1, kEdit1Rect, nullptr, true},
    {"ZipPB", idZipPB, kZipPBRect, nullptr, true},
    {"Panel", idPanel, kPanelRect, nullptr, true},
    {"AddButton", idAddButton, kAddButtonRect, &texts::kAddButton, true},
    {"CancelButton", idCancelButton, kCancelButtonRect, &texts::kCancelButton, true},
    {"ListBox1", idListBox1, kListBox1Rect, nullptr, false},
    {"PasswordB", idPasswordB, kPasswordBRect, &texts::kPasswordButton, false},
};

class ControlLayoutTest : public WindowTest, public ::testing::WithParamInterface<ControlCase> {};

TEST_P(ControlLayoutTest, SitsAtItsPlaceWithItsCaptionAndFont) {
  open({"/work/a.txt"});
  const ControlCase& c = GetParam();
  const HWND control = dialog->control(c.id);
  ASSERT_NE(control, nullptr);
  const RECT rect = testing::rectInParent(control);
  EXPECT_EQ(rect.left, c.rect.left);
  EXPECT_EQ(rect.top, c.rect.top);
  EXPECT_EQ(rect.right - rect.left, c.rect.width);
  EXPECT_EQ(rect.bottom - rect.top, c.rect.height);
  EXPECT_EQ(IsWindowVisible(control) != 0, c.visible);
  if (c.text) {
    EXPECT_EQ(testing::windowTextA(control), c.text->gbk); // the ANSI code page is 936
    EXPECT_EQ(testing::windowTextW(control), testing::utf8ToWide(c.text->utf8));
  }
  LOGFONTW font{};
  ASSERT_NE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)),
                       sizeof font, &font),
            0);
  EXPECT_EQ(font.lfHeight, -12);
  EXPECT_EQ(font.lfCharSet, GB2312_CHARSET);
  EXPECT_EQ(std::wstring(font.lfFaceName), L"宋体");
}

INSTANTIATE_TEST_SUITE_P(Form, ControlLayoutTest, ::testing::ValuesIn(kControls),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, FrameHasTheCaptionClientSizeAndDesktopCentre) {
  open({"/work/a.txt"});
  const HWND window = dialog->handle();
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(testing::windowTextW(window), L"压缩到...");
  EXPECT_EQ(testing::windowTextA(window), texts::kCaption.gbk);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 449);
  EXPECT_EQ(client.bottom, 210);

  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

  // Centred on the work area of the screen it opened on.
  RECT frame;
  GetWindowRect(window, &frame);
  MONITORINFO screen{};
  screen.cbSize = sizeof screen;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &screen));
  EXPECT_NEAR((frame.left + frame.right) / 2, (screen.rcWork.left + screen.rcWork.right) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, (screen.rcWork.top + screen.rcWork.bottom) / 2, 1);
}

TEST_F(WindowTest, ShowsTheCountAndProposedNameAndListsTheItems) {
  open({"/work/a.txt", "/work/b.txt", "/work/c.txt"});
  EXPECT_EQ(testing::windowTextW(dialog->control(idLabel5)), L"增加 3 个文件");
  EXPECT_EQ(testing::windowTextA(dialog->control(idEdit1)), "a.zip");
  const HWND list = dialog->control(idListBox1);
  ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
  char item[MAX_PATH] = {};
  SendMessageA(list, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(item));
  EXPECT_EQ(std::string(item), nativePath("/work/c.txt"));
}

TEST_F(WindowTest, ShowsASinglePathAsItIs) {
  open({"/work/R&D report.doc"}); // "&" is no accelerator in a path
  EXPECT_EQ(testing::windowTextA(dialog->control(idLabel5)), nativePath("/work/R&D report.doc"));
  EXPECT_EQ(testing::windowTextA(dialog->control(idEdit1)), "R&D report.zip");
}

// ---- Adding, progress, re-entry ---------------------------------------------------------------

TEST_F(WindowTest, AddZipsEveryItemAndTheBarFollowsTheWriter) {
  open({"/work/src", "/work/b.txt"});
  files.setAttributes(nativePath("/work/src"), 0x10);
  writer->percentsPerRun = {30, 100};
  std::vector<int> barDuringRun;
  writer->onZip = [&](std::size_t) { barDuringRun.push_back(barPosition()); };
  SetWindowTextA(dialog->control(idEdit1), "other.zip");
  click(idAddButton);
  ASSERT_EQ(writer->runs.size(), 2u);
  EXPECT_EQ(writer->runs[0].zipName, nativePath("/work/other.zip"));
  EXPECT_EQ(writer->runs[0].filesList, std::vector<std::string>{nativePath("/work/src/*.*")});
  EXPECT_EQ(barDuringRun, (std::vector<int>{100, 100}));
  EXPECT_EQ(barPosition(), 100);                  // keeps the last percentage
  EXPECT_TRUE(IsWindowVisible(dialog->handle())); // stays open
}

TEST_F(WindowTest, SecondPressDuringARunIsIgnored) {
  open({"/work/a", "/work/b"});
  writer->onZip = [&](std::size_t) { SendMessageW(dialog->control(idAddButton), BM_CLICK, 0, 0); };
  click(idAddButton);
  EXPECT_EQ(writer->runs.size(), 2u);
}

TEST_F(WindowTest, ScreenshotInTheMiddleOfARun) {
  open({"/work/big.bin"});
  writer->onZip = [&](std::size_t) {
    writer->percentEvent(45);
    testing::pumpMessages(300);
    const std::string path = testing::artifactPath("add_to_archive_dialog.bmp");
    ASSERT_TRUE(testing::saveScreenshot(dialog->handle(), path));
    EXPECT_GT(std::filesystem::file_size(path), 449u * 210u * 3u);
    std::printf("dialog screenshot: %s\n", path.c_str() + 2); // the Unix path
  };
  click(idAddButton);
  EXPECT_EQ(writer->runs.size(), 1u);
}

// ---- Warnings and failures --------------------------------------------------------------------

struct WarningCase {
  const char* name;
  const char* edit;
  bool archiveExists;
  const Text* text;
};

class WarningTest : public WindowTest, public ::testing::WithParamInterface<WarningCase> {};

TEST_P(WarningTest, IsAModalErrorBoxWithItsExactText) {
  open({"/work/a.txt"});
  const WarningCase& c = GetParam();
  SetWindowTextA(dialog->control(idEdit1), c.edit);
  if (c.archiveExists)
    files.addFile(nativePath("/work/") + c.edit);
  const std::vector<SeenBox> boxes = testing::boxesShownDuring([&] { click(idAddButton); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, L"Error");
  EXPECT_EQ(boxes[0].text, testing::utf8ToWide(c.text->utf8));
  EXPECT_TRUE(boxes[0].ownerDisabled);
  EXPECT_TRUE(boxes[0].hasIcon);
  EXPECT_EQ(boxes[0].visibleButtons, std::vector<int>{IDOK});
  EXPECT_TRUE(writer->runs.empty());
  EXPECT_TRUE(IsWindowVisible(dialog->handle()));
  EXPECT_TRUE(IsWindowEnabled(dialog->handle()));
}

INSTANTIATE_TEST_SUITE_P(
    Warnings, WarningTest,
    ::testing::Values(WarningCase{"UpperCaseExtension", "a.ZIP", false, &texts::kWrongName},
                      WarningCase{"NoExtension", "a", false, &texts::kWrongName},
                      WarningCase{"ExistingArchive", "a.zip", true, &texts::kArchiveExists}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, RunFailureIsShownAndTheDialogStaysOpen) {
  open({"/work/a", "/work/b"});
  writer->onZip = [](std::size_t) { throw Error("Disk full"); };
  const std::vector<SeenBox> boxes = testing::boxesShownDuring([&] { click(idAddButton); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"Disk full.");
  EXPECT_EQ(boxes[0].caption, L"dialog_window_tests"); // the module's title
  EXPECT_EQ(writer->runs.size(), 1u);
  EXPECT_TRUE(IsWindowVisible(dialog->handle()));
}

TEST_F(WindowTest, FilesLeftOutAreListedInOneBoxAfterTheLastRun) {
  open({"/work/a", "/work/b"});
  writer->onZip = [&](std::size_t run) {
    writer->leftOutEvent({nativePath("/work/a/x") + std::to_string(run), LeftOutReason::NotFound});
  };
  const std::vector<SeenBox> boxes = testing::boxesShownDuring([&] { click(idAddButton); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, testing::utf8ToWide(texts::kCaption.utf8));
  EXPECT_EQ(boxes[0].text,
            testing::utf8ToWide("以下文件未能加入压缩文档：\n" + nativePath("/work/a/x1") +
                                "（找不到文件）\n" + nativePath("/work/a/x2") + "（找不到文件）"));
  EXPECT_TRUE(boxes[0].ownerDisabled);
  EXPECT_EQ(writer->runs.size(), 2u);
}

// ---- Closing, roll-up, lifetime ---------------------------------------------------------------

class CloseTest : public WindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(CloseTest, HidesWithoutWritingAndIsReleasedLater) {
  open({"/work/a"});
  if (GetParam() == 0) {
    click(idCancelButton);
  } else {
    SendMessageW(dialog->handle(), WM_CLOSE, 0, 0);
  }
  EXPECT_FALSE(IsWindowVisible(dialog->handle()));
  EXPECT_TRUE(writer->runs.empty());
  const HWND window = dialog->handle();
  EXPECT_FALSE(registry.anyDialog());
  EXPECT_FALSE(IsWindow(window));
}

INSTANTIATE_TEST_SUITE_P(CancelAndCloseIcon, CloseTest, ::testing::Values(0, 1));

TEST_F(WindowTest, OpenDialogsOutliveTheirOpenerUntilClosed) {
  open({"/work/a"});
  AddToArchiveWindow* first = dialog;
  open({"/work/b"});
  EXPECT_TRUE(registry.anyDialog());
  EXPECT_EQ(registry.size(), 2u);
  first->close();
  EXPECT_TRUE(registry.anyDialog());
  EXPECT_EQ(registry.size(), 1u);
}

TEST_F(WindowTest, DialogClosedDuringARunIsKeptUntilTheRunEnds) {
  open({"/work/a"});
  bool keptDuringRun = false;
  writer->onZip = [&](std::size_t) {
    click(idCancelButton);
    keptDuringRun = registry.anyDialog() && IsWindow(dialog->handle());
  };
  click(idAddButton);
  EXPECT_TRUE(keptDuringRun);
  EXPECT_FALSE(registry.anyDialog());
}

TEST_F(WindowTest, RollUpShrinksToTheCaptionAndBack) {
  open({"/work/a"});
  const HWND window = dialog->handle();
  RECT before;
  GetWindowRect(window, &before);
  SendMessageW(window, WM_SYSCOMMAND, kRollUpCommand, 0);
  RECT rolled;
  GetWindowRect(window, &rolled);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_TRUE(dialog->rolledUp());
  EXPECT_EQ(client.bottom, 0);
  EXPECT_EQ(rolled.bottom - rolled.top, (before.bottom - before.top) - 210);
  EXPECT_EQ(rolled.top, before.top);
  EXPECT_EQ(GetMenuState(GetSystemMenu(window, FALSE), kRollUpCommand, MF_BYCOMMAND) & MF_CHECKED,
            static_cast<UINT>(MF_CHECKED));
  SendMessageW(window, WM_SYSCOMMAND, kRollUpCommand, 0);
  GetClientRect(window, &client);
  EXPECT_EQ(client.bottom, 210);
  EXPECT_FALSE(dialog->rolledUp());
}

TEST_F(WindowTest, DirectCompressionAddsAndClosesTheDialog) {
  FakeWriter fake;
  bool visibleDuringRun = false;
  fake.onZip = [&](std::size_t) {
    visibleDuringRun = FindWindowW(kFormClass, nullptr) != nullptr &&
                       IsWindowVisible(FindWindowW(kFormClass, nullptr));
  };
  registry.compressDirectly({nativePath("/work/src")},
                            std::make_unique<testing::ForwardingWriter>(fake), files);
  EXPECT_TRUE(visibleDuringRun);
  EXPECT_EQ(fake.runs.size(), 1u);
  EXPECT_EQ(registry.size(), 0u);
}

TEST_F(WindowTest, DirectCompressionOfAnExistingArchiveWarnsAndCloses) {
  files.addFile(nativePath("/work/src.zip"));
  FakeWriter fake;
  const std::vector<SeenBox> boxes = testing::boxesShownDuring([&] {
    registry.compressDirectly({nativePath("/work/src")},
                              std::make_unique<testing::ForwardingWriter>(fake), files);
  });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, testing::utf8ToWide(texts::kArchiveExists.utf8));
  EXPECT_TRUE(fake.runs.empty());
  EXPECT_EQ(registry.size(), 0u);
}

TEST_F(WindowTest, DirectCompressionFailureIsShownAndNeverEscapes) {
  auto owned = std::make_unique<FakeWriter>();
  owned->onZip = [](std::size_t) { throw Error("Disk full"); };
  const std::vector<SeenBox> boxes = testing::boxesShownDuring([&] {
    EXPECT_NO_THROW(registry.compressDirectly({nativePath("/work/a")}, std::move(owned), files));
  });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"Disk full.");
  EXPECT_EQ(registry.size(), 0u);
}

// ---- The module's entry points -----------------------------------------------------------------

TEST(Commands, ShowReturnsWithTheDialogOpenAndItLivesUntilClosedOrDestroyed) {
  ShowAddToArchiveDialog({nativePath("/work/a.txt"), nativePath("/work/b.txt")});
  HWND window = FindWindowW(kFormClass, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(DialogsExist());
  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(DialogsExist());
  EXPECT_FALSE(IsWindow(window));

  ShowAddToArchiveDialog({nativePath("/work/a.txt")});
  window = FindWindowW(kFormClass, nullptr);
  ASSERT_NE(window, nullptr);
  DestroyAllDialogs();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(DialogsExist());
}

} // namespace
} // namespace larkspur::dialog::win32
