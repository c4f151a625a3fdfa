// TSpectrogram: painting (image, axes, colour bar, selection, cursor) and mouse and keys.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/TimeText.h"
#include "views/ColorTable.h"
#include "views/PlotViewTexts.h"
#include "views/Spectrogram.h"
#include "views/ViewTexts.h"

namespace orvanix {

namespace {

// Where image pixel coordinate `v` (0 ... extent) of an axis lands on screen under the zoom
// (start and length as fractions of that axis).
double ToScreen(double v, double extent, double zoomStart, double zoomLength, double screenStart,
                double screenLength) {
  return screenStart + (v / extent - zoomStart) / zoomLength * screenLength;
}

double FromScreen(double s, double extent, double zoomStart, double zoomLength, double screenStart,
                  double screenLength) {
  return ((s - screenStart) / screenLength * zoomLength + zoomStart) * extent;
}

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\t') c = ' ';
  }
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') continue;
    out += text[i];
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace

void TSpectrogram::resizeEvent(QResizeEvent* event) {
  TViewPlot::resizeEvent(event);
  EnsureLayout();
}

void TSpectrogram::Paint(QPainter& painter, const QRect& rect) {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  if (laidOut_ != size()) EnsureLayout();
  const bool screen = rect.size() == size();
  painter.fillRect(rect, palette().color(QPalette::Window));
  const int panes = Panes();
  for (int p = 0; p < panes; ++p) {
    const QRect r = PaneRect(rect, p);
    if (r.width() <= 0 || r.height() <= 0) continue;
    PaintPane(painter, p, r, screen);
  }
  PaintColorBar(painter, rect);
}

void TSpectrogram::PaintPane(QPainter& painter, int pane, const QRect& r, bool screen) {
  const Pane& p = panes_[static_cast<size_t>(pane)];
  painter.save();
  painter.setClipRect(r);
  painter.fillRect(r, QColor::fromRgb(Background()));
  if (p.image.Valid()) {
    if (screen && !Zoomed() && r.size() == p.image.Size()) {
      p.image.Draw(painter, r.topLeft());
    } else {
      const QImage composed = p.image.Compose();
      const QSize s = composed.size();
      const QRectF source(zoom_.x() * s.width(), zoom_.y() * s.height(), zoom_.width() * s.width(),
                          zoom_.height() * s.height());
      painter.drawImage(QRectF(r), composed, source);
    }
  }
  PaintSelection(painter, pane, r);
  if (cursor_.active && cursor_.pane == pane && !p.map.Empty()) {
    // Crosshair through the cursor's pixel.
    const QSize s = p.image.Size();
    const int t = p.image.Thickness();
    double ix, iy;
    const int depth = cursor_.age * t + t / 2;
    switch (p.image.Direction()) {
      case views::kNewestRight:
        ix = s.width() - 1 - depth, iy = s.height() - 1 - cursor_.k;
        break;
      case views::kNewestLeft:
        ix = depth, iy = s.height() - 1 - cursor_.k;
        break;
      case views::kNewestBottom:
        ix = cursor_.k, iy = s.height() - 1 - depth;
        break;
      default:
        ix = cursor_.k, iy = depth;
        break;
    }
    const double x = ToScreen(ix + 0.5, s.width(), zoom_.x(), zoom_.width(), r.left(), r.width());
    const double y = ToScreen(iy + 0.5, s.height(), zoom_.y(), zoom_.height(), r.top(), r.height());
    painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
    painter.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
    painter.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
  }
  painter.restore();
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawRect(r.adjusted(0, 0, -1, -1));
  PaintFrequencyAxis(painter, pane, r);
  PaintTimeAxis(painter, pane, r);
  std::string text;
  if (cursor_.active && cursor_.pane == pane) {
    text = OneLine(PointText(pane, cursor_.k, cursor_.age));
    if (!cursor_.peakText.empty()) text = cursor_.peakText + "\n" + text;
  } else if (pane == 0 && !readout_.empty()) {
    text = readout_;
  }
  PaintReadout(painter, r, text);
}

void TSpectrogram::PaintFrequencyAxis(QPainter& painter, int pane, const QRect& r) {
  const Pane& p = panes_[static_cast<size_t>(pane)];
  const double start = SpanStartHz();
  const double stop = SpanStopHz();
  const bool log = LogFrequency();
  const std::vector<TFrequencyTick> ticks = FrequencyTicks(start, stop, log);
  const QFont font = LabelFont(r);
  painter.setFont(font);
  const QFontMetrics fm(font);
  const bool vertical = p.image.FrequencyVertical();
  const double ls = start > 0.0 ? std::log10(start) : 0.0;
  const double le = stop > 0.0 ? std::log10(stop) : 0.0;
  double lastLabel = -1e9;
  for (const TFrequencyTick& tick : ticks) {
    double frac = log ? (tick.hz > 0.0 ? (std::log10(tick.hz) - ls) / (le - ls) : -1.0)
                      : (tick.hz - start) / (stop - start);
    if (!(frac >= 0.0 && frac <= 1.0)) continue;
    const QString label = QString::fromStdString(tick.label);
    if (vertical) {
      const double iy = (1.0 - frac) * r.height();
      const double y = ToScreen(iy, r.height(), zoom_.y(), zoom_.height(), r.top(), r.height());
      if (y < r.top() - 0.5 || y > r.bottom() + 0.5) continue;
      painter.drawLine(QPointF(r.left() - 4, y), QPointF(r.left(), y));
      if (std::fabs(y - lastLabel) >= fm.height()) {
        painter.drawText(QRectF(0, y - fm.height() / 2.0, r.left() - 6, fm.height()),
                         Qt::AlignRight | Qt::AlignVCenter, label);
        lastLabel = y;
      }
    } else {
      const double ix = frac * r.width();
      const double x = ToScreen(ix, r.width(), zoom_.x(), zoom_.width(), r.left(), r.width());
      if (x < r.left() - 0.5 || x > r.right() + 0.5) continue;
      painter.drawLine(QPointF(x, r.bottom()), QPointF(x, r.bottom() + 4));
      const double w = fm.horizontalAdvance(label) + 6;
      if (x - lastLabel >= w) {
        painter.drawText(QRectF(x - w / 2, r.bottom() + 5, w, fm.height()), Qt::AlignCenter, label);
        lastLabel = x;
      }
    }
  }
  const QString title = QString::fromUtf8(viewtext::kFrequencyAxisLabel);
  if (vertical) {
    painter.save();
    painter.translate(fm.height() / 2.0 + 1, r.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-r.height() / 2.0, -fm.height() / 2.0, r.height(), fm.height()),
                     Qt::AlignCenter, title);
    painter.restore();
  } else if (pane == Panes() - 1) {
    painter.drawText(QRectF(r.left(), r.bottom() + 5 + fm.height(), r.width(), fm.height()),
                     Qt::AlignCenter, title);
  }
}

