// The add-to-archive dialog as the command line shows it: the top line and warnings as UTF-8
// text, and a redrawn progress bar when the output is a terminal.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "dialog/add_to_archive_form.h"
#include "dialog/add_to_archive_view.h"

namespace larkspur::dialog {

class TerminalView final : public AddToArchiveView {
public:
  // `interactive`: `out` is a terminal, so a bar redrawn in place makes sense.
  TerminalView(std::ostream& out, bool interactive);
  ~TerminalView() override;
  TerminalView(const TerminalView&) = delete;
  TerminalView& operator=(const TerminalView&) = delete;

  TextForm textForm() const override { return TextForm::Utf8; }
  void setTopLine(const std::string& text) override;
  void setEditText(const std::string& text) override { edit_ = text; }
  std::string editText() const override { return edit_; }
  void setProgress(int percent) override;
  void showWarning(const std::string& text) override;
  void showFailure(const std::string& text) override;
  // One line per file, in English like the command line's other messages.
  void showLeftOut(const std::vector<LeftOutFile>& files) override;
  void close() override;

private:
  void endBar();

  std::ostream& out_;
  bool interactive_;
  std::string edit_;
  int shown_ = -1; // percentage on the bar line, -1 when no bar is drawn
};

// What `larkspur-zip compress` runs: proposes a name for `paths` (or takes `name`), then adds
// them all through `writer`, reporting on `err` (with a progress bar when that is the process's
// standard error on a terminal).
AddResult compressInTerminal(const std::vector<std::string>& paths, ArchiveWriter& writer,
                             const std::optional<std::string>& name, std::ostream& err);

} // namespace larkspur::dialog
