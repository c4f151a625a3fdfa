#include "app/dialogs/DeviceDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "acquisition/SoundPort.h"
#include "app/dialogs/DialogTexts.h"

namespace orvanix {

namespace {

std::vector<std::string> DeviceNames(TSoundDirection direction) {
  std::vector<std::string> names;
  const int count = TSoundPort::DeviceCount(direction);
  for (int id = 0; id < count; ++id) names.push_back(TSoundPort::DeviceName(direction, id));
  return names;
}

// The list index of a stored device number: past the end the last device, as the
// configuration clamps it.
int ListIndex(int32_t deviceId, size_t count) {
  if (count == 0) return -1;
  if (deviceId < 0) return 0;
  return static_cast<size_t>(deviceId) >= count ? static_cast<int>(count) - 1 : deviceId;
}

}  // namespace

TDeviceLists SystemDeviceLists() {
  TDeviceLists lists;
  lists.inputs = DeviceNames(TSoundDirection::Input);
  lists.outputs = DeviceNames(TSoundDirection::Output);
  lists.details = SoundDeviceDetails;
  return lists;
}

std::string DeviceDetailsText(const TDeviceDetails& input, const TDeviceDetails& output) {
  std::string text = Format(dlgtext::kDeviceDetails, DeviceDetailsLines(input).c_str(),
                            DeviceDetailsLines(output).c_str());
  while (!text.empty() && text.back() == '\r') text.pop_back();
  return text;
}

TDeviceDialog::TDeviceDialog(QWidget* parent, const TDeviceSettings& current,
                             const TDeviceLists& devices, std::function<void(MixerSide)> startMixer)
    : TDialogBase(parent, dlgtext::kDeviceTitle, false),
      result_(current),
      devices_(devices),
      startMixer_(std::move(startMixer)) {
  using namespace dlgtext;
  if (!startMixer_) startMixer_ = [](MixerSide side) { StartMixer(side); };

  f_.input = new QComboBox;
  f_.output = new QComboBox;
  for (const std::string& name : devices_.inputs) f_.input->addItem(Qs(name));
  for (const std::string& name : devices_.outputs) f_.output->addItem(Qs(name));
  f_.input->setCurrentIndex(ListIndex(current.inputDeviceId, devices_.inputs.size()));
  f_.output->setCurrentIndex(ListIndex(current.outputDeviceId, devices_.outputs.size()));
  f_.input->setMinimumWidth(320);

  f_.inputMixer = new QPushButton(Qs(kInputMixer));
  f_.outputMixer = new QPushButton(Qs(kOutputMixer));
  f_.details = new QPushButton(Qs(kDeviceDetailsButton));
  connect(f_.inputMixer, &QPushButton::clicked, this, [this] { startMixer_(MixerSide::Input); });
  connect(f_.outputMixer, &QPushButton::clicked, this, [this] { startMixer_(MixerSide::Output); });
  connect(f_.details, &QPushButton::clicked, this, [this] { ShowDetails(); });
  // Enter in a list means OK, not the first push button.
  for (QPushButton* button : {f_.inputMixer, f_.outputMixer, f_.details}) {
    button->setAutoDefault(false);
  }

  auto* form = new QFormLayout;
  form->addRow(Qs(kInputDevice), f_.input);
  form->addRow(QString(), f_.inputMixer);
  form->addRow(Qs(kOutputDevice), f_.output);
  form->addRow(QString(), f_.outputMixer);
  auto* detailsRow = new QHBoxLayout;
  detailsRow->addWidget(f_.details);
  detailsRow->addStretch(1);
  auto* body = new QVBoxLayout;
  body->addLayout(form);
  body->addLayout(detailsRow);
  SetBody(body);
}

void TDeviceDialog::ShowDetails() {
  auto detailsOf = [this](TSoundDirection direction, const QComboBox* list) {
    TDeviceDetails details;
    if (devices_.details) details = devices_.details(direction, list->currentIndex());
    if (!details.known) {
      details.known = true;
      details.name = Ss(list->currentText());
    }
    return details;
  };
  const TDeviceDetails input = detailsOf(TSoundDirection::Input, f_.input);
  const TDeviceDetails output = detailsOf(TSoundDirection::Output, f_.output);
  Messages().Report(DeviceDetailsText(input, output), dlgtext::kDeviceDetailsTitle,
                    MessageIcon::Information);
}

bool TDeviceDialog::Validate() {
  if (f_.input->currentIndex() >= 0) result_.inputDeviceId = f_.input->currentIndex();
  if (f_.output->currentIndex() >= 0) result_.outputDeviceId = f_.output->currentIndex();
  return true;
}

}  // namespace orvanix
