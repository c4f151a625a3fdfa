// Automation in the windowed program, registered once per process (app/Modules.cpp): the
// macro processor's window, and every frame's link for the execute commands
// (TGuiAutomationFrame), so that "[Open Spectrum]" opens the view and "[Exit Application]"
// closes the frame with its save prompts.
#pragma once

namespace orvanix {

void RegisterAutomationGui();

}  // namespace orvanix
