// TTLarkspurMenuCom: the COM object the shell creates for each context menu. It takes in the
// selection, inserts the items, answers help texts and runs the commands through the portable
// model; it can live inside an aggregate, forwarding its IUnknown to the outer object.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <atomic>

#include "shellext/menu_selection.h"

namespace larkspur::shell {

class TTLarkspurMenuCom final : public IShellExtInit,
                                public IContextMenu2,
                                public ISupportErrorInfo {
public:
  // Creates an object (inside `outer` when given) and answers `riid` from it; an object nobody
  // holds afterwards is destroyed at once.
  static HRESULT Create(IUnknown* outer, REFIID riid, void** object);

  // IUnknown: forwarded to the outer object in an aggregate.
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IShellExtInit
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY progIdKey) override;

  // IContextMenu and IContextMenu2 (one table serves both)
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId,
                                UINT flags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, CHAR* name,
                                UINT size) override;
  STDMETHODIMP HandleMenuMsg(UINT message, WPARAM wParam, LPARAM lParam) override;

  // ISupportErrorInfo
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

private:
  // The object's own IUnknown, which an aggregate's outer object holds.
  class TInnerUnknown final : public IUnknown {
  public:
    explicit TInnerUnknown(TTLarkspurMenuCom& owner) : owner_(owner) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

  private:
    TTLarkspurMenuCom& owner_;
  };

  explicit TTLarkspurMenuCom(IUnknown* outer);
  ~TTLarkspurMenuCom();
  TTLarkspurMenuCom(const TTLarkspurMenuCom&) = delete;
  TTLarkspurMenuCom& operator=(const TTLarkspurMenuCom&) = delete;

  TInnerUnknown inner_;
  IUnknown* controlling_; // the outer object, or inner_ when not aggregated
  std::atomic<ULONG> refCount_{0};
  TMenuSelection selection_; // FFileName and FFileList
};

} // namespace larkspur::shell
