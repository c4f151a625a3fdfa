#include "automation/AutomationGui.h"

#include "app/gui/GuiAutomationFrame.h"
#include "app/gui/GuiRegistry.h"
#include "app/gui/MainWin.h"
#include "automation/AutomationModule.h"

namespace orvanix {

void RegisterAutomationGui() {
  RegisterFrameExtension("automation", [](TMainWin& frame) {
    TAnalyzerCore& core = frame.Core();
    auto* module = core.FindModule<TAutomationModule>(TAutomationModule::kName);
    if (!module) return;
    // The core outlives its frame, and the module its core's frame.
    auto* adapter = new TGuiAutomationFrame(frame, [&core] {
      if (auto* m = core.FindModule<TAutomationModule>(TAutomationModule::kName)) {
        m->Runner().SetFrame(nullptr);
      }
    });
    module->Runner().SetFrame(adapter);
  });
}

}  // namespace orvanix
