// The live DTMF decoder window `TDTMFDecoder` ("TDTMFDecoderClass"): the keys the utilities
// module's two detectors accepted from the analyzer's own left and right spectra, one line
// per channel in Arial 18, above a line 27 pixels from the bottom and the "Clear" and
// "Options..." buttons. The window is a view: opening it switches the module's live decoding
// on, closing it off.
//
// Started with a configuration named "...dtmf.cfg" on the command line (a decoder station),
// Options is disabled and closing the decoder closes the program.
#pragma once

#include <QWidget>

#include "app/core/AnalyzerCore.h"
#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecordsGenerator.h"

class QLineEdit;
class QPushButton;

namespace orvanix {

class TUtilitiesModule;

class TDTMFDecoder : public QWidget, public TAnalyzerObserver {
 public:
  explicit TDTMFDecoder(TAnalyzerCore& core, QWidget* parent = nullptr);
  ~TDTMFDecoder() override;

  QPushButton* ClearButton() const { return clear_; }
  QPushButton* OptionsButton() const { return options_; }
  // The two lines as drawn: the left channel's keys and the right channel's.
  QString Line(int channel) const;
  void Clear();
  void ShowOptions();
  // Whether the program was started as a decoder station ("dtmf.cfg" in an argument).
  static bool StationMode();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  TAnalyzerCore& core_;
  TUtilitiesModule* module_ = nullptr;
  QPushButton* clear_ = nullptr;
  QPushButton* options_ = nullptr;
};

inline constexpr const char* kDtmfThresholdRange =
    "The threshold level must be between 0 and -80 dB";
inline constexpr const char* kDtmfDurationRange =
    "The Minimim Digit Duration must be between 1 and 1000 msec";
inline constexpr const char* kDtmfSpacingRange =
    "The Minimim Space Duration must be between 1 and 1000 msec";

// DIALOG_DTMF_OPTIONS: the hit threshold (dB) and the shortest key and gap (ms).
class TDTMFOptionsDialog : public TDialogBase {
 public:
  TDTMFOptionsDialog(QWidget* parent, const TDtmfDecoderOptions& options);
  const TDtmfDecoderOptions& Options() const { return options_; }
  QLineEdit* ThresholdEdit() const { return threshold_; }
  QLineEdit* DurationEdit() const { return duration_; }
  QLineEdit* SpacingEdit() const { return spacing_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  TDtmfDecoderOptions options_;
  QLineEdit* threshold_ = nullptr;
  QLineEdit* duration_ = nullptr;
  QLineEdit* spacing_ = nullptr;
};

// Registers the window kind (once per process).
void RegisterDtmfDecoderWindow();

// Registers Utilities > DTMF Decoder, which opens the decoder in the frame or closes it
// (once per process).
void RegisterDtmfDecoderWindow();

}  // namespace orvanix
