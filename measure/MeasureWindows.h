// The measurement windows in the frame: one TAnalysisView per kind (THD ... Total Pwr) and
// the Utilities commands that open and close them. A window opened without a stored
// placement appears at (300, 200) at its smallest size. The noise figure's two commands
// close an open window first and reopen it with the other polarity; opening the IMD window
// centres the spectrum view on the IMD high tone (+-250 Hz).
#pragma once

#include <cstdint>

#include "app/core/AnalyzerCore.h"

namespace orvanix {

class TViewWindows;

// Registers the window kinds and their commands with the frame (once per process).
void RegisterMeasureWindows();

// The Utilities command of a measurement window, as the frame runs it.
bool RunMeasurementCommand(int32_t command, TViewWindows& windows, TAnalyzerCore& core);

}  // namespace orvanix
