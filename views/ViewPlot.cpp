#include "views/ViewPlot.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QSaveFile>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/Messages.h"
#include "views/PlotViewTexts.h"

namespace orvanix {

bool TUpdateGate::Pass(double timeSecs, bool periodic, double intervalSecs, bool positiveOnly) {
  if (!periodic) return true;
  if (positiveOnly && !(timeSecs > 0.0)) return true;
  // The interval is stored as a float (0.1 is 0.100000001): a microsecond of tolerance keeps
  // its rounding from deciding.
  if (timeSecs + 1e-6 >= last_ + intervalSecs) {
    last_ = timeSecs;
    return true;
  }
  if (timeSecs < last_) last_ = 0.0;
  return false;
}

TViewPlot::TViewPlot(TViewSource* source, QWidget* parent) : TPlotBase(parent), source_(source) {
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
}

namespace {

bool WriteAll(const std::string& path, const QByteArray& bytes) {
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

void ReportWriteFailure(const std::string& path) {
  char text[1024];
  std::snprintf(text, sizeof text, viewtext::kWriteFailed, path.c_str());
  ReportError(text, MessageIcon::Error);
}

}  // namespace

bool TViewPlot::WriteCsv(const std::string& path) {
  const std::string text = CsvText();
  if (!WriteAll(path, QByteArray::fromStdString(text))) {
    ReportWriteFailure(path);
    return false;
  }
  return true;
}

bool TViewPlot::SavePng(const std::string& path) {
  const QImage image = RenderImage();
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
  }
  if (bytes.isEmpty() || !WriteAll(path, bytes)) {
    ReportWriteFailure(path);
    return false;
  }
  return true;
}

TPrintJob TViewPlot::PrintJob() const {
  TPrintJob job;
  job.viewName = windowTitle().toStdString();
  job.title = job.viewName;
  if (source_)
    job.settingsLines = PrintSettingsLines(source_->Processing(), source_->PostProcessing());
  return job;
}

void TViewPlot::ZoomAbout(const QPointF& at, double factor, bool xAxis, bool yAxis) {
  if (!(factor > 0.0)) return;
  QRectF z = zoom_;
  auto axis = [factor](double& start, double& length, double anchor) {
    const double point = start + anchor * length;
    double newLength = std::clamp(length / factor, 1e-4, 1.0);
    double newStart = point - anchor * newLength;
    newStart = std::clamp(newStart, 0.0, 1.0 - newLength);
    start = newStart;
    length = newLength;
  };
  double x = z.x(), w = z.width(), y = z.y(), h = z.height();
  if (xAxis) axis(x, w, std::clamp(at.x(), 0.0, 1.0));
  if (yAxis) axis(y, h, std::clamp(at.y(), 0.0, 1.0));
  zoom_ = QRectF(x, y, w, h);
  ZoomChanged();
}

void TViewPlot::ResetZoom() {
  zoom_ = QRectF(0, 0, 1, 1);
  ZoomChanged();
}

QPointF TViewPlot::ZoomAnchor(const QPointF& point) const {
  const QRect pane = PaneRect(rect(), 0);
  if (pane.width() <= 0 || pane.height() <= 0) return {0.5, 0.5};
  return {(point.x() - pane.left()) / pane.width(), (point.y() - pane.top()) / pane.height()};
}

void TViewPlot::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  if (steps == 0.0) {
    event->ignore();
    return;
  }
  const bool yOnly = event->modifiers() & Qt::ControlModifier;
  const bool xOnly = event->modifiers() & Qt::ShiftModifier;
  ZoomAbout(ZoomAnchor(event->position()), std::pow(1.25, steps), !yOnly, !xOnly);
  event->accept();
}

void TViewPlot::AddActionItem(QMenu& menu, const char* text, PlotAction action) {
  const int32_t code = static_cast<int32_t>(action);
  QAction* item = menu.addAction(QString::fromUtf8(text));
  item->setEnabled(source_ && source_->CommandEnabled(code));
  connect(item, &QAction::triggered, this, [this, code] {
    if (source_) source_->RunCommand(code);
  });
}

