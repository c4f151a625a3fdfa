// TSeriesPlot: painting, mouse, keys and menu.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/SeriesData.h"
#include "engine/TimeText.h"
#include "files/WaveData.h"
#include "views/ColorTable.h"
#include "views/PlotViewTexts.h"
#include "views/SeriesPlot.h"
#include "views/ViewTexts.h"

namespace orvanix {

namespace {

QColor ColorOf(uint32_t ref) {
  return QColor::fromRgb(views::RgbOfColorRef(ref));
}

// A step of 1, 2 or 5 times a power of ten giving at least `divisions` steps over `span`.
double NiceStep(double span, int divisions) {
  if (!(span > 0.0)) return 1.0;
  const double raw = span / divisions;
  const double decade = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * decade >= raw) return m * decade;
  }
  return 10.0 * decade;
}

}  // namespace

double TSeriesPlot::XOf(double secs, const QRect& r) const {
  const double span = std::max(1e-12, StopSecs() - StartSecs());
  return r.left() + (secs - StartSecs()) / span * r.width();
}

double TSeriesPlot::SecsAt(double x, const QRect& r) const {
  return StartSecs() + (x - r.left()) / std::max(1, r.width()) * (StopSecs() - StartSecs());
}

double TSeriesPlot::YOf(double value, const QRect& r) const {
  const double v = Energy() ? Level(value) : value;
  const double top = AxisTop();
  const double bottom = AxisBottom();
  double y = r.top() + (top - v) / (top - bottom) * r.height();
  // Keep far values just outside the pane (the clip removes them; no overflow).
  return std::clamp(y, r.top() - 2.0 * r.height() - 10.0, r.bottom() + 2.0 * r.height() + 10.0);
}

double TSeriesPlot::ValueAtY(double y, const QRect& r) const {
  return AxisTop() - (y - r.top()) / std::max(1, r.height()) * (AxisTop() - AxisBottom());
}

void TSeriesPlot::Paint(QPainter& painter, const QRect& rect) {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  if (DocumentMode() && !spanSet_) ShowSpan(options_.startTime, options_.stopTime);
  SetPaneMode(Panes());
  painter.fillRect(rect, palette().color(QPalette::Window));
  for (int p = 0; p < Panes(); ++p) PaintPane(painter, rect, p);
}

void TSeriesPlot::PaintTimeAxis(QPainter& painter, const QRect& r, bool labels) {
  const QFont font = LabelFont(r);
  const QFontMetrics fm(font);
  painter.setFont(font);
  const double t0 = StartSecs();
  const double t1 = StopSecs();
  const double step = NiceStep(t1 - t0, std::max(2, r.width() / 90));
  double lastLabel = -1e9;
  int drawn = 0;
  for (double t = std::ceil(t0 / step) * step; t <= t1 + 1e-12 && drawn < 200; t += step, ++drawn) {
    const double x = XOf(t, r);
    if (options_.gridEnabled) {
      painter.setPen(ColorOf(options_.gridColor));
      painter.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
    }
    if (!labels) continue;
    painter.setPen(palette().color(QPalette::WindowText));
    const QString label =
        step >= 1.0
            ? QString::fromStdString(TimeText(t, false))
            : QString::number(t, 'f',
                              std::clamp(static_cast<int>(-std::floor(std::log10(step))), 0, 6));
    const double w = fm.horizontalAdvance(label) + 8;
    if (x - lastLabel >= w) {
      painter.drawText(QRectF(x - w / 2, r.bottom() + 3, w, fm.height()), Qt::AlignCenter, label);
      lastLabel = x;
    }
  }
  if (labels) {
    painter.drawText(QRectF(r.left(), r.bottom() + 3 + fm.height(), r.width(), fm.height()),
                     Qt::AlignCenter, QString::fromUtf8(viewtext::kSeriesTimeAxis));
  }
}

