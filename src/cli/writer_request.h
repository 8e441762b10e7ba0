// The command line of compress and add: the writer options they share, the archive name and
// the items, parsed into one request.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/password_source.h"
#include "dialog/zip_writer_adapter.h"

namespace larkspur::cli {

struct WriterRequest {
  dialog::WriterOptions options;
  PasswordRequest password;
  std::optional<std::string> name;    // compress --name NAME
  std::optional<std::string> archive; // add ARCHIVE (absolute)
  std::vector<std::string> paths;     // absolute, as the shell hands them over
};

// What the command takes before its PATHs.
enum class RequestShape {
  Compress, // [--name NAME] [OPTIONS] PATH...
  Add,      // ARCHIVE [OPTIONS] PATH...
};

// The writer options' lines of the usage.
extern const char kWriterOptionsUsage[];

// Parses `args`; a message and nothing when they are not understood.
std::optional<WriterRequest> parseWriterRequest(const Arguments& args, RequestShape shape,
                                                std::ostream& err);

// Reads the password asked for (twice on a terminal) and asks the writer to leave no archive
// when nothing goes in; false, with the reason on `err`, when no password could be had.
bool completeForWriting(WriterRequest& request, std::ostream& err);

// An item as the shell would hand it over: an absolute path without "." or ".." parts and
// without a trailing separator (a root keeps its own).
std::string shellPath(const std::string& item);

} // namespace larkspur::cli
