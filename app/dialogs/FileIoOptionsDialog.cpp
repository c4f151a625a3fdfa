#include "app/dialogs/FileIoOptionsDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/dialogs/DialogChecks.h"
#include "app/dialogs/DialogTexts.h"

namespace orvanix {

TFileIoOptionsDialog::TFileIoOptionsDialog(QWidget* parent, const TFileIoSettings& current)
    : TDialogBase(parent, dlgtext::kFileIoTitle, true), result_(current) {
  using namespace dlgtext;
  f_.ram = new QRadioButton(Qs(kRam));
  f_.disk = new QRadioButton(Qs(kHardDisk));
  auto* methodButtons = new QButtonGroup(this);
  methodButtons->addButton(f_.ram);
  methodButtons->addButton(f_.disk);
  f_.makeBackup = new QCheckBox(Qs(kMakeBackup));
  f_.includeCalibration = new QCheckBox(Qs(kIncludeCalibration));
  f_.recordingSecs = new QLineEdit;
  f_.recordingMb = new QLineEdit;
  auto* method = new QGroupBox(Qs(kAccessMethod));
  auto* methodForm = new QFormLayout(method);
  methodForm->addRow(f_.ram);
  methodForm->addRow(Qs(kMaxRecordingTime), f_.recordingSecs);
  methodForm->addRow(f_.disk);
  methodForm->addRow(f_.makeBackup);
  methodForm->addRow(Qs(kMaxRecordingSize), f_.recordingMb);

  f_.buffering = new QCheckBox(Qs(kEnableBuffering));
  f_.bufferSecs = new QLineEdit;
  auto* buffering = new QGroupBox(Qs(kBufferingGroup));
  auto* bufferingForm = new QFormLayout(buffering);
  bufferingForm->addRow(f_.buffering);
  bufferingForm->addRow(Qs(kBufferSize), f_.bufferSecs);

  for (QLineEdit* edit : {f_.recordingSecs, f_.recordingMb, f_.bufferSecs}) {
    edit->setMaximumWidth(100);
  }
  connect(f_.ram, &QRadioButton::toggled, this, [this] { UpdateDependents(); });

  auto* body = new QVBoxLayout;
  body->addWidget(method);
  body->addWidget(f_.includeCalibration);
  body->addWidget(buffering);
  SetBody(body);
  Show(current);
}

void TFileIoOptionsDialog::Show(const TFileIoSettings& s) {
  f_.ram->setChecked(s.waveFileMode == 0);
  f_.disk->setChecked(s.waveFileMode != 0);
  f_.makeBackup->setChecked(s.makeBackup != 0);
  f_.includeCalibration->setChecked(s.includeCalibrationData != 0);
  f_.buffering->setChecked(s.realTimeWaveBufferEnable != 0);
  f_.bufferSecs->setText(QString::number(s.realTimeWaveBufferLengthSecs));
  f_.recordingSecs->setText(QString::number(s.maxRamRecordingTimeSecs));
  shownMb_ = QString::number(s.maxDiskRecordingSizeBytes / kBytesPerMb);
  f_.recordingMb->setText(shownMb_);
  UpdateDependents();
}

void TFileIoOptionsDialog::UpdateDependents() {
  const bool ram = f_.ram->isChecked();
  f_.recordingSecs->setEnabled(ram);
  f_.makeBackup->setEnabled(!ram);
  f_.recordingMb->setEnabled(!ram);
}

bool TFileIoOptionsDialog::Validate() {
  const std::string buffer = Ss(f_.bufferSecs->text());
  const std::string seconds = Ss(f_.recordingSecs->text());
  const std::string mb = Ss(f_.recordingMb->text());
  const std::string message = CheckFileIoOptions(buffer, seconds, mb);
  if (!message.empty()) {
    QLineEdit* field = f_.recordingMb;
    if (message == dlgtext::kBufferTooShort) {
      field = f_.bufferSecs;
    } else if (message == dlgtext::kRecordingTimeTooShort ||
               message == dlgtext::kRecordingTimeTooLong) {
      field = f_.recordingSecs;
    }
    Refuse(message, MessageIcon::Information, field);
    return false;
  }
  long long bufferSecs = 0, recordingSecs = 0, recordingMb = 0;
  ParseInteger(buffer, bufferSecs);
  ParseInteger(seconds, recordingSecs);
  ParseInteger(mb, recordingMb);
  TFileIoSettings s = result_;
  s.waveFileMode = f_.ram->isChecked() ? 0 : 1;
  s.makeBackup = f_.makeBackup->isChecked() ? 1 : 0;
  s.includeCalibrationData = f_.includeCalibration->isChecked() ? 1 : 0;
  s.realTimeWaveBufferEnable = f_.buffering->isChecked() ? 1 : 0;
  // Checked above: the buffer length is at least 4; an absurdly large one is the user's
  // choice, but must still fit the stored integer.
  s.realTimeWaveBufferLengthSecs = static_cast<int32_t>(std::min<long long>(bufferSecs, INT32_MAX));
  s.maxRamRecordingTimeSecs = static_cast<int32_t>(recordingSecs);
  if (f_.recordingMb->text() != shownMb_) {
    s.maxDiskRecordingSizeBytes = static_cast<int32_t>(recordingMb * kBytesPerMb);
  }
  result_ = s;
  return true;
}

void TFileIoOptionsDialog::LoadDefaults() {
  Show(TFileIoSettings{});
  shownMb_.clear();  // the defaults are new values, stored as shown
}

}  // namespace orvanix
