// TPhaseOptsDialog: "Phase Display Options": grid lines, top and span of the phase axis in
// degrees, start and stop frequency, colours, "Pull Cursor to Trace" and the update
// interval. The phase axis is checked against -360 ... 360 degrees for its top and a span of
// up to 720 degrees.
#pragma once

#include "app/dialogs/PlotOptsDialogBase.h"
#include "files/SettingsRecords.h"

class QCheckBox;

namespace orvanix {

class TPhaseOptsDialog : public TPlotOptsDialogBase {
 public:
  TPhaseOptsDialog(QWidget* parent, const TPhasePlotOptions& current, bool logAmplitude,
                   double highestHz);
  const TPhasePlotOptions& Result() const { return result_; }
  // The limits of the phase axis for the common checks.
  static TAmplitudeAxisLimits PhaseAxis();

  struct Fields {
    QCheckBox* grid = nullptr;
    QCheckBox* pullCursor = nullptr;
    TColorButton* lineColor = nullptr;
    TColorButton* backgroundColor = nullptr;
    TColorButton* gridColor = nullptr;
    TColorButton* markerColor = nullptr;
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override { Show(TPhasePlotOptions{}); }

 private:
  QLayout* BuildLayout();
  void Show(const TPhasePlotOptions& s);

  TPhasePlotOptions result_;
  Fields f_;
};

}  // namespace orvanix
