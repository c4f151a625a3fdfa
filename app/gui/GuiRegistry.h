// Windows and dialogs that subsystems add to the frame: a subsystem registers its window
// kinds and its dialog commands once per process (app/Modules.cpp) before the frame is
// made, and the frame's menus, keys and window slots use them like its own.
#pragma once

#include <cstdint>
#include <functional>

#include "app/core/AnalyzerCore.h"

class QWidget;

namespace orvanix {

// Makes the content of a window of one kind (the frame puts it into an MDI child) and
// names the listener to attach to the core's slot for that kind, usually the widget itself.
using TWindowMaker = std::function<QWidget*(TAnalyzerCore& core, TAnalyzerObserver*& observer)>;
// Runs a modal dialog for a command; false when cancelled or refused.
using TDialogRunner = std::function<bool(QWidget* parent, TAnalyzerCore& core)>;

// A second registration of a kind or command replaces the first.
void RegisterWindow(WindowKind kind, TWindowMaker make);
void RegisterDialog(int32_t command, TDialogRunner run);
// nullptr when nothing is registered.
const TWindowMaker* FindWindowMaker(WindowKind kind);
const TDialogRunner* FindDialogRunner(int32_t command);

}  // namespace orvanix
