// Parsing the writer options of compress and add.
#include "cli/writer_request.h"

#include <cstdlib>
#include <filesystem>
#include <limits>

#include "platform/error.h"

namespace larkspur::cli {

extern const char kWriterOptionsUsage[] =
    "    OPTIONS: --level N (0-9, default 9), --store-paths, --relative (folders relative to the\n"
    "      first PATH's folder), --recurse, --exclude PATTERN, --no-compress PATTERN,\n"
    "      --action update|replace|freshen (default update: a file replaces its entry when\n"
    "      newer), --password-file FILE (the password is its first line), --password (asked\n"
    "      twice on the terminal; a password is never taken from the command line, where other\n"
    "      users could read it), --split SIZE (block files NAME.001, NAME.002 ... of SIZE\n"
    "      bytes; k and m multiply by 1024 and 1048576; the last block is the name printed;\n"
    "      split archives keep to the classic zip limits and refuse files of 4 GiB or more\n"
    "      and more than 65535 entries, which an archive in one file holds with 64-bit fields)\n";

namespace {

// The highest level the compressor knows.
constexpr int kMaxLevel = 9;

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

std::optional<WriterRequest> parseWriterRequest(const Arguments& args, RequestShape shape,
                                                std::ostream& err) {
  WriterRequest r;
  bool optionsEnded = false;
  // Takes a positional argument: the archive first for add, then the items.
  const auto positional = [&](const std::string& a) {
    if (shape == RequestShape::Add && !r.archive)
      r.archive = shellPath(a);
    else
      r.paths.push_back(shellPath(a));
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a == "-" || a.empty() || a[0] != '-') {
      positional(a);
      continue;
    }
    const auto value = [&]() -> const std::string* {
      if (i + 1 >= args.size()) {
        err << a << " needs a value\n";
        return nullptr;
      }
      return &args[++i];
    };
    if (a == "--") {
      optionsEnded = true;
    } else if (a == "--level") {
      const std::string* v = value();
      if (!v)
        return std::nullopt;
      char* end = nullptr;
      const long level = std::strtol(v->c_str(), &end, 10);
      if (v->empty() || *end != '\0' || level < 0 || level > kMaxLevel) {
        err << "--level takes a number from 0 to 9\n";
        return std::nullopt;
      }
      r.options.packLevel = static_cast<int>(level);
    } else if (a == "--store-paths") {
      r.options.storePaths = true;
    } else if (a == "--relative") {
      r.options.relativePaths = true;
    } else if (a == "--recurse") {
      r.options.recurse = true;
    } else if (a == "--exclude" || a == "--no-compress") {
      const std::string* v = value();
      if (!v)
        return std::nullopt;
      (a == "--exclude" ? r.options.excludeList : r.options.noCompressList).push_back(*v);
    } else if (a == "--action") {
      const std::string* v = value();
      if (!v)
        return std::nullopt;
      r.options.zipAction = parseAction(*v);
      if (!r.options.zipAction) {
        err << "--action takes update, replace or freshen\n";
        return std::nullopt;
      }
    } else if (a == "--password") {
      r.password.kind = PasswordRequest::Kind::Prompt;
    } else if (a.rfind("--password=", 0) == 0) {
      err << "a password on the command line is visible to every user of the system: use "
             "--password-file FILE, or --password to be asked for it\n";
      return std::nullopt;
    } else if (a == "--password-file") {
      const std::string* v = value();
      if (!v)
        return std::nullopt;
      r.password = {PasswordRequest::Kind::File, *v};
    } else if (a == "--split") {
      const std::string* v = value();
      if (!v)
        return std::nullopt;
      r.options.splitSize = parseSize(*v);
      if (!r.options.splitSize) {
        err << "--split takes a size of at least 1 byte, below 2 GiB (k and m suffixes)\n";
        return std::nullopt;
      }
    } else if (a == "--name" && shape == RequestShape::Compress) {
      const std::string* v = value();
      if (!v)
        return std::nullopt;
      r.name = *v;
    } else {
      err << "unknown option: " << a << "\n";
      return std::nullopt;
    }
  }
  if (r.paths.empty()) {
    err << (shape == RequestShape::Add ? "add needs an ARCHIVE and at least one PATH\n"
                                       : "compress needs at least one PATH\n");
    return std::nullopt;
  }
  return r;
}

} // namespace larkspur::cli
