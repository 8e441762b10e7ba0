// Help texts and the HRESULTs of the extension's interface methods.
#include <string>

#include "host/check.h"
#include "host/checks.h"
#include "host/extension.h"

namespace larkspur::wine {

namespace {

const std::string kHelp0 =
    "\xBD\xE2\xD1\xB9\xCB\xF5\xCB\xF9\xD1\xA1\xCE\xC4\xB5\xB5"; // 解压缩所选文档
const std::string kHelp1 = "\xBD\xAB\xCB\xF9\xD1\xA1\xCE\xC4\xB5\xB1\xBD\xE2\xD1\xB9\xCB\xF5\xB5"
                           "\xBD "; // 将所选文当解压缩到
const std::string kHelp2 = "\xCC\xED\xBC\xD3\xB5\xBD\xD1\xB9\xCB\xF5\xB0\xFC"; // 添加到压缩包
const std::string kHelp3 =
    "\xD1\xB9\xCB\xF5\xB5\xBD\xD6\xB8\xB6\xA8\xCE\xC4\xB5\xB5"; // 压缩到指定文档

std::string help(IContextMenu* menu, UINT_PTR offset, UINT type = GCS_HELPTEXTA, UINT size = 260) {
  HRESULT result = E_FAIL;
  std::string text = HelpText(menu, offset, type, size, &result);
  HOST_CHECK_HR(result, S_OK);
  return text;
}

} // namespace

void RunHelpTextChecks(const std::string& work) {
  const std::string archive = work + "dl\\a.b.zip";
  ComPtr<IContextMenu> menu;
  ExtensionFor(menu, {archive});
  if (!menu)
    return;
  BuildMenu(menu.get(), CMF_NORMAL); // sets the module-wide extract target
  const std::string target = work + "dl\\a.b";
  HOST_CHECK_EQ_TEXT(help(menu.get(), 0), kHelp0);
  HOST_CHECK_EQ_TEXT(help(menu.get(), 1), kHelp1 + target);
  HOST_CHECK_EQ_TEXT(help(menu.get(), 2), kHelp2);
  HOST_CHECK_EQ_TEXT(help(menu.get(), 3), kHelp3);
  // Cut to the caller's buffer: 9 bytes and the NUL; the byte after it untouched.
  {
    HRESULT result = E_FAIL;
    std::vector<char> buffer(32, '#');
    result = menu->GetCommandString(1, GCS_HELPTEXTA, nullptr, buffer.data(), 10);
    HOST_CHECK_HR(result, S_OK);
    HOST_CHECK_EQ_TEXT(std::string(buffer.data(), 11), kHelp1.substr(0, 9) + '\0' + '#');
  }
  // Requests that are not for the ANSI help text, or not for our offsets, leave the buffer alone.
  for (UINT type : {UINT(GCS_HELPTEXTW), UINT(GCS_VERBA), UINT(GCS_VERBW), UINT(GCS_VALIDATEA)}) {
    HOST_CHECK_EQ_TEXT(help(menu.get(), 0, type, 32).substr(0, 4), "####");
  }
  HOST_CHECK_EQ_TEXT(help(menu.get(), 4, GCS_HELPTEXTA, 32).substr(0, 4), "####");

  // The target of offset 1 is the module's: a later extract menu of another object replaces it.
  {
    ComPtr<IContextMenu> other;
    ExtensionFor(other, {work + "second.rar"});
    if (other)
      BuildMenu(other.get(), CMF_NORMAL);
    HOST_CHECK_EQ_TEXT(help(menu.get(), 1), kHelp1 + work + "second");
    ComPtr<IContextMenu> compress;
    ExtensionFor(compress, {work + "third.txt"});
    if (compress)
      BuildMenu(compress.get(), CMF_NORMAL); // a compress menu leaves it alone
    HOST_CHECK_EQ_TEXT(help(menu.get(), 1), kHelp1 + work + "second");
  }

  // HRESULTs of initialisation.
  {
    ComPtr<IContextMenu> fresh;
    HOST_CHECK_HR(CreateExtension(fresh), S_OK);
    if (!fresh)
      return;
    HOST_CHECK_HR(InitializeExtension(fresh.get(), nullptr), E_INVALIDARG);
    ComPtr<IDataObject> refusing;
    HOST_CHECK_HR(InitializeExtension(fresh.get(), MakeDropData(refusing, {"x.txt"}, true).get()),
                  DV_E_FORMATETC);
    // Nothing was taken in: no items, and any offset is a no-op.
    const TBuiltMenu built = BuildMenu(fresh.get(), CMF_NORMAL);
    HOST_CHECK(built.labels.size() == 1);
    HOST_CHECK_HR(Invoke(fresh.get(), 4), S_OK);
    HOST_CHECK_HR(Invoke(fresh.get(), 0), S_OK);
    // A second initialisation appends behind the first.
    ComPtr<IDataObject> first, second;
    HOST_CHECK_HR(InitializeExtension(fresh.get(), MakeDropData(first, {work + "a.txt"}).get()),
                  S_OK);
    HOST_CHECK_HR(InitializeExtension(fresh.get(), MakeDropData(second, {work + "b.zip"}).get()),
                  S_OK);
    const TBuiltMenu both = BuildMenu(fresh.get(), CMF_NORMAL);
    HOST_CHECK(both.labels.size() == 3 && both.labels[1] == "\xD1\xB9\xCB\xF5\xB5\xBD"
                                                            "a.zip(&A)");
  }

  // HRESULTs of the other methods.
  {
    ComPtr<IContextMenu> one;
    ExtensionFor(one, {work + "a.txt"});
    if (!one)
      return;
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = "open";
    HOST_CHECK_HR(one->InvokeCommand(&info), E_FAIL);
    HOST_CHECK_HR(Invoke(one.get(), 4), E_INVALIDARG);
    HOST_CHECK_HR(Invoke(one.get(), 0xFFFF), E_INVALIDARG);
    HOST_CHECK_HR(one->InvokeCommand(nullptr), E_INVALIDARG);

    ComPtr<IContextMenu2> menu2;
    HOST_CHECK_HR(one->QueryInterface(IID_IContextMenu2, menu2.putVoid()), S_OK);
    if (menu2) {
      HOST_CHECK(static_cast<void*>(menu2.get()) == static_cast<void*>(one.get())); // one table
      HOST_CHECK_HR(menu2->HandleMenuMsg(WM_INITMENUPOPUP, 0, 0), S_OK);
    }
    ComPtr<ISupportErrorInfo> errorInfo;
    HOST_CHECK_HR(one->QueryInterface(IID_ISupportErrorInfo, errorInfo.putVoid()), S_OK);
    if (errorInfo) {
      HOST_CHECK_HR(errorInfo->InterfaceSupportsErrorInfo(IID_IContextMenu), S_OK);
      HOST_CHECK_HR(errorInfo->InterfaceSupportsErrorInfo(IID_IShellExtInit), S_OK);
      HOST_CHECK_HR(errorInfo->InterfaceSupportsErrorInfo(IID_IClassFactory), S_FALSE);
    }
    ComPtr<IUnknown> nothing;
    HOST_CHECK_HR(one->QueryInterface(IID_IClassFactory, nothing.putVoid()), E_NOINTERFACE);
    HOST_CHECK(!nothing);
  }
}

} // namespace larkspur::wine
