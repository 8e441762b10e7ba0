// The shell host's data objects.
#include "host/data_object.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <atomic>
#include <cstring>

namespace larkspur::wine {

namespace {

class TDropData final : public IDataObject {
public:
  TDropData(const std::vector<std::string>& paths, bool refuse) : paths_(paths), refuse_(refuse) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --refs_;
    if (left == 0)
      delete this;
    return left;
  }

  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (refuse_ || format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL))
      return DV_E_FORMATETC;
    std::string list;
    for (const auto& path : paths_)
      list.append(path).push_back('\0');
    list.push_back('\0');
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    if (memory == nullptr)
      return E_OUTOFMEMORY;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* format) override {
    return format->cfFormat == CF_HDROP ? S_OK : DV_E_FORMATETC;
  }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
  ~TDropData() = default;
  std::vector<std::string> paths_;
  bool refuse_;
  std::atomic<ULONG> refs_{1};
};

} // namespace

ComPtr<IDataObject>& MakeDropData(ComPtr<IDataObject>& out, const std::vector<std::string>& paths,
                                  bool refuse) {
  *out.put() = new TDropData(paths, refuse);
  return out;
}

HRESULT MakeShellData(ComPtr<IDataObject>& out, const std::string& path) {
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), wideLength);
  PIDLIST_ABSOLUTE item = nullptr;
  HRESULT result = SHParseDisplayName(wide.c_str(), nullptr, &item, 0, nullptr);
  if (FAILED(result))
    return result;
  ComPtr<IShellFolder> parent;
  PCUITEMID_CHILD child = nullptr;
  result = SHBindToParent(item, IID_IShellFolder, parent.putVoid(), &child);
  if (SUCCEEDED(result)) {
    result = parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr, out.putVoid());
  }
  CoTaskMemFree(item);
  return result;
}

} // namespace larkspur::wine
