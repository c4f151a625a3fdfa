// TSegmentModule: the analyses of the selected time segment inside the analyzer core. The
// views' popup menus reach it through its commands: the average spectrum (807) and Leq (810)
// of the segment, its RMS level and crest factor, and the bandwidth and Q factor (821) of
// the spectrum view's peak. Results go to message boxes (Messages()) or, for the average
// spectrum, into the spectra every view and measurement window shows.
//
// The segment is the core's time selection (TAnalyzerCore::Selection()), so headless runs
// use the same code: --segment START END with --leq, --rms, --crest, --average-spectrum,
// --schroeder, --hilbert and --qfactor FA FB.
//
// Registered as "segment" (RegisterMeasureModule).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/core/CoreModule.h"
#include "measure/Segment.h"

namespace orvanix {

class TSegmentModule : public TCoreModule, public TSliceSource {
 public:
  explicit TSegmentModule(TAnalyzerCore& core);
  ~TSegmentModule() override;

  static constexpr std::string_view kName = "segment";
  static const TModuleInfo& Info();
  std::string_view Name() const override { return kName; }

  bool OwnsCommand(int32_t command) const override;
  bool Execute(int32_t command) override;
  bool IsEnabled(int32_t command) const override;

  // Each reports its result (or why there is none) and returns whether it had one. The
  // segment checks of the popup commands (an active segment view, a selection that is not
  // empty) are made by Execute; these take the current selection as it is.
  bool AverageSpectrum();
  // Leq with a reference time in seconds and a weighting (0 flat, 1 A, 2 B, 3 C).
  bool Leq(double referenceSecs, int weighting);
  bool RmsLevel();
  bool CrestFactor();
  // Between the spectrum view's start and stop frequency.
  bool BandwidthAndQ(float fa, float fb);
  // Into the core's computed time series (SegmentSeries.cpp): the impulse response of the
  // display spectra (803), and the Hilbert envelope (905) or Schroeder integration (1906) of
  // the selection, or of the computed series already shown, recomputed in place.
  bool InverseFft();
  bool Envelope();
  bool Schroeder();

  // ---- the slice views and the time series (SegmentSlices.cpp) ----
  // 806: the time series shows startSecs ... endSecs of the document (one block from the
  // start when the end is not later).
  bool DisplayTimeSeries(double startSecs, double endSecs);
  // 808, 809: the slices of a slice view rebuilt from the selection, slice S - 1 (the
  // earliest) down to 0, `target` the view (nullptr: the window in the kind's slot, opened
  // if needed). With windows the run continues from the event loop; Esc or a click stops it
  // and keeps the slices made.
  bool RebuildSlices(WindowKind kind, TAnalyzerObserver* target = nullptr);
  // The recording as the slice views' source (the core asks when no data link does).
  void RedisplaySlices(int32_t windowKind) override;
  void ShowAtTime(int32_t windowKind, double timeSecs) override;
  // New scaling or sizes: rebuilt slice views are computed again in the new units.
  void EngineRebuilt() override;

  // The last results, for headless output and tests.
  const std::optional<TLeqResult>& LastLeq() const { return leq_; }
  const std::optional<TSegmentLevels>& LastLevels() const { return levels_; }

  // Whether a segment command may act: wave data and an active segment view; with an empty
  // selection (when `needsSelection`) "You must first select a time segment." is shown.
  bool SegmentCheck(bool needsSelection) const;

  std::string TakeHeadlessOption(std::string_view name, const std::string& value) override;
  bool HeadlessPrepare() override;
  int HeadlessReport() override;

 private:
  // Averages the selection's blocks into the spectra under `caption` (the window title for
  // the while); nothing without wave data or whole blocks in the selection.
  std::optional<TBlockSpan> AverageSelection(const std::string& caption);
  // Prints the computed series (a Schroeder curve or Hilbert envelope) per channel (headless).
  void PrintCurve(bool schroeder);
  // The selection's raw samples into a computed series of `kind` (the segment check made):
  // false when the selection holds no sample or the memory cannot be had (reported).
  bool SegmentSeries(TComputedSeries::Kind kind, TComputedSeries& series);
  // Applies `transform` to every channel of the computed series shown (when it is one the
  // transforms may act on) or of the selection; shows the result under `caption`.
  bool TransformSeries(
      TComputedSeries::Kind kind, const char* caption,
      const std::function<void(std::vector<int32_t>&, const TComputedSeries&)>& transform);

  struct SliceRun;
  // Starts `run` (its slices already cleared); false when another long operation runs.
  bool StartSliceRun(const std::shared_ptr<SliceRun>& run);
  // The view a slice run draws into, while it is still there (nullptr: gone).
  TAnalyzerObserver* LiveTarget(const SliceRun& run) const;
  // Prints the slices of a headless rebuild (--rebuild-slices).
  void PrintSlices(int count);

  std::optional<TLeqResult> leq_;
  std::optional<TSegmentLevels> levels_;
  // Headless requests.
  std::optional<std::pair<double, double>> segment_;
  bool wantLeq_ = false, wantRms_ = false, wantCrest_ = false, wantAverage_ = false,
       wantSchroeder_ = false, wantHilbert_ = false;
  std::optional<double> leqSeconds_;
  std::optional<int> leqWeighting_;
  std::optional<std::pair<float, float>> qRange_;
  std::optional<int> headlessSlices_;
};

}  // namespace orvanix
