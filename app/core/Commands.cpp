#include "app/core/Commands.h"

#include <cstdio>

namespace orvanix {

namespace {

constexpr const char* kFile = "&File";
constexpr const char* kEdit = "&Edit";
constexpr const char* kMode = "&Mode";
constexpr const char* kView = "&View";
constexpr const char* kOptions = "&Options";
constexpr const char* kUtilities = "&Utilities";
constexpr const char* kConfig = "&Config";
constexpr const char* kWindow = "&Window";
constexpr const char* kHelp = "&Help";
constexpr const char* kNone = "";

}  // namespace

const std::vector<TCommandInfo>& CommandTable() {
  static const std::vector<TCommandInfo> table = {
      {kCmdNew, kFile, kNone, "&New...", false},
      {kCmdOpen, kFile, kNone, "&Open...\tCtrl+O", false},
      {kCmdClose, kFile, kNone, "&Close", false},
      {kCmdSave, kFile, kNone, "&Save\tCtrl+S", false},
      {kCmdSaveAs, kFile, kNone, "Save &As...\tCtrl+A", false},
      {kCmdDelete, kFile, kNone, "&Delete...", false},
      {kCmdFileIoOptions, kFile, kNone, "&File I/O Options...", true},
      {kCmdImport, kFile, kNone, "&Import...", true},
      {kCmdExport, kFile, kNone, "&Export...", false},
      {kCmdDecimate, kFile, kNone, "Deci&mate...", true},
      {kCmdMerge, kFile, kNone, "Mer&ge...", false},
      {kCmdPrint, kFile, kNone, "&Print\tCtrl+P", true},
      {kCmdPrinterSetup, kFile, kNone, "P&rinter Setup...", false},
      {kCmdAnnotations, kFile, kNone, "Anno&tations and Margins...", false},
      {kCmdSetPaths, kFile, kNone, "Set Pat&hs...", true},
      {kCmdExit, kFile, kNone, "E&xit\tAlt+F4", true},

      {kCmdUndoEdit, kEdit, kNone, "&Undo Edit\tCtrl+Z", false},
      {kCmdCut, kEdit, kNone, "Cu&t\tShift+Del", true},
      {kCmdCopy, kEdit, kNone, "&Copy\tCtrl+Ins", false},
      {kCmdPasteInsert, kEdit, kNone, "&Paste Insert\tShift+Ins", false},
      {kCmdPasteOver, kEdit, kNone, "Paste &Over", false},
      {kCmdMute, kEdit, kNone, "&Mute", false},
      {kCmdGainAdjust, kEdit, kNone, "&Gain Adjust", false},
      {kCmdSelectAll, kEdit, kNone, "Select &All", false},
      {kCmdPasteLink, kEdit, kNone, "Paste Lin&k", true},
      {kCmdPlay, kEdit, kNone, "P&lay", true},
      {kCmdLoop, kEdit, "Play &Special", "&Loop\tCtrl+L", false},
      {kCmdHalfSpeed, kEdit, "Play &Special", "&Half Speed", false},
      {kCmdDoubleSpeed, kEdit, "Play &Special", "&Double Speed", false},
      {kCmdArbitrarySpeed, kEdit, "Play &Special", "&Arbitrary Speed", false},
      {kCmdFilter, kEdit, kNone, "&Filter...", true},

      {kCmdModeRealTime, kMode, kNone, "&Real Time", false},
      {kCmdModeRecorder, kMode, kNone, "R&ecorder", false},
      {kCmdModePostProcess, kMode, kNone, "&Post Process", false},

      {kCmdViewTimeSeries, kView, kNone, "&Time Series", false},
      {kCmdViewSpectrum, kView, kNone, "&Spectrum", false},
      {kCmdViewPhase, kView, kNone, "&Phase", false},
      {kCmdViewSpectrogram, kView, kNone, "Spectro&gram", false},
      {kCmdViewSurface, kView, kNone, "3&D Surface", false},
      {kCmdClearAllViews, kView, kNone, "&Clear All Views", true},

      {kCmdSettings, kOptions, kNone, "&Settings...\tF4", false},
      {kCmdScaling, kOptions, kNone, "Sc&aling...\tF5", false},
      {kCmdTrigger, kOptions, kNone, "&Trigger...\tF6", false},
      {kCmdCalibration, kOptions, kNone, "&Calibration...\tF9", false},
      {kCmdMarkers, kOptions, kNone, "&Markers...", false},
      {kCmdDevice, kOptions, kNone, "&Device...", false},
      {kCmdTimeSeriesOptions, kOptions, kNone, "T&ime Series...", true},
      {kCmdSpectrumOptions, kOptions, kNone, "Spect&rum...", false},
      {kCmdPhaseOptions, kOptions, kNone, "&Phase...", false},
      {kCmdSpectrogramOptions, kOptions, kNone, "Spectro&gram...", false},
      {kCmdSurfaceOptions, kOptions, kNone, "3-D S&urface...", false},

      {kCmdSignalGenerator, kUtilities, kNone, "&Signal Generator...\tF11", false},
      {kCmdSaveSignal, kUtilities, kNone, "Save Signal To &Wave File...", false},
      {kCmdPeakFrequency, kUtilities, kNone, "Peak &Frequency", true},
      {kCmdPeakAmplitude, kUtilities, kNone, "Peak &Amplitude", false},
      {kCmdTotalPower, kUtilities, kNone, "Total &Power", false},
      {kCmdThd, kUtilities, kNone, "&Total Harmonic Distortion (THD)", false},
      {kCmdThdN, kUtilities, kNone, "Total Harmonic Distortion + &Noise (THD+N)", false},
      {kCmdImd, kUtilities, kNone, "&Intermodulation Distortion (IMD)", false},
      {kCmdSnr, kUtilities, kNone, "Signal to Noise &Ratio (SNR)", false},
      {kCmdSinad, kUtilities, kNone, "Signal to Nois&e And Distortion (SINAD)", false},
      {kCmdNoiseFigureLR, kUtilities, "&Noise Figure (NF)", "Left vs Right", false},
      {kCmdNoiseFigureRL, kUtilities, "&Noise Figure (NF)", "Right vs Left", false},
      {kCmdDelayFinder, kUtilities, kNone, "Dela&y Finder", true},
      {kCmdReverberation, kUtilities, kNone, "Re&verberation Time", false},
      {kCmdDtmfDecoder, kUtilities, kNone, "DT&MF Decoder", false},
      {kCmdLoggingOn, kUtilities, "&Data Logging", "&On", true},
      {kCmdLoggingOff, kUtilities, "&Data Logging", "O&ff", false},
      {kCmdLoggingSetup, kUtilities, "&Data Logging", "&Setup...", false},
      {kCmdLoggingView, kUtilities, "&Data Logging", "&View...", false},

      {kCmdSaveConfiguration, kConfig, kNone, "&Save Configuration...\tF7", false},
      {kCmdLoadConfiguration, kConfig, kNone, "&Load Configuration...\tF8", false},
      {kCmdViewConfiguration, kConfig, kNone, "&View Configuration", true},
      {kCmdPrintConfiguration, kConfig, kNone, "&Print Configuration", false},

      {kCmdCascade, kWindow, kNone, "&Cascade\tShift+F5", false},
      {kCmdTileVertical, kWindow, kNone, "&Tile Vertical\tShift+F4", false},
      {kCmdTileHorizontal, kWindow, kNone, "Tile &Horizontal\tShift+F3", false},
      {kCmdArrangeIcons, kWindow, kNone, "Arrange &Icons", false},
      {kCmdCloseAllViews, kWindow, kNone, "Close All &Views", true},
      {kCmdCloseAllUtilities, kWindow, kNone, "Close All &Utilities", false},

      {kCmdHelpContents, kHelp, kNone, "&Contents...\tF1", false},
      {kCmdHelpSearch, kHelp, kNone, "&Search for Help on...", false},
      {kCmdApplicationNotes, kHelp, kNone, "Application &Notes...", false},
      {kCmdReleaseNotes, kHelp, kNone, "&Release Notes...", false},
      {kCmdAbout, kHelp, kNone, "&About", true},
  };
  return table;
}

const TCommandInfo* FindCommand(int32_t command) {
  for (const TCommandInfo& info : CommandTable()) {
    if (info.command == command) return &info;
  }
  return nullptr;
}

const std::vector<const char*>& MenuTitles() {
  static const std::vector<const char*> titles = {kFile,      kEdit,   kMode,   kView, kOptions,
                                                  kUtilities, kConfig, kWindow, kHelp};
  return titles;
}

const std::vector<TAccelerator>& MainAccelerators() {
  // Alt+letter is listed once: key sequences compare letters without case.
  static const std::vector<TAccelerator> keys = {
      {"Alt+R", kCmdRun},
      {"Alt+S", kCmdStop},
      {"Alt+P", kCmdPlayDocument},
      {"Alt+D", kCmdRewind},
      {"Return", kCmdSingleStep},
      {"Ctrl+O", kCmdOpen},
      {"Ctrl+S", kCmdSave},
      {"Ctrl+A", kCmdSaveAs},
      {"Ctrl+P", kCmdPrint},
      {"Shift+Del", kCmdCut},
      {"Shift+Ins", kCmdPasteInsert},
      {"Ctrl+L", kCmdLoop},
      {"Ctrl+Z", kCmdUndoEdit},
      {"F1", kCmdHelpContents},
      {"F4", kCmdSettings},
      {"F5", kCmdScaling},
      {"F6", kCmdTrigger},
      {"F7", kCmdSaveConfiguration},
      {"F8", kCmdLoadConfiguration},
      {"F9", kCmdCalibration},
      {"F11", kCmdSignalGenerator},
      {"Shift+F5", kCmdCascade},
      {"Shift+F4", kCmdTileVertical},
      {"Shift+F3", kCmdTileHorizontal},
  };
  return keys;
}

std::string HistoryItemText(int index, std::string_view path) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%d. ", index + 1);
  return std::string(prefix) + std::string(path);
}

}  // namespace orvanix
