// larkspur-zip compress: what the context menu's compress commands do, in a terminal. The items
// go through the add-to-archive dialog's own flow (the archive beside the first item, the
// proposed or given name checked, one run per item) and the archive's path is printed.
#include <cstdint>

#include "cli/commands.h"
#include "cli/writer_outcome.h"
#include "cli/writer_request.h"
#include "dialog/terminal_view.h"

namespace larkspur::cli {

extern const char kCompressUsage[] =
    "  larkspur-zip compress [--name NAME] [OPTIONS] PATH...\n"
    "      archive the items into the first item's folder under the proposed name, as the\n"
    "      menu does, or under NAME (relative to that folder; it must end in .zip and must not\n"
    "      exist yet); every file is stored under its bare name unless OPTIONS say otherwise\n";

namespace {

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
  // The form is gone by the time the set is written: no progress bar to move, and what the
  // set leaves out is reported by the command itself.
  void setOnFilePercentDone(FilePercentEvent) override {}
  void setOnLeftOut(LeftOutEvent) override {}

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

} // namespace

int runCompress(const Arguments& args, std::ostream& out, std::ostream& err) {
  std::optional<WriterRequest> request = parseWriterRequest(args, RequestShape::Compress, err);
  if (!request)
    return kExitUsage;
  if (!completeForWriting(*request, err))
    return kExitFailure;
  dialog::ZipWriterAdapter writer(std::move(request->options));
  WriterOutcome outcome;
  if (request->split) {
    SplitWriter split(writer);
    if (dialog::compressInTerminal(request->paths, split, request->name, err) !=
        dialog::AddResult::Written)
      return kExitFailure;
    writer.setOnLeftOut([&](const dialog::LeftOutFile& file) { outcome.leftOut(file, err); });
    try {
      split.writeSet(*request->split);
    } catch (const std::exception& e) {
      err << e.what() << "\n";
      return kExitFailure;
    }
  } else {
    switch (dialog::compressInTerminal(request->paths, writer, request->name, err)) {
    case dialog::AddResult::Written:
      break;
    case dialog::AddResult::Incomplete:
      outcome.filesLeftOut = true; // the terminal view has named them
      break;
    default:
      return kExitFailure;
    }
  }
  return outcome.finish(writer, out, err);
}

} // namespace larkspur::cli
