// How the shell host reaches the extension and builds menus with it.
#include "host/extension.h"

#include <algorithm>

#include "shellext/win32/server_state.h"

namespace larkspur::wine {

HRESULT CreateExtension(ComPtr<IContextMenu>& menu) {
  return CoCreateInstance(shell::kLarkspurMenuClassId, nullptr, CLSCTX_INPROC_SERVER,
                          IID_IContextMenu, menu.putVoid());
}

HRESULT InitializeExtension(IContextMenu* menu, IDataObject* data) {
  ComPtr<IShellExtInit> init;
  HRESULT result = menu->QueryInterface(IID_IShellExtInit, init.putVoid());
  if (FAILED(result))
    return result;
  return init->Initialize(nullptr, data, nullptr);
}

ComPtr<IContextMenu>& ExtensionFor(ComPtr<IContextMenu>& menu,
                                   const std::vector<std::string>& paths) {
  if (FAILED(CreateExtension(menu)))
    return menu;
  ComPtr<IDataObject> data;
  InitializeExtension(menu.get(), MakeDropData(data, paths).get());
  return menu;
}

HMODULE ExtensionModule() {
  static HMODULE module = [] {
    const std::string key =
        "CLSID\\" + shell::GuidText(shell::kLarkspurMenuClassId) + "\\InprocServer32";
    char path[1024] = {};
    LONG size = sizeof path;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), path, &size) != ERROR_SUCCESS)
      return HMODULE{};
    return LoadLibraryA(path);
  }();
  return module;
}

std::string ExtensionDirectory() {
  std::string path = shell::ModuleFileName(ExtensionModule());
  return path.substr(0, path.find_last_of('\\') + 1);
}

TBuiltMenu BuildMenu(IContextMenu* extension, UINT flags, UINT index) {
  TBuiltMenu built;
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, kExistingId, "Existing");
  built.result = extension->QueryContextMenu(menu, index, kFirstId, kFirstId + 99, flags);
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    built.ids.push_back(GetMenuItemID(menu, i));
    char text[1024] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    built.labels.emplace_back(text);
    wchar_t wtext[1024] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), wtext, 1024, MF_BYPOSITION);
    built.wlabels.emplace_back(wtext);
  }
  DestroyMenu(menu);
  return built;
}

std::string HelpText(IContextMenu* menu, UINT_PTR offset, UINT type, UINT size, HRESULT* result) {
  std::vector<char> buffer(size + 16, '#');
  *result = menu->GetCommandString(offset, type, nullptr, buffer.data(), size);
  const auto end = std::find(buffer.begin(), buffer.end(), '\0');
  return std::string(buffer.begin(), end);
}

HRESULT Invoke(IContextMenu* menu, UINT offset) {
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof info;
  info.lpVerb = MAKEINTRESOURCEA(offset);
  info.nShow = SW_SHOWNORMAL;
  return menu->InvokeCommand(&info);
}

} // namespace larkspur::wine
