// The spectrum view: options, update pacing, frequency range, zoom, autoscale and pane
// geometry. Painting, overlays, markers, export and mouse handling live in the
// OrvanePlot*.cpp files beside this one.
#include "views/OrvanePlot.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

#include "views/ViewTexts.h"

namespace orvanix {

namespace {
// No more repaints than a screen shows: about 60 a second.
constexpr int kMinFrameMsec = 16;

// The smallest of 1, 2, 2.5, 5 x 10^k not below v (v > 0).
double NiceCeiling(double v) {
  const double decade = std::pow(10.0, std::floor(std::log10(v)));
  for (double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    if (m * decade >= v * (1.0 - 1e-9)) return m * decade;
  }
  return 10.0 * decade;
}
}  // namespace

TOrvanePlot::TOrvanePlot(const TSpectrumSource* source, QWidget* parent)
    : TPlotBase(parent), source_(source) {
  setWindowTitle(QString::fromUtf8(viewtext::kSpectrumWindowTitle));
  setFocusPolicy(Qt::ClickFocus);
  setMinimumSize(160, 120);
  frameTimer_.setSingleShot(true);
  connect(&frameTimer_, &QTimer::timeout, this, [this] {
    frameClock_.restart();
    update();
  });
  polyline_.reserve(4 * 2048);
  bars_.reserve(2048);
}

TOrvanePlot::~TOrvanePlot() = default;

void TOrvanePlot::SetOptions(const TSpectrumPlotOptions& options) {
  const bool overlaysChanged = options.show != options_.show;
  options_ = options;
  options_.overlayLegendSize =
      std::clamp(options_.overlayLegendSize, int32_t{kMinLegendSize}, int32_t{kMaxLegendSize});
  if (overlaysChanged) ReloadOverlays();
  update();
}

void TOrvanePlot::SetMarkers(const TMarkerSettings& markers) {
  markers_ = markers;
  for (std::string& label : markers_.customLabel) {
    if (label.size() > kMaxCustomLabel) label.resize(kMaxCustomLabel);
  }
  update();
}

void TOrvanePlot::SetOverlayDirectory(const std::string& directory) {
  if (directory == overlayDirectory_) return;
  overlayDirectory_ = directory;
  ReloadOverlays();
}

void TOrvanePlot::SourceChanged() {
  ReloadOverlays();
  if (cursorActive_ && PaneSpectrum(cursorPane_) == nullptr) ClearMeasurementCursor();
  haveLastTime_ = false;
  update();
}

bool TOrvanePlot::Notify(double timeSeconds) {
  if (options_.intervalFlag != 0 && std::isfinite(timeSeconds)) {
    // A time before the last one means the stream was rewound: start counting again.
    if (haveLastTime_ && timeSeconds >= lastTime_ &&
        timeSeconds - lastTime_ < double(options_.intervalSecs)) {
      return false;
    }
    haveLastTime_ = true;
    lastTime_ = timeSeconds;
  }
  RequestRepaint();
  return true;
}

void TOrvanePlot::RequestRepaint() {
  if (!frameClock_.isValid() || frameClock_.elapsed() >= kMinFrameMsec) {
    frameClock_.restart();
    update();
  } else if (!frameTimer_.isActive()) {
    frameTimer_.start(int(kMinFrameMsec - frameClock_.elapsed()));
  }
}

double TOrvanePlot::StartHz() const {
  return zoomed_ ? zoomStart_ : double(options_.startFreqHz);
}

double TOrvanePlot::StopHz() const {
  return zoomed_ ? zoomStop_ : double(options_.stopFreqHz);
}

bool TOrvanePlot::ZoomTo(double startHz, double stopHz) {
  if (!std::isfinite(startHz) || !std::isfinite(stopHz)) return false;
  if (stopHz < startHz) std::swap(startHz, stopHz);
  startHz = std::max(startHz, 0.0);
  if (stopHz - startHz < 1.0) return false;
  if (const TSpectralData* s = PaneSpectrum(0)) {
    if (startHz >= s->Nyquist()) return false;
  }
  zoomed_ = true;
  zoomStart_ = startHz;
  zoomStop_ = stopHz;
  update();
  return true;
}

void TOrvanePlot::ZoomOut() {
  if (!zoomed_) return;
  zoomed_ = false;
  update();
}

TIndexRange TOrvanePlot::VisibleRange(const TSpectralData& spectrum) const {
  TIndexRange range;
  const double start = StartHz();
  const double stop = StopHz();
  if (!(stop > start)) return range;
  if (spectrum.FrequencyScale() == 2) {
    if (spectrum.BandCount() == 0) return range;
    range.first = std::max(spectrum.BandOfFrequency(float(start)), spectrum.FirstValidBand());
    range.last = std::min(spectrum.BandOfFrequency(float(stop)), spectrum.LastBand());
    // A band only touching the range at its edge does not count.
    if (range.first < range.last && spectrum.BandUpper(range.first) <= start) ++range.first;
    if (range.last > range.first && spectrum.BandLower(range.last) >= stop) --range.last;
    range.valid = range.first <= range.last;
    return range;
  }
  const uint32_t bins = spectrum.BinCount();
  if (bins < 3) return range;
  // The last bin is never averaged: it would draw a drop to the floor at the right edge.
  const uint32_t lastUsable = bins - 2;
  uint32_t first = spectrum.FrequencyBin(float(start));
  if (spectrum.BinFrequency(first) < start) ++first;
  if (spectrum.FrequencyScale() == 1 && first == 0) first = 1;  // 0 Hz has no place on a log axis
  uint32_t last = spectrum.FrequencyBin(float(stop));
  if (last > 0 && spectrum.BinFrequency(last) > stop) --last;
  last = std::min(last, lastUsable);
  range.first = first;
  range.last = last;
  range.valid = first <= last;
  return range;
}

void TOrvanePlot::Autoscale() {
  const TSpectralData* s = PaneSpectrum(0);
  if (!s || PaneIsCoherence(0)) return;
  const TIndexRange r = VisibleRange(*s);
  if (!r.valid) return;
  double high = -1e30, low = 1e30;
  for (uint32_t i = r.first; i <= r.last; ++i) {
    const double v = s->Value(i);
    // The engine's "no value" (-999.9 dB) is not part of the picture.
    if (!std::isfinite(v) || v <= -999.0) continue;
    high = std::max(high, v);
    low = std::min(low, v);
  }
  if (high < low) return;
  if (s->AmplitudeScale() == 1) {
    const double top = std::ceil((high + 1.0) / 10.0) * 10.0;
    const double range = std::clamp(std::ceil((top - low) / 10.0) * 10.0, 20.0, 200.0);
    options_.plotTop = float(top);
    options_.plotRange = float(range);
  } else {
    options_.plotTop = float(high > 0.0 ? NiceCeiling(high * 1.05) : 1.0);
  }
  update();
  emit OptionsChanged();
}

int TOrvanePlot::PaneCount() const {
  return PaneSpectrum(1) != nullptr ? 2 : 1;
}

const TSpectralData* TOrvanePlot::PaneSpectrum(int pane) const {
  if (!source_) return nullptr;
  const TSpectralData* s = pane == 0 ? source_->Primary() : source_->Secondary();
  return s && !s->Error() ? s : nullptr;
}

bool TOrvanePlot::PaneIsCoherence(int pane) const {
  const TSpectralData* s = PaneSpectrum(pane);
  if (!s) return false;
  if (s->IsCoherence()) return true;
  const uint16_t mode = source_->Processing().channelProcessing;
  if (pane == 0) return mode == kCoherence;
  return mode == kTransferAndCoherenceLR || mode == kTransferAndCoherenceRL;
}

TOrvanePlot::PaneGeometry TOrvanePlot::Geometry(const QRect& area, int pane) const {
  PaneGeometry g;
  g.spectrum = PaneSpectrum(pane);
  g.area = area;
  g.rect = PaneRect(area, pane);
  g.coherence = PaneIsCoherence(pane);
  const bool logFreq =
      g.spectrum ? g.spectrum->FrequencyScale() != 0 : source_ && source_->Scaling().freqScale != 0;
  g.octave = g.spectrum && g.spectrum->FrequencyScale() == 2;
  const double minLogHz = g.spectrum ? std::max(double(g.spectrum->BinWidth()), 0.01) : 1.0;
  g.freq.Set(StartHz(), StopHz(), logFreq, g.rect.left(), g.rect.width(), minLogHz);
  if (g.coherence) {
    // Coherence lies between 0 and 1 whatever the amplitude axis; on the dB axis of the
    // other pane it would be a flat line at the top.
    g.amp.Set(1.0, 1.0, false, g.rect.top(), g.rect.height());
  } else {
    const bool logAmp = g.spectrum ? g.spectrum->AmplitudeScale() == 1
                                   : source_ && source_->Scaling().ampScale == 1;
    g.amp.Set(options_.plotTop, options_.plotRange, logAmp, g.rect.top(), g.rect.height());
  }
  if (g.spectrum) g.range = VisibleRange(*g.spectrum);
  return g;
}

int TOrvanePlot::PaneAt(const QPoint& point) const {
  for (int pane = 0; pane < PaneCount(); ++pane) {
    const QRect r = PaneRect(rect(), pane);
    if (point.y() >= r.top() && point.y() <= r.bottom()) return pane;
  }
  return -1;
}

std::string TOrvanePlot::AxisLabel(const TSpectralData& spectrum, bool coherence) const {
  if (coherence) return viewtext::kCoherenceAxisLabel;
  const bool log = spectrum.AmplitudeScale() == 1;
  std::string label = log ? FieldText(spectrum.Calibration().labelLog)
                          : FieldText(spectrum.Calibration().labelLinear);
  if (label.empty() || !spectrum.Calibrated()) {
    label = log ? viewtext::kRelativeAmplitudeDb : viewtext::kPercentFullScale;
  }
  return label;
}

void TOrvanePlot::UpdateLegendWidth(const QRect& area) {
  bool any = false;
  for (const auto& pane : overlays_) {
    for (const auto& slot : pane) any = any || slot != nullptr;
  }
  if (!any) {
    SetLegendWidth(0);
    return;
  }
  const QFontMetrics fm(LabelFont(area));
  // "OverlayLegendSize" characters of text beside the colour swatch; longer legends are
  // elided to that width.
  const int chars = std::max(options_.overlayLegendSize + 1,
                             int32_t(std::string(viewtext::kOverlayLegendTitle).size()));
  SetLegendWidth(fm.averageCharWidth() * chars + fm.height() + 16);
}

}  // namespace orvanix