void TSeriesPlot::PaintPane(QPainter& painter, const QRect& area, int pane) {
  const QRect r = PaneRect(area, pane);
  if (r.width() <= 0 || r.height() <= 0) return;
  const QColor text = palette().color(QPalette::WindowText);
  painter.fillRect(r, ColorOf(options_.backgroundColor));
  const QFont font = LabelFont(area);
  const QFontMetrics fm(font);
  painter.setFont(font);
  const bool xy = options_.plotChannel >= 6 && source_ && Panes() == 1 && StereoSource();

  // Amplitude grid and labels.
  const double top = AxisTop();
  const double bottom = AxisBottom();
  const double step = NiceStep(top - bottom, std::max(2, r.height() / 40));
  double lastY = -1e9;
  int drawn = 0;
  for (double v = std::ceil(bottom / step) * step; v <= top + 1e-9 && drawn < 200;
       v += step, ++drawn) {
    const double y = r.top() + (top - v) / (top - bottom) * r.height();
    if (options_.gridEnabled) {
      painter.setPen(ColorOf(options_.gridColor));
      painter.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
    }
    painter.setPen(text);
    if (std::fabs(y - lastY) >= fm.height()) {
      painter.drawText(QRectF(0, y - fm.height() / 2.0, r.left() - 4, fm.height()),
                       Qt::AlignRight | Qt::AlignVCenter,
                       QString::number(std::fabs(v) < step * 1e-6 ? 0.0 : v, 'g', 5));
      lastY = y;
    }
  }
  if (!xy) PaintTimeAxis(painter, r, pane == Panes() - 1);

  painter.save();
  painter.setClipRect(r);
  // The selection and the analysis position of a document.
  if (DocumentMode() && source_) {
    double a = 0.0, b = 0.0;
    source_->Selection(a, b);
    if (b > a) {
      painter.fillRect(QRectF(QPointF(XOf(a, r), r.top()), QPointF(XOf(b, r), r.bottom())),
                       QColor(0, 120, 215, 60));
    }
    painter.setPen(QPen(QColor(0, 160, 0), 1));
    const double x = XOf(source_->PositionSecs(), r);
    painter.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
  }
  const std::vector<TPoint> points = Trace(pane, r.width());
  painter.setPen(QPen(ColorOf(options_.lineColor), 1));
  if (xy) {
    // X/Y: zero on the centre lines, +-top on the edges, at least a pixel inside.
    const double t =
        std::isfinite(options_.plotTop) && options_.plotTop > 0 ? options_.plotTop : 1.0;
    QPolygonF cloud;
    cloud.reserve(static_cast<qsizetype>(points.size()));
    for (const TPoint& p : points) {
      const double x = std::clamp(r.left() + r.width() / 2.0 + r.width() * p.low * 0.5 / t,
                                  r.left() + 1.0, r.right() - 1.0);
      const double y = std::clamp(r.bottom() - (r.height() / 2.0 + r.height() * p.high * 0.5 / t),
                                  r.top() + 1.0, r.bottom() - 1.0);
      cloud << QPointF(std::trunc(x), std::trunc(y));
    }
    painter.drawPoints(cloud);
  } else if (!points.empty()) {
    const bool ranges =
        std::any_of(points.begin(), points.end(), [](const TPoint& p) { return p.low != p.high; });
    if (ranges && Energy()) {
      // The level envelope: each column from the bottom up to the level of its extreme.
      for (const TPoint& p : points) {
        const double x = std::floor(XOf(p.timeSecs, r)) + 0.5;
        const double m = std::max(std::fabs(p.low), std::fabs(p.high));
        painter.drawLine(QPointF(x, r.bottom()), QPointF(x, YOf(m, r)));
      }
    } else if (ranges) {
      QPolygonF line;
      line.reserve(static_cast<qsizetype>(points.size()) * 2);
      bool up = true;
      for (const TPoint& p : points) {
        const double x = std::floor(XOf(p.timeSecs, r)) + 0.5;
        // Alternate the order so that joining columns draws no extra strokes.
        line << QPointF(x, YOf(up ? p.low : p.high, r)) << QPointF(x, YOf(up ? p.high : p.low, r));
        up = !up;
      }
      painter.drawPolyline(line);
    } else {
      QPolygonF line;
      line.reserve(static_cast<qsizetype>(points.size()));
      for (const TPoint& p : points) line << QPointF(XOf(p.timeSecs, r), YOf(p.low, r));
      if (line.size() == 1)
        painter.drawPoint(line.front());
      else
        painter.drawPolyline(line);
    }
  }
  if (cursorActive_ && pane == 0 && !xy) {
    painter.setPen(QPen(QColor(200, 0, 0), 1, Qt::DashLine));
    const double x = XOf(cursorSecs_, r);
    painter.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
  }
  painter.restore();
  painter.setPen(text);
  painter.drawRect(r.adjusted(0, 0, -1, -1));
  painter.drawText(QRectF(r.left(), r.top() - fm.height() - 2, r.width(), fm.height()),
                   Qt::AlignCenter, QString::fromStdString(TraceLabel(pane)));
  painter.save();
  painter.translate(fm.height() / 2.0 + 1, r.center().y());
  painter.rotate(-90);
  const char* axis = Energy()
                         ? viewtext::kSeriesDbAxis
                         : (source_ && source_->Calibrated() ? "" : viewtext::kSeriesPercentAxis);
  painter.drawText(QRectF(-r.height() / 2.0, -fm.height() / 2.0, r.height(), fm.height()),
                   Qt::AlignCenter, QString::fromUtf8(axis));
  painter.restore();
  std::string readout = pane == 0 ? readout_ : std::string();
  if (pane == 0 && cursorActive_) {
    char line[128];
    std::snprintf(line, sizeof line, "%.4f s, %.4f", cursorSecs_, CursorValue());
    readout = peakText_.empty() ? line : peakText_ + "\n" + line;
  }
  PaintReadout(painter, r, readout);
}

