// The questions and boxes of a run: the password (masked, asked again after a wrong one), the
// overwrite question with 是 / 全部是 / 否 / 全部否, and the message boxes. Under the automation
// mode they answer from the test hook and record what they would have shown.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "app/test_hook.h"
#include "extract/extract_options.h"

namespace larkspur::app::win32 {

class Questions {
public:
  explicit Questions(TestHook* hook) : hook_(hook) {}

  std::optional<std::string> askPassword(HWND owner, bool again);
  extract::OverwriteAnswer askOverwrite(HWND owner, const std::string& path);
  // A box with the program's title; `error` picks the stop icon over the information one.
  void tell(HWND owner, std::string_view gbkText, bool error);

private:
  TestHook* hook_;
};

} // namespace larkspur::app::win32
