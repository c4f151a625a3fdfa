// TFileIoOptionsDialog: "File I/O Options" (DIALOG_FILE_OPTIONS): how wave files are held
// (RAM or hard disk, with a backup copy), whether saved files carry the calibration, the
// Real-Time history buffer, and the limits of recordings: time in RAM mode, size in MB in
// disk mode. OK checks, in order, buffer length >= 4 s, recording time 4 ... 3600 s and
// recording size 1 ... 2000 MB (CheckFileIoOptions).
#pragma once

#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecords.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace orvanix {

class TFileIoOptionsDialog : public TDialogBase {
 public:
  TFileIoOptionsDialog(QWidget* parent, const TFileIoSettings& current);

  const TFileIoSettings& Result() const { return result_; }

  struct Fields {
    QRadioButton* ram = nullptr;
    QRadioButton* disk = nullptr;
    QCheckBox* makeBackup = nullptr;
    QCheckBox* includeCalibration = nullptr;
    QCheckBox* buffering = nullptr;
    QLineEdit* bufferSecs = nullptr;
    QLineEdit* recordingSecs = nullptr;
    QLineEdit* recordingMb = nullptr;
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  void Show(const TFileIoSettings& s);
  void UpdateDependents();

  TFileIoSettings result_;
  QString shownMb_;  // the size as shown, so that an untouched field keeps its exact bytes
  Fields f_;
};

}  // namespace orvanix
