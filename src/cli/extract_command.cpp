// larkspur-zip extract / test: the extraction engine in a terminal. extract writes the archive's
// entries into a folder, test decodes and checks them; both name every entry they leave out.
#include <iostream>
#include <optional>

#include "cli/commands.h"
#include "cli/option_table.h"
#include "cli/password_source.h"
#include "cli/terminal_text.h"
#include "extract/archive_extract.h"
#include "platform/platform.h"
#include "platform/terminal.h"

namespace larkspur::cli {

extern const char kExtractUsage[] =
    "  larkspur-zip extract ARCHIVE [-d DIR] [PATTERN...] [--overwrite never|always|rename]\n"
    "                       [--password-file FILE | --password]\n"
    "      extract the entries (those matching a PATTERN) into DIR, by default the archive's\n"
    "      path without its extension; existing files are kept unless --overwrite says\n"
    "      otherwise. Exit 0: all extracted; 3: entries were left out (each named on stderr).\n";
extern const char kTestUsage[] =
    "  larkspur-zip test ARCHIVE [--password-file FILE | --password]\n"
    "      decode and check every entry; one line per bad entry; exit 0 only when all are good\n";

namespace {

struct Request {
  std::string archive;
  std::optional<std::string> target;
  std::vector<std::string> patterns;
  extract::OverwritePolicy overwrite = extract::OverwritePolicy::Never;
  PasswordRequest password;
};

constexpr char kOverwriteTakes[] = "--overwrite takes never, always or rename";

std::optional<extract::OverwritePolicy> policyNamed(const std::string& name) {
  if (name == "never")
    return extract::OverwritePolicy::Never;
  if (name == "always")
    return extract::OverwritePolicy::Always;
  if (name == "rename")
    return extract::OverwritePolicy::Rename;
  return std::nullopt;
}

using Row = OptionRow<Request>;

// The synopses above name every option; the usage test holds them to this table.
const Row kEngineOptions[] = {
    {{"-d", "DIR", kExtract, {}, "-d needs a folder"},
     [](Request& r, const std::string& v) {
       r.target = v;
       return ParseProblem();
     }},
    {{"--overwrite", "never|always|rename", kExtract, {}, kOverwriteTakes},
     [](Request& r, const std::string& v) -> ParseProblem {
       const auto policy = policyNamed(v);
       if (!policy)
         return kOverwriteTakes;
       r.overwrite = *policy;
       return std::nullopt;
     }},
    {{"--password-file", "FILE", kExtract | kTest, {}, "--password-file needs a file"},
     [](Request& r, const std::string& v) {
       r.password = {PasswordRequest::Kind::File, v};
       return ParseProblem();
     }},
    {{"--password", "", kExtract | kTest, {}},
     [](Request& r, const std::string&) {
       r.password = {PasswordRequest::Kind::Prompt, {}};
       return ParseProblem();
     }},
};

// The archive, then (extract) patterns.
ParseProblem takeArchiveThenPatterns(Request& request, const std::string& argument) {
  if (request.archive.empty())
    request.archive = argument;
  else
    request.patterns.push_back(argument);
  return std::nullopt;
}

ParseProblem takeOneArchive(Request& request, const std::string& argument) {
  if (!request.archive.empty())
    return "test takes one archive";
  request.archive = argument;
  return std::nullopt;
}

// An error text when the arguments are not understood.
ParseProblem parse(const Arguments& args, bool extracting, Request& request) {
  if (ParseProblem problem =
          parseOptions(kEngineOptions, extracting ? kExtract : kTest, args, request,
                       extracting ? takeArchiveThenPatterns : takeOneArchive))
    return problem;
  if (request.archive.empty())
    return "no archive named";
  return std::nullopt;
}

// A progress line redrawn in place, only when standard error is a terminal.
class ProgressLine {
public:
  explicit ProgressLine(std::ostream& err)
      : err_(err), shown_(&err == &std::cerr && platform::standardErrorIsTerminal()) {}
  ~ProgressLine() { clear(); }

