#include "app/Modules.h"

#include "app/core/CoreModule.h"
#ifdef ORVANIX_WITH_GUI
#include "app/gui/GuiRegistry.h"
#include "app/gui/PlotViewWindows.h"
#endif

namespace orvanix {

// One line per subsystem, in the order the core tells them about each block.
void RegisterProgramModules() {
#ifdef ORVANIX_WITH_GUI
  RegisterPlotViews();
#endif
}

}  // namespace orvanix
