// larkspur-zip add: the writer's own front end. Creates ARCHIVE, or updates it, with the PATHs
// in one run: a folder adds everything below it (as the menu does), a file itself.
#include <iostream>

#include "cli/commands.h"
#include "cli/writer_outcome.h"
#include "cli/writer_request.h"
#include "dialog/add_to_archive_form.h"
#include "dialog/terminal_view.h"
#include "platform/paths.h"
#include "platform/platform.h"

namespace larkspur::cli {

extern const char kAddUsage[] =
    "  larkspur-zip add ARCHIVE [OPTIONS] PATH...\n"
    "      create ARCHIVE (any folder; relative to the current one) or update it with the\n"
    "      PATHs: a folder adds every file below it, by default under its bare name at level 9\n";

int runAdd(const Arguments& args, std::ostream& out, std::ostream& err) {
  std::optional<WriterRequest> request = parseWriterRequest(args, RequestShape::Add, err);
  if (!request)
    return kExitUsage;
  if (!completeForWriting(*request, err))
    return kExitFailure;
  dialog::ZipWriterAdapter writer(std::move(request->options));
  WriterOutcome outcome;
  // A bar is redrawn only on the real terminal, never into a stream a caller captures.
  dialog::TerminalView view(err, &err == &std::cerr && dialog::stderrIsTerminal());
  writer.setOnFilePercentDone([&view](int percent) { view.setProgress(percent); });
  writer.setOnLeftOut([&](const dialog::LeftOutFile& file) {
    view.close(); // ends a progress bar line
    outcome.leftOut(file, err);
  });
  // --relative stores folders relative to the first item's folder, as the menu's runs do.
  writer.setRootDir(paths::ExtractFileDir(request->paths.front()));
  writer.setZipName(*request->archive);
  for (const std::string& path : request->paths) {
    writer.addToFilesList(
        dialog::writerSpec(path, static_cast<std::uint32_t>(platform::fileAttributes(path))));
  }
  writer.setRecurse(true);
  writer.setStorePaths(false);
  writer.setPackLevel(dialog::kPackLevel);
  try {
    writer.zip();
  } catch (const std::exception& e) {
    view.close();
    err << e.what() << "\n";
    return kExitFailure;
  }
  view.close();
  return outcome.finish(writer, out, err);
}

} // namespace larkspur::cli
