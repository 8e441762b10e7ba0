// TLarkspurMenuMainFactory: the module's one class factory. It creates extension objects,
// counts the references handed out to it, serves server locks, and carries the class data
// that registration writes.
#pragma once

#include <objbase.h>
#include <windows.h>

#include <string>

namespace larkspur::shell {

class TLarkspurMenuMainFactory final : public IClassFactory {
public:
  // IUnknown: the factory lives with the module; AddRef/Release only count references.
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IClassFactory
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  STDMETHODIMP LockServer(BOOL lock) override;

  const GUID& ClassId() const;
  std::string ProgId() const; // "<module name>.TLarkspurMenuCom"
  // Writes (true) or removes (false) the class and shell registration; raises on failure.
  void UpdateRegistry(bool doRegister) const;
};

// The factory table: the factory serving `classId`, or nullptr.
TLarkspurMenuMainFactory* FindFactory(REFCLSID classId);

} // namespace larkspur::shell
