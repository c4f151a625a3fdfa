#include "generator/OutputLevelDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/dialogs/DialogChecks.h"
#include "generator/GeneratorTexts.h"
#include "generator/OutputLevel.h"
#include "generator/SignalTypes.h"

namespace orvanix {

namespace {

using namespace gentext;

// The level scroll bars move in this many steps over the units' range.
constexpr int kBarSteps = 960;

}  // namespace

TOutputLevelDialog::TOutputLevelDialog(QWidget* parent, const TGeneratorLevel& level)
    : TDialogBase(parent, kLevelDialogTitle, false), result_(level) {
  left_ = MakeField("OutputLevel");
  right_ = MakeField("OutputLevelR");
  units_ = new QComboBox;
  units_->setObjectName("OutputUnits");
  entered_ = new QRadioButton(Qs(kChoiceVolts));
  unknown_ = new QRadioButton(Qs(kChoiceUnknown));
  card_ = new QRadioButton(Qs(kChoicePick));
  auto* choices = new QButtonGroup(this);
  for (QRadioButton* b : {entered_, unknown_, card_}) choices->addButton(b);
  volts_ = new QLineEdit(FloatText(level.fsLevelVolts));
  volts_->setObjectName("FSLevel");
  volts_->setMaximumWidth(100);
  cards_ = new QComboBox;
  cards_->setObjectName("FSCardType");
  for (const char* name : kCardNames) cards_->addItem(Qs(name));
  cards_->setCurrentIndex(std::clamp(level.fsCardType, 0, static_cast<int>(kCardCount) - 1));

  auto* levels = new QFormLayout;
  levels->addRow(Qs(kLeftLevel), left_.edit->parentWidget());
  levels->addRow(Qs(kRightLevel), right_.edit->parentWidget());
  levels->addRow(Qs(kUnits), units_);
  auto* fullScale = new QGroupBox(Qs(kFullScaleGroup));
  auto* grid = new QGridLayout(fullScale);
  grid->addWidget(entered_, 0, 0);
  grid->addWidget(volts_, 0, 1);
  grid->addWidget(unknown_, 1, 0);
  grid->addWidget(card_, 2, 0);
  grid->addWidget(cards_, 2, 1);
  auto* body = new QVBoxLayout;
  body->addLayout(levels);
  body->addWidget(fullScale);
  SetBody(body);

  // The stored state, shown as it is (the handlers below run only on the user's changes).
  filling_ = true;
  (level.fsOption == kFullScaleEntered ? entered_
   : level.fsOption == kFullScaleCard  ? card_
                                       : unknown_)
      ->setChecked(true);
  FillUnits(level.fsOption != kFullScaleUnknown, level.outputUnits);
  left_.edit->setText(FloatText(level.outputLevel));
  right_.edit->setText(FloatText(level.outputLevelR));
  UpdateRanges();
  filling_ = false;

  connect(choices, &QButtonGroup::buttonToggled, this, [this](QAbstractButton*, bool on) {
    if (on && !filling_) OnChoice();
  });
  connect(units_, &QComboBox::currentIndexChanged, this, [this] {
    if (filling_) return;
    UpdateRanges();
    SetLevels(Qs(kUnitsStartLevels[SelectedUnits()]));
  });
  connect(cards_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0 && index < static_cast<int>(kCardCount)) {
      volts_->setText(FloatText(kCardFullScaleVolts[index]));
      UpdateRanges();
    }
  });
}

TOutputLevelDialog::TLevelField TOutputLevelDialog::MakeField(const char* name) {
  auto* holder = new QWidget;
  auto* row = new QHBoxLayout(holder);
  row->setContentsMargins(0, 0, 0, 0);
  TLevelField field;
  field.edit = new QLineEdit;
  field.edit->setObjectName(name);
  field.edit->setMaximumWidth(100);
  field.bar = new QScrollBar(Qt::Horizontal);
  field.bar->setRange(0, kBarSteps);
  field.bar->setMinimumWidth(160);
  row->addWidget(field.edit);
  row->addWidget(field.bar, 1);
  connect(field.bar, &QScrollBar::valueChanged, this, [this, field](int step) {
    const TLevelRange range = LevelRange(SelectedUnits(), FieldNumber(Ss(volts_->text())));
    const double value = range.low + (range.high - range.low) * step / kBarSteps;
    const QSignalBlocker block(field.edit);
    field.edit->setText(QString::number(value, 'f', 2));
  });
  connect(field.edit, &QLineEdit::textEdited, this, [this, field] { SyncBar(field); });
  return field;
}

void TOutputLevelDialog::SyncBar(const TLevelField& field) {
  const TLevelRange range = LevelRange(SelectedUnits(), FieldNumber(Ss(volts_->text())));
  bool ok = false;
  const double value = field.edit->text().toDouble(&ok);
  if (!ok || range.high <= range.low) return;
  const QSignalBlocker block(field.bar);
  field.bar->setValue(static_cast<int>((value - range.low) / (range.high - range.low) * kBarSteps));
}

int TOutputLevelDialog::SelectedUnits() const {
  const QVariant data = units_->currentData();
  return data.isValid() ? data.toInt() : kUnitsDbFs;
}

int TOutputLevelDialog::Option() const {
  return entered_->isChecked() ? kFullScaleEntered
         : card_->isChecked()  ? kFullScaleCard
                               : kFullScaleUnknown;
}

void TOutputLevelDialog::FillUnits(bool all, int select) {
  const bool was = filling_;
  filling_ = true;
  units_->clear();
  const int count = all ? kUnitsCount : kUnitsVolts;  // dB Full Scale and Percent only
  for (int units = 0; units < count; ++units) units_->addItem(Qs(kUnitsNames[units]), units);
  const int index = units_->findData(select);
  units_->setCurrentIndex(index >= 0 ? index : 0);
  filling_ = was;
}

void TOutputLevelDialog::SetLevels(const QString& text) {
  left_.edit->setText(text);
  right_.edit->setText(text);
  UpdateRanges();
}

void TOutputLevelDialog::UpdateRanges() {
  SyncBar(left_);
  SyncBar(right_);
}

void TOutputLevelDialog::OnChoice() {
  if (unknown_->isChecked()) {
    FillUnits(false, kUnitsDbFs);
    SetLevels("0.0");
  } else {
    FillUnits(true, kUnitsVolts);
    SetLevels("1.0");
  }
}

bool TOutputLevelDialog::Validate() {
  const double left = FieldNumber(Ss(left_.edit->text()));
  const double right = FieldNumber(Ss(right_.edit->text()));
  const double volts = FieldNumber(Ss(volts_->text()));
  const int units = SelectedUnits();
  const int option = Option();
  const std::string message = CheckOutputLevel(left, right, units, volts, option);
  if (!message.empty()) {
    QWidget* field = message == kFullScaleNotPositive                             ? volts_
                     : CheckOutputLevel(left, left, units, volts, option).empty() ? right_.edit
                                                                                  : left_.edit;
    Refuse(message, MessageIcon::Information, field);
    return false;
  }
  result_.outputLevel = static_cast<float>(left);
  result_.outputLevelR = static_cast<float>(right);
  result_.outputUnits = units;
  result_.fsOption = option;
  result_.fsCardType = cards_->currentIndex();
  if (volts > 0.0) result_.fsLevelVolts = static_cast<float>(volts);
  return true;
}

bool RunOutputLevelDialog(QWidget* parent, TGeneratorLevel& level) {
  TOutputLevelDialog dialog(parent, level);
  if (dialog.exec() != QDialog::Accepted) return false;
  level = dialog.Result();
  return true;
}

}  // namespace orvanix
