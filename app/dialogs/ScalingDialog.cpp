#include "app/dialogs/ScalingDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <filesystem>

#include "app/dialogs/DialogTexts.h"
#include "engine/SettingsTexts.h"
#include "ui/FileDialogs.h"

namespace orvanix {

TScalingDialog::TScalingDialog(QWidget* parent, const ScalingSettings& current, uint16_t channels,
                               const std::string& micFolder, TFileChooser* chooser)
    : TDialogBase(parent, dlgtext::kScalingTitle, true),
      result_(current),
      channels_(channels),
      micFolder_(micFolder),
      chooser_(chooser) {
  SetBody(BuildLayout());
  Show(current);
}

QLayout* TScalingDialog::BuildLayout() {
  using namespace dlgtext;

  f_.ampLinear = new QRadioButton(Qs(kScaleLinear));
  f_.ampLog = new QRadioButton(Qs(kScaleLogarithmic));
  auto* ampGroup = new QButtonGroup(this);
  ampGroup->addButton(f_.ampLinear);
  ampGroup->addButton(f_.ampLog);
  auto* amplitude = new QGroupBox(Qs(kAmplitudeGroup));
  auto* ampLayout = new QVBoxLayout(amplitude);
  ampLayout->addWidget(f_.ampLinear);
  ampLayout->addWidget(f_.ampLog);

  f_.freqLinear = new QRadioButton(Qs(kFreqLinear));
  f_.freqLog = new QRadioButton(Qs(kFreqLogarithmic));
  f_.freqOctave = new QRadioButton(Qs(kFreqOctave));
  auto* freqGroup = new QButtonGroup(this);
  freqGroup->addButton(f_.freqLinear);
  freqGroup->addButton(f_.freqLog);
  freqGroup->addButton(f_.freqOctave);
  f_.octave = new QComboBox;
  for (uint16_t n : kOctaveChoices) f_.octave->addItem(QString::number(n));
  auto* frequency = new QGroupBox(Qs(kFrequencyGroup));
  auto* freqLayout = new QFormLayout(frequency);
  freqLayout->addRow(f_.freqLinear);
  freqLayout->addRow(f_.freqLog);
  freqLayout->addRow(f_.freqOctave);
  freqLayout->addRow(Qs(kOctaveNumber), f_.octave);

  f_.density = new QCheckBox(Qs(kDensityEnable));
  f_.densityType = new QComboBox;
  f_.densityType->addItem(Qs(kDensityTypeText[0]));
  f_.densityType->addItem(Qs(kDensityTypeText[1]));
  auto* density = new QGroupBox(Qs(kDensityGroup));
  auto* densityLayout = new QVBoxLayout(density);
  densityLayout->addWidget(f_.density);
  densityLayout->addWidget(f_.densityType);

  f_.weighting = new QComboBox;
  for (const char* name : kWeightingNames) f_.weighting->addItem(Qs(name));
  auto* weighting = new QGroupBox(Qs(kWeightingGroup));
  auto* weightingLayout = new QVBoxLayout(weighting);
  weightingLayout->addWidget(f_.weighting);

  f_.mic = new QCheckBox(Qs(kMicEnable));
  f_.micLeft = new QLineEdit;
  f_.micRight = new QLineEdit;
  f_.micLeft->setMaxLength(static_cast<int>(kPathLength - 1));
  f_.micRight->setMaxLength(static_cast<int>(kPathLength - 1));
  f_.micLeft->setMinimumWidth(280);
  f_.browseLeft = new QPushButton(Qs(kBrowse));
  f_.browseRight = new QPushButton(Qs(kBrowse));
  connect(f_.browseLeft, &QPushButton::clicked, this, [this] { BrowseMicFile(0); });
  connect(f_.browseRight, &QPushButton::clicked, this, [this] { BrowseMicFile(1); });
  auto fileRow = [](QLineEdit* edit, QPushButton* browse) {
    auto* row = new QHBoxLayout;
    row->addWidget(edit, 1);
    row->addWidget(browse);
    return row;
  };
  auto* mic = new QGroupBox(Qs(kMicGroup));
  auto* micLayout = new QFormLayout(mic);
  micLayout->addRow(f_.mic);
  micLayout->addRow(Qs(kMicLeft), fileRow(f_.micLeft, f_.browseLeft));
  micLayout->addRow(Qs(kMicRight), fileRow(f_.micRight, f_.browseRight));

  auto update = [this] { UpdateDependents(); };
  connect(f_.freqOctave, &QRadioButton::toggled, this, update);
  connect(f_.density, &QCheckBox::toggled, this, update);
  connect(f_.mic, &QCheckBox::toggled, this, update);

  auto* axes = new QHBoxLayout;
  axes->addWidget(amplitude);
  axes->addWidget(frequency);
  auto* options = new QHBoxLayout;
  options->addWidget(density);
  options->addWidget(weighting);
  auto* body = new QVBoxLayout;
  body->addLayout(axes);
  body->addLayout(options);
  body->addWidget(mic);
  return body;
}

void TScalingDialog::Show(const ScalingSettings& s) {
  f_.ampLinear->setChecked(s.ampScale == 0);
  f_.ampLog->setChecked(s.ampScale != 0);
  f_.freqLinear->setChecked(s.freqScale == 0);
  f_.freqLog->setChecked(s.freqScale != 0 && s.freqScale != 2);
  f_.freqOctave->setChecked(s.freqScale == 2);
  const uint16_t octave = s.EffectiveOctaveNumber();
  for (int i = 0; i < 8; ++i) {
    if (kOctaveChoices[i] == octave) f_.octave->setCurrentIndex(i);
  }
  f_.density->setChecked(s.spectralDensity != 0);
  f_.densityType->setCurrentIndex(s.spectralDensityType == 1 ? 1 : 0);
  f_.weighting->setCurrentIndex(s.weighting < 4 ? s.weighting : 0);
  f_.mic->setChecked(s.micCompensation != 0);
  f_.micLeft->setText(Qs(s.micFileLeft));
  f_.micRight->setText(Qs(s.micFileRight));
  UpdateDependents();
}

void TScalingDialog::UpdateDependents() {
  f_.octave->setEnabled(f_.freqOctave->isChecked());
  f_.densityType->setEnabled(f_.density->isChecked());
  const bool mic = f_.mic->isChecked();
  f_.micLeft->setEnabled(mic);
  f_.browseLeft->setEnabled(mic);
  f_.micRight->setEnabled(mic && channels_ >= 2);
  f_.browseRight->setEnabled(mic && channels_ >= 2);
}

void TScalingDialog::BrowseMicFile(int channel) {
  TFileRequest request;
  request.kind = TFileRequest::Kind::Open;
  request.title = dlgtext::kMicFileTitle;
  request.filter = Format(dlgtext::kMicFilter, dlgtext::kMicFilterName);
  request.folder = micFolder_;
  TQtFileChooser qtChooser;
  TFileChooser& chooser = chooser_ ? *chooser_ : static_cast<TFileChooser&>(qtChooser);
  const std::string path = chooser.Choose(request, this);
  if (path.empty()) return;
  (channel == 0 ? f_.micLeft : f_.micRight)->setText(Qs(path));
  micFolder_ = std::filesystem::path(path).parent_path().string();
}

bool TScalingDialog::Validate() {
  ScalingSettings s = result_;
  s.ampScale = f_.ampLinear->isChecked() ? 0 : 1;
  s.freqScale = f_.freqLinear->isChecked() ? 0 : f_.freqOctave->isChecked() ? 2 : 1;
  const int octave = f_.octave->currentIndex();
  s.octaveNumber = octave >= 0 && octave < 8 ? kOctaveChoices[octave] : uint16_t{3};
  s.spectralDensity = f_.density->isChecked() ? 1 : 0;
  s.spectralDensityType = f_.densityType->currentIndex() == 1 ? 1 : 0;
  s.weighting = static_cast<uint16_t>(std::max(0, f_.weighting->currentIndex()));
  s.micCompensation = f_.mic->isChecked() ? 1 : 0;
  s.micFileLeft = Ss(f_.micLeft->text().trimmed());
  s.micFileRight = Ss(f_.micRight->text().trimmed());
  result_ = s;
  return true;
}

void TScalingDialog::LoadDefaults() {
  Show(ScalingSettings{});
}

}  // namespace orvanix
