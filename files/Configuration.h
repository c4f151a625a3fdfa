// Every setting of the program, and how it is kept in the two kinds of profile file:
//  - the program settings file ($XDG_CONFIG_HOME/orvanix/tessiva.ini): everything,
//    including the machine-specific keys (folders, file I/O options, file history, the
//    rate correction factor, the hidden-window switch, the extra logging columns);
//  - configuration files (.cfg): the same sections and keys without the machine-specific
//    ones, which are always read from and written to the program settings file.
// Missing keys take their defaults, so a missing or empty file resets every setting it
// holds. Numbers are decimal text with '.' as the decimal mark in every locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Calibration.h"
#include "engine/ProcessingSettings.h"
#include "files/Profile.h"
#include "files/SettingsRecords.h"

namespace orvanix {

struct TAnalyzerSettings {
  TPaths paths;  // the per-user folders, see DefaultPaths()
  TFileIoSettings fileIo;
  TCalibration calibration = DefaultCalibration();
  TPrintOptions print;
  TDeviceSettings devices;
  int32_t opMode = kModeRealTime;  // `Mode`/"OpMode": OperatingMode
  ProcessingSettings processing;
  ScalingSettings scaling;
  TMarkerSettings markers;
  TViewStatus viewStatus;
  TTriggerSettings trigger;
  TSpectrumPlotOptions spectrumPlot;
  TPhasePlotOptions phasePlot;
  TSpectrogramOptions spectrogram;
  TSurfaceOptions surface;
  TSeriesOptions series;
  TFilterSettings filter;
  TLoggingSettings logging;
  TDelayFinderOptions delayFinder;
  TLeqSettings leq;
  TReverbOptions reverb;
  TMacroOptions macro;
  TFileHistory fileHistory;

