// Text rendering of the add-to-archive dialog for the command line.
#include "dialog/terminal_view.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "platform/terminal.h"

namespace larkspur::dialog {
namespace {

// Cells of the bar; with the label it fits an 80-column terminal.
constexpr int kBarWidth = 50;
constexpr int kFullPercent = 100;
static_assert(kBarWidth > 0 && kBarWidth <= kFullPercent);

} // namespace

TerminalView::TerminalView(std::ostream& out, bool interactive)
    : out_(out), interactive_(interactive) {}

TerminalView::~TerminalView() {
  endBar();
}

void TerminalView::setTopLine(const std::string& text) {
  endBar();
  out_ << text << '\n';
}

void TerminalView::setProgress(int percent) {
  if (!interactive_)
    return;
  percent = std::clamp(percent, 0, kFullPercent);
  if (percent == shown_)
    return; // nothing would change on screen
  shown_ = percent;
  const int filled = percent * kBarWidth / kFullPercent;
  out_ << "\r[" << std::string(filled, '#') << std::string(kBarWidth - filled, '.') << "] ";
  if (percent < 10)
    out_ << ' ';
  if (percent < kFullPercent)
    out_ << ' ';
  out_ << percent << '%' << std::flush;
}

void TerminalView::showWarning(const std::string& text) {
  endBar();
  out_ << texts::kWarningCaption.utf8 << ": " << text << '\n' << std::flush;
}

void TerminalView::showFailure(const std::string& text) {
  showWarning(text);
}

void TerminalView::showLeftOut(const std::vector<LeftOutFile>& files) {
  endBar();
  for (const LeftOutFile& file : files)
    out_ << leftOutLine(file) << '\n';
  out_ << std::flush;
}

void TerminalView::close() {
  endBar();
}

void TerminalView::endBar() {
  if (shown_ < 0)
    return;
  out_ << '\n' << std::flush;
  shown_ = -1;
}

AddResult compressInTerminal(const std::vector<std::string>& paths, ArchiveWriter& writer,
                             const std::optional<std::string>& name, std::ostream& err) {
  TerminalView view(err, &err == &std::cerr && platform::standardErrorIsTerminal());
  TAddToArchiveForm form(view, writer);
  form.addItems(paths);
  form.FormShow();
  if (name)
    view.setEditText(*name);
  const AddResult result = form.pressAdd();
  form.SkinButton3Click();
  return result;
}

} // namespace larkspur::dialog
