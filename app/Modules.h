// The subsystems of the program: each registers its core module (app/core/CoreModule.h)
// and, in the windowed program, its windows and dialogs (app/gui/GuiRegistry.h).
#pragma once

namespace orvanix {

// Called once, first thing in main().
void RegisterProgramModules();

}  // namespace orvanix
