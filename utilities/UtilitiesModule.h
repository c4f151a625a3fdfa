// TUtilitiesModule: the acoustic utilities on the analyzer core. It owns the delay finder
// (its blocks, its reading, Apply to the processing delay) and the live DTMF detectors of
// both channels, feeds them after every processed block, runs the DTMF analysis of the
// selected time segment (811), and gives the headless options --delay and --dtmf.
//
// Nothing here shows a message while the run loop is inside its step: a reading that cannot
// be trusted is a status the window shows; messages come only from commands.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/core/CoreModule.h"
#include "files/SettingsRecords.h"
#include "files/SettingsRecordsGenerator.h"
#include "utilities/DTMFData.h"
#include "utilities/DelayFinder.h"
#include "utilities/DtmfSegment.h"
#include "utilities/ReverbMeasurement.h"

namespace orvanix {

inline constexpr const char* kDelayNeedsStereo =
    "The delay finder utility requires stereo operation.  It will now be shutdown";
inline constexpr const char* kDelayNothingToApply = "There is no delay to apply: %s.";

class TUtilitiesModule : public TCoreModule {
 public:
  static constexpr const char* kName = "utilities";
  static TModuleInfo Info();

  explicit TUtilitiesModule(TAnalyzerCore& core);
  ~TUtilitiesModule() override;

  // ---- delay finder ----
  // Builds the finder for the analyzer's format and the options; false (told to the user)
  // when the analyzer runs one channel, or memory fails.
  bool OpenDelayFinder();
  void CloseDelayFinder();
  bool DelayFinderOpen() const { return finder_ != nullptr; }
  const TDelayFinder* DelayFinder() const { return finder_.get(); }
  // The reading as the window shows it: the delay in the chosen unit, or why there is none.
  std::string DelayReading() const;
  // Copies the delay found into the processing delay (stop, apply, restart). False, with a
  // message, when there is no trusted delay.
  bool ApplyDelay();
  // The processing delay typed into the window: clamped to 0 ... 1000 ms, channel unchanged.
  bool SetProcessingDelay(double msec);
  // New options (the dialog's OK): a new maximum delay rebuilds the blocks and resets the
  // reading.
  void SetDelayOptions(const TDelayFinderOptions& options);
  // Takes a pair of blocks from the current source and updates the reading; false when the
  // source does not hold enough frames yet.
  bool UpdateDelay();

  // ---- live DTMF ----
  void OpenDtmfDecoder();
  void CloseDtmfDecoder();
  bool DtmfDecoderOpen() const { return dtmfOpen_; }
  const TDTMFData& Dtmf(int channel) const { return dtmf_[channel ? 1 : 0]; }
  void ClearDtmf();
  const TDtmfDecoderOptions& DtmfOptions() const { return dtmfOptions_; }
  void SetDtmfOptions(const TDtmfDecoderOptions& options);

  // ---- DTMF of the selected segment ----
  // Decodes the core's selection in the open document and shows the keys ("DTMF" box).
  // `progress` (optional) sees each pass and may end it (Esc).
  bool DecodeSelectedSegment(const TDtmfProgress& progress = {});

