// The edit module's part of the windowed program: the dialogs of Import, Export, Gain
// Adjust, Filter, Decimate and Merge (registered with the frame), and the Qt services the
// module runs with (the desktop clipboard, the modal progress dialog, the small questions).
#pragma once

namespace orvanix {

class TFileChooser;

// Called once, before the frame and the core are made (app/Modules.cpp).
void RegisterEditGui();
// Tests answer the file dialogs of the edit commands; nullptr restores the Qt dialogs.
void SetEditFileChooser(TFileChooser* chooser);

}  // namespace orvanix
