// The progress window of a run: the archive's name, the entry being extracted, the overall bar
// and 取消, which stops the engine at its next block (the engine then removes the partial file).
// The engine runs on this thread and its callbacks keep the window answering.
#pragma once

#include <string>

#include "app/extraction_run.h"
#include "app/test_hook.h"
#include "app/win32/app_window.h"
#include "app/win32/questions.h"

namespace larkspur::app::win32 {

class ProgressWindow final : public AppWindow, public RunView {
public:
  ProgressWindow(const std::string& archive, Questions& questions, TestHook* hook);

  void showEntry(const std::string& entry) override;
  void showPercent(int percent) override;
  bool cancelRequested() override;
  std::optional<std::string> askPassword(bool again) override;
  extract::OverwriteAnswer askOverwrite(const std::string& path) override;

private:
  void onButton(int id) override;

  Questions& questions_;
  TestHook* hook_;
  bool cancelRequested_ = false;
  bool cancelPosted_ = false;
  int percent_ = -1;
};

} // namespace larkspur::app::win32
