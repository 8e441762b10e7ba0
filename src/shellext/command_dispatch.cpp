// Command dispatch of the context-menu extension.
#include "shellext/command_dispatch.h"

#include "platform/paths.h"
#include "shellext/context_menu.h"

namespace larkspur::shell {

namespace {

// A verb whose value fits in 16 bits is a command offset; anything larger points to a string.
constexpr std::uintptr_t kOffsetMask = 0xFFFF;

template <typename F, typename... Args> void call(const F& function, Args&&... args) {
  if (function)
    function(std::forward<Args>(args)...);
}

} // namespace

std::string MainProgramPath(std::string_view moduleFileName) {
  return paths::ExtractFilePath(moduleFileName) + std::string(kMainProgramName);
}

std::string ExtractParameters(std::string_view commandSwitch, std::string_view path) {
  std::string parameters(commandSwitch);
  parameters += " \"";
  parameters += path;
  parameters += '"';
  return parameters;
}

HResult DispatchCommand(std::uintptr_t verb, const TMenuSelection& selection,
                        std::string_view moduleFileName, const TCommandActions& actions) {
  if ((verb & ~kOffsetMask) != 0)
    return hrFail;
  const auto offset = static_cast<std::uint16_t>(verb & kOffsetMask);
  const auto& list = selection.FileList();
  if (list.empty())
    return hrOk;

  switch (static_cast<TMenuCommand>(offset)) {
  case TMenuCommand::ExtractForm:
  case TMenuCommand::ExtractTo: {
    const auto commandSwitch = offset == static_cast<std::uint16_t>(TMenuCommand::ExtractForm)
                                   ? kExtractFormSwitch
                                   : kExtractSwitch;
    // One program per archive, each with the one-archive command line; a single archive is the
    // selection's file name, which equals the list's only entry.
    for (const std::string& path : list)
      call(actions.StartProgram, MainProgramPath(moduleFileName),
           ExtractParameters(commandSwitch, list.size() == 1 ? selection.FileName() : path));
    return hrOk;
  }
  case TMenuCommand::Compress:
    call(actions.ShowAddToArchiveDialog, list);
    return hrOk;
  case TMenuCommand::CompressTo:
    call(actions.CompressDirectly, list);
    return hrOk;
  }
  return hrInvalidArg;
}

} // namespace larkspur::shell
