// The command set of the main window: command numbers, menu labels (accelerator text
// after a tab) and the accelerator keys. The GUI builds its menus and shortcuts from
// this table; the automation server and the macro processor send the same numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvanix {

// Command numbers. Values are fixed: macros, automation clients and stored
// configurations refer to them.
enum Command : int32_t {
  // File
  kCmdNew = 100,
  kCmdOpen = 101,
  kCmdClose = 102,
  kCmdSave = 103,
  kCmdSaveAs = 104,
  kCmdExit = 105,
  kCmdFileIoOptions = 115,
  kCmdPrint = 130,
  kCmdPrinterSetup = 131,
  kCmdAnnotations = 138,
  kCmdImport = 139,
  kCmdExport = 140,
  kCmdHistory1 = 171,
  kCmdHistory2 = 172,
  kCmdHistory3 = 173,
  kCmdHistory4 = 174,
  kCmdSetPaths = 175,
  kCmdDelete = 182,
  kCmdDecimate = 183,
  kCmdMerge = 203,
  // Edit
  kCmdCut = 143,
  kCmdCopy = 144,
  kCmdPasteInsert = 145,
  kCmdPasteOver = 146,
  kCmdFilter = 147,
  kCmdPlay = 148,
  kCmdHalfSpeed = 154,
  kCmdDoubleSpeed = 155,
  kCmdLoop = 156,
  kCmdUndoEdit = 157,
  kCmdSelectAll = 179,
  kCmdMute = 181,
  kCmdGainAdjust = 202,
  kCmdPasteLink = 286,
  kCmdArbitrarySpeed = 287,
  // Mode
  kCmdModeRealTime = 121,
  kCmdModePostProcess = 122,
  kCmdModeRecorder = 123,
  // View
  kCmdViewSpectrogram = 124,
  kCmdViewTimeSeries = 126,
  kCmdViewSpectrum = 127,
  kCmdViewSurface = 133,
  kCmdClearAllViews = 134,
  kCmdViewPhase = 135,
  // Options
  kCmdSpectrogramOptions = 108,
  kCmdSurfaceOptions = 109,
  kCmdSpectrumOptions = 110,
  kCmdTimeSeriesOptions = 111,
  kCmdScaling = 117,
  kCmdSettings = 119,
  kCmdTrigger = 120,
  kCmdMarkers = 128,
  kCmdDevice = 129,
  kCmdPhaseOptions = 136,
  kCmdCalibration = 137,
  // Utilities
  kCmdSignalGenerator = 142,
  kCmdLoggingSetup = 158,
  kCmdLoggingOn = 159,
  kCmdLoggingOff = 160,
  kCmdSaveSignal = 184,
  kCmdThd = 195,
  kCmdThdN = 196,
  kCmdImd = 197,
  kCmdSnr = 198,
  kCmdPeakFrequency = 199,
  kCmdPeakAmplitude = 200,
  kCmdTotalPower = 201,
  kCmdLoggingView = 204,
  kCmdDelayFinder = 260,
  kCmdSinad = 288,
  kCmdSfdr = 289,
  kCmdNoiseFigureLR = 290,
  kCmdNoiseFigureRL = 291,
  kCmdReverberation = 292,
  kCmdReverbOptions = 293,
  kCmdMacroWindow = 294,
  kCmdDtmfDecoder = 295,
  // Config
  kCmdLoadConfiguration = 161,
  kCmdSaveConfiguration = 162,
  kCmdPrintConfiguration = 163,
  kCmdViewConfiguration = 280,
  // Window
  kCmdCloseAllViews = 149,
  kCmdCascade = 150,
  kCmdTileVertical = 151,
  kCmdTileHorizontal = 152,
  kCmdArrangeIcons = 153,
  kCmdCloseAllUtilities = 205,
  // Help
  kCmdHelpContents = 176,
  kCmdHelpSearch = 177,
  kCmdApplicationNotes = 178,
  kCmdAbout = 118,
  kCmdReleaseNotes = 270,
  // Transport (toolbar and accelerators, no menu items)
  kCmdRun = 901,
  kCmdStop = 902,
  kCmdPlayDocument = 903,
  kCmdRewind = 904,
  kCmdSingleStep = 906,
  // Pop-up commands of the views (segment analyses and spectrum operations; no menu items)
  kCmdInverseFft = 803,
  kCmdSegmentTimeSeries = 806,
  kCmdSegmentAverageSpectrum = 807,
  kCmdSegmentSpectrogram = 808,
  kCmdSegmentSurface = 809,
  kCmdSegmentLeq = 810,
  kCmdSegmentDtmf = 811,
  kCmdBandwidthQ = 821,
  // The time series popup's RMS level and crest factor; that popup numbers them 806 and 821,
  // which the other popups use for other commands, so the frame knows them by these.
  kCmdSegmentRmsLevel = 1806,
  kCmdSegmentCrestFactor = 1821,
  // The time series popup's Hilbert envelope (905) and Schroeder integration, which that popup
  // numbers 906, the transport's single step: the frame knows it by 1906.
  kCmdSegmentHilbert = 905,
  kCmdSegmentSchroeder = 1906,
};

// One menu item. `menu` is the top-level menu's label ("&File"); `submenu` is set for
// items in a pop-up inside it ("Play &Special", "&Data Logging", "&Noise Figure (NF)")
// and empty otherwise. `label` carries the accelerator text after a tab, as shown.
// `separatorBefore` marks where the menu draws a line.
struct TCommandInfo {
  int32_t command;
  const char* menu;
  const char* submenu;
  const char* label;
  bool separatorBefore;
};

// Every menu item in menu order (the file-history items 171-174 are built from the
// history and are not in this table; neither are the transport commands 901-906).
const std::vector<TCommandInfo>& CommandTable();
// The table entry of a command, or nullptr.
const TCommandInfo* FindCommand(int32_t command);
// The top-level menus in order.
const std::vector<const char*>& MenuTitles();

// An accelerator: a key by its portable name ("Alt+R", "Ctrl+O", "F4", "Shift+F5",
// "Return", "Shift+Del", "Shift+Ins"), suitable for QKeySequence, and its command.
struct TAccelerator {
  const char* key;
  int32_t command;
};
// `MAIN_ACCELERATORS`. Ctrl+Z runs Undo Edit (157), matching the menu label.
const std::vector<TAccelerator>& MainAccelerators();

// The file-history menu item text "%d. %s" for entry `index` (0 ... 3).
std::string HistoryItemText(int index, std::string_view path);

}  // namespace orvanix
