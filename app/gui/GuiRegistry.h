// Windows and dialogs that subsystems add to the frame: a subsystem registers its window
// kinds and its dialog commands once per process (app/Modules.cpp) before the frame is
// made, and the frame's menus, keys and window slots use them like its own.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "app/core/AnalyzerCore.h"

class QWidget;

namespace orvanix {

class TMainWin;
class TViewWindows;

// Makes the content of a window of one kind (the frame puts it into an MDI child) and
// names the listener to attach to the core's slot for that kind, usually the widget itself.
using TWindowMaker = std::function<QWidget*(TAnalyzerCore& core, TAnalyzerObserver*& observer)>;
// Runs a modal dialog for a command; false when cancelled or refused.
using TDialogRunner = std::function<bool(QWidget* parent, TAnalyzerCore& core)>;

// Runs a command of a subsystem that acts on the frame's windows in its own way (a window
// command with a choice beside the toggle, a window that sets up another as it opens); the
// frame runs it instead of its plain toggle. False when refused.
using TFrameCommand = std::function<bool(TViewWindows& windows, TAnalyzerCore& core)>;

// Adds a subsystem's own link to every frame as it is made (its windows and menus exist by
// then); what it makes it parents to the frame. A second registration under a name
// replaces the first.
using TFrameExtension = std::function<void(TMainWin& frame)>;
void RegisterFrameExtension(std::string_view name, TFrameExtension extend);
// Runs every registered extension on `frame` (the frame's constructor does).
void ExtendFrame(TMainWin& frame);

// A second registration of a kind or command replaces the first.
void RegisterWindow(WindowKind kind, TWindowMaker make);
void RegisterDialog(int32_t command, TDialogRunner run);
void RegisterFrameCommand(int32_t command, TFrameCommand run);
// nullptr when nothing is registered.
const TWindowMaker* FindWindowMaker(WindowKind kind);
const TDialogRunner* FindDialogRunner(int32_t command);
const TFrameCommand* FindFrameCommand(int32_t command);

}  // namespace orvanix
