#include "app/dialogs/SpectrogramOptsDialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/PlotDialogTexts.h"

namespace orvanix {

TSpectrogramOptsDialog::TSpectrogramOptsDialog(QWidget* parent, const TSpectrogramOptions& current,
                                               bool logAmplitude, double highestHz)
    : TPlotOptsDialogBase(parent, dlgtext::kSpectrogramOptsTitle, logAmplitude, highestHz),
      result_(current) {
  SetBody(BuildLayout());
  Show(current);
}

int32_t TSpectrogramOptsDialog::DirectionOfButton(int button) {
  static constexpr int32_t kDirections[4] = {2, 3, 0, 1};  // Up, Down, Left, Right
  return button >= 0 && button < 4 ? kDirections[button] : 0;
}

QLayout* TSpectrogramOptsDialog::BuildLayout() {
  using namespace dlgtext;
  QGroupBox* axes = BuildAxes(true);
  QGroupBox* span = BuildSpan();

  f_.up = new QRadioButton(Qs(kDirectionUp));
  f_.down = new QRadioButton(Qs(kDirectionDown));
  f_.left = new QRadioButton(Qs(kDirectionLeft));
  f_.right = new QRadioButton(Qs(kDirectionRight));
  auto* directionButtons = new QButtonGroup(this);
  auto* direction = new QGroupBox(Qs(kDirectionGroup));
  auto* directionLayout = new QGridLayout(direction);
  int i = 0;
  for (QRadioButton* b : {f_.up, f_.down, f_.left, f_.right}) {
    directionButtons->addButton(b, i);
    directionLayout->addWidget(b, i / 2, i % 2);
    ++i;
  }

  f_.fullColor = new QRadioButton(Qs(kFullColor));
  f_.grayScale = new QRadioButton(Qs(kGrayScale));
  f_.customColors = new QRadioButton(Qs(kCustomColors));
  auto* colorButtons = new QButtonGroup(this);
  colorButtons->addButton(f_.fullColor);
  colorButtons->addButton(f_.grayScale);
  colorButtons->addButton(f_.customColors);
  f_.minColor = new TColorButton(Qs(kMinCustomColor), 0);
  f_.maxColor = new TColorButton(Qs(kMaxCustomColor), 0);
  f_.minColor->setAutoDefault(false);
  f_.maxColor->setAutoDefault(false);
  f_.intensity = new QScrollBar(Qt::Horizontal);
  f_.intensity->setRange(-100, 100);
  connect(f_.intensity, &QScrollBar::valueChanged, this, [this](int value) {
    if (value == result_.intensity) return;
    // True-colour displays have no palette to shift.
    Refuse(kIntensityMessage, MessageIcon::Information, nullptr);
    f_.intensity->setValue(result_.intensity);
  });
  auto* colors = new QGroupBox(Qs(kColorModeGroup));
  auto* colorLayout = new QGridLayout(colors);
  colorLayout->addWidget(f_.fullColor, 0, 0);
  colorLayout->addWidget(f_.grayScale, 1, 0);
  colorLayout->addWidget(f_.customColors, 2, 0);
  colorLayout->addWidget(f_.minColor, 2, 1);
  colorLayout->addWidget(f_.maxColor, 2, 2);
  colorLayout->addWidget(new QLabel(Qs(kIntensity)), 3, 0);
  colorLayout->addWidget(f_.intensity, 3, 1, 1, 2);

  auto* left = new QVBoxLayout;
  left->addWidget(axes);
  left->addWidget(span);
  left->addWidget(BuildUpdate());
  auto* right = new QVBoxLayout;
  right->addWidget(direction);
  right->addWidget(colors);
  right->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  return columns;
}

void TSpectrogramOptsDialog::Show(const TSpectrogramOptions& s) {
  ShowSpanned(s);
  QRadioButton* directions[4] = {f_.up, f_.down, f_.left, f_.right};
  for (int b = 0; b < 4; ++b) directions[b]->setChecked(DirectionOfButton(b) == s.direction);
  f_.fullColor->setChecked(s.colorMode != 1 && s.colorMode != 2);
  f_.grayScale->setChecked(s.colorMode == 1);
  f_.customColors->setChecked(s.colorMode == 2);
  f_.minColor->SetColorRef(s.minCustomColor);
  f_.maxColor->SetColorRef(s.maxCustomColor);
  const QSignalBlocker block(f_.intensity);
  f_.intensity->setValue(s.intensity);
}

bool TSpectrogramOptsDialog::Validate() {
  TSpectrogramOptions s = result_;
  if (!CheckSpanned(s)) return false;
  QRadioButton* directions[4] = {f_.up, f_.down, f_.left, f_.right};
  for (int b = 0; b < 4; ++b) {
    if (directions[b]->isChecked()) s.direction = DirectionOfButton(b);
  }
  s.colorMode = f_.grayScale->isChecked() ? 1 : f_.customColors->isChecked() ? 2 : 0;
  s.minCustomColor = f_.minColor->ColorRef();
  s.maxCustomColor = f_.maxColor->ColorRef();
  result_ = s;
  return true;
}

void TSpectrogramOptsDialog::LoadDefaults() {
  TSpectrogramOptions defaults;
  defaults.intensity = result_.intensity;
  Show(defaults);
}

}  // namespace orvanix
