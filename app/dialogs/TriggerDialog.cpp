#include "app/dialogs/TriggerDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/dialogs/DialogChecks.h"
#include "app/dialogs/DialogTexts.h"

namespace orvanix {

namespace {

// A group box holding two exclusive choices side by side.
QGroupBox* ChoiceGroup(QObject* owner, const char* title, QRadioButton* first,
                       QRadioButton* second) {
  auto* group = new QGroupBox(Qs(title));
  auto* layout = new QHBoxLayout(group);
  layout->addWidget(first);
  layout->addWidget(second);
  layout->addStretch(1);
  auto* buttons = new QButtonGroup(owner);
  buttons->addButton(first);
  buttons->addButton(second);
  return group;
}

}  // namespace

TTriggerDialog::TTriggerDialog(QWidget* parent, const TTriggerSettings& current)
    : TDialogBase(parent, dlgtext::kTriggerTitle, true), result_(current) {
  SetBody(BuildLayout());
  Show(current);
}

QLayout* TTriggerDialog::BuildLayout() {
  using namespace dlgtext;
  f_.enable = new QCheckBox(Qs(kTriggerEnable));
  f_.rearm = new QCheckBox(Qs(kTriggerRearm));
  f_.left = new QRadioButton(Qs(kLeft));
  f_.right = new QRadioButton(Qs(kRight));
  f_.level = new QRadioButton(Qs(kTriggerLevel));
  f_.edge = new QRadioButton(Qs(kTriggerEdge));
  f_.positive = new QRadioButton(Qs(kSlopePositive));
  f_.negative = new QRadioButton(Qs(kSlopeNegative));
  f_.threshold = new QLineEdit;
  f_.delay = new QLineEdit;
  f_.threshold->setMaximumWidth(100);
  f_.delay->setMaximumWidth(100);
  f_.preTrigger = new QRadioButton(Qs(kPreTrigger));
  f_.postTrigger = new QRadioButton(Qs(kPostTrigger));

  auto* switches = new QVBoxLayout;
  switches->addWidget(f_.enable);
  switches->addWidget(f_.rearm);

  auto* choices = new QGridLayout;
  choices->addWidget(ChoiceGroup(this, kTriggerChannel, f_.left, f_.right), 0, 0);
  choices->addWidget(ChoiceGroup(this, kTriggerType, f_.level, f_.edge), 0, 1);
  choices->addWidget(ChoiceGroup(this, kTriggerSlope, f_.positive, f_.negative), 1, 0);

  auto* delayType = new QHBoxLayout;
  delayType->addWidget(f_.preTrigger);
  delayType->addWidget(f_.postTrigger);
  delayType->addStretch(1);
  auto* delayButtons = new QButtonGroup(this);
  delayButtons->addButton(f_.preTrigger);
  delayButtons->addButton(f_.postTrigger);

  auto* values = new QFormLayout;
  values->addRow(Qs(kTriggerThreshold), f_.threshold);
  values->addRow(Qs(kTriggerDelay), f_.delay);
  values->addRow(QString(), delayType);

  auto* body = new QVBoxLayout;
  body->addLayout(switches);
  body->addLayout(choices);
  body->addLayout(values);
  return body;
}

void TTriggerDialog::Show(const TTriggerSettings& s) {
  f_.enable->setChecked(s.enable != 0);
  f_.rearm->setChecked(s.autoReset != 0);
  f_.left->setChecked(s.channel == 0);
  f_.right->setChecked(s.channel != 0);
  f_.level->setChecked(s.triggerType == 0);
  f_.edge->setChecked(s.triggerType != 0);
  f_.positive->setChecked(s.slope == 0);
  f_.negative->setChecked(s.slope != 0);
  f_.threshold->setText(QString::number(s.thresholdPct));
  f_.delay->setText(FloatText(s.delayMsec));
  f_.preTrigger->setChecked(s.delayType == 0);
  f_.postTrigger->setChecked(s.delayType != 0);
}

bool TTriggerDialog::Validate() {
  const std::string thresholdText = Ss(f_.threshold->text());
  std::string message = CheckTriggerThreshold(thresholdText);
  if (!message.empty()) {
    Refuse(message, MessageIcon::Error, f_.threshold);
    return false;
  }
  const double delay = FieldNumber(Ss(f_.delay->text()));
  message = CheckTriggerDelay(delay);
  if (!message.empty()) {
    Refuse(message, MessageIcon::Error, f_.delay);
    return false;
  }
  long long threshold = 0;
  ParseInteger(thresholdText, threshold);
  TTriggerSettings s = result_;
  s.enable = f_.enable->isChecked() ? 1 : 0;
  s.autoReset = f_.rearm->isChecked() ? 1 : 0;
  s.channel = f_.right->isChecked() ? 1 : 0;
  s.triggerType = f_.edge->isChecked() ? 1 : 0;
  s.slope = f_.negative->isChecked() ? 1 : 0;
  s.thresholdPct = static_cast<int32_t>(threshold);
  s.delayType = f_.postTrigger->isChecked() ? 1 : 0;
  s.delayMsec = static_cast<float>(delay);
  result_ = s;
  return true;
}

void TTriggerDialog::LoadDefaults() {
  Show(TTriggerSettings{});
}

}  // namespace orvanix
