// The extraction window's controls and buttons.
#include "app/win32/extract_form_window.h"

#include <commctrl.h>

#include <array>

#include "app/app_texts.h"
#include "platform/file_dialogs.h"
#include "platform/paths.h"

namespace larkspur::app::win32 {
namespace {

enum : int {
  idTargetGroup = 400,
  idTarget,
  idBrowse,
  idOverwriteGroup,
  idOverwrite,
  idList,
  idPanel,
  idExtract,
  idCancel,
};

constexpr int kWidth = 449;
constexpr int kHeight = 380;
constexpr ControlRect kTargetGroupRect{0, 0, kWidth, 57};
constexpr ControlRect kTargetRect{16, 24, 330, 20};
constexpr ControlRect kBrowseRect{354, 22, 80, 24};
constexpr ControlRect kOverwriteGroupRect{0, 62, kWidth, 52};
constexpr ControlRect kOverwriteRect{16, 22, 200, 120}; // height includes the drop-down list
constexpr ControlRect kListRect{0, 120, kWidth, 219};
constexpr ControlRect kPanelRect{0, 339, kWidth, 41};
constexpr ControlRect kExtractRect{111, 8, 75, 25};
constexpr ControlRect kCancelRect{259, 8, 75, 25};
static_assert(kPanelRect.top + kPanelRect.height == kHeight, "the panel sits on the bottom edge");
static_assert(kListRect.top + kListRect.height == kPanelRect.top, "the list fills the middle");
static_assert(kBrowseRect.left + kBrowseRect.width <= kWidth - 12, "browse stays in its box");

// The overwrite choices in the order the box lists them.
constexpr std::array kPolicies{extract::OverwritePolicy::Ask, extract::OverwritePolicy::Always,
                               extract::OverwritePolicy::Never, extract::OverwritePolicy::Rename};
constexpr std::array kPolicyTexts{texts::kOverwriteAsk, texts::kOverwriteAlways,
                                  texts::kOverwriteSkip, texts::kOverwriteRename};
// The automation mode's names of the choices, same order.
constexpr std::array<std::string_view, 4> kPolicyNames{"ask", "always", "skip", "rename"};

struct Column {
  std::string_view title;
  int width;
  int format;
};
constexpr std::array kColumns{
    Column{texts::kColumnName, 158, LVCFMT_LEFT}, Column{texts::kColumnSize, 64, LVCFMT_RIGHT},
    Column{texts::kColumnPacked, 64, LVCFMT_RIGHT}, Column{texts::kColumnDate, 114, LVCFMT_LEFT},
    Column{texts::kColumnLock, 36, LVCFMT_CENTER}};

} // namespace

ExtractFormWindow::ExtractFormWindow(const std::string& archive, const std::string& proposedTarget,
                                     const std::vector<ListedEntry>& entries, TestHook* hook)
    : AppWindow(texts::kFormCaption, kWidth, kHeight), hook_(hook) {
  SetWindowTextW(
      handle(),
      (gbk(texts::kFormCaption) + L" - " + ansi(paths::ExtractFileName(archive))).c_str());
  const HWND targetGroup = addGroup(idTargetGroup, texts::kTargetGroup, kTargetGroupRect);
  addControl(targetGroup, idTarget, L"EDIT", ansi(proposedTarget), WS_TABSTOP | ES_AUTOHSCROLL,
             WS_EX_CLIENTEDGE, kTargetRect);
  addButton(targetGroup, idBrowse, texts::kBrowseButton, kBrowseRect);
  const HWND overwriteGroup =
      addGroup(idOverwriteGroup, texts::kOverwriteGroup, kOverwriteGroupRect);
  const HWND box = addControl(overwriteGroup, idOverwrite, L"COMBOBOX", L"",
                              WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, kOverwriteRect);
  for (const std::string_view text : kPolicyTexts)
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(gbk(text).c_str()));
  SendMessageW(box, CB_SETCURSEL, 0, 0);
  addControl(handle(), idList, WC_LISTVIEWW, L"",
             WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, WS_EX_CLIENTEDGE,
             kListRect);
  fillList(entries);
  const HWND panel = addPanel(idPanel, kPanelRect);
  addButton(panel, idExtract, texts::kExtractButton, kExtractRect);
  addButton(panel, idCancel, texts::kCancelButton, kCancelRect);
  // Keys reach the window from the start: Enter extracts, Esc cancels.
  SetFocus(control(idTarget));
}

