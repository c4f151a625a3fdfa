// TEditModule ("edit"): the Edit menu's segment operations and their undo, the clipboard,
// File Import and Export, the Decimate and Merge utilities, foreign audio files through
// libsndfile, and playback of the selection. It owns those commands (enabling included) and
// their headless options; the windowed program adds their dialogs (app/edit/gui).
//
// The segment commands act on the core's time selection; both pastes act at the document's
// current position. Operations that need a parameter a dialog would ask for are methods;
// the commands without one run through Execute.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/core/CoreModule.h"
#include "app/edit/EditServices.h"
#include "files/TransferFormats.h"

namespace orvanix {

class TSelectionPlayer;
class TWaveFile;
struct TFilterSettings;
struct TWaveTarget;
struct THeadlessEdits;

class TEditModule : public TCoreModule {
 public:
  explicit TEditModule(TAnalyzerCore& core);
  ~TEditModule() override;

  std::string_view Name() const override { return "edit"; }

  // ---- commands ----
  bool OwnsCommand(int32_t command) const override;
  bool Execute(int32_t command) override;
  bool IsEnabled(int32_t command) const override;
  bool IsChecked(int32_t command) const override;

  // ---- surroundings (the windowed program installs its own; nullptr restores defaults) ----
  void SetClipboard(TWaveClipboard* clipboard);
  void SetJobRunner(TJobRunner* runner);
  void SetDialogs(TEditDialogs* dialogs);
  TWaveClipboard& Clipboard() const;

  // ---- the segment edits (on the core's selection; pastes at the position) ----
  bool Cut();
  bool Copy();
  bool PasteInsert();
  bool PasteOver();
  bool Mute();
  bool UndoEdit();
  bool SelectAll();
  // Gain Adjust with its dialog's values (checked: -60 ... 10 dB), kept for the next use.
  bool GainAdjust(double leftDb, double rightDb);
  double GainLeftDb() const { return gainDb_[0]; }
  double GainRightDb() const { return gainDb_[1]; }
  // Filter...: PrepareFilter (stop, the "Make Backup" question, a selection is needed)
  // before the dialog, RunFilter with its settings (checked against the document's Nyquist
  // frequency, kept in section `Filter`, then run over the selection). Filter does both.
  bool PrepareFilter();
  bool RunFilter(const TFilterSettings& settings);
  bool Filter(const TFilterSettings& settings);

  // ---- files ----
  // File Import of `path` with the dialog's options (kept for the next use).
  bool Import(const std::string& path, const TImportOptions& options);
  const TImportOptions& ImportOptions() const { return importOptions_; }
  // File Export of the document to `path`.
  bool Export(const std::string& path, const TExportOptions& options);
  const TExportOptions& ExportOptions() const { return exportOptions_; }
  // Decimate: a copy of the document at rate / ratio at `destination`.
  bool Decimate(uint32_t ratio, bool lowPass, const std::string& destination);
  uint32_t DecimateRatio() const { return decimateRatio_; }
  bool DecimateLowPass() const { return decimateLowPass_; }
  // Merge: two mono files into a new untitled stereo document.
  bool Merge(const std::string& leftPath, const std::string& rightPath);
  // A file our wave reader does not take (FLAC, Ogg, MP3, float WAV, ...) as an untitled
  // document through libsndfile; false with the reason shown when it cannot be read.
  bool OpenForeign(const std::string& path);
  std::optional<bool> OpenForeignFile(const std::string& path, const std::string& refusal) override;

  // ---- playback of the selection ----
  // Plays the selection through the output device of the settings at `speed` (kMinSpeed ...
  // kMaxSpeed; 0.5 for Half Speed, 2 for Double Speed), once or looping until Stop. The
  // position follows what is heard. False (reported) when it cannot play.
  bool PlaySelection(double speed, bool loop);
  bool PlayingSelection() const;
  // The factor of Arbitrary Speed, kept for the next use.
  double ArbitrarySpeed() const { return arbitrarySpeed_; }
  static std::string CheckSpeed(double speed);
  const TSelectionPlayer& Player() const { return *player_; }
  bool PlaysWithoutAnalyzer() const override;
  void StopPlayback() override;
  // Tests: false resamples at the document's rate even where the device takes a scaled rate.
  void SetAllowRateChange(bool allow) { allowRateChange_ = allow; }

  // The checks of the dialogs, shared with them: the first failure's message, or empty.
  static std::string CheckGain(double leftDb, double rightDb);
  static std::string CheckFilter(const TFilterSettings& settings, int32_t nyquistHz);

  // ---- headless ----
  std::string TakeHeadlessOption(std::string_view name, const std::string& value) override;
  void TakeCommonHeadlessOptions(const THeadlessOptions& options) override;
  bool HeadlessPrepare() override;
  std::optional<int> HeadlessRun() override;

  void Shutdown() override;
  void DocumentChanged() override;

 private:
  // Stop, and the document to edit, or nullptr.
  TWaveFile* EditableDocument();
  // The "Make Backup" question of a modifying command in disk mode; false = No.
  bool MayModify(const TWaveFile& document) const;
  bool HasSegment() const;
  TWaveTarget NewDocumentTarget() const;
  bool AdoptNew(std::unique_ptr<TWaveFile> wave, bool calibrationOff,
                const TCalibration* calibration);
  void Edited(double fromSecs);
  bool PasteNew();
  bool ArbitrarySpeedCommand();
  std::unique_ptr<TSelectionPlayer> MakePlayer();
  TJobRunner& Runner();
  TEditDialogs& Dialogs();

  TEditServices services_;  // the windowed program's, when it made some
  TWaveClipboard* clipboard_ = nullptr;
  TJobRunner* runner_ = nullptr;
  TEditDialogs* dialogs_ = nullptr;
  TPlainJobRunner plainRunner_;
  TEditDialogs defaultDialogs_;
  TImportOptions importOptions_;
  TExportOptions exportOptions_;
  double gainDb_[2] = {0.0, 0.0};
  uint32_t decimateRatio_ = 2;
  bool decimateLowPass_ = true;
  std::unique_ptr<THeadlessEdits> headless_;
  std::unique_ptr<TSelectionPlayer> player_;
  double arbitrarySpeed_ = 1.0;
  bool allowRateChange_ = true;
};

// The module kind, for RegisterModule (app/Modules.cpp).
TModuleInfo EditModuleInfo();

}  // namespace orvanix
