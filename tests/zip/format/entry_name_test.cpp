// How stored names are read: the Unicode path field (checked by its CRC, damaged ones ignored),
// the UTF-8 flag, the host byte and the code pages; and the names of archives from other tools
// as the reader gives them, the same wherever they are used.
#include <gtest/gtest.h>

#include "record_test_support.h"
#include "support/file_contents.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"
#include "zip/format/entry_name.h"
#include "zip/format/zip_reader.h"
#include "zip_reader_fixtures.h"

namespace larkspur::zip {
namespace {

namespace zb = larkspur::test::zipbytes;

// A Unicode path field for `stored` with `utf8`; `crcOf` is the name its CRC is taken of.
std::string unicodeField(const std::string& utf8, const std::string& crcOf,
                         std::uint8_t version = 1) {
  std::string field;
  zb::put16(field, kUnicodePathId);
  zb::put16(field, static_cast<std::uint32_t>(5 + utf8.size()));
  field.push_back(static_cast<char>(version));
  zb::put32(field, zb::crc32(crcOf));
  return field + utf8;
}

std::string otherField() {
  std::string field;
  zb::put16(field, 0x5455);
  zb::put16(field, 5);
  return field + std::string("\x01\x00\x00\x00\x60", 5);
}

constexpr char kWorld[] = "\xE4\xB8\x96\xE7\x95\x8C"; // 世界 in UTF-8

TEST(UnicodePathName, IsTakenOnlyFromAnIntactVersionOneFieldForThisName) {
  const std::string stored = "caf\x82.txt";
  const std::string good = unicodeField("caf\xC3\xA9.txt", stored);
  const struct {
    const char* label;
    std::string extra;
    std::optional<std::string> expected;
  } cases[] = {
      {"alone", good, "caf\xC3\xA9.txt"},
      {"after another field", otherField() + good, "caf\xC3\xA9.txt"},
      {"for another name (renamed since)", unicodeField("x.txt", "old.txt"), std::nullopt},
      {"an unknown version", unicodeField("x.txt", stored, 2), std::nullopt},
      {"not UTF-8", unicodeField("\xC3(", stored), std::nullopt},
      {"cut short by the block", good.substr(0, good.size() - 1), std::nullopt},
      {"too short for its CRC", std::string("\x75\x70\x03\x00\x01\x02\x03", 7), std::nullopt},
      {"a field header cut short", otherField() + "\x75\x70", std::nullopt},
      {"no field", otherField(), std::nullopt},
      {"nothing", "", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(UnicodePathName(c.extra, stored), c.expected) << c.label;
}

// Test rules: OEM is the accent code page, and the system spells every UTF-8 name except
// those with U+20AC, which it lacks.
std::optional<std::string> spellsAllButEuro(const std::string& utf8) {
  if (utf8.find("\xE2\x82\xAC") != std::string::npos)
    return std::nullopt;
  return "<" + utf8 + ">";
}

TEST(SystemEntryName, FollowsTheFieldTheFlagTheHostAndTheSystem) {
  StoredNameRules rules = test::kAccentRules;
  rules.fromUtf8 = spellsAllButEuro;
  constexpr std::uint16_t kDos = 20, kUnix = 3 << 8 | 20;
  const struct {
    const char* label;
    std::string stored;
    std::uint16_t flags;
    std::uint16_t madeBy;
    std::string extra;
    bool namesAreUtf8;
    std::string expected;
    bool spelled;
  } cases[] = {
      {"OEM from a DOS host", "caf\x82", 0, kDos, "", false, "caf\xE9", true},
      {"the flag", kWorld, kFlagUtf8Name, kDos, "", false, std::string("<") + kWorld + ">", true},
      {"the field beats the stored bytes", "caf\x82", 0, kDos,
       unicodeField("caf\xC3\xA9", "caf\x82"), false, "<caf\xC3\xA9>", true},
      {"a field for another name is ignored", "caf\x82", 0, kDos, unicodeField("x", "y"), false,
       "caf\xE9", true},
      {"UTF-8 bytes from a Unix host", kWorld, 0, kUnix, "", false, std::string("<") + kWorld + ">",
       true},
      {"other bytes from a Unix host, names in a code page", "caf\x82", 0, kUnix, "", false,
       "caf\x82", true},
      {"other bytes from a Unix host, UTF-8 names", "caf\x82", 0, kUnix, "", true, "caf\xE9", true},
      {"a character the system lacks",
       "a\xE2\x82\xAC"
       "b",
       kFlagUtf8Name, kDos, "", false, "<a>?<b>", false},
  };
  for (const auto& c : cases) {
    rules.namesAreUtf8 = c.namesAreUtf8;
    const SystemName name = SystemEntryName(c.stored, c.flags, c.madeBy, c.extra, rules);
    EXPECT_EQ(name.text, c.expected) << c.label;
    EXPECT_EQ(name.spelled, c.spelled) << c.label;
  }
}

TEST(SystemEntryName, TheReaderNamesEntriesThroughItAndKeepsTheStoredBytes) {
  larkspur::test::TempDir dir;
  std::vector<zb::Entry> entries(1);
  entries[0].name = "caf\x82.txt";
  entries[0].centralExtra = unicodeField("caf\xC3\xA9.txt", entries[0].name);
  entries[0].data = "x";
  const std::string path = dir.file("named.zip");
  larkspur::test::writeFile(path, zb::archive(entries));
  TZipReader reader;
  reader.SetZipName(path);
  reader.OpenArchive();
  ASSERT_EQ(reader.EntryCount(), 1);
  const SystemName expected = SystemEntryName(entries[0].name, 0, 20, entries[0].centralExtra);
  EXPECT_EQ(reader.Entry(0).FileName(), expected.text);
  EXPECT_EQ(reader.Entry(0).NameSpelled(), expected.spelled);
  EXPECT_EQ(reader.Entry(0).StoredName(), entries[0].name);
#ifndef _WIN32
  EXPECT_EQ(reader.Entry(0).FileName(), "caf\xC3\xA9.txt");
#endif
}

// Archives from other tools: 世界 with the flag and without it from a Unix host, and names
// that only the Unicode path field spells right.
TEST(SystemEntryName, ArchivesFromOtherToolsReadAsTheyWereNamed) {
#ifdef _WIN32
  const std::string world = "\xCA\xC0\xBD\xE7"; // 世界 in the ANSI code page 936
#else
  const std::string world = kWorld;
#endif
  const struct {
    const char* archive;
    int index;
    std::string expected; // empty: whatever the system spells, checked natively only
    std::string native;
  } cases[] = {
      {"go-archive-zip/utf8-7zip.zip", 0, world, ""},
      {"go-archive-zip/utf8-infozip.zip", 0, world, ""},
      {"go-archive-zip/utf8-osx.zip", 0, world, ""},
      {"go-archive-zip/utf8-winrar.zip", 0, world, ""},
      {"go-archive-zip/utf8-winzip.zip", 0, world, ""},
      {"commons-compress/COMPRESS-479.zip", 0, "", "\xC3\x96lf\xC3\xA4sser.txt"},
      {"commons-compress/utf8-winzip-test.zip", 1, "", "\xC3\x96lf\xC3\xA4sser.txt"},
      {"libzip/test-cp437-fc-utf-8-filename.zip", 0, "",
       "\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F\xC3\xA4\xC3\xB6\xC3\xBC"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.archive);
    TZipReader reader;
    reader.SetZipName(larkspur::test::sharedPath(std::string("corpora/zips/") + c.archive));
    reader.OpenArchive();
    ASSERT_GT(reader.EntryCount(), c.index);
    const TZipHeaderInfo& e = reader.Entry(c.index);
    const std::string name = e.Directory() + e.FileName();
    if (!c.expected.empty()) {
      EXPECT_EQ(name, c.expected);
    }
#ifndef _WIN32
    if (!c.native.empty()) {
      EXPECT_EQ(name, c.native);
    }
#endif
  }
}

} // namespace
} // namespace larkspur::zip
