// The selections the shell host hands to the extension: its own IDataObject carrying a CF_HDROP
// list of ANSI paths (any bytes, even of files that do not exist), and Wine's own data object
// for real files, made the way the shell makes it.
#pragma once

#include <objidl.h>
#include <windows.h>

#include <string>
#include <vector>

namespace larkspur::wine {

// A COM pointer that releases what it holds.
template <typename T> class ComPtr {
public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** put() {
    reset();
    return &p_;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void reset() {
    if (p_ != nullptr)
      p_->Release();
    p_ = nullptr;
  }

private:
  T* p_ = nullptr;
};

// An IDataObject with CF_HDROP data for `paths`; `refuse` makes GetData fail with DV_E_FORMATETC.
ComPtr<IDataObject>& MakeDropData(ComPtr<IDataObject>& out, const std::vector<std::string>& paths,
                                  bool refuse = false);

// Wine's data object for one existing file or folder (SHParseDisplayName + GetUIObjectOf).
HRESULT MakeShellData(ComPtr<IDataObject>& out, const std::string& path);

} // namespace larkspur::wine
