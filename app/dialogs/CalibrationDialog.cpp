#include "app/dialogs/CalibrationDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>

#include "app/dialogs/DialogChecks.h"
#include "app/dialogs/DialogTexts.h"
#include "engine/CalibrationTexts.h"
#include "files/CalibrationFile.h"

namespace orvanix {

namespace {

// The widest text the fixed fields of the record hold (one place stays for the NUL).
constexpr int kLabelChars = 59;
constexpr int kNameChars = 39;

QString PercentText(float fraction) {
  return Qs(Format(kPercentFormat, static_cast<double>(fraction) * 100.0)).trimmed();
}

void SelectData(QComboBox* box, int32_t value) {
  const int index = box->findData(value);
  box->setCurrentIndex(index >= 0 ? index : 0);
}

int32_t CurrentData(const QComboBox* box, int32_t fallback) {
  const QVariant data = box->currentData();
  return data.isValid() ? data.toInt() : fallback;
}

std::string FolderOf(const std::string& path) {
  const std::string parent = std::filesystem::path(path).parent_path().string();
  return parent.empty() ? std::string(".") : parent;
}

}  // namespace

TCalibrationDialog::TCalibrationDialog(QWidget* parent, const TCalibration& current,
                                       Services services)
    : TDialogBase(parent, kCalibrationDialogTitle, true),
      record_(current),
      result_(current),
      services_(std::move(services)) {
  FillChannelNames(record_);
  SetBody(BuildLayout());
  Show(record_);
  Connect();
  f_.level->setFocus();
}

QLayout* TCalibrationDialog::BuildLayout() {
  using namespace dlgtext;
  auto* steps = new QLabel(
      Qs(std::string(kCalibrationStep1) + "\n" + kCalibrationStep2 + "\n" + kCalibrationStep3));

  f_.level = new QLineEdit;
  f_.level->setMaximumWidth(120);
  f_.refType = new QComboBox;
  f_.labelType = new QComboBox;
  for (int32_t type = kRefPeak; type <= kRefPeakToPeak; ++type) {
    f_.refType->addItem(Qs(ReferenceTypeText(type)), type);
    f_.labelType->addItem(Qs(ReferenceTypeText(type)), type);
  }
  f_.units = new QComboBox;
  const UnitEntry* units = UnitList();
  for (int i = 0; i < kCalibrationUnitCount; ++i)
    f_.units->addItem(Qs(units[i].text), units[i].index);
  f_.conversion = new QComboBox;
  f_.conversion->setMinimumContentsLength(18);

  auto* levelRow = new QHBoxLayout;
  levelRow->addWidget(f_.level);
  levelRow->addWidget(f_.refType);
  levelRow->addStretch(1);
  auto* levelLabel = new QLabel(Qs(kCalLevel));
  levelLabel->setBuddy(f_.level);
  auto* signalForm = new QFormLayout;
  signalForm->addRow(levelLabel, levelRow);
  signalForm->addRow(Qs(kCalUnits), f_.units);
  signalForm->addRow(Qs(kCalConversion), f_.conversion);
  auto* signalGroup = new QGroupBox(Qs(kCalSignalGroup));
  signalGroup->setLayout(signalForm);

  f_.labelLinear = new QLineEdit;
  f_.labelLog = new QLineEdit;
  f_.labelLinear->setMaxLength(kLabelChars);
  f_.labelLog->setMaxLength(kLabelChars);
  f_.labelLinear->setMinimumWidth(240);
  auto* displayForm = new QFormLayout;
  displayForm->addRow(Qs(kCalShowAs), f_.labelType);
  displayForm->addRow(Qs(kCalLabelLinear), f_.labelLinear);
  displayForm->addRow(Qs(kCalLabelLog), f_.labelLog);
  auto* displayGroup = new QGroupBox(Qs(kCalDisplayGroup));
  displayGroup->setLayout(displayForm);

  f_.leftName = new QLineEdit;
  f_.rightName = new QLineEdit;
  f_.leftName->setMaxLength(kNameChars);
  f_.rightName->setMaxLength(kNameChars);
  auto* namesForm = new QFormLayout;
  namesForm->addRow(Qs(kCalLeft), f_.leftName);
  namesForm->addRow(Qs(kCalRight), f_.rightName);
  auto* namesGroup = new QGroupBox(Qs(kCalNamesGroup));
  namesGroup->setLayout(namesForm);

  f_.percentLeft = new QLineEdit;
  f_.percentRight = new QLineEdit;
  f_.ratios = new QLabel;
  f_.ratios->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* levelsForm = new QFormLayout;
  levelsForm->addRow(Qs(kCalLeft), f_.percentLeft);
  levelsForm->addRow(Qs(kCalRight), f_.percentRight);
  levelsForm->addRow(f_.ratios);
  auto* levelsGroup = new QGroupBox(Qs(kDetectedLevelsGroup));
  levelsGroup->setLayout(levelsForm);

  f_.enabled = new QCheckBox(Qs(kCalEnabled));
  f_.file = new QLabel;
  f_.file->setTextInteractionFlags(Qt::TextSelectableByMouse);
  f_.measure = new QPushButton(Qs(kMeasureButton));
  f_.load = new QPushButton(Qs(kCalLoad));
  f_.save = new QPushButton(Qs(kCalSave));
  // Enter in a field means OK, not one of these.
  for (QPushButton* button : {f_.measure, f_.load, f_.save}) button->setAutoDefault(false);
  f_.measure->setEnabled(static_cast<bool>(services_.measure));
  f_.load->setEnabled(static_cast<bool>(services_.chooseFile));
  f_.save->setEnabled(static_cast<bool>(services_.chooseFile));
  auto* actions = new QHBoxLayout;
  actions->addWidget(f_.measure);
  actions->addStretch(1);
  actions->addWidget(f_.load);
  actions->addWidget(f_.save);

  auto* grid = new QGridLayout;
  grid->addWidget(signalGroup, 0, 0);
  grid->addWidget(displayGroup, 0, 1);
  grid->addWidget(levelsGroup, 1, 0);
  grid->addWidget(namesGroup, 1, 1);

  auto* body = new QVBoxLayout;
  body->addWidget(steps);
  body->addLayout(grid);
  body->addWidget(f_.enabled);
  body->addWidget(f_.file);
  body->addLayout(actions);
  return body;
}

void TCalibrationDialog::Connect() {
  for (QLineEdit* edit : {f_.level, f_.labelLinear, f_.labelLog, f_.leftName, f_.rightName,
                          f_.percentLeft, f_.percentRight}) {
    connect(edit, &QLineEdit::textEdited, this, [this] { MarkChanged(); });
  }
  for (QLineEdit* edit : {f_.level, f_.percentLeft, f_.percentRight}) {
    connect(edit, &QLineEdit::textChanged, this, [this] { UpdateRatios(); });
  }
  for (QComboBox* box : {f_.refType, f_.units}) {
    connect(box, &QComboBox::currentIndexChanged, this, [this] { UpdateRatios(); });
  }
  connect(f_.refType, &QComboBox::activated, this, [this] { MarkChanged(); });
  connect(f_.units, &QComboBox::activated, this, [this] {
    ShowConversions(CurrentData(f_.units, kUnitVolts), 0);
    ProposeLabels();
    MarkChanged();
  });
  for (QComboBox* box : {f_.conversion, f_.labelType}) {
    connect(box, &QComboBox::activated, this, [this] {
      ProposeLabels();
      MarkChanged();
    });
  }
  connect(f_.enabled, &QCheckBox::clicked, this, [this] { MarkChanged(); });
  connect(f_.measure, &QPushButton::clicked, this, [this] { Measure(); });
  connect(f_.load, &QPushButton::clicked, this, [this] { LoadFile(); });
  connect(f_.save, &QPushButton::clicked, this, [this] { SaveFile(); });
}

void TCalibrationDialog::Show(const TCalibration& record) {
  showing_ = true;
  f_.level->setText(FloatText(record.refLevel));
  SelectData(f_.refType, record.refType);
  SelectData(f_.units, record.refUnits);
  ShowConversions(record.refUnits, record.conversionType);
  SelectData(f_.labelType, record.labelType);
  f_.labelLinear->setText(Qs(FieldText(record.labelLinear)));
  f_.labelLog->setText(Qs(FieldText(record.labelLog)));
  f_.leftName->setText(Qs(FieldText(record.leftChannelName)));
  f_.rightName->setText(Qs(FieldText(record.rightChannelName)));
  f_.percentLeft->setText(PercentText(record.pctFullScaleLeft));
  f_.percentRight->setText(PercentText(record.pctFullScaleRight));
  f_.enabled->setChecked(record.enabled != 0);
  f_.file->setText(Qs(Format(dlgtext::kCalFile, FieldText(record.fileName).c_str())));
  showing_ = false;
  UpdateRatios();
}

void TCalibrationDialog::ShowConversions(int32_t unit, int32_t conversion) {
  f_.conversion->clear();
  if (unit != kUnitAccelerationG) {
    f_.conversion->addItem(Qs(kConversionNotApplicable));
    f_.conversion->setEnabled(false);
    return;
  }
  const ConversionEntry* list = ConversionList();
  for (int i = 0; i < kConversionCount; ++i)
    f_.conversion->addItem(Qs(list[i].text), list[i].index);
  f_.conversion->setEnabled(true);
  SelectData(f_.conversion, conversion);
}

void TCalibrationDialog::ProposeLabels() {
  const int32_t unit = CurrentData(f_.units, kUnitVolts);
  const AxisLabels labels =
      DefaultLabels(unit, CurrentData(f_.conversion, 0), CurrentData(f_.labelType, kRefPeak));
  f_.labelLinear->setText(Qs(labels.linear));
  f_.labelLog->setText(Qs(labels.log));
}

bool TCalibrationDialog::ReadFields(TCalibration& record, bool report) {
  auto refuse = [&](const std::string& message, QWidget* field) {
    if (report) Refuse(message, MessageIcon::Error, field);
    return false;
  };
  const double level = FieldNumber(Ss(f_.level->text()));
  if (std::isnan(level) || std::isinf(level)) return refuse(dlgtext::kCalLevelNotNumber, f_.level);
  if (level < 0.0) return refuse(kNegativeReferenceMessage, f_.level);
  double percent[2];
  QLineEdit* fields[2] = {f_.percentLeft, f_.percentRight};
  const float shown[2] = {record.pctFullScaleLeft, record.pctFullScaleRight};
  for (int c = 0; c < 2; ++c) {
    percent[c] = FieldNumber(Ss(fields[c]->text()));
    if (!(percent[c] >= 0.0 && percent[c] <= 100.0)) {
      return refuse(dlgtext::kCalPercentMessage, fields[c]);
    }
    // An untouched field keeps the measured value's every digit.
    if (fields[c]->text() == PercentText(shown[c])) percent[c] = shown[c] * 100.0;
  }
  record.refLevel = static_cast<float>(level);
  record.refType = CurrentData(f_.refType, kRefPeak);
  record.refUnits = CurrentData(f_.units, kUnitVolts);
  record.conversionType = record.refUnits == kUnitAccelerationG ? CurrentData(f_.conversion, 0) : 0;
  record.integrationType = ConversionIntegration(record.conversionType);
  record.labelType = CurrentData(f_.labelType, kRefRms);
  SetField(record.labelLinear, Ss(f_.labelLinear->text()));
  SetField(record.labelLog, Ss(f_.labelLog->text()));
  SetField(record.leftChannelName, Ss(f_.leftName->text()));
  SetField(record.rightChannelName, Ss(f_.rightName->text()));
  FillChannelNames(record);
  record.pctFullScaleLeft = static_cast<float>(percent[0] / 100.0);
  record.pctFullScaleRight = static_cast<float>(percent[1] / 100.0);
  record.enabled = f_.enabled->isChecked() ? 1 : 0;
  return true;
}

void TCalibrationDialog::UpdateRatios() {
  if (showing_) return;
  TCalibration preview = record_;
  if (!ReadFields(preview, false)) {
    f_.ratios->setText(QString());
    return;
  }
  ComputeRatios(preview);
  const int32_t unit = preview.refUnits;
  const char* linear =
      unit >= 0 && unit < kCalibrationUnitCount ? dlgtext::kCalLinearUnits[unit] : "";
  f_.ratios->setText(Qs(Format(dlgtext::kCalRatios, static_cast<double>(preview.calRatioLeft),
                               linear, static_cast<double>(preview.calRatioRight), linear)));
}

void TCalibrationDialog::MarkChanged() {
  if (!showing_) changed_ = true;
}

std::string TCalibrationDialog::FilePath() const {
  std::string name = FieldText(record_.fileName);
  if (name.empty()) name = kDefaultCalibrationFile;
  if (std::filesystem::path(name).is_absolute()) return name;
  return services_.calibrationFolder + "/" + name;
}

void TCalibrationDialog::Measure() {
  if (!services_.measure || measuring_) return;
  TCalibration measured = record_;
  if (!ReadFields(measured, true)) return;
  // The recording runs its own event loop: nothing in the dialog may be used meanwhile.
  measuring_ = true;
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    child->setEnabled(false);
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool accepted = services_.measure(measured);
  QApplication::restoreOverrideCursor();
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    child->setEnabled(true);
  }
  f_.load->setEnabled(static_cast<bool>(services_.chooseFile));
  f_.save->setEnabled(static_cast<bool>(services_.chooseFile));
  measuring_ = false;
  // A refused measurement (overload, too weak, no device) was reported; the levels it read
  // are not a calibration, so the fields keep what they held.
  if (!accepted) return;
  measured.enabled = 1;
  record_ = measured;
  Show(record_);
  changed_ = true;
}

