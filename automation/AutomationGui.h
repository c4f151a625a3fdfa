// The automation server's link to the windowed program's frame: registered once per
// process (app/Modules.cpp), it gives every frame's execute commands their windows
// (TGuiAutomationFrame), so that "[Open Spectrum]" opens the view and "[Exit Application]"
// closes the frame with its save prompts.
#pragma once

namespace orvanix {

void RegisterAutomationGui();

}  // namespace orvanix
