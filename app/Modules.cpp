#include "app/Modules.h"

#include "app/core/CoreModule.h"
#include "app/edit/EditModule.h"
#include "automation/AutomationModule.h"
#include "automation/BatchModule.h"
#include "automation/MacroModule.h"
#include "generator/GeneratorModule.h"
#include "measure/MeasureModule.h"
#include "utilities/UtilitiesModule.h"
#ifdef ORVANIX_WITH_GUI
#include "app/edit/gui/EditGui.h"
#include "app/gui/GuiRegistry.h"
#include "app/gui/PlotViewWindows.h"
#include "automation/AutomationGui.h"
#include "generator/SignalGeneratorWindow.h"
#include "measure/MeasureWindows.h"
#include "utilities/DTMFDecoderWindow.h"
#include "utilities/DelayFinderWindow.h"
#include "utilities/ReverbWindow.h"
#endif

namespace orvanix {

// One line per subsystem, in the order the core tells them about each block.
void RegisterProgramModules() {
  RegisterModule(EditModuleInfo());
  RegisterModule(TGeneratorModule::Info());
  RegisterMeasureModule();
  RegisterModule(TUtilitiesModule::Info());
  // Last among the listeners: advise links go out after every window has seen the block.
  RegisterModule(TAutomationModule::Info());
  RegisterModule(TMacroModule::Info());
  RegisterModule(TBatchModule::Info());
#ifdef ORVANIX_WITH_GUI
  RegisterPlotViews();
  RegisterEditGui();
  RegisterGeneratorWindows();
  RegisterMeasureWindows();
  RegisterDelayFinderWindow();
  RegisterAutomationGui();
  RegisterReverbWindow();
  RegisterDtmfDecoderWindow();
#endif
}

}  // namespace orvanix
