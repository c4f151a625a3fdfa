#include "views/SurfacePlot.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/SpectralData.h"
#include "views/ColorTable.h"
#include "views/PeakSearch.h"
#include "views/PlotViewTexts.h"
#include "views/ViewTexts.h"

namespace orvanix {

TSurfacePlot::TSurfacePlot(TViewSource* source, QWidget* parent) : TViewPlot(source, parent) {
  setWindowTitle(QString::fromUtf8(viewtext::kSurfaceViewName));
  colors_ = views::BuildColorTable(views::kFullColor, 0, 0);
}

void TSurfacePlot::SetOptions(const TSurfaceOptions& options) {
  const bool spanChanged = options.useFullSpan != options_.useFullSpan ||
                           options.startFreqHz != options_.startFreqHz ||
                           options.stopFreqHz != options_.stopFreqHz;
  options_ = options;
  colors_ = views::BuildColorTable(views::kFullColor, 0, 0);
  if (spanChanged) {
    for (Pane& p : panes_) p.traces.clear();
    laidOut_ = QSize();
    EnsureLayout();
  }
  Redraw();
}

int TSurfacePlot::Panes() const {
  if (!source_) return 1;
  return HasSecondary(source_->Processing().channelProcessing) && source_->Secondary() ? 2 : 1;
}

const TSpectralData* TSurfacePlot::PaneSpectrum(int pane) const {
  if (!source_) return nullptr;
  return pane == 0 ? source_->Primary() : source_->Secondary();
}

double TSurfacePlot::SpanStartHz() const {
  const TSpectralData* s = PaneSpectrum(0);
  return options_.useFullSpan && s ? s->LowLimit() : options_.startFreqHz;
}

double TSurfacePlot::SpanStopHz() const {
  const TSpectralData* s = PaneSpectrum(0);
  return options_.useFullSpan && s ? s->HighLimit() : options_.stopFreqHz;
}

int TSurfacePlot::Slices() const {
  return panes_[0].image.Valid()
             ? panes_[0].image.Size().height() / views::TSurfaceImage::kLineSpacing
             : 0;
}

views::TSurfaceStyle TSurfacePlot::Style(int pane) const {
  (void)pane;
  views::TSurfaceStyle style;
  style.top = options_.plotTop;
  style.range = options_.plotRange;
  style.logAmplitude = !source_ || source_->Scaling().ampScale != 0;
  style.octave = source_ && source_->Scaling().freqScale == 2;
  style.gradient = options_.colorMode == 0;
  style.background = views::RgbOfColorRef(options_.backgroundColor);
  style.line = views::RgbOfColorRef(options_.lineColor);
  style.colors = &colors_;
  return style;
}

bool TSurfacePlot::EnsureLayout() {
  const int panes = Panes();
  SetPaneMode(panes);
  const QRect area = rect();
  const bool logFrequency = source_ && source_->Scaling().freqScale != 0;
  bool changed = false;
  for (int p = 0; p < 2; ++p) {
    Pane& pane = panes_[static_cast<size_t>(p)];
    pane.rect = p < panes ? PaneRect(area, p) : QRect();
    if (p >= panes) continue;
    if (pane.image.Size() != pane.rect.size() || !pane.image.Valid()) {
      pane.image.Resize(pane.rect.size(), views::RgbOfColorRef(options_.backgroundColor));
      changed = true;
    }
    const TSpectralData* s = PaneSpectrum(p);
    if (s && pane.image.Valid()) {
      const int width = pane.image.Size().width();
      if (changed || pane.map.Pixels() != width) {
        pane.map.Build(width, SpanStartHz(), SpanStopHz(), logFrequency, *s);
        changed = true;
      }
    }
  }
  if (!store_.Filled() && store_.Count() != Slices()) store_.Reset(Slices());
  laidOut_ = size();
  if (changed) {
    if (store_.Filled())
      ReplayStore();
    else
      Redraw();
  }
  return panes_[0].image.Valid();
}

void TSurfacePlot::SourceChanged() {
  for (Pane& p : panes_) p.map = views::TPixelMap();
  laidOut_ = QSize();
  EnsureLayout();
  update();
}

void TSurfacePlot::AddLevels(int pane, const float* levels, double timeSecs, bool keep) {
  Pane& p = panes_[static_cast<size_t>(pane)];
  if (!p.image.Valid() || p.map.Pixels() != p.image.Size().width()) return;
  p.image.AddTrace(p.map, levels, Style(pane));
  if (!keep) return;
  p.traces.push_front({timeSecs, std::vector<float>(levels, levels + p.map.Pixels())});
  while (static_cast<int>(p.traces.size()) > p.image.TraceCapacity()) p.traces.pop_back();
}

void TSurfacePlot::Redraw() {
  // The kept traces again, oldest first, in the current style.
  for (int p = 0; p < 2; ++p) {
    Pane& pane = panes_[static_cast<size_t>(p)];
    pane.image.Clear(views::RgbOfColorRef(options_.backgroundColor));
    for (auto it = pane.traces.rbegin(); it != pane.traces.rend(); ++it) {
      if (static_cast<int>(it->levels.size()) == pane.map.Pixels()) {
        AddLevels(p, it->levels.data(), it->timeSecs, false);
      }
    }
  }
  update();
}

bool TSurfacePlot::Notify(double timeSecs) {
  if (!gate_.Pass(timeSecs, options_.intervalFlag != 0, options_.intervalSecs)) return false;
  if (laidOut_ != size() || panes_[0].map.Empty()) EnsureLayout();
  bool drawn = false;
  for (int p = 0; p < Panes(); ++p) {
    const TSpectralData* s = PaneSpectrum(p);
    Pane& pane = panes_[static_cast<size_t>(p)];
    if (!s || pane.map.Empty()) continue;
    levelBuffer_.resize(static_cast<size_t>(pane.map.Pixels()));
    pane.map.Levels(*s, levelBuffer_.data(), options_.colorMode == 0);
    AddLevels(p, levelBuffer_.data(), timeSecs, true);
    drawn = true;
  }
  if (drawn) update();
  return drawn;
}

void TSurfacePlot::ClearImage() {
  for (Pane& p : panes_) {
    p.image.Clear(views::RgbOfColorRef(options_.backgroundColor));
    p.traces.clear();
  }
  store_.Clear();
  gate_.Reset();
  update();
}

void TSurfacePlot::ReplayStore() {
  for (Pane& p : panes_) {
    p.image.Clear(views::RgbOfColorRef(options_.backgroundColor));
    p.traces.clear();
  }
  const bool logFrequency = source_ && source_->Scaling().freqScale != 0;
  for (int n = store_.Count() - 1; n >= 0; --n) {
    const TTraceSlice& slice = store_.Slice(n);
    if (!slice.valid) continue;
    for (int p = 0; p < Panes(); ++p) {
      const TTrace& trace = p == 0 ? slice.primary : slice.secondary;
      Pane& pane = panes_[static_cast<size_t>(p)];
      if (trace.Empty() || !pane.image.Valid()) continue;
      views::TPixelMap map;
      map.Build(pane.image.Size().width(), SpanStartHz(), SpanStopHz(), logFrequency,
                [&trace](float hz) { return trace.IndexOf(hz); });
      levelBuffer_.resize(static_cast<size_t>(map.Pixels()));
      map.Levels([&trace](uint32_t a, uint32_t b) { return trace.MaxValue(a, b); },
                 levelBuffer_.data(), options_.colorMode == 0);
      if (pane.map.Pixels() != map.Pixels()) pane.map = map;
      AddLevels(p, levelBuffer_.data(), slice.timeSecs, true);
    }
  }
  update();
}

std::string TSurfacePlot::CsvText() const {
  std::string out = "Frequency (Hz)";
  char cell[64];
  const Pane& pane = panes_[0];
  for (auto it = pane.traces.rbegin(); it != pane.traces.rend(); ++it) {
    std::snprintf(cell, sizeof cell, ",t=%.4f s", it->timeSecs);
    out += cell;
  }
  out += "\n";
  for (int k = 0; k < pane.map.Pixels(); ++k) {
    std::snprintf(cell, sizeof cell, "%.4f", pane.map.Frequency(k));
    out += cell;
    for (auto it = pane.traces.rbegin(); it != pane.traces.rend(); ++it) {
      std::snprintf(cell, sizeof cell, ",%.4f",
                    static_cast<double>(it->levels[static_cast<size_t>(k)]));
      out += cell;
    }
    out += "\n";
  }
  return out;
}

bool TSurfacePlot::PeakSearch(bool next) {
  const TSpectralData* s = PaneSpectrum(0);
  const Pane& p = panes_[0];
  if (!s || p.map.Empty()) return false;
  const bool logAmp = source_->Scaling().ampScale != 0;
  const std::vector<TPeak> peaks = FindPeaks(*s, p.map.Index(0), p.map.Index(p.map.Pixels() - 1),
                                             10, source_->Processing().smoothingWindow, logAmp);
  if (peaks.empty()) {
    peakText_ = viewtext::kNoPeak;
  } else {
    peakIndex_ = next ? (peakIndex_ + 1) % static_cast<int>(peaks.size()) : 0;
    const TPeak& peak = peaks[static_cast<size_t>(peakIndex_)];
    char text[160];
    std::snprintf(text, sizeof text, viewtext::kPeakReadout, peakIndex_ + 1, peak.hz, peak.level,
                  logAmp ? "dB" : "");
    peakText_ = text;
  }
  update();
  return !peaks.empty();
}

// ---------------------------------------------------------------------------- painting

void TSurfacePlot::resizeEvent(QResizeEvent* event) {
  TViewPlot::resizeEvent(event);
  EnsureLayout();
}

void TSurfacePlot::Paint(QPainter& painter, const QRect& rect) {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  if (laidOut_ != size()) EnsureLayout();
  painter.fillRect(rect, palette().color(QPalette::Window));
  const bool screen = rect.size() == size();
  for (int p = 0; p < Panes(); ++p) PaintPane(painter, p, PaneRect(rect, p), screen);
}

void TSurfacePlot::PaintPane(QPainter& painter, int pane, const QRect& r, bool screen) {
  if (r.width() <= 0 || r.height() <= 0) return;
  const Pane& p = panes_[static_cast<size_t>(pane)];
  (void)screen;
  if (p.image.Valid()) {
    const QImage& image = p.image.Image();
    const QRectF source(zoom_.x() * image.width(), zoom_.y() * image.height(),
                        zoom_.width() * image.width(), zoom_.height() * image.height());
    painter.drawImage(QRectF(r), image, source);
  } else {
    painter.fillRect(r, QColor::fromRgb(views::RgbOfColorRef(options_.backgroundColor)));
  }
  const QColor text = palette().color(QPalette::WindowText);
  painter.setPen(text);
  painter.drawRect(r.adjusted(0, 0, -1, -1));
  const QFont font = LabelFont(r);
  painter.setFont(font);
  const QFontMetrics fm(font);
  // Frequency labels under the newest trace (the front, unshifted).
  if (!p.map.Empty() && !Zoomed()) {
    const double start = SpanStartHz(), stop = SpanStopHz();
    const bool log = source_ && source_->Scaling().freqScale != 0;
    double last = -1e9;
    for (const TFrequencyTick& tick : FrequencyTicks(start, stop, log)) {
      const double f =
          log ? (std::log10(tick.hz) - std::log10(start)) / (std::log10(stop) - std::log10(start))
              : (tick.hz - start) / (stop - start);
      if (!(f >= 0.0 && f <= 1.0)) continue;
      const double x = r.left() + f * r.width();
      painter.drawLine(QPointF(x, r.bottom()), QPointF(x, r.bottom() + 4));
      const QString label = QString::fromStdString(tick.label);
      const double w = fm.horizontalAdvance(label) + 6;
      if (x - last >= w) {
        painter.drawText(QRectF(x - w / 2, r.bottom() + 5, w, fm.height()), Qt::AlignCenter, label);
        last = x;
      }
    }
    if (pane == Panes() - 1) {
      painter.drawText(QRectF(r.left(), r.bottom() + 5 + fm.height(), r.width(), fm.height()),
                       Qt::AlignCenter, QString::fromUtf8(viewtext::kFrequencyAxisLabel));
    }
    // The level scale of the front trace and the oblique time direction.
    const int t = p.image.TraceHeight();
    const bool logAmp = !source_ || source_->Scaling().ampScale != 0;
    const double top = logAmp ? options_.plotTop : (options_.plotTop > 0 ? options_.plotTop : 1.0);
    const double bottom = logAmp ? options_.plotTop - options_.plotRange : 0.0;
    painter.drawLine(QPointF(r.left() - 4, r.bottom() - t), QPointF(r.left(), r.bottom() - t));
    painter.drawText(QRectF(0, r.bottom() - t - fm.height() / 2.0, r.left() - 6, fm.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(top, 'g', 4));
    painter.drawText(QRectF(0, r.bottom() - fm.height(), r.left() - 6, fm.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(bottom, 'g', 4));
    const double run = std::min(r.height() / 3.0, r.width() / 9.0);
    const QPointF from(r.right() - run / 3.0 - 4, r.bottom() - 6);
    const QPointF to(from.x() + run / 3.0, from.y() - run);
    painter.drawLine(from, to);
    painter.drawText(QRectF(to.x() - 60, to.y() - fm.height(), 60, fm.height()), Qt::AlignRight,
                     QString::fromUtf8(viewtext::kTimeAxisTitle));
  }
  std::string readout = pane == 0 ? readout_ : std::string();
  if (pane == 0 && !peakText_.empty())
    readout = peakText_ + (readout.empty() ? "" : "\n" + readout);
  PaintReadout(painter, r, readout);
}

// ---------------------------------------------------------------------------- input

void TSurfacePlot::mouseMoveEvent(QMouseEvent* event) {
  for (int p = 0; p < Panes(); ++p) {
    const Pane& pane = panes_[static_cast<size_t>(p)];
    if (!pane.rect.contains(event->pos()) || pane.map.Empty()) continue;
    const double fx = zoom_.x() + (event->pos().x() - pane.rect.left()) /
                                      static_cast<double>(pane.rect.width()) * zoom_.width();
    const int k = std::clamp(static_cast<int>(fx * pane.map.Pixels()), 0, pane.map.Pixels() - 1);
    char line[128];
    if (!pane.traces.empty()) {
      std::snprintf(line, sizeof line, "%.2f Hz, %.2f (newest trace)", pane.map.Frequency(k),
                    static_cast<double>(pane.traces.front().levels[static_cast<size_t>(k)]));
    } else {
      std::snprintf(line, sizeof line, "%.2f Hz", pane.map.Frequency(k));
    }
    SetReadout(line);
    SetCursorKind(CursorKind::Plot);
    return;
  }
  SetReadout({});
  SetCursorKind(CursorKind::Arrow);
}

bool TSurfacePlot::TraceTimeAt(const QPoint& point, double& timeSecs) const {
  for (int p = 0; p < Panes(); ++p) {
    const Pane& pane = panes_[static_cast<size_t>(p)];
    if (!pane.rect.contains(point) || pane.traces.empty()) continue;
    const int age = (pane.rect.bottom() - point.y()) / views::TSurfaceImage::kLineSpacing;
    if (age < 0 || age >= static_cast<int>(pane.traces.size())) return false;
    timeSecs = pane.traces[static_cast<size_t>(age)].timeSecs;
    return true;
  }
  return false;
}

void TSurfacePlot::mouseReleaseEvent(QMouseEvent* event) {
  double timeSecs = 0.0;
  if (event->button() == Qt::LeftButton && source_ && TraceTimeAt(event->pos(), timeSecs)) {
    source_->ClickedAtTime(timeSecs);
  }
}

void TSurfacePlot::mouseDoubleClickEvent(QMouseEvent* event) {
  (void)event;
  ResetZoom();
}

void TSurfacePlot::leaveEvent(QEvent* event) {
  TViewPlot::leaveEvent(event);
  SetReadout({});
}

void TSurfacePlot::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Home:
      ResetZoom();
      break;
    case Qt::Key_P:
      PeakSearch(false);
      break;
    case Qt::Key_N:
      PeakSearch(true);
      break;
    case Qt::Key_Escape:
      peakText_.clear();
      update();
      break;
    default:
      TViewPlot::keyPressEvent(event);
      return;
  }
  event->accept();
}

void TSurfacePlot::contextMenuEvent(QContextMenuEvent* event) {
  using namespace viewtext;
  QMenu menu(this);
  AddSegmentItems(menu, kMenuComputeSpectrogram, kMenuExpandSurface);
  AddToolItems(menu, true);
  menu.exec(event->globalPos());
}

}  // namespace orvanix
