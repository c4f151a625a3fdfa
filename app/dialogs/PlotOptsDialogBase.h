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
    QRadioButton* fullSpan = nullptr;  // the span group, where the dialog has one
    QRadioButton* customSpan = nullptr;
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

  // "Full Span" or "Custom Span"; the custom span enables the start and stop fields.
  QGroupBox* BuildSpan();
  void ShowSpan(bool fullSpan);

  // The fields every spanned view's options have (spectrogram, 3-D surface): shown, and
  // checked into `s` (false, reported, when a check fails).
  template <class Options>
  void ShowSpanned(const Options& s) {
    ShowCommon(s.plotTop, s.plotRange, s.startFreqHz, s.stopFreqHz, s.intervalFlag, s.intervalSecs);
    ShowSpan(s.useFullSpan != 0);
  }
  template <class Options>
  bool CheckSpanned(Options& s) {
    TPlotOptionValues values;
    const bool custom = CustomSpan();
    if (!CheckCommon(s.plotTop, s.plotRange, s.startFreqHz, s.stopFreqHz, s.intervalSecs, custom,
                     values)) {
      return false;
    }
    s.plotTop = static_cast<float>(values.top);
    if (logAmplitude_) s.plotRange = static_cast<float>(values.range);
    s.useFullSpan = custom ? 0 : 1;
    s.startFreqHz = static_cast<float>(values.startHz);
    s.stopFreqHz = static_cast<float>(values.stopHz);
    s.intervalFlag = values.periodic ? 1 : 0;
    if (values.periodic) s.intervalSecs = static_cast<float>(values.intervalSecs);
    return true;
  }

  CommonFields c_;
  bool logAmplitude_;
  double highestHz_;

 private:
  bool CustomSpan() const;
};

}  // namespace orvanix
