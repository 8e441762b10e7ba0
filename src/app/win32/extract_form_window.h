// The extraction window of /ExtractForm: the target folder with a browse button, the rule for
// files that exist already, the archive's entries (name, size, packed size, date, a mark for the
// encrypted ones), 解压 and 取消.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/entry_listing.h"
#include "app/test_hook.h"
#include "app/win32/app_window.h"
#include "extract/extract_options.h"

namespace larkspur::app::win32 {

struct FormChoice {
  std::string target;
  extract::OverwritePolicy overwrite;
};

class ExtractFormWindow final : public AppWindow {
public:
  ExtractFormWindow(const std::string& archive, const std::string& proposedTarget,
                    const std::vector<ListedEntry>& entries, TestHook* hook);

  // Waits for 解压 (the choice) or 取消 / the close icon (nothing).
  std::optional<FormChoice> ask();

private:
  void onButton(int id) override;
  void fillList(const std::vector<ListedEntry>& entries);
  void applyTestAnswer();

  TestHook* hook_;
  std::optional<FormChoice> choice_;
};

} // namespace larkspur::app::win32
