// Start-up after the windows exist, and the exit sequence.
#include "app/core/AnalyzerCore.h"

#include <filesystem>
#include "app/core/CoreState.h"
#include "app/core/CoreTexts.h"
#include "engine/Messages.h"

namespace orvanix {

void TAnalyzerCore::StartUp(const std::string& argument) {
  Impl& d = *impl_;
  if (!argument.empty()) {
    switch (KindOfPath(argument)) {
      case PathKind::kMacro:
        if (d.macro) {
          d.macro->LoadAndRun(argument);
        } else {
          ReportError(Format(kMsgNoMacroProcessor, argument.c_str()));
        }
        break;
      case PathKind::kConfiguration:
        LoadConfiguration(argument);
        break;
      // Anything else is offered to the wave reader, which refuses what it cannot read.
      default:
        OpenWave(argument);
        break;
    }
  } else if (!d.settings.fileHistory.openFileName.empty()) {
    OpenWave(d.settings.fileHistory.openFileName);
  }
  if (d.settings.fileIo.runOnLaunch == 1 && d.settings.opMode == kModeRealTime) Start();
}

bool TAnalyzerCore::RequestExit() {
  Impl& d = *impl_;
  Stop();
  d.settings.fileHistory.openFileName.clear();
  if (d.document && !d.document->Untitled() && d.settings.opMode != kModeRealTime) {
    d.settings.fileHistory.openFileName = d.document->TargetPath();
  }
  return CloseDocument();
}

void TAnalyzerCore::Shutdown() {
  Impl& d = *impl_;
  Stop();
  for (const auto& module : d.modules) module->Shutdown();
  if (!d.options.saveProgramSettings) return;
  if (d.programRefused) {
    // Keep the file we could not read under a name of its own before writing a fresh one.
    std::string aside = d.programPath + ".refused";
    for (int n = 2; std::filesystem::exists(aside) && n < 100; ++n) {
      aside = d.programPath + ".refused" + std::to_string(n);
    }
    std::error_code error;
    std::filesystem::rename(d.programPath, aside, error);
    if (error) return;  // keep it where it is; the settings of this run are not saved
    ReportError(Format(kMsgProgramSettingsKept, d.programPath.c_str(), aside.c_str()),
                MessageIcon::Information);
    d.programRefused = false;
  }
  for (const auto& module : d.modules) module->SaveProgramSettings(d.program);
  SaveProgramSettingsFile(d.program, d.settings, d.programPath);
}

}  // namespace orvanix
