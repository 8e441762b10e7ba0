// larkspur-zip compress: what the context menu's compress commands do, in a terminal. The items
// go through the add-to-archive dialog's own flow (the archive beside the first item, the
// proposed or given name checked, one run per item) and the archive's path is printed.
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

int runCompress(const Arguments& args, std::ostream& out, std::ostream& err) {
  std::optional<WriterRequest> request = parseWriterRequest(args, RequestShape::Compress, err);
  if (!request)
    return kExitUsage;
  if (!completeForWriting(*request, err))
    return kExitFailure;
  dialog::ZipWriterAdapter writer(std::move(request->options));
  WriterOutcome outcome;
  // A split archive goes through the same flow: the writer takes every item in one run.
  switch (dialog::compressInTerminal(request->paths, writer, request->name)) {
  case dialog::AddResult::Written:
    break;
  case dialog::AddResult::Incomplete:
    outcome.filesLeftOut = true; // the terminal view has named them
    break;
  default:
    return kExitFailure;
  }
  return outcome.finish(writer, out, err);
}

} // namespace larkspur::cli
