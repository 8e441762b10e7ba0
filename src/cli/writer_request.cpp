// The writer options of compress and add: their table and the request they fill in.
#include "cli/writer_request.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <thread>

#include "cli/option_table.h"
#include "platform/error.h"

namespace larkspur::cli {

namespace {

// The highest level the compressor knows.
constexpr int kMaxLevel = 9;
// More compression threads than this only cost memory.
constexpr long kMaxThreads = 256;

// One thread per core the system reports (at least one).
int everyCore() {
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// "1500", "64k", "2m": a block size in bytes, within the writer's 32-bit field.
std::optional<std::int32_t> parseSize(const std::string& text) {
  char* end = nullptr;
  const long long number = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || end == text.c_str() || number <= 0)
    return std::nullopt;
  long long scale = 1;
  const std::string suffix = end;
  if (suffix == "k" || suffix == "K")
    scale = 1024;
  else if (suffix == "m" || suffix == "M")
    scale = 1024 * 1024;
  else if (!suffix.empty())
    return std::nullopt;
  if (number > std::numeric_limits<std::int32_t>::max() / scale)
    return std::nullopt;
  return static_cast<std::int32_t>(number * scale);
}

std::optional<zip::TZipAction> parseAction(const std::string& text) {
  if (text == "update")
    return zip::TZipAction::zaUpdate;
  if (text == "replace")
    return zip::TZipAction::zaReplace;
  if (text == "freshen")
    return zip::TZipAction::zaFreshen;
  return std::nullopt;
}

using Row = OptionRow<WriterRequest>;

ParseProblem setLevel(WriterRequest& r, const std::string& v) {
  char* end = nullptr;
  const long level = std::strtol(v.c_str(), &end, 10);
  if (v.empty() || *end != '\0' || level < 0 || level > kMaxLevel)
    return "--level takes a number from 0 to 9";
  r.options.packLevel = static_cast<int>(level);
  return std::nullopt;
}

ParseProblem setAction(WriterRequest& r, const std::string& v) {
  r.options.zipAction = parseAction(v);
  if (!r.options.zipAction)
    return "--action takes update, replace or freshen";
  return std::nullopt;
}

ParseProblem setSplit(WriterRequest& r, const std::string& v) {
  r.options.splitSize = parseSize(v);
  if (!r.options.splitSize)
    return "--split takes a size of at least 1 byte, below 2 GiB (k and m suffixes)";
  return std::nullopt;
}

ParseProblem setThreads(WriterRequest& r, const std::string& v) {
  char* end = nullptr;
  const long threads = std::strtol(v.c_str(), &end, 10);
  if (v.empty() || *end != '\0' || threads < 1 || threads > kMaxThreads)
    return "--threads takes a number from 1 to 256";
  r.options.compressionThreads = static_cast<int>(threads);
  return std::nullopt;
}

constexpr unsigned kWriters = kCompress | kAdd;

// In the order the usage lists them.
const Row kWriterOptions[] = {
    {{"--name", "NAME", kCompress, {}}, // the usage's compress line explains it
     [](WriterRequest& r, const std::string& v) {
       r.name = v;
       return ParseProblem();
     }},
    {{"--level", "N", kWriters, "0-9, default 9"}, setLevel},
    {{"--store-paths", "", kWriters, "store each file under its path, not its bare name"},
     [](WriterRequest& r, const std::string&) {
       r.options.storePaths = true;
       return ParseProblem();
     }},
    {{"--relative", "", kWriters, "folders relative to the first PATH's folder"},
     [](WriterRequest& r, const std::string&) {
       r.options.relativePaths = true;
       return ParseProblem();
     }},
    {{"--recurse", "", kWriters, "take the matching files of the folders below as well"},
     [](WriterRequest& r, const std::string&) {
       r.options.recurse = true;
       return ParseProblem();
     }},
    {{"--exclude", "PATTERN", kWriters, "leave out the files that match PATTERN"},
     [](WriterRequest& r, const std::string& v) {
       r.options.excludeList.push_back(v);
       return ParseProblem();
     }},
    {{"--no-compress", "PATTERN", kWriters, "store the files that match PATTERN uncompressed"},
     [](WriterRequest& r, const std::string& v) {
       r.options.noCompressList.push_back(v);
       return ParseProblem();
     }},
    {{"--action", "update|replace|freshen", kWriters,
      "default update: a file replaces its entry when newer"},
     setAction},
    {{"--password-file", "FILE", kWriters, "the password is the file's first line"},
     [](WriterRequest& r, const std::string& v) {
       r.password = {PasswordRequest::Kind::File, v};
       return ParseProblem();
     }},
    {{"--password", "", kWriters,
      "asked twice on the terminal; a password is never taken from the command line, where "
      "other users could read it"},
     [](WriterRequest& r, const std::string&) {
       r.password.kind = PasswordRequest::Kind::Prompt;
       return ParseProblem();
     }},
    {{"--password=", "", kWriters, {}, {}, true},
     [](WriterRequest&, const std::string&) -> ParseProblem {
       return "a password on the command line is visible to every user of the system: use "
              "--password-file FILE, or --password to be asked for it";
     }},
    {{"--split", "SIZE", kWriters,
      "block files NAME.001, NAME.002 ... of SIZE bytes; k and m multiply by 1024 and "
      "1048576; the last block is the name printed; split archives keep to the classic zip "
      "limits and refuse files of 4 GiB or more and more than 65535 entries, which an archive "
      "in one file holds with 64-bit fields"},
     setSplit},
    {{"--threads", "N", kWriters, "files compressed at once, 1-256; default: one per core"},
     setThreads},
};

// The archive first (add), then the items.
ParseProblem takeArchiveThenItems(WriterRequest& request, const std::string& argument) {
  if (request.archive)
    request.paths.push_back(shellPath(argument));
  else
    request.archive = shellPath(argument);
  return std::nullopt;
}

ParseProblem takeItems(WriterRequest& request, const std::string& argument) {
  request.paths.push_back(shellPath(argument));
  return std::nullopt;
}

} // namespace

bool completeForWriting(WriterRequest& request, std::ostream& err) {
  // "Nothing was added" is said and no empty archive left for the user to find.
  request.options.createEmptyArchive = false;
  try {
    request.options.password = obtainPassword(request.password, true);
  } catch (const Error& e) {
    err << e.what() << "\n";
    return false;
  }
  return true;
}

std::string shellPath(const std::string& item) {
  std::filesystem::path p = std::filesystem::absolute(item).lexically_normal();
  if (!p.has_filename() && p != p.root_path())
    p = p.parent_path();
  return p.string();
}

void writeWriterOptionsUsage(std::ostream& to) {
  writeOptionHelp(to, optionInfos(kWriterOptions), kCompress | kAdd);
}

std::vector<OptionInfo> writerOptionInfos() {
  return optionInfos(kWriterOptions);
}

std::optional<WriterRequest> parseWriterRequest(const Arguments& args, RequestShape shape,
                                                std::ostream& err) {
  WriterRequest r;
  const bool adding = shape == RequestShape::Add;
  if (ParseProblem problem = parseOptions(kWriterOptions, adding ? kAdd : kCompress, args, r,
                                          adding ? takeArchiveThenItems : takeItems)) {
    err << *problem << "\n";
    return std::nullopt;
  }
  if (!r.options.compressionThreads)
    r.options.compressionThreads = everyCore();
  if (r.paths.empty()) {
    err << (adding ? "add needs an ARCHIVE and at least one PATH\n"
                   : "compress needs at least one PATH\n");
    return std::nullopt;
  }
  return r;
}

} // namespace larkspur::cli
