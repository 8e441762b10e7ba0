// The module's entry point and its four exports: class objects, the unload question, and
// registration. OLE is initialised while the module is loaded.
#include <ole2.h>
#include <windows.h>

#include "dialog/commands.h"
#include "shellext/context_menu.h"
#include "shellext/win32/class_factory.h"
#include "shellext/win32/com_guard.h"
#include "shellext/win32/server_state.h"

using namespace larkspur::shell;

namespace {

bool OleStarted = false; // whether unload owes OleUninitialize

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
  case DLL_PROCESS_ATTACH:
    Server.instance = instance;
    DisableThreadLibraryCalls(instance);
    OleStarted = SUCCEEDED(OleInitialize(nullptr));
    break;
  case DLL_PROCESS_DETACH:
    try {
      ExtractTarget.clear();
      ExtractTarget.shrink_to_fit();
      // At process exit other threads are gone and windows with them; tidy up only on unload.
      if (reserved == nullptr)
        larkspur::dialog::DestroyAllDialogs();
    } catch (...) {
    }
    if (OleStarted && reserved == nullptr)
      OleUninitialize();
    OleStarted = false;
    break;
  default:
    break;
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID riid, LPVOID* object) {
  if (object == nullptr)
    return E_POINTER;
  *object = nullptr;
  return ComGuard([&]() -> HRESULT {
    TLarkspurMenuMainFactory* factory = FindFactory(classId);
    if (factory == nullptr)
      return CLASS_E_CLASSNOTAVAILABLE;
    return factory->QueryInterface(riid, object);
  });
}

STDAPI DllCanUnloadNow() {
  return ComGuard([]() -> HRESULT {
    const bool idle = Server.objectCount == 0 && Server.factoryCount == 0;
    // A dialog outlives the object that opened it; its code must stay loaded with it.
    return idle && !larkspur::dialog::DialogsExist() ? S_OK : S_FALSE;
  });
}

STDAPI DllRegisterServer() {
  const HRESULT result = ComGuard([]() -> HRESULT {
    FindFactory(kLarkspurMenuClassId)->UpdateRegistry(true);
    return S_OK;
  });
  return SUCCEEDED(result) ? S_OK : E_FAIL;
}

STDAPI DllUnregisterServer() {
  const HRESULT result = ComGuard([]() -> HRESULT {
    FindFactory(kLarkspurMenuClassId)->UpdateRegistry(false);
    return S_OK;
  });
  return SUCCEEDED(result) ? S_OK : E_FAIL;
}
