#include "measure/SegmentDialogs.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include "app/core/AnalyzerCore.h"
#include "app/dialogs/DialogChecks.h"
#include "app/gui/GuiRegistry.h"
#include "files/Configuration.h"
#include "measure/SegmentModule.h"

namespace orvanix {

namespace {

constexpr const char* kTitle = "Equivalent Noise Level Options";
constexpr const char* kTimeLabel = "Leq(t) Reference Time Period (seconds)";
constexpr const char* kWeightingLabel = "Weighting Type";
constexpr const char* kWeightings[] = {"Flat", "A", "B", "C"};
constexpr const char* kTimeRefused = "Leq Reference Time must be greater than zero";
constexpr int kDefaultReferenceSecs = 3600;

}  // namespace

TLeqOptionsDialog::TLeqOptionsDialog(QWidget* parent, const TLeqSettings& settings)
    : TDialogBase(parent, kTitle, false), settings_(settings) {
  auto* form = new QFormLayout;
  time_ = new QLineEdit(this);
  time_->setText(QString::number(settings.referenceTimePeriodSecs > 0
                                     ? settings.referenceTimePeriodSecs
                                     : kDefaultReferenceSecs));
  weighting_ = new QComboBox(this);
  for (const char* name : kWeightings) weighting_->addItem(Qs(name));
  weighting_->setCurrentIndex(std::clamp(settings.weightingType, 0, 3));
  form->addRow(new QLabel(Qs(kTimeLabel), this), time_);
  form->addRow(new QLabel(Qs(kWeightingLabel), this), weighting_);
  SetBody(form);
}

bool TLeqOptionsDialog::Validate() {
  long long seconds = 0;
  if (!ParseInteger(Ss(time_->text()), seconds) || seconds <= 0 || seconds > INT32_MAX) {
    Refuse(kTimeRefused, MessageIcon::Error, time_);
    return false;
  }
  settings_.referenceTimePeriodSecs = static_cast<int32_t>(seconds);
  settings_.weightingType = weighting_->currentIndex();
  return true;
}

bool RunLeqCommand(QWidget* parent, TAnalyzerCore& core) {
  auto* module = core.FindModule<TSegmentModule>(TSegmentModule::kName);
  if (!module || !module->SegmentCheck(true)) return false;
  TLeqOptionsDialog dialog(parent, core.Settings().leq);
  if (dialog.exec() != QDialog::Accepted) return false;
  const TLeqSettings chosen = dialog.Settings();
  core.ChangeSettings([&chosen](TAnalyzerSettings& s) { s.leq = chosen; }, SettingsOrigin::Outside);
  return module->Leq(chosen.referenceTimePeriodSecs, chosen.weightingType);
}

void RegisterSegmentDialogs() {
  RegisterDialog(kCmdSegmentLeq, RunLeqCommand);
}

}  // namespace orvanix