void TSpectrogram::PaintTimeAxis(QPainter& painter, int pane, const QRect& r) {
  const Pane& p = panes_[static_cast<size_t>(pane)];
  const QFont font = LabelFont(r);
  painter.setFont(font);
  const QFontMetrics fm(font);
  double newest = 0.0, oldest = 0.0;
  const bool have = p.image.TimeSpan(newest, oldest);
  double step = 0.0;
  const char* division = have ? DivisionLabel(newest - oldest, step) : nullptr;
  const bool vertical = p.image.FrequencyVertical();  // time runs along x
  if (division && step > 0.0) {
    const int t = p.image.Thickness();
    const QSize s = p.image.Size();
    double lastLabel = -1e9;
    const int lines = std::min(p.image.LineCount(), p.image.LineCapacity());
    int drawn = 0;
    for (int age = 0; age + 1 < lines && drawn < 400; ++age) {
      double a = 0.0, b = 0.0;
      if (!LineTime(pane, age, a) || !LineTime(pane, age + 1, b)) continue;
      // A multiple of the step between the two lines' times.
      const double tick = std::floor(a / step) * step;
      if (!(tick > b && tick <= a)) continue;
      ++drawn;
      const double depth = age * t + t / 2.0;
      const QString label = QString::fromStdString(TimeText(tick, step < 1.0));
      if (vertical) {
        const double ix = p.image.Direction() == views::kNewestRight ? s.width() - depth : depth;
        const double x = ToScreen(ix, s.width(), zoom_.x(), zoom_.width(), r.left(), r.width());
        if (x < r.left() || x > r.right()) continue;
        painter.drawLine(QPointF(x, r.bottom()), QPointF(x, r.bottom() + 4));
        const double w = fm.horizontalAdvance(label) + 8;
        if (std::fabs(x - lastLabel) >= w) {
          painter.drawText(QRectF(x - w / 2, r.bottom() + 5, w, fm.height()), Qt::AlignCenter,
                           label);
          lastLabel = x;
        }
      } else {
        const double iy = p.image.Direction() == views::kNewestBottom ? s.height() - depth : depth;
        const double y = ToScreen(iy, s.height(), zoom_.y(), zoom_.height(), r.top(), r.height());
        if (y < r.top() || y > r.bottom()) continue;
        painter.drawLine(QPointF(r.left() - 4, y), QPointF(r.left(), y));
        if (std::fabs(y - lastLabel) >= fm.height()) {
          painter.drawText(QRectF(0, y - fm.height() / 2.0, r.left() - 6, fm.height()),
                           Qt::AlignRight | Qt::AlignVCenter, label);
          lastLabel = y;
        }
      }
    }
  }
  QString title = QString::fromUtf8(viewtext::kTimeAxisTitle);
  if (division) title += QString::fromUtf8(division);
  if (vertical) {
    if (pane == Panes() - 1) {
      painter.drawText(QRectF(r.left(), r.bottom() + 5 + fm.height(), r.width(), fm.height()),
                       Qt::AlignCenter, title);
    }
  } else {
    painter.save();
    painter.translate(fm.height() / 2.0 + 1, r.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-r.height() / 2.0, -fm.height() / 2.0, r.height(), fm.height()),
                     Qt::AlignCenter, title);
    painter.restore();
  }
}

