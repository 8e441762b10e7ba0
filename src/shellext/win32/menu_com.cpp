// The context-menu extension object: COM plumbing around the portable selection, menu and
// command model.
#include "shellext/win32/menu_com.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "dialog/commands.h"
#include "shellext/command_dispatch.h"
#include "shellext/context_menu.h"
#include "shellext/hresults.h"
#include "shellext/win32/com_guard.h"
#include "shellext/win32/server_state.h"

namespace larkspur::shell {

static_assert(hrOk == S_OK && hrFalse == S_FALSE && hrFail == E_FAIL &&
              hrInvalidArg == E_INVALIDARG && hrNoInterface == E_NOINTERFACE &&
              hrPointer == E_POINTER && hrUnexpected == E_UNEXPECTED &&
              hrClassNotAvailable == CLASS_E_CLASSNOTAVAILABLE &&
              hrNoAggregation == CLASS_E_NOAGGREGATION);
static_assert(cmfExplore == CMF_EXPLORE && gcsHelpTextA == GCS_HELPTEXTA);

namespace {

// Releases the medium GetData filled in, whatever happens while it is read.
class TMediumRelease {
public:
  explicit TMediumRelease(STGMEDIUM& medium) : medium_(medium) {}
  ~TMediumRelease() { ReleaseStgMedium(&medium_); }
  TMediumRelease(const TMediumRelease&) = delete;
  TMediumRelease& operator=(const TMediumRelease&) = delete;

private:
  STGMEDIUM& medium_;
};

// The path at `index` of a drop handle, whole whatever its length.
std::string droppedPath(HDROP drop, UINT index) {
  const UINT length = DragQueryFileA(drop, index, nullptr, 0);
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  const UINT copied = DragQueryFileA(drop, index, buffer.data(), length + 1);
  return std::string(buffer.data(), copied <= length ? copied : length);
}

TCommandActions shellActions() {
  return {
      [](const std::string& program, const std::string& parameters) {
        ShellExecuteA(nullptr, nullptr, program.c_str(), parameters.c_str(), nullptr, SW_SHOW);
      },
      [](const std::vector<std::string>& paths) { dialog::ShowAddToArchiveDialog(paths); },
      [](const std::vector<std::string>& paths) { dialog::CompressDirectly(paths); },
      [](const std::string& text) { MessageBoxA(nullptr, text.c_str(), "", MB_OK); },
  };
}

} // namespace

TTLarkspurMenuCom::TTLarkspurMenuCom(IUnknown* outer)
    : inner_(*this), controlling_(outer != nullptr ? outer : &inner_) {
  ++Server.objectCount;
}

TTLarkspurMenuCom::~TTLarkspurMenuCom() {
  --Server.objectCount;
}

HRESULT TTLarkspurMenuCom::Create(IUnknown* outer, REFIID riid, void** object) {
  *object = nullptr;
  auto* created = new TTLarkspurMenuCom(outer);
  created->inner_.AddRef(); // held while it is asked for the interface
  const HRESULT result = created->inner_.QueryInterface(riid, object);
  created->inner_.Release(); // destroys it when the interface was refused
  return result;
}

// ---- The object's own IUnknown ---------------------------------------------------------------

STDMETHODIMP TTLarkspurMenuCom::TInnerUnknown::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr)
    return E_POINTER;
  TTLarkspurMenuCom& o = owner_;
  if (IsEqualIID(riid, IID_IUnknown)) {
    *object = static_cast<IUnknown*>(this);
  } else if (IsEqualIID(riid, IID_IShellExtInit)) {
    *object = static_cast<IShellExtInit*>(&o);
  } else if (IsEqualIID(riid, IID_IContextMenu) || IsEqualIID(riid, IID_IContextMenu2)) {
    *object = static_cast<IContextMenu2*>(&o);
  } else if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
    *object = static_cast<ISupportErrorInfo*>(&o);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  static_cast<IUnknown*>(*object)->AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) TTLarkspurMenuCom::TInnerUnknown::AddRef() {
  return ++owner_.refCount_;
}

STDMETHODIMP_(ULONG) TTLarkspurMenuCom::TInnerUnknown::Release() {
  const ULONG count = --owner_.refCount_;
  if (count == 0)
    delete &owner_;
  return count;
}

// ---- IUnknown of the interfaces: the controlling object's ------------------------------------

STDMETHODIMP TTLarkspurMenuCom::QueryInterface(REFIID riid, void** object) {
  return controlling_->QueryInterface(riid, object);
}
STDMETHODIMP_(ULONG) TTLarkspurMenuCom::AddRef() {
  return controlling_->AddRef();
}
STDMETHODIMP_(ULONG) TTLarkspurMenuCom::Release() {
  return controlling_->Release();
}

// ---- IShellExtInit ---------------------------------------------------------------------------

STDMETHODIMP TTLarkspurMenuCom::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) {
  return ComGuard([&]() -> HRESULT {
    if (data == nullptr)
      return E_INVALIDARG;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    const HRESULT got = data->GetData(&format, &medium);
    if (FAILED(got))
      return got;
    TMediumRelease release(medium);
    if (medium.tymed != TYMED_HGLOBAL || medium.hGlobal == nullptr)
      return S_OK;
    const auto drop = static_cast<HDROP>(medium.hGlobal);
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i)
      selection_.AddPath(droppedPath(drop, i));
    return S_OK;
  });
}

// ---- IContextMenu / IContextMenu2 ------------------------------------------------------------

STDMETHODIMP TTLarkspurMenuCom::QueryContextMenu(HMENU menu, UINT, UINT firstId, UINT, UINT flags) {
  return ComGuard([&]() -> HRESULT {
    if (!MenuFlagsAllowItems(flags))
      return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    const auto items = BuildMenuItems(selection_, ExtractTarget);
    if (items.empty())
      return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    for (const auto& item : items) {
      InsertMenuA(menu, item.position, MF_BYPOSITION | MF_STRING,
                  firstId + static_cast<UINT>(item.command), item.label.c_str());
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, kClaimedOffsets);
  });
}

STDMETHODIMP TTLarkspurMenuCom::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  return ComGuard([&]() -> HRESULT {
    if (info == nullptr)
      return E_INVALIDARG;
    return DispatchCommand(reinterpret_cast<std::uintptr_t>(info->lpVerb), selection_,
                           ModuleFileName(Server.instance), shellActions());
  });
}

STDMETHODIMP TTLarkspurMenuCom::GetCommandString(UINT_PTR command, UINT type, UINT*, CHAR* name,
                                                 UINT size) {
  return ComGuard([&]() -> HRESULT {
    if (command < kClaimedOffsets) {
      CopyHelpText(static_cast<std::uint32_t>(command), type, ExtractTarget, name, size);
    }
    return S_OK;
  });
}

STDMETHODIMP TTLarkspurMenuCom::HandleMenuMsg(UINT, WPARAM, LPARAM) {
  return S_OK;
}

// ---- ISupportErrorInfo -----------------------------------------------------------------------

STDMETHODIMP TTLarkspurMenuCom::InterfaceSupportsErrorInfo(REFIID riid) {
  return ComGuard([&]() -> HRESULT {
    void* probe = nullptr;
    if (FAILED(inner_.QueryInterface(riid, &probe)))
      return S_FALSE;
    static_cast<IUnknown*>(probe)->Release();
    return S_OK;
  });
}

} // namespace larkspur::shell
