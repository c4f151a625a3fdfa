// "SIGNAL_GET_WAVEFILE" ("User Defined Signal"): the wave file's path and "Pick".
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "generator/DetailsDialogMakers.h"
#include "generator/GeneratorTexts.h"

namespace orvanix {

namespace {

using namespace gentext;

class TUserDefinedDialog : public TDetailsDialog {
 public:
  TUserDefinedDialog(QWidget* parent, const TSignalRecord& r, long nyquist, const TWavePicker& pick)
      : TDetailsDialog(parent, kUserDefinedTitle, r, nyquist), pick_(pick) {
    path_ = new QLineEdit(Qs(r.userDefined.waveFileName));
    path_->setObjectName("WaveFileName");
    path_->setMinimumWidth(320);
    auto* pickButton = new QPushButton(Qs(kPick));
    pickButton->setObjectName("Pick");
    connect(pickButton, &QPushButton::clicked, this, [this] {
      if (!pick_) return;
      const std::string chosen = pick_(this, Ss(path_->text()));
      if (!chosen.empty()) path_->setText(Qs(chosen));
    });
    auto* line = new QHBoxLayout;
    line->addWidget(path_, 1);
    line->addWidget(pickButton);
    auto* form = new QFormLayout;
    form->addRow(Qs(kWaveFilePath), line);
    SetBody(form);
  }

 protected:
  // No checks: a file that cannot be opened is reported when the signal is built.
  bool Validate() override {
    result_.userDefined.waveFileName = Ss(path_->text().trimmed());
    return true;
  }

 private:
  TWavePicker pick_;
  QLineEdit* path_;
};

}  // namespace

TDetailsDialog* MakeUserDefinedDialog(QWidget* parent, const TSignalRecord& r, long nyquist,
                                      const TWavePicker& pick) {
  return new TUserDefinedDialog(parent, r, nyquist, pick);
}

}  // namespace orvanix
