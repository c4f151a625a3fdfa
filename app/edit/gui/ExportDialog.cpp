#include "app/edit/gui/ExportDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "engine/Messages.h"
#include "files/TransferNumbers.h"
#include "files/TransferTexts.h"

namespace orvanix {

TExportDialog::TExportDialog(QWidget* parent, const TExportOptions& current, bool stereo)
    : TDialogBase(parent, kExportDialogTitle, false), stereo_(stereo), result_(current) {
  setObjectName("DIALOG_EXPORT");
  auto* body = new QHBoxLayout;
  auto* formats = new QGroupBox(Qs(kDataFormatText), this);
  auto* formatsLayout = new QVBoxLayout(formats);
  f_.format = new QListWidget(formats);
  for (int32_t code = 0; code < kDialogFormatCount; ++code) {
    f_.format->addItem(Qs(TransferFormatName(code)));
  }
  f_.format->setCurrentRow(current.format >= 0 && current.format < kDialogFormatCount ? current.format
                                                                                     : 0);
  formatsLayout->addWidget(f_.format);
  body->addWidget(formats);

  auto* side = new QVBoxLayout;
  auto* channels = new QGroupBox(Qs(kExportChannelsText), this);
  auto* channelsLayout = new QVBoxLayout(channels);
  f_.left = new QCheckBox(Qs(kExportLeftText), channels);
  f_.right = new QCheckBox(Qs(kExportRightText), channels);
  f_.left->setChecked(current.left || !stereo);
  f_.right->setChecked(current.right && stereo);
  channelsLayout->addWidget(f_.left);
  channelsLayout->addWidget(f_.right);
  side->addWidget(channels);
  auto* ratio = new QGroupBox(Qs(kDecimationRatioText), this);
  auto* ratioLayout = new QVBoxLayout(ratio);
  f_.ratio = new TNumberScrollEdit(1, static_cast<int>(kMaxExportDecimation), ratio);
  f_.ratio->SetText(QString::number(current.decimation));
  ratioLayout->addWidget(f_.ratio);
  side->addWidget(ratio);
  side->addStretch();
  body->addLayout(side);
  SetBody(body);
  connect(f_.format, &QListWidget::currentRowChanged, this, [this] { UpdateDependents(); });
  UpdateDependents();
}

void TExportDialog::UpdateDependents() {
  const bool wft = f_.format->currentRow() == kWft;
  f_.left->setEnabled(!wft && stereo_);
  f_.right->setEnabled(!wft && stereo_);
  f_.ratio->setEnabled(!wft);
}

bool TExportDialog::Validate() {
  TExportOptions o = result_;
  o.format = std::max(0, f_.format->currentRow());
  double ratio = 0;
  if (o.format != kWft) {
    if (!ParseReal(Ss(f_.ratio->Text().trimmed()), ratio) || ratio != static_cast<int>(ratio) ||
        ratio < 1 || ratio > kMaxExportDecimation) {
      Refuse(Format(kDecimationRange, static_cast<int>(kMaxExportDecimation)), MessageIcon::Error,
             f_.ratio->Edit());
      return false;
    }
    o.decimation = static_cast<uint32_t>(ratio);
  }
  o.left = f_.left->isChecked();
  o.right = stereo_ && f_.right->isChecked();
  if (stereo_ && o.format != kWft && !o.left && !o.right) {
    Refuse(kExportNoChannel, MessageIcon::Error, f_.left);
    return false;
  }
  result_ = o;
  return true;
}

}  // namespace orvanix
