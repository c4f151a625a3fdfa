#include "app/dialogs/MarkersDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "app/dialogs/DialogChecks.h"
#include "app/dialogs/DialogTexts.h"
#include "views/SpectrumOptions.h"
#include "views/ViewTexts.h"

namespace orvanix {

TMarkersDialog::TMarkersDialog(QWidget* parent, const TMarkerSettings& current)
    : TDialogBase(parent, dlgtext::kMarkersTitle, true), result_(current) {
  using namespace dlgtext;
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(Qs(kMarkerEnable)), 0, 1);
  grid->addWidget(new QLabel(Qs(kMarkerFrequency)), 0, 2);
  grid->addWidget(new QLabel(Qs(kMarkerLabelType)), 0, 3);
  grid->addWidget(new QLabel(Qs(kMarkerCustomLabel)), 0, 4);
  for (size_t i = 0; i < kMarkerCount; ++i) {
    Row& row = rows_[i];
    const int number = static_cast<int>(i) + 1;
    row.enable = new QCheckBox;
    row.frequency = new QLineEdit;
    row.frequency->setMaximumWidth(110);
    row.labelType = new QComboBox;
    for (const char* name : viewtext::kLabelTypeNames) row.labelType->addItem(Qs(name));
    row.customLabel = new QLineEdit;
    row.customLabel->setMaxLength(kCustomLabelChars);
    row.customLabel->setMinimumWidth(200);
    auto* label = new QLabel(Qs(Format(kMarkerRow, number)));
    label->setBuddy(row.enable);
    grid->addWidget(label, number, 0);
    grid->addWidget(row.enable, number, 1, Qt::AlignHCenter);
    grid->addWidget(row.frequency, number, 2);
    grid->addWidget(row.labelType, number, 3);
    grid->addWidget(row.customLabel, number, 4);
  }
  SetBody(grid);
  Show(current);
}

void TMarkersDialog::Show(const TMarkerSettings& s) {
  for (size_t i = 0; i < kMarkerCount; ++i) {
    Row& row = rows_[i];
    row.enable->setChecked(s.enable[i] != 0);
    shownFrequency_[i] =
        Qs(Format(dlgtext::kMarkerFrequencyFormat, static_cast<double>(s.freqHz[i]))).trimmed();
    shownHz_[i] = s.freqHz[i];
    row.frequency->setText(shownFrequency_[i]);
    const int32_t type = s.labelType[i];
    row.labelType->setCurrentIndex(type >= kLabelNone && type <= kLabelCustom ? type
                                                                              : kLabelFrequency);
    row.customLabel->setText(Qs(s.customLabel[i]).left(kCustomLabelChars));
  }
}

bool TMarkersDialog::Validate() {
  TMarkerSettings s = result_;
  for (size_t i = 0; i < kMarkerCount; ++i) {
    const Row& row = rows_[i];
    // A frequency left as shown keeps its stored value, not the value rounded for showing.
    const bool unchanged = row.frequency->text() == shownFrequency_[i];
    const double hz =
        unchanged ? static_cast<double>(shownHz_[i]) : FieldNumber(Ss(row.frequency->text()));
    const std::string message = CheckMarkerFrequency(static_cast<int>(i) + 1, hz);
    if (!message.empty()) {
      Refuse(message, MessageIcon::Information, row.frequency);
      return false;
    }
    s.enable[i] = row.enable->isChecked() ? 1 : 0;
    s.freqHz[i] = static_cast<float>(hz);
    s.labelType[i] = std::max(0, row.labelType->currentIndex());
    s.customLabel[i] = Ss(row.customLabel->text().left(kCustomLabelChars));
  }
  result_ = s;
  return true;
}

void TMarkersDialog::LoadDefaults() {
  Show(TMarkerSettings{});
}

}  // namespace orvanix
