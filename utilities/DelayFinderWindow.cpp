#include "utilities/DelayFinderWindow.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "app/dialogs/DialogChecks.h"
#include "app/gui/GuiRegistry.h"
#include "files/Configuration.h"
#include "utilities/UtilitiesModule.h"

namespace orvanix {

namespace {

constexpr int kMinWidth = 342;
constexpr int kMinHeight = 100;

QString DelayMsecText(float msec) {
  return QString::asprintf("%6.3f msec", msec);
}

}  // namespace

TDelayFinderWindow::TDelayFinderWindow(TAnalyzerCore& core, QWidget* parent)
    : QWidget(parent), core_(core) {
  setObjectName("DelayFinderClass");
  setWindowTitle("Delay Finder");
  module_ = core.FindModule<TUtilitiesModule>(TUtilitiesModule::kName);
  options_ = new QPushButton("Options...", this);
  apply_ = new QPushButton("Apply to Processing Delay -->", this);
  edit_ = new QLineEdit(this);
  options_->setObjectName("Options");
  apply_->setObjectName("Apply");
  edit_->setObjectName("ProcessingDelay");
  connect(options_, &QPushButton::clicked, this, [this] { ShowOptions(); });
  connect(apply_, &QPushButton::clicked, this, [this] {
    if (module_) module_->ApplyDelay();
    ShowProcessingDelay();
  });
  connect(edit_, &QLineEdit::editingFinished, this, [this] { EditFinished(); });
  setMinimumSize(kMinWidth, kMinHeight);
  ShowProcessingDelay();
  if (module_) module_->SetDelayChangeHandler([this] { update(0, 0, width(), height() - 25); });
  // Mono: the module says so; the window closes once it stands in its frame.
  if (!module_ || !module_->OpenDelayFinder()) {
    QTimer::singleShot(0, this, [this] {
      if (auto* child = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        child->close();
      } else {
        close();
      }
    });
  }
}

TDelayFinderWindow::~TDelayFinderWindow() {
  if (module_) {
    module_->SetDelayChangeHandler({});
    module_->CloseDelayFinder();
  }
}

QString TDelayFinderWindow::Reading() const {
  return module_ ? Qs(module_->DelayReading()) : QString();
}

void TDelayFinderWindow::ShowProcessingDelay() {
  edit_->setText(DelayMsecText(core_.Settings().processing.delayTimeMsec));
}

void TDelayFinderWindow::EditFinished() {
  if (!module_) return;
  const double value = FieldNumber(Ss(edit_->text()));
  module_->SetProcessingDelay(std::isnan(value) ? 0.0 : value);
  ShowProcessingDelay();
}

void TDelayFinderWindow::ShowOptions() {
  if (!module_) return;
  const bool running = core_.IsRunning();
  if (running) core_.Stop();
  TDelayFinderOptionsDialog dialog(this, core_.Settings().delayFinder);
  if (dialog.exec() == QDialog::Accepted) module_->SetDelayOptions(dialog.Options());
  update();
  if (running) core_.Start();
}

void TDelayFinderWindow::SettingsChanged() {
  ShowProcessingDelay();
  update();
}

void TDelayFinderWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  const int lineY = height() - 27;
  painter.setPen(palette().windowText().color());
  painter.drawLine(0, lineY, width(), lineY);
  const QString text = Reading();
  // As large as the window allows: the height of the client less the controls, the width
  // shared by the characters and two more.
  const int fontHeight = height() - 28;
  const int charWidth = width() / (static_cast<int>(text.size()) + 2);
  if (fontHeight > 500 || charWidth > 500 || fontHeight < 4 || charWidth < 2) return;
  QFont font("Arial");
  font.setPixelSize(std::min(fontHeight, 2 * charWidth));
  painter.setFont(font);
  painter.drawText(QRect(0, 0, width(), lineY), Qt::AlignHCenter | Qt::AlignVCenter, text);
}

void TDelayFinderWindow::resizeEvent(QResizeEvent*) {
  const int y = height() - 22;
  options_->setGeometry(2, y, 60, 20);
  apply_->setGeometry(66, y, 180, 20);
  edit_->setGeometry(250, y, 78, 20);
}

bool TDelayFinderWindow::event(QEvent* event) {
  if (event->type() == QEvent::ParentChange) {
    if (auto* child = qobject_cast<QMdiSubWindow*>(parentWidget())) {
      child->setMinimumSize(child->sizeHint().boundedTo(QSize(kMinWidth, kMinHeight)));
    }
  }
  return QWidget::event(event);
}

// ---------------------------------------------------------------- the options dialog

TDelayFinderOptionsDialog::TDelayFinderOptionsDialog(QWidget* parent,
                                                     const TDelayFinderOptions& options)
    : TDialogBase(parent, "Delay Finder Options", true), options_(options) {
  auto* body = new QVBoxLayout;
  auto* group = new QGroupBox("Display Delay Value In:");
  auto* radios = new QVBoxLayout(group);
  const char* labels[3] = {"Milli&seconds", "&Feet", "&Meters"};
  for (int i = 0; i < 3; ++i) {
    units_[i] = new QRadioButton(labels[i]);
    radios->addWidget(units_[i]);
  }
  body->addWidget(group);
  auto* speedRow = new QHBoxLayout;
  speedRow->addWidget(new QLabel("Speed of Sound (ft/sec):"));
  speed_ = new QLineEdit;
  speedRow->addWidget(speed_);
  body->addLayout(speedRow);
  auto* delayRow = new QHBoxLayout;
  delayRow->addWidget(new QLabel("Maximum Delay (milliseconds):"));
  maxDelay_ = new QLineEdit;
  delayRow->addWidget(maxDelay_);
  body->addLayout(delayRow);
  SetBody(body);
  Show(options);
}

void TDelayFinderOptionsDialog::Show(const TDelayFinderOptions& options) {
  units_[std::clamp(options.displayUnits, 0, 2)]->setChecked(true);
  speed_->setText(QString::asprintf("%6.1f", options.speedOfSound).trimmed());
  maxDelay_->setText(QString::number(options.maxDelayMsec));
}

bool TDelayFinderOptionsDialog::Validate() {
  const double speed = FieldNumber(Ss(speed_->text()));
  if (!(speed >= 10 && speed <= 100000)) {
    Refuse(kSpeedOfSoundRange, MessageIcon::Warning, speed_);
    return false;
  }
  const double delay = FieldNumber(Ss(maxDelay_->text()));
  if (!(delay >= 10 && delay <= 1000)) {
    Refuse(kMaxDelayRange, MessageIcon::Warning, maxDelay_);
    return false;
  }
  for (int i = 0; i < 3; ++i) {
    if (units_[i]->isChecked()) options_.displayUnits = i;
  }
  options_.speedOfSound = static_cast<float>(speed);
  options_.maxDelayMsec = static_cast<int32_t>(delay);
  return true;
}

void TDelayFinderOptionsDialog::LoadDefaults() {
  Show(TDelayFinderOptions{});
}

void RegisterDelayFinderWindow() {
  RegisterWindow(kWindowDelayFinder, [](TAnalyzerCore& core, TAnalyzerObserver*& observer) {
    auto* window = new TDelayFinderWindow(core);
    observer = window;
    return static_cast<QWidget*>(window);
  });
}

}  // namespace orvanix