  void update(const extract::ExtractProgress& p) {
    if (!shown_)
      return;
    // A tar or gzip stream does not announce its total: the entry's own share then.
    const int percent = p.totalSize != 0   ? static_cast<int>(p.totalDone * 100 / p.totalSize)
                        : p.entrySize != 0 ? static_cast<int>(p.entryDone * 100 / p.entrySize)
                                           : 100;
    if (percent == lastPercent_ && &p.entry == lastEntry_ && p.entryDone != 0)
      return;
    lastPercent_ = percent;
    lastEntry_ = &p.entry;
    std::string name = TerminalText(p.entry, platform::kNamesAreUtf8);
    constexpr std::size_t kShownName = 60; // keeps the line within a narrow terminal
    if (name.size() > kShownName)
      name = "..." + name.substr(name.size() - kShownName);
    err_ << "\r\x1b[K"
         << (percent < 10    ? "  "
             : percent < 100 ? " "
                             : "")
         << percent << "% " << name << std::flush;
    dirty_ = true;
  }
  void clear() {
    if (dirty_)
      err_ << "\r\x1b[K" << std::flush;
    dirty_ = false;
  }

private:
  std::ostream& err_;
  bool shown_;
  bool dirty_ = false;
  int lastPercent_ = -1;
  const std::string* lastEntry_ = nullptr;
};

int runEngine(const Arguments& args, bool extracting, std::ostream& out, std::ostream& err) {
  const char* command = extracting ? "extract" : "test";
  Request request;
  if (const auto problem = parse(args, extracting, request)) {
    err << "larkspur-zip " << command << ": " << *problem << "\n"
        << "usage:\n"
        << (extracting ? kExtractUsage : kTestUsage);
    return kExitUsage;
  }
  extract::ExtractOptions options;
  options.patterns = request.patterns;
  options.overwrite = request.overwrite;
  ProgressLine progress(err);
  options.callbacks.onEntryStart = [&](const extract::ExtractProgress& p) { progress.update(p); };
  options.callbacks.onProgress = [&](const extract::ExtractProgress& p) { progress.update(p); };
  options.callbacks.onProblem = [&](const extract::EntryProblem& problem) {
    progress.clear();
    err << (extracting ? "skipped " : "bad ")
        << TerminalText(problem.entry, platform::kNamesAreUtf8) << ": " << problem.message << "\n";
  };
  options.callbacks.cancelRequested = [] { return platform::cancelRequested(); };
  try {
    if (request.password.kind != PasswordRequest::Kind::None)
      options.password = obtainPassword(request.password, false);
    extract::ExtractResult result;
    if (extracting) {
      options.targetDir =
          request.target ? *request.target : extract::defaultTargetFor(request.archive);
      if (!request.target && options.targetDir == request.archive) {
        err << "larkspur-zip extract: the archive's name has no extension; name a folder with -d\n";
        return kExitUsage;
      }
      result = extract::extractArchive(request.archive, options);
      progress.clear();
      out << result.filesWritten << " files extracted into "
          << TerminalText(options.targetDir, platform::kNamesAreUtf8) << "\n";
    } else {
      result = extract::testArchive(request.archive, options);
      progress.clear();
    }
    if (!result.complete()) {
      err << result.problems.size() << (extracting ? " entries left out\n" : " bad entries\n");
      return extracting ? kExitIncomplete : kExitFailure;
    }
    if (!extracting)
      out << "all entries are good\n";
    return kExitOk;
  } catch (const Error& e) {
    progress.clear();
    err << "larkspur-zip " << command << ": " << e.what() << "\n";
    return kExitFailure;
  }
}

} // namespace

std::vector<OptionInfo> engineOptionInfos() {
  return optionInfos(kEngineOptions);
}

int runExtract(const Arguments& args, std::ostream& out, std::ostream& err) {
  return runEngine(args, true, out, err);
}

int runTest(const Arguments& args, std::ostream& out, std::ostream& err) {
  return runEngine(args, false, out, err);
}

} // namespace larkspur::cli
