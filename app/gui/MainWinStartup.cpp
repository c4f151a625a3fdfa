// The frame's start-up, configuration placements and exit.
#include <QLayout>
#include <QMdiArea>

#include "app/gui/AboutBox.h"
#include "app/gui/CommandMenus.h"
#include "app/gui/MainWin.h"

#include "app/gui/HelpWindow.h"
#include "app/gui/Placement.h"
#include "app/gui/ViewWindows.h"
#include "files/ConfigTexts.h"
#include "files/Configuration.h"
#include "files/Profile.h"

namespace orvanix {

void TMainWin::RestoreFramePlacementFrom(const TProfile& profile) {
  TWindowPlacement placement;
  if (!ReadPlacement(profile, kKeyPlacementMain, placement)) return;
  const QRect desktop = DesktopRect();
  AdjustRestoredPlacement(placement, desktop.width(), desktop.height(), false, ApplicationHidden());
  RestoreFramePlacement(*this, placement);
}

void TMainWin::ReopenWindows(const TProfile* placements) {
  const std::array<bool, kWindowKindCount> flags = core_.ViewStatusFlags();
  for (int kind = 0; kind < kWindowKindCount; ++kind) {
    if (flags[kind]) windows_->Open(static_cast<WindowKind>(kind), placements, ApplicationHidden());
  }
}

void TMainWin::StartUp(const std::string& argument) {
  if (options_.banner && !ApplicationHidden()) TAboutBox::ShowBanner(this);
  // The MDI area gets its size now rather than at the next event: a window opened without a
  // stored placement fills it.
  layout()->activate();
  if (centralWidget() && centralWidget()->layout()) centralWidget()->layout()->activate();
  ReopenWindows(nullptr);
  core_.StartUp(argument);
  commands_->SetHistory(core_.FileHistory());
  UpdateToolbar();
  UpdateTitle();
  UpdateCommands();
  RefreshStatus();
}

void TMainWin::ConfigurationLoaded(const TProfile& config) {
  // The flags as loaded; closing the windows below clears them in the core.
  const std::array<bool, kWindowKindCount> flags = core_.ViewStatusFlags();
  pendingPrint_.reset();
  windows_->CloseAll();
  RestoreFramePlacementFrom(config);
  for (int kind = 0; kind < kWindowKindCount; ++kind) {
    if (flags[kind]) windows_->Open(static_cast<WindowKind>(kind), &config, ApplicationHidden());
  }
  switch (ReadSpecialArrangement(config)) {
    case 1:
      TileHorizontally();
      break;
    case 2:
      TileVertically();
      break;
    case 3:
      Cascade();
      break;
    default:
      break;
  }
  UpdateToolbar();
  UpdateTitle();
  UpdateCommands();
  RefreshStatus();
}

void TMainWin::SavingConfiguration(TProfile& config) {
  WritePlacement(config, kKeyPlacementMain, FramePlacement(*this));
  windows_->SavePlacements(config);
}

void TMainWin::FinishExit() {
  if (exited_) return;
  exited_ = true;
  FlushViewOptions();
  TProfile& program = core_.ProgramProfile();
  WritePlacement(program, kKeyPlacementMain, FramePlacement(*this));
  windows_->SavePlacements(program);
  // Settings first, with every window's `ViewStatus` flag still set; then the windows go.
  core_.Shutdown();
  // Past the point of refusal: the windows that ask before closing asked already (or the
  // program is being torn down without its close sequence).
  windows_->SetCloseConfirmed(true);
  windows_->CloseAll();
  if (help_) help_->close();
}

}  // namespace orvanix
