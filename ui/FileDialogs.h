// File dialogs. The program's dialogs name their filters in the classic form
// "Wave Files (*.wav)|*.wav|" (description, pattern, each followed by '|'); QtFilter turns
// that into Qt's "Wave Files (*.wav)". Every dialog starts in a folder the caller names (the
// last-used folder of its kind) and returns the chosen path, or an empty string when
// cancelled.
//
// The main window asks through a TFileChooser, so tests can answer without a dialog.
#pragma once

#include <QString>
#include <string>
#include <string_view>

class QWidget;

namespace orvanix {

struct TFileRequest {
  enum class Kind { Open, Save };
  Kind kind = Kind::Open;
  std::string title;   // the dialog's caption
  std::string filter;  // classic form, see above
  std::string folder;  // where the dialog starts
};

class TFileChooser {
 public:
  virtual ~TFileChooser() = default;
  // The chosen path, or empty when cancelled.
  virtual std::string Choose(const TFileRequest& request, QWidget* parent) = 0;
};

// QFileDialog. Save dialogs ask before replacing a file and add the filter's extension to a
// name typed without one.
class TQtFileChooser : public TFileChooser {
 public:
  std::string Choose(const TFileRequest& request, QWidget* parent) override;
};

// "Wave Files (*.wav)|*.wav|" -> "Wave Files (*.wav)"; several pairs are joined with ";;".
// A description that does not show its pattern gets it appended: "Text|*.txt|" ->
// "Text (*.txt)". Text without '|' is returned as it is.
QString QtFilter(std::string_view classicFilter);
// The extension of the filter's first pattern ("wav" for "*.wav"), or empty.
QString DefaultSuffix(std::string_view classicFilter);

}  // namespace orvanix
