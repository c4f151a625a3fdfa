#include "views/PlotBase.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QMimeData>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/Smoothing.h"
#include "engine/TimeText.h"
#include "views/PngBytes.h"
#include "views/TextFormat.h"
#include "views/ViewTexts.h"

namespace orvanix {

using views::CFormat;

namespace {

constexpr int kLabelPixels = 15;
// Below this drawing area the label font shrinks with it (down to kMinLabelPixels).
constexpr int kFullFontWidth = 520;
constexpr int kFullFontHeight = 320;
constexpr int kMinLabelPixels = 9;

// Decimals of a kHz label that still tell neighbouring ticks `stepHz` apart.
int KhzDecimalsForStep(double stepHz) {
  if (stepHz >= 100.0) return 1;
  if (stepHz >= 10.0) return 2;
  return 3;
}

std::string TickLabel(double hz, double spanHz, double stepHz) {
  if (hz == 0.0) return viewtext::kTickZero;
  const int spanDecimals = spanHz < 10.0 ? 3 : (spanHz < 100.0 ? 2 : -1);
  if (hz < 1000.0) {
    return CFormat("%1.*f", spanDecimals < 0 ? 0 : spanDecimals, hz);
  }
  // The span rule alone would print 1005 Hz and 1000 Hz both as "1.00k" when zoomed in
  // close; one more decimal where the step needs it keeps the labels distinct.
  const int decimals = std::max(spanDecimals < 0 ? 1 : spanDecimals, KhzDecimalsForStep(stepHz));
  return CFormat("%1.*fk", decimals, hz / 1000.0);
}

// The step of a linear axis over `span`: the first of 10000, 5000, ..., 2, 1 Hz that gives at
// least 4 steps (1 Hz if none does).
double LinearStep(double span) {
  static constexpr double kSteps[] = {10000, 5000, 1000, 500, 200, 100, 50, 20, 10, 5, 2, 1};
  for (double candidate : kSteps) {
    if (span / candidate >= 4.0) return candidate;
  }
  return 1.0;
}

double DecadeUnit(double hz) {
  if (hz < 10.0) return 1.0;
  if (hz < 100.0) return 10.0;
  if (hz < 1000.0) return 100.0;
  if (hz < 10000.0) return 1000.0;
  if (hz <= 100000.0) return 10000.0;
  return 100000.0;
}

// A full decade of the decade unit's ticks leaves at most log(2) / log(10), 30 %, of its
// width bare (between 1 and 2 units); an axis with a wider bare stretch is zoomed in too far
// for the decade units alone.
constexpr double kMaxBareShare = 0.35;

// Every multiple of the unit from `low` to `stopHz`, the unit being the decade unit of the
// frequency, at most `cap`.
std::vector<TFrequencyTick> LogTicks(double low, double stopHz, double span, double cap) {
  std::vector<TFrequencyTick> ticks;
  auto unitAt = [cap](double hz) { return std::min(DecadeUnit(hz), cap); };
  double unit = unitAt(low);
  double k = std::ceil(low / unit);
  while (ticks.size() < TPlotBase::kMaxTicks) {
    const double hz = k * unit;
    if (hz > stopHz) break;
    ticks.push_back({hz, TickLabel(hz, span, unit)});
    k += 1.0;
    // Move up a decade once its unit's multiples reach the next unit (10 x 10 Hz is the
    // first tick counted in 100 Hz).
    const double next = unitAt(k * unit);
    if (next > unit) {
      k = std::ceil(k * unit / next);
      unit = next;
    }
  }
  return ticks;
}

}  // namespace

TPlotBase::TPlotBase(QWidget* parent) : QWidget(parent) {
  // Paint() fills every pixel, so Qt need not clear the widget first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  SetCursorKind(CursorKind::Plot);
}

TPlotBase::~TPlotBase() = default;

bool TPlotBase::SetPaneMode(int panes) {
  if (panes != 1 && panes != 2) return false;
  if (panes != paneMode_) {
    paneMode_ = panes;
    update();
  }
  return true;
}

void TPlotBase::SetPlotMargins(const QMargins& margins, int gap) {
  margins_ = margins;
  gap_ = gap;
  update();
}

void TPlotBase::SetLegendWidth(int width) {
  legendWidth_ = std::max(0, width);
}

QFont TPlotBase::LabelFont(const QRect& area) const {
  QFont font;
  font.setFamilies(
      {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  const double shrink = std::min(
      {1.0, area.width() / double(kFullFontWidth), area.height() / double(kFullFontHeight)});
  font.setPixelSize(std::max(kMinLabelPixels, int(std::lround(kLabelPixels * shrink))));
  return font;
}

const TPlotBase::LabelMetrics& TPlotBase::Metrics(const QRect& area) const {
  if (metrics_.height == 0 || metrics_.area != area.size()) {
    const QFontMetrics fm(LabelFont(area));
    metrics_.area = area.size();
    metrics_.height = fm.height();
    metrics_.amplitudeWidth = fm.horizontalAdvance(QStringLiteral("-100.00"));
    metrics_.frequencyWidth = fm.horizontalAdvance(QStringLiteral("20.0k"));
  }
  return metrics_;
}

QMargins TPlotBase::Margins(const QRect& area) const {
  const LabelMetrics& m = Metrics(area);
  const int h = m.height;
  // Left: a vertical axis title and amplitude labels such as "-100.0".
  const QMargins automatic(h + m.amplitudeWidth + 10, 2 * h, std::max(h, m.frequencyWidth / 2 + 4),
                           2 * h + 8);
  return QMargins(margins_.left() >= 0 ? margins_.left() : automatic.left(),
                  margins_.top() >= 0 ? margins_.top() : automatic.top(),
                  margins_.right() >= 0 ? margins_.right() : automatic.right(),
                  margins_.bottom() >= 0 ? margins_.bottom() : automatic.bottom());
}

int TPlotBase::Gap(const QRect& area) const {
  if (gap_ >= 0) return gap_;
  return 2 * Metrics(area).height + 6;
}

QRect TPlotBase::PaneRect(const QRect& area, int pane) const {
  if (pane < 0 || pane >= paneMode_) return QRect();
  const QMargins m = Margins(area);
  QRect inner = area.marginsRemoved(m);
  inner.setRight(inner.right() - legendWidth_);
  if (inner.width() < 2) inner.setWidth(2);
  if (inner.height() < 2) inner.setHeight(2);
  if (paneMode_ == 1) return inner;
  const int gap = std::min(Gap(area), inner.height() / 3);
  const int h = std::max(1, (inner.height() - gap) / 2);
  if (pane == 0) return QRect(inner.left(), inner.top(), inner.width(), h);
  return QRect(inner.left(), inner.top() + h + gap, inner.width(), h);
}

QRect TPlotBase::LegendRect(const QRect& area) const {
  if (legendWidth_ <= 0) return QRect();
  const QMargins m = Margins(area);
  const QRect inner = area.marginsRemoved(m);
  return QRect(inner.right() - legendWidth_ + 1 + m.right() / 2, inner.top(),
               legendWidth_ - m.right() / 2, inner.height());
}

QImage TPlotBase::RenderImage(const QSize& size, double devicePixelRatio) {
  const double dpr = devicePixelRatio > 0.0 ? devicePixelRatio : 1.0;
  QImage image(QSize(int(std::ceil(size.width() * dpr)), int(std::ceil(size.height() * dpr))),
               QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(dpr);
  image.fill(Qt::black);
  QPainter painter(&image);
  Paint(painter, QRect(QPoint(0, 0), size));
  painter.end();
  return image;
}

QImage TPlotBase::RenderImage() {
  return RenderImage(size(), devicePixelRatioF());
}

void TPlotBase::CopyAsBitmap() {
  const QImage image = RenderImage();
  auto* mime = new QMimeData;
  mime->setImageData(image);
  mime->setData(QStringLiteral("image/png"), views::PngBytes(image));
  QGuiApplication::clipboard()->setMimeData(mime);
}

std::string TPlotBase::FormatValue(double value, int type, const std::string& suffix) {
  const char* s = suffix.c_str();
  if (type == 0) {
    // Truncation toward zero, kept inside the range of a long (NaN shows as 0).
    constexpr double kLimit = 9.2e18;
    const double t = std::isnan(value) ? 0.0 : std::clamp(std::trunc(value), -kLimit, kLimit);
    return CFormat(viewtext::kFormatInteger, static_cast<long>(t), s);
  }
  if (type >= 1 && type <= 6) return CFormat("%4.*f%s", type, value, s);
  if (type == 100) return CFormat(viewtext::kFormatExponent, value, s);
  if (type == 101) {
    const double magnitude = std::fabs(value);
    const int decimals = magnitude < 1.0 ? 3 : (magnitude < 10.0 ? 2 : (magnitude < 100.0 ? 1 : 0));
    return CFormat("%4.*f%s", decimals, value, s);
  }
  if (type == 201) return TimeText(value, true) + suffix;
  return CFormat(viewtext::kFormatDefault, value, s);
}

std::vector<TFrequencyTick> TPlotBase::FrequencyTicks(double startHz, double stopHz,
                                                      bool logarithmic) {
  std::vector<TFrequencyTick> ticks;
  if (!std::isfinite(startHz) || !std::isfinite(stopHz) || stopHz <= startHz) return ticks;
  const double span = stopHz - startHz;
  if (logarithmic) {
    const double low = std::max(startHz, 1.0);
    if (stopHz <= low) return ticks;
    ticks = LogTicks(low, stopHz, span, std::numeric_limits<double>::infinity());
    // Zoomed in to less than a decade, the decade unit alone can leave much of the axis
    // bare (600 ... 1600 Hz: ticks up to 1000 Hz, none above). When the widest stretch
    // without a tick passes kMaxBareShare of the axis, the linear axis's step over the same
    // span caps the unit, so ticks reach the ends.
    const double width = std::log(stopHz / low);
    double bare = std::log((ticks.empty() ? stopHz : ticks.front().hz) / low);
    for (size_t i = 1; i < ticks.size(); ++i) {
      bare = std::max(bare, std::log(ticks[i].hz / ticks[i - 1].hz));
    }
    if (!ticks.empty()) bare = std::max(bare, std::log(stopHz / ticks.back().hz));
    if (bare > kMaxBareShare * width) ticks = LogTicks(low, stopHz, span, LinearStep(span));
    return ticks;
  }
  const double step = LinearStep(span);
  const double first = std::ceil(startHz / step);
  const double last = std::floor(stopHz / step);
  for (double k = first; k <= last && ticks.size() < kMaxTicks; k += 1.0) {
    const double hz = k * step;
    ticks.push_back({hz, TickLabel(hz, span, step)});
  }
  return ticks;
}

std::vector<std::string> TPlotBase::PrintSettingsLines(const ProcessingSettings& settings,
                                                       bool postProcessing) {
  std::vector<std::string> lines;
  lines.push_back(CFormat(viewtext::kPrintSampling, long(settings.format.sampleRate)));
  lines.push_back(CFormat(viewtext::kPrintFftSize, long(settings.fftSize)));
  if (settings.averageBlocks == kInfiniteAverages) {
    lines.push_back(viewtext::kPrintAveragingInfinite);
  } else {
    lines.push_back(CFormat(viewtext::kPrintAveraging, long(settings.averageBlocks)));
  }
  lines.push_back(std::string(viewtext::kPrintWindow) + viewtext::kPrintWindowSeparator +
                  TSmoothing::TypeName(settings.smoothingWindow));
  if (postProcessing) {
    lines.push_back(CFormat(viewtext::kPrintOverlap, int(settings.overlapPercent)));
  }
  return lines;
}

void TPlotBase::SetCursorKind(CursorKind kind) {
  switch (kind) {
    case CursorKind::Arrow:
      setCursor(Qt::ArrowCursor);
      break;
    case CursorKind::Plot:
      setCursor(Qt::CrossCursor);
      break;
    case CursorKind::Blank:
      setCursor(Qt::BlankCursor);
      break;
    case CursorKind::Selection:
      setCursor(Qt::SizeHorCursor);
      break;
  }
}

void TPlotBase::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  Paint(painter, rect());
}

void TPlotBase::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  update();
}

}  // namespace orvanix
