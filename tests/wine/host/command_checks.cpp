// The extract commands: the extract offsets start the stand-in main program beside the module
// with the exact parameters, once per archive when several are selected (compress:
// compress_checks.cpp).
#include <algorithm>
#include <string>
#include <vector>

#include "host/check.h"
#include "host/checks.h"
#include "host/extension.h"

namespace larkspur::wine {

namespace {

// How long the started program may take to leave its record.
constexpr DWORD kRecordWaitMilliseconds = 30000;

std::string recordPath() {
  return ExtensionDirectory() + "Larkspur.cmdline";
}

std::string readFile(const std::string& path) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return {};
  std::string content(GetFileSize(file, nullptr), '\0');
  DWORD got = 0;
  ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &got, nullptr);
  CloseHandle(file);
  content.resize(got);
  return content;
}

// The command line the stand-in recorded, or empty when it never ran.
std::string awaitRecord() {
  for (DWORD waited = 0; waited < kRecordWaitMilliseconds; waited += 100) {
    if (GetFileAttributesA(recordPath().c_str()) != INVALID_FILE_ATTRIBUTES) {
      std::string record = readFile(recordPath());
      DeleteFileA(recordPath().c_str());
      return record;
    }
    Sleep(100);
  }
  return {};
}

// The parameters of `count` programs started at once, sorted. Read only once all have recorded:
// a record deleted early would free its name for a later program.
std::vector<std::string> awaitRecords(std::size_t count) {
  std::vector<std::string> names;
  for (std::size_t n = 1; n <= count; ++n)
    names.push_back(n == 1 ? recordPath() : recordPath() + "." + std::to_string(n));
  for (DWORD waited = 0; waited < kRecordWaitMilliseconds; waited += 100) {
    if (GetFileAttributesA(names.back().c_str()) != INVALID_FILE_ATTRIBUTES)
      break;
    Sleep(100);
  }
  std::vector<std::string> records;
  for (const std::string& name : names) {
    const std::string record = readFile(name);
    DeleteFileA(name.c_str());
    const std::size_t switchAt = record.find(" /");
    records.push_back(switchAt == std::string::npos ? record : record.substr(switchAt + 1));
  }
  std::sort(records.begin(), records.end());
  return records;
}

std::string longName(const std::string& path) {
  char buffer[2048] = {};
  const DWORD length = GetLongPathNameA(path.c_str(), buffer, sizeof buffer);
  return length == 0 || length >= sizeof buffer ? path : std::string(buffer, length);
}

// The record must name the stand-in beside the module and carry exactly `parameters`.
void expectStarted(const std::string& record, const std::string& parameters) {
  if (record.empty()) {
    ReportFailure(__FILE__, __LINE__, "Larkspur.exe was not started for: " + parameters);
    return;
  }
  std::size_t programEnd = 0;
  std::string program;
  if (record.front() == '"') {
    programEnd = record.find('"', 1);
    program = record.substr(1, programEnd - 1);
    ++programEnd;
  } else {
    programEnd = record.find(' ');
    program = record.substr(0, programEnd);
  }
  HOST_CHECK(lstrcmpiA(longName(program).c_str(),
                       longName(ExtensionDirectory() + "Larkspur.exe").c_str()) == 0);
  HOST_CHECK_EQ_TEXT(programEnd == std::string::npos ? "" : record.substr(programEnd),
                     " " + parameters);
}

} // namespace

void RunCommandChecks(const std::string& work) {
  DeleteFileA(recordPath().c_str());
  const std::string archive = work + "my downloads\\\xCE\xC4\xBC\xFE a.zip"; // 文件 a.zip
  {
    ComPtr<IContextMenu> menu;
    ExtensionFor(menu, {archive});
    if (!menu)
      return;
    HOST_CHECK_HR(Invoke(menu.get(), 0), S_OK);
    expectStarted(awaitRecord(), "/ExtractForm \"" + archive + "\"");
    HOST_CHECK_HR(Invoke(menu.get(), 1), S_OK);
    expectStarted(awaitRecord(), "/Extract \"" + archive + "\"");
  }
  { // Several archives: the program once per archive, each with its own command line.
    ComPtr<IContextMenu> menu;
    ExtensionFor(menu, {work + "a.zip", work + "b.rar"});
    if (!menu)
      return;
    for (const std::string commandSwitch : {"/ExtractForm", "/Extract"}) {
      HOST_CHECK_HR(Invoke(menu.get(), commandSwitch == "/Extract" ? 1 : 0), S_OK);
      const std::vector<std::string> records = awaitRecords(2);
      HOST_CHECK_EQ_TEXT(records[0], commandSwitch + " \"" + work + "a.zip\"");
      HOST_CHECK_EQ_TEXT(records[1], commandSwitch + " \"" + work + "b.rar\"");
    }
  }
}

} // namespace larkspur::wine
