// Host programs from tests, natively and from under Wine.
#include "support/host_tools.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

#include "support/temp_dir.h"

namespace larkspur::test {

namespace {

// How long a host tool may run before the test gives up on it.
constexpr auto kToolTimeout = std::chrono::seconds(300);

std::string slurp(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Python that prints one line per entry: the fields of CheckedEntry, tab-separated, the name and
// comment as hex so any byte survives.
constexpr char kListEntries[] = R"PY(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    for i in z.infolist():
        raw = i.orig_filename.encode('cp437' if not i.flag_bits & 0x800 else 'utf-8', 'surrogateescape')
        print('\t'.join(str(v) for v in [raw.hex(), i.create_version, i.create_system,
              i.extract_version, i.flag_bits, i.compress_type, i.internal_attr, i.external_attr,
              *i.date_time, i.CRC, i.compress_size, i.file_size, i.header_offset, i.comment.hex()]))
)PY";

std::string fromHex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

} // namespace

std::string shellQuote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string hostSidePath(const std::string& path) {
#ifdef _WIN32
  // Wine's own mapping knows every drive (the temporary folder lies on C:, not on Z:).
  using UnixNameFunction = char*(__cdecl*)(const WCHAR*);
  const auto unixName = reinterpret_cast<UnixNameFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  WCHAR wide[MAX_PATH];
  if (unixName != nullptr && MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) {
    if (char* mapped = unixName(wide)) {
      std::string result(mapped);
      HeapFree(GetProcessHeap(), 0, mapped);
      return result;
    }
  }
  std::string p = path;
  if (p.size() >= 2 && (p[0] == 'Z' || p[0] == 'z') && p[1] == ':')
    p.erase(0, 2);
  for (char& c : p) {
    if (c == '\\')
      c = '/';
  }
  return p;
#else
  return path;
#endif
}

ToolResult runHostShell(const std::string& command) {
  // The output and the exit status go through files: under Wine the Unix child is neither
  // waited for nor does its exit code come back, so the test polls for the status file.
  TempDir dir;
  const std::string out = hostSidePath(dir.file("out"));
  const std::string status = hostSidePath(dir.file("status"));
  const std::string script = "(" + command + ") >" + shellQuote(out) + " 2>&1; echo $? >" +
                             shellQuote(status + ".tmp") + "; mv " + shellQuote(status + ".tmp") +
                             " " + shellQuote(status);
#ifdef _WIN32
  // One argument in the command-line rules the Unix argv is built by: backslashes are doubled
  // only where a quote follows them (a doubled lone backslash would reach the shell doubled).
  std::string line = "Z:\\bin\\sh -c \"";
  std::size_t backslashes = 0;
  for (const char c : script) {
    if (c == '\\') {
      ++backslashes;
    } else {
      if (c == '"')
        line.append(backslashes + 1, '\\');
      backslashes = 0;
    }
    line += c;
  }
  line.append(backslashes, '\\');
  line += '"';
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return {};
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
#else
  const std::string line = "/bin/sh -c " + shellQuote(script);
  if (std::system(line.c_str()) == -1)
    return {};
#endif
  const auto deadline = std::chrono::steady_clock::now() + kToolTimeout;
  std::string code;
  while ((code = slurp(dir.file("status"))).empty()) {
    if (std::chrono::steady_clock::now() > deadline)
      return {-1, "timed out: " + command};
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return {std::stoi(code), slurp(dir.file("out"))};
}

bool hostHasProgram(const std::string& name) {
  return runHostShell("command -v " + shellQuote(name)).exitCode == 0;
}

std::string archiveProblems(const std::string& archive, const std::string& password) {
  const std::string a = shellQuote(hostSidePath(archive));
  const std::string pw = shellQuote(password);
  const std::vector<std::pair<std::string, std::string>> checkers = {
      {"unzip -t", "unzip -t -qq " + (password.empty() ? "" : "-P " + pw + " ") + a},
      {"python3 zipfile -t", "python3 -m zipfile -t " + a},
      {"7z t", "7z t -bd -p" + pw + " " + a},
  };
  std::string problems;
  for (const auto& [label, command] : checkers) {
    // Python's checker cannot decrypt; an encrypted archive is checked by the other two.
    if (!password.empty() && label.rfind("python3", 0) == 0)
      continue;
    const ToolResult r = runHostShell(command);
    if (r.exitCode != 0) {
      problems += label + " exited " + std::to_string(r.exitCode) + ":\n" + r.output + "\n";
    }
  }
  return problems;
}

std::vector<CheckedEntry> readEntriesWithPython(const std::string& archive) {
  const ToolResult r = runHostShell("python3 -c " + shellQuote(kListEntries) + " " +
                                    shellQuote(hostSidePath(archive)));
  if (r.exitCode != 0)
    throw std::runtime_error("python zipfile failed: " + r.output);
  std::vector<CheckedEntry> entries;
  std::istringstream lines(r.output);
  std::string line;
  while (std::getline(lines, line)) {
    std::vector<std::string> f;
    std::istringstream fields(line);
    std::string field;
    while (std::getline(fields, field, '\t'))
      f.push_back(field);
    if (f.size() == 18)
      f.push_back(""); // an empty comment leaves no last field
    if (f.size() != 19)
      throw std::runtime_error("unexpected zipfile line: " + line);
    CheckedEntry e;
    e.name = fromHex(f[0]);
    e.createVersion = std::stoi(f[1]);
    e.createSystem = std::stoi(f[2]);
    e.extractVersion = std::stoi(f[3]);
    e.flagBits = std::stoi(f[4]);
    e.compressType = std::stoi(f[5]);
    e.internalAttributes = std::stoi(f[6]);
    e.externalAttributes = static_cast<std::uint32_t>(std::stoul(f[7]));
    e.year = std::stoi(f[8]);
    e.month = std::stoi(f[9]);
    e.day = std::stoi(f[10]);
    e.hour = std::stoi(f[11]);
    e.minute = std::stoi(f[12]);
    e.second = std::stoi(f[13]);
    e.crc = static_cast<std::uint32_t>(std::stoul(f[14]));
    e.compressedSize = std::stoull(f[15]);
    e.fileSize = std::stoull(f[16]);
    e.headerOffset = std::stoull(f[17]);
    e.comment = fromHex(f[18]);
    entries.push_back(e);
  }
  return entries;
}

std::string archiveCommentWithPython(const std::string& archive) {
  const ToolResult r = runHostShell(
      "python3 -c " +
      shellQuote("import sys, zipfile; print(zipfile.ZipFile(sys.argv[1]).comment.hex())") + " " +
      shellQuote(hostSidePath(archive)));
  if (r.exitCode != 0)
    throw std::runtime_error("python zipfile failed: " + r.output);
  return fromHex(r.output.substr(0, r.output.find('\n')));
}

std::string extractWithUnzip(const std::string& archive, const std::string& name,
                             const std::string& password) {
  const std::string pw = password.empty() ? "" : "-P " + shellQuote(password) + " ";
  // Only the data: unzip's messages would otherwise be mixed into it.
  const ToolResult r = runHostShell("unzip -p " + pw + shellQuote(hostSidePath(archive)) + " " +
                                    shellQuote(name) + " 2>/dev/null");
  if (r.exitCode != 0)
    throw std::runtime_error("unzip -p failed: " + r.output);
  return r.output;
}

} // namespace larkspur::test