// ---------------------------------------------------------------------------- input

void TSeriesPlot::mousePressEvent(QMouseEvent* event) {
  setFocus();
  if (event->button() != Qt::LeftButton) return;
  const QRect r = PaneRect(rect(), 0);
  const QRect all = r.united(PaneRect(rect(), Panes() - 1));
  if (!all.contains(event->pos())) return;
  selectStart_ = SecsAt(event->pos().x(), r);
  selecting_ = DocumentMode();
  SetCursorKind(selecting_ ? CursorKind::Selection : CursorKind::Blank);
}

void TSeriesPlot::mouseMoveEvent(QMouseEvent* event) {
  const QRect r = PaneRect(rect(), 0);
  const double secs = SecsAt(event->pos().x(), r);
  if (selecting_ && source_) {
    const double other = SecsAt(event->pos().x(), r);
    if (std::fabs(XOf(other, r) - XOf(selectStart_, r)) >= 3.0) {
      source_->SetSelection(std::min(selectStart_, other), std::max(selectStart_, other));
      update();
    }
  }
  const QRect all = r.united(PaneRect(rect(), Panes() - 1));
  if (!all.contains(event->pos())) {
    SetReadout({});
    SetCursorKind(CursorKind::Arrow);
    return;
  }
  if (!selecting_) SetCursorKind(CursorKind::Plot);
  char line[96];
  std::snprintf(line, sizeof line, "%.4f s, %.4g", secs, ValueAtY(event->pos().y(), r));
  SetReadout(line);
}

void TSeriesPlot::mouseReleaseEvent(QMouseEvent* event) {
  const QRect r = PaneRect(rect(), 0);
  const double secs = SecsAt(event->pos().x(), r);
  const bool click = std::fabs(XOf(secs, r) - XOf(selectStart_, r)) < 3.0;
  if (event->button() == Qt::LeftButton && click) SetCursorSecs(secs);
  selecting_ = false;
  SetCursorKind(CursorKind::Plot);
}

void TSeriesPlot::mouseDoubleClickEvent(QMouseEvent* event) {
  (void)event;
  ResetZoom();
}

void TSeriesPlot::leaveEvent(QEvent* event) {
  TViewPlot::leaveEvent(event);
  SetReadout({});
}