  // ---- reverberation time ----
  // Starts the measurement on the configured input and output devices (the analyzer is
  // stopped first) with the ReverbOpts and the excitation count. False when one runs
  // already or the devices refuse (the user was told).
  bool StartReverb();
  // Esc: the measurement stops, nothing of it is kept.
  void CancelReverb();
  bool ReverbMeasuring() const { return measurement_.Running(); }
  const TReverbData& Reverb() const { return reverb_; }
  // The averaged decays' Schroeder T60 per band slot (-1: none), when the last measurement
  // averaged several excitations; empty otherwise.
  const std::vector<double>& ReverbAveragedT60() const { return averagedT60_; }
  bool ReverbChanged() const { return reverbChanged_; }
  const std::string& ReverbFile() const { return reverbFile_; }
  // Save and load of .rvb files; false with the message told. Load discards the current
  // data first, as the design has it.
  bool SaveReverb(const std::string& path);
  bool LoadReverb(const std::string& path);
  // New ReverbOpts (the options dialog's OK): stored, and the decays smoothed and read again.
  void SetReverbOptions(const TReverbOptions& options);
  // Excitations averaged per measurement, 1 ... 16 ("Excitations" of ReverbOpts).
  int ReverbExcitations() const { return reverbExcitations_; }
  void SetReverbExcitations(int count);
  // The clipboard text of a view (1 bar chart, 2 decay plot, 3 surface), lines ending "\r\n".
  std::string ReverbText(int view) const;
  // Progress of a running measurement, and its end (after the outcome was told).
  void SetReverbProgressHandler(TReverbMeasurement::TProgress handler) {
    reverbProgress_ = std::move(handler);
  }
  void SetReverbFinishedHandler(std::function<void(ReverbOutcome)> handler) {
    reverbFinished_ = std::move(handler);
  }

  // Told after every update of the delay reading, and of the live DTMF keys (the windows
  // repaint).
  void SetDelayChangeHandler(std::function<void()> handler) { delayChanged_ = std::move(handler); }
  void SetDtmfChangeHandler(std::function<void()> handler) { dtmfChanged_ = std::move(handler); }

  // ---- TCoreModule ----
  std::string_view Name() const override { return kName; }
  bool OwnsCommand(int32_t command) const override;
  bool IsEnabled(int32_t command) const override;
  bool Execute(int32_t command) override;
  bool ConsumesSpectra() const override { return dtmfOpen_; }
  void LoadProgramSettings(const TProfile& program) override;
  void SaveProgramSettings(TProfile& program) const override;
  void BlockProcessed(double analysisTimeSecs) override;
  void SettingsChanged() override;
  void Shutdown() override { CancelReverb(); }

  std::string TakeHeadlessOption(std::string_view name, const std::string& value) override;
  void TakeCommonHeadlessOptions(const THeadlessOptions& options) override;
  bool HeadlessPrepare() override;
  std::optional<int> HeadlessRun() override;
  int HeadlessReport() override;

 private:
  int HeadlessReverb();
  int HeadlessLiveReverb();
  void ReverbFinished(const TReverbResult& result);
  void LoadReverbSettings(const TProfile& program);
  void SaveReverbSettings(TProfile& program) const;
  bool FetchDelayBlocks(std::vector<double>& left, std::vector<double>& right);
  // The data log's "Time Delay" records come from the finder while it is open.
  void LogDelays(bool open);
  void Notify() const {
    if (delayChanged_) delayChanged_();
  }
  void NotifyDtmf() const {
    if (dtmfChanged_) dtmfChanged_();
  }

  std::unique_ptr<TDelayFinder> finder_;
  uint32_t finderRate_ = 0;
  std::vector<double> blockLeft_, blockRight_;
  TDtmfDecoderOptions dtmfOptions_;
  TDTMFData dtmf_[2] = {TDTMFData(-40, 20, 20), TDTMFData(-40, 20, 20)};
  bool dtmfOpen_ = false;
  std::function<void()> delayChanged_, dtmfChanged_;

  TReverbMeasurement measurement_;
  TReverbData reverb_;
  std::vector<double> averagedT60_;
  bool reverbChanged_ = false;
  std::string reverbFile_;
  int reverbExcitations_ = 1;
  TReverbMeasurement::TProgress reverbProgress_;
  std::function<void(ReverbOutcome)> reverbFinished_;

  struct THeadless {
    bool delay = false;
    std::string dtmfFile;
    std::vector<std::string> reverbFiles;
    bool reverbLive = false;
    int excitations = 0;   // 0: as configured
    int maxDecaySecs = 0;  // 0: as configured
    bool hasFileArgument = false;
  } headless_;
};

}  // namespace orvanix
