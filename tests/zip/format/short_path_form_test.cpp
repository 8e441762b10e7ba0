// Short path forms: the component walk with a scripted alias lookup on every system, and the
// real aliases of the file system under Windows.
#include <gtest/gtest.h>

#include <map>

#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"
#include "zip/format/zip_helpers.h"

namespace larkspur::zip {
namespace {

bool gbkLead(unsigned char b) {
  return b >= 0x81 && b <= 0xFE;
}

struct ShortCase {
  const char* path;
  const char* expected;
};

class ShortPathFormTest : public ::testing::TestWithParam<ShortCase> {};

TEST_P(ShortPathFormTest, ReplacesComponentsThatHaveAliases) {
  const std::map<std::string, std::string> aliases = {
      {"C:\\Program Files", "PROGRA~1"},
      {"C:\\PROGRA~1\\Long Name.txt", "LONGNA~1.TXT"},
      {"\\Documents", "DOCUME~1"},
      {"rel\\Longer Part", "LONGER~1"},
      {"\\\\srv\\share\\Long Dir", "LONGDI~1"},
      {"C:\\\xD5\x5C long", "D55C~1"},
  };
  const auto lookup = [&](const std::string& path) {
    const auto it = aliases.find(path);
    return it == aliases.end() ? std::string() : it->second;
  };
  EXPECT_EQ(ShortPathFormUsing(GetParam().path, lookup, gbkLead), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ShortPathFormTest,
    ::testing::Values(ShortCase{"C:\\Program Files\\readme.txt", "C:\\PROGRA~1\\readme.txt"},
                      ShortCase{"C:\\Program Files\\Long Name.txt", "C:\\PROGRA~1\\LONGNA~1.TXT"},
                      ShortCase{"C:\\Program Files\\", "C:\\PROGRA~1\\"},
                      ShortCase{"C:data", "C:\\data"}, ShortCase{"C:", "C:\\"},
                      ShortCase{"C:\\", "C:\\"}, ShortCase{"\\Documents\\x", "\\DOCUME~1\\x"},
                      ShortCase{"rel\\Longer Part", "rel\\LONGER~1"},
                      ShortCase{"\\\\srv\\share\\Long Dir\\f", "\\\\srv\\share\\LONGDI~1\\f"},
                      ShortCase{"\\\\srv\\share", "\\\\srv\\share"},
                      ShortCase{"C:\\\xD5\x5C long\\\xD5\x5C", "C:\\D55C~1\\\xD5\x5C"},
                      ShortCase{"C:\\Program Files\\*.*", "C:\\PROGRA~1\\*.*"}, ShortCase{"", ""}));

TEST(ShortPathForm, RealAliasesNameTheSameFile) {
  test::TempDir dir;
  const std::string folder = dir.file("Long Folder Name");
  ASSERT_TRUE(platform::createDirectory(folder));
  const std::string file = folder + platform::kPathDelimiter + "readme.txt";
  test::writeFile(file, "x");
  const std::string shortForm = ShortPathForm(file);
#ifdef _WIN32
  platform::DirectoryFind find(folder);
  ASSERT_TRUE(find.ok());
  const std::string alias = find.current().shortName;
  ASSERT_FALSE(alias.empty());
  EXPECT_NE(alias.find('~'), std::string::npos);
  EXPECT_NE(shortForm.find("\\" + alias + "\\readme.txt"), std::string::npos) << shortForm;
  EXPECT_TRUE(platform::fileExists(shortForm)) << shortForm;
  EXPECT_EQ(ShortPathForm(folder + "\\"), shortForm.substr(0, shortForm.size() - 10));
#else
  EXPECT_EQ(shortForm, file); // no short names here
#endif
}

} // namespace
} // namespace larkspur::zip
