// TPhasePlot: painting, mouse, keys and menus.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "engine/SpectralData.h"
#include "views/Backdrop.h"
#include "views/ColorTable.h"
#include "views/PhasePlot.h"
#include "views/PlotViewTexts.h"
#include "views/ViewTexts.h"

namespace orvanix {

namespace {

QColor ColorOf(uint32_t ref) {
  return QColor::fromRgb(views::RgbOfColorRef(ref));
}

// A step for the phase axis giving at least four divisions.
double PhaseStep(double span) {
  for (double step : {90.0, 45.0, 30.0, 15.0, 10.0, 5.0, 2.0, 1.0, 0.5, 0.1}) {
    if (span / step >= 4.0) return step;
  }
  return 0.1;
}

}  // namespace

void TPhasePlot::Paint(QPainter& painter, const QRect& rect) {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  SetPaneMode(Panes());
  backdrop_.Begin(rect, palette().color(QPalette::Window));
  for (int p = 0; p < Panes(); ++p) ListBackdrop(rect, p);
  backdrop_.Paint(painter);
  for (int p = 0; p < Panes(); ++p) PaintPane(painter, rect, p);
}

void TPhasePlot::ListBackdrop(const QRect& area, int pane) {
  const QRect r = PaneRect(area, pane);
  if (r.width() <= 0 || r.height() <= 0) return;
  const QColor text = palette().color(QPalette::WindowText);
  backdrop_.Fill(r, ColorOf(options_.backgroundColor));
  const QFont font = LabelFont(area);
  const QFontMetrics fm(font);
  const QPen grid(ColorOf(options_.gridColor));

  // Frequency grid and labels.
  const std::vector<TFrequencyTick> ticks = FrequencyTicks(StartHz(), StopHz(), LogFrequency());
  double lastLabel = -1e9;
  for (const TFrequencyTick& tick : ticks) {
    const double x = XOf(tick.hz, r);
    if (x < r.left() - 0.5 || x > r.right() + 0.5) continue;
    if (options_.gridEnabled) backdrop_.Line(QLineF(x, r.top(), x, r.bottom()), grid);
    const QString label = QString::fromStdString(tick.label);
    const double w = fm.horizontalAdvance(label) + 6;
    if (x - lastLabel >= w && pane == Panes() - 1) {
      backdrop_.Text(QRectF(x - w / 2, r.bottom() + 3, w, fm.height()), Qt::AlignCenter, label,
                     text, font);
      lastLabel = x;
    }
  }
  // Phase grid and labels.
  const double top = TopDeg();
  const double bottom = BottomDeg();
  const double step = PhaseStep(top - bottom);
  double lastY = -1e9;
  for (double deg = std::ceil(bottom / step) * step; deg <= top + 1e-9; deg += step) {
    const double y = YOf(deg, r);
    if (options_.gridEnabled) backdrop_.Line(QLineF(r.left(), y, r.right(), y), grid);
    if (std::fabs(y - lastY) >= fm.height()) {
      backdrop_.Text(QRectF(0, y - fm.height() / 2.0, r.left() - 4, fm.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(deg, 'g', 4), text, font);
      lastY = y;
    }
  }
  // The frame (the trace stays inside it), the trace's label above the pane, the axes' names.
  backdrop_.Frame(QRectF(r.adjusted(0, 0, -1, -1)), QPen(text));
  const std::string label =
      pane == 0 ? source_ ? source_->PrimaryLabel() : std::string() : source_->SecondaryLabel();
  backdrop_.Text(QRectF(r.left(), r.top() - fm.height() - 2, r.width(), fm.height()),
                 Qt::AlignCenter, QString::fromStdString(label), text, font);
  QTransform turn;
  turn.translate(fm.height() / 2.0 + 1, r.center().y());
  turn.rotate(-90);
  backdrop_.Text(QRectF(-r.height() / 2.0, -fm.height() / 2.0, r.height(), fm.height()),
                 Qt::AlignCenter, QString::fromUtf8(viewtext::kPhaseAxisLabel), text, font, turn);
  if (pane == Panes() - 1) {
    backdrop_.Text(QRectF(r.left(), r.bottom() + 3 + fm.height(), r.width(), fm.height()),
                   Qt::AlignCenter, QString::fromUtf8(viewtext::kFrequencyAxisLabel), text, font);
  }
}

void TPhasePlot::PaintPane(QPainter& painter, const QRect& area, int pane) {
  const QRect r = PaneRect(area, pane);
  if (r.width() <= 0 || r.height() <= 0) return;
  painter.save();
  painter.setFont(LabelFont(area));
  painter.setPen(palette().color(QPalette::WindowText));
  painter.setClipRect(r.adjusted(1, 1, -1, -1));
  if (const TSpectralData* s = PaneSpectrum(pane)) PaintTrace(painter, r, *s);
  if (dragging_) {
    painter.fillRect(QRect(QPoint(std::min(dragStartX_, dragX_), r.top()),
                           QPoint(std::max(dragStartX_, dragX_), r.bottom())),
                     QColor(0, 0, 255, 50));
  }
  if (cursorActive_ && cursorPane_ == pane) {
    painter.setPen(QPen(ColorOf(options_.markerColor), 1, Qt::DashLine));
    const double x = XOf(cursorHz_, r);
    const double y = YOf(CursorPhase(), r);
    painter.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
    painter.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
  }
  painter.restore();
  std::string readout;
  if (cursorActive_ && cursorPane_ == pane) {
    char line[128];
    std::snprintf(line, sizeof line, "%.2f Hz, %.2f deg", cursorHz_, CursorPhase());
    readout = peakText_.empty() ? line : peakText_ + "\n" + line;
  } else if (pane == 0) {
    readout = readout_;
  }
  painter.save();
  painter.setFont(LabelFont(area));
  PaintReadout(painter, r, readout);
  painter.restore();
}

void TPhasePlot::PaintTrace(QPainter& painter, const QRect& r, const TSpectralData& s) {
  uint32_t first = 0, last = 0;
  if (!VisibleRange(s, first, last)) return;
  columns_.clear();
  float previous = 0.0f;
  // The axes' mappings worked out once: per bin only a multiplication (and on a logarithmic
  // axis one logarithm).
  const bool log = LogFrequency();
  const double start = StartHz();
  const double stop = StopHz();
  const double origin = log ? std::log(start) : start;
  const double xScale = r.width() / (log ? std::log(stop) - origin : stop - start);
  const double top = TopDeg();
  const double yScale = r.height() / (top - BottomDeg());
  const bool bands = s.BandCount() > 0;
  const double binWidth = s.BinWidth();
  const auto xOf = [&](uint32_t i) {
    const double hz = bands ? s.BandCentre(i) : i * binWidth;
    const double u = log ? (hz > 0.0 ? std::log(hz) : origin - 1e3) : hz;
    return r.left() + (u - origin) * xScale;
  };
  const auto columnOf = [&](uint32_t i) { return static_cast<int>(std::floor(xOf(i))); };
  for (uint32_t i = first; i <= last;) {
    const float phase = s.Phase(i);
    const double x = xOf(i);
    const double y = r.top() + (top - phase) * yScale;
    const int c = static_cast<int>(std::floor(x));
    // A wrap inside a column is covered by the column's stroke; only between columns does
    // the trace break.
    const bool newColumn = columns_.empty() || columns_.back().c != c;
    const bool wrapped = i > first && newColumn && std::fabs(phase - previous) > 180.0f;
    previous = phase;
    if (wrapped || newColumn) {
      columns_.push_back({c, 1, x, y, y, y, y, wrapped});
    } else {
      PhaseColumn& col = columns_.back();
      ++col.bins;
      col.minY = std::min(col.minY, y);
      col.maxY = std::max(col.maxY, y);
      col.lastY = y;
    }
    // Where many bins share the column (a long transform, the top of a logarithmic axis),
    // its last bin is found from the frequency at its right edge, checked with the same
    // mapping, and the bins up to it need no position of their own.
    uint32_t end = i;
    if (!bands && binWidth > 0.0) {
      const double u = origin + (c + 1 - r.left()) / xScale;
      const double edge = (log ? std::exp(u) : u) / binWidth;
      if (edge > i + 2.0) {
        end = static_cast<uint32_t>(std::min<double>(edge, last));
        while (end > i && columnOf(end) != c) --end;
        while (end < last && columnOf(end + 1) == c) ++end;
      }
    }
    PhaseColumn& col = columns_.back();
    for (uint32_t k = i + 1; k <= end; ++k) {
      const float p = s.Phase(k);
      const double yk = r.top() + (top - p) * yScale;
      ++col.bins;
      col.minY = std::min(col.minY, yk);
      col.maxY = std::max(col.maxY, yk);
      col.lastY = yk;
      previous = p;
    }
    i = end + 1;
  }
  QPen pen(ColorOf(options_.lineColor));
  // Cosmetic: one device pixel at 1x (the raster engine's fast path for thin lines), whole
  // device pixels of the window's scale on a high-density screen.
  const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
  const double width = ratio >= 1.5 ? std::round(ratio) : 0.0;
  pen.setCosmetic(true);
  pen.setWidthF(width);

  // Every column is one vertical stroke over the phases of its bins, and a join to the next
  // column takes the half next to each: that is how a line one column wide is rasterised,
  // and filling the strokes as rectangles of whole device pixels costs the raster engine a
  // fraction of drawing them as lines (noise has a random phase: thousands of strokes from
  // top to bottom). Joins that skip columns (sparse bins) stay lines.
  lines_.clear();
  for (size_t k = 1; k < columns_.size(); ++k) {
    PhaseColumn& before = columns_[k - 1];
    PhaseColumn& col = columns_[k];
    if (col.breakBefore) continue;
    if (col.c == before.c + 1) {
      const double middle = 0.5 * (before.lastY + col.firstY);
      before.minY = std::min(before.minY, middle);
      before.maxY = std::max(before.maxY, middle);
      col.minY = std::min(col.minY, middle);
      col.maxY = std::max(col.maxY, middle);
    } else {
      const double from = before.bins > 1 ? before.c + 0.5 : before.x;
      const double to = col.bins > 1 ? col.c + 0.5 : col.x;
      lines_.emplace_back(QPointF(from, before.lastY), QPointF(to, col.firstY));
    }
  }
  const double half = width > 0.0 ? 0.5 * width / ratio : 0.0;  // the pen's half, logical
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QColor color = pen.color();
  for (const PhaseColumn& col : columns_) {
    // Device rows whose centres lie in the stroke's span (at least one).
    double top = std::ceil((col.minY - half) * ratio - 0.5);
    double bottom = std::floor((col.maxY + half) * ratio - 0.5);
    if (bottom < top) bottom = top = std::floor(col.minY * ratio);
    const double x = width > 0.0 ? col.c + 0.5 - half : col.c;
    const double w = width > 0.0 ? 2.0 * half : 1.0;
    painter.fillRect(QRectF(x, top / ratio, w, (bottom - top + 1.0) / ratio), color);
  }
  painter.setPen(pen);
  painter.drawLines(lines_.data(), static_cast<int>(lines_.size()));
}

// ---------------------------------------------------------------------------- input

int TPhasePlot::PaneAt(const QPoint& p, const QRect& area) const {
  for (int pane = 0; pane < Panes(); ++pane) {
    if (PaneRect(area, pane).contains(p)) return pane;
  }
  return -1;
}

void TPhasePlot::mousePressEvent(QMouseEvent* event) {
  setFocus();
  if (event->button() != Qt::LeftButton) return;
  const int pane = PaneAt(event->pos(), rect());
  if (pane < 0) return;
  if (dragZoomArmed_ || (event->modifiers() & Qt::ShiftModifier)) {
    dragging_ = true;
    dragStartX_ = dragX_ = event->pos().x();
    return;
  }
  cursorPane_ = pane;
  const QRect r = PaneRect(rect(), pane);
  SetCursorHz(HzAt(event->pos().x(), r), DegAt(event->pos().y(), r));
  SetCursorKind(CursorKind::Blank);
}

void TPhasePlot::mouseMoveEvent(QMouseEvent* event) {
  const int pane = PaneAt(event->pos(), rect());
  if (dragging_) {
    dragX_ = event->pos().x();
    update();
    return;
  }
  if (pane < 0) {
    SetReadout({});
    SetCursorKind(CursorKind::Arrow);
    return;
  }
  SetCursorKind(CursorKind::Plot);
  const QRect r = PaneRect(rect(), pane);
  const double hz = HzAt(event->pos().x(), r);
  const TSpectralData* s = PaneSpectrum(pane);
  char line[128];
  if (s) {
    const uint32_t i = NearestIndex(*s, hz);
    std::snprintf(line, sizeof line, "%.2f Hz, %.2f deg", IndexHz(*s, i),
                  static_cast<double>(s->Phase(i)));
  } else {
    std::snprintf(line, sizeof line, "%.2f Hz", hz);
  }
  SetReadout(line);
  if ((event->buttons() & Qt::LeftButton) && cursorActive_) {
    SetCursorHz(hz, DegAt(event->pos().y(), r));
  }
}

void TPhasePlot::mouseReleaseEvent(QMouseEvent* event) {
  SetCursorKind(CursorKind::Plot);
  if (!dragging_) return;
  dragging_ = false;
  dragZoomArmed_ = false;
  const QRect r = PaneRect(rect(), 0);
  const int a = std::min(dragStartX_, event->pos().x());
  const int b = std::max(dragStartX_, event->pos().x());
  if (b - a >= 3 && r.width() > 0) {
    // The dragged columns become the whole width.
    const double f0 = (a - r.left()) / static_cast<double>(r.width());
    const double f1 = (b - r.left()) / static_cast<double>(r.width());
    const double x = zoom_.x() + std::clamp(f0, 0.0, 1.0) * zoom_.width();
    const double w =
        std::max(1e-4, (std::clamp(f1, 0.0, 1.0) - std::clamp(f0, 0.0, 1.0)) * zoom_.width());
    zoom_ = QRectF(x, zoom_.y(), w, zoom_.height());
  }
  update();
}

void TPhasePlot::mouseDoubleClickEvent(QMouseEvent* event) {
  (void)event;
  ResetZoom();
}

void TPhasePlot::leaveEvent(QEvent* event) {
  TViewPlot::leaveEvent(event);
  SetReadout({});
}

void TPhasePlot::keyPressEvent(QKeyEvent* event) {
  const TSpectralData* s = PaneSpectrum(cursorPane_);
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
      if (!s) break;
      uint32_t first = 0, last = 0;
      if (!VisibleRange(*s, first, last)) break;
      if (!cursorActive_) {
        SetCursorHz(IndexHz(*s, (first + last) / 2));
        break;
      }
      uint32_t i = NearestIndex(*s, cursorHz_);
      if (event->key() == Qt::Key_Left && i > first) --i;
      if (event->key() == Qt::Key_Right && i < last) ++i;
      const bool grab = options_.grabCursor != 0;
      options_.grabCursor = 1;  // the keys always step from bin to bin
      SetCursorHz(IndexHz(*s, i));
      options_.grabCursor = grab;
      break;
    }
    case Qt::Key_Home:
      ResetZoom();
      break;
    case Qt::Key_Plus:
      ZoomIn2();
      break;
    case Qt::Key_Minus:
      ZoomOut2();
      break;
    case Qt::Key_P:
      PeakSearch(false);
      break;
    case Qt::Key_N:
      PeakSearch(true);
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

void TPhasePlot::ShowDataValues() {
  QDialog dialog(this);
  dialog.setWindowTitle(QString::fromUtf8(viewtext::kPhaseViewName));
  auto* layout = new QVBoxLayout(&dialog);
  auto* text = new QPlainTextEdit(QString::fromStdString(ExportText()).remove('\r'));
  text->setReadOnly(true);
  layout->addWidget(text);
  dialog.resize(420, 480);
  dialog.exec();
}

void TPhasePlot::contextMenuEvent(QContextMenuEvent* event) {
  using namespace viewtext;
  QMenu menu(this);
  if (cursorActive_) {
    connect(menu.addAction(QString::fromUtf8(kMenuCopyCursorValues)), &QAction::triggered, this,
            [this] { CopyCursorValues(); });
    menu.addSeparator();
  }
  QAction* copy = menu.addAction(QString::fromUtf8(kMenuCopyAsTextPhase));
  copy->setEnabled(PaneSpectrum(0) != nullptr);
  connect(copy, &QAction::triggered, this, [this] { CopyAsText(); });
  connect(menu.addAction(QString::fromUtf8(kMenuCopyAsBitmap)), &QAction::triggered, this,
          [this] { CopyAsBitmap(); });
  connect(menu.addAction(QString::fromUtf8(kMenuViewDataValuesPhase)), &QAction::triggered, this,
          [this] { ShowDataValues(); });
  connect(menu.addAction(QString::fromUtf8(kMenuPropertiesPlot)), &QAction::triggered, this,
          [this] { emit PropertiesRequested(); });
  connect(menu.addAction(QString::fromUtf8(kMenuHelpPlot)), &QAction::triggered, this,
          [this] { emit HelpRequested(); });
  menu.addSeparator();
  connect(menu.addAction(QString::fromUtf8(kZoomInFrequency)), &QAction::triggered, this,
          [this] { ArmDragZoom(); });
  connect(menu.addAction(QString::fromUtf8(kZoomFull)), &QAction::triggered, this,
          [this] { ZoomFull(); });
  connect(menu.addAction(QString::fromUtf8(kZoomIn2)), &QAction::triggered, this,
          [this] { ZoomIn2(); });
  connect(menu.addAction(QString::fromUtf8(kZoomOut2)), &QAction::triggered, this,
          [this] { ZoomOut2(); });
  AddToolItems(menu, true);
  menu.exec(event->globalPos());
}

}  // namespace orvanix
