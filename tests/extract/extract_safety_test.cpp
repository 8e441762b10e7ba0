// What an extraction must never do, checked against archives a hostile builder writes: put a
// file outside the target, follow a link planted inside it, leave a half-written or damaged file
// under a real name, or destroy a file the overwrite rule keeps. Every entry left out is
// reported with its reason and the rest still extracts.
#include <cstdlib>

#include "extract_fixture.h"
#include "platform/target_files.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace larkspur::extract::test {
namespace {

TEST_F(ExtractTest, EscapingNamesAreLeftOutAndNothingLandsOutsideTheTarget) {
  std::vector<RawEntry> entries = {
      {"../escaped1.txt", "x"},    {"sub/../../escaped2.txt", "x"},
      {"/tmp/escaped3.txt", "x"},  {"\\escaped4.txt", "x"},
      {"..\\escaped5.txt", "x"},   {"//server/share/escaped7", "x"},
      {"good/inside.txt", "kept"},
  };
#ifdef _WIN32
  for (const char* name : {"C:/escaped6.txt", "C:escaped", "CON", "sub/nul.txt", "com1.log",
                           "trail.", "blank ", "a.txt:ads"})
    entries.push_back({name, "x"});
#else
  entries.push_back({"back\\slash.txt", "x"});
#endif
  const ExtractResult result = extractRaw(entries);

  EXPECT_EQ(result.filesWritten, 1);
  EXPECT_EQ(result.problems.size(), entries.size() - 1);
  for (const EntryProblem& p : result.problems)
    EXPECT_EQ(p.reason, SkipReason::UnsafeName) << p.entry;
  EXPECT_EQ(readFile(out("good/inside.txt")), "kept");
  const std::set<std::string> expected = {"a.zip", "out", "out/good", "out/good/inside.txt"};
  EXPECT_EQ(sandbox(), expected);
}

#ifndef _WIN32
TEST_F(ExtractTest, ALinkInsideTheTargetIsNeverFollowed) {
  platform::createDirectory(target());
  platform::createDirectory(dir.file("elsewhere"));
  ASSERT_EQ(::symlink(dir.file("elsewhere").c_str(), out("link").c_str()), 0);

  const ExtractResult result =
      extractRaw({{"link/planted.txt", "x"}, {"link/deeper/planted.txt", "x"}, {"fine.txt", "ok"}});

  EXPECT_EQ(reasons(result), (std::vector{SkipReason::LinkInPath, SkipReason::LinkInPath}));
  EXPECT_EQ(readFile(out("fine.txt")), "ok");
  std::set<std::string> elsewhere;
  walk(dir.file("elsewhere"), "", elsewhere);
  EXPECT_TRUE(elsewhere.empty());
}

TEST_F(ExtractTest, ReplacingALinkReplacesTheLinkNotWhatItPointsTo) {
  platform::createDirectory(target());
  writeFile(dir.file("precious.txt"), "precious");
  ASSERT_EQ(::symlink(dir.file("precious.txt").c_str(), out("a.txt").c_str()), 0);
  ExtractOptions options;
  options.overwrite = OverwritePolicy::Always;
  EXPECT_TRUE(extractRaw({{"a.txt", "new"}}, options).complete());
  EXPECT_EQ(readFile(dir.file("precious.txt")), "precious");
  EXPECT_EQ(platform::pathKind(out("a.txt")), platform::PathKind::File);
  EXPECT_EQ(readFile(out("a.txt")), "new");
}
#endif

TEST_F(ExtractTest, DamagedDataLeavesNoFileOfThatNameAndTheRestExtracts) {
  RawEntry badCrc{"bad-crc.txt", "the data as stored"};
  badCrc.crc = crcOf("the data as written");
  RawEntry badSize{"bad-size.txt", "12345"};
  badSize.size = 6;
  RawEntry unsupported{"bzip2.bin", "BZh91AY&SY"};
  unsupported.method = 12;
  RawEntry link{"link", "/etc/passwd"};
  link.versionMadeBy = 3 << 8 | 30;
  link.externalAttributes = 0120777u << 16;
  RawEntry aes{"aes.bin", "0123456789abcdef"};
  aes.method = 99;
  aes.flags = 1;
  const ExtractResult result =
      extractRaw({badCrc, badSize, {"good.txt", "good"}, unsupported, aes, link});

  EXPECT_EQ(reasons(result),
            (std::vector{SkipReason::BadData, SkipReason::BadData, SkipReason::Unsupported,
                         SkipReason::Unsupported, SkipReason::Unsupported}));
  EXPECT_EQ(result.problems[0].entry, "bad-crc.txt");
  EXPECT_NE(result.problems[0].message.find("CRC"), std::string::npos);
  EXPECT_EQ(targetFiles(), std::set<std::string>{"good.txt"}); // no temporary file either
}

// What each overwrite rule does to a file that is already there.
struct OverwriteCase {
  OverwritePolicy policy;
  OverwriteAnswer answer; // for Ask
  const char* kept;       // content of "a.txt" afterwards
  const char* renamed;    // content of "a (2).txt", or nullptr when there is none
  bool complete;
};

class Overwrite : public ExtractTest, public ::testing::WithParamInterface<OverwriteCase> {};

TEST_P(Overwrite, AnExistingFileIsKeptReplacedOrJoinedByANumberedCopy) {
  const OverwriteCase& c = GetParam();
  platform::createDirectory(target());
  writeFile(out("a.txt"), "old");
  platform::setFileAttributes(out("a.txt"), platform::faReadOnly);
  ExtractOptions options;
  options.overwrite = c.policy;
  int asked = 0;
  options.callbacks.askOverwrite = [&](const std::string& path) {
    EXPECT_EQ(path, out("a.txt"));
    ++asked;
    return c.answer;
  };
  const ExtractResult result = extractRaw({{"a.txt", "new"}}, options);

  EXPECT_EQ(result.complete(), c.complete);
  EXPECT_EQ(asked, c.policy == OverwritePolicy::Ask ? 1 : 0);
  EXPECT_EQ(readFile(out("a.txt")), c.kept);
  EXPECT_EQ(platform::fileExists(out("a (2).txt")), c.renamed != nullptr);
  if (c.renamed) {
    EXPECT_EQ(readFile(out("a (2).txt")), c.renamed);
  }
  platform::setFileAttributes(out("a.txt"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Overwrite,
    ::testing::Values(
        OverwriteCase{OverwritePolicy::Never, OverwriteAnswer::No, "old", nullptr, false},
        OverwriteCase{OverwritePolicy::Always, OverwriteAnswer::No, "new", nullptr, true},
        OverwriteCase{OverwritePolicy::Rename, OverwriteAnswer::No, "old", "new", true},
        OverwriteCase{OverwritePolicy::Ask, OverwriteAnswer::Yes, "new", nullptr, true},
        OverwriteCase{OverwritePolicy::Ask, OverwriteAnswer::NoToAll, "old", nullptr, false}));

TEST_F(ExtractTest, ACancelRemovesThePartialFileAndKeepsTheOldOne) {
  platform::createDirectory(target());
  writeFile(out("big.bin"), "old");
  ExtractOptions options;
  options.overwrite = OverwritePolicy::Always;
  int blocks = 0;
  options.callbacks.onProgress = [&](const ExtractProgress&) { ++blocks; };
  options.callbacks.cancelRequested = [&] { return blocks >= 2; };
  EXPECT_THROW(extractRaw({{"first.txt", "done"}, {"big.bin", std::string(300000, 'z')}}, options),
               EExtractCanceled);
  EXPECT_EQ(readFile(out("big.bin")), "old");
  EXPECT_EQ(targetFiles(), (std::set<std::string>{"big.bin", "first.txt"}));
}

#ifndef _WIN32
// A tmpfs of 128 KB mounted inside the sandbox; skipped where mounting is not allowed.
TEST_F(ExtractTest, AFullDiskStopsWithAClearErrorAndDestroysNothing) {
  const std::string disk = dir.file("disk");
  platform::createDirectory(disk);
  if (std::system(("mount -t tmpfs -o size=128k tmpfs '" + disk + "' 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
  const std::string keep = disk + kSep + "keep.txt";
  writeFile(keep, "the old contents");
  // Replacing keep.txt fills the disk: the old file must survive, and the run stops there.
  writeFile(archive(), rawZip({{"small.txt", "fits"},
                               {"keep.txt", larkspur::test::incompressibleBytes(200000, 5)},
                               {"later.txt", "never reached"}}));
  ExtractOptions options;
  options.targetDir = disk;
  options.overwrite = OverwritePolicy::Always;
  std::string message;
  try {
    extractArchive(archive(), options);
  } catch (const EExtractError& e) {
    message = e.what();
  }
  std::set<std::string> left;
  walk(disk, "", left);
  const std::string kept = readFile(keep);
  std::system(("umount '" + disk + "'").c_str());
  EXPECT_EQ(kept, "the old contents");
  EXPECT_NE(message.find("the disk is full"), std::string::npos) << message;
  EXPECT_EQ(left, (std::set<std::string>{"keep.txt", "small.txt"}));
}
#endif

TEST_F(ExtractTest, FoldersEmptyOnesIncludedAreCreatedAndAFileInTheWayIsReported) {
  platform::createDirectory(target());
  writeFile(out("blocker"), "a file");
  const ExtractResult result =
      extractRaw({{"empty/", ""}, {"a/b/c/", ""}, {"blocker/x.txt", "x"}, {"./", ""}});
  EXPECT_EQ(reasons(result), std::vector{SkipReason::NotAFolder});
  EXPECT_EQ(targetFiles(), (std::set<std::string>{"a", "a/b", "a/b/c", "blocker", "empty"}));
}

TEST_F(ExtractTest, PatternsSelectEntriesAndOneMatchingNothingIsReported) {
  ExtractOptions options;
  options.patterns = {"*.txt", "docs/*", "missing*"};
  const ExtractResult result = extractRaw(
      {{"a.txt", "1"}, {"deep/b.TXT", "2"}, {"docs/c.bin", "3"}, {"d.bin", "4"}}, options);
  EXPECT_EQ(reasons(result), std::vector{SkipReason::NotMatched});
  EXPECT_EQ(result.problems[0].entry, "missing*");
  EXPECT_EQ(targetFiles(),
            (std::set<std::string>{"a.txt", "deep", "deep/b.TXT", "docs", "docs/c.bin"}));
}

TEST_F(ExtractTest, TimeAndAttributesAreRestoredReadOnlyLast) {
  RawEntry readOnly{"ro.txt", "r"};
  readOnly.externalAttributes = platform::faReadOnly | platform::faArchive;
  RawEntry unixMode{"script.sh", "#!/bin/sh\n"};
  unixMode.versionMadeBy = 3 << 8 | 30;
  unixMode.externalAttributes = (0100750u << 16);
  const ExtractResult result = extractRaw({readOnly, unixMode});
  ASSERT_TRUE(result.complete());
  EXPECT_EQ(platform::fileDosTime(out("ro.txt")), readOnly.dosTime);
  EXPECT_NE(platform::fileAttributes(out("ro.txt")) & platform::faReadOnly, 0);
#ifndef _WIN32
  EXPECT_EQ(::access(out("script.sh").c_str(), X_OK), 0);
#endif
  platform::setFileAttributes(out("ro.txt"), 0);
}

// GBK names as a Windows archiver stores them (OEM code page, no flag), one with "\" as a trail
// byte, and a UTF-8 name with flag bit 11: on Windows (code page 936) they are written in GBK,
// on POSIX in UTF-8; the trail byte never splits a name into folders.
TEST_F(ExtractTest, DoubleByteAndUtf8NamesKeepTheirCharacters) {
  RawEntry utf8{"\xE4\xB8\xAD\xE6\x96\x87/utf8.txt", "u"}; // 中文/utf8.txt
  utf8.flags = 0x0800;
  const ExtractResult result = extractRaw({{"\xD6\xD0\xCE\xC4/gbk.txt", "g"}, // 中文/gbk.txt
                                           {"\x81\x5C.txt", "trail"},         // 乗.txt
                                           utf8});
  ASSERT_TRUE(result.complete()) << result.problems.front().message;
#ifdef _WIN32
  const std::string chinese = "\xD6\xD0\xCE\xC4", trail = "\x81\x5C.txt";
#else
  const std::string chinese = "\xE4\xB8\xAD\xE6\x96\x87", trail = "\xE4\xB9\x97.txt";
#endif
  EXPECT_EQ(targetFiles(),
            (std::set<std::string>{chinese, chinese + "/gbk.txt", chinese + "/utf8.txt", trail}));
}

TEST_F(ExtractTest, UnsupportedFormatsAreRefusedBeforeAnythingIsWritten) {
  for (const char* name : {"a.rar", "b.CAB", "c.lzh", "d.arj"}) {
    writeFile(dir.file(name), "Rar!\x1a\x07");
    ExtractOptions options;
    options.targetDir = target();
    try {
      extractArchive(dir.file(name), options);
      ADD_FAILURE() << name;
    } catch (const EExtractError& e) {
      EXPECT_NE(std::string(e.what()).find("format not supported"), std::string::npos);
    }
  }
  EXPECT_FALSE(platform::directoryExists(target()));
}

} // namespace
} // namespace larkspur::extract::test

namespace larkspur::extract::test {
namespace {

// Names from other systems extract under the system's own spelling of them: UTF-8 (flagged, or
// from a Unix host) and the archive's code page (GBK from a DOS host). A name the system cannot
// spell is left out and reported, never written under garbled bytes.
TEST_F(ExtractTest, NamesFromOtherSystemsTakeTheSystemsSpellingOrAreReported) {
  const std::string worldUtf8 = "\xE4\xB8\x96\xE7\x95\x8C";
  const std::string worldGbk = "\xCA\xC0\xBD\xE7";
  const std::string world = platform::kNamesAreUtf8 ? worldUtf8 : worldGbk;
  const std::string smile = "a\xF0\x9F\x98\x80.txt"; // U+1F600 is in no ANSI code page
  RawEntry flagged{worldUtf8 + "1.txt", "1"};
  flagged.flags = 0x0800;
  RawEntry fromUnix{worldUtf8 + "2.txt", "2"};
  fromUnix.versionMadeBy = 3 << 8 | 20;
  RawEntry fromDos{worldGbk + "3.txt", "3"};
  RawEntry unspellable{smile, "4"};
  unspellable.flags = 0x0800;
  const ExtractResult result = extractRaw({flagged, fromUnix, fromDos, unspellable});

  EXPECT_EQ(readFile(out(world + "1.txt")), "1");
  EXPECT_EQ(readFile(out(world + "2.txt")), "2");
  EXPECT_EQ(readFile(out(world + "3.txt")), "3");
  if (platform::kNamesAreUtf8) {
    EXPECT_EQ(result.filesWritten, 4);
    EXPECT_EQ(readFile(out(smile)), "4");
  } else {
    EXPECT_EQ(result.filesWritten, 3);
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_EQ(result.problems[0].reason, SkipReason::UnsafeName);
  }
}

} // namespace
} // namespace larkspur::extract::test
