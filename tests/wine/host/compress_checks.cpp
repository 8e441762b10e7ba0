// The compress commands through the registered module with the real writer: compressing at
// once, the dialog with a typed name, its two warnings, a failure turned into a box, and the
// module kept loaded while a dialog is open. compress.sh prepares the folders and checks the
// archives written here with unzip.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "dialog/dialog_texts.h"
#include "host/box_watcher.h"
#include "host/check.h"
#include "host/checks.h"
#include "host/dialog_driver.h"
#include "host/extension.h"

namespace larkspur::wine {

namespace {

namespace texts = dialog::texts;

// The folders compress.sh makes, in GBK: "样本 tree" holds subfolders; "blocked.zip" is a folder,
// so the archive for "blocked" cannot be created.
const std::string kTree = "\xD1\xF9\xB1\xBE tree";
const std::string kTypedName = "\xD0\xC2 archive.zip"; // 新 archive.zip
// The caption of a failure box: the module's name.
const std::string kModuleTitle = "LarkspurMenu";

bool fileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Size and write time, to see that a file was left alone.
std::string fileStamp(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
    return {};
  return std::to_string(data.nFileSizeLow) + "@" +
         std::to_string(data.ftLastWriteTime.dwLowDateTime);
}

// Offset 3 on `folder` (a box it shows is answered by the caller's watcher).
HRESULT compressDirectly(const std::string& folder) {
  ComPtr<IContextMenu> menu;
  ExtensionFor(menu, {folder});
  HOST_CHECK(static_cast<bool>(menu));
  return menu ? Invoke(menu.get(), 3) : E_FAIL;
}

void directChecks(const std::string& work) {
  const std::string archive = work + kTree + ".zip";
  { // A folder with subfolders: the archive beside it, no box, no dialog left behind.
    TBoxWatcher box;
    HOST_CHECK_HR(compressDirectly(work + kTree), S_OK);
    HOST_CHECK(fileExists(archive));
    HOST_CHECK(!box.seen());
    HOST_CHECK(!TDialogDriver::Find());
    HOST_CHECK_HR(ModuleCanUnloadNow(), S_OK);
  }
  { // Again: the archive exists; a warning, nothing written, the dialog gone.
    const std::string before = fileStamp(archive);
    TBoxWatcher box;
    HOST_CHECK_HR(compressDirectly(work + kTree), S_OK);
    ExpectErrorBox(box, std::string(texts::kWarningCaption.gbk),
                   std::string(texts::kArchiveExists.gbk), "direct, archive exists");
    HOST_CHECK_EQ_TEXT(fileStamp(archive), before);
    HOST_CHECK(!TDialogDriver::Find());
  }
  { // The writer cannot create the archive: a box owned by the dialog, S_OK to the shell.
    TBoxWatcher box;
    HOST_CHECK_HR(compressDirectly(work + "blocked"), S_OK);
    HOST_CHECK(box.seen());
    HOST_CHECK_EQ_TEXT(box.caption(), kModuleTitle);
    HOST_CHECK(!box.text().empty() && box.text().back() == '.');
    HOST_CHECK(box.ownerDisabled() && box.errorIcon() && box.okOnly());
    std::printf("note: the failure read \"%s\"\n", Escaped(box.text()).c_str());
    HOST_CHECK(!TDialogDriver::Find());
    HOST_CHECK_HR(ModuleCanUnloadNow(), S_OK);
  }
}

// Clicks add in `dialog` and expects the warning `text`, with the dialog usable afterwards.
void expectWarningOnAdd(const TDialogDriver& dialog, const std::string& text, const char* where) {
  TBoxWatcher box;
  dialog.clickAdd();
  ExpectErrorBox(box, std::string(texts::kWarningCaption.gbk), text, where);
  HOST_CHECK(box.owner() == dialog.window());
  HOST_CHECK(dialog.visible() && dialog.enabled());
}

void dialogChecks(const std::string& work) {
  const std::string folder = work + "dialog\\";
  TDialogDriver dialog;
  {
    ComPtr<IContextMenu> menu;
    ExtensionFor(menu, {folder + "a.txt", folder + "sub"});
    if (!menu)
      return;
    HOST_CHECK_HR(Invoke(menu.get(), 2), S_OK);
    dialog = TDialogDriver::Find(); // open when the call returned
  }
  HOST_CHECK(static_cast<bool>(dialog));
  if (!dialog)
    return;
  // The extension object is gone, the dialog is not: the module must stay.
  HOST_CHECK_HR(ModuleCanUnloadNow(), S_FALSE);
  HOST_CHECK_EQ_TEXT(dialog.editText(), "a.zip");

  dialog.typeName("other.ZIP");
  expectWarningOnAdd(dialog, std::string(texts::kWrongName.gbk), "wrong name");
  const std::string existing = folder + "exists.zip";
  const std::string before = fileStamp(existing);
  dialog.typeName("exists.zip");
  expectWarningOnAdd(dialog, std::string(texts::kArchiveExists.gbk), "existing archive");
  HOST_CHECK_EQ_TEXT(fileStamp(existing), before);

  // Still usable: another name is written.
  dialog.typeName(kTypedName);
  {
    TBoxWatcher box;
    dialog.clickAdd();
    HOST_CHECK(!box.seen());
  }
  HOST_CHECK(fileExists(folder + kTypedName));
  HOST_CHECK(dialog.visible());
  HOST_CHECK(SendMessageA(dialog.progressBar(), PBM_GETPOS, 0, 0) == 100);
  // A second press finds the archive it just wrote.
  expectWarningOnAdd(dialog, std::string(texts::kArchiveExists.gbk), "pressed twice");

  dialog.clickCancel();
  HOST_CHECK(!dialog.visible());
  HOST_CHECK_HR(ModuleCanUnloadNow(), S_OK); // the hidden dialog is released
}

} // namespace

void RunCompressChecks(const std::string& work) {
  directChecks(work);
  dialogChecks(work);
}

} // namespace larkspur::wine
