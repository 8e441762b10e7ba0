// Placement, overwrite decisions, the final move, problems and progress for every format.
#include "extract/extract_session.h"

#include "extract/entry_failure.h"
#include "platform/platform.h"
#include "platform/target_files.h"

namespace larkspur::extract {

namespace {

// Numbered copies ("name (n).ext") stop here: beyond it something else is wrong.
constexpr int kMaxCopyNumber = 9999;

// "name (n).ext" for the n-th copy of a file's name.
std::string numberedName(const std::string& name, int n) {
  const std::size_t dot = name.rfind('.');
  const std::string suffix = " (" + std::to_string(n) + ")";
  if (dot == std::string::npos || dot == 0)
    return name + suffix;
  return name.substr(0, dot) + suffix + name.substr(dot);
}

} // namespace

ExtractSession::ExtractSession(const ExtractOptions& options, bool writing)
    : options_(options), writing_(writing) {}

TargetTree& ExtractSession::tree() {
  if (!tree_)
    tree_.emplace(options_.targetDir);
  return *tree_;
}

void ExtractSession::beginEntry(const std::string& name, std::uint64_t size) {
  entry_ = name;
  entrySize_ = size;
  entryDone_ = 0;
  entryStart_ = totalDone_;
}

void ExtractSession::report(SkipReason reason, const std::string& message) {
  EntryProblem problem{entry_, reason, message};
  if (options_.callbacks.onProblem)
    options_.callbacks.onProblem(problem);
  result_.problems.push_back(std::move(problem));
}

void ExtractSession::announce() const {
  if (options_.callbacks.onEntryStart)
    options_.callbacks.onEntryStart({entry_, 0, entrySize_, totalDone_, totalSize_});
}

void ExtractSession::advance(std::size_t count) {
  entryDone_ += count;
  totalDone_ += count;
  if (options_.callbacks.onProgress)
    options_.callbacks.onProgress({entry_, entryDone_, entrySize_, totalDone_, totalSize_});
}

void ExtractSession::reportUnmatched(const PatternSelection& selection) {
  for (const std::string& pattern : selection.unmatched()) {
    beginEntry(pattern, 0);
    report(SkipReason::NotMatched, "no entry matches this pattern");
  }
}

void ExtractSession::checkCancel() const {
  if (options_.callbacks.cancelRequested && options_.callbacks.cancelRequested())
    throw EExtractCanceled("Extraction canceled");
}

void ExtractSession::endEntry() {
  totalDone_ = std::max(totalDone_, entryStart_ + entrySize_);
}

SafeName ExtractSession::checkName(const std::string& name) const {
  SafeName safe = checkEntryName(name, nativeNameRules());
  if (writing_ && !safe.unsafeReason.empty())
    throw EEntryFailure(SkipReason::UnsafeName, safe.unsafeReason);
  return safe;
}

void ExtractSession::makeFolder(const SafeName& name) {
  if (!writing_ || name.components.empty())
    return;
  tree().folder(name.components, name.components.size());
  ++result_.foldersCreated;
}

ExtractSession::Placement ExtractSession::place(const SafeName& name) {
  Placement placement;
  if (!writing_)
    return placement;
  placement.folder = tree().folder(name.components, name.components.size() - 1);
  placement.path = placement.folder + platform::kPathDelimiter + name.components.back();
  placement.kind = decide(placement.path);
  return placement;
}

ExtractSession::Placement::Kind ExtractSession::decide(const std::string& path) {
  using Kind = Placement::Kind;
  const platform::PathKind kind = platform::pathKind(path);
  if (kind == platform::PathKind::Missing)
    return Kind::New;
  if (kind == platform::PathKind::Directory || kind == platform::PathKind::Other) {
    if (policy() == OverwritePolicy::Rename)
      return Kind::Renamed;
    throw EEntryFailure(SkipReason::Exists, "a folder or device of that name exists");
  }
  switch (policy()) {
  case OverwritePolicy::Always:
    return Kind::Replace;
  case OverwritePolicy::Rename:
    return Kind::Renamed;
  case OverwritePolicy::Never:
    break;
  case OverwritePolicy::Ask: {
    const auto& ask = options_.callbacks.askOverwrite;
    const OverwriteAnswer answer = ask ? ask(path) : OverwriteAnswer::No;
    if (answer == OverwriteAnswer::YesToAll)
      policy_ = OverwritePolicy::Always;
    if (answer == OverwriteAnswer::NoToAll)
      policy_ = OverwritePolicy::Never;
    if (answer == OverwriteAnswer::Yes || answer == OverwriteAnswer::YesToAll)
      return Kind::Replace;
    break;
  }
  }
  throw EEntryFailure(SkipReason::Exists, "the file exists and is kept");
}

std::string ExtractSession::commit(OutputFile& out, const Placement& placement) {
  using Kind = Placement::Kind;
  const std::string& target = placement.path;
  if (placement.kind == Kind::Replace) {
    // Windows will not move a file over a read-only one; the user asked to replace it.
    const std::int32_t old = platform::fileAttributes(target);
    const bool readOnly = old >= 0 && (old & platform::faReadOnly) != 0;
    if (readOnly)
      platform::setFileAttributes(target, static_cast<std::uint32_t>(old) & ~platform::faReadOnly);
    try {
      out.commitReplacing(target);
    } catch (...) {
      if (readOnly)
        platform::setFileAttributes(target, static_cast<std::uint32_t>(old));
      throw;
    }
    return target;
  }
  if (placement.kind == Kind::New) {
    if (claim(out, target))
      return target;
    if (policy() != OverwritePolicy::Rename)
      throw EEntryFailure(SkipReason::Exists, "a file of that name appeared while it was written");
  }
  // A move that refuses to replace claims the first free number, even against another run.
  const std::string folder = placement.folder + platform::kPathDelimiter;
  const std::string name = target.substr(folder.size());
  for (int n = 2; n <= kMaxCopyNumber; ++n) {
    const std::string candidate = folder + numberedName(name, n);
    if (claim(out, candidate))
      return candidate;
  }
  throw EEntryFailure(SkipReason::Exists, "no free name for a renamed copy");
}

// Moves the file to `name` unless something is there; a name the system refuses outright (too
// long, not allowed) is a reason to leave the entry out, not to try the next number.
bool ExtractSession::claim(OutputFile& out, const std::string& name) {
  if (out.commitAsNew(name))
    return true;
  if (platform::pathKind(name) == platform::PathKind::Missing)
    throw EEntryFailure(SkipReason::UnsafeName, "the system refuses to create a file of this name");
  return false;
}

} // namespace larkspur::extract