  TAnalyzerSettings();
};

struct TLoadOptions {
  // The `MacroOpts` keys are not read while the macro processor window is open.
  bool macroWindowOpen = false;
};

// ---- loading and saving ---------------------------------------------------------------

// Reads every setting: the configuration keys from `config`, the machine-specific ones
// from `program`. Then the clamps: the disk recording limit to 1000000 ... 2000000000,
// a `ReferenceTimePeriod` of 0 to 3600, the sample format normalised, and values that
// would index a table or size the engine's buffers replaced by their defaults when out of
// range (see NormaliseLoadedSettings). The hop size and delay in samples are recomputed.
void LoadConfiguration(const TProfile& config, const TProfile& program, TAnalyzerSettings& settings,
                       const TLoadOptions& options = {});
// Loading a .cfg: reads the configuration keys only. The machine-specific settings stay
// as they are in memory (changed since start-up, perhaps), and so does every section the
// file does not hold; within a section that is there, a missing key takes its default.
// `FileHistory`/"OpenFileName" is always the file's own (empty when it has none).
void LoadConfiguration(const TProfile& config, TAnalyzerSettings& settings,
                       const TLoadOptions& options = {});
// Writes every configuration key to `config` and every machine-specific key to
// `program` (keys that are only ever read are not written).
void SaveConfiguration(TProfile& config, TProfile& program, const TAnalyzerSettings& settings);
// The program settings file holds both kinds of key.
void LoadProgramSettings(const TProfile& program, TAnalyzerSettings& settings);
void SaveProgramSettings(TProfile& program, const TAnalyzerSettings& settings);

// File-level helpers. Loading a .cfg reads the file as LoadConfiguration(config, settings)
// does (a missing file holds no section and changes nothing) and returns how the read
// went. Saving keeps the lines of an existing .cfg that are not ours (comments, unknown
// keys), updates `program` in memory (the caller saves it, normally at exit) and replaces
// the .cfg all-or-nothing; false when the write failed (reported).
ProfileLoad LoadConfigurationFile(const std::string& path, TAnalyzerSettings& settings,
                                  const TLoadOptions& options = {});
bool SaveConfigurationFile(const std::string& path, TProfile& program,
                           const TAnalyzerSettings& settings);
// The program settings file at ProgramSettingsPath() (or `path` when not empty). `program`
// receives the file's lines so that the save at exit keeps unknown keys and comments.
ProfileLoad LoadProgramSettingsFile(TProfile& program, TAnalyzerSettings& settings,
                                    const std::string& path = {});
// Writes the settings into `program` and saves it (creating its folder, owner-only).
bool SaveProgramSettingsFile(TProfile& program, const TAnalyzerSettings& settings,
                             const std::string& path = {});

// The clamps and safety replacements applied after loading (see LoadConfiguration).
void NormaliseLoadedSettings(TAnalyzerSettings& settings);
// A device number not below the number of installed devices becomes the last device
// (count - 1); with no device of a kind its number is left alone.
void ClampDeviceIds(TDeviceSettings& devices, int32_t inputDeviceCount, int32_t outputDeviceCount);

// ---- folders ------------------------------------------------------------------------

// $XDG_CONFIG_HOME/orvanix/tessiva.ini, by default ~/.config/orvanix/tessiva.ini.
std::string ProgramSettingsPath();
// $XDG_DATA_HOME/orvanix/<name>, by default ~/.local/share/orvanix/<name>.
std::string UserDataFolder(std::string_view name);
// The nine default folders: the stored defaults "..\.\wave" ... mapped by MapStoredPath.
TPaths DefaultPaths();
// A path as stored in a profile, made usable here: '\' separators become '/', and the
// program-relative folders of the original installation ("..\.\wave", "..\.\config", ...)
// become the per-user data folders (UserDataFolder("wave"), ...).
std::string MapStoredPath(std::string_view stored);
// Creates a folder and its parents (new ones owner-only when `ownerOnly`); true when it
// exists afterwards.
bool EnsureFolder(const std::string& folder, bool ownerOnly);

// ---- the configuration report ----------------------------------------------------------

// What the report needs besides the settings.
struct TReportContext {
  std::string waveFilePath;         // the open wave file; empty: no line
  std::string inputDeviceName;      // empty: "None"
  std::string outputDeviceName;     // empty: "None"
  std::string generatorSignalName;  // for the signal generator's line
};
// The lines of "View Configuration" and "Print Configuration", each a label and a value
// separated by tabs. The open views and utilities are those flagged in
// settings.viewStatus (the core keeps the flags current).
std::vector<std::string> ConfigurationReportLines(const TAnalyzerSettings& settings,
                                                  const TReportContext& context = {});

// ---- file kinds, history, window placements --------------------------------------------

enum class PathKind { kOther, kWave, kConfiguration, kMacro };
// By the extension of the file name (the text after the last '.' of the last path
// component, without case): "wav", "cfg", "mac".
PathKind KindOfPath(std::string_view path);

// Puts `path` at the top of the history; a path already in it changes nothing.
void AddToFileHistory(TFileHistory& history, std::string_view path);

// Windows' show commands as they are stored.
enum ShowCommand : int32_t {
  kShowHide = 0,
  kShowNormal = 1,
  kShowMinimized = 2,
  kShowMaximized = 3,
};
// A window placement in screen pixels.
struct TWindowPlacement {
  int32_t flags = 0;
  int32_t showCommand = kShowNormal;
  int32_t minX = 0, minY = 0;                        // minimised position
  int32_t maxX = 0, maxY = 0;                        // maximised position
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // normal rectangle
  bool operator==(const TWindowPlacement&) const = default;
};
std::string FormatPlacement(const TWindowPlacement& placement);
// Parses the stored form; false (and `placement` unchanged) unless all ten numbers are
// there in the stored layout.
bool ParsePlacement(std::string_view text, TWindowPlacement& placement);
// `key`: kKeyPlacementMain or one of kPlacementKeys. False when missing or malformed
// (the window stays where the system puts it).
bool ReadPlacement(const TProfile& profile, std::string_view key, TWindowPlacement& placement);
void WritePlacement(TProfile& profile, std::string_view key, const TWindowPlacement& placement);
// The corrections of a restored placement: a left edge beyond the desktop width moves to
// half the width, a top beyond the height to half the height; a stored minimised window
// comes back normal, every window minimised while the frame is, hidden while the
// application window is hidden.
void AdjustRestoredPlacement(TWindowPlacement& placement, int32_t desktopWidth,
                             int32_t desktopHeight, bool frameMinimised, bool applicationHidden);
// `Placement`/"Special" of a loaded .cfg: 1 tile horizontally, 2 tile vertically,
// 3 cascade; 0 for anything else.
int32_t ReadSpecialArrangement(const TProfile& config);

}  // namespace orvanix
