// TMarkersDialog: "Markers" (DIALOG_MARKERS), the six frequency markers of the spectrum
// view: one row "1." ... "6." each with its enable box, "Frequency (Hz)" (shown "%6.1f"),
// "Label Type" and "Custom Label".
#pragma once

#include <array>

#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecords.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace orvanix {

// Longest custom label the dialog takes: the configuration keeps the label in a 30-character
// buffer with its terminator, so 29 characters survive saving and loading.
inline constexpr int kCustomLabelChars = 29;

class TMarkersDialog : public TDialogBase {
 public:
  TMarkersDialog(QWidget* parent, const TMarkerSettings& current);

  const TMarkerSettings& Result() const { return result_; }

  struct Row {
    QCheckBox* enable = nullptr;
    QLineEdit* frequency = nullptr;
    QComboBox* labelType = nullptr;
    QLineEdit* customLabel = nullptr;
  };
  const std::array<Row, kMarkerCount>& Rows() const { return rows_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  void Show(const TMarkerSettings& s);

  TMarkerSettings result_;
  std::array<Row, kMarkerCount> rows_;
  std::array<QString, kMarkerCount> shownFrequency_;
  std::array<float, kMarkerCount> shownHz_{};
};

}  // namespace orvanix
