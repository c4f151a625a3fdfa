#include "app/dialogs/SettingsDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "acquisition/SoundPort.h"
#include "acquisition/SoundTexts.h"
#include "app/dialogs/DialogTexts.h"
#include "engine/SettingsTexts.h"
#include "engine/Smoothing.h"

namespace orvanix {

namespace {

// The choice text of a channel-processing mode: its report line after the last tab.
QString ModeText(uint16_t mode) {
  const std::string line = ChannelProcessingReportText(mode);
  const size_t tab = line.rfind('\t');
  return Qs(tab == std::string::npos ? line : line.substr(tab + 1));
}

QString AverageText(int32_t blocks) {
  return blocks == kInfiniteAverages ? Qs(kInfiniteText) : QString::number(blocks);
}

QHBoxLayout* Row(std::initializer_list<QWidget*> widgets) {
  auto* row = new QHBoxLayout;
  for (QWidget* w : widgets) row->addWidget(w);
  row->addStretch(1);
  return row;
}

}  // namespace

TInputCapabilities CapabilitiesOf(const TSoundPort& port) {
  TInputCapabilities caps;
  if (port.Error() || !port.HasDevice()) return caps;
  caps.fixedRates = port.DiscreteRates();
  caps.highestRateHz = port.HighestRate();
  caps.maxChannels = port.MaxChannels();
  for (uint32_t bytes = 1; bytes <= 3; ++bytes) caps.bytes[bytes - 1] = port.SupportsBytes(bytes);
  const TSoundPort* p = &port;
  caps.refusal = [p](uint32_t rateHz, uint16_t channels, uint16_t bytes) -> std::string {
    if (p->TestFormat(rateHz, bytes, channels)) return {};
    // The port words a refused rate for its own current width and channels; when the rate
    // alone is fine there, the combination is refused with the range message.
    std::string text = p->DiscreteRates() ? p->RateRefusalText(rateHz) : std::string();
    if (text.empty()) {
      text = Format(kSoundRateRange, static_cast<long>(p->LowestRate()),
                    static_cast<long>(p->HighestRate()));
    }
    return text;
  };
  return caps;
}

TSettingsDialog::TSettingsDialog(QWidget* parent, const ProcessingSettings& current,
                                 const TProcessingContext& context)
    : TDialogBase(parent, dlgtext::kSettingsTitle, true),
      current_(current),
      result_(current),
      context_(context) {
  SetBody(BuildLayout());
  Show(current_, true);
  UpdateDependents();
}

QLayout* TSettingsDialog::BuildLayout() {
  using namespace dlgtext;

  // Sampling.
  f_.rate = new QComboBox;
  f_.rate->setEditable(true);
  f_.rate->setInsertPolicy(QComboBox::NoInsert);
  for (uint32_t rate : StandardRates()) {
    const bool offered =
        !context_.input.refusal ||
        context_.input.refusal(rate, current_.format.channels, current_.format.bytesPerSample)
            .empty();
    if (offered) f_.rate->addItem(QString::number(rate));
  }
  f_.bits8 = new QRadioButton(Qs(kBits8));
  f_.bits16 = new QRadioButton(Qs(kBits16));
  f_.bits24 = new QRadioButton(Qs(kBits24));
  f_.mono = new QRadioButton(Qs(kMono));
  f_.stereo = new QRadioButton(Qs(kStereo));
  auto* bitsGroup = new QButtonGroup(this);
  bitsGroup->addButton(f_.bits8);
  bitsGroup->addButton(f_.bits16);
  bitsGroup->addButton(f_.bits24);
  auto* channelsGroup = new QButtonGroup(this);
  channelsGroup->addButton(f_.mono);
  channelsGroup->addButton(f_.stereo);
  auto* sampling = new QGroupBox(Qs(kSamplingGroup));
  auto* samplingForm = new QFormLayout(sampling);
  samplingForm->addRow(Qs(kSamplingRate), f_.rate);
  samplingForm->addRow(Row({f_.bits8, f_.bits16, f_.bits24}));
  samplingForm->addRow(Row({f_.mono, f_.stereo}));

  // FFT, window and decimation.
  f_.fftSize = new QComboBox;
  for (int32_t n = kMinFftSize; n <= kMaxFftSize; n *= 2) f_.fftSize->addItem(QString::number(n));
  f_.window = new QComboBox;
  for (uint16_t type = 0; type < kWindowTypeCount; ++type) {
    f_.window->addItem(Qs(kWindowTypeNames[type]));
  }
  f_.decimation = new TNumberScrollEdit(1, kMaxDecimationRatio);
  f_.lowPass = new QCheckBox(Qs(kLowPass));
  auto* fft = new QGroupBox(Qs(kFftGroup));
  auto* fftForm = new QFormLayout(fft);
  fftForm->addRow(Qs(kFftSize), f_.fftSize);
  fftForm->addRow(Qs(kSmoothingWindow), f_.window);
  fftForm->addRow(Qs(kDecimationRatio), f_.decimation);
  fftForm->addRow(f_.lowPass);

  // Averaging.
  f_.exponential = new QRadioButton(Qs(kExponential));
  f_.linear = new QRadioButton(Qs(kLinear));
  f_.vector = new QRadioButton(Qs(kVector));
  auto* averageGroup = new QButtonGroup(this);
  averageGroup->addButton(f_.exponential);
  averageGroup->addButton(f_.linear);
  averageGroup->addButton(f_.vector);
  f_.averageBlocks = new QComboBox;
  for (int32_t blocks : AverageBlockChoices()) f_.averageBlocks->addItem(AverageText(blocks));
  f_.peakHold = new QCheckBox(Qs(kPeakHold));
  auto* averaging = new QGroupBox(Qs(kAveragingGroup));
  auto* averagingForm = new QFormLayout(averaging);
  averagingForm->addRow(Row({f_.exponential, f_.linear, f_.vector}));
  averagingForm->addRow(Qs(kAverageCount), f_.averageBlocks);
  averagingForm->addRow(f_.peakHold);

  // Overlap.
  f_.overlap = new TNumberScrollEdit(0, 99);
  auto* overlap = new QGroupBox(Qs(kOverlapGroup));
  auto* overlapForm = new QFormLayout(overlap);
  overlapForm->addRow(Qs(kOverlapPercentage), f_.overlap);
  overlapForm->addRow(new QLabel(Qs(kPostProcessingOnly)));
  f_.overlap->setEnabled(context_.postProcessing);

  // Dual-channel processing.
  f_.channelProcessing = new QComboBox;
  for (uint16_t mode = 0; mode < kChannelProcessingModes; ++mode) {
    f_.channelProcessing->addItem(ModeText(mode));
  }
  auto* dual = new QGroupBox(Qs(kDualChannelGroup));
  auto* dualLayout = new QVBoxLayout(dual);
  dualLayout->addWidget(f_.channelProcessing);

  // Channel delay.
  f_.delay = new QLineEdit;
  f_.delay->setMaximumWidth(100);
  f_.delayLeft = new QRadioButton(Qs(kLeft));
  f_.delayRight = new QRadioButton(Qs(kRight));
  auto* delayGroup = new QButtonGroup(this);
  delayGroup->addButton(f_.delayLeft);
  delayGroup->addButton(f_.delayRight);
  auto* delay = new QGroupBox(Qs(kDelayGroup));
  auto* delayForm = new QFormLayout(delay);
  delayForm->addRow(Qs(kDelayTime), f_.delay);
  delayForm->addRow(Qs(kDelayChannel), Row({f_.delayLeft, f_.delayRight}));

  // Overload.
  f_.overload = new QCheckBox(Qs(kOverloadDetection));
  f_.exclude = new QCheckBox(Qs(kExcludeOverloaded));
  auto* overload = new QGroupBox(Qs(kOverloadGroup));
  auto* overloadLayout = new QVBoxLayout(overload);
  overloadLayout->addWidget(f_.overload);
  overloadLayout->addWidget(f_.exclude);

  // Derived texts.
  f_.lineResolution = new QLabel;
  f_.frequencyLimit = new QLabel;
  f_.timeResolution = new QLabel;
  auto* derived = new QGroupBox(Qs(kFrequencyRangeGroup));
  auto* derivedForm = new QFormLayout(derived);
  derivedForm->addRow(Qs(kLineResolutionLabel), f_.lineResolution);
  derivedForm->addRow(Qs(kFrequencyLimitLabel), f_.frequencyLimit);
  derivedForm->addRow(Qs(kTimeResolutionLabel), f_.timeResolution);

  if (!context_.formatEditable) {
    for (QWidget* w : std::initializer_list<QWidget*>{f_.rate, f_.bits8, f_.bits16, f_.bits24,
                                                      f_.mono, f_.stereo}) {
      w->setEnabled(false);
    }
  } else {
    // Widths and channels the device cannot do are offered only when already chosen.
    const bool stereo = current_.format.channels >= 2;
    if (context_.input.maxChannels < 2 && !stereo) f_.stereo->setEnabled(false);
    QRadioButton* widths[3] = {f_.bits8, f_.bits16, f_.bits24};
    for (int i = 0; i < 3; ++i) {
      if (!context_.input.bytes[i] && current_.format.bytesPerSample != i + 1) {
        widths[i]->setEnabled(false);
      }
    }
  }

  // Live updates.
  auto update = [this] { UpdateDependents(); };
  connect(f_.rate, &QComboBox::currentTextChanged, this, update);
  connect(f_.fftSize, &QComboBox::currentIndexChanged, this, update);
  connect(f_.decimation->Edit(), &QLineEdit::textChanged, this, update);
  connect(f_.overlap->Edit(), &QLineEdit::textChanged, this, update);
  connect(f_.mono, &QRadioButton::toggled, this, update);
  connect(f_.overload, &QCheckBox::toggled, this, update);

  auto* left = new QVBoxLayout;
  left->addWidget(sampling);
  left->addWidget(fft);
  left->addWidget(averaging);
  left->addStretch(1);
  auto* right = new QVBoxLayout;
  right->addWidget(overlap);
  right->addWidget(dual);
  right->addWidget(delay);
  right->addWidget(overload);
  right->addWidget(derived);
  right->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  return columns;
}

void TSettingsDialog::Show(const ProcessingSettings& s, bool withFormat) {
  if (withFormat) {
    f_.rate->setEditText(QString::number(s.format.sampleRate));
    f_.bits8->setChecked(s.format.bytesPerSample == 1);
    f_.bits16->setChecked(s.format.bytesPerSample != 1 && s.format.bytesPerSample != 3);
    f_.bits24->setChecked(s.format.bytesPerSample == 3);
    f_.mono->setChecked(s.format.channels < 2);
    f_.stereo->setChecked(s.format.channels >= 2);
  }
  f_.fftSize->setCurrentIndex(static_cast<int>(FftSizeIndex(s.fftSize)));
  f_.decimation->SetText(QString::number(s.decimationRatio));
  f_.lowPass->setChecked(s.lowPassFilter != 0);
  f_.window->setCurrentIndex(s.smoothingWindow < kWindowTypeCount ? int{s.smoothingWindow}
                                                                  : int{kWindowHanning});
  f_.exponential->setChecked(s.averageType != kAverageLinear && s.averageType != kAverageVector);
  f_.linear->setChecked(s.averageType == kAverageLinear);
  f_.vector->setChecked(s.averageType == kAverageVector);
  f_.averageBlocks->setCurrentIndex(static_cast<int>(AverageBlockIndex(s.averageBlocks)));
  f_.peakHold->setChecked(s.peakHold != 0);
  f_.overlap->SetText(QString::number(s.overlapPercent));
  f_.channelProcessing->setCurrentIndex(
      s.channelProcessing < kChannelProcessingModes ? int{s.channelProcessing} : int{kLeftOnly});
  f_.delay->setText(FloatText(s.delayTimeMsec));
  f_.delayLeft->setChecked(s.delayChannel == 0);
  f_.delayRight->setChecked(s.delayChannel != 0);
  f_.overload->setChecked(s.overloadDetection != 0);
  f_.exclude->setChecked(s.excludeOverloaded != 0);
}

TProcessingForm TSettingsDialog::Form() const {
  TProcessingForm form;
  form.rateText = Ss(f_.rate->currentText());
  form.bytesPerSample = f_.bits8->isChecked() ? 1 : f_.bits24->isChecked() ? 3 : 2;
  form.channels = f_.stereo->isChecked() ? 2 : 1;
  form.fftSize = kMinFftSize << std::max(0, f_.fftSize->currentIndex());
  form.decimationText = Ss(f_.decimation->Text());
  form.lowPass = f_.lowPass->isChecked();
  const std::vector<int32_t>& choices = AverageBlockChoices();
  const int blocks = f_.averageBlocks->currentIndex();
  form.averageBlocks = blocks >= 0 && static_cast<size_t>(blocks) < choices.size()
                           ? choices[static_cast<size_t>(blocks)]
                           : choices.back();
  form.smoothingWindow = static_cast<uint16_t>(std::max(0, f_.window->currentIndex()));
  form.averageType = f_.linear->isChecked()   ? kAverageLinear
                     : f_.vector->isChecked() ? kAverageVector
                                              : kAverageExponential;
  form.peakHold = f_.peakHold->isChecked();
  form.overlapText = Ss(f_.overlap->Text());
  form.channelProcessing = static_cast<uint16_t>(std::max(0, f_.channelProcessing->currentIndex()));
  form.delayText = Ss(f_.delay->text());
  form.delayChannel = f_.delayRight->isChecked() ? 1 : 0;
  form.overloadDetection = f_.overload->isChecked();
  form.excludeOverloaded = f_.exclude->isChecked();
  return form;
}

bool TSettingsDialog::Validate() {
  const TProcessingCheck check = ValidateProcessingForm(Form(), context_, current_, result_);
  if (check.Ok()) return true;
  QWidget* field = nullptr;
  switch (check.field) {
    case ProcessingField::Rate:
      field = f_.rate;
      if (!check.resetText.empty()) f_.rate->setEditText(Qs(check.resetText));
      break;
    case ProcessingField::Decimation:
      field = f_.decimation->Edit();
      break;
    case ProcessingField::Overlap:
      field = f_.overlap->Edit();
      if (!check.resetText.empty()) f_.overlap->SetText(Qs(check.resetText));
      break;
    case ProcessingField::Delay:
      field = f_.delay;
      break;
    case ProcessingField::FftSize:
      field = f_.fftSize;
      break;
    case ProcessingField::None:
      break;
  }
  Refuse(check.message, check.icon, field);
  return false;
}

void TSettingsDialog::LoadDefaults() {
  ProcessingSettings defaults = DefaultsButtonSettings();
  defaults.rateCorrection = current_.rateCorrection;
  Show(defaults, context_.formatEditable);
  UpdateDependents();
}

void TSettingsDialog::UpdateDependents() {
  const bool stereo =
      context_.formatEditable ? f_.stereo->isChecked() : current_.format.channels >= 2;
  f_.channelProcessing->setEnabled(stereo);
  f_.exclude->setEnabled(f_.overload->isChecked());
  UpdateDerivedTexts();
}

void TSettingsDialog::UpdateDerivedTexts() {
  // The texts follow the fields as typed; while a field does not hold a usable number
  // they are left empty rather than showing a value OK would refuse.
  ProcessingSettings s = current_;
  long long rate = 0, decimation = 0, overlap = 0;
  bool usable = ParseInteger(Ss(f_.rate->currentText()), rate) && rate > 0 && rate <= UINT32_MAX;
  usable = usable && ParseInteger(Ss(f_.decimation->Text()), decimation) && decimation >= 1 &&
           decimation <= kMaxDecimationRatio;
  if (context_.postProcessing) {
    usable =
        usable && ParseInteger(Ss(f_.overlap->Text()), overlap) && overlap >= 0 && overlap <= 99;
  }
  if (!usable) {
    f_.lineResolution->clear();
    f_.frequencyLimit->clear();
    f_.timeResolution->clear();
    return;
  }
  if (context_.formatEditable) s.format.sampleRate = static_cast<uint32_t>(rate);
  s.fftSize = kMinFftSize << std::max(0, f_.fftSize->currentIndex());
  s.decimationRatio = static_cast<uint16_t>(decimation);
  s.overlapPercent = static_cast<uint16_t>(overlap);
  f_.lineResolution->setText(Qs(SpectralLineResolutionText(s)));
  f_.frequencyLimit->setText(Qs(FrequencyLimitText(s)));
  f_.timeResolution->setText(Qs(TimeResolutionText(s, context_.postProcessing)));
}

}  // namespace orvanix