void TSpectrogram::PaintSelection(QPainter& painter, int pane, const QRect& r) {
  if (!source_) return;
  double a = 0.0, b = 0.0;
  source_->Selection(a, b);
  if (!(b > a)) return;
  const Pane& p = panes_[static_cast<size_t>(pane)];
  const int lines = std::min(p.image.LineCount(), p.image.LineCapacity());
  int first = -1, last = -1;
  for (int age = 0; age < lines; ++age) {
    double t = 0.0;
    if (!LineTime(pane, age, t) || t < a || t > b) continue;
    if (first < 0) first = age;
    last = age;
  }
  if (first < 0) return;
  const int th = p.image.Thickness();
  const QSize s = p.image.Size();
  const double d0 = first * th;
  const double d1 = (last + 1) * th;
  QRectF band;
  switch (p.image.Direction()) {
    case views::kNewestRight:
      band = QRectF(s.width() - d1, 0, d1 - d0, s.height());
      break;
    case views::kNewestLeft:
      band = QRectF(d0, 0, d1 - d0, s.height());
      break;
    case views::kNewestBottom:
      band = QRectF(0, s.height() - d1, s.width(), d1 - d0);
      break;
    default:
      band = QRectF(0, d0, s.width(), d1 - d0);
      break;
  }
  const double x0 = ToScreen(band.left(), s.width(), zoom_.x(), zoom_.width(), r.left(), r.width());
  const double x1 =
      ToScreen(band.right(), s.width(), zoom_.x(), zoom_.width(), r.left(), r.width());
  const double y0 =
      ToScreen(band.top(), s.height(), zoom_.y(), zoom_.height(), r.top(), r.height());
  const double y1 =
      ToScreen(band.bottom(), s.height(), zoom_.y(), zoom_.height(), r.top(), r.height());
  painter.fillRect(QRectF(QPointF(x0, y0), QPointF(x1, y1)), QColor(255, 255, 255, 70));
}

