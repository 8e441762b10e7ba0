// What the add-to-archive controller needs of a window (or terminal): the top line, the name
// edit, the progress bar, the modal warnings and closing. Texts arrive in the view's own form.
#pragma once

#include <string>
#include <vector>

#include "dialog/dialog_texts.h"
#include "dialog/left_out.h"

namespace larkspur::dialog {

class AddToArchiveView {
public:
  virtual ~AddToArchiveView() = default;

  // The form in which this view takes fixed texts (paths are passed as they are).
  virtual TextForm textForm() const = 0;
  virtual void setTopLine(const std::string& text) = 0;
  virtual void setEditText(const std::string& text) = 0;
  virtual std::string editText() const = 0;
  // Sets the bar to `percent` (0 to 100) and shows it before returning.
  virtual void setProgress(int percent) = 0;
  // A modal error box captioned "Error" with one OK button; returns when dismissed.
  virtual void showWarning(const std::string& text) = 0;
  // A failure that ended a zip run (the text is the error's message, ready to show).
  virtual void showFailure(const std::string& text) = 0;
  // After the runs: the files they left out, with their reasons (never called with none).
  virtual void showLeftOut(const std::vector<LeftOutFile>& files) = 0;
  // Hides the dialog for good; a run in progress goes on.
  virtual void close() = 0;
};

} // namespace larkspur::dialog
