// The server's exports and counts: class objects, the unload answer across object, factory and
// lock lifetimes, and what aggregation gets.
#include <atomic>

#include "host/check.h"
#include "host/checks.h"
#include "host/extension.h"
#include "shellext/win32/server_state.h"

namespace larkspur::wine {

namespace {

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(WINAPI*)();

// An outer object for aggregation: answers only IUnknown and counts its references.
class TOuter final : public IUnknown {
public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (IsEqualIID(riid, IID_IUnknown)) {
      *object = this;
      AddRef();
      return S_OK;
    }
    // Everything else comes from the aggregated object.
    return inner != nullptr ? inner->QueryInterface(riid, object) : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  std::atomic<ULONG> refs{1};
  IUnknown* inner = nullptr;
};

} // namespace

void RunLifetimeChecks() {
  HMODULE module = ExtensionModule();
  HOST_CHECK(module != nullptr);
  if (module == nullptr)
    return;
  const auto getClassObject = ExportOf<GetClassObjectFn>(module, "DllGetClassObject");
  const auto canUnloadNow = ExportOf<CanUnloadNowFn>(module, "DllCanUnloadNow");
  HOST_CHECK(getClassObject != nullptr && canUnloadNow != nullptr);
  if (getClassObject == nullptr || canUnloadNow == nullptr)
    return;
  const GUID& ours = shell::kLarkspurMenuClassId;

  HOST_CHECK_HR(canUnloadNow(), S_OK); // every earlier object is gone

  void* object = reinterpret_cast<void*>(1);
  HOST_CHECK_HR(getClassObject(IID_IContextMenu, IID_IClassFactory, &object),
                CLASS_E_CLASSNOTAVAILABLE);
  HOST_CHECK(object == nullptr);
  object = reinterpret_cast<void*>(1);
  HOST_CHECK_HR(getClassObject(ours, IID_IContextMenu, &object), E_NOINTERFACE);
  HOST_CHECK(object == nullptr);

  ComPtr<IClassFactory> factory;
  HOST_CHECK_HR(getClassObject(ours, IID_IClassFactory, factory.putVoid()), S_OK);
  if (!factory)
    return;
  HOST_CHECK_HR(canUnloadNow(), S_FALSE); // a factory reference is out

  { // An object keeps the module loaded after the factory went.
    ComPtr<IContextMenu> menu;
    HOST_CHECK_HR(factory->CreateInstance(nullptr, IID_IContextMenu, menu.putVoid()), S_OK);
    factory.reset();
    HOST_CHECK_HR(canUnloadNow(), S_FALSE);
    menu.reset();
    HOST_CHECK_HR(canUnloadNow(), S_OK);
  }

  HOST_CHECK_HR(getClassObject(ours, IID_IUnknown, factory.putVoid()), S_OK);
  if (!factory)
    return;
  object = reinterpret_cast<void*>(1);
  HOST_CHECK_HR(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
  HOST_CHECK(object == nullptr);
  HOST_CHECK_HR(factory->CreateInstance(nullptr, IID_IContextMenu, nullptr), E_POINTER);

  { // Aggregation: refused for anything but IUnknown.
    TOuter outer;
    object = reinterpret_cast<void*>(1);
    HOST_CHECK_HR(factory->CreateInstance(&outer, IID_IContextMenu, &object),
                  CLASS_E_NOAGGREGATION);
    HOST_CHECK(object == nullptr);
    HOST_CHECK_HR(CoCreateInstance(ours, &outer, CLSCTX_INPROC_SERVER, IID_IContextMenu, &object),
                  CLASS_E_NOAGGREGATION);
    HOST_CHECK(outer.refs == 1);
  }
  { // With IUnknown the object joins the aggregate and forwards its IUnknown to the outer one.
    TOuter outer;
    ComPtr<IUnknown> inner;
    HOST_CHECK_HR(factory->CreateInstance(&outer, IID_IUnknown, inner.putVoid()), S_OK);
    outer.inner = inner.get();
    if (inner) {
      ComPtr<IContextMenu> menu;
      HOST_CHECK_HR(inner->QueryInterface(IID_IContextMenu, menu.putVoid()), S_OK);
      HOST_CHECK(outer.refs == 2); // the interface's reference is the outer object's
      if (menu) {
        ComPtr<IUnknown> identity;
        HOST_CHECK_HR(menu->QueryInterface(IID_IUnknown, identity.putVoid()), S_OK);
        HOST_CHECK(identity.get() == static_cast<IUnknown*>(&outer));
        identity.reset();
        ComPtr<IShellExtInit> init;
        HOST_CHECK_HR(menu->QueryInterface(IID_IShellExtInit, init.putVoid()), S_OK);
      }
      menu.reset();
      HOST_CHECK(outer.refs == 1);
      HOST_CHECK_HR(canUnloadNow(), S_FALSE);
      outer.inner = nullptr;
      inner.reset();
    }
  }

  // A server lock keeps the module until it is undone.
  HOST_CHECK_HR(factory->LockServer(TRUE), S_OK);
  factory.reset();
  HOST_CHECK_HR(canUnloadNow(), S_FALSE);
  HOST_CHECK_HR(getClassObject(ours, IID_IClassFactory, factory.putVoid()), S_OK);
  if (!factory)
    return;
  HOST_CHECK_HR(factory->LockServer(FALSE), S_OK);
  factory.reset();
  HOST_CHECK_HR(canUnloadNow(), S_OK);
}

} // namespace larkspur::wine
