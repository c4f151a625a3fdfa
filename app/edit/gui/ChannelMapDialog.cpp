#include "app/edit/gui/ChannelMapDialog.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orvanix {

TChannelMapDialog::TChannelMapDialog(QWidget* parent, const std::string& path,
                                     const TForeignInfo& info)
    : TDialogBase(parent, kChannelMapTitle, false), result_(DefaultChannelMap(info)) {
  setObjectName("DIALOG_CHANNEL_MAP");
  auto* body = new QVBoxLayout;
  body->addWidget(new QLabel(
      QString("%1\n%2, %3 channels, %4 Hz")
          .arg(QFileInfo(Qs(path)).fileName(), Qs(info.description))
          .arg(info.channels)
          .arg(info.sampleRateHz),
      this));
  auto* form = new QFormLayout;
  f_.left = new QComboBox(this);
  f_.right = new QComboBox(this);
  f_.right->addItem(Qs("None (mono document)"));
  for (uint32_t c = 1; c <= info.channels; ++c) {
    f_.left->addItem(QString("Channel %1").arg(c));
    f_.right->addItem(QString("Channel %1").arg(c));
  }
  f_.left->setCurrentIndex(result_.left);
  f_.right->setCurrentIndex(result_.right + 1);
  form->addRow(Qs("Left channel:"), f_.left);
  form->addRow(Qs("Right channel:"), f_.right);
  body->addLayout(form);
  auto* precision = new QGroupBox(Qs("Sampling Precision"), this);
  auto* precisionLayout = new QVBoxLayout(precision);
  f_.bits16 = new QRadioButton(Qs("16 bits"), precision);
  f_.bits24 = new QRadioButton(Qs("24 bits"), precision);
  (result_.bytesPerSample == 3 ? f_.bits24 : f_.bits16)->setChecked(true);
  precisionLayout->addWidget(f_.bits16);
  precisionLayout->addWidget(f_.bits24);
  body->addWidget(precision);
  auto* level = new QGroupBox(Qs("Level"), this);
  auto* levelLayout = new QVBoxLayout(level);
  f_.unitFullScale = new QRadioButton(Qs("1.0 is full scale (louder samples are clipped)"), level);
  f_.peakFullScale = new QRadioButton(Qs("The loudest sample is full scale"), level);
  f_.unitFullScale->setChecked(true);
  levelLayout->addWidget(f_.unitFullScale);
  levelLayout->addWidget(f_.peakFullScale);
  body->addWidget(level);
  SetBody(body);
}

bool TChannelMapDialog::Validate() {
  result_.left = f_.left->currentIndex();
  result_.right = f_.right->currentIndex() - 1;
  result_.bytesPerSample = f_.bits24->isChecked() ? 3 : 2;
  result_.normalise = f_.peakFullScale->isChecked();
  return true;
}

}  // namespace orvanix
