#include "app/edit/gui/ImportDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "files/TransferNumbers.h"
#include "files/TransferTexts.h"

namespace orvanix {

namespace {

QRadioButton* Radio(const char* text, QWidget* parent) {
  return new QRadioButton(Qs(text), parent);
}

// An empty or unreadable number reads as `fallback`.
double NumberOf(const QLineEdit* edit, double fallback) {
  double value = 0;
  return ParseReal(Ss(edit->text().trimmed()), value) ? value : fallback;
}

}  // namespace

TImportDialog::TImportDialog(QWidget* parent, const TImportOptions& current)
    : TDialogBase(parent, kImportDialogTitle, false) {
  setObjectName("DIALOG_IMPORT");
  auto* body = new QVBoxLayout;

  auto* top = new QFormLayout;
  f_.type = new QComboBox(this);
  for (int32_t code = 0; code < kDialogFormatCount; ++code) {
    f_.type->addItem(Qs(TransferFormatName(code)));
  }
  f_.rate = new QLineEdit(this);
  top->addRow(Qs("Source Data Type"), f_.type);
  top->addRow(Qs("Sampling Rate (Hz)"), f_.rate);
  body->addLayout(top);

  auto* row = new QHBoxLayout;
  auto* channels = new QGroupBox(Qs("Channels"), this);
  auto* channelsLayout = new QVBoxLayout(channels);
  f_.mono = Radio("Mono", channels);
  f_.stereo = Radio("Stereo", channels);
  channelsLayout->addWidget(f_.mono);
  channelsLayout->addWidget(f_.stereo);
  auto* precision = new QGroupBox(Qs("Sampling Precision"), this);
  auto* precisionLayout = new QVBoxLayout(precision);
  for (int i = 0; i < 3; ++i) {
    f_.precision[i] = Radio(kPrecisionTexts[i], precision);
    precisionLayout->addWidget(f_.precision[i]);
  }
  row->addWidget(channels);
  row->addWidget(precision);
  body->addLayout(row);

  auto* header = new QGroupBox(Qs("File Header"), this);
  auto* headerLayout = new QGridLayout(header);
  f_.noHeader = Radio(kNoHeaderText, header);
  f_.header = Radio(kHeaderSizeText, header);
  f_.headerSize = new QLineEdit(header);
  f_.headerSize->setMaximumWidth(80);
  f_.headerUnit = new QLabel(header);
  headerLayout->addWidget(f_.noHeader, 0, 0, 1, 3);
  headerLayout->addWidget(f_.header, 1, 0);
  headerLayout->addWidget(f_.headerSize, 1, 1);
  headerLayout->addWidget(f_.headerUnit, 1, 2);
  body->addWidget(header);

  auto* scaling = new QGroupBox(Qs("Data Scaling"), this);
  auto* scalingLayout = new QGridLayout(scaling);
  f_.rescale = Radio(kRescaleText, scaling);
  f_.truncate = Radio(kTruncateText, scaling);
  f_.define = Radio(kDefineValuesText, scaling);
  f_.dataValue = new QLineEdit(scaling);
  f_.equalsValue = new QLineEdit(scaling);
  f_.units = new QComboBox(scaling);
  for (const TImportUnit& unit : kImportUnits) f_.units->addItem(Qs(unit.text), unit.code);
  f_.labelLinear = new QLineEdit(scaling);
  f_.labelLog = new QLineEdit(scaling);
  f_.labelLinear->setMaxLength(59);
  f_.labelLog->setMaxLength(59);
  scalingLayout->addWidget(f_.rescale, 0, 0, 1, 5);
  scalingLayout->addWidget(f_.truncate, 1, 0, 1, 5);
  scalingLayout->addWidget(f_.define, 2, 0, 1, 5);
  scalingLayout->addWidget(new QLabel(Qs(kDataValueText), scaling), 3, 0);
  scalingLayout->addWidget(f_.dataValue, 3, 1);
  scalingLayout->addWidget(new QLabel(Qs(kEqualsText), scaling), 3, 2);
  scalingLayout->addWidget(f_.equalsValue, 3, 3);
  scalingLayout->addWidget(f_.units, 3, 4);
  scalingLayout->addWidget(new QLabel(Qs(kLabelLinearText), scaling), 4, 0, 1, 2);
  scalingLayout->addWidget(f_.labelLinear, 4, 2, 1, 3);
  scalingLayout->addWidget(new QLabel(Qs(kLabelLogText), scaling), 5, 0, 1, 2);
  scalingLayout->addWidget(f_.labelLog, 5, 2, 1, 3);
  body->addWidget(scaling);
  SetBody(body);

  Show(current);
  result_ = current;
  connect(f_.type, &QComboBox::currentIndexChanged, this, [this] { UpdateDependents(); });
  for (QRadioButton* radio : {f_.noHeader, f_.header, f_.rescale, f_.truncate, f_.define}) {
    connect(radio, &QRadioButton::toggled, this, [this] { UpdateDependents(); });
  }
  connect(f_.units, &QComboBox::activated, this, [this](int index) {
    if (const TImportUnit* unit = FindImportUnit(f_.units->itemData(index).toInt())) {
      f_.labelLinear->setText(Qs(unit->labelLinear));
      f_.labelLog->setText(Qs(unit->labelLog));
    }
  });
  UpdateDependents();
}

void TImportDialog::Show(const TImportOptions& o) {
  f_.type->setCurrentIndex(o.sourceType >= 0 && o.sourceType < kDialogFormatCount ? o.sourceType
                                                                                  : 0);
  f_.rate->setText(QString::number(o.sampleRateHz));
  (o.channels == 2 ? f_.stereo : f_.mono)->setChecked(true);
  f_.precision[std::clamp<uint32_t>(o.bytesPerSample, 1, 3) - 1]->setChecked(true);
  (o.headerPresent ? f_.header : f_.noHeader)->setChecked(true);
  f_.headerSize->setText(QString::number(o.headerSize));
  (o.scaling == kScaleTruncate ? f_.truncate
   : o.scaling == kScaleDefine ? f_.define
                               : f_.rescale)
      ->setChecked(true);
  f_.dataValue->setText(FloatText(o.dataValue));
  f_.equalsValue->setText(FloatText(o.equalsValue));
  const int unit = f_.units->findData(o.units);
  f_.units->setCurrentIndex(unit >= 0 ? unit : 0);
  f_.labelLinear->setText(Qs(o.labelLinear));
  f_.labelLog->setText(Qs(o.labelLog));
}

void TImportDialog::UpdateDependents() {
  const int32_t type = f_.type->currentIndex();
  // A WFT or audio file's own header decides these.
  const bool wft = type == kWft || type == kAudioFile;
  f_.headerUnit->setText(Qs(IsTextFormat(type) ? kHeaderLinesText : kHeaderBytesText));
  for (QWidget* w : {static_cast<QWidget*>(f_.mono), static_cast<QWidget*>(f_.stereo),
                     static_cast<QWidget*>(f_.noHeader), static_cast<QWidget*>(f_.header),
                     static_cast<QWidget*>(f_.rescale), static_cast<QWidget*>(f_.truncate),
                     static_cast<QWidget*>(f_.define)}) {
    w->setEnabled(!wft);
  }
  for (QRadioButton* radio : f_.precision) radio->setEnabled(!wft);
  f_.headerSize->setEnabled(!wft && f_.header->isChecked());
  const bool define = !wft && f_.define->isChecked();
  for (QWidget* w : {static_cast<QWidget*>(f_.dataValue), static_cast<QWidget*>(f_.equalsValue),
                     static_cast<QWidget*>(f_.units), static_cast<QWidget*>(f_.labelLinear),
                     static_cast<QWidget*>(f_.labelLog)}) {
    w->setEnabled(define);
  }
}

bool TImportDialog::Validate() {
  TImportOptions o = result_;
  o.sourceType = f_.type->currentIndex();
  const double rate = NumberOf(f_.rate, 0);
  if (!(rate >= 1) || rate > 4294967295.0 || rate != static_cast<uint32_t>(rate)) {
    Refuse(kRateMustBePositive, MessageIcon::Error, f_.rate);
    return false;
  }
  o.sampleRateHz = static_cast<uint32_t>(rate);
  o.channels = f_.stereo->isChecked() ? 2 : 1;
  for (uint32_t i = 0; i < 3; ++i) {
    if (f_.precision[i]->isChecked()) o.bytesPerSample = i + 1;
  }
  o.headerPresent = f_.header->isChecked();
  const double header = NumberOf(f_.headerSize, -1);
  if (o.headerPresent && !(header >= 0)) {
    Refuse(kHeaderNotNegative, MessageIcon::Error, f_.headerSize);
    return false;
  }
  if (header >= 0) o.headerSize = static_cast<int64_t>(header);
  o.scaling = f_.truncate->isChecked() ? kScaleTruncate
              : f_.define->isChecked() ? kScaleDefine
                                       : kScaleRescale;
  o.dataValue = static_cast<float>(NumberOf(f_.dataValue, 0));
  o.equalsValue = static_cast<float>(NumberOf(f_.equalsValue, 0));
  o.units = f_.units->currentData().toInt();
  o.labelLinear = Ss(f_.labelLinear->text());
  o.labelLog = Ss(f_.labelLog->text());
  result_ = o;
  return true;
}

}  // namespace orvanix
