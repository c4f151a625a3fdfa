// The document commands: open, new, close with the save prompt, save, save as, delete,
// dropped files and the file history.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "app/core/AnalyzerCore.h"
#include "app/core/CoreState.h"
#include "app/core/CoreTexts.h"
#include "engine/Messages.h"
#include "files/CalibrationFile.h"

namespace orvanix {

namespace {

bool Readable(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace

std::string TAnalyzerCore::DocumentName() const {
  const Impl& d = *impl_;
  if (!d.document) return d.pendingUntitled ? kTitleUntitled : std::string();
  return d.document->Untitled() ? kTitleUntitled : d.document->TargetPath();
}

std::string TAnalyzerCore::FrameTitle() const {
  if (State() == kStateRecording) return Format(kTitleRecording, kProgramTitle);
  const std::string name = DocumentName();
  if (name.empty()) return kProgramTitle;
  return Format(kTitleWithDocument, kProgramTitle, name.c_str());
}

std::vector<std::string> TAnalyzerCore::FileHistory() const {
  std::vector<std::string> list;
  for (const std::string& path : impl_->settings.fileHistory.recent) {
    if (!path.empty()) list.push_back(path);
  }
  return list;
}

bool TAnalyzerCore::OpenWave(const std::string& path) {
  Impl& d = *impl_;
  Stop();
  // The file is checked before the current document is closed: one that cannot be opened
  // leaves the user's document as it was, and the message says which file and why.
  if (!Readable(path)) {
    ReportError(Format(kMsgFailureOpeningFile, path.c_str()));
    return false;
  }
  const TFileIoSettings& io = d.settings.fileIo;
  const StorageMode storage = io.waveFileMode == 0 ? StorageMode::Ram : StorageMode::Disk;
  const bool inPlace = storage == StorageMode::Disk && io.makeBackup == 0;
  std::string why;
  if (!CheckWaveFile(path, inPlace, why)) {
    // Files the wave reader refuses (FLAC, float WAV, ...) may be another subsystem's to open.
    for (TCoreModule* module : Modules()) {
      if (const std::optional<bool> opened = module->OpenForeignFile(path, why)) return *opened;
    }
    ReportError(why);
    return false;
  }
  if (!CloseDocument()) return false;
  d.NotifyTransientTitle(kTitleOpeningWave);
  auto wave = std::make_unique<TWaveFile>(path, storage, io.makeBackup != 0, d.TempFolder());
  d.NotifyTransientTitle({});
  if (wave->Error()) {
    d.DocumentChanged();
    return false;
  }
  if (wave->HasCalibration()) {
    TCalibration record;
    wave->GetCalibration(record);
    FillChannelNames(record);
    d.settings.calibration = record;
  }
  wave->Seek(0);
  // However it was opened (dialog, drop, history, start-up), the next wave-file dialog starts
  // beside it.
  SetLastFolder(kFolderWave, FolderOf(path));
  d.document = std::move(wave);
  d.pendingUntitled = false;
  d.TakeDocumentFormat();
  d.ApplyFullScale();
  if (d.settings.opMode == kModeRealTime) {
    d.settings.opMode = kModePostProcessing;
    d.Notify([](TAnalyzerObserver& o) { o.StateChanged(); });
  }
  d.Rebuild();
  d.Notify([](TAnalyzerObserver& o) { o.SettingsChanged(); });
  d.DocumentChanged();
  d.PositionChanged(0.0);
  d.StatusChanged();
  return true;
}

bool TAnalyzerCore::OpenWaveCommand(const std::string& path) {
  Impl& d = *impl_;
  if (d.settings.opMode == kModeRealTime) {
    ReportError(kMsgOpenInRealTime, MessageIcon::Information);
    return false;
  }
  SetLastFolder(kFolderWave, FolderOf(path));
  if (!OpenWave(path)) return false;
  AddToFileHistory(d.settings.fileHistory, path);
  if (d.CalibrationOn() && !d.document->HasCalibration()) {
    const std::string calFile = FieldText(d.settings.calibration.fileName);
    switch (d.Dialogs().QueryCalibration(calFile)) {
      case TCoreDialogs::CalibrationChoice::KeepCurrent:
        break;
      case TCoreDialogs::CalibrationChoice::SelectOther: {
        const std::string chosen =
            d.Dialogs().OpenCalibrationFileName(LastFolder(kFolderCalibration));
        if (chosen.empty()) break;
        SetLastFolder(kFolderCalibration, FolderOf(chosen));
        TCalibration record = d.settings.calibration;
        if (LoadCalibration(chosen, record) == CalibrationLoad::kLoaded) {
          SetField(record.fileName, chosen);
          SetCalibration(record);
        }
        break;
      }
      case TCoreDialogs::CalibrationChoice::Disable: {
        TCalibration record = d.settings.calibration;
        record.enabled = 0;
        SetCalibration(record);
        break;
      }
    }
  }
  d.DocumentChanged();
  return true;
}

bool TAnalyzerCore::NewDocument() {
  Impl& d = *impl_;
  Stop();
  if (!CloseDocument()) return false;
  if (d.settings.opMode == kModeRealTime) {
    d.settings.opMode = kModeRecorder;
    d.dataLogging = false;
    d.Rebuild();
    d.Notify([](TAnalyzerObserver& o) { o.StateChanged(); });
  }
  d.pendingUntitled = true;
  d.Notify([](TAnalyzerObserver& o) { o.DocumentChanged(); });
  return true;
}

bool TAnalyzerCore::CloseDocument() {
  Impl& d = *impl_;
  Stop();
  if (!d.document) {
    if (d.pendingUntitled) {
      d.pendingUntitled = false;
      d.DocumentChanged();
    }
    return true;
  }
  // The Real-Time history is dropped without asking; so is everything while the
  // application window is hidden.
  const bool ask = d.settings.opMode != kModeRealTime && d.document->Modified() &&
                   d.settings.viewStatus.hideApplicationWindow == 0;
  if (ask) {
    const std::string name =
        d.document->Untitled() ? std::string(kTextUntitledInPrompt) : d.document->TargetPath();
    const MessageAnswer answer =
        Messages().Ask(Format(kMsgSaveBeforeClosing, name.c_str()), kProgramTitle,
                       MessageButtons::YesNoCancel, MessageAnswer::Yes, MessageIcon::Question);
    if (answer == MessageAnswer::Cancel) return false;
    if (answer == MessageAnswer::Yes && !SaveDocument()) return false;
  }
  d.document.reset();
  d.pendingUntitled = false;
  d.DocumentChanged();
  return true;
}

bool TAnalyzerCore::SaveDocument() {
  Impl& d = *impl_;
  if (!d.document) return false;
  Stop();
  if (d.document->Untitled()) {
    const std::string path = d.Dialogs().SaveWaveFileName(LastFolder(kFolderWave));
    if (path.empty()) return false;
    return SaveDocumentAs(path);
  }
  d.NotifyTransientTitle(kTitleSavingWave);
  if (d.CalibrationOn() && d.settings.fileIo.includeCalibrationData) {
    d.document->SetCalibration(d.settings.calibration);
  }
  const bool saved = d.document->Save();
  d.NotifyTransientTitle({});
  d.DocumentChanged();
  return saved;
}

bool TAnalyzerCore::SaveDocumentAs(const std::string& path) {
  Impl& d = *impl_;
  if (!d.document || path.empty()) return false;
  Stop();
  SetLastFolder(kFolderWave, FolderOf(path));
  d.document->SetFileName(path);
  return SaveDocument();
}

bool TAnalyzerCore::DeleteWave(const std::string& path) {
  Impl& d = *impl_;
  if (d.document && !d.document->Untitled() && d.document->TargetPath() == path) {
    ReportError(Format(kMsgDeleteOpenDocument, path.c_str()));
    return false;
  }
  SetLastFolder(kFolderWave, FolderOf(path));
  if (Messages().Ask(Format(kMsgConfirmDelete, path.c_str()), kProgramTitle, MessageButtons::YesNo,
                     MessageAnswer::No, MessageIcon::Question) != MessageAnswer::Yes) {
    return false;
  }
  if (::unlink(path.c_str()) != 0) {
    ReportError(Format(kMsgFailureDeleting, path.c_str()));
    return false;
  }
  return true;
}

bool TAnalyzerCore::OpenDroppedFile(const std::string& path) {
  Impl& d = *impl_;
  Stop();
  // Both close the current document themselves, once they know the file can be read.
  if (KindOfPath(path) == PathKind::kConfiguration) return LoadConfiguration(path);
  if (!OpenWave(path)) return false;
  AddToFileHistory(d.settings.fileHistory, path);
  if (d.settings.opMode == kModeRecorder) Play();
  return true;
}

bool TAnalyzerCore::OpenHistoryItem(int index) {
  Impl& d = *impl_;
  if (index < 0 || index >= static_cast<int>(d.settings.fileHistory.recent.size())) return false;
  const std::string path = d.settings.fileHistory.recent[index];
  if (path.empty()) return false;
  if (KindOfPath(path) == PathKind::kConfiguration) return LoadConfiguration(path);
  return OpenWave(path);
}

}  // namespace orvanix
