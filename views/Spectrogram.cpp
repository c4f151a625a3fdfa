#include "views/Spectrogram.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/SpectralData.h"
#include "views/ColorTable.h"
#include "views/PeakSearch.h"
#include "views/PlotViewTexts.h"

namespace orvanix {

// ---------------------------------------------------------------------------- TLevelRing

void TLevelRing::Reset(int lines, int pixels) {
  capacity_ = std::max(lines, 0);
  pixels_ = std::max(pixels, 0);
  data_.assign(static_cast<size_t>(capacity_) * static_cast<size_t>(pixels_), 0.0f);
  head_ = -1;
  count_ = 0;
}

void TLevelRing::Add(const float* levels) {
  if (capacity_ == 0 || pixels_ == 0) return;
  head_ = (head_ + 1) % capacity_;
  std::copy(levels, levels + pixels_, data_.begin() + static_cast<ptrdiff_t>(head_) * pixels_);
  count_ = std::min(count_ + 1, capacity_);
}

bool TLevelRing::At(int age, int k, float& level) const {
  if (age < 0 || age >= count_ || k < 0 || k >= pixels_) return false;
  const int line = ((head_ - age) % capacity_ + capacity_) % capacity_;
  level = data_[static_cast<size_t>(line) * static_cast<size_t>(pixels_) + static_cast<size_t>(k)];
  return true;
}

// ---------------------------------------------------------------------------- TSpectrogram

TSpectrogram::TSpectrogram(TViewSource* source, QWidget* parent) : TViewPlot(source, parent) {
  setWindowTitle(QString::fromUtf8(viewtext::kSpectrogramViewName));
  RebuildColors();
}

TSpectrogram::~TSpectrogram() = default;

void TSpectrogram::SetOptions(const TSpectrogramOptions& options) {
  const TSpectrogramOptions old = options_;
  options_ = options;
  RebuildColors();
  const bool spanChanged = old.useFullSpan != options.useFullSpan ||
                           old.startFreqHz != options.startFreqHz ||
                           old.stopFreqHz != options.stopFreqHz;
  if (spanChanged || old.direction != options.direction) {
    // The old lines do not fit the new axis: start again (the slices are replayed).
    for (Pane& pane : panes_) {
      pane.image.Clear(Background());
      pane.levels.Clear();
    }
    mapsValid_ = false;
    cursor_.active = false;
    laidOut_ = QSize();
    EnsureLayout();
    if (store_.Filled()) ReplayStore();
  } else {
    // Same lines in new colours: repaint them from their levels.
    for (int p = 0; p < 2; ++p) {
      Pane& pane = panes_[static_cast<size_t>(p)];
      if (!pane.image.Valid()) continue;
      const int lines = pane.levels.Lines();
      std::vector<std::vector<float>> kept(static_cast<size_t>(lines));
      std::vector<double> times(static_cast<size_t>(lines), 0.0);
      for (int age = lines - 1; age >= 0; --age) {
        std::vector<float>& line = kept[static_cast<size_t>(age)];
        line.resize(static_cast<size_t>(pane.levels.Pixels()));
        for (int k = 0; k < pane.levels.Pixels(); ++k)
          pane.levels.At(age, k, line[static_cast<size_t>(k)]);
        LineTime(p, age, times[static_cast<size_t>(age)]);
      }
      pane.image.Clear(Background());
      pane.levels.Clear();
      for (int age = lines - 1; age >= 0; --age) {
        DrawLine(p, kept[static_cast<size_t>(age)].data(), times[static_cast<size_t>(age)]);
      }
    }
  }
  update();
}

void TSpectrogram::RebuildColors() {
  colors_ =
      views::BuildColorTable(options_.colorMode, options_.minCustomColor, options_.maxCustomColor);
}

QRgb TSpectrogram::Background() const {
  return colors_.empty() ? qRgb(0, 0, 0) : colors_.front();
}

int TSpectrogram::Panes() const {
  if (!source_) return 1;
  const uint16_t mode = source_->Processing().channelProcessing;
  return HasSecondary(mode) && source_->Secondary() ? 2 : 1;
}

const TSpectralData* TSpectrogram::PaneSpectrum(int pane) const {
  if (!source_) return nullptr;
  return pane == 0 ? source_->Primary() : source_->Secondary();
}

bool TSpectrogram::LogFrequency() const {
  return source_ && source_->Scaling().freqScale != 0;
}

bool TSpectrogram::LogAmplitude() const {
  return !source_ || source_->Scaling().ampScale != 0;
}

double TSpectrogram::SpanStartHz() const {
  if (!options_.useFullSpan) return options_.startFreqHz;
  const TSpectralData* s = PaneSpectrum(0);
  return s ? s->LowLimit() : options_.startFreqHz;
}

double TSpectrogram::SpanStopHz() const {
  if (!options_.useFullSpan) return options_.stopFreqHz;
  const TSpectralData* s = PaneSpectrum(0);
  return s ? s->HighLimit() : options_.stopFreqHz;
}

int TSpectrogram::Slices() const {
  return panes_[0].image.LineCapacity();
}

void TSpectrogram::SourceChanged() {
  mapsValid_ = false;
  laidOut_ = QSize();
  EnsureLayout();
  update();
}

bool TSpectrogram::EnsureLayout() {
  const int panes = Panes();
  SetPaneMode(panes);
  SetLegendWidth(width() >= 160 ? 64 : 0);
  const QRect area = rect();
  bool resized = false;
  for (int p = 0; p < 2; ++p) {
    Pane& pane = panes_[static_cast<size_t>(p)];
    const QRect r = p < panes ? PaneRect(area, p) : QRect();
    pane.rect = r;
    if (p >= panes) continue;
    if (pane.image.Size() != r.size() || pane.image.Direction() != options_.direction ||
        !pane.image.Valid()) {
      pane.image.Resize(r.size(), options_.direction, kThickness, Background());
      resized = true;
    }
  }
  if (resized) mapsValid_ = false;
  if (!mapsValid_) RebuildMaps();
  if (!store_.Filled() && store_.Count() != Slices()) store_.Reset(Slices());
  if (resized && store_.Filled()) ReplayStore();
  laidOut_ = size();
  return panes_[0].image.Valid();
}

void TSpectrogram::RebuildMaps() {
  const bool log = LogFrequency();
  bool any = false;
  for (int p = 0; p < Panes(); ++p) {
    Pane& pane = panes_[static_cast<size_t>(p)];
    const int pixels = pane.image.FrequencyPixels();
    const TSpectralData* spectrum = PaneSpectrum(p);
    if (!pane.image.Valid() || pixels <= 0) {
      pane.map = views::TPixelMap();
      continue;
    }
    if (spectrum) {
      pane.map.Build(pixels, SpanStartHz(), SpanStopHz(), log, *spectrum);
    } else {
      pane.map = views::TPixelMap();
      continue;
    }
    if (pane.levels.Pixels() != pixels || pane.levels.Lines() == 0) {
      pane.levels.Reset(pane.image.LineCapacity(), pixels);
    }
    any = true;
  }
  mapsValid_ = any;
}

void TSpectrogram::DrawLine(int pane, const float* levels, double timeSecs) {
  Pane& p = panes_[static_cast<size_t>(pane)];
  const int pixels = p.image.FrequencyPixels();
  if (!p.image.Valid() || pixels <= 0) return;
  colorBuffer_.resize(static_cast<size_t>(pixels));
  const int n = static_cast<int>(colors_.size());
  const bool log = LogAmplitude();
  for (int k = 0; k < pixels; ++k) {
    colorBuffer_[static_cast<size_t>(k)] = colors_[static_cast<size_t>(
        views::ColorIndex(levels[k], options_.plotTop, options_.plotRange, log, n))];
  }
  p.image.AddLine(colorBuffer_.data(), timeSecs);
  if (p.levels.Pixels() != pixels) p.levels.Reset(p.image.LineCapacity(), pixels);
  p.levels.Add(levels);
}

void TSpectrogram::DrawSpectrum(int pane, const TSpectralData& spectrum, double timeSecs) {
  const Pane& p = panes_[static_cast<size_t>(pane)];
  if (p.map.Pixels() != p.image.FrequencyPixels()) return;
  levelBuffer_.resize(static_cast<size_t>(p.map.Pixels()));
  p.map.Levels(spectrum, levelBuffer_.data());
  DrawLine(pane, levelBuffer_.data(), timeSecs);
}

void TSpectrogram::DrawTrace(int pane, const TTrace& trace, double timeSecs) {
  const Pane& p = panes_[static_cast<size_t>(pane)];
  const int pixels = p.image.FrequencyPixels();
  if (!p.image.Valid() || pixels <= 0 || trace.Empty()) return;
  views::TPixelMap map;
  map.Build(pixels, SpanStartHz(), SpanStopHz(), LogFrequency(),
            [&trace](float hz) { return trace.IndexOf(hz); });
  levelBuffer_.resize(static_cast<size_t>(pixels));
  map.Levels([&trace](uint32_t a, uint32_t b) { return trace.MaxValue(a, b); },
             levelBuffer_.data());
  DrawLine(pane, levelBuffer_.data(), timeSecs);
}

bool TSpectrogram::Notify(double timeSecs) {
  if (!gate_.Pass(timeSecs, options_.intervalFlag != 0, options_.intervalSecs)) return false;
  if (laidOut_ != size() || !mapsValid_) EnsureLayout();
  if (!mapsValid_) return false;
  bool drawn = false;
  for (int p = 0; p < Panes(); ++p) {
    if (const TSpectralData* spectrum = PaneSpectrum(p)) {
      DrawSpectrum(p, *spectrum, timeSecs);
      drawn = true;
    }
  }
  if (drawn) update();
  return drawn;
}

void TSpectrogram::ClearImage() {
  for (Pane& pane : panes_) {
    pane.image.Clear(Background());
    pane.levels.Clear();
  }
  store_.Clear();
  cursor_.active = false;
  gate_.Reset();
  update();
}

void TSpectrogram::ReplayStore() {
  for (Pane& pane : panes_) {
    pane.image.Clear(Background());
    pane.levels.Clear();
  }
  const int panes = Panes();
  for (int n = store_.Count() - 1; n >= 0; --n) {
    const TTraceSlice& slice = store_.Slice(n);
    if (!slice.valid) continue;
    DrawTrace(0, slice.primary, slice.timeSecs);
    if (panes == 2) DrawTrace(1, slice.secondary, slice.timeSecs);
  }
  update();
}

const char* TSpectrogram::DivisionLabel(double spanSecs, double& stepSecs) {
  using namespace viewtext;
  stepSecs = 0.0;
  if (!(spanSecs > 0.0)) return nullptr;
  if (spanSecs <= 0.02) return stepSecs = 0.001, kDiv1ms;
  if (spanSecs <= 0.2) return stepSecs = 0.01, kDiv10ms;
  if (spanSecs <= 2.0) return stepSecs = 0.1, kDiv100ms;
  if (spanSecs <= 20.0) return stepSecs = 1.0, kDiv1s;
  if (spanSecs <= 200.0) return stepSecs = 10.0, kDiv10s;
  if (spanSecs <= 2000.0) return stepSecs = 100.0, kDiv100s;
  return stepSecs = 1.0, kDiv1s;
}

bool TSpectrogram::LineTime(int pane, int age, double& timeSecs) const {
  const views::TSpectrogramImage& image = panes_[static_cast<size_t>(pane)].image;
  return image.TimeAtDepth(age * image.Thickness(), timeSecs);
}

bool TSpectrogram::SetCursorAt(int pane, int k, int age) {
  if (pane < 0 || pane >= Panes()) return false;
  const Pane& p = panes_[static_cast<size_t>(pane)];
  if (p.map.Empty()) return false;
  cursor_.active = true;
  cursor_.pane = pane;
  cursor_.k = std::clamp(k, 0, p.map.Pixels() - 1);
  cursor_.age = std::clamp(age, 0, std::max(0, p.image.LineCapacity() - 1));
  cursor_.peakText.clear();
  update();
  return true;
}

std::string TSpectrogram::PointText(int pane, int k, int age) const {
  const Pane& p = panes_[static_cast<size_t>(pane)];
  if (p.map.Empty()) return {};
  k = std::clamp(k, 0, p.map.Pixels() - 1);
  double time = 0.0;
  LineTime(pane, age, time);
  float level = 0.0f;
  p.levels.At(age, k, level);
  char text[256];
  if (p.image.FrequencyVertical()) {
    std::snprintf(text, sizeof text, viewtext::kSpectrogramCursorVertical, p.map.Frequency(k), time,
                  static_cast<double>(level));
  } else {
    std::snprintf(text, sizeof text, viewtext::kSpectrogramCursorHorizontal, time,
                  p.map.Frequency(k), static_cast<double>(level));
  }
  return text;
}

std::string TSpectrogram::CursorClipboardText() const {
  if (!cursor_.active) return {};
  return PointText(cursor_.pane, cursor_.k, cursor_.age);
}

bool TSpectrogram::PeakSearch(bool next) {
  const TSpectralData* s = PaneSpectrum(0);
  const Pane& p = panes_[0];
  if (!s || p.map.Empty()) return false;
  const std::vector<TPeak> peaks =
      FindPeaks(*s, p.map.Index(0), p.map.Index(p.map.Pixels() - 1), 10,
                source_->Processing().smoothingWindow, LogAmplitude());
  if (peaks.empty()) {
    cursor_.peakText = viewtext::kNoPeak;
    update();
    return false;
  }
  peakIndex_ = next ? (peakIndex_ + 1) % static_cast<int>(peaks.size()) : 0;
  const TPeak& peak = peaks[static_cast<size_t>(peakIndex_)];
  int best = 0;
  for (int k = 1; k < p.map.Pixels(); ++k) {
    if (std::fabs(p.map.Frequency(k) - peak.hz) < std::fabs(p.map.Frequency(best) - peak.hz))
      best = k;
  }
  SetCursorAt(0, best, 0);
  char text[160];
  std::snprintf(text, sizeof text, viewtext::kPeakReadout, peakIndex_ + 1, peak.hz, peak.level,
                LogAmplitude() ? "dB" : "");
  cursor_.peakText = text;
  update();
  return true;
}

std::string TSpectrogram::CsvText() const {
  std::string out = "Frequency (Hz)";
  char cell[64];
  const int panes = Panes();
  for (int p = 0; p < panes; ++p) {
    const Pane& pane = panes_[static_cast<size_t>(p)];
    for (int age = pane.levels.Lines() - 1; age >= 0; --age) {
      double t = 0.0;
      LineTime(p, age, t);
      if (panes == 2) {
        std::snprintf(cell, sizeof cell, ",%s t=%.4f s", p == 0 ? "upper" : "lower", t);
      } else {
        std::snprintf(cell, sizeof cell, ",t=%.4f s", t);
      }
      out += cell;
    }
  }
  out += "\n";
  const Pane& first = panes_[0];
  for (int k = 0; k < first.map.Pixels(); ++k) {
    std::snprintf(cell, sizeof cell, "%.4f", first.map.Frequency(k));
    out += cell;
    for (int p = 0; p < panes; ++p) {
      const Pane& pane = panes_[static_cast<size_t>(p)];
      for (int age = pane.levels.Lines() - 1; age >= 0; --age) {
        float v = 0.0f;
        pane.levels.At(age, k, v);
        std::snprintf(cell, sizeof cell, ",%.4f", static_cast<double>(v));
        out += cell;
      }
    }
    out += "\n";
  }
  return out;
}

}  // namespace orvanix
