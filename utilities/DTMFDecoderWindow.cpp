#include "utilities/DTMFDecoderWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFormLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include "app/core/Commands.h"
#include "app/dialogs/DialogChecks.h"
#include "app/gui/GuiRegistry.h"
#include "app/gui/MainWin.h"
#include "app/gui/ViewWindows.h"
#include "utilities/UtilitiesModule.h"

namespace orvanix {

namespace {

constexpr int kMinWidth = 300;
constexpr int kMinHeight = 100;

}  // namespace

TDTMFDecoder::TDTMFDecoder(TAnalyzerCore& core, QWidget* parent) : QWidget(parent), core_(core) {
  setObjectName("TDTMFDecoderClass");
  setWindowTitle("DTMF Decoder");
  module_ = core.FindModule<TUtilitiesModule>(TUtilitiesModule::kName);
  clear_ = new QPushButton("Clear", this);
  options_ = new QPushButton("Options...", this);
  clear_->setObjectName("101");
  options_->setObjectName("102");
  connect(clear_, &QPushButton::clicked, this, [this] { Clear(); });
  connect(options_, &QPushButton::clicked, this, [this] { ShowOptions(); });
  options_->setEnabled(module_ && !StationMode());
  clear_->setEnabled(module_ != nullptr);
  setMinimumSize(kMinWidth, kMinHeight);
  if (module_) {
    module_->OpenDtmfDecoder();
    // A key appended: the text area (all but the bottom 25 pixels) again.
    module_->SetDtmfChangeHandler([this] { update(0, 0, width(), height() - 25); });
  }
}

TDTMFDecoder::~TDTMFDecoder() {
  if (module_) {
    module_->SetDtmfChangeHandler({});
    module_->CloseDtmfDecoder();
  }
}

bool TDTMFDecoder::StationMode() {
  for (const QString& argument : QCoreApplication::arguments().mid(1)) {
    if (argument.contains("dtmf.cfg", Qt::CaseInsensitive)) return true;
  }
  return false;
}

QString TDTMFDecoder::Line(int channel) const {
  return module_ ? Qs(module_->Dtmf(channel).Keys()) : QString();
}

void TDTMFDecoder::Clear() {
  if (module_) module_->ClearDtmf();
  update();
}

void TDTMFDecoder::ShowOptions() {
  if (!module_ || StationMode()) return;
  const bool running = core_.IsRunning();
  if (running) core_.Stop();
  TDTMFOptionsDialog dialog(this, module_->DtmfOptions());
  if (dialog.exec() == QDialog::Accepted) module_->SetDtmfOptions(dialog.Options());
  update();
  if (running) core_.Start();
}

void TDTMFDecoder::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  painter.setPen(palette().windowText().color());
  const int lineY = height() - 27;
  painter.drawLine(0, lineY, width(), lineY);
  QFont font("Arial");
  font.setPixelSize(18);
  painter.setFont(font);
  painter.setClipRect(0, 0, width(), lineY);
  // The newest keys matter most: a string wider than the window shows its end.
  for (int channel = 0; channel < 2; ++channel) {
    const QString text = Line(channel);
    const int y = channel == 0 ? 2 : 26;
    const int room = width() - 12;
    const QString shown = painter.fontMetrics().horizontalAdvance(text) > room
                              ? painter.fontMetrics().elidedText(text, Qt::ElideLeft, room)
                              : text;
    painter.drawText(QRect(6, y, room, 24), Qt::AlignLeft | Qt::AlignTop, shown);
  }
}

void TDTMFDecoder::resizeEvent(QResizeEvent*) {
  const int y = height() - 22;
  clear_->setGeometry(2, y, 60, 20);
  options_->setGeometry(66, y, 60, 20);
}

void TDTMFDecoder::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (event->isAccepted() && module_) module_->CloseDtmfDecoder();
  // A decoder station has nothing else to show.
  if (event->isAccepted() && StationMode()) {
    QTimer::singleShot(0, [] {
      if (QWidget* frame = QApplication::activeWindow()) frame->close();
    });
  }
}

// ---------------------------------------------------------------- the options dialog

TDTMFOptionsDialog::TDTMFOptionsDialog(QWidget* parent, const TDtmfDecoderOptions& options)
    : TDialogBase(parent, "DTMF Decoder Options", true), options_(options) {
  setObjectName("DIALOG_DTMF_OPTIONS");
  auto* form = new QFormLayout;
  threshold_ = new QLineEdit(QString::asprintf("%6.2f", options.hitThresholdDb).trimmed());
  duration_ = new QLineEdit(QString::number(options.minDigitDurationMsec));
  spacing_ = new QLineEdit(QString::number(options.minDigitSpacingMsec));
  form->addRow("Hit Threshold Level (dB):", threshold_);
  form->addRow("Minimum Digit Duration (msec):", duration_);
  form->addRow("Minimum Digit Spacing (msec):", spacing_);
  SetBody(form);
}

bool TDTMFOptionsDialog::Validate() {
  const double threshold = FieldNumber(Ss(threshold_->text()));
  if (!(threshold >= -80 && threshold <= 0)) {
    Refuse(kDtmfThresholdRange, MessageIcon::Warning, threshold_);
    return false;
  }
  const double duration = FieldNumber(Ss(duration_->text()));
  if (!(duration >= 1 && duration <= 1000)) {
    Refuse(kDtmfDurationRange, MessageIcon::Warning, duration_);
    return false;
  }
  const double spacing = FieldNumber(Ss(spacing_->text()));
  if (!(spacing >= 1 && spacing <= 1000)) {
    Refuse(kDtmfSpacingRange, MessageIcon::Warning, spacing_);
    return false;
  }
  options_.hitThresholdDb = static_cast<float>(threshold);
  options_.minDigitDurationMsec = static_cast<int32_t>(duration);
  options_.minDigitSpacingMsec = static_cast<int32_t>(spacing);
  return true;
}

void TDTMFOptionsDialog::LoadDefaults() {
  threshold_->setText("-40.0");
  duration_->setText("4");
  spacing_->setText("2");
}

void RegisterDtmfDecoderWindow() {
  // The decoder has no slot among the frame's stored windows: it stands beside them.
  RegisterFrameCommand(kCmdDtmfDecoder, [](TViewWindows& windows, TAnalyzerCore& core) {
    static QPointer<QMdiSubWindow> open;
    if (open) {
      open->close();
      return true;
    }
    auto* frame = dynamic_cast<TMainWin*>(windows.parent());
    if (!frame) return false;
    auto* child = new QMdiSubWindow;
    child->setAttribute(Qt::WA_DeleteOnClose);
    auto* decoder = new TDTMFDecoder(core);
    child->setWidget(decoder);
    child->setWindowTitle(decoder->windowTitle());
    frame->MdiArea()->addSubWindow(child);
    // The content's 300 x 100 pixels and the frame around them.
    child->resize(child->sizeHint().expandedTo(QSize(380, 150)));
    child->show();
    open = child;
    return true;
  });
}

}  // namespace orvanix
