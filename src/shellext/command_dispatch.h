// What a click on one of the extension's items does: the extract commands start the main
// program beside the module, the compress commands open the add-to-archive dialog. The actions
// are injected so the decisions can be tested without Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "shellext/hresults.h"
#include "shellext/menu_selection.h"

namespace larkspur::shell {

// The main program, expected in the module's own directory.
inline constexpr std::string_view kMainProgramName = "Larkspur.exe";
inline constexpr std::string_view kExtractFormSwitch = "/ExtractForm";
inline constexpr std::string_view kExtractSwitch = "/Extract";

struct TCommandActions {
  // Starts `program` with `parameters` (no owner, default operation, shown); result not checked.
  std::function<void(const std::string& program, const std::string& parameters)> StartProgram;
  std::function<void(const std::vector<std::string>& paths)> ShowAddToArchiveDialog;
  std::function<void(const std::vector<std::string>& paths)> CompressDirectly;
  // A plain modal box whose whole text is `text` (no command shows one today).
  std::function<void(const std::string& text)> ShowMessage;
};

// "Larkspur.exe" in the directory of `moduleFileName`.
std::string MainProgramPath(std::string_view moduleFileName);
// The switch, one blank, and the path in double quotes.
std::string ExtractParameters(std::string_view commandSwitch, std::string_view path);

// Runs the command named by `verb` (an offset in its low 16 bits, or a pointer to a string verb
// when any higher bit is set) and returns the HRESULT for InvokeCommand.
HResult DispatchCommand(std::uintptr_t verb, const TMenuSelection& selection,
                        std::string_view moduleFileName, const TCommandActions& actions);

} // namespace larkspur::shell
