#include "measure/SegmentModule.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/Messages.h"
#include "engine/ProcessingStep.h"
#include "files/Configuration.h"
#include "files/WaveFile.h"
#include "measure/MeasureKinds.h"

namespace orvanix {

namespace {

constexpr const char* kNeedSegment = "You must first select a time segment.";
constexpr const char* kCaptionLeq = "Equivalent Noise Level (Leq)";
constexpr const char* kCaptionQ = "Quality Factor";
constexpr const char* kAverageCaption = "Computing average spectrum... press <Esc> to cancel.";
constexpr const char* kLeqCaption = "Computing Leq value... press <Esc> to cancel.";
constexpr int kDefaultReferenceSecs = 3600;
// Points of a printed curve.
constexpr int kCurvePoints = 20;

constexpr THeadlessOption kOptions[] = {
    {"--segment", "START END", "the time segment (seconds) the options below analyse"},
    {"--average-spectrum", nullptr,
     "average the segment's spectrum (linear, half-block steps); --measure then reads it"},
    {"--leq", nullptr, "print the segment's Leq"},
    {"--leq-time", "SECS", "Leq reference time in seconds (default: the LEQ settings, 3600)"},
    {"--leq-weighting", "W", "Leq weighting: flat, A, B or C (default: the LEQ settings)"},
    {"--rms", nullptr, "print the segment's RMS level"},
    {"--crest", nullptr, "print the segment's crest factor"},
    {"--schroeder", nullptr, "print the segment's Schroeder backward integration (dB)"},
    {"--hilbert", nullptr, "print the segment's Hilbert envelope (dB)"},
    {"--qfactor", "FA FB", "print the bandwidth and Q factor of the peak between FA and FB Hz"},
    {"--rebuild-slices", "N",
     "rebuild N spectrogram slices from the segment and print each one's time and peak"},
};

std::unique_ptr<TCoreModule> MakeModule(TAnalyzerCore& core) {
  return std::make_unique<TSegmentModule>(core);
}

bool ParseNumber(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0' && std::isfinite(value);
}

bool ParsePair(const std::string& value, double& a, double& b) {
  const size_t split = value.find('\n');
  return split != std::string::npos && ParseNumber(value.substr(0, split), a) &&
         ParseNumber(value.substr(split + 1), b);
}

// Message boxes break lines with '\r', a terminal with '\n'.
std::string Lines(std::string text) {
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  return text;
}

}  // namespace

TSegmentModule::TSegmentModule(TAnalyzerCore& core) : TCoreModule(core) {
  core.SetRecordingSlices(this);
}

TSegmentModule::~TSegmentModule() {
  Core().SetRecordingSlices(nullptr);
}

const TModuleInfo& TSegmentModule::Info() {
  static const TModuleInfo info{kName, MakeModule, kOptions};
  return info;
}

bool TSegmentModule::OwnsCommand(int32_t command) const {
  return command == kCmdSegmentAverageSpectrum || command == kCmdSegmentLeq ||
         command == kCmdSegmentRmsLevel || command == kCmdSegmentCrestFactor ||
         command == kCmdBandwidthQ || command == kCmdInverseFft || command == kCmdSegmentHilbert ||
         command == kCmdSegmentSchroeder || command == kCmdSegmentTimeSeries ||
         command == kCmdSegmentSpectrogram || command == kCmdSegmentSurface;
}

bool TSegmentModule::IsEnabled(int32_t command) const {
  if (command == kCmdBandwidthQ || command == kCmdInverseFft) return true;
  // A computed series shown is transformed again in place, with or without a recording.
  if ((command == kCmdSegmentHilbert || command == kCmdSegmentSchroeder) &&
      Core().ComputedSeries()) {
    return true;
  }
  return Core().HasDocument();
}

bool TSegmentModule::SegmentCheck(bool needsSelection) const {
  if (!Core().HasDocument()) return false;
  const int32_t active = Core().UiContext().activeWindow;
  if (active != kWindowTimeSeries && active != kWindowSpectrogram && active != kWindowSurface) {
    return false;
  }
  if (needsSelection && Core().Selection().Empty()) {
    ReportError(kNeedSegment, MessageIcon::Information);
    return false;
  }
  return true;
}

bool TSegmentModule::Execute(int32_t command) {
  switch (command) {
    case kCmdSegmentAverageSpectrum:
      return SegmentCheck(true) && AverageSpectrum();
    case kCmdSegmentLeq: {
      if (!SegmentCheck(true)) return false;
      const TLeqSettings& leq = Core().Settings().leq;
      return Leq(
          leq.referenceTimePeriodSecs > 0 ? leq.referenceTimePeriodSecs : kDefaultReferenceSecs,
          leq.weightingType);
    }
    case kCmdSegmentRmsLevel:
      return SegmentCheck(false) && RmsLevel();
    case kCmdSegmentCrestFactor:
      return SegmentCheck(false) && CrestFactor();
    case kCmdSegmentTimeSeries: {
      const TTimeSelection s = Core().Selection();
      return SegmentCheck(false) && DisplayTimeSeries(s.startSecs, s.endSecs);
    }
    case kCmdSegmentSpectrogram:
      return SegmentCheck(true) && RebuildSlices(kWindowSpectrogram);
    case kCmdSegmentSurface:
      return SegmentCheck(true) && RebuildSlices(kWindowSurface);
    case kCmdInverseFft:
      return InverseFft();
    case kCmdSegmentHilbert:
      return Envelope();
    case kCmdSegmentSchroeder:
      return Schroeder();
    case kCmdBandwidthQ: {
      const TSpectrumPlotOptions& plot = Core().Settings().spectrumPlot;
      return BandwidthAndQ(plot.startFreqHz, plot.stopFreqHz);
    }
    default:
      return false;
  }
}

std::optional<TBlockSpan> TSegmentModule::AverageSelection(const std::string& caption) {
  TWaveFile* wave = Core().Document();
  if (!wave) return std::nullopt;
  Core().Stop();
  const TTimeSelection selection = Core().Selection();
  const ProcessingSettings& settings = Core().Engine().settings;
  const TBlockSpan span = BlockSpan(settings, selection.startSecs, selection.endSecs);
  if (span.blocks == 0) return std::nullopt;
  Core().ShowTransientTitle(caption);
  AverageSegment(*wave, Core().EngineForAnalysis(), settings, span);
  Core().ShowTransientTitle({});
  // The views and measurement windows repaint as after a block of a run.
  Core().SpectraComputed(selection.endSecs);
  return span;
}

bool TSegmentModule::AverageSpectrum() {
  return AverageSelection(kAverageCaption).has_value();
}

bool TSegmentModule::Leq(double referenceSecs, int weighting) {
  if (!(referenceSecs > 0)) {
    ReportError("Leq Reference Time must be greater than zero", MessageIcon::Error);
    return false;
  }
  const std::optional<TBlockSpan> span = AverageSelection(kLeqCaption);
  if (!span) return false;
  const TDisplaySpectra spectra = DisplaySpectra(Core().Engine());
  const bool two = TwoChannelMode(EffectiveMode(Core().Engine().settings));
  leq_ = SegmentLeq(spectra.first, two ? spectra.second : nullptr, span->t1 - span->t0,
                    referenceSecs, weighting);
  Messages().Report(LeqMessage(*leq_), kCaptionLeq, MessageIcon::Information);
  return true;
}

bool TSegmentModule::RmsLevel() {
  TWaveFile* wave = Core().Document();
  if (!wave) return false;
  const TTimeSelection s = Core().Selection();
  levels_ = SegmentLevels(*wave, s.startSecs, s.endSecs, Core().Calibration());
  ReportError(RmsMessage(*levels_, Core().Calibration()), MessageIcon::Information);
  return true;
}

bool TSegmentModule::CrestFactor() {
  TWaveFile* wave = Core().Document();
  if (!wave) return false;
  const TTimeSelection s = Core().Selection();
  levels_ = SegmentLevels(*wave, s.startSecs, s.endSecs, Core().Calibration());
  ReportError(CrestMessage(*levels_), MessageIcon::Information);
  return true;
}

bool TSegmentModule::BandwidthAndQ(float fa, float fb) {
  const TDisplaySpectra spectra = DisplaySpectra(Core().Engine());
  if (!spectra.first || spectra.first->Error()) return false;
  const TQualityFactor first = QualityFactor(*spectra.first, fa, fb);
  std::optional<TQualityFactor> second;
  if (spectra.second && !spectra.second->Error()) {
    second = QualityFactor(*spectra.second, fa, fb);
  }
  Messages().Report(QualityMessage(first, second ? &*second : nullptr), kCaptionQ,
                    MessageIcon::Information);
  return true;
}

void TSegmentModule::PrintCurve(bool schroeder) {
  // From the segment itself, never from a series an earlier option left.
  Core().ClearComputedSeries();
  TComputedSeries series;
  const auto kind = schroeder ? TComputedSeries::Kind::Schroeder : TComputedSeries::Kind::Envelope;
  if (!segment_ || !SegmentSeries(kind, series)) return;
  Core().ShowComputedSeries(std::move(series));
  // The same command as the time series' pop-up, now on the series just made.
  if (!(schroeder ? Schroeder() : Envelope())) return;
  const TComputedSeries* s = Core().ComputedSeries();
  if (!s) return;
  const size_t n = s->Count();
  const double range = double(s->maxValue) - s->zeroValue;
  for (int c = 0; c < s->channels; ++c) {
    std::printf("%s (%s):\n", schroeder ? "Schroeder integration" : "Hilbert envelope",
                c == 0 ? "left" : "right");
    for (int p = 0; p < kCurvePoints; ++p) {
      const size_t k = static_cast<size_t>(uint64_t{n} * p / kCurvePoints);
      const double value = std::fabs(double(s->samples[c][k]) - s->zeroValue) / range;
      std::printf("  %.4f s\t%.2f dB\n", s->startSecs + double(k) / s->rateHz,
                  value > 0 ? 20.0 * std::log10(value) : -999.9);
    }
  }
}

std::string TSegmentModule::TakeHeadlessOption(std::string_view name, const std::string& value) {
  double a = 0, b = 0;
  if (name == "--segment") {
    if (!ParsePair(value, a, b) || a < 0 || b <= a) {
      return "--segment needs a start and a later end in seconds";
    }
    segment_ = {a, b};
  } else if (name == "--average-spectrum") {
    wantAverage_ = true;
  } else if (name == "--leq") {
    wantLeq_ = true;
  } else if (name == "--leq-time") {
    if (!ParseNumber(value, a) || a <= 0) return "Leq Reference Time must be greater than zero";
    leqSeconds_ = a;
  } else if (name == "--leq-weighting") {
    static const char* const kNames[] = {"flat", "A", "B", "C"};
    for (int w = 0; w < 4; ++w) {
      if (value == kNames[w] || value == std::to_string(w) ||
          (w > 0 && value.size() == 1 && std::tolower(value[0]) == std::tolower(kNames[w][0]))) {
        leqWeighting_ = w;
      }
    }
    if (!leqWeighting_) return "--leq-weighting needs flat, A, B or C";
  } else if (name == "--rms") {
    wantRms_ = true;
  } else if (name == "--crest") {
    wantCrest_ = true;
  } else if (name == "--schroeder") {
    wantSchroeder_ = true;
  } else if (name == "--hilbert") {
    wantHilbert_ = true;
  } else if (name == "--rebuild-slices") {
    if (!ParseNumber(value, a) || a < 1 || a > 100000 || a != std::floor(a)) {
      return "--rebuild-slices needs a number of slices from 1 to 100000";
    }
    headlessSlices_ = static_cast<int>(a);
  } else if (name == "--qfactor") {
    if (!ParsePair(value, a, b) || a < 0 || b <= a) {
      return "--qfactor needs a start and a higher stop frequency in Hz";
    }
    qRange_ = std::pair<float, float>(static_cast<float>(a), static_cast<float>(b));
  }
  return {};
}

bool TSegmentModule::HeadlessPrepare() {
  const bool wantsSegment = wantLeq_ || wantRms_ || wantCrest_ || wantAverage_ || wantSchroeder_ ||
                            wantHilbert_ || headlessSlices_.has_value();
  if (wantsSegment && !segment_) {
    std::fprintf(stderr,
                 "tessiva: --leq, --rms, --crest, --average-spectrum, --schroeder, "
                 "--hilbert and --rebuild-slices need --segment START END\n");
    return false;
  }
  return true;
}

int TSegmentModule::HeadlessReport() {
  if (!segment_) {
    if (qRange_ && BandwidthAndQ(qRange_->first, qRange_->second)) return 0;
    return qRange_ ? 1 : 0;
  }
  if (!Core().HasDocument()) {
    std::fprintf(stderr, "tessiva: --segment needs a wave file\n");
    return 1;
  }
  Core().SetSelection(segment_->first, segment_->second);
  const TTimeSelection s = Core().Selection();
  std::printf("Segment: %.4f ... %.4f s\n", s.startSecs, s.endSecs);
  // The messages go to stdout here rather than to the message sink.
  TRecordingSink results;
  TScopedMessageSink scoped(&results);
  if (wantRms_) RmsLevel();
  if (wantCrest_) CrestFactor();
  if (wantLeq_) {
    const TLeqSettings& leq = Core().Settings().leq;
    Leq(leqSeconds_.value_or(leq.referenceTimePeriodSecs > 0 ? leq.referenceTimePeriodSecs
                                                             : kDefaultReferenceSecs),
        leqWeighting_.value_or(leq.weightingType));
  }
  if (wantAverage_ && !wantLeq_) AverageSpectrum();
  if (qRange_) BandwidthAndQ(qRange_->first, qRange_->second);
  for (const TRecordingSink::Entry& entry : results.Entries()) {
    std::printf("%s\n", Lines(entry.text).c_str());
  }
  if (wantSchroeder_) PrintCurve(true);
  if (wantHilbert_) PrintCurve(false);
  if (headlessSlices_) PrintSlices(*headlessSlices_);
  return 0;
}

}  // namespace orvanix
