// The question windows: one small modal window with a text, an optional masked edit and a row of
// buttons serves both the password and the overwrite question.
#include "app/win32/questions.h"

#include <array>
#include <vector>

#include "app/app_texts.h"
#include "app/win32/app_window.h"

namespace larkspur::app::win32 {
namespace {

enum : int { idPrompt = 300, idPassword, idPanel, idFirstButton = 310 };

constexpr int kWidth = 400;
constexpr int kButtonWidth = 75;
constexpr int kButtonGap = 12;
constexpr ControlRect kPromptRect{12, 10, 376, 52};
constexpr ControlRect kPasswordRect{12, 66, 376, 20};
constexpr int kPanelHeight = 41;

// A question window; the pressed button's index, or nothing when closed.
class ChoiceWindow : public AppWindow {
public:
  ChoiceWindow(HWND owner, std::string_view caption, const std::wstring& prompt, bool password,
               const std::vector<std::string_view>& buttons)
      : AppWindow(caption, kWidth, (password ? 96 : 72) + kPanelHeight, owner) {
    addControl(handle(), idPrompt, L"STATIC", prompt, SS_LEFT | SS_NOPREFIX, 0, kPromptRect);
    if (password) {
      addControl(handle(), idPassword, L"EDIT", L"", WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL,
                 WS_EX_CLIENTEDGE, kPasswordRect);
    }
    const int panelTop = password ? 96 : 72;
    const HWND panel = addPanel(idPanel, {0, panelTop, kWidth, kPanelHeight});
    const int count = static_cast<int>(buttons.size());
    int left = (kWidth - count * kButtonWidth - (count - 1) * kButtonGap) / 2;
    for (int i = 0; i < count; ++i) {
      addButton(panel, idFirstButton + i, buttons[static_cast<std::size_t>(i)],
                {left, 8, kButtonWidth, 25});
      left += kButtonWidth + kButtonGap;
    }
    if (password)
      SetFocus(control(idPassword));
  }

  std::optional<int> ask() {
    runModal();
    return chosen_;
  }

private:
  void onButton(int id) override {
    if (id == IDOK)
      chosen_ = 0; // Enter picks the first button
    else if (id >= idFirstButton)
      chosen_ = id - idFirstButton;
    endModal(); // IDCANCEL and the close icon leave nothing chosen
  }

  std::optional<int> chosen_;
};

} // namespace

std::optional<std::string> Questions::askPassword(HWND owner, bool again) {
  const std::string_view prompt = again ? texts::kPasswordAgain : texts::kPasswordPrompt;
  if (hook_) {
    hook_->record("password", prompt);
    const auto answer = hook_->next("password");
    if (!answer || *answer == "-")
      return std::nullopt;
    return answer;
  }
  ChoiceWindow window(owner, texts::kPasswordCaption, gbk(prompt), true,
                      {texts::kOkButton, texts::kCancelButton});
  const auto chosen = window.ask();
  if (chosen != 0)
    return std::nullopt;
  return window.controlTextAnsi(idPassword);
}

extract::OverwriteAnswer Questions::askOverwrite(HWND owner, const std::string& path) {
  using extract::OverwriteAnswer;
  constexpr std::array kAnswers{OverwriteAnswer::Yes, OverwriteAnswer::YesToAll,
                                OverwriteAnswer::No, OverwriteAnswer::NoToAll};
  if (hook_) {
    hook_->record("overwrite", path);
    const auto answer = hook_->next("overwrite").value_or("no");
    constexpr std::array<std::string_view, 4> kNames{"yes", "all", "no", "none"};
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      if (answer == kNames[i])
        return kAnswers[i];
    }
    return OverwriteAnswer::No;
  }
  ChoiceWindow window(
      owner, texts::kOverwriteCaption, gbk(texts::kOverwritePrompt) + L"\n" + ansi(path), false,
      {texts::kYesButton, texts::kYesToAllButton, texts::kNoButton, texts::kNoToAllButton});
  const auto chosen = window.ask();
  // Closing the question keeps the file, as "no" does.
  return chosen ? kAnswers[static_cast<std::size_t>(*chosen)] : OverwriteAnswer::No;
}

void Questions::tell(HWND owner, std::string_view gbkText, bool error) {
  if (hook_) {
    hook_->record("box", gbkText);
    return;
  }
  MessageBoxW(owner, gbk(gbkText).c_str(), gbk(texts::kProgramTitle).c_str(),
              MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

} // namespace larkspur::app::win32
