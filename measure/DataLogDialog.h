// "Data Logging Setup" (`TDataLogDialog`): the data logger's settings. RunDataLogSetup is
// the "Setup..." command: the analyzer and logging stop while it is open, and afterwards
// logging comes back on (or is offered) and the analyzer restarts as it was.
#pragma once

#include <QString>

#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecords.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QPushButton;

namespace orvanix {

class TAnalyzerCore;
class TFileChooser;

class TDataLogDialog : public TDialogBase {
 public:
  // `highestHz`: the first spectrum's Nyquist frequency (10000 Hz without a spectrum).
  // `logFolder`: where "Pick..." starts.
  TDataLogDialog(QWidget* parent, const TLoggingSettings& settings, float highestHz,
                 const QString& logFolder);

  // The settings as accepted by OK.
  const TLoggingSettings& Settings() const { return settings_; }
  // The folder the last "Pick..." chose a log file in (empty when none).
  const QString& PickedFolder() const { return pickedFolder_; }

  // Fields, for tests.
  QComboBox* DataType() const { return type_; }
  QLineEdit* Threshold() const { return threshold_; }
  QRadioButton* AsOften() const { return asOften_; }
  QRadioButton* Intervals() const { return intervals_; }
  TNumberScrollEdit* Interval() const { return interval_; }
  QRadioButton* FullSpan() const { return fullSpan_; }
  QRadioButton* Custom() const { return custom_; }
  TNumberScrollEdit* Start() const { return start_; }
  TNumberScrollEdit* Stop() const { return stop_; }
  QLineEdit* FileName() const { return file_; }
  QPushButton* PickLog() const { return pickLog_; }
  QLineEdit* Viewer() const { return viewer_; }
  QRadioButton* Overwrite() const { return overwrite_; }
  QRadioButton* Append() const { return append_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  void Load(const TLoggingSettings& s);
  // Enables the fields the data type and the two choices leave in use.
  void UpdateEnabling();
  void ChooseFullSpan();
  void ChooseCustom();
  void PickLogFile();
  void PickViewer();

  TLoggingSettings settings_;
  float highestHz_;
  QString logFolder_;
  QString pickedFolder_;
  QComboBox* type_ = nullptr;
  QLineEdit* threshold_ = nullptr;
  QRadioButton* asOften_ = nullptr;
  QRadioButton* intervals_ = nullptr;
  TNumberScrollEdit* interval_ = nullptr;
  QRadioButton* fullSpan_ = nullptr;
  QRadioButton* custom_ = nullptr;
  TNumberScrollEdit* start_ = nullptr;
  TNumberScrollEdit* stop_ = nullptr;
  QLineEdit* file_ = nullptr;
  QPushButton* pickLog_ = nullptr;
  QLineEdit* viewer_ = nullptr;
  QRadioButton* overwrite_ = nullptr;
  QRadioButton* append_ = nullptr;
};

// The "Setup..." command (158). `exec` shows the dialog and returns whether OK was pressed
// (tests fill the fields instead of showing it).
bool RunDataLogSetup(QWidget* parent, TAnalyzerCore& core);

// The file dialogs of "Pick..." (tests answer them; nullptr: the real dialogs).
void SetDataLogFileChooser(TFileChooser* chooser);

// Registers the dialog command with the frame.
void RegisterDataLogDialog();

}  // namespace orvanix
