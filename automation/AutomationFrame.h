// What an execute command asks of the frame: its windows and decorations. The windowed
// program installs one; a headless server has no windows, so window commands there are
// answered processed and change nothing, as a command that ignores its argument is.
#pragma once

#include <cstdint>

#include "app/core/AnalyzerCore.h"

namespace orvanix {

class TAutomationFrame {
 public:
  virtual ~TAutomationFrame() = default;

  enum class ViewAction { Open, Close, Restore, Maximize, Print };
  // A window of the frame: the five views, the generator, delay finder, reverb and macro
  // windows (Restore, Maximize and Print only for the views).
  virtual void WindowAction(WindowKind kind, ViewAction action) = 0;

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
  virtual void Frame(FrameAction action) = 0;
  // A spectrum overlay (1 ... 4): store the current spectra, show or hide it.
  enum class OverlayAction { Store, Show, Hide };
  virtual void Overlay(int index, OverlayAction action) = 0;
};

}  // namespace orvanix
