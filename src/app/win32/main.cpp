// Larkspur.exe, the program the menu's extract commands start: /Extract "PATH" extracts into the
// folder the menu announced with a progress window; /ExtractForm "PATH" first shows the
// extraction window. The engine runs on the window's thread and its progress callbacks pump the
// window's messages, as the writer does for the add-to-archive dialog: the questions it asks
// (password, overwrite) are modal to that window anyway, and nothing crosses threads.
#include <windows.h>

#include <exception>
#include <string>

#include "app/app_texts.h"
#include "app/command_line.h"
#include "app/entry_listing.h"
#include "app/extraction_run.h"
#include "app/test_hook.h"
#include "app/win32/extract_form_window.h"
#include "app/win32/progress_window.h"
#include "app/win32/questions.h"
#include "extract/archive_extract.h"

namespace larkspur::app::win32 {
namespace {

int runCommand(const std::optional<AppCommand>& command, Questions& questions, TestHook* hook) {
  if (!command) {
    questions.tell(nullptr, texts::kUsage, true);
    return kExitUsage;
  }
  if (const auto refusal = archiveRefusal(command->archive)) {
    questions.tell(nullptr, *refusal, true);
    return kExitFailed;
  }
  const WindowClasses classes;
  RunRequest request{command->archive, targetFolderFor(command->archive),
                     extract::OverwritePolicy::Ask};
  if (command->mode == AppMode::ExtractForm) {
    const std::vector<ListedEntry> entries = listEntries(command->archive);
    ExtractFormWindow form(command->archive, request.target, entries, hook);
    const auto choice = form.ask();
    if (!choice)
      return kExitCanceled;
    request.target = choice->target;
    request.overwrite = choice->overwrite;
  }
  ProgressWindow progress(command->archive, questions, hook);
  const RunOutcome outcome = runExtraction(request, progress);
  // A cancel was the user's own doing: no box for it.
  if (outcome.status == RunStatus::Failed || outcome.status == RunStatus::Incomplete)
    questions.tell(progress.handle(), summaryText(outcome), true);
  return outcome.exitCode();
}

} // namespace
} // namespace larkspur::app::win32

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace larkspur::app;
  std::optional<TestHook> hook = TestHook::fromEnvironment();
  TestHook* hookPointer = hook ? &*hook : nullptr;
  win32::Questions questions(hookPointer);
  int code = kExitFailed;
  try {
    code =
        win32::runCommand(parseArguments(argumentsOf(GetCommandLineA())), questions, hookPointer);
  } catch (const std::exception& e) {
    questions.tell(nullptr, std::string(texts::kExtractFailed) + "\n" + e.what(), true);
  }
  if (hook)
    hook->record("exit", std::to_string(code));
  return code;
}
