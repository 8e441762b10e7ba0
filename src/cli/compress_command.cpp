// larkspur-zip compress / add: what the context menu's compress commands do, in a terminal.
// compress takes the proposed name at once; add takes an edited name through the dialog's own
// checks. Both write one Zip per item and print the archive's path when it is written.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <optional>

#include "cli/commands.h"
#include "dialog/terminal_view.h"
#include "dialog/zip_writer_adapter.h"

namespace larkspur::cli {

extern const char kCompressUsage[] =
    "  larkspur-zip compress [OPTIONS] PATH...\n"
    "      archive the items into the first item's folder under the proposed name\n";
extern const char kAddUsage[] =
    "  larkspur-zip add --name NAME [OPTIONS] PATH...\n"
    "      the same under an edited name (it must end in .zip and not exist yet)\n"
    "    writer OPTIONS: --level N (0-9), --store-paths, --relative, --recurse,\n"
    "      --exclude PATTERN, --no-compress PATTERN, --action update|replace|freshen,\n"
    "      --password PASSWORD,\n"
    "      --split SIZE (block files NAME.001, NAME.002 ... of SIZE bytes; k and m multiply by\n"
    "      1024 and 1048576; the last block is the name printed)\n";

namespace {

// The highest level the compressor knows.
constexpr int kMaxLevel = 9;

struct Request {
  dialog::WriterOptions options;
  std::optional<std::string> name;
  std::vector<std::string> paths;
  std::optional<std::int32_t> split;
};

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

// A split archive cannot be added to once written, so the dialog's one run per item only
// collects the items here, and one run writes the whole set at the end.
class SplitWriter final : public dialog::ArchiveWriter {
public:
  explicit SplitWriter(dialog::ZipWriterAdapter& writer) : writer_(writer) {}

  void setRootDir(const std::string& dir) override { writer_.setRootDir(dir); }
  std::string rootDir() const override { return writer_.rootDir(); }
  void setZipName(const std::string& name) override { writer_.setZipName(name); }
  void addToFilesList(const std::string& entry) override { writer_.addToFilesList(entry); }
  void setRecurse(bool recurse) override { writer_.setRecurse(recurse); }
  void setStorePaths(bool storePaths) override { writer_.setStorePaths(storePaths); }
  void setPackLevel(int level) override { writer_.setPackLevel(level); }
  void zip() override {}
  // The form is gone by the time the set is written: no progress bar to move.
  void setOnFilePercentDone(FilePercentEvent) override {}

  void writeSet(std::int32_t blockSize) {
    zip::TMultiZipInfo info = writer_.writer().MultiZipInfo();
    info.MultiMode = zip::TMultiMode::mmBlocks;
    info.FirstBlockSize = blockSize;
    info.BlockSize = blockSize;
    writer_.writer().SetMultiZipInfo(info);
    writer_.zip();
  }

private:
  dialog::ZipWriterAdapter& writer_;
};

// An item as the shell would hand it over: an absolute path without "." or ".." parts and
// without a trailing separator (a root keeps its own).
std::string shellPath(const std::string& item) {
  std::filesystem::path p = std::filesystem::absolute(item).lexically_normal();
  if (!p.has_filename() && p != p.root_path())
    p = p.parent_path();
  return p.string();
}

std::optional<Request> parse(const Arguments& args, bool wantName, std::ostream& err) {
  Request r;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&]() -> const std::string* {
      if (i + 1 >= args.size()) {
        err << a << " needs a value\n";
        return nullptr;
      }
      return &args[++i];
    };
    if (a == "--level") {
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
      if (*v == "update") {
        r.options.zipAction = zip::TZipAction::zaUpdate;
      } else if (*v == "replace") {
        r.options.zipAction = zip::TZipAction::zaReplace;
      } else if (*v == "freshen") {
        r.options.zipAction = zip::TZipAction::zaFreshen;
      } else {
        err << "--action takes update, replace or freshen\n";
        return std::nullopt;
      }
    } else if (a == "--password") {
      const std::string* v = value();
      if (!v)
        return std::nullopt;
      r.options.password = *v;
    } else if (a == "--split") {
      const std::string* v = value();
      if (!v)
        return std::nullopt;
      r.split = parseSize(*v);
      if (!r.split) {
        err << "--split takes a size of at least 1 byte, below 2 GiB (k and m suffixes)\n";
        return std::nullopt;
      }
    } else if (a == "--name" && wantName) {
      const std::string* v = value();
      if (!v)
        return std::nullopt;
      r.name = *v;
    } else if (a == "--") {
      while (++i < args.size())
        r.paths.push_back(shellPath(args[i]));
    } else if (a.size() > 1 && a[0] == '-') {
      err << "unknown option: " << a << "\n";
      return std::nullopt;
    } else {
      r.paths.push_back(shellPath(a));
    }
  }
  if (r.paths.empty() || (wantName && !r.name)) {
    err << "usage:\n" << (wantName ? kAddUsage : kCompressUsage);
    return std::nullopt;
  }
  return r;
}

int run(const Arguments& args, bool wantName, std::ostream& out, std::ostream& err) {
  std::optional<Request> request = parse(args, wantName, err);
  if (!request)
    return kExitUsage;
  dialog::ZipWriterAdapter writer(std::move(request->options));
  if (request->split) {
    SplitWriter split(writer);
    if (dialog::compressInTerminal(request->paths, split, request->name) !=
        dialog::AddResult::Written)
      return kExitFailure;
    try {
      split.writeSet(*request->split);
    } catch (const std::exception& e) {
      err << e.what() << "\n";
      return kExitFailure;
    }
  } else if (dialog::compressInTerminal(request->paths, writer, request->name) !=
             dialog::AddResult::Written) {
    return kExitFailure;
  }
  out << writer.zipName() << "\n";
  return kExitOk;
}

} // namespace

int runCompress(const Arguments& args, std::ostream& out, std::ostream& err) {
  return run(args, false, out, err);
}

int runAdd(const Arguments& args, std::ostream& out, std::ostream& err) {
  return run(args, true, out, err);
}

} // namespace larkspur::cli
