// Arbitrary bytes as an archive (a ZIP, or by the last byte a tar or a tar.gz), extracted into a
// scratch folder (with a password, renaming around what an earlier run left) and tested. Anything
// but one of the engine's exceptions, a crash, or a file anywhere but inside the target folder is a
// finding.
#include <cstdint>
#include <string>

#include "extract/archive_extract.h"
#include "platform/platform.h"
#include "platform/target_files.h"

namespace {

using namespace larkspur;

void check(bool condition) {
  if (!condition)
    __builtin_trap();
}

// A folder of this process's own: the archive and the target inside it, nothing else.
const std::string& workDirectory() {
  static const std::string dir = [] {
    std::string name = platform::makeTempFile(platform::tempDirectory(), "LXF");
    platform::deleteFile(name);
    platform::createDirectory(name);
    return name;
  }();
  return dir;
}

// Removes everything below `path` (the extracted files may be read-only); counts what was
// outside `allowed`.
int removeTree(const std::string& path, const std::string& allowed) {
  int strays = 0;
  for (platform::DirectoryFind f(path + platform::kPathDelimiter + "*.*"); f.ok(); f.advance()) {
    const std::string& name = f.current().name;
    if (name == "." || name == "..")
      continue;
    const std::string child = path + platform::kPathDelimiter + name;
    const bool inside = child == allowed || child.compare(0, allowed.size() + 1,
                                                          allowed + platform::kPathDelimiter) == 0;
    if (!inside && name.rfind("fuzz.", 0) != 0)
      ++strays;
    if (platform::pathKind(child) == platform::PathKind::Directory) {
      strays += removeTree(child, allowed);
      platform::removeDirectory(child);
    } else {
      platform::setFileAttributes(child, 0);
      platform::deleteFile(child);
    }
  }
  return strays;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const char* const kNames[] = {"fuzz.zip", "fuzz.zip", "fuzz.tar", "fuzz.tgz"};
  const std::string archive =
      workDirectory() + platform::kPathDelimiter + kNames[size == 0 ? 0 : data[size - 1] % 4];
  const std::string target = workDirectory() + platform::kPathDelimiter + "out";
  {
    platform::File file = platform::File::create(archive);
    check(file.write(data, size) == size);
  }
  extract::ExtractOptions options;
  options.targetDir = target;
  options.password = "fuzz";
  options.flushFiles = false;
  options.overwrite = extract::OverwritePolicy::Rename;
  for (const bool extracting : {true, false}) {
    try {
      if (extracting)
        extract::extractArchive(archive, options);
      else
        extract::testArchive(archive, options);
    } catch (const Error&) {
    }
  }
  check(removeTree(workDirectory(), target) == 0);
  return 0;
}
