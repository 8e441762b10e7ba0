// Access to the extension as the shell has it: objects made through COM, the module found from
// the registry, and a menu built the way Explorer builds one.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

#include "host/data_object.h"

namespace larkspur::wine {

// First command identifier the host grants, and the identifier of the menu's own item.
inline constexpr UINT kFirstId = 100;
inline constexpr UINT kExistingId = 1;

// A new extension object through CoCreateInstance, asked for IContextMenu.
HRESULT CreateExtension(ComPtr<IContextMenu>& menu);
// Initialises `menu`'s object with `data` through IShellExtInit.
HRESULT InitializeExtension(IContextMenu* menu, IDataObject* data);
// A new extension initialised with our own CF_HDROP list of `paths`.
ComPtr<IContextMenu>& ExtensionFor(ComPtr<IContextMenu>& menu,
                                   const std::vector<std::string>& paths);

// The registered module, loaded (once more) by its registered path.
HMODULE ExtensionModule();
std::string ExtensionDirectory(); // with a trailing "\"

struct TBuiltMenu {
  HRESULT result = E_FAIL;
  std::vector<UINT> ids;
  std::vector<std::string> labels;   // GetMenuStringA
  std::vector<std::wstring> wlabels; // GetMenuStringW: what the user reads
};

// A popup menu holding one existing item; the extension's QueryContextMenu with `index`/`flags`.
TBuiltMenu BuildMenu(IContextMenu* menu, UINT flags, UINT index = 0);

// GetCommandString into a buffer of `size` bytes pre-filled with '#'; returns what is there up
// to the first NUL (or the whole buffer).
std::string HelpText(IContextMenu* menu, UINT_PTR offset, UINT type, UINT size, HRESULT* result);

// An export of `module` as a function of type Fn, or nullptr.
template <typename Fn> Fn ExportOf(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// InvokeCommand with the offset as verb.
HRESULT Invoke(IContextMenu* menu, UINT offset);

} // namespace larkspur::wine
