#include "utilities/UtilitiesModule.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/core/Commands.h"
#include "engine/Messages.h"
#include "engine/ProcessingStep.h"
#include "files/Configuration.h"
#include "files/ConfigurationGenerator.h"
#include "files/WaveFile.h"
#include "measure/DataLogModule.h"

namespace orvanix {

TUtilitiesModule::TUtilitiesModule(TAnalyzerCore& core) : TCoreModule(core) {}
TUtilitiesModule::~TUtilitiesModule() = default;

// ---------------------------------------------------------------- delay finder

bool TUtilitiesModule::OpenDelayFinder() {
  const TAnalyzerSettings& s = Core().Settings();
  if (s.processing.format.channels != 2) {
    ReportError(kDelayNeedsStereo);
    finder_.reset();
    return false;
  }
  const uint32_t rate = s.processing.format.sampleRate;
  auto finder = std::make_unique<TDelayFinder>(s.delayFinder.maxDelayMsec, rate);
  if (finder->Error()) {
    ReportError(kInsufficientMemory);
    finder_.reset();
    return false;
  }
  finder_ = std::move(finder);
  finderRate_ = rate;
  LogDelays(true);
  Notify();
  return true;
}

void TUtilitiesModule::CloseDelayFinder() {
  LogDelays(false);
  finder_.reset();
  blockLeft_.clear();
  blockRight_.clear();
}

void TUtilitiesModule::LogDelays(bool open) {
  auto* log = Core().FindModule<TDataLogModule>(TDataLogModule::kName);
  if (!log) return;
  if (!open) {
    log->SetDelaySource({});
    return;
  }
  // In the unit the window shows; a reading the finder does not trust writes no record
  // rather than a wrong delay.
  log->SetDelaySource([this]() -> std::optional<float> {
    if (!finder_ || finder_->Status() != DelayStatus::Found) return std::nullopt;
    return static_cast<float>(DelayInUnits(finder_->DelayMsec(), Core().Settings().delayFinder));
  });
}

std::string TUtilitiesModule::DelayReading() const {
  const TDelayFinderOptions& options = Core().Settings().delayFinder;
  if (!finder_) return DelayText(0.0, options);
  if (finder_->Status() == DelayStatus::Found) return DelayText(finder_->DelayMsec(), options);
  return DelayStatusText(finder_->Status(), finder_->SearchedMsec());
}

bool TUtilitiesModule::ApplyDelay() {
  if (!finder_ || finder_->Status() != DelayStatus::Found) {
    const std::string why = finder_ ? DelayStatusText(finder_->Status(), finder_->SearchedMsec())
                                    : std::string("the delay finder is not open");
    char text[256];
    std::snprintf(text, sizeof text, kDelayNothingToApply, why.c_str());
    ReportError(text, MessageIcon::Information);
    return false;
  }
  const double delay = finder_->DelayMsec();
  return Core().ChangeSettings(
      [delay](TAnalyzerSettings& s) {
        s.processing.delayChannel = delay >= 0 ? 1 : 0;
        s.processing.delayTimeMsec = static_cast<float>(std::min(std::fabs(delay), 1000.0));
      },
      SettingsOrigin::Outside);
}

bool TUtilitiesModule::SetProcessingDelay(double msec) {
  if (!std::isfinite(msec)) msec = 0;
  const float value = static_cast<float>(std::clamp(msec, 0.0, 1000.0));
  return Core().ChangeSettings(
      [value](TAnalyzerSettings& s) { s.processing.delayTimeMsec = value; },
      SettingsOrigin::Outside);
}

void TUtilitiesModule::SetDelayOptions(const TDelayFinderOptions& options) {
  const int32_t oldMax = Core().Settings().delayFinder.maxDelayMsec;
  Core().ChangeSettings([&options](TAnalyzerSettings& s) { s.delayFinder = options; },
                        SettingsOrigin::Outside);
  if (finder_ && options.maxDelayMsec != oldMax) OpenDelayFinder();
  Notify();
}

bool TUtilitiesModule::FetchDelayBlocks(std::vector<double>& left, std::vector<double>& right) {
  TWaveFile* doc = Core().Document();
  if (!doc || doc->Format().channels != 2) return false;
  const WaveFormat& f = doc->Format();
  const uint32_t need = finder_->FramesNeeded();
  const uint32_t n = finder_->BlockLength();
  const uint32_t length = doc->Length();
  const uint32_t analysed = static_cast<uint32_t>(Core().Engine().settings.fftSize) *
                            Core().Engine().settings.decimationRatio;

  // The newest frame of the source, and where the frames before it lie: one run ending there,
  // or (the Real-Time history, a ring) its start and the end of the ring before it.
  uint64_t end = 0;
  const RunState state = Core().State();
  bool ring = false;
  if (state == kStateRecording) {
    end = length;
  } else if (Core().Mode() == kModeRealTime) {
    end = doc->Position();
    ring = true;
  } else if (state == kStatePlaying) {
    end = static_cast<uint64_t>(std::llround(Core().AnalysisTime() * f.sampleRate)) + analysed / 2;
  } else {
    end = uint64_t{doc->Position()} + analysed;
  }
  end = std::min<uint64_t>(end, length);

  // Frames first ... first + count - 1 of the source, where `first` counts back from `end`.
  std::vector<uint8_t> bytes(size_t{need} * f.bytesPerSample);
  const double scale = 2.0 / (double(f.maxValue) - f.minValue);
  auto read = [&](uint32_t channel, uint32_t back, uint32_t count, std::vector<double>& out) {
    // `back`: how many frames before `end` the run starts.
    std::vector<uint32_t> starts, counts;
    if (back <= end) {
      starts.push_back(static_cast<uint32_t>(end - back));
      counts.push_back(count);
    } else {
      if (!ring || length < back) return false;
      const uint32_t older = static_cast<uint32_t>(back - end);  // frames before the ring start
      const uint32_t fromOld = std::min(older, count);
      starts.push_back(length - older);
      counts.push_back(fromOld);
      if (count > fromOld) {
        starts.push_back(0);
        counts.push_back(count - fromOld);
      }
    }
    out.resize(count);
    size_t at = 0;
    for (size_t piece = 0; piece < starts.size(); ++piece) {
      if (!doc->ReadChannel(bytes.data(), starts[piece], counts[piece], channel)) return false;
      for (uint32_t i = 0; i < counts[piece]; ++i) {
        const int32_t raw = DecodeSample(bytes.data() + size_t{i} * f.bytesPerSample,
                                         f.bytesPerSample, f.zeroValue);
        out[at++] = (raw - f.zeroValue) * scale;
      }
    }
    return true;
  };
  if (!ring && end < need) return false;
  // Left: N frames from end - N - N/2; right: N frames from end - N.
  return read(0, need, n, left) && read(1, n, n, right);
}

bool TUtilitiesModule::UpdateDelay() {
  if (!finder_) return false;
  if (!FetchDelayBlocks(blockLeft_, blockRight_)) return false;
  finder_->Update(blockLeft_.data(), blockRight_.data());
  Notify();
  return true;
}

// ---------------------------------------------------------------- DTMF

void TUtilitiesModule::OpenDtmfDecoder() {
  dtmfOpen_ = true;
  SetDtmfOptions(dtmfOptions_);
}

void TUtilitiesModule::CloseDtmfDecoder() {
  dtmfOpen_ = false;
}

void TUtilitiesModule::ClearDtmf() {
  dtmf_[0].Reset();
  dtmf_[1].Reset();
  NotifyDtmf();
}

void TUtilitiesModule::SetDtmfOptions(const TDtmfDecoderOptions& options) {
  dtmfOptions_ = options;
  for (TDTMFData& d : dtmf_) {
    d.SetParameters(options.hitThresholdDb, options.minDigitDurationMsec,
                    options.minDigitSpacingMsec);
  }
  NotifyDtmf();
}

bool TUtilitiesModule::DecodeSelectedSegment(const TDtmfProgress& progress) {
  TWaveFile* doc = Core().Document();
  const TTimeSelection selection = Core().Selection();
  const double start = std::max(0.0, selection.startSecs);
  const double end = std::max(0.0, selection.endSecs);
  if (!doc || !(end > start)) {
    ReportError(kDtmfNoSegment, MessageIcon::Information);
    return false;
  }
  Core().Stop();
  const uint32_t rate = doc->Format().sampleRate;
  const uint32_t first = static_cast<uint32_t>(std::min<double>(start * rate, doc->Length()));
  const uint32_t last = static_cast<uint32_t>(std::min<double>(end * rate, doc->Length()));
  const uint32_t position = doc->Position();
  Core().ShowTransientTitle(kDtmfTitle);
  TDtmfSegmentResult result;
  const bool ok =
      DecodeDtmfSegment(*doc, first, last, Core().Settings().processing, result, progress);
  doc->Seek(position);
  Core().ShowTransientTitle({});
  if (!ok) return false;
  Messages().Report(DtmfResultText(result), kDtmfResultCaption, MessageIcon::Information);
  return true;
}

// ---------------------------------------------------------------- the core's side

bool TUtilitiesModule::OwnsCommand(int32_t command) const {
  return command == kCmdSegmentDtmf;
}

bool TUtilitiesModule::IsEnabled(int32_t command) const {
  if (command == kCmdSegmentDtmf) return Core().HasDocument();
  return true;
}

bool TUtilitiesModule::Execute(int32_t command) {
  if (command == kCmdSegmentDtmf) return DecodeSelectedSegment();
  return false;
}

void TUtilitiesModule::LoadProgramSettings(const TProfile& program) {
  LoadDtmfDecoderOptions(program, dtmfOptions_);
  SetDtmfOptions(dtmfOptions_);
  LoadReverbSettings(program);
}

void TUtilitiesModule::SaveProgramSettings(TProfile& program) const {
  SaveDtmfDecoderOptions(program, dtmfOptions_);
  SaveReverbSettings(program);
}

void TUtilitiesModule::BlockProcessed(double analysisTimeSecs) {
  if (finder_) UpdateDelay();
  if (!dtmfOpen_) return;
  const TEngineObjects& engine = Core().Engine();
  const int32_t t = static_cast<int32_t>(std::max(0.0, analysisTimeSecs * 1000.0));
  bool appended = false;
  if (engine.left) appended |= dtmf_[0].Feed(*engine.left, t) != 0;
  if (engine.right) appended |= dtmf_[1].Feed(*engine.right, t) != 0;
  if (appended) NotifyDtmf();
}

void TUtilitiesModule::SettingsChanged() {
  // Another rate or channel count: the finder's blocks no longer fit.
  if (!finder_) return;
  const WaveFormat& f = Core().Settings().processing.format;
  if (f.channels != 2) {
    CloseDelayFinder();
    Notify();
  } else if (f.sampleRate != finderRate_) {
    finder_ =
        std::make_unique<TDelayFinder>(Core().Settings().delayFinder.maxDelayMsec, f.sampleRate);
    finderRate_ = f.sampleRate;
    if (finder_->Error()) finder_.reset();
    Notify();
  }
}

}  // namespace orvanix
