// What an execute command asks of the frame: its windows and decorations. The windowed
// program installs one (app/gui/GuiAutomationFrame.h); a headless server has none, and the
// window commands there answer not processed.
//
// Every call comes from a socket handler or a macro step: nothing here may run a nested
// event loop (a message box, a print dialog). Actions that can open one are carried out
// once control is back in the event loop; the return value says whether the frame can do
// what was asked, decided at once.
#pragma once

#include <cstdint>
#include <functional>

#include "app/core/AnalyzerCore.h"

namespace orvanix {

class TAutomationFrame {
 public:
  virtual ~TAutomationFrame() = default;

  enum class ViewAction { Open, Close, Restore, Maximize, Print };
  // A window of the frame: the five views, the generator, delay finder, reverb and macro
  // windows (Restore, Maximize and Print only for the views). False when this program has
  // no such window, or the window that Restore, Maximize or Print acts on is not open.
  virtual bool WindowAction(WindowKind kind, ViewAction action) = 0;

  enum class FrameAction {
    Hide,
    Show,
    Minimize,
    Restore,
    Maximize,
    Cascade,
    TileVertical,
    TileHorizontal,
    HideMenu,
    ShowMenu,
    HideToolbar,
    ShowToolbar,
    HideStatusbar,
    ShowStatusbar,
    HidePlotToolbars,
    ShowPlotToolbars,
    CopyBitmap,
  };
  // False when there is nothing to act on (no plot view active for CopyBitmap, no plot
  // toolbars in this program).
  virtual bool Frame(FrameAction action) = 0;

  // A spectrum overlay (1 ... 4): store the current spectra, show or hide it. False without
  // an open Spectrum view (or, for Store, without a spectrum to store).
  enum class OverlayAction { Store, Show, Hide };
  virtual bool Overlay(int index, OverlayAction action) = 0;

  // "[Exit Application]": closes the frame as its close button does (stop, the save
  // prompts the user answers), posted so that it runs after the command was answered.
  virtual void Close() = 0;

  // Runs `action` once control is back in the event loop (work that may show a message or
  // a progress box).
  virtual void Post(std::function<void()> action) = 0;
};

}  // namespace orvanix
