// TSpectrumOptsDialog: "Spectrum Display Options", the spectrum view's options: line or
// bar graph, top and range of the amplitude axis, start and stop frequency, the power
// readout, pulling the cursor to the trace, grid lines, colours and the update interval.
//
// OK runs the view option checks (CheckPlotOptions) against the amplitude axis in force
// (logarithmic or linear, from the scaling settings) and the frequency limit of the current
// rate; the overlay switches, colours and legend size are Overlay Management's and pass
// through unchanged.
#pragma once

#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecords.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace orvanix {

class TSpectrumOptsDialog : public TDialogBase {
 public:
  // `logAmplitude`: the amplitude axis is in dB; `highestHz`: the highest frequency of the
  // axis (the Nyquist frequency after decimation).
  TSpectrumOptsDialog(QWidget* parent, const TSpectrumPlotOptions& current, bool logAmplitude,
                      double highestHz);

  const TSpectrumPlotOptions& Result() const { return result_; }

  struct Fields {
    QRadioButton* line = nullptr;
    QRadioButton* bar = nullptr;
    QLineEdit* top = nullptr;
    QLineEdit* range = nullptr;
    QLineEdit* start = nullptr;
    QLineEdit* stop = nullptr;
    QCheckBox* power = nullptr;
    QCheckBox* pullCursor = nullptr;
    QCheckBox* grid = nullptr;
    TColorButton* lineColor = nullptr;
    TColorButton* backgroundColor = nullptr;
    TColorButton* markerColor = nullptr;
    TColorButton* gridColor = nullptr;
    QRadioButton* always = nullptr;
    QRadioButton* periodic = nullptr;
    QLineEdit* interval = nullptr;
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  QLayout* BuildLayout();
  void Show(const TSpectrumPlotOptions& s);
  // A number field's value: the stored value while the text is the one shown, else the
  // typed number (NaN when it is not one).
  double Value(const QLineEdit* edit, float stored) const;

  TSpectrumPlotOptions result_;
  bool logAmplitude_;
  double highestHz_;
  Fields f_;
};

}  // namespace orvanix