void TCalibrationDialog::LoadFile() {
  if (!services_.chooseFile) return;
  const std::string path = services_.chooseFile(false, services_.folder);
  if (path.empty()) return;
  services_.folder = FolderOf(path);
  TCalibration loaded = record_;
  switch (LoadCalibration(path, loaded)) {
    case CalibrationLoad::kLoaded:
      break;
    case CalibrationLoad::kMissing:
      ReportError(Format(dlgtext::kCalFileMissing, path.c_str()));
      return;
    case CalibrationLoad::kUnreadable:
      return;  // reported; what the dialog held stays
  }
  SetField(loaded.fileName, path);
  loaded.enabled = 1;
  record_ = loaded;
  Show(record_);
  changed_ = false;
}

void TCalibrationDialog::SaveFile() {
  if (!services_.chooseFile) return;
  TCalibration saved = record_;
  if (!ReadFields(saved, true)) return;
  const std::string path = services_.chooseFile(true, services_.folder);
  if (path.empty()) return;
  services_.folder = FolderOf(path);
  ComputeRatios(saved);
  if (!SaveCalibration(path, saved)) return;  // reported; the old file is unchanged
  SetField(saved.fileName, path);
  record_ = saved;
  Show(record_);
  changed_ = false;
}

bool TCalibrationDialog::Validate() {
  TCalibration record = record_;
  if (!ReadFields(record, true)) return false;
  ComputeRatios(record);
  if (changed_) {
    const MessageAnswer answer =
        Messages().Ask(kCalibrationChangedQuestion, kProgramTitle, MessageButtons::YesNoCancel,
                       MessageAnswer::Yes, MessageIcon::Question);
    if (answer == MessageAnswer::Cancel) return false;
    // A file that cannot be written was reported; staying open loses nothing.
    if (answer == MessageAnswer::Yes && !SaveCalibration(FilePath(), record)) return false;
  }
  result_ = record;
  return true;
}

void TCalibrationDialog::LoadDefaults() {
  TCalibration defaults = DefaultsButtonCalibration();
  SetField(defaults.fileName, FieldText(record_.fileName));
  record_ = defaults;
  Show(record_);
  changed_ = true;
}

void TCalibrationDialog::reject() {
  if (measuring_) return;
  TDialogBase::reject();
}

}  // namespace orvanix