void ExtractFormWindow::fillList(const std::vector<ListedEntry>& entries) {
  const HWND list = control(idList);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  for (std::size_t i = 0; i < kColumns.size(); ++i) {
    std::wstring title = gbk(kColumns[i].title);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = kColumns[i].format;
    column.cx = kColumns[i].width;
    column.pszText = title.data();
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  int row = 0;
  for (const ListedEntry& entry : entries) {
    const std::array<std::wstring, kColumns.size()> cells{
        ansi(entry.name), ansi(groupedNumber(entry.size)), ansi(packedSizeText(entry)),
        ansi(dateText(entry.dosTime)), entry.encrypted ? gbk(texts::kLockMark) : std::wstring()};
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(cells[0].c_str());
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (std::size_t c = 1; c < cells.size(); ++c) {
      item.iSubItem = static_cast<int>(c);
      item.pszText = const_cast<wchar_t*>(cells[c].c_str());
      SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }
    if (hook_) {
      hook_->record("list", entry.name + "\t" + groupedNumber(entry.size) +
                                (entry.encrypted ? std::string("\t") + std::string(texts::kLockMark)
                                                 : std::string()));
    }
    ++row;
  }
}

std::optional<FormChoice> ExtractFormWindow::ask() {
  if (hook_)
    applyTestAnswer();
  runModal();
  return choice_;
}

// "form TARGET POLICY" fills the controls and presses 解压; "form -" presses 取消. TARGET "=" keeps
// the proposed folder.
void ExtractFormWindow::applyTestAnswer() {
  const std::string answer = hook_->next("form").value_or("-");
  if (answer == "-") {
    PostMessageW(handle(), WM_COMMAND, MAKEWPARAM(idCancel, BN_CLICKED), 0);
    return;
  }
  const auto blank = answer.rfind(' ');
  const std::string target = answer.substr(0, blank);
  const std::string policy = blank == std::string::npos ? "ask" : answer.substr(blank + 1);
  if (target != "=")
    SetWindowTextA(control(idTarget), target.c_str());
  for (std::size_t i = 0; i < kPolicyNames.size(); ++i) {
    if (policy == kPolicyNames[i])
      SendMessageW(control(idOverwrite), CB_SETCURSEL, i, 0);
  }
  PostMessageW(handle(), WM_COMMAND, MAKEWPARAM(idExtract, BN_CLICKED), 0);
}

void ExtractFormWindow::onButton(int id) {
  switch (id) {
  case idBrowse:
    if (const auto folder = platform::chooseFolder(controlTextAnsi(idTarget)))
      SetWindowTextA(control(idTarget), folder->c_str());
    break;
  case IDOK:
  case idExtract: {
    const std::string target = controlTextAnsi(idTarget);
    if (target.empty()) {
      MessageBoxW(handle(), gbk(texts::kNoTarget).c_str(), gbk(texts::kProgramTitle).c_str(),
                  MB_OK | MB_ICONWARNING);
      break;
    }
    const auto selected = SendMessageW(control(idOverwrite), CB_GETCURSEL, 0, 0);
    const std::size_t index = selected >= 0 && static_cast<std::size_t>(selected) < kPolicies.size()
                                  ? static_cast<std::size_t>(selected)
                                  : 0;
    choice_ = FormChoice{target, kPolicies[index]};
    endModal();
    break;
  }
  case IDCANCEL:
  case idCancel:
    choice_.reset();
    endModal();
    break;
  default:
    break;
  }
}

} // namespace larkspur::app::win32
