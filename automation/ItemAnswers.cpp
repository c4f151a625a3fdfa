#include "automation/ItemAnswers.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "app/core/AnalyzerCore.h"
#include "automation/Items.h"
#include "engine/Decibels.h"
#include "engine/ProcessingStep.h"
#include "files/Configuration.h"
#include "files/WaveFile.h"
#include "measure/MeasureKinds.h"
#include "measure/Measurements.h"
#include "measure/Peaks.h"
#include "utilities/UtilitiesModule.h"

namespace orvanix {

namespace {

// "4.32.%d" with the build number.
constexpr const char* kVersionText = "4.32.";
constexpr int kVersionBuild = 18;

std::string Printf(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Printf2(const char* format, double a, double b) {
  char text[128];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

// One spectral point per line: its frequency (or band centre) and value or phase.
void AppendPoint(std::string& out, const TSpectralData& left, const TSpectralData* right,
                 uint32_t i, bool phase) {
  const bool bands = OnOctaveAxis(left);
  const double f = bands ? left.BandCentre(i) : left.BinFrequency(i);
  const double a = phase ? left.Phase(i) : left.Value(i);
  char line[160];
  if (right) {
    const double b = phase ? right->Phase(i) : right->Value(i);
    std::snprintf(line, sizeof line, "%6.6f\t%6.6f\t%6.6f\r\n", f, a, b);
  } else {
    std::snprintf(line, sizeof line, "%6.6f\t%6.6f\r\n", f, a);
  }
  out += line;
}

}  // namespace

TItemAnswers::TItemAnswers(TAnalyzerCore& core) : core_(core) {}

void TItemAnswers::SetTimeSegment(double startSecs, double endSecs) {
  segmentStart_ = startSecs;
  segmentEnd_ = endSecs;
}

void TItemAnswers::FileClosed(const std::string& path) {
  lastClosed_ = path;
}

std::optional<std::string> TItemAnswers::Text(int32_t item) {
  if (ItemName(item).empty() || AdviseOnly(item)) return std::nullopt;
  switch (item) {
    case kItemSpectrum:
    case kItemPhase:
    case kItemZoomedSpectrum:
    case kItemZoomedPhase:
    case kItemMarkedSpectrum:
    case kItemMarkedPhase:
      return Lines(item);
    case kItemTimeSeries:
      return TimeSeriesLines(false);
    case kItemZoomedTimeSeries:
      return TimeSeriesLines(true);
    case kItemFileClosed: {
      std::string path = lastClosed_;
      lastClosed_.clear();
      return path;
    }
    default:
      return Value(item);
  }
}

std::string TItemAnswers::Value(int32_t item) const {
  const TEngineObjects& engine = core_.Engine();
  const TAnalyzerSettings& settings = core_.Settings();
  const TDisplaySpectra spectra = DisplaySpectra(engine);
  const bool two = TwoChannelMode(EffectiveMode(engine.settings)) && spectra.second;
  const int32_t polarity = settings.viewStatus.noiseFigurePolarity;
  // A measurement on the first display spectrum, and on the second when two apply.
  auto pair = [&](auto&& measure) {
    const double a = spectra.first ? measure(*spectra.first) : 0.0;
    if (!two) return Printf("%3.6f", a);
    return Printf2("%3.6f\t%3.6f", a, measure(*spectra.second));
  };
  auto kind = [&](AnalysisType type) {
    return pair([&](const TSpectralData& s) { return Measure(type, &s, engine, polarity); });
  };
  auto power = [&](int weighting) {
    return pair([&](const TSpectralData& s) {
      const TIndexSpan span = AnalysisSpan(s);
      return s.BandPower(span.first, span.last, weighting, s.AmplitudeScale() == 1);
    });
  };
  auto nthPeak = [&](uint32_t n, bool amplitude) {
    return pair([&](const TSpectralData& s) {
      const TIndexSpan span = AnalysisSpan(s);
      const SpectrumPoint p = Peaks(s, span.first, span.last, n, PeakScan::Axis);
      return amplitude ? p.value : p.frequency;
    });
  };
  const TStatusInfo status = core_.Status();
  const ProcessingSettings& p = engine.settings;
  switch (item) {
    case kItemPeakFrequency:
      return pair([](const TSpectralData& s) { return PeakFrequency(&s); });
    case kItemPeakAmplitude:
      return pair([](const TSpectralData& s) { return PeakAmplitude(&s); });
    case kItemTotalPower:
      return pair([](const TSpectralData& s) { return TotalPower(&s); });
    case kItemTotalPowerA:
    case kItemTotalPowerB:
    case kItemTotalPowerC:
      return power(item - kItemTotalPowerA + 1);
    case kItemTotalPowerFlat:
      return power(0);
    case kItemThd:
      return kind(kAnalysisThd);
    case kItemThdN:
      return kind(kAnalysisThdN);
    case kItemImd:
      return kind(kAnalysisImd);
    case kItemSnr:
      return kind(kAnalysisSnr);
    case kItemSinad:
      return kind(kAnalysisSinad);
    case kItemSfdr:
      return kind(kAnalysisSfdr);
    case kItemNf:
      return Printf("%3.6f", ComputeNoiseFigure(engine.left.get(), engine.right.get(), polarity));
    case kItemOverloadStatus:
      return std::to_string(status.field == TStatusInfo::StateField::Overload ? 1 : 0);
    case kItemOverloadCount:
      return std::to_string(status.overloadCount);
    case kItemFftCount:
      return std::to_string(core_.BlockCount() + (blockInFlight_ ? 1 : 0));
    case kItemCurrentTime:
      return Printf("%3.4f", core_.AnalysisTime());
    case kItemTotalTime:
      return Printf("%3.4f", core_.Document() ? core_.Document()->LengthSeconds() : 0.0);
    case kItemLoggingStatus:
      return core_.DataLogging() ? "1" : "0";
    case kItemPeakHold:
      return std::to_string(p.peakHold);
    case kItemFftOverlap:
      return std::to_string(p.overlapPercent);
    case kItemFftSize:
      return std::to_string(p.fftSize);
    case kItemAverageSize:
      return std::to_string(p.averageBlocks > 1000 ? 1001 : p.averageBlocks);
    case kItemSmoothingWindow:
      return TSmoothing::TypeName(p.smoothingWindow);
    case kItemTotalPowerInSegment:
      return SegmentPower();
    case kItemDelayFinder: {
      // The open finder's trusted reading in its display unit; 0 while it is closed or
      // has nothing it trusts.
      const auto* utilities = core_.FindModule<TUtilitiesModule>(TUtilitiesModule::kName);
      const TDelayFinder* finder = utilities ? utilities->DelayFinder() : nullptr;
      if (!finder || finder->Status() != DelayStatus::Found) return Printf("%3.6f", 0.0);
      return Printf("%3.6f", DelayInUnits(finder->DelayMsec(), core_.Settings().delayFinder));
    }
    case kItemMacroStatus:
      return std::to_string(macroStatus_ ? macroStatus_() : -1);
    case kItemVersionNumber:
      return kVersionText + std::to_string(kVersionBuild);
    default:
      break;
  }
  if (item >= kItemMarker1Amplitude && item < kItemMarker1Amplitude + 6) {
    const float f = settings.markers.freqHz[static_cast<size_t>(item - kItemMarker1Amplitude)];
    return pair([f](const TSpectralData& s) {
      return s.Value(OnOctaveAxis(s) ? s.BandOfFrequency(f) : s.FrequencyBin(f));
    });
  }
  if (item >= kItemPeak1Frequency && item < kItemPeak1Frequency + 6) {
    return nthPeak(static_cast<uint32_t>(item - kItemPeak1Frequency), false);
  }
  if (item >= kItemPeak1Amplitude && item < kItemPeak1Amplitude + 6) {
    return nthPeak(static_cast<uint32_t>(item - kItemPeak1Amplitude), true);
  }
  return {};
}

std::string TItemAnswers::Lines(int32_t item) const {
  const TEngineObjects& engine = core_.Engine();
  const TAnalyzerSettings& settings = core_.Settings();
  const TDisplaySpectra spectra = DisplaySpectra(engine);
  if (!spectra.first || spectra.first->Error()) return {};
  const TSpectralData& s = *spectra.first;
  const bool two = TwoChannelMode(EffectiveMode(engine.settings)) && spectra.second;
  const bool phase = item == kItemPhase || item == kItemZoomedPhase || item == kItemMarkedPhase;
  const bool bands = OnOctaveAxis(s);
  auto index = [&](float f) { return bands ? s.BandOfFrequency(f) : s.FrequencyBin(f); };
  TIndexSpan span = AnalysisSpan(s);
  if (item == kItemZoomedSpectrum) {
    span = {index(settings.spectrumPlot.startFreqHz), index(settings.spectrumPlot.stopFreqHz)};
  } else if (item == kItemZoomedPhase) {
    span = {index(settings.phasePlot.startFreqHz), index(settings.phasePlot.stopFreqHz)};
  } else if (item == kItemMarkedSpectrum || item == kItemMarkedPhase) {
    // The two marked lines are the spectrum view's first two markers.
    const uint32_t a = index(settings.markers.freqHz[0]);
    const uint32_t b = index(settings.markers.freqHz[1]);
    span = {std::min(a, b), std::max(a, b)};
  }
  const uint32_t count = s.ValueCount();
  if (count == 0) return {};
  span.last = std::min(span.last, count - 1);
  std::string out;
  if (span.first > span.last) return out;
  out.reserve(50u * (span.last - span.first + 1) + 50u);
  for (uint32_t i = span.first; i <= span.last; ++i) {
    AppendPoint(out, s, two ? spectra.second : nullptr, i, phase);
  }
  return out;
}

std::string TItemAnswers::TimeSeriesLines(bool zoomed) const {
  const TEngineObjects& engine = core_.Engine();
  const TAnalyzerSettings& settings = core_.Settings();
  const TSeriesData* left = engine.seriesLeft.get();
  if (!left || left->Error()) return {};
  const TSeriesData* right = engine.seriesRight.get();
  const bool two = TwoChannelMode(EffectiveMode(engine.settings)) && right && !right->Error();
  const uint32_t n = static_cast<uint32_t>(std::max(0, engine.settings.fftSize));
  const double rate = static_cast<double>(engine.settings.format.sampleRate) /
                      std::max<uint32_t>(1, engine.settings.decimationRatio);
  const bool calibrated = settings.calibration.enabled != 0;
  const bool db = settings.series.ampScaleType != 0;
  auto value = [&](const TSeriesData& series, uint32_t i) -> double {
    const double x = series.GetSample(i, true);
    if (db) return AmplitudeToDb(std::fabs(x));
    return calibrated ? x : 100.0 * x;
  };
  uint32_t first = 0;
  uint32_t last = n ? n - 1 : 0;
  if (zoomed && rate > 0) {
    const double from = std::max(0.0, static_cast<double>(settings.series.startTime));
    const double to = std::max(from, static_cast<double>(settings.series.stopTime));
    first = static_cast<uint32_t>(std::min<double>(last, std::floor(from * rate)));
    last = static_cast<uint32_t>(std::min<double>(last, std::floor(to * rate)));
  }
  std::string out;
  if (n == 0) return out;
  out.reserve(50u * (last - first + 1) + 50u);
  char line[160];
  for (uint32_t i = first; i <= last; ++i) {
    const double t = rate > 0 ? i / rate : 0.0;
    if (two) {
      std::snprintf(line, sizeof line, "%6.6f\t%6.6f\t%6.6f\r\n", t, value(*left, i),
                    value(*right, i));
    } else {
      std::snprintf(line, sizeof line, "%6.6f\t%6.6f\r\n", t, value(*left, i));
    }
    out += line;
  }
  return out;
}

std::string TItemAnswers::SegmentPower() const {
  const TWaveFile* doc = core_.Document();
  const TEngineObjects& engine = core_.Engine();
  const TDisplaySpectra spectra = DisplaySpectra(engine);
  const bool two = TwoChannelMode(EffectiveMode(engine.settings)) && spectra.second;
  auto channelDb = [&](uint32_t channel) -> double {
    if (!doc || channel >= doc->Format().channels) return -999;
    const double rate = doc->Format().sampleRate;
    const uint32_t length = doc->ValidLength();
    const uint32_t from =
        static_cast<uint32_t>(std::clamp(std::floor(segmentStart_ * rate), 0.0, double(length)));
    const uint32_t to =
        static_cast<uint32_t>(std::clamp(std::floor(segmentEnd_ * rate), 0.0, double(length)));
    if (to <= from) return -999;
    double sum = 0;
    for (uint32_t i = from; i < to; ++i) {
      const double x = doc->GetSample(i, channel, true);
      sum += x * x;
    }
    // A full-scale sine reads 0 dB, as in the spectra.
    const double power = 2.0 * sum / (to - from);
    return power > 0 ? 10.0 * std::log10(power) : -999;
  };
  if (!two) return Printf("%3.2f", channelDb(0));
  return Printf2("%3.2f\t%3.2f", channelDb(0), channelDb(1));
}

}  // namespace orvanix
