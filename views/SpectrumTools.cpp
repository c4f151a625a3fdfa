#include "views/SpectrumTools.h"

#include <QEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSaveFile>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/Messages.h"
#include "engine/SpectralData.h"
#include "views/OrvanePlot.h"
#include "views/PeakSearch.h"
#include "views/PlotScale.h"
#include "views/PlotViewTexts.h"

namespace orvanix {

TSpectrumTools::TSpectrumTools(TOrvanePlot* plot, const TSpectrumSource* source)
    : QObject(plot), plot_(plot), source_(source), readout_(new QLabel(plot)) {
  readout_->setStyleSheet(
      "QLabel { background: rgba(255,255,225,230); color: black; padding: 2px; }");
  readout_->hide();
  readout_->setAttribute(Qt::WA_TransparentForMouseEvents);
  plot->installEventFilter(this);
  plot->setMouseTracking(true);
  connect(plot, &TOrvanePlot::ContextMenuAboutToShow, this,
          [this](QMenu* menu) { AddMenuItems(*menu); });
}

bool TSpectrumTools::PeakSearch(bool next) {
  const TSpectralData* s = source_ ? source_->Primary() : nullptr;
  if (!s) return false;
  const TIndexRange range = plot_->VisibleRange(*s);
  if (!range.valid) return false;
  const bool logAmp = source_->Scaling().ampScale != 0;
  const std::vector<TPeak> peaks =
      FindPeaks(*s, range.first, range.last, 10, source_->Processing().smoothingWindow, logAmp);
  if (peaks.empty()) {
    peakText_ = viewtext::kNoPeak;
    return false;
  }
  peakIndex_ = next ? (peakIndex_ + 1) % static_cast<int>(peaks.size()) : 0;
  const TPeak& peak = peaks[static_cast<size_t>(peakIndex_)];
  plot_->SetMeasurementCursor(
      s->BandCount() > 0 ? s->BandCentre(peak.index) : s->BinFrequency(peak.index), peak.level);
  char text[160];
  std::snprintf(text, sizeof text, viewtext::kPeakReadout, peakIndex_ + 1, peak.hz, peak.level,
                logAmp ? "dB" : "");
  peakText_ = text;
  readout_->setText(QString::fromUtf8(text));
  readout_->adjustSize();
  readout_->move(plot_->PaneRect(plot_->rect(), 0).topLeft() + QPoint(4, 4));
  readout_->show();
  return true;
}

std::string TSpectrumTools::ReadoutAt(const QPoint& point) const {
  const QRect pane = plot_->PaneRect(plot_->rect(), 0);
  if (!pane.contains(point) || !source_) return {};
  views::TFrequencyScale freq;
  freq.Set(plot_->StartHz(), plot_->StopHz(), source_->Scaling().freqScale != 0, pane.left(),
           pane.width());
  views::TAmplitudeScale amp;
  const TSpectrumPlotOptions& o = plot_->Options();
  amp.Set(o.plotTop, o.plotRange, source_->Scaling().ampScale != 0, pane.top(), pane.height());
  char text[96];
  std::snprintf(text, sizeof text, "%.2f Hz, %.2f", freq.Frequency(point.x()),
                amp.Value(point.y()));
  return text;
}

TMarkerSettings TSpectrumTools::SnappedMarkers() const {
  TMarkerSettings markers = plot_->Markers();
  const TSpectralData* s = source_ ? source_->Primary() : nullptr;
  if (!s) return markers;
  const std::vector<TPeak> peaks =
      FindPeaks(*s, 0, s->ValueCount() - 1, 10, source_->Processing().smoothingWindow,
                source_->Scaling().ampScale != 0);
  if (peaks.empty()) return markers;
  // Only peaks that stand out count: within 40 dB (a hundredth on a linear axis) of the
  // highest, so that a marker never lands on a bump of the noise floor.
  const bool logAmp = source_->Scaling().ampScale != 0;
  const double floor = logAmp ? peaks[0].level - 40.0 : peaks[0].level * 0.01;
  for (size_t m = 0; m < markers.freqHz.size(); ++m) {
    if (!markers.enable[m]) continue;
    const TPeak* best = &peaks[0];
    for (const TPeak& p : peaks) {
      if (p.level < floor) continue;
      if (std::fabs(p.hz - markers.freqHz[m]) < std::fabs(best->hz - markers.freqHz[m])) best = &p;
    }
    markers.freqHz[m] = static_cast<float>(best->hz);
  }
  return markers;
}

std::string TSpectrumTools::CsvText() const {
  // The view's own export, as CSV: the header without its ';', commas between columns.
  const std::string text = plot_->ExportText();
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || (i == 0 && text[i] == ';')) continue;
    out += text[i] == '\t' ? ',' : text[i];
  }
  return out;
}

void TSpectrumTools::AddMenuItems(QMenu& menu) {
  using namespace viewtext;
  menu.addSeparator();
  connect(menu.addAction(QString::fromUtf8(kMenuPeakSearch)), &QAction::triggered, this,
          [this] { PeakSearch(false); });
  connect(menu.addAction(QString::fromUtf8(kMenuNextPeak)), &QAction::triggered, this,
          [this] { PeakSearch(true); });
  connect(menu.addAction(QString::fromUtf8(kMenuSnapMarkers)), &QAction::triggered, this, [this] {
    const TMarkerSettings markers = SnappedMarkers();
    plot_->SetMarkers(markers);
    emit MarkersChanged(markers);
  });
  connect(menu.addAction(QString::fromUtf8(kMenuResetZoom)), &QAction::triggered, this,
          [this] { Restore(); });
  connect(menu.addAction(QString::fromUtf8(kMenuSaveCsv)), &QAction::triggered, this,
          [this] { SaveCsvWithDialog(); });
}

