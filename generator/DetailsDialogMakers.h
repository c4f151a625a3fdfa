// The makers of the details dialogs, one per file by family (DetailsDialog.cpp dispatches).
// Each dialog names its fields (QObject::objectName) after its configuration keys so that
// tests find them: "BurstTimeMsec", "FreqHz", ...
#pragma once

#include <cstdint>

#include "generator/DetailsDialog.h"

namespace orvanix {

TDetailsDialog* MakeNoiseBurstDialog(QWidget* parent, const TSignalRecord& r, long nyquist);
TDetailsDialog* MakeToneBurstDialog(QWidget* parent, const TSignalRecord& r, long nyquist);
TDetailsDialog* MakeTonesDialog(QWidget* parent, const TSignalRecord& r, long nyquist);
TDetailsDialog* MakeImdDialog(QWidget* parent, const TSignalRecord& r, long nyquist);
TDetailsDialog* MakeFreqSweepDialog(QWidget* parent, const TSignalRecord& r, long nyquist);
TDetailsDialog* MakeLevelSweepDialog(QWidget* parent, const TSignalRecord& r, long nyquist);
// Sawtooth, Triangular and Square.
TDetailsDialog* MakeWaveDialog(QWidget* parent, int32_t type, const TSignalRecord& r, long nyquist);
TDetailsDialog* MakePulseDialog(QWidget* parent, const TSignalRecord& r, long nyquist);
TDetailsDialog* MakeDtmfDialog(QWidget* parent, const TSignalRecord& r, long nyquist);
TDetailsDialog* MakeUserDefinedDialog(QWidget* parent, const TSignalRecord& r, long nyquist,
                                      const TWavePicker& pick);

}  // namespace orvanix