void TSeriesPlot::wheelEvent(QWheelEvent* event) {
  // A horizontal wheel (or Alt with the wheel) scrolls the document.
  const int horizontal = event->angleDelta().x() != 0             ? event->angleDelta().x()
                         : (event->modifiers() & Qt::AltModifier) ? event->angleDelta().y()
                                                                  : 0;
  if (horizontal != 0 && DocumentMode()) {
    Scroll(-0.1 * horizontal / 120.0);
    event->accept();
    return;
  }
  TViewPlot::wheelEvent(event);
}

void TSeriesPlot::keyPressEvent(QKeyEvent* event) {
  const double sample = 1.0 / SampleRate();
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
      const double sign = event->key() == Qt::Key_Left ? -1.0 : 1.0;
      if (event->modifiers() & Qt::ControlModifier) {
        Scroll(0.5 * sign);
        break;
      }
      if (!cursorActive_) {
        SetCursorSecs(0.5 * (StartSecs() + StopSecs()));
        break;
      }
      // One sample on, on the sample grid.
      SetCursorSecs(std::round(cursorSecs_ / sample + sign) * sample);
      if (cursorSecs_ > StopSecs() || cursorSecs_ < StartSecs()) Scroll(0.5 * sign);
      break;
    }
    case Qt::Key_PageUp:
      Scroll(-1.0);
      break;
    case Qt::Key_PageDown:
      Scroll(1.0);
      break;
    case Qt::Key_Home:
      ResetZoom();
      break;
    case Qt::Key_End:
      ShowAll();
      break;
    case Qt::Key_P:
    case Qt::Key_N:
      PeakSearch(event->key() == Qt::Key_N);
      break;
    case Qt::Key_Escape:
      cursorActive_ = false;
      update();
      break;
    default:
      TViewPlot::keyPressEvent(event);
      return;
  }
  event->accept();
}

void TSeriesPlot::contextMenuEvent(QContextMenuEvent* event) {
  using namespace viewtext;
  QMenu menu(this);
  AddActionItem(menu, kMenuCut, PlotAction::Cut);
  AddActionItem(menu, kMenuCopyAsWave, PlotAction::CopyAsWave);
  connect(menu.addAction(QString::fromUtf8(kMenuCopyAsTextSeries)), &QAction::triggered, this,
          [this] { CopyAsText(); });
  connect(menu.addAction(QString::fromUtf8(kMenuCopyAsBitmapSeries)), &QAction::triggered, this,
          [this] { CopyAsBitmap(); });
  AddActionItem(menu, kMenuMute, PlotAction::Mute);
  AddActionItem(menu, kMenuFilter, PlotAction::Filter);
  AddActionItem(menu, kMenuPlay, PlotAction::Play);
  connect(menu.addAction(QString::fromUtf8(kMenuAutoscaleDisplay)), &QAction::triggered, this,
          [this] { Autoscale(); });
  AddActionItem(menu, kMenuAverageSpectrum, PlotAction::AverageSpectrum);
  AddActionItem(menu, kMenuComputeSpectrogram, PlotAction::Spectrogram);
  AddActionItem(menu, kMenuComputeSurface, PlotAction::Surface);
  AddActionItem(menu, kMenuLeq, PlotAction::Leq);
  AddActionItem(menu, kMenuRmsLevel, PlotAction::RmsLevel);
  AddActionItem(menu, kMenuCrestFactor, PlotAction::CrestFactor);
  AddActionItem(menu, kMenuDtmf, PlotAction::Dtmf);
  AddActionItem(menu, kMenuHilbert, PlotAction::Envelope);
  AddActionItem(menu, kMenuSchroeder, PlotAction::Schroeder);
  menu.addSeparator();
  if (cursorActive_) {
    connect(menu.addAction(QString::fromUtf8(kMenuCopyCursorValues)), &QAction::triggered, this,
            [this] { CopyCursorValues(); });
  }
  connect(menu.addAction(QString::fromUtf8(kMenuPropertiesPlot)), &QAction::triggered, this,
          [this] { emit PropertiesRequested(); });
  AddToolItems(menu, true);
  menu.exec(event->globalPos());
}

}  // namespace orvanix