void TSpectrumTools::SaveCsvWithDialog() {
  const QString path =
      QFileDialog::getSaveFileName(plot_, QString::fromUtf8(viewtext::kCsvDialogTitle), QString(),
                                   QString::fromUtf8(viewtext::kCsvFilter));
  if (path.isEmpty()) return;
  QSaveFile file(path);
  const QByteArray bytes = QByteArray::fromStdString(CsvText());
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    char text[1024];
    std::snprintf(text, sizeof text, viewtext::kWriteFailed, path.toStdString().c_str());
    ReportError(text);
  }
}

void TSpectrumTools::MoveCursorBins(int bins) {
  const TSpectralData* s = source_ ? source_->Primary() : nullptr;
  if (!s) return;
  const TIndexRange range = plot_->VisibleRange(*s);
  if (!range.valid) return;
  uint32_t i = plot_->CursorActive()
                   ? TOrvanePlot::MarkerIndex(*s, static_cast<float>(plot_->CursorHz()))
                   : (range.first + range.last) / 2;
  if (plot_->CursorActive()) {
    const int64_t moved = static_cast<int64_t>(i) + bins;
    i = static_cast<uint32_t>(std::clamp<int64_t>(moved, range.first, range.last));
  }
  const double hz = s->BandCount() > 0 ? s->BandCentre(i) : s->BinFrequency(i);
  plot_->SetMeasurementCursor(hz, s->Value(i));
}

void TSpectrumTools::Zoom(const QPoint& at, double factor, bool frequency, bool amplitude) {
  const QRect pane = plot_->PaneRect(plot_->rect(), 0);
  if (pane.width() <= 0 || pane.height() <= 0 || !source_) return;
  if (frequency) {
    views::TFrequencyScale scale;
    const bool log = source_->Scaling().freqScale != 0;
    scale.Set(plot_->StartHz(), plot_->StopHz(), log, 0.0, 1.0);
    const double f =
        std::clamp((at.x() - pane.left()) / static_cast<double>(pane.width()), 0.0, 1.0);
    const double a = scale.Frequency(f * (1.0 - 1.0 / factor));
    const double b = scale.Frequency(f + (1.0 - f) / factor);
    if (!plot_->ZoomTo(a, b) && factor < 1.0) plot_->ZoomOut();
  }
  if (amplitude) {
    TSpectrumPlotOptions o = plot_->Options();
    if (!savedOptions_) savedOptions_ = o;
    const double f =
        std::clamp((at.y() - pane.top()) / static_cast<double>(pane.height()), 0.0, 1.0);
    if (source_->Scaling().ampScale != 0) {
      const double anchor = o.plotTop - f * o.plotRange;
      const double range = std::clamp(o.plotRange / factor, 0.1, 600.0);
      o.plotTop = static_cast<float>(anchor + f * range);
      o.plotRange = static_cast<float>(range);
    } else {
      o.plotTop = static_cast<float>(std::max(1e-6, o.plotTop / factor));
    }
    plot_->SetOptions(o);
  }
}

void TSpectrumTools::Restore() {
  plot_->ZoomOut();
  if (savedOptions_) {
    TSpectrumPlotOptions o = plot_->Options();
    o.plotTop = savedOptions_->plotTop;
    o.plotRange = savedOptions_->plotRange;
    plot_->SetOptions(o);
    savedOptions_.reset();
  }
}

bool TSpectrumTools::eventFilter(QObject* watched, QEvent* event) {
  if (watched != plot_) return false;
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      switch (key->key()) {
        case Qt::Key_P:
          PeakSearch(false);
          return true;
        case Qt::Key_N:
          PeakSearch(true);
          return true;
        case Qt::Key_Left:
          MoveCursorBins(-1);
          return true;
        case Qt::Key_Right:
          MoveCursorBins(1);
          return true;
        case Qt::Key_Home:
          Restore();
          return true;
        default:
          return false;
      }
    }
    case QEvent::Wheel: {
      auto* wheel = static_cast<QWheelEvent*>(event);
      const double steps = wheel->angleDelta().y() / 120.0;
      if (steps == 0.0) return false;
      const bool amplitudeOnly = wheel->modifiers() & Qt::ControlModifier;
      const bool frequencyOnly = wheel->modifiers() & Qt::ShiftModifier;
      Zoom(wheel->position().toPoint(), std::pow(1.25, steps), !amplitudeOnly, !frequencyOnly);
      return true;
    }
    case QEvent::MouseButtonDblClick:
      Restore();
      return false;
    case QEvent::MouseMove: {
      const std::string text = ReadoutAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      if (text.empty()) {
        readout_->setVisible(!peakText_.empty());
      } else {
        readout_->setText(
            QString::fromStdString(peakText_.empty() ? text : peakText_ + "\n" + text));
        readout_->adjustSize();
        readout_->move(plot_->PaneRect(plot_->rect(), 0).topLeft() + QPoint(4, 4));
        readout_->show();
      }
      return false;
    }
    case QEvent::Leave:
      readout_->setVisible(!peakText_.empty());
      return false;
    default:
      return false;
  }
}

}  // namespace orvanix
