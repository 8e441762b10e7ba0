// Registration and unregistration of the server under HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE.
#include "shellext/win32/registration.h"

#include <windows.h>

#include "platform/error.h"
#include "shellext/registry_plan.h"
#include "shellext/win32/server_state.h"

namespace larkspur::shell {

namespace {

// An open registry key, closed when it goes.
class TRegistryKey {
public:
  TRegistryKey(HKEY root, const std::string& path) {
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &key_, nullptr) != ERROR_SUCCESS) {
      throw Error(std::string(kRegistryWriteError));
    }
  }
  ~TRegistryKey() { RegCloseKey(key_); }
  TRegistryKey(const TRegistryKey&) = delete;
  TRegistryKey& operator=(const TRegistryKey&) = delete;

  void setString(const std::string& name, const std::string& data) {
    const auto* bytes = reinterpret_cast<const BYTE*>(data.c_str());
    if (RegSetValueExA(key_, name.empty() ? nullptr : name.c_str(), 0, REG_SZ, bytes,
                       static_cast<DWORD>(data.size() + 1)) != ERROR_SUCCESS) {
      throw Error(std::string(kRegistryWriteError));
    }
  }

private:
  HKEY key_ = nullptr;
};

HKEY rootKey(TRegistryRoot root) {
  return root == TRegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT;
}

bool isNtPlatform() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

} // namespace

void RegisterServer(const std::string& clsid) {
  TRegistrationInputs inputs;
  inputs.clsid = clsid;
  inputs.moduleFileName = ModuleFileName(Server.instance);
  // A path with blanks goes in its short form, which needs no quotes.
  inputs.modulePath = inputs.moduleFileName.find(' ') == std::string::npos
                          ? inputs.moduleFileName
                          : ShortPathName(inputs.moduleFileName);
  inputs.hostPath = ModuleFileName(nullptr);
  inputs.isNt = isNtPlatform();
  for (const TRegistryWrite& write : RegistrationPlan(inputs)) {
    TRegistryKey(rootKey(write.root), write.key).setString(write.valueName, write.data);
  }
}

void UnregisterServer(const std::string& clsid, const std::string& progId) {
  for (const std::string& key : UnregistrationPlan(clsid, progId)) {
    RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
  }
}

} // namespace larkspur::shell
