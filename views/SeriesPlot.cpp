#include "views/SeriesPlot.h"

#include <QApplication>
#include <QClipboard>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/SeriesData.h"
#include "files/WaveData.h"
#include "views/PlotViewTexts.h"

namespace orvanix {

namespace {

// Traces by code: 0 left, 1 right, 2 sum, 3 left - right, 4 right - left.
constexpr int kLeft = 0, kRight = 1, kSum = 2, kLeftMinusRight = 3, kRightMinusLeft = 4;
constexpr const char* kLeftMinusRightText = viewtext::kLeftMinusRight;
constexpr const char* kRightMinusLeftText = viewtext::kRightMinusLeft;

}  // namespace

TSeriesPlot::TSeriesPlot(TViewSource* source, QWidget* parent) : TViewPlot(source, parent) {
  setWindowTitle(QString::fromUtf8(viewtext::kSeriesViewName));
}

void TSeriesPlot::SetOptions(const TSeriesOptions& options) {
  const bool spanChanged = options.startTime != options_.startTime ||
                           options.stopTime != options_.stopTime ||
                           options.maxZoomOutTime != options_.maxZoomOutTime;
  options_ = options;
  if (spanChanged) spanSet_ = false;
  update();
}

void TSeriesPlot::SourceChanged() {
  spanSet_ = false;
  stretchCount_ = 0;
  update();
}

bool TSeriesPlot::Notify(double timeSecs) {
  if (window() && window()->isMinimized()) return false;
  if (!gate_.Pass(timeSecs, options_.intervalFlag != 0, options_.intervalSecs, true)) return false;
  stretchCount_ = 0;  // a recording may have grown; the block changed
  update();
  return true;
}

bool TSeriesPlot::Computed(TSeriesView& series) const {
  return source_ && source_->ComputedSeries(series) && series.samples[0] != nullptr;
}

bool TSeriesPlot::ComputedMode() const {
  TSeriesView series;
  return Computed(series);
}

bool TSeriesPlot::DocumentMode() const {
  return source_ && source_->SeriesDocument() != nullptr && !ComputedMode();
}

double TSeriesPlot::TimeOrigin() const {
  TSeriesView series;
  return Computed(series) ? series.startSecs : 0.0;
}

namespace {

bool Stereo(const TViewSource* source) {
  if (!source) return false;
  if (TSeriesView series; source->ComputedSeries(series) && series.samples[0]) {
    return series.channels == 2 && series.samples[1] != nullptr;
  }
  if (TWaveData* doc = source->SeriesDocument()) return doc->Format().channels >= 2;
  return source->BlockSeries(1) != nullptr;
}

}  // namespace

bool TSeriesPlot::StereoSource() const {
  return Stereo(source_);
}

int TSeriesPlot::Panes() const {
  return options_.plotChannel == 2 && Stereo(source_) ? 2 : 1;
}

SummaryTrace TSeriesPlot::PaneTrace(int pane) const {
  // The SummaryTrace values double as the trace codes above, with right - left as code 4.
  const bool stereo = Stereo(source_);
  int code = kLeft;
  switch (options_.plotChannel) {
    case 1:
      code = kRight;
      break;
    case 2:
      code = pane == 1 ? kRight : kLeft;
      break;
    case 3:
      code = kLeftMinusRight;
      break;
    case 4:
      code = kRightMinusLeft;
      break;
    case 5:
      code = kSum;
      break;
    default:
      break;
  }
  if (!stereo) code = kLeft;
  return static_cast<SummaryTrace>(code);
}

double TSeriesPlot::SampleRate() const {
  if (!source_) return 1.0;
  if (TSeriesView series; Computed(series)) return std::max(1e-9, series.rateHz);
  if (TWaveData* doc = source_->SeriesDocument())
    return std::max<double>(1.0, doc->Format().sampleRate);
  const ProcessingSettings& p = source_->Processing();
  return std::max(1.0,
                  static_cast<double>(p.format.sampleRate) / std::max<int>(1, p.decimationRatio));
}

uint32_t TSeriesPlot::SampleCount() const {
  if (!source_) return 0;
  if (TSeriesView series; Computed(series)) {
    return static_cast<uint32_t>(std::min<size_t>(series.count, UINT32_MAX));
  }
  if (TWaveData* doc = source_->SeriesDocument()) return doc->Length();
  const TSeriesData* left = source_->BlockSeries(0);
  return left ? left->DecimatedCount() : 0;
}

double TSeriesPlot::Factor(int channel) const {
  const double unit = source_ && source_->Calibrated() ? 1.0 : 100.0;
  if (!source_) return unit;
  if (TSeriesView series; Computed(series)) return unit * series.scale[channel == 1 ? 1 : 0];
  if (TWaveData* doc = source_->SeriesDocument())
    return unit * doc->CountFactor(static_cast<uint32_t>(channel));
  const TSeriesData* s = source_->BlockSeries(channel);
  return s ? unit * s->ScaleFactor() : unit;
}

// ---------------------------------------------------------------------------- span

double TSeriesPlot::StartSecs() const {
  if (DocumentMode()) return startSecs_;
  return TimeOrigin() + zoom_.x() * SampleCount() / SampleRate();
}

double TSeriesPlot::StopSecs() const {
  if (DocumentMode()) return stopSecs_;
  return TimeOrigin() + (zoom_.x() + zoom_.width()) * SampleCount() / SampleRate();
}

bool TSeriesPlot::ShowSpan(double startSecs, double stopSecs) {
  if (!DocumentMode()) return false;
  const double length = SampleCount() / SampleRate();
  const double minSpan = std::max(0.001, 8.0 / SampleRate());
  double maxSpan = std::max(0.1, static_cast<double>(options_.maxZoomOutTime));
  if (!std::isfinite(maxSpan)) maxSpan = 10000.0;
  maxSpan = std::max(minSpan, std::min(maxSpan, length));
  if (!std::isfinite(startSecs)) startSecs = 0.0;
  if (!std::isfinite(stopSecs) || !(stopSecs > startSecs)) stopSecs = startSecs + 1.0;
  const double span = std::clamp(stopSecs - startSecs, minSpan, maxSpan);
  startSecs = std::clamp(startSecs, 0.0, std::max(0.0, length - span));
  startSecs_ = startSecs;
  stopSecs_ = startSecs + span;
  spanSet_ = true;
  update();
  return true;
}

void TSeriesPlot::ShowAll() {
  ShowSpan(0.0, SampleCount() / SampleRate());
}

void TSeriesPlot::ResetZoom() {
  zoom_ = QRectF(0, 0, 1, 1);
  if (DocumentMode()) ShowSpan(options_.startTime, options_.stopTime);
  update();
}

void TSeriesPlot::ZoomAbout(const QPointF& at, double factor, bool xAxis, bool yAxis) {
  if (DocumentMode() && xAxis && factor > 0.0) {
    const double anchor = startSecs_ + std::clamp(at.x(), 0.0, 1.0) * (stopSecs_ - startSecs_);
    const double span = (stopSecs_ - startSecs_) / factor;
    ShowSpan(anchor - std::clamp(at.x(), 0.0, 1.0) * span,
             anchor + (1.0 - std::clamp(at.x(), 0.0, 1.0)) * span);
    xAxis = false;
  }
  if (xAxis || yAxis) TViewPlot::ZoomAbout(at, factor, xAxis, yAxis);
}

void TSeriesPlot::Scroll(double fraction) {
  if (!DocumentMode()) return;
  const double shift = fraction * (stopSecs_ - startSecs_);
  ShowSpan(startSecs_ + shift, stopSecs_ + shift);
}

// ---------------------------------------------------------------------------- values

double TSeriesPlot::ValueAt(SummaryTrace trace, uint32_t index) const {
  const int code = static_cast<int>(trace);
  double l = 0.0, r = 0.0;
  if (TSeriesView series; Computed(series)) {
    const double unit = source_->Calibrated() ? 1.0 : 100.0;
    if (index >= series.count) return 0.0;
    l = (static_cast<double>(series.samples[0][index]) - series.zero) * series.scale[0] * unit;
    if (code != kLeft && series.channels == 2 && series.samples[1]) {
      r = (static_cast<double>(series.samples[1][index]) - series.zero) * series.scale[1] * unit;
    }
  } else if (DocumentMode()) {
    const uint32_t i = index - stretchFrom_;
    l = stretch_[0][i] * Factor(0);
    if (code != kLeft) r = stretch_[1][i] * Factor(1);
  } else {
    const TSeriesData* left = source_->BlockSeries(0);
    const TSeriesData* right = source_->BlockSeries(1);
    const double unit = source_->Calibrated() ? 1.0 : 100.0;
    l = left ? left->GetSample(index, true) * unit : 0.0;
    if (code != kLeft) r = right ? right->GetSample(index, true) * unit : 0.0;
  }
  switch (code) {
    case kRight:
      return r;
    case kSum:
      return l + r;
    case kLeftMinusRight:
      return l - r;
    case kRightMinusLeft:
      return r - l;
    default:
      return l;
  }
}

bool TSeriesPlot::ReadStretch(uint32_t from, uint32_t count) const {
  if (stretchCount_ == count && stretchFrom_ == from && count > 0) return true;
  TWaveData* doc = source_->SeriesDocument();
  const WaveFormat& f = doc->Format();
  const int channels = std::min<int>(f.channels, 2);
  for (int c = 0; c < channels; ++c) {
    bytes_.resize(static_cast<size_t>(count) * f.bytesPerSample);
    stretch_[c].resize(count);
    if (!doc->ReadChannel(bytes_.data(), from, count, static_cast<uint32_t>(c))) {
      stretchCount_ = 0;
      return false;
    }
    DecodeSamples(bytes_.data(), count, f.bytesPerSample, f.zeroValue, stretch_[c].data());
  }
  if (channels < 2) stretch_[1].assign(count, 0);
  stretchFrom_ = from;
  stretchCount_ = count;
  return true;
}

std::vector<TSeriesPlot::TPoint> TSeriesPlot::Trace(int pane, int columns) const {
  std::vector<TPoint> points;
  if (!source_ || columns < 1) return points;
  if (options_.plotChannel >= 6 && Stereo(source_)) return XyPoints();
  const SummaryTrace trace = PaneTrace(pane);
  const int code = static_cast<int>(trace);
  const double rate = SampleRate();
  const uint32_t total = SampleCount();
  if (total == 0) return points;
  const double origin = TimeOrigin();
  const double t0 = StartSecs() - origin;
  const double t1 = StopSecs() - origin;
  uint32_t from =
      static_cast<uint32_t>(std::clamp(std::floor(t0 * rate), 0.0, static_cast<double>(total)));
  uint32_t to =
      static_cast<uint32_t>(std::clamp(std::ceil(t1 * rate), 0.0, static_cast<double>(total)));
  if (to <= from) return points;
  const uint32_t count = to - from;
  const double perColumn = static_cast<double>(count) / columns;

  if (DocumentMode() && perColumn >= 4.0 * TWaveSummary::kBlockFrames) {
    TWaveData* doc = source_->SeriesDocument();
    summary_.Update(doc, source_->DocumentRevision());
    const bool negate = code == kRightMinusLeft;
    const SummaryTrace stored = negate ? SummaryTrace::LeftMinusRight : trace;
    const double factorL = Factor(0);
    const double factorR = Factor(1);
    // Sums and differences are summarised in raw counts: exact while both channels have the
    // same scale (always without calibration).
    const bool combined = code >= kSum;
    const bool sameScale = std::fabs(factorL - factorR) <= 1e-9 * std::fabs(factorL);
    points.reserve(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) {
      const uint32_t a = from + static_cast<uint32_t>(c * perColumn);
      const uint32_t b = std::min(to, from + static_cast<uint32_t>((c + 1) * perColumn));
      int32_t lo = 0, hi = 0;
      double low, high;
      if (combined && !sameScale) {
        // Channels on different scales: the extremes of each, combined.
        int32_t l0, l1, r0, r1;
        if (!summary_.MinMax(SummaryTrace::Left, a, b, l0, l1) ||
            !summary_.MinMax(SummaryTrace::Right, a, b, r0, r1)) {
          continue;
        }
        const double L0 = l0 * factorL, L1 = l1 * factorL, R0 = r0 * factorR, R1 = r1 * factorR;
        if (code == kSum)
          low = L0 + R0, high = L1 + R1;
        else if (code == kLeftMinusRight)
          low = L0 - R1, high = L1 - R0;
        else
          low = R0 - L1, high = R1 - L0;
      } else {
        if (!summary_.MinMax(stored, a, b, lo, hi)) continue;
        const double factor = code == kRight ? factorR : factorL;
        low = negate ? -hi * factor : lo * factor;
        high = negate ? -lo * factor : hi * factor;
      }
      points.push_back({(a + b) * 0.5 / rate, low, high});
    }
    return points;
  }
  if (DocumentMode() && !ReadStretch(from, count)) return points;
  if (count <= static_cast<uint32_t>(columns)) {
    points.reserve(count);
    for (uint32_t i = from; i < to; ++i) {
      const double v = ValueAt(trace, i);
      points.push_back({origin + i / rate, v, v});
    }
    return points;
  }
  points.reserve(static_cast<size_t>(columns));
  for (int c = 0; c < columns; ++c) {
    const uint32_t a = from + static_cast<uint32_t>(c * perColumn);
    const uint32_t b = std::min(to, from + static_cast<uint32_t>((c + 1) * perColumn));
    if (b <= a) continue;
    double lo = ValueAt(trace, a), hi = lo;
    for (uint32_t i = a + 1; i < b; ++i) {
      const double v = ValueAt(trace, i);
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
    points.push_back({origin + (a + b) * 0.5 / rate, lo, hi});
  }
  return points;
}

std::vector<TSeriesPlot::TPoint> TSeriesPlot::XyPoints() const {
  std::vector<TPoint> points;
  const double rate = SampleRate();
  const uint32_t total = SampleCount();
  uint32_t from = 0, to = total;
  if (DocumentMode()) {
    from = static_cast<uint32_t>(
        std::clamp(std::floor(StartSecs() * rate), 0.0, static_cast<double>(total)));
    to = static_cast<uint32_t>(
        std::clamp(std::ceil(StopSecs() * rate), 0.0, static_cast<double>(total)));
  }
  if (to <= from || to - from > kXyCapacity) return points;
  if (DocumentMode() && !ReadStretch(from, to - from)) return points;
  const bool rightHorizontal = options_.plotChannel == 7;
  points.reserve(to - from);
  for (uint32_t i = from; i < to; ++i) {
    const double l = ValueAt(SummaryTrace::Left, i);
    const double r = ValueAt(SummaryTrace::Right, i);
    points.push_back({TimeOrigin() + i / rate, rightHorizontal ? r : l, rightHorizontal ? l : r});
  }
  return points;
}

std::string TSeriesPlot::TraceLabel(int pane) const {
  using namespace viewtext;
  const std::string left = source_ ? source_->ChannelName(0) : std::string();
  const std::string right = source_ ? source_->ChannelName(1) : std::string();
  const bool named = !left.empty() && !right.empty();
  auto format = [&](const char* plain, const char* pattern, const std::string& a,
                    const std::string& b) {
    if (!named) return std::string(plain);
    char text[160];
    std::snprintf(text, sizeof text, pattern, a.c_str(), b.c_str());
    return std::string(text);
  };
  if (!Stereo(source_)) return named ? left : kLeftChannel;
  switch (options_.plotChannel) {
    case 1:
      return named ? right : kRightChannel;
    case 2:
      return pane == 1 ? (named ? right : kRightChannel) : (named ? left : kLeftChannel);
    case 3:
      return format(kLeftMinusRightText, kMinusFormat, left, right);
    case 4:
      return format(kRightMinusLeftText, kMinusFormat, right, left);
    case 5:
      return format(kLeftPlusRight, kPlusFormat, left, right);
    case 6:
      return format(kLeftVersusRight, kVersusFormat, left, right);
    case 7:
      return format(kRightVersusLeft, kVersusFormat, right, left);
    default:
      return named ? left : kLeftChannel;
  }
}

double TSeriesPlot::Level(double value) const {
  const double magnitude = std::fabs(value) / (source_ && source_->Calibrated() ? 1.0 : 100.0);
  return magnitude > 0.0 ? 20.0 * std::log10(magnitude) : -999.9;
}

namespace {
double LinearTop(const TSeriesOptions& o) {
  return std::isfinite(o.plotTop) && o.plotTop > 0.0f ? o.plotTop : 1.0;
}
double EnergyRange(const TSeriesOptions& o) {
  return std::isfinite(o.plotRange) && o.plotRange > 0.0f ? o.plotRange : 100.0;
}
}  // namespace

double TSeriesPlot::AxisTop() const {
  if (Energy()) {
    const double top = std::isfinite(options_.plotTop) ? options_.plotTop : 0.0;
    return top - zoom_.y() * EnergyRange(options_);
  }
  return LinearTop(options_) * (1.0 - 2.0 * zoom_.y());
}

double TSeriesPlot::AxisBottom() const {
  if (Energy()) {
    const double top = std::isfinite(options_.plotTop) ? options_.plotTop : 0.0;
    return top - (zoom_.y() + zoom_.height()) * EnergyRange(options_);
  }
  return LinearTop(options_) * (1.0 - 2.0 * (zoom_.y() + zoom_.height()));
}

void TSeriesPlot::Autoscale() {
  const std::vector<TPoint> points = Trace(0, std::max(1, PaneRect(rect(), 0).width()));
  double peak = 0.0;
  for (const TPoint& p : points) peak = std::max({peak, std::fabs(p.low), std::fabs(p.high)});
  if (!(peak > 0.0)) return;
  if (Energy()) {
    options_.plotTop = static_cast<float>(std::ceil(Level(peak) / 10.0) * 10.0);
  } else {
    const double target = 1.1 * peak;
    const double decade = std::pow(10.0, std::floor(std::log10(target)));
    double top = decade;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
      if (m * decade >= target) {
        top = m * decade;
        break;
      }
    }
    options_.plotTop = static_cast<float>(top);
  }
  zoom_ = QRectF(zoom_.x(), 0, zoom_.width(), 1);
  update();
  emit OptionsChanged();
}

// ---------------------------------------------------------------------------- export

std::string TSeriesPlot::ExportText() const {
  const int columns = std::max(1, PaneRect(rect(), 0).width());
  const int panes = Panes();
  std::vector<std::vector<TPoint>> traces;
  for (int p = 0; p < panes; ++p) traces.push_back(Trace(p, columns));
  const bool xy = options_.plotChannel >= 6 && Stereo(source_);
  bool ranges = false;
  for (const TPoint& p : traces[0]) ranges = ranges || p.low != p.high;
  std::string text = ";Time(s)";
  for (int p = 0; p < panes; ++p) {
    const std::string label = TraceLabel(p);
    if (xy)
      text += "\tX\tY";
    else if (ranges)
      text += "\t" + label + " Min\t" + label + " Max";
    else
      text += "\t" + label;
  }
  text += "\r\n";
  char cell[64];
  for (size_t i = 0; i < traces[0].size(); ++i) {
    std::snprintf(cell, sizeof cell, "%5.4f", traces[0][i].timeSecs);
    text += cell;
    for (int p = 0; p < panes; ++p) {
      if (i >= traces[static_cast<size_t>(p)].size()) break;
      const TPoint& point = traces[static_cast<size_t>(p)][i];
      if (ranges || xy)
        std::snprintf(cell, sizeof cell, "\t%f\t%f", point.low, point.high);
      else
        std::snprintf(cell, sizeof cell, "\t%f", point.low);
      text += cell;
    }
    text += "\r\n";
  }
  return text;
}

void TSeriesPlot::CopyAsText() {
  QApplication::clipboard()->setText(QString::fromStdString(ExportText()));
}

std::string TSeriesPlot::CsvText() const {
  std::string text = ExportText();
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') continue;
    if (c == ';' && i == 0) continue;
    out += c == '\t' ? ',' : c;
  }
  return out;
}

