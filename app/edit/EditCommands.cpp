// The Edit menu's segment operations on the open document.
#include <cmath>

#include "app/edit/EditModule.h"
#include "engine/Messages.h"
#include "files/Configuration.h"
#include "files/DigitalFilter.h"
#include "files/EditTexts.h"
#include "files/Importer.h"
#include "files/WaveEdits.h"
#include "files/WaveTexts.h"

namespace orvanix {

TWaveFile* TEditModule::EditableDocument() {
  Core().Stop();
  return Core().Document();
}

bool TEditModule::MayModify(const TWaveFile& document) const {
  if (document.Mode() != StorageMode::Disk || document.MakeBackup()) return true;
  return Messages().Ask(kModifyWithoutBackupQuestion, kProgramTitle, MessageButtons::YesNo,
                        MessageAnswer::No, MessageIcon::Question) == MessageAnswer::Yes;
}

void TEditModule::Edited(double fromSecs) {
  Core().DocumentEdited(fromSecs);
}

TWaveTarget TEditModule::NewDocumentTarget() const {
  const TFileIoSettings& io = Core().Settings().fileIo;
  TWaveTarget target;
  target.mode = io.waveFileMode == 0 ? StorageMode::Ram : StorageMode::Disk;
  target.makeBackup = io.makeBackup != 0;
  target.tempDir = Core().LastFolder(kFolderTemp);
  return target;
}

bool TEditModule::Copy() {
  TWaveFile* doc = EditableDocument();
  if (!doc || !HasSegment()) return false;
  const TTimeSelection s = Core().Selection();
  TWaveImage image;
  if (!CopySelection(*doc, FramesOf(*doc, s.startSecs, s.endSecs), image)) return false;
  Clipboard().SetWave(image.bytes.get(), image.size);
  return true;
}

bool TEditModule::Cut() {
  TWaveFile* doc = EditableDocument();
  if (!doc || !HasSegment() || !MayModify(*doc)) return false;
  const TTimeSelection s = Core().Selection();
  TWaveImage image;
  const bool cut = CutSelection(*doc, FramesOf(*doc, s.startSecs, s.endSecs), image);
  if (cut) {
    Clipboard().SetWave(image.bytes.get(), image.size);
    Core().SetSelection(s.startSecs, s.startSecs);
  }
  Edited(s.startSecs);
  return cut;
}

bool TEditModule::PasteNew() {
  const std::vector<uint8_t> image = Clipboard().Wave();
  if (image.empty()) {
    ReportError(kClipboardNotWave);
    return false;
  }
  const TWaveTarget target = NewDocumentTarget();
  auto wave = OpenWaveImage(image.data(), image.size(), target.tempDir, target.mode, true);
  if (!wave) return false;
  // A calibration chunk (another program's image may carry one) becomes the calibration.
  TCalibration calibration;
  const bool calibrated = wave->HasCalibration();
  if (calibrated) wave->GetCalibration(calibration);
  return AdoptNew(std::move(wave), false, calibrated ? &calibration : nullptr);
}

bool TEditModule::PasteInsert() {
  Core().Stop();
  if (!Core().Document()) return PasteNew();
  TWaveFile* doc = Core().Document();
  if (!MayModify(*doc)) return false;
  const std::vector<uint8_t> image = Clipboard().Wave();
  auto clip = image.empty() ? nullptr
                            : OpenWaveImage(image.data(), image.size(), doc->TempDirectory(),
                                            StorageMode::Disk, false);
  if (image.empty()) ReportError(kClipboardNotWave);
  if (!clip) return false;
  const uint32_t at = doc->Position();
  const bool pasted = orvanix::PasteInsert(*doc, *clip, at);
  Edited(doc->Format().sampleRate ? double(at) / doc->Format().sampleRate : 0.0);
  return pasted;
}

bool TEditModule::PasteOver() {
  TWaveFile* doc = EditableDocument();
  if (!doc || !MayModify(*doc)) return false;
  const std::vector<uint8_t> image = Clipboard().Wave();
  auto clip = image.empty() ? nullptr
                            : OpenWaveImage(image.data(), image.size(), doc->TempDirectory(),
                                            StorageMode::Disk, false);
  if (image.empty()) ReportError(kClipboardNotWave);
  if (!clip) return false;
  const uint32_t at = doc->Position();
  const bool pasted = orvanix::PasteOver(*doc, *clip, at);
  Edited(doc->Format().sampleRate ? double(at) / doc->Format().sampleRate : 0.0);
  return pasted;
}

bool TEditModule::Mute() {
  TWaveFile* doc = EditableDocument();
  if (!doc || !HasSegment() || !MayModify(*doc)) return false;
  const TTimeSelection s = Core().Selection();
  const bool muted = MuteSelection(*doc, FramesOf(*doc, s.startSecs, s.endSecs));
  Edited(s.startSecs);
  return muted;
}

bool TEditModule::UndoEdit() {
  TWaveFile* doc = EditableDocument();
  if (!doc || !doc->UndoAvailable()) return false;
  const double from = doc->UndoStartSeconds();
  const bool undone = doc->ApplyUndo();
  Edited(from);
  return undone;
}

bool TEditModule::SelectAll() {
  const TWaveFile* doc = Core().Document();
  if (!doc) return false;
  Core().SetSelection(0.0, doc->LengthSeconds());
  return true;
}

std::string TEditModule::CheckGain(double leftDb, double rightDb) {
  for (double db : {leftDb, rightDb}) {
    if (!(db >= kMinGainDb && db <= kMaxGainDb)) {
      return Format(kGainRange, static_cast<long>(kMinGainDb), static_cast<long>(kMaxGainDb));
    }
  }
  return {};
}

bool TEditModule::GainAdjust(double leftDb, double rightDb) {
  TWaveFile* doc = EditableDocument();
  if (!doc || !HasSegment()) return false;
  const std::string refusal = CheckGain(leftDb, rightDb);
  if (!refusal.empty()) {
    ReportError(refusal);
    return false;
  }
  gainDb_[0] = leftDb;
  gainDb_[1] = rightDb;
  const TTimeSelection s = Core().Selection();
  TGainJob job(*doc, FramesOf(*doc, s.startSecs, s.endSecs), leftDb, rightDb);
  Core().ShowTransientTitle(kAdjustingGain);
  const bool done = Runner().Run(job, nullptr);
  Core().ShowTransientTitle({});
  Edited(s.startSecs);
  return done && !job.Failed();
}

std::string TEditModule::CheckFilter(const TFilterSettings& s, int32_t nyquist) {
  const long f = nyquist;
  auto outside = [f](int32_t hz) { return hz < 0 || hz > f; };
  const int32_t cutoff = s.type == kHighPass ? s.hpCutoffHz : s.lpCutoffHz;
  const int32_t centre = s.type == kNotch ? s.notchCenterHz : s.bpCenterHz;
  const int32_t width = s.type == kNotch ? s.notchWidthHz : s.bpWidthHz;
  const bool hasCutoff = s.type == kLowPass || s.type == kHighPass;
  if (hasCutoff && outside(cutoff)) return Format(kCutoffRange, 0L, f);
  if (!hasCutoff && outside(centre)) return Format(kCenterRange, 0L, f);
  if (!hasCutoff && outside(width)) return Format(kWidthRange, 0L, f);
  return {};
}

bool TEditModule::PrepareFilter() {
  TWaveFile* doc = EditableDocument();
  if (!doc || !MayModify(*doc)) return false;
  if (!HasSegment()) {
    ReportError(kSelectSegmentFirst);
    return false;
  }
  return true;
}

bool TEditModule::RunFilter(const TFilterSettings& settings) {
  TWaveFile* doc = EditableDocument();
  if (!doc || !HasSegment()) return false;
  const std::string refusal =
      CheckFilter(settings, static_cast<int32_t>(doc->Format().sampleRate / 2));
  if (!refusal.empty()) {
    ReportError(refusal);
    return false;
  }
  Core().ChangeSettings([&settings](TAnalyzerSettings& s) { s.filter = settings; },
                        SettingsOrigin::Dialog);
  doc = Core().Document();
  const TTimeSelection s = Core().Selection();
  TFilterJob job(*doc, FramesOf(*doc, s.startSecs, s.endSecs), settings);
  const bool done = Runner().Run(job, kCancelFilterQuestion) && job.Done();
  Edited(s.startSecs);
  return done;
}

bool TEditModule::Filter(const TFilterSettings& settings) {
  return PrepareFilter() && RunFilter(settings);
}

}  // namespace orvanix
