#include "app/gui/CoreViewSource.h"

#include <cstring>

#include "app/gui/MainWin.h"
#include "engine/Calibration.h"
#include "engine/ProcessingStep.h"
#include "files/WaveFile.h"

namespace orvanix {

TCoreViewSource::TCoreViewSource(TAnalyzerCore& core, QWidget* owner, int32_t optionsCommand)
    : core_(core), spectra_(core), owner_(owner), optionsCommand_(optionsCommand) {}

int32_t TCoreViewSource::CommandOf(PlotAction action) {
  switch (action) {
    case PlotAction::Cut:
      return kCmdCut;
    case PlotAction::CopyAsWave:
      return kCmdCopy;
    case PlotAction::Mute:
      return kCmdMute;
    case PlotAction::Filter:
      return kCmdFilter;
    case PlotAction::Play:
      return kCmdPlay;
    case PlotAction::DisplayTimeSeries:
      return kCmdSegmentTimeSeries;
    case PlotAction::AverageSpectrum:
      return kCmdSegmentAverageSpectrum;
    case PlotAction::Spectrogram:
      return kCmdSegmentSpectrogram;
    case PlotAction::Surface:
      return kCmdSegmentSurface;
    case PlotAction::Leq:
      return kCmdSegmentLeq;
    case PlotAction::Dtmf:
      return kCmdSegmentDtmf;
    case PlotAction::Annotate:
      return kCmdAnnotations;
    case PlotAction::Envelope:
      return kCmdSegmentHilbert;
    case PlotAction::Schroeder:
      return kCmdSegmentSchroeder;
    case PlotAction::RmsLevel:
      return kCmdSegmentRmsLevel;
    case PlotAction::CrestFactor:
      return kCmdSegmentCrestFactor;
  }
  return -1;
}

const TSeriesData* TCoreViewSource::BlockSeries(int channel) const {
  const TEngineObjects& e = core_.Engine();
  return channel == 0 ? e.seriesLeft.get() : channel == 1 ? e.seriesRight.get() : nullptr;
}

TWaveData* TCoreViewSource::SeriesDocument() const {
  if (core_.Mode() == kModeRealTime || !core_.HasDocument()) return nullptr;
  return core_.Document();
}

bool TCoreViewSource::ComputedSeries(TSeriesView& view) const {
  const TComputedSeries* series = core_.ComputedSeries();
  if (!series || series->Count() == 0) return false;
  view.channels = series->channels;
  view.count = series->Count();
  view.rateHz = series->rateHz;
  view.startSecs = series->startSecs;
  view.zero = series->zeroValue;
  for (int c = 0; c < 2; ++c) {
    const bool has = c < series->channels && series->samples[c].size() == view.count;
    view.samples[c] = has ? series->samples[c].data() : nullptr;
    view.scale[c] = series->scale[c];
  }
  return true;
}

double TCoreViewSource::PositionSecs() const {
  const TWaveFile* document = core_.Document();
  return document ? document->PositionSeconds() : 0.0;
}

bool TCoreViewSource::Calibrated() const {
  return core_.Calibration().enabled;
}

std::string TCoreViewSource::ChannelName(int channel) const {
  const TCalibration& c = core_.Calibration();
  if (!c.enabled) return {};
  const char* name = channel == 0 ? c.leftChannelName : c.rightChannelName;
  return std::string(name, strnlen(name, sizeof c.leftChannelName));
}

void TCoreViewSource::Selection(double& startSecs, double& endSecs) const {
  const TTimeSelection s = core_.Selection();
  startSecs = s.startSecs;
  endSecs = s.endSecs;
}

void TCoreViewSource::SetSelection(double startSecs, double endSecs) {
  core_.SetSelection(startSecs, endSecs);
}

void TCoreViewSource::ClickedAtTime(double timeSecs) {
  if (optionsCommand_ == kCmdSpectrogramOptions) core_.ShowAtTime(kWindowSpectrogram, timeSecs);
  if (optionsCommand_ == kCmdSurfaceOptions) core_.ShowAtTime(kWindowSurface, timeSecs);
}

bool TCoreViewSource::FrameCommandEnabled(int32_t command) const {
  if (auto* frame = owner_ ? qobject_cast<TMainWin*>(owner_->window()) : nullptr) {
    return frame->CommandEnabled(command);
  }
  // Without a frame (tests) only what a subsystem owns can run.
  return core_.CommandOwner(command) != nullptr && core_.IsEnabled(command);
}

void TCoreViewSource::RunFrameCommand(int32_t command) {
  if (auto* frame = owner_ ? qobject_cast<TMainWin*>(owner_->window()) : nullptr) {
    frame->RunCommand(command);
    return;
  }
  core_.Execute(command);
}

bool TCoreViewSource::CommandEnabled(int32_t action) const {
  return FrameCommandEnabled(CommandOf(static_cast<PlotAction>(action)));
}

void TCoreViewSource::RunCommand(int32_t action) {
  const int32_t command = CommandOf(static_cast<PlotAction>(action));
  if (FrameCommandEnabled(command)) RunFrameCommand(command);
}

void TCoreViewSource::ShowProperties() {
  RunFrameCommand(optionsCommand_);
}

void TCoreViewSource::ShowHelp() {
  // The view's own page of the user guide.
  const char* page = nullptr;
  switch (optionsCommand_) {
    case kCmdTimeSeriesOptions:
      page = "docs/guide/time-series.md";
      break;
    case kCmdSpectrogramOptions:
      page = "docs/guide/spectrogram.md";
      break;
    case kCmdSurfaceOptions:
      page = "docs/guide/surface.md";
      break;
    case kCmdPhaseOptions:
      page = "docs/guide/phase.md";
      break;
    default:
      break;
  }
  auto* frame = owner_ ? qobject_cast<TMainWin*>(owner_->window()) : nullptr;
  if (frame && page) {
    frame->ShowHelp(QString::fromUtf8(page));
    return;
  }
  RunFrameCommand(kCmdHelpContents);
}

}  // namespace orvanix
