// Shared set-up of the extraction tests: a sandbox folder holding the archive and the target,
// and a walk over the sandbox that shows every file an extraction left anywhere in it.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "extract/archive_extract.h"
#include "platform/dos_time.h"
#include "platform/platform.h"
#include "raw_zip.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"

namespace larkspur::extract::test {

using larkspur::test::readFile;
using larkspur::test::writeFile;

inline constexpr char kSep = platform::kPathDelimiter;

// Every file and folder below `root`, as paths relative to it with "/" between the parts.
inline void walk(const std::string& root, const std::string& prefix, std::set<std::string>& out) {
  for (platform::DirectoryFind f(root + kSep + "*.*"); f.ok(); f.advance()) {
    const std::string& name = f.current().name;
    if (name == "." || name == "..")
      continue;
    out.insert(prefix + name);
    if (f.current().attributes & platform::faDirectory)
      walk(root + kSep + name, prefix + name + "/", out);
  }
}

class ExtractTest : public ::testing::Test {
protected:
  std::string archive() const { return dir.file("a.zip"); }
  std::string target() const { return dir.file("out"); }
  // A path below the target written with "/".
  std::string out(const std::string& relative) const {
    std::string p = target() + kSep + relative;
    for (char& c : p) {
      if (c == '/')
        c = kSep;
    }
    return p;
  }
  std::set<std::string> sandbox() const {
    std::set<std::string> files;
    walk(dir.path(), "", files);
    return files;
  }
  std::set<std::string> targetFiles() const {
    std::set<std::string> files;
    walk(target(), "", files);
    return files;
  }

  ExtractResult extractRaw(const std::vector<RawEntry>& entries, ExtractOptions options = {}) {
    writeFile(archive(), rawZip(entries));
    options.targetDir = target();
    return extractArchive(archive(), options);
  }

  larkspur::test::TempDir dir;
};

// The reasons of a result's problems, in order.
inline std::vector<SkipReason> reasons(const ExtractResult& result) {
  std::vector<SkipReason> list;
  for (const auto& p : result.problems)
    list.push_back(p.reason);
  return list;
}

} // namespace larkspur::extract::test
