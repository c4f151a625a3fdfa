#include "app/Modules.h"

#include "app/core/CoreModule.h"
#include "app/edit/EditModule.h"
#ifdef ORVANIX_WITH_GUI
#include "app/edit/gui/EditGui.h"
#include "app/gui/GuiRegistry.h"
#include "app/gui/PlotViewWindows.h"
#endif

namespace orvanix {

// One line per subsystem, in the order the core tells them about each block.
void RegisterProgramModules() {
  RegisterModule(EditModuleInfo());
#ifdef ORVANIX_WITH_GUI
  RegisterPlotViews();
  RegisterEditGui();
#endif
}

}  // namespace orvanix
