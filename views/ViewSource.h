// TViewSource: what the spectrogram, time-series, 3-D surface and phase views read and the
// few things they ask of their owner. The GUI implements it over the analyzer core; tests
// over objects of their own. The views keep no copies of spectra or samples: they read
// through this interface whenever they draw (the trace store of the spectrogram and the
// surface is the exception the views own on purpose: it holds the slices a segment
// analysis or a data link hands them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "views/SpectrumSource.h"

namespace orvanix {

class TSeriesData;
class TWaveData;

// A series an operation computed (an impulse response, an envelope), which the time series
// shows instead of the document or the current block. The pointers stay valid until the
// owner says the series changed.
struct TSeriesView {
  int channels = 1;
  size_t count = 0;
  double rateHz = 1.0;
  double startSecs = 0.0;  // time of sample 0
  int32_t zero = 0;
  const int32_t* samples[2] = {nullptr, nullptr};
  double scale[2] = {1.0, 1.0};  // (raw - zero) x scale: fraction of full scale, or the unit
};

class TViewSource : public TSpectrumSource {
 public:
  // The current block's processing buffer of a channel (0 left, 1 right), nullptr when there
  // is none (mono has no right buffer; none while the engine objects are rebuilt).
  virtual const TSeriesData* BlockSeries(int channel) const = 0;
  // The open wave document shown by the time series (Post-Processing and Recorder modes),
  // nullptr when the view shows the current block instead. Non-const: reading a document
  // held on disk moves its file position.
  virtual TWaveData* SeriesDocument() const = 0;
  // The computed series the time series shows, when there is one.
  virtual bool ComputedSeries(TSeriesView& series) const {
    (void)series;
    return false;
  }
  // Grows each time the document's samples may have changed (an edit, a new recording
  // buffer, another document), so that cached summaries know when to rebuild.
  virtual uint64_t DocumentRevision() const = 0;
  // The position in the document in seconds (drawn as a line in the time series).
  virtual double PositionSecs() const { return 0.0; }
  // Whether calibration is on (samples then read in calibrated units instead of percent)
  // and the channel names of the calibration record (empty: the plain names).
  virtual bool Calibrated() const { return false; }
  virtual std::string ChannelName(int channel) const {
    (void)channel;
    return {};
  }
  // The time selection of the analyzer (never kept by a view). Equal ends: none.
  virtual void Selection(double& startSecs, double& endSecs) const { startSecs = endSecs = 0.0; }
  virtual void SetSelection(double startSecs, double endSecs) {
    (void)startSecs;
    (void)endSecs;
  }
  // A left click inside a slice view's plot area (spectrogram, 3-D surface) at a time of its
  // axis: the owner shows the spectrum and the time series at that time.
  virtual void ClickedAtTime(double timeSecs) { (void)timeSecs; }
  // Commands of other subsystems in the views' pop-up menus (edit operations, segment
  // analyses): whether something owns and allows it now, and running it through the frame.
  virtual bool CommandEnabled(int32_t command) const {
    (void)command;
    return false;
  }
  virtual void RunCommand(int32_t command) { (void)command; }
  // The view's options dialog (Properties) and help.
  virtual void ShowProperties() {}
  virtual void ShowHelp() {}
};

}  // namespace orvanix
