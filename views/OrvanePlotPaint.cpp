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
  painter.fillRect(area, colors.background);
  painter.setFont(LabelFont(area));
  const int panes = PaneCount();
  for (int pane = 0; pane < panes; ++pane) {
    const PaneGeometry g = Geometry(area, pane);
    PaintPane(painter, g, colors, pane);
  }
  // Frequency axis title under the lowest pane.
  const QRect lowest = PaneRect(area, panes - 1);
  const QFontMetrics fm(painter.font());
  painter.setPen(colors.text);
  painter.drawText(
      QRect(lowest.left(), lowest.bottom() + fm.height() + 6, lowest.width(), fm.height()),
      Qt::AlignHCenter | Qt::AlignTop, QString::fromUtf8(viewtext::kFrequencyAxisLabel));
  PaintLegend(painter, area, colors);
  PaintSelection(painter, area, colors);
  painter.restore();
}

void TOrvanePlot::PaintPane(QPainter& painter, const PaneGeometry& g, const Colors& colors,
                            int pane) {
  const QFontMetrics fm(painter.font());
  const bool lowest = pane == PaneCount() - 1;
  PaintGrid(painter, g, colors, lowest);

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

  // Vertical axis title, turned to read upwards.
  if (g.spectrum || source_) {
    const std::string label =
        g.spectrum ? AxisLabel(*g.spectrum, g.coherence)
                   : (source_->Scaling().ampScale == 1 ? viewtext::kRelativeAmplitudeDb
                                                       : viewtext::kPercentFullScale);
    painter.save();
    painter.translate(g.area.left() + 2, g.rect.center().y());
    painter.rotate(-90.0);
    const QString text =
        fm.elidedText(QString::fromStdString(label), Qt::ElideRight, g.rect.height());
    painter.drawText(QRect(-g.rect.height() / 2, 0, g.rect.height(), fm.height()), Qt::AlignCenter,
                     text);
    painter.restore();
  }

  painter.save();
  painter.setClipRect(g.rect.adjusted(0, 0, 1, 1));
  PaintOverlays(painter, g, pane);
  if (g.spectrum && g.range.valid) {
    PaintTrace(painter, g, colors);
    PaintMarkers(painter, g, colors);
  }
  PaintCursor(painter, g, colors, pane);
  painter.restore();

  // Frame last, so traces at the limits do not hide it.
  painter.setPen(QPen(colors.frame, 1.0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(g.rect).adjusted(0.5, 0.5, -0.5, -0.5));
}

void TOrvanePlot::PaintGrid(QPainter& painter, const PaneGeometry& g, const Colors& colors,
                            bool labels) {
  PaintAmplitudeAxis(painter, g, colors);
  PaintFrequencyAxis(painter, g, colors, labels);
}

void TOrvanePlot::PaintAmplitudeAxis(QPainter& painter, const PaneGeometry& g,
                                     const Colors& colors) {
  const QFontMetrics fm(painter.font());
  const double span = g.amp.Top() - g.amp.Bottom();
  const int divisions = std::clamp(int(g.rect.height() / (2.2 * fm.height())), 1, 10);
  const double step = NiceStep(span / divisions);
  const int type = DecimalsType(step);
  const double first = std::ceil((g.amp.Bottom() - 1e-9 * span) / step) * step;
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (int k = 0; k <= 1000; ++k) {
    const double v = first + k * step;
    if (v > g.amp.Top() + 1e-9 * span) break;
    const double y = std::round(g.amp.Y(v)) + 0.5;
    if (options_.gridEnabled) {
      painter.setPen(QPen(colors.grid, 1.0, Qt::DotLine));
      painter.drawLine(QPointF(g.rect.left(), y), QPointF(g.rect.right(), y));
    }
    painter.setPen(colors.text);
    const std::string text = FormatValue(std::fabs(v) < 1e-9 * span ? 0.0 : v, type, "");
    painter.drawText(QRectF(g.rect.left() - 200 - 6, y - fm.height() / 2.0, 200, fm.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(text));
  }
}

void TOrvanePlot::PaintFrequencyAxis(QPainter& painter, const PaneGeometry& g, const Colors& colors,
                                     bool labels) {
  const QFontMetrics fm(painter.font());
  const double labelTop = g.rect.bottom() + 5;
  std::vector<std::pair<double, double>>& placed = placedLabels_;
  placed.clear();
  auto place = [&](double x, const QString& text) {
    const double w = fm.horizontalAdvance(text);
    double left =
        std::clamp(x - w / 2.0, double(g.rect.left()) - w / 2.0, double(g.rect.right()) - w / 2.0);
    if (Overlaps(placed, left - 6, left + w + 6)) return;
    placed.emplace_back(left, left + w);
    painter.setPen(colors.text);
    painter.drawText(QRectF(left, labelTop, w + 1, fm.height()), Qt::AlignLeft | Qt::AlignTop,
                     text);
  };
  painter.setRenderHint(QPainter::Antialiasing, false);

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
        painter.setPen(QPen(colors.grid, 1.0, Qt::DotLine));
        painter.drawLine(QPointF(x, g.rect.top()), QPointF(x, g.rect.bottom()));
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
      painter.setPen(
          QPen(major ? colors.grid : colors.gridMinor, 1.0, major ? Qt::DotLine : Qt::DotLine));
      painter.drawLine(QPointF(x, g.rect.top()), QPointF(x, g.rect.bottom()));
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

void TOrvanePlot::PaintLineTrace(QPainter& painter, const PaneGeometry& g, double pixelRatio) {
  const TSpectralData& s = *g.spectrum;
  polyline_.clear();
  if (g.octave) {
    for (uint32_t i = g.range.first; i <= g.range.last; ++i) {
      const double centre = std::sqrt(double(s.BandLower(i)) * double(s.BandUpper(i)));
      polyline_.append(QPointF(g.freq.X(centre), g.amp.Y(s.Value(i))));
    }
  } else {
    // One column of device pixels gathers every bin that falls in it: first, lowest,
    // highest and last value keep the envelope and the joins to the neighbours.
    int column = INT_MIN;
    int count = 0;
    double xFirst = 0, yFirst = 0, yLow = 0, yHigh = 0, yLast = 0;
    auto flush = [&] {
      if (count == 1) {
        polyline_.append(QPointF(xFirst, yFirst));
      } else if (count > 1) {
        const double x = (column + 0.5) / pixelRatio;
        polyline_.append(QPointF(x, yFirst));
        polyline_.append(QPointF(x, yHigh));
        polyline_.append(QPointF(x, yLow));
        polyline_.append(QPointF(x, yLast));
      }
    };
    const auto columnOf = [&](uint32_t i) {
      return int(std::floor(g.freq.X(s.BinFrequency(i)) * pixelRatio));
    };
    // Where many bins share a column (a long transform, the top of a logarithmic axis),
    // the column's last bin is found from the frequency at its right edge and checked with
    // the same mapping, instead of mapping every bin to its column.
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
      if (c != column) {
        flush();
        column = c;
        count = 1;
        xFirst = x;
        yFirst = yLow = yHigh = yLast = y;
      } else {
        ++count;
        yLow = std::max(yLow, y);  // screen y grows downwards: the lowest value
        yHigh = std::min(yHigh, y);
        yLast = y;
      }
      for (uint32_t k = i + 1; k <= end; ++k) {
        y = g.amp.Y(s.Value(k));
        ++count;
        yLow = std::max(yLow, y);
        yHigh = std::min(yHigh, y);
        yLast = y;
      }
      i = end + 1;
    }
    flush();
  }
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setBrush(Qt::NoBrush);
  if (polyline_.size() == 1) {
    painter.drawPoint(polyline_.front());
  } else {
    painter.drawPolyline(polyline_.constData(), int(polyline_.size()));
  }
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
