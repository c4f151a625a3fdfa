#include "measure/DataLogDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/core/AnalyzerCore.h"
#include "app/dialogs/DialogChecks.h"
#include "app/gui/GuiRegistry.h"
#include "engine/ProcessingStep.h"
#include "files/Configuration.h"
#include "measure/DataLog.h"
#include "measure/DataLogModule.h"
#include "measure/MeasureKinds.h"
#include "measure/MeasureTexts.h"
#include "ui/FileDialogs.h"

namespace orvanix {

namespace {

using namespace measuretext;

constexpr float kHighestWithoutSpectrumHz = 10000.f;
constexpr int kScrollMaxSecs = 3600;
constexpr const char* kHelpText =
    "Data logging writes one line of measured values to a text file for each processed "
    "block, or at most one per interval. The user guide's \"Measurements and data logging\" "
    "page describes every data type and the file's layout.";

TFileChooser* g_chooser = nullptr;

TFileChooser& Chooser() {
  static TQtFileChooser qt;
  return g_chooser ? *g_chooser : qt;
}

QString Number(const char* format, double value) {
  return Qs(Format(format, value));
}

// The data types whose records do not use the frequency span or the threshold field.
bool MeasurementType(int type) {
  return type >= kLogThd && type <= kLogNoiseFigure;
}

}  // namespace

TDataLogDialog::TDataLogDialog(QWidget* parent, const TLoggingSettings& settings, float highestHz,
                               const QString& logFolder)
    : TDialogBase(parent, kDialogTitle, true),
      settings_(settings),
      highestHz_(highestHz),
      logFolder_(logFolder) {
  auto* body = new QVBoxLayout;
  auto* top = new QFormLayout;
  type_ = new QComboBox(this);
  for (const char* text : kDataTypeText) type_->addItem(Qs(text));
  top->addRow(new QLabel(Qs(kDataType), this), type_);
  threshold_ = new QLineEdit(this);
  top->addRow(new QLabel(Qs(kThreshold), this), threshold_);
  body->addLayout(top);

  auto* update = new QGroupBox(Qs(kUpdate), this);
  auto* updateLayout = new QGridLayout(update);
  asOften_ = new QRadioButton(Qs(kAsOften), update);
  intervals_ = new QRadioButton(Qs(kIntervals), update);
  interval_ = new TNumberScrollEdit(0, kScrollMaxSecs, update);
  updateLayout->addWidget(asOften_, 0, 0, 1, 2);
  updateLayout->addWidget(intervals_, 1, 0);
  updateLayout->addWidget(interval_, 1, 1);
  auto* updateGroup = new QButtonGroup(this);
  updateGroup->addButton(asOften_);
  updateGroup->addButton(intervals_);
  body->addWidget(update);

  auto* span = new QGroupBox(Qs(kSpan), this);
  auto* spanLayout = new QGridLayout(span);
  fullSpan_ = new QRadioButton(Qs(kFullSpan), span);
  custom_ = new QRadioButton(Qs(kCustom), span);
  const int highest = static_cast<int>(highestHz_);
  start_ = new TNumberScrollEdit(0, highest, span);
  stop_ = new TNumberScrollEdit(0, highest, span);
  spanLayout->addWidget(fullSpan_, 0, 0);
  spanLayout->addWidget(custom_, 1, 0);
  spanLayout->addWidget(new QLabel(Qs(kStart), span), 0, 1);
  spanLayout->addWidget(start_, 0, 2);
  spanLayout->addWidget(new QLabel(Qs(kStop), span), 1, 1);
  spanLayout->addWidget(stop_, 1, 2);
  auto* spanGroup = new QButtonGroup(this);
  spanGroup->addButton(fullSpan_);
  spanGroup->addButton(custom_);
  body->addWidget(span);

  auto* files = new QGridLayout;
  file_ = new QLineEdit(this);
  viewer_ = new QLineEdit(this);
  pickLog_ = new QPushButton(Qs(kPick), this);
  auto* pickViewer = new QPushButton(Qs(kPick), this);
  files->addWidget(new QLabel(Qs(kOutputFile), this), 0, 0);
  files->addWidget(file_, 0, 1);
  files->addWidget(pickLog_, 0, 2);
  files->addWidget(new QLabel(Qs(kViewer), this), 1, 0);
  files->addWidget(viewer_, 1, 1);
  files->addWidget(pickViewer, 1, 2);
  body->addLayout(files);

  auto* mode = new QGroupBox(Qs(kFileMode), this);
  auto* modeLayout = new QHBoxLayout(mode);
  overwrite_ = new QRadioButton(Qs(kOverwrite), mode);
  append_ = new QRadioButton(Qs(kAppend), mode);
  modeLayout->addWidget(overwrite_);
  modeLayout->addWidget(append_);
  auto* help = new QPushButton(Qs(kHelp), mode);
  modeLayout->addStretch();
  modeLayout->addWidget(help);
  body->addWidget(mode);
  SetBody(body);
  file_->setMinimumWidth(260);

  connect(type_, &QComboBox::currentIndexChanged, this, [this] { UpdateEnabling(); });
  connect(asOften_, &QRadioButton::toggled, this, [this] { UpdateEnabling(); });
  connect(fullSpan_, &QRadioButton::clicked, this, [this] { ChooseFullSpan(); });
  connect(custom_, &QRadioButton::clicked, this, [this] { ChooseCustom(); });
  connect(pickLog_, &QPushButton::clicked, this, [this] { PickLogFile(); });
  connect(pickViewer, &QPushButton::clicked, this, [this] { PickViewer(); });
  connect(help, &QPushButton::clicked, this,
          [] { Messages().Report(kHelpText, kDialogTitle, MessageIcon::Information); });
  Load(settings_);
}

void TDataLogDialog::Load(const TLoggingSettings& s) {
  type_->setCurrentIndex(std::clamp<int>(s.dataType, 0, kDataTypeCount - 1));
  threshold_->setText(Number("%3.2f", s.threshold));
  (s.intervalFlag != 0 ? intervals_ : asOften_)->setChecked(true);
  interval_->SetText(Number("%3.2f", s.intervalSecs));
  (s.useFullSpan != 0 ? fullSpan_ : custom_)->setChecked(true);
  start_->SetText(Number("%3.0f", s.startFreqHz));
  stop_->SetText(Number("%3.0f", s.stopFreqHz));
  if (s.useFullSpan != 0) ChooseFullSpan();
  file_->setText(Qs(s.logFileName));
  viewer_->setText(Qs(s.logViewerProgram));
  (s.overwrite != 0 ? overwrite_ : append_)->setChecked(true);
  UpdateEnabling();
}

void TDataLogDialog::UpdateEnabling() {
  const bool spanInUse = !MeasurementType(type_->currentIndex());
  threshold_->setEnabled(spanInUse);
  fullSpan_->setEnabled(spanInUse);
  custom_->setEnabled(spanInUse);
  start_->setEnabled(spanInUse && custom_->isChecked());
  stop_->setEnabled(spanInUse && custom_->isChecked());
  interval_->setEnabled(intervals_->isChecked());
}

void TDataLogDialog::ChooseFullSpan() {
  start_->SetText(QStringLiteral("0"));
  stop_->SetText(Number("%3.0f", highestHz_));
  UpdateEnabling();
}

void TDataLogDialog::ChooseCustom() {
  const double start = FieldNumber(Ss(start_->Text()));
  const double stop = FieldNumber(Ss(stop_->Text()));
  if (!(start >= 0 && start <= highestHz_)) start_->SetText(QString());
  if (!(stop > 0 && stop <= highestHz_)) stop_->SetText(Number("%3.0f", highestHz_));
  UpdateEnabling();
}

void TDataLogDialog::LoadDefaults() {
  TLoggingSettings defaults;
  defaults.intervalFlag = 0;
  defaults.useFullSpan = 1;
  defaults.varekFlag = settings_.varekFlag;  // not the dialog's
  Load(defaults);
}

void TDataLogDialog::PickLogFile() {
  const std::string name = Chooser().Choose({TFileRequest::Kind::Save, kPickLogTitle,
                                             Format(kPickLogFilter, kPickLogKind), Ss(logFolder_)},
                                            this);
  if (name.empty()) return;
  file_->setText(Qs(name));
  pickedFolder_ = QFileInfo(Qs(name)).absolutePath();
  logFolder_ = pickedFolder_;
}

void TDataLogDialog::PickViewer() {
  // Programs here carry no extension: every file is offered.
  const std::string name = Chooser().Choose(
      {TFileRequest::Kind::Open, kPickViewerTitle, std::string(kPickViewerKind) + "|*|", {}}, this);
  if (!name.empty()) viewer_->setText(Qs(name));
}

bool TDataLogDialog::Validate() {
  TLoggingSettings s = settings_;
  s.dataType = type_->currentIndex();
  s.intervalFlag = intervals_->isChecked() ? 1 : 0;
  s.useFullSpan = fullSpan_->isChecked() ? 1 : 0;
  s.overwrite = overwrite_->isChecked() ? 1 : 0;
  s.logFileName = Ss(file_->text().trimmed());
  s.logViewerProgram = Ss(viewer_->text().trimmed());
  const double threshold = FieldNumber(Ss(threshold_->text()));
  const double interval = FieldNumber(Ss(interval_->Text()));
  const double start = FieldNumber(Ss(start_->Text()));
  const double stop = FieldNumber(Ss(stop_->Text()));
  // Fields that are not numbers keep their values (a disabled field is never read).
  if (threshold == threshold) s.threshold = static_cast<float>(threshold);
  if (s.intervalFlag != 0) s.intervalSecs = static_cast<float>(interval);
  if (s.useFullSpan == 0) {
    s.startFreqHz = static_cast<float>(start);
    s.stopFreqHz = static_cast<float>(stop);
  }
  const std::string problem = CheckLoggingSetup(s, highestHz_);
  if (!problem.empty()) {
    QWidget* field = problem.rfind("Update", 0) == 0  ? interval_->Edit()
                     : problem.rfind("Start", 0) == 0 ? start_->Edit()
                                                      : stop_->Edit();
    Refuse(problem, MessageIcon::Error, field);
    return false;
  }
  if (s.logFileName.empty()) {
    Refuse("Please enter the name of the log file.", MessageIcon::Error, file_);
    return false;
  }
  settings_ = s;
  return true;
}

bool RunDataLogSetup(QWidget* parent, TAnalyzerCore& core) {
  auto* module = core.FindModule<TDataLogModule>(TDataLogModule::kName);
  if (!module) return false;
  const bool wasRunning = core.IsRunning();
  core.Stop();
  const bool wasOn = module->On();
  module->SwitchOff();

  const TSpectralData* first = DisplaySpectra(core.Engine()).first;
  const float highest = first && !first->Error() ? first->Nyquist() : kHighestWithoutSpectrumHz;
  TDataLogDialog dialog(parent, core.Settings().logging, highest, Qs(core.LastFolder(kFolderLog)));
  const bool accepted = dialog.exec() == QDialog::Accepted;
  if (accepted) {
    const TLoggingSettings settings = dialog.Settings();
    if (!dialog.PickedFolder().isEmpty()) core.SetLastFolder(kFolderLog, Ss(dialog.PickedFolder()));
    core.ChangeSettings([&settings](TAnalyzerSettings& s) { s.logging = settings; },
                        SettingsOrigin::Dialog);
    if (wasOn || Messages().Ask(kAskEnable, kProgramTitle, MessageButtons::YesNo,
                                MessageAnswer::Yes, MessageIcon::Question) == MessageAnswer::Yes) {
      module->SwitchOn();
    }
  } else if (wasOn) {
    module->SwitchOn();
  }
  if (wasRunning) core.Start();
  return accepted;
}

void SetDataLogFileChooser(TFileChooser* chooser) {
  g_chooser = chooser;
}

void RegisterDataLogDialog() {
  RegisterDialog(kCmdLoggingSetup, RunDataLogSetup);
}

}  // namespace orvanix
