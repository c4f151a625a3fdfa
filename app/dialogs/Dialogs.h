// The settings dialogs of the Options and File menus, one entry function each.
//
// Every entry function stops a running analysis first (a settings change never lands in the
// middle of a run), shows its modal dialog on a copy of the core's settings and, when the
// user leaves it with a valid OK, hands the edited copy to
// `core.ApplySettings(..., SettingsOrigin::Dialog)`. It returns whether settings were applied;
// Cancel (or a refused start, such as File I/O Options while a file is open) changes nothing
// and returns false. The analysis is not restarted: the user starts it again.
//
// Load/Save/View/Print Configuration and the wave-file dialogs belong to the main window.
#pragma once

class QWidget;

namespace orvanix {

class TAnalyzerCore;
class TFileChooser;

// "Processing Settings" (Options > Settings..., F4).
bool RunSettingsDialog(QWidget* parent, TAnalyzerCore& core);
// "Scaling Control" (Options > Scaling..., F5).
bool RunScalingDialog(QWidget* parent, TAnalyzerCore& core);
// "Trigger Setup" (Options > Trigger..., F6).
bool RunTriggerDialog(QWidget* parent, TAnalyzerCore& core);
// "Markers" (Options > Markers...).
bool RunMarkersDialog(QWidget* parent, TAnalyzerCore& core);
// "Device Selection" (Options > Device...). A changed device recreates the sound ports
// (ApplySettings does that when the device numbers differ).
bool RunDeviceDialog(QWidget* parent, TAnalyzerCore& core);
// "Spectrum Display Options" (Options > Spectrum..., and the plot's "Properties").
bool RunSpectrumOptionsDialog(QWidget* parent, TAnalyzerCore& core);
// "Overlay Management": which overlays of each pane are shown, their colours and the
// legend width.
bool RunOverlayDialog(QWidget* parent, TAnalyzerCore& core);
// "File I/O Options" (File > File I/O Options...). Refused with the core's message while a
// wave file is open outside Real-Time mode; in Real-Time mode the history buffer is dropped.
bool RunFileIoOptionsDialog(QWidget* parent, TAnalyzerCore& core);
// "Set Paths" (File > Set Paths...). OK also resets the nine last-used folders.
bool RunSetPathsDialog(QWidget* parent, TAnalyzerCore& core);
// "Annotations and Margins" (File > Annotations and Margins...): the print annotations,
// page margins and comment block.
bool RunAnnotationsDialog(QWidget* parent, TAnalyzerCore& core);
// "Amplitude Calibration" (Options > Calibration..., F9): edits a copy of the calibration
// record (measuring the reference through the sound input, .cal files through `chooser`,
// Qt's file dialogs when null); a valid OK hands it to `core.SetCalibration`. The folder of
// a .cal file chosen becomes the last-used calibration folder, OK or not.
bool RunCalibrationDialog(QWidget* parent, TAnalyzerCore& core, TFileChooser* chooser = nullptr);

}  // namespace orvanix
