// The option dialogs of the spectrogram, 3-D surface, time-series and phase views (Options
// menu commands 108, 109, 111 and 136, and each view's "Properties"). Like the other entry
// functions of Dialogs.h each stops a running analysis, shows its dialog on a copy of the
// core's settings and applies a valid OK; it returns whether settings were applied.
#pragma once

class QWidget;

namespace orvanix {

class TAnalyzerCore;

bool RunSpectrogramOptionsDialog(QWidget* parent, TAnalyzerCore& core);
bool RunSurfaceOptionsDialog(QWidget* parent, TAnalyzerCore& core);
bool RunSeriesOptionsDialog(QWidget* parent, TAnalyzerCore& core);
bool RunPhaseOptionsDialog(QWidget* parent, TAnalyzerCore& core);

}  // namespace orvanix
