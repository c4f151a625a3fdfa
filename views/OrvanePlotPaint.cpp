// Painting of the spectrum view: background, panes, grid and axes, traces and titles.
// Traces with more bins than pixel columns are drawn as one min/max pair per column, into
// buffers that are reused from paint to paint.
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>

#include "engine/OctaveBands.h"
#include "views/OrvanePlot.h"
#include "views/TextFormat.h"
#include "views/ViewTexts.h"

namespace orvanix {

namespace {

QColor FromBgr(uint32_t c) {
  return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// The smallest of 1, 2, 2.5, 5 x 10^k not below v (v > 0).
double NiceStep(double v) {
  if (!(v > 0.0) || !std::isfinite(v)) return 1.0;
  const double decade = std::pow(10.0, std::floor(std::log10(v)));
  for (double m : {1.0, 2.0, 2.5, 5.0}) {
    if (m * decade >= v * (1.0 - 1e-9)) return m * decade;
  }
  return 10.0 * decade;
}

// FormatValue type that shows multiples of `step` exactly: 0 for whole steps, else the
// decimals the step needs (at most 6).
int DecimalsType(double step) {
  for (int d = 0; d <= 6; ++d) {
    const double scaled = step * std::pow(10.0, d);
    if (std::fabs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, scaled)) return d;
  }
  return 6;
}

// Rank of a logarithmic-axis tick, most important first: 0 a decade (1, 10, 100 ... Hz),
// 1 two or five times a decade, 2 another whole multiple of a decade, 3 the finer ticks of
// an axis zoomed in to less than a decade (1.2k, 1.4k ...).
int LogTickRank(double hz) {
  if (!(hz > 0.0)) return 3;
  const double decade = std::pow(10.0, std::floor(std::log10(hz) + 1e-9));
  const double mantissa = hz / decade;
  const double digit = std::round(mantissa);
  if (std::fabs(mantissa - digit) > 1e-6) return 3;
  if (digit == 1.0) return 0;
  return digit == 2.0 || digit == 5.0 ? 1 : 2;
}

// Short label of a band's nominal centre: "31.5", "125", "1.25k", "20k".
std::string BandAxisLabel(float nominal) {
  if (nominal >= 1000.0f) return BandLabel(nominal / 1000.0f) + "k";
  return BandLabel(nominal);
}

}  // namespace

// On screens and images a line of whole device pixels, as many as one pixel of the
// window's own scale (one at 1x: the raster engine's fast antialiased path, which keeps a
// dense trace at screen rates; two at 1.5x and 2x, so the trace does not thin to a
// hairline on a high-density screen); a line of fixed width on paper, where a device pixel
// would be invisibly thin.
QPen TOrvanePlot::TracePen(const QPainter& painter, const QColor& color) {
  const QPaintDevice* device = painter.device();
  const bool paper = device && (device->devType() == QInternal::Printer ||
                                device->devType() == QInternal::Picture);
  if (paper) return QPen(color, 1.25, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  const double ratio = device ? device->devicePixelRatioF() : 1.0;
  QPen pen(color, std::max(1.0, std::round(ratio)));
  pen.setCosmetic(true);
  return pen;
}

namespace {

bool Overlaps(const std::vector<std::pair<double, double>>& placed, double left, double right) {
  for (const auto& p : placed) {
    if (left < p.second && right > p.first) return true;
  }
  return false;
}

}  // namespace

void TOrvanePlot::Paint(QPainter& painter, const QRect& area) {
  UpdateLegendWidth(area);
  SetPaneMode(PaneCount());

  Colors colors;
  colors.background = FromBgr(options_.backgroundColor);
  colors.trace = FromBgr(options_.lineColor);
  colors.grid = FromBgr(options_.gridColor);
  colors.gridMinor = colors.grid;
  colors.gridMinor.setAlpha(120);
  colors.marker = FromBgr(options_.markerColor);
  const bool dark = colors.background.lightness() < 128;
  colors.text = dark ? QColor(225, 225, 225) : QColor(25, 25, 25);
  colors.frame = colors.text;
  colors.frame.setAlpha(150);
  for (int i = 0; i < kOverlaySlots; ++i) colors.overlay[i] = FromBgr(options_.overlayColor[i]);

  painter.save();
  const QFont font = LabelFont(area);
  painter.setFont(font);
  const int panes = PaneCount();
  std::array<PaneGeometry, 2> geometry;
  backdrop_.Begin(area, colors.background);
  for (int pane = 0; pane < panes; ++pane) {
    geometry[size_t(pane)] = Geometry(area, pane);
    PaintBackdrop(geometry[size_t(pane)], colors, font, pane);
  }
  // Frequency axis title under the lowest pane.
  const QRect lowest = PaneRect(area, panes - 1);
  const QFontMetrics fm(font);
  backdrop_.Text(
      QRect(lowest.left(), lowest.bottom() + fm.height() + 6, lowest.width(), fm.height()),
      Qt::AlignHCenter | Qt::AlignTop, QString::fromUtf8(viewtext::kFrequencyAxisLabel),
      colors.text, font);
  backdrop_.Paint(painter);
  for (int pane = 0; pane < panes; ++pane) {
    PaintPane(painter, geometry[size_t(pane)], colors, pane);
  }
  PaintLegend(painter, area, colors);
  PaintSelection(painter, area, colors);
  painter.restore();
}

void TOrvanePlot::PaintBackdrop(const PaneGeometry& g, const Colors& colors, const QFont& font,
                                int pane) {
  const QFontMetrics fm(font);
  const bool lowest = pane == PaneCount() - 1;
  PaintAmplitudeAxis(g, colors, font);
  PaintFrequencyAxis(g, colors, font, lowest);

  // Vertical axis title, turned to read upwards.
  if (g.spectrum || source_) {
    const std::string label =
        g.spectrum ? AxisLabel(*g.spectrum, g.coherence)
                   : (source_->Scaling().ampScale == 1 ? viewtext::kRelativeAmplitudeDb
                                                       : viewtext::kPercentFullScale);
    QTransform turn;
    turn.translate(g.area.left() + 2, g.rect.center().y());
    turn.rotate(-90.0);
    const QString text =
        fm.elidedText(QString::fromStdString(label), Qt::ElideRight, g.rect.height());
    backdrop_.Text(QRect(-g.rect.height() / 2, 0, g.rect.height(), fm.height()), Qt::AlignCenter,
                   text, colors.text, font, turn);
  }
  // The frame, which the traces stay inside so that none hides it.
  backdrop_.Frame(QRectF(g.rect).adjusted(0.5, 0.5, -0.5, -0.5), QPen(colors.frame, 1.0));
}

void TOrvanePlot::PaintPane(QPainter& painter, const PaneGeometry& g, const Colors& colors,
                            int pane) {
  const QFontMetrics fm(painter.font());

  // Title above the pane: the trace label (and spectral density), the power readout right.
  std::string title =
      source_ ? (pane == 0 ? source_->PrimaryLabel() : source_->SecondaryLabel()) : std::string();
  if (source_ && source_->Scaling().spectralDensity && !g.coherence) {
    title += std::string("    ") + (source_->Scaling().spectralDensityType == 1
                                        ? viewtext::kPsdAmplitudeTitle
                                        : viewtext::kPsdPowerTitle);
  }
  const QRect titleBox(g.rect.left(), g.rect.top() - fm.height() - 4, g.rect.width(), fm.height());
  painter.setPen(colors.text);
  if (options_.showRmsLevel && !g.coherence) {
    const QString power = QString::fromStdString(PowerReadout(pane));
    painter.drawText(titleBox, Qt::AlignRight | Qt::AlignVCenter, power);
    const int room = g.rect.width() - fm.horizontalAdvance(power) - fm.averageCharWidth() * 2;
    painter.drawText(
        QRect(titleBox.left(), titleBox.top(), std::max(0, room), titleBox.height()),
        Qt::AlignLeft | Qt::AlignVCenter,
        fm.elidedText(QString::fromStdString(title), Qt::ElideRight, std::max(0, room)));
  } else {
    painter.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter,
                     fm.elidedText(QString::fromStdString(title), Qt::ElideRight, g.rect.width()));
  }

  painter.save();
  painter.setClipRect(g.rect.adjusted(1, 1, -1, -1));
  PaintOverlays(painter, g, pane);
  if (g.spectrum && g.range.valid) {
    PaintTrace(painter, g, colors);
    PaintMarkers(painter, g, colors);
  }
  PaintCursor(painter, g, colors, pane);
  painter.restore();
}

void TOrvanePlot::PaintAmplitudeAxis(const PaneGeometry& g, const Colors& colors,
                                     const QFont& font) {
  const QFontMetrics fm(font);
  const double span = g.amp.Top() - g.amp.Bottom();
  const int divisions = std::clamp(int(g.rect.height() / (2.2 * fm.height())), 1, 10);
  const double step = NiceStep(span / divisions);
  const int type = DecimalsType(step);
  const double first = std::ceil((g.amp.Bottom() - 1e-9 * span) / step) * step;
  for (int k = 0; k <= 1000; ++k) {
    const double v = first + k * step;
    if (v > g.amp.Top() + 1e-9 * span) break;
    const double y = std::round(g.amp.Y(v)) + 0.5;
    if (options_.gridEnabled) {
      backdrop_.Line(QLineF(g.rect.left(), y, g.rect.right(), y),
                     QPen(colors.grid, 1.0, Qt::DotLine));
    }
    const std::string text = FormatValue(std::fabs(v) < 1e-9 * span ? 0.0 : v, type, "");
    backdrop_.Text(QRectF(g.rect.left() - 200 - 6, y - fm.height() / 2.0, 200, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(text), colors.text,
                   font);
  }
}

void TOrvanePlot::PaintFrequencyAxis(const PaneGeometry& g, const Colors& colors, const QFont& font,
                                     bool labels) {
  const QFontMetrics fm(font);
  const double labelTop = g.rect.bottom() + 5;
  std::vector<std::pair<double, double>>& placed = placedLabels_;
  placed.clear();
  auto place = [&](double x, const QString& text) {
    const double w = fm.horizontalAdvance(text);
    double left =
        std::clamp(x - w / 2.0, double(g.rect.left()) - w / 2.0, double(g.rect.right()) - w / 2.0);
    if (Overlaps(placed, left - 6, left + w + 6)) return;
    placed.emplace_back(left, left + w);
    backdrop_.Text(QRectF(left, labelTop, w + 1, fm.height()), Qt::AlignLeft | Qt::AlignTop, text,
                   colors.text, font);
  };

  if (g.octave) {
    // Bands, labelled at their centres with a regular skip so labels never collide; on a
    // 1/3-octave axis a skip of 3 lands on the octave bands (31.5, 63, 125 ...).
    const TSpectralData& s = *g.spectrum;
    if (!g.range.valid) return;
    const uint32_t n = g.range.last - g.range.first + 1;
    const double pitch = g.rect.width() / double(n);
    const int widest = fm.horizontalAdvance(QStringLiteral("12.5k")) + 8;
    uint32_t skip = std::max<uint32_t>(1, uint32_t(std::ceil(widest / std::max(pitch, 1e-3))));
    // A skip that divides the bands per octave, or is a whole number of octaves, keeps the
    // labels on the same bands across the axis.
    const uint32_t perOctave = std::max<uint32_t>(1, s.OctaveNumber());
    while (skip > 1 && perOctave % skip != 0 && skip % perOctave != 0) ++skip;
    for (uint32_t i = g.range.first; i <= g.range.last; ++i) {
      if (i % skip != 0) continue;
      const double centre = std::sqrt(double(s.BandLower(i)) * double(s.BandUpper(i)));
      const double x = std::round(g.freq.X(centre)) + 0.5;
      if (options_.gridEnabled) {
        backdrop_.Line(QLineF(x, g.rect.top(), x, g.rect.bottom()),
                       QPen(colors.grid, 1.0, Qt::DotLine));
      }
      if (labels) place(x, QString::fromStdString(BandAxisLabel(s.BandCentre(i))));
    }
    return;
  }

  // The ticks change only with the range; both panes and every repaint share them.
  if (g.freq.StartHz() != ticksStart_ || g.freq.StopHz() != ticksStop_ ||
      g.freq.Logarithmic() != ticksLog_) {
    ticks_ = FrequencyTicks(g.freq.StartHz(), g.freq.StopHz(), g.freq.Logarithmic());
    ticksStart_ = g.freq.StartHz();
    ticksStop_ = g.freq.StopHz();
    ticksLog_ = g.freq.Logarithmic();
  }
  const std::vector<TFrequencyTick>& ticks = ticks_;
  for (const TFrequencyTick& tick : ticks) {
    const double x = std::round(g.freq.X(tick.hz)) + 0.5;
    if (options_.gridEnabled) {
      const bool major = !g.freq.Logarithmic() || LogTickRank(tick.hz) == 0;
      backdrop_.Line(QLineF(x, g.rect.top(), x, g.rect.bottom()),
                     QPen(major ? colors.grid : colors.gridMinor, 1.0, Qt::DotLine));
    }
  }
  if (!labels) return;
  // Labels by rank: on a logarithmic axis the decades first, then 2 and 5, then the rest
  // where they still fit.
  const int ranks = g.freq.Logarithmic() ? 4 : 1;
  for (int rank = 0; rank < ranks; ++rank) {
    for (const TFrequencyTick& tick : ticks) {
      if (g.freq.Logarithmic() && LogTickRank(tick.hz) != rank) continue;
      place(std::round(g.freq.X(tick.hz)) + 0.5, QString::fromStdString(tick.label));
    }
  }
}

void TOrvanePlot::PaintTrace(QPainter& painter, const PaneGeometry& g, const Colors& colors) {
  const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
  painter.setPen(TracePen(painter, colors.trace));
  painter.setBrush(colors.trace);
  if (options_.plotType == 1) {
    PaintBarTrace(painter, g, ratio);
  } else {
    PaintLineTrace(painter, g, ratio);
  }
}

void TOrvanePlot::GatherColumns(const PaneGeometry& g, double pixelRatio) {
  const TSpectralData& s = *g.spectrum;
  columns_.clear();
  // One column of device pixels gathers every bin that falls in it: first, lowest, highest
  // and last value keep the envelope and the joins to the neighbours.
  const auto columnOf = [&](uint32_t i) {
    return int(std::floor(g.freq.X(s.BinFrequency(i)) * pixelRatio));
  };
  // Where many bins share a column (a long transform, the top of a logarithmic axis), the
  // column's last bin is found from the frequency at its right edge and checked with the same
  // mapping, instead of mapping every bin to its column.
  const double binWidth = s.BinWidth();
  for (uint32_t i = g.range.first; i <= g.range.last;) {
    const double x = g.freq.X(s.BinFrequency(i));
    const int c = int(std::floor(x * pixelRatio));
    uint32_t end = i;  // the column's last bin
    if (binWidth > 0.0) {
      const double edge = g.freq.Frequency((c + 1) / pixelRatio) / binWidth;
      if (edge > i + 2.0) {
        end = uint32_t(std::min<double>(edge, g.range.last));
        while (end > i && columnOf(end) != c) --end;
        while (end < g.range.last && columnOf(end + 1) == c) ++end;
      }
    }
    double y = g.amp.Y(s.Value(i));
    if (columns_.empty() || columns_.back().column != c) {
      columns_.push_back({c, 1, x, y, y, y, y});
    } else {
      ++columns_.back().count;
      columns_.back().Add(y);
    }
    TraceColumn& col = columns_.back();
    for (uint32_t k = i + 1; k <= end; ++k) {
      y = g.amp.Y(s.Value(k));
      ++col.count;
      col.Add(y);
    }
    i = end + 1;
  }
}

void TOrvanePlot::PaintLineTrace(QPainter& painter, const PaneGeometry& g, double pixelRatio) {
  const TSpectralData& s = *g.spectrum;
  polyline_.clear();
  if (g.octave) {
    for (uint32_t i = g.range.first; i <= g.range.last; ++i) {
      const double centre = std::sqrt(double(s.BandLower(i)) * double(s.BandUpper(i)));
      polyline_.append(QPointF(g.freq.X(centre), g.amp.Y(s.Value(i))));
    }
  } else if (painter.pen().widthF() > 1.0 && TracePenIsDevicePixels(painter)) {
    // A line wider than a device pixel (a high-density screen) is drawn column by column:
    // as one polyline the raster engine would fill its outline, a shape whose dense
    // zigzags cost it tenths of a second.
    PaintWideLineTrace(painter, g, pixelRatio);
    return;
  } else {
    GatherColumns(g, pixelRatio);
    for (const TraceColumn& c : columns_) {
      if (c.count == 1) {
        polyline_.append(QPointF(c.xFirst, c.yFirst));
      } else {
        const double x = (c.column + 0.5) / pixelRatio;
        polyline_.append(QPointF(x, c.yFirst));
        polyline_.append(QPointF(x, c.yHigh));
        polyline_.append(QPointF(x, c.yLow));
        polyline_.append(QPointF(x, c.yLast));
      }
    }
  }
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setBrush(Qt::NoBrush);
  if (polyline_.size() == 1) {
    painter.drawPoint(polyline_.front());
  } else {
    painter.drawPolyline(polyline_.constData(), int(polyline_.size()));
  }
}

bool TOrvanePlot::TracePenIsDevicePixels(const QPainter& painter) {
  return painter.pen().isCosmetic() && painter.worldTransform().isIdentity();
}

void TOrvanePlot::PaintWideLineTrace(QPainter& painter, const PaneGeometry& g, double pixelRatio) {
  // Columns of logical pixels: the pen is as wide as one of them.
  GatherColumns(g, 1.0);
  const double width = painter.pen().widthF() / pixelRatio;  // logical pixels
  const double half = 0.5 * width;
  bars_.clear();
  lines_.clear();
  const TraceColumn* previous = nullptr;
  QPointF exit;
  for (const TraceColumn& c : columns_) {
    QPointF entry(c.xFirst, c.yFirst);
    if (c.count > 1) {
      // The stroke through the column's values, as the pen would draw it (square ends).
      const double x = c.column + 0.5;
      entry = QPointF(x, c.yFirst);
      bars_.emplace_back(QPointF(x - half, c.yHigh - half), QPointF(x + half, c.yLow + half));
    }
    if (previous) {
      // A join that stays inside both neighbouring strokes adds nothing.
      const double top = std::min(exit.y(), entry.y());
      const double bottom = std::max(exit.y(), entry.y());
      const bool inside = previous->count > 1 && c.count > 1 && c.column == previous->column + 1 &&
                          top >= std::max(previous->yHigh, c.yHigh) &&
                          bottom <= std::min(previous->yLow, c.yLow);
      if (!inside) lines_.emplace_back(exit, entry);
    } else if (c.count == 1 && columns_.size() == 1) {
      lines_.emplace_back(entry, entry);
    }
    exit = c.count > 1 ? QPointF(c.column + 0.5, c.yLast) : entry;
    previous = &c;
  }
  const QPen pen = painter.pen();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(Qt::NoPen);
  painter.setBrush(pen.color());
  painter.drawRects(bars_.data(), int(bars_.size()));
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.drawLines(lines_.data(), int(lines_.size()));
}

void TOrvanePlot::PaintBarTrace(QPainter& painter, const PaneGeometry& g, double pixelRatio) {
  const TSpectralData& s = *g.spectrum;
  const double bottom = g.rect.bottom() + 1.0;
  bars_.clear();
  auto bar = [&](double left, double right, double y) {
    if (right - left < 1.0 / pixelRatio) right = left + 1.0 / pixelRatio;
    if (y < bottom) bars_.emplace_back(QPointF(left, y), QPointF(right, bottom));
  };
  if (g.octave) {
    for (uint32_t i = g.range.first; i <= g.range.last; ++i) {
      const double x0 = g.freq.X(s.BandLower(i));
      const double x1 = g.freq.X(s.BandUpper(i));
      const double gap = std::min(2.0, 0.12 * (x1 - x0));
      bar(x0 + gap, x1 - gap, g.amp.Y(s.Value(i)));
    }
  } else {
    // Bins wide enough get a bar of their own; narrower ones share one bar per column,
    // as high as the largest of them.
    const double halfBin = 0.5 * s.BinWidth();
    int column = INT_MIN;
    double columnTop = 0.0;
    auto flush = [&] {
      if (column != INT_MIN) bar(column / pixelRatio, (column + 1) / pixelRatio, columnTop);
      column = INT_MIN;
    };
    for (uint32_t i = g.range.first; i <= g.range.last; ++i) {
      const double hz = s.BinFrequency(i);
      const double y = g.amp.Y(s.Value(i));
      const double x0 = g.freq.X(std::max(hz - halfBin, 1e-9));
      const double x1 = g.freq.X(hz + halfBin);
      if (x1 - x0 >= 3.0) {
        flush();
        const double gap = std::min(2.0, 0.15 * (x1 - x0));
        bar(x0 + gap, x1 - gap, y);
        continue;
      }
      const int c = int(std::floor(g.freq.X(hz) * pixelRatio));
      if (c != column) {
        flush();
        column = c;
        columnTop = y;
      } else {
        columnTop = std::min(columnTop, y);
      }
    }
    flush();
  }
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(Qt::NoPen);
  painter.drawRects(bars_.data(), int(bars_.size()));
}

void TOrvanePlot::PaintSelection(QPainter& painter, const QRect& area, const Colors& colors) {
  if (!selecting_) return;
  const QRect top = PaneRect(area, 0);
  const QRect bottom = PaneRect(area, PaneCount() - 1);
  const int x0 = std::clamp(std::min(pressPoint_.x(), selectionX_), top.left(), top.right());
  const int x1 = std::clamp(std::max(pressPoint_.x(), selectionX_), top.left(), top.right());
  QColor fill = colors.text;
  fill.setAlpha(45);
  painter.fillRect(QRect(x0, top.top(), x1 - x0 + 1, bottom.bottom() - top.top() + 1), fill);
  painter.setPen(QPen(colors.text, 1.0, Qt::DashLine));
  painter.drawLine(x0, top.top(), x0, bottom.bottom());
  painter.drawLine(x1, top.top(), x1, bottom.bottom());
}

}  // namespace orvanix
