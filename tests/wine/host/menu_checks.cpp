// Menu items as the user sees them: labels for files, folders, drives, several files and
// archives (GBK bytes and their UTF-16 reading), their place in the menu, and the flags rule.
#include <string>
#include <vector>

#include "host/check.h"
#include "host/checks.h"
#include "host/extension.h"

namespace larkspur::wine {

namespace {

const std::string kCompress = "\xD1\xB9\xCB\xF5(&Y)";               // 压缩(&Y)
const std::string kCompressTo = "\xD1\xB9\xCB\xF5\xB5\xBD";         // 压缩到
const std::string kExtractForm = "\xBD\xE2\xD1\xB9\xCB\xF5...(&Y)"; // 解压缩...(&Y)
const std::string kExtractTo = "\xBD\xE2\xD1\xB9\xCB\xF5\xB5\xBD";  // 解压缩到

// Builds a normal menu for `data` and checks the two items and the existing one below them.
void expectItems(IDataObject* data, UINT firstOffset, const std::string& second,
                 const std::wstring& secondWide, const char* what) {
  ComPtr<IContextMenu> menu;
  HOST_CHECK_HR(CreateExtension(menu), S_OK);
  if (!menu)
    return;
  HOST_CHECK_HR(InitializeExtension(menu.get(), data), S_OK);
  const TBuiltMenu built = BuildMenu(menu.get(), CMF_NORMAL);
  HOST_CHECK_HR(built.result, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 4));
  if (built.labels.size() != 3) {
    ReportFailure(__FILE__, __LINE__, std::string(what) + ": menu does not hold three items");
    return;
  }
  const bool archive = firstOffset == 0;
  HOST_CHECK_EQ_TEXT(built.labels[0], archive ? kExtractForm : kCompress);
  HOST_CHECK(built.wlabels[0] == (archive ? L"解压缩...(&Y)" : L"压缩(&Y)"));
  HOST_CHECK_EQ_TEXT(built.labels[1], second);
  if (!secondWide.empty() && built.wlabels[1] != secondWide)
    ReportFailure(__FILE__, __LINE__, std::string(what) + ": UTF-16 label differs");
  HOST_CHECK(built.ids[0] == kFirstId + firstOffset);
  HOST_CHECK(built.ids[1] == kFirstId + firstOffset + 1);
  HOST_CHECK_EQ_TEXT(built.labels[2], "Existing");
  HOST_CHECK(built.ids[2] == kExistingId);
}

void expectCompressItems(const std::vector<std::string>& paths, const std::string& base,
                         const std::wstring& wideLabel) {
  ComPtr<IDataObject> data;
  expectItems(MakeDropData(data, paths).get(), 2, kCompressTo + base + ".zip(&A)", wideLabel,
              paths.front().c_str());
}

} // namespace

void RunMenuChecks(const std::string& work) {
  const std::string file = TouchFile(work + "notes.txt");
  const std::string folder = work + "docs";
  CreateDirectoryA(folder.c_str(), nullptr);

  expectCompressItems({file}, "notes", L"压缩到notes.zip(&A)");
  expectCompressItems({folder}, "docs", L"压缩到docs.zip(&A)");
  expectCompressItems({"C:\\"}, "", L"压缩到.zip(&A)");
  expectCompressItems({"C:\\rel1.2"}, "rel1", L"压缩到rel1.zip(&A)");
  expectCompressItems({work + "photo.JPG", file, folder}, "photo", L"压缩到photo.zip(&A)");
  expectCompressItems({work + "a.zip", file}, "a", L"压缩到a.zip(&A)");
  // 报告 in GBK; and a name whose second byte is "\" must not be split there.
  expectCompressItems({work + "\xB1\xA8\xB8\xE6.txt"}, "\xB1\xA8\xB8\xE6", L"压缩到报告.zip(&A)");
  expectCompressItems({work + "\x95\x5C"
                              "abc.doc"},
                      "\x95\x5C"
                      "abc",
                      L"压缩到昞abc.zip(&A)");
  // Longer than the classic 259-byte limit: kept whole.
  const std::string longBase(280, 'n');
  expectCompressItems({work + longBase + ".txt"}, longBase,
                      L"压缩到" + std::wstring(280, L'n') + L".zip(&A)");

  { // Wine's own data object for a real folder, as the shell would hand it over.
    ComPtr<IDataObject> data;
    HOST_CHECK_HR(MakeShellData(data, folder), S_OK);
    if (data)
      expectItems(data.get(), 2, kCompressTo + "docs.zip(&A)", L"压缩到docs.zip(&A)", "shell");
  }

  { // Archives: the extract items, the target is the path without its extension.
    ComPtr<IDataObject> data;
    const std::string archive = work + "pkg\\a.b.zip";
    expectItems(MakeDropData(data, {archive}).get(), 0, kExtractTo + work + "pkg\\a.b(&A)", L"",
                "archive");
  }
  {
    ComPtr<IDataObject> data;
    expectItems(MakeDropData(data, {work + "x.ZIP", work + "y.rar", work + "z.tar.gz"}).get(), 0,
                kExtractTo + work + "x(&A)", L"", "archives");
  }

  // The flags rule and the ignored index.
  struct {
    UINT flags;
    bool added;
  } const flagCases[] = {{CMF_NORMAL, true},
                         {CMF_DEFAULTONLY, false},
                         {CMF_VERBSONLY, false},
                         {CMF_NOVERBS, false},
                         {CMF_EXPLORE | CMF_DEFAULTONLY, true},
                         {CMF_CANRENAME, true},
                         {CMF_EXPLORE, true}};
  for (const auto& c : flagCases) {
    ComPtr<IContextMenu> menu;
    ExtensionFor(menu, {file});
    if (!menu)
      continue;
    const TBuiltMenu built = BuildMenu(menu.get(), c.flags);
    HOST_CHECK_HR(built.result, MAKE_HRESULT(SEVERITY_SUCCESS, 0, c.added ? 4 : 0));
    HOST_CHECK(built.labels.size() == (c.added ? 3u : 1u));
  }
  {
    ComPtr<IContextMenu> menu;
    ExtensionFor(menu, {file});
    const TBuiltMenu built = BuildMenu(menu.get(), CMF_NORMAL, 1);
    HOST_CHECK(built.labels.size() == 3 && built.labels[0] == kCompress &&
               built.labels[2] == "Existing");
  }
}

} // namespace larkspur::wine