void TViewPlot::AddSegmentItems(QMenu& menu, const char* spectrogramText, const char* surfaceText) {
  using namespace viewtext;
  AddActionItem(menu, kMenuCut, PlotAction::Cut);
  AddActionItem(menu, kMenuCopyAsWave, PlotAction::CopyAsWave);
  connect(menu.addAction(QString::fromUtf8(kMenuCopyAsBitmapSg)), &QAction::triggered, this,
          [this] { CopyAsBitmap(); });
  AddActionItem(menu, kMenuMute, PlotAction::Mute);
  AddActionItem(menu, kMenuFilter, PlotAction::Filter);
  AddActionItem(menu, kMenuPlay, PlotAction::Play);
  AddActionItem(menu, kMenuDisplayTimeSeries, PlotAction::DisplayTimeSeries);
  AddActionItem(menu, kMenuAverageSpectrum, PlotAction::AverageSpectrum);
  AddActionItem(menu, spectrogramText, PlotAction::Spectrogram);
  AddActionItem(menu, surfaceText, PlotAction::Surface);
  AddActionItem(menu, kMenuLeq, PlotAction::Leq);
  AddActionItem(menu, kMenuDtmf, PlotAction::Dtmf);
  connect(menu.addAction(QString::fromUtf8(kMenuPropertiesPlot)), &QAction::triggered, this,
          [this] { emit PropertiesRequested(); });
  connect(menu.addAction(QString::fromUtf8(kMenuHelpPlot)), &QAction::triggered, this,
          [this] { emit HelpRequested(); });
}

void TViewPlot::CopyCursorValues() {
  const std::string text = CursorClipboardText();
  if (!text.empty()) QApplication::clipboard()->setText(QString::fromStdString(text));
}

void TViewPlot::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    CopyCursorValues();
    event->accept();
    return;
  }
  TPlotBase::keyPressEvent(event);
}

void TViewPlot::AddToolItems(QMenu& menu, bool peakSearch) {
  using namespace viewtext;
  menu.addSeparator();
  if (peakSearch) {
    connect(menu.addAction(QString::fromUtf8(kMenuPeakSearch)), &QAction::triggered, this,
            [this] { PeakSearch(false); });
    connect(menu.addAction(QString::fromUtf8(kMenuNextPeak)), &QAction::triggered, this,
            [this] { PeakSearch(true); });
  }
  QAction* reset = menu.addAction(QString::fromUtf8(kMenuResetZoom));
  reset->setEnabled(Zoomed());
  connect(reset, &QAction::triggered, this, [this] { ResetZoom(); });
  connect(menu.addAction(QString::fromUtf8(kMenuSaveCsv)), &QAction::triggered, this,
          [this] { SaveCsvWithDialog(); });
  connect(menu.addAction(QString::fromUtf8(kMenuSavePng)), &QAction::triggered, this,
          [this] { SavePngWithDialog(); });
}

void TViewPlot::SaveCsvWithDialog() {
  const QString path = QFileDialog::getSaveFileName(
      this, QString::fromUtf8(viewtext::kCsvDialogTitle), QString::fromStdString(folder_),
      QString::fromUtf8(viewtext::kCsvFilter));
  if (path.isEmpty()) return;
  folder_ = QFileInfo(path).absolutePath().toStdString();
  WriteCsv(path.toStdString());
}

void TViewPlot::SavePngWithDialog() {
  const QString path = QFileDialog::getSaveFileName(
      this, QString::fromUtf8(viewtext::kPngDialogTitle), QString::fromStdString(folder_),
      QString::fromUtf8(viewtext::kPngFilter));
  if (path.isEmpty()) return;
  folder_ = QFileInfo(path).absolutePath().toStdString();
  SavePng(path.toStdString());
}

void TViewPlot::SetReadout(const std::string& text) {
  if (text == readout_) return;
  readout_ = text;
  update();
}

void TViewPlot::PaintReadout(QPainter& painter, const QRect& pane, const std::string& text) const {
  if (text.empty() || pane.width() < 20 || pane.height() < 10) return;
  const QString s = QString::fromStdString(text);
  QFont font = LabelFont(pane);
  painter.setFont(font);
  const QFontMetrics fm(font);
  QRect box = fm.boundingRect(pane.adjusted(4, 4, -4, -4), Qt::AlignLeft | Qt::AlignTop, s);
  box.adjust(-3, -2, 3, 2);
  painter.fillRect(box, QColor(255, 255, 225, 230));
  painter.setPen(QColor(0, 0, 0));
  painter.drawRect(box.adjusted(0, 0, -1, -1));
  painter.drawText(box.adjusted(3, 2, -3, -2), Qt::AlignLeft | Qt::AlignTop, s);
}

}  // namespace orvanix