// ---------------------------------------------------------------------------- cursor

void TSeriesPlot::SetCursorSecs(double secs) {
  cursorActive_ = true;
  cursorSecs_ = std::max(0.0, secs);
  peakText_.clear();
  update();
}

double TSeriesPlot::CursorValue() const {
  if (!cursorActive_ || !source_) return 0.0;
  const uint32_t total = SampleCount();
  if (total == 0) return 0.0;
  const uint32_t i = static_cast<uint32_t>(std::clamp(
      std::lround((cursorSecs_ - TimeOrigin()) * SampleRate()), 0L, static_cast<long>(total - 1)));
  if (DocumentMode() && (i < stretchFrom_ || i >= stretchFrom_ + stretchCount_)) {
    if (!ReadStretch(i, 1)) return 0.0;
  }
  return ValueAt(PaneTrace(0), i);
}

std::string TSeriesPlot::CursorClipboardText() const {
  if (!cursorActive_) return {};
  char text[128];
  std::snprintf(text, sizeof text, viewtext::kSeriesCursor, cursorSecs_, CursorValue());
  return text;
}

bool TSeriesPlot::PeakSearch(bool next) {
  (void)next;
  const std::vector<TPoint> points = Trace(0, std::max(1, PaneRect(rect(), 0).width()));
  if (points.empty() || options_.plotChannel >= 6) return false;
  size_t best = 0;
  double peak = -1.0;
  for (size_t i = 0; i < points.size(); ++i) {
    const double m = std::max(std::fabs(points[i].low), std::fabs(points[i].high));
    if (m > peak) peak = m, best = i;
  }
  SetCursorSecs(points[best].timeSecs);
  char text[128];
  std::snprintf(text, sizeof text, "Peak: %.4f s, %.3f", points[best].timeSecs,
                std::fabs(points[best].high) >= std::fabs(points[best].low) ? points[best].high
                                                                            : points[best].low);
  peakText_ = text;
  return true;
}

}  // namespace orvanix
