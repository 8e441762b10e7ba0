// Registration and unregistration of the context-menu server as ordered data.
#include "shellext/registry_plan.h"

#include "platform/paths.h"
#include "shellext/concat.h"

namespace larkspur::shell {

namespace {

constexpr std::string_view kHandlerName = "Larkspur"; // file type and handler key name
constexpr std::string_view kApprovedKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

} // namespace

std::string ProgIdFor(std::string_view moduleFileName) {
  return Concat({paths::RemoveFileExt(paths::ExtractFileName(moduleFileName)), ".", kClassName});
}

std::vector<TRegistryWrite> RegistrationPlan(const TRegistrationInputs& in) {
  constexpr auto hkcr = TRegistryRoot::ClassesRoot;
  const std::string clsidKey = Concat({"CLSID\\", in.clsid});
  const std::string progId = ProgIdFor(in.moduleFileName);
  std::vector<TRegistryWrite> plan = {
      // The class registration.
      {hkcr, clsidKey, "", std::string(kClassDescription)},
      {hkcr, clsidKey + "\\InprocServer32", "", in.modulePath},
      {hkcr, clsidKey + "\\InprocServer32", "ThreadingModel", std::string(kThreadingModel)},
      {hkcr, progId, "", std::string(kClassDescription)},
      {hkcr, progId + "\\Clsid", "", in.clsid},
      {hkcr, clsidKey + "\\ProgID", "", progId},
      // The shell registration: handler for every file, folder, directory and drive.
      {hkcr, "Larkspur\\shellex", "", ""},
      {hkcr, "Larkspur\\shellex\\ContextMenuHandlers", "", ""},
      {hkcr, "Larkspur\\shellex\\ContextMenuHandlers\\ContMenu", "", in.clsid},
      {hkcr, "*\\shellex", "", ""},
  };
  const auto emptyThen = [&](std::string key, std::string data) {
    plan.push_back({hkcr, key, "", ""});
    plan.push_back({hkcr, std::move(key), "", std::move(data)});
  };
  const auto handlerKey = [](std::string_view type) {
    return Concat({type, "\\ShellEx\\ContextMenuHandlers\\", kHandlerName});
  };
  emptyThen(handlerKey("*"), in.clsid);
  plan.push_back({hkcr, "Folder\\shellex", "", ""});
  emptyThen(handlerKey("Folder"), in.clsid);
  emptyThen(handlerKey("Directory"), in.clsid);
  emptyThen(handlerKey("Drive"), in.clsid);
  emptyThen("Larkspur\\DefaultIcon", in.hostPath + ",0");
  plan.push_back({hkcr, "Larkspur\\shell", "", ""});
  plan.push_back({hkcr, "Larkspur\\shell\\open", "", ""});
  emptyThen("Larkspur\\shell\\open\\command", in.hostPath + " \"%1\"");
  if (in.isNt) {
    plan.push_back({TRegistryRoot::LocalMachine, std::string(kApprovedKey), in.clsid,
                    std::string(kClassDescription)});
  }
  return plan;
}

std::vector<std::string> UnregistrationPlan(std::string_view clsid, std::string_view progId) {
  const std::string clsidKey = Concat({"CLSID\\", clsid});
  return {
      "Larkspur\\shellex\\ContextMenuHandlers\\ContMenu",
      "Larkspur\\shellex\\ContextMenuHandlers",
      "Larkspur\\shellex",
      "*\\ShellEx\\ContextMenuHandlers\\Larkspur",
      "Folder\\ShellEx\\ContextMenuHandlers\\Larkspur",
      "Directory\\ShellEx\\ContextMenuHandlers\\Larkspur",
      "Drive\\ShellEx\\ContextMenuHandlers\\Larkspur",
      "Larkspur\\DefaultIcon\\",
      "Larkspur\\shell\\open\\command",
      "Larkspur\\shell\\open",
      "Larkspur\\shell",
      clsidKey + "\\ProgID",
      Concat({progId, "\\Clsid"}),
      std::string(progId),
      clsidKey + "\\InprocServer32",
      clsidKey,
  };
}

} // namespace larkspur::shell