void TSpectrogram::PaintColorBar(QPainter& painter, const QRect& area) {
  const QRect legend = LegendRect(area);
  if (legend.width() < 20 || legend.height() < 40 || colors_.empty()) return;
  const QRect pane = PaneRect(area, 0);
  const QRect bar(legend.left() + 8, pane.top(), 12,
                  PaneRect(area, Panes() - 1).bottom() - pane.top());
  const int n = static_cast<int>(colors_.size());
  // Rows as rectangles: the raster engine fills those directly, where a line per row is
  // stroked.
  for (int y = 0; y < bar.height(); ++y) {
    const int c = std::clamp((bar.height() - 1 - y) * n / std::max(1, bar.height()), 0, n - 1);
    painter.fillRect(QRect(bar.left(), bar.top() + y, bar.width(), 1),
                     QColor::fromRgb(colors_[static_cast<size_t>(c)]));
  }
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawRect(bar.adjusted(0, 0, -1, -1));
  const QFont font = LabelFont(area);
  painter.setFont(font);
  const QFontMetrics fm(font);
  const bool log = LogAmplitude();
  const double top = log ? options_.plotTop : (options_.plotTop > 0.0f ? options_.plotTop : 1.0);
  const double bottom = log ? options_.plotTop - options_.plotRange : 0.0;
  const QString unit = log ? QStringLiteral(" dB") : QString();
  painter.drawText(QRect(legend.left(), bar.top() - fm.height() - 1, legend.width(), fm.height()),
                   Qt::AlignLeft, QString::number(top, 'g', 4) + unit);
  painter.drawText(QRect(legend.left(), bar.bottom() + 2, legend.width(), fm.height()),
                   Qt::AlignLeft, QString::number(bottom, 'g', 4) + unit);
}

// ---------------------------------------------------------------------------- input

TSpectrogram::Hit TSpectrogram::HitAt(const QPoint& point) const {
  Hit hit;
  for (int p = 0; p < Panes(); ++p) {
    const Pane& pane = panes_[static_cast<size_t>(p)];
    const QRect r = pane.rect;
    if (!r.contains(point) || !pane.image.Valid()) continue;
    const QSize s = pane.image.Size();
    const double ix =
        FromScreen(point.x() + 0.5, s.width(), zoom_.x(), zoom_.width(), r.left(), r.width());
    const double iy =
        FromScreen(point.y() + 0.5, s.height(), zoom_.y(), zoom_.height(), r.top(), r.height());
    const int x = std::clamp(static_cast<int>(ix), 0, s.width() - 1);
    const int y = std::clamp(static_cast<int>(iy), 0, s.height() - 1);
    hit.inside = true;
    hit.pane = p;
    switch (pane.image.Direction()) {
      case views::kNewestRight:
        hit.k = s.height() - 1 - y, hit.depth = s.width() - 1 - x;
        break;
      case views::kNewestLeft:
        hit.k = s.height() - 1 - y, hit.depth = x;
        break;
      case views::kNewestBottom:
        hit.k = x, hit.depth = s.height() - 1 - y;
        break;
      default:
        hit.k = x, hit.depth = y;
        break;
    }
    return hit;
  }
  return hit;
}

void TSpectrogram::SelectTimes(int pane, int depth0, int depth1) {
  if (!source_ || !source_->SeriesDocument()) return;
  const int t = panes_[static_cast<size_t>(pane)].image.Thickness();
  double a = 0.0, b = 0.0;
  const int lines = panes_[static_cast<size_t>(pane)].image.LineCount();
  const int age0 = std::min(depth0 / t, std::max(0, lines - 1));
  const int age1 = std::min(depth1 / t, std::max(0, lines - 1));
  if (!LineTime(pane, age0, a) || !LineTime(pane, age1, b)) return;
  source_->SetSelection(std::min(a, b), std::max(a, b));
  update();
}

void TSpectrogram::mousePressEvent(QMouseEvent* event) {
  setFocus();
  if (event->button() != Qt::LeftButton) return;
  pressHit_ = HitAt(event->pos());
  if (!pressHit_.inside) return;
  selecting_ = source_ && source_->SeriesDocument();
  dragged_ = false;
  SetCursorAt(pressHit_.pane, pressHit_.k, pressHit_.depth / kThickness);
  if (selecting_) SetCursorKind(CursorKind::Selection);
}

