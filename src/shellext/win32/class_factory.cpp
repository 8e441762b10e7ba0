// The class factory of the context-menu extension and the module's factory table.
#include "shellext/win32/class_factory.h"

#include <exception>
#include <string_view>

#include "shellext/error_box_text.h"
#include "shellext/registry_plan.h"
#include "shellext/shell_texts.h"
#include "shellext/win32/com_guard.h"
#include "shellext/win32/menu_com.h"
#include "shellext/win32/registration.h"
#include "shellext/win32/server_state.h"

namespace larkspur::shell {

namespace {

TLarkspurMenuMainFactory TheFactory; // created with the module, lives as long as it

// Tells the user why an object could not be made; the shell itself would say nothing.
void showErrorBox(std::string_view message) {
  const std::string text = ErrorBoxText(message);
  const std::string caption(texts::kErrorBoxCaption);
  MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

} // namespace

TLarkspurMenuMainFactory* FindFactory(REFCLSID classId) {
  return IsEqualCLSID(classId, TheFactory.ClassId()) ? &TheFactory : nullptr;
}

STDMETHODIMP TLarkspurMenuMainFactory::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr)
    return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TLarkspurMenuMainFactory::AddRef() {
  return static_cast<ULONG>(++Server.factoryCount);
}

STDMETHODIMP_(ULONG) TLarkspurMenuMainFactory::Release() {
  return static_cast<ULONG>(--Server.factoryCount);
}

STDMETHODIMP TLarkspurMenuMainFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (object == nullptr)
    return E_POINTER;
  *object = nullptr;
  if (outer != nullptr && !IsEqualIID(riid, IID_IUnknown))
    return CLASS_E_NOAGGREGATION;
  try {
    return TTLarkspurMenuCom::Create(outer, riid, object);
  } catch (const std::exception& failure) {
    return ComGuard([&] {
      showErrorBox(failure.what());
      return E_UNEXPECTED;
    });
  } catch (...) {
    return E_UNEXPECTED;
  }
}

STDMETHODIMP TLarkspurMenuMainFactory::LockServer(BOOL lock) {
  const HRESULT result = CoLockObjectExternal(this, lock, TRUE);
  if (lock) {
    ++Server.objectCount;
  } else {
    --Server.objectCount;
  }
  return result;
}

const GUID& TLarkspurMenuMainFactory::ClassId() const {
  return kLarkspurMenuClassId;
}

std::string TLarkspurMenuMainFactory::ProgId() const {
  return ProgIdFor(ModuleFileName(Server.instance));
}

void TLarkspurMenuMainFactory::UpdateRegistry(bool doRegister) const {
  const std::string clsid = GuidText(ClassId());
  if (doRegister) {
    RegisterServer(clsid);
  } else {
    UnregisterServer(clsid, ProgId());
  }
}

} // namespace larkspur::shell
