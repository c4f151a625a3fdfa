// What the option dialogs of the spectrogram, 3-D surface, time-series and phase views share:
// the amplitude and frequency fields, the update-interval group, and the common checks of
// the view option dialogs in their order (top, range, start and stop, interval), reported
// with the first failing field focused.
#pragma once

#include "app/dialogs/DialogBase.h"
#include "app/dialogs/DialogChecks.h"

class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace orvanix {

class TPlotOptsDialogBase : public TDialogBase {
 public:
  TPlotOptsDialogBase(QWidget* parent, const char* title, bool logAmplitude, double highestHz);

  struct CommonFields {
    QLineEdit* top = nullptr;
    QLineEdit* range = nullptr;
    QLineEdit* start = nullptr;
    QLineEdit* stop = nullptr;
    QRadioButton* always = nullptr;
    QRadioButton* periodic = nullptr;
    QLineEdit* interval = nullptr;
  };
  const CommonFields& Common() const { return c_; }

 protected:
  // "Plot Top:", "Plot Range:" (enabled on a dB axis, or always with `rangeAlways`) and,
  // with `frequencies`, the start and stop frequencies.
  QGroupBox* BuildAxes(bool frequencies, bool rangeAlways = false);
  QGroupBox* BuildUpdate();
  void ShowCommon(float top, float range, float startHz, float stopHz, int32_t intervalFlag,
                  float intervalSecs);
  // A number field: the stored value while the text is the one shown, else the typed number
  // (NaN when it is not one).
  static double Value(const QLineEdit* edit, float stored);
  // Runs the common checks; `checkFrequencies` false leaves start and stop out (full span).
  // On failure reports and returns false.
  bool CheckCommon(float top, float range, float startHz, float stopHz, float intervalSecs,
                   bool checkFrequencies, TPlotOptionValues& values);
  // The same against explicit axis limits (the phase axis is in degrees).
  bool CheckCommon(float top, float range, float startHz, float stopHz, float intervalSecs,
                   bool checkFrequencies, const TAmplitudeAxisLimits& axis,
                   TPlotOptionValues& values);

  CommonFields c_;
  bool logAmplitude_;
  double highestHz_;
};

}  // namespace orvanix