void TSpectrogram::mouseMoveEvent(QMouseEvent* event) {
  const Hit hit = HitAt(event->pos());
  if (selecting_ && hit.inside && hit.pane == pressHit_.pane &&
      std::abs(hit.depth - pressHit_.depth) >= 3) {
    dragged_ = true;
    SelectTimes(hit.pane, pressHit_.depth, hit.depth);
  }
  SetCursorKind(hit.inside ? (selecting_ ? CursorKind::Selection : CursorKind::Plot)
                           : CursorKind::Arrow);
  SetReadout(hit.inside ? OneLine(PointText(hit.pane, hit.k, hit.depth / kThickness))
                        : std::string());
}

void TSpectrogram::mouseReleaseEvent(QMouseEvent* event) {
  // A click that selected nothing asks for the spectrum and time series at its time.
  const bool click = event->button() == Qt::LeftButton && pressHit_.inside && !dragged_;
  selecting_ = false;
  dragged_ = false;
  pressHit_.inside = false;
  SetCursorKind(CursorKind::Plot);
  double timeSecs = 0.0;
  if (click && source_ && LineTime(pressHit_.pane, pressHit_.depth / kThickness, timeSecs)) {
    source_->ClickedAtTime(timeSecs);
  }
}

void TSpectrogram::mouseDoubleClickEvent(QMouseEvent* event) {
  (void)event;
  ResetZoom();
}

void TSpectrogram::leaveEvent(QEvent* event) {
  TViewPlot::leaveEvent(event);
  SetReadout({});
}

void TSpectrogram::MoveCursor(int dk, int dage) {
  if (!cursor_.active) {
    SetCursorAt(0, panes_[0].map.Pixels() / 2, 0);
    return;
  }
  const Pane& p = panes_[static_cast<size_t>(cursor_.pane)];
  int k = cursor_.k;
  if (dk != 0) {
    // One bin on: the next pixel that shows another index.
    const uint32_t index = p.map.Index(k);
    while (k + dk >= 0 && k + dk < p.map.Pixels()) {
      k += dk;
      if (p.map.Index(k) != index) break;
    }
  }
  SetCursorAt(cursor_.pane, k, cursor_.age + dage);
}

void TSpectrogram::keyPressEvent(QKeyEvent* event) {
  const bool vertical = panes_[0].image.FrequencyVertical();
  const int direction = panes_[0].image.Direction();
  // Along the time axis, "older" is away from the leading edge.
  const int older = direction == views::kNewestRight || direction == views::kNewestBottom ? -1 : 1;
  switch (event->key()) {
    case Qt::Key_Up:
      vertical ? MoveCursor(1, 0) : MoveCursor(0, older == -1 ? 1 : -1);
      break;
    case Qt::Key_Down:
      vertical ? MoveCursor(-1, 0) : MoveCursor(0, older == -1 ? -1 : 1);
      break;
    case Qt::Key_Left:
      vertical ? MoveCursor(0, older == -1 ? 1 : -1) : MoveCursor(-1, 0);
      break;
    case Qt::Key_Right:
      vertical ? MoveCursor(0, older == -1 ? -1 : 1) : MoveCursor(1, 0);
      break;
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
      cursor_.active = false;
      update();
      break;
    default:
      TViewPlot::keyPressEvent(event);
      return;
  }
  event->accept();
}

void TSpectrogram::contextMenuEvent(QContextMenuEvent* event) {
  using namespace viewtext;
  QMenu menu(this);
  AddSegmentItems(menu, kMenuExpandSpectrogram, kMenuComputeSurface);
  AddActionItem(menu, kMenuAnnotate, PlotAction::Annotate);
  if (cursor_.active) {
    menu.addSeparator();
    connect(menu.addAction(QString::fromUtf8(kMenuCopyCursorValues)), &QAction::triggered, this,
            [this] { CopyCursorValues(); });
  }
  AddToolItems(menu, true);
  menu.exec(event->globalPos());
}

}  // namespace orvanix
