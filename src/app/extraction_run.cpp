// The extraction run of Larkspur.exe over the engine.
#include "app/extraction_run.h"

#include "app/app_texts.h"
#include "app/entry_listing.h"
#include "extract/archive_extract.h"
#include "platform/platform.h"

namespace larkspur::app {
namespace {

// Past this many lines the box would outgrow the screen; the rest is counted.
constexpr std::size_t kSummaryLines = 30;

int percentOf(const extract::ExtractProgress& p) {
  // A tar or gzip stream does not announce its total: the entry's own share then.
  if (p.totalSize != 0)
    return static_cast<int>(p.totalDone * 100 / p.totalSize);
  if (p.entrySize != 0)
    return static_cast<int>(p.entryDone * 100 / p.entrySize);
  return 100;
}

} // namespace

int RunOutcome::exitCode() const {
  switch (status) {
  case RunStatus::Complete:
    return kExitComplete;
  case RunStatus::Incomplete:
    return kExitIncomplete;
  case RunStatus::Canceled:
    return kExitCanceled;
  case RunStatus::Failed:
    break;
  }
  return kExitFailed;
}

std::string targetFolderFor(const std::string& archive) {
  const std::string target = extract::defaultTargetFor(archive);
  return target == archive ? archive + "_files" : target;
}

std::optional<std::string> archiveRefusal(const std::string& archive) {
  if (!platform::fileExists(archive))
    return std::string(texts::kMissingArchive) + archive;
  const extract::ArchiveKind kind = extract::archiveKindOf(archive);
  if (kind == extract::ArchiveKind::Unsupported)
    return std::string(texts::kUnsupportedFormat) + archive;
  if (kind == extract::ArchiveKind::Zip) {
    try {
      listZipEntries(archive);
    } catch (const Error&) {
      return std::string(texts::kNotAnArchive) + archive;
    }
  }
  return std::nullopt;
}

RunOutcome runExtraction(const RunRequest& request, RunView& view) {
  RunOutcome outcome;
  if (const auto refusal = archiveRefusal(request.archive)) {
    outcome.status = RunStatus::Failed;
    outcome.failure = *refusal;
    return outcome;
  }
  extract::ExtractOptions options;
  options.targetDir = request.target;
  options.overwrite = request.overwrite;
  auto& callbacks = options.callbacks;
  callbacks.onEntryStart = [&](const extract::ExtractProgress& p) {
    view.showEntry(p.entry);
    view.showPercent(percentOf(p));
  };
  callbacks.onProgress = [&](const extract::ExtractProgress& p) { view.showPercent(percentOf(p)); };
  callbacks.askOverwrite = [&](const std::string& path) { return view.askOverwrite(path); };
  callbacks.askPassword = [&](bool again) { return view.askPassword(again); };
  callbacks.cancelRequested = [&] { return view.cancelRequested(); };
  try {
    const extract::ExtractResult result = extract::extractArchive(request.archive, options);
    outcome.problems = result.problems;
    outcome.status = result.complete() ? RunStatus::Complete : RunStatus::Incomplete;
  } catch (const extract::EExtractCanceled&) {
    outcome.status = RunStatus::Canceled;
  } catch (const Error& e) {
    outcome.status = RunStatus::Failed;
    // The engine's own words name the cause (a full disk, a damaged stream).
    outcome.failure = std::string(texts::kExtractFailed) + request.archive + "\n" + e.what();
  }
  return outcome;
}

std::string_view reasonText(extract::SkipReason reason) {
  using extract::SkipReason;
  switch (reason) {
  case SkipReason::UnsafeName:
    return texts::kReasonUnsafeName;
  case SkipReason::LinkInPath:
    return texts::kReasonLinkInPath;
  case SkipReason::NotAFolder:
    return texts::kReasonNotAFolder;
  case SkipReason::Exists:
    return texts::kReasonExists;
  case SkipReason::Unsupported:
    return texts::kReasonUnsupported;
  case SkipReason::NeedsPassword:
    return texts::kReasonNeedsPassword;
  case SkipReason::WrongPassword:
    return texts::kReasonWrongPassword;
  case SkipReason::BadData:
    return texts::kReasonBadData;
  case SkipReason::NotMatched:
    return texts::kReasonNotMatched;
  }
  return texts::kReasonBadData;
}

std::string summaryText(const RunOutcome& outcome) {
  switch (outcome.status) {
  case RunStatus::Complete:
    return {};
  case RunStatus::Canceled:
    return std::string(texts::kCanceled);
  case RunStatus::Failed:
    return outcome.failure;
  case RunStatus::Incomplete:
    break;
  }
  std::string text(texts::kSummaryHead);
  std::size_t shown = 0;
  for (const extract::EntryProblem& problem : outcome.problems) {
    if (shown++ == kSummaryLines) {
      text += "\n... (" + std::to_string(outcome.problems.size() - kSummaryLines) + ")";
      break;
    }
    text += "\n";
    text += problem.entry;
    text += " - ";
    text += reasonText(problem.reason);
  }
  return text;
}

} // namespace larkspur::app
