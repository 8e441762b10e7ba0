// larkspur-zip list: the directory of an archive as the reader sees it, one entry per line,
// then the archive comment. This is also how archives made elsewhere are checked from outside.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

#include "cli/commands.h"
#include "cli/option_table.h"
#include "cli/terminal_text.h"
#include "platform/dos_time.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "zip/format/zip_reader.h"
#include "zip/format/zip_signatures.h"

namespace larkspur::cli {

const char kListUsage[] =
    "  larkspur-zip list ARCHIVE [--sort MODE] [--assume-bad|--assume-multi|--assume-not-zip]\n"
    "    One line per entry, fields separated by tabs: name, size, packed size, method,\n"
    "    modified (YYYY-MM-DD hh:mm:ss), CRC-32, disk:offset of the local header, and the\n"
    "    entry comment when there is one; then \"comment: \" and the archive comment.\n"
    "    MODE: name, filename, directory, date, packed, size, rate, none (the stored order).\n"
    "    Without an end record: --assume-multi (the default) reports an incomplete archive,\n"
    "    --assume-bad rebuilds the directory from the local headers, --assume-not-zip refuses.\n"
    "    Exit status 3: listed, but the directory was rebuilt or disagrees with its end record,\n"
    "    so entries may be missing (a warning on stderr says why).\n";

namespace {

using zip::TIncompleteZipMode;
using zip::TZipSortMode;

struct ListOptions {
  std::string archive;
  TZipSortMode sort = TZipSortMode::ByNone;
  TIncompleteZipMode incomplete = TIncompleteZipMode::izAssumeMulti;
};

std::optional<TZipSortMode> sortModeNamed(const std::string& name) {
  static const struct {
    const char* name;
    TZipSortMode mode;
  } kModes[] = {{"name", TZipSortMode::ByName},
                {"filename", TZipSortMode::ByFileName},
                {"directory", TZipSortMode::ByDirectoryName},
                {"date", TZipSortMode::ByDate},
                {"packed", TZipSortMode::ByCompressedSize},
                {"size", TZipSortMode::ByUnCompressedSize},
                {"rate", TZipSortMode::ByRate},
                {"none", TZipSortMode::ByNone}};
  for (const auto& mode : kModes) {
    if (paths::SameTextAscii(name, mode.name))
      return mode.mode;
  }
  return std::nullopt;
}

using Row = OptionRow<ListOptions>;

// The synopsis above names every option; the usage test holds it to this table.
const Row kListOptions[] = {
    {{"--sort", "MODE", kList, {}, "--sort needs a mode"},
     [](ListOptions& options, const std::string& v) -> ParseProblem {
       const auto mode = sortModeNamed(v);
       if (!mode)
         return "unknown sort mode: " + v;
       options.sort = *mode;
       return std::nullopt;
     }},
    {{"--assume-bad", "", kList, {}},
     [](ListOptions& options, const std::string&) {
       options.incomplete = TIncompleteZipMode::izAssumeBad;
       return ParseProblem();
     }},
    {{"--assume-multi", "", kList, {}},
     [](ListOptions& options, const std::string&) {
       options.incomplete = TIncompleteZipMode::izAssumeMulti;
       return ParseProblem();
     }},
    {{"--assume-not-zip", "", kList, {}},
     [](ListOptions& options, const std::string&) {
       options.incomplete = TIncompleteZipMode::izAssumeNotAZip;
       return ParseProblem();
     }},
};

ParseProblem takeOneArchive(ListOptions& options, const std::string& argument) {
  if (!options.archive.empty())
    return "more than one archive: " + argument;
  options.archive = argument;
  return std::nullopt;
}

// Parses the arguments; an error text when they are not understood.
ParseProblem parse(const Arguments& args, ListOptions& options) {
  if (ParseProblem problem = parseOptions(kListOptions, kList, args, options, takeOneArchive))
    return problem;
  if (options.archive.empty())
    return "no archive named";
  return std::nullopt;
}

std::string methodName(std::uint16_t method) {
  switch (method) {
  case 0:
    return "stored";
  case 8:
    return "deflated";
  default:
    return "method " + std::to_string(method);
  }
}

std::string dateTimeText(std::uint32_t dosTime) {
  const platform::DateTime t = platform::splitDosTime(dosTime);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

std::string entryLine(zip::TZipReader& reader, int index) {
  const zip::TZipHeaderInfo& e = reader.Entry(index);
  // Where names are not UTF-8 the reader has turned the name into the ANSI code page.
  const bool utf8 = platform::kNamesAreUtf8 && (e.Flags & zip::kFlagUtf8Name) != 0;
  char numbers[96];
  std::snprintf(numbers, sizeof numbers, "\t%llu\t%llu\t",
                static_cast<unsigned long long>(e.Size()),
                static_cast<unsigned long long>(e.PackedSize()));
  char location[64];
  std::snprintf(location, sizeof location, "\t%08X\t%u:%llu", e.Crc32, e.DiskNumberStart,
                static_cast<unsigned long long>(e.HeaderOffset()));
  // Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) on chains of operator+.
  std::string line = TerminalText(e.Directory() + e.FileName(), utf8);
  line += numbers;
  line += methodName(e.CompressionMethod);
  line += '\t';
  line += dateTimeText(e.FileDateTime);
  line += location;
  const std::string comment = reader.EntryComment(index);
  if (!comment.empty()) {
    line += '\t';
    line += TerminalText(comment);
  }
  return line;
}

// Why the file cannot hold an archive whatever the reader would make of it, or nothing. A
// device such as /dev/zero is refused before anything is read from it, which could go on
// forever; a file that is not there is left to the open, which names the reason.
std::optional<std::string> neverAnArchive(const std::string& name) {
  std::error_code error;
  const auto status = std::filesystem::status(name, error);
  if (error || !std::filesystem::exists(status))
    return std::nullopt;
  if (!std::filesystem::is_regular_file(status))
    return "not a regular file";
  if (std::filesystem::file_size(name, error) == 0 && !error)
    return "the file is empty";
  return std::nullopt;
}

// Whether every byte of the (regular) file is zero: such a file is no damaged archive.
bool onlyZeroBytes(const std::string& name) {
  std::ifstream file(std::filesystem::path(name), std::ios::binary);
  char block[65536];
  while (file.read(block, sizeof block) || file.gcount() > 0) {
    for (std::streamsize i = 0; i < file.gcount(); ++i) {
      if (block[i] != 0)
        return false;
    }
  }
  return static_cast<bool>(file.eof());
}

constexpr char kNotAnArchive[] = ": not a zip archive: ";

} // namespace

std::vector<OptionInfo> listOptionInfos() {
  return optionInfos(kListOptions);
}

int runList(const Arguments& args, std::ostream& out, std::ostream& err) {
  ListOptions options;
  if (const auto problem = parse(args, options)) {
    err << "larkspur-zip list: " << *problem << "\n";
    printUsage(err);
    return kExitUsage;
  }
  if (const auto reason = neverAnArchive(options.archive)) {
    err << "larkspur-zip list: " << options.archive << kNotAnArchive << *reason << "\n";
    return kExitFailure;
  }
  try {
    zip::TZipReader reader;
    reader.IncompleteZipMode = options.incomplete;
    reader.SortMode = options.sort;
    reader.SetZipName(options.archive);
    reader.OpenArchive();
    std::string listing;
    int unspelled = 0;
    for (int i = 0; i < reader.EntryCount(); ++i) {
      listing += entryLine(reader, i) + "\n";
      unspelled += reader.Entry(i).NameSpelled() ? 0 : 1;
    }
    const std::string comment = reader.ArchiveComment();
    if (!comment.empty())
      listing += "comment: " + TerminalText(comment) + "\n";
    out << listing;
    if (unspelled != 0) {
      err << "larkspur-zip list: warning: " << options.archive << ": " << unspelled
          << " name(s) with characters this system cannot spell, shown as '?'\n";
    }
    if (!reader.DirectoryProblem().empty()) {
      err << "larkspur-zip list: warning: " << options.archive << ": " << reader.DirectoryProblem()
          << "\n";
      return kExitIncomplete;
    }
    return kExitOk;
  } catch (const Error& e) {
    if (onlyZeroBytes(options.archive)) {
      err << "larkspur-zip list: " << options.archive << kNotAnArchive
          << "the file holds only zero bytes\n";
    } else {
      err << e.what() << "\n";
    }
    return kExitFailure;
  } catch (const std::exception& e) {
    err << "larkspur-zip list: " << e.what() << "\n";
    return kExitFailure;
  }
}

} // namespace larkspur::cli
