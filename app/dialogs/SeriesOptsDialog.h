// TSeriesOptsDialog: "Time Series Display Options": amplitude or energy scale, grid lines,
// plot top and (energy) range, the channel choice, the maximum zoom-out and the time span,
// colours and the update interval. After the common checks: "Start Time must be greater than
// zero", "Stop Time must be greater than zero", "Stop Time must be greater than Stop Time"
// (the classic text, for a stop not above the start) and "Max Zoom Out Time must be at
// least 0.1 seconds".
#pragma once

#include "app/dialogs/PlotOptsDialogBase.h"
#include "files/SettingsRecords.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace orvanix {

class TSeriesOptsDialog : public TPlotOptsDialogBase {
 public:
  // `logAmplitude` and `highestHz` are not used: the scale is the dialog's own choice.
  TSeriesOptsDialog(QWidget* parent, const TSeriesOptions& current, bool logAmplitude,
                    double highestHz);
  const TSeriesOptions& Result() const { return result_; }

  struct Fields {
    QRadioButton* amplitude = nullptr;
    QRadioButton* energy = nullptr;
    QCheckBox* grid = nullptr;
    QComboBox* channel = nullptr;
    QLineEdit* maxZoomOut = nullptr;
    QLineEdit* startTime = nullptr;
    QLineEdit* stopTime = nullptr;
    TColorButton* lineColor = nullptr;
    TColorButton* backgroundColor = nullptr;
    TColorButton* gridColor = nullptr;
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override { Show(TSeriesOptions{}); }

 private:
  QLayout* BuildLayout();
  void Show(const TSeriesOptions& s);

  TSeriesOptions result_;
  Fields f_;
};

}  // namespace orvanix
