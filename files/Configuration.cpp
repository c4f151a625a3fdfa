// Loading and saving the whole configuration, the clamps applied after loading, and the
// folders of the program settings file and the per-user data.
#include "files/Configuration.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "engine/Smoothing.h"
#include "files/ConfigurationIo.h"

namespace orvanix {

TAnalyzerSettings::TAnalyzerSettings() : paths(DefaultPaths()) {}

// ---- reading and writing single keys -------------------------------------------------

std::string CutText(std::string_view text, size_t maxChars) {
  if (text.size() <= maxChars) return std::string(text);
  size_t n = maxChars;
  // Step back over UTF-8 continuation bytes so that no character is split.
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return std::string(text.substr(0, n));
}

void TSettingsIo::Switch(const char* section, const char* key, bool& value, bool defaultValue,
                         KeyHome home) {
  std::string text = value ? kTextTrue : kTextFalse;
  Text(section, key, text, defaultValue ? kTextTrue : kTextFalse, 16, TextKind::kPlain, home);
  value = text.size() == 4 && (text[0] == 'T' || text[0] == 't') &&
          (text[1] == 'R' || text[1] == 'r') && (text[2] == 'U' || text[2] == 'u') &&
          (text[3] == 'E' || text[3] == 'e');
}

void TSettingsReader::Int(const char* section, const char* key, int32_t& value,
                          int32_t defaultValue, KeyHome home) {
  if (const TProfile* profile = Source(home, section)) {
    value = profile->GetInt(section, key, defaultValue);
  }
}

void TSettingsReader::Real(const char* section, const char* key, float& value, float defaultValue,
                           KeyHome home) {
  if (const TProfile* profile = Source(home, section)) {
    value = profile->GetFloat(section, key, defaultValue);
  }
}

void TSettingsReader::Text(const char* section, const char* key, std::string& value,
                           std::string_view defaultText, size_t bufferChars, TextKind kind,
                           KeyHome home) {
  const TProfile* profile = Source(home, section);
  if (!profile) return;
  std::string text = profile->GetString(section, key, defaultText);
  if (kind == TextKind::kPath) text = MapStoredPath(text);
  value = CutText(text, bufferChars > 0 ? bufferChars - 1 : 0);
}

void TSettingsWriter::Int(const char* section, const char* key, int32_t& value,
                          int32_t /*defaultValue*/, KeyHome home) {
  if (TProfile* profile = Target(home)) profile->WriteInt(section, key, value);
}

void TSettingsWriter::Real(const char* section, const char* key, float& value,
                           float /*defaultValue*/, KeyHome home) {
  if (TProfile* profile = Target(home)) profile->WriteFloat(section, key, value);
}

void TSettingsWriter::Text(const char* section, const char* key, std::string& value,
                           std::string_view /*defaultText*/, size_t /*bufferChars*/,
                           TextKind /*kind*/, KeyHome home) {
  if (TProfile* profile = Target(home)) profile->WriteString(section, key, value);
}

// ---- the whole configuration ------------------------------------------------------------

namespace {

void VisitAll(TSettingsIo& io, TAnalyzerSettings& s, bool macroOptions) {
  VisitPaths(io, s);
  VisitFileIo(io, s);
  VisitCalibration(io, s);
  VisitPrintOptions(io, s);
  VisitDevice(io, s);
  VisitMode(io, s);
  VisitProcessing(io, s);
  VisitScaling(io, s);
  VisitMarkers(io, s);
  VisitViewStatus(io, s);
  VisitTrigger(io, s);
  VisitPlots(io, s);
  VisitFilter(io, s);
  VisitLogging(io, s);
  VisitDelayFinder(io, s);
  VisitLeq(io, s);
  VisitReverb(io, s);
  if (macroOptions) VisitMacro(io, s);
  VisitFileHistory(io, s);
}

std::string ParentFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

void LoadConfiguration(const TProfile& config, const TProfile& program, TAnalyzerSettings& settings,
                       const TLoadOptions& options) {
  TSettingsReader reader(&config, &program);
  VisitAll(reader, settings, !options.macroWindowOpen);
  NormaliseLoadedSettings(settings);
}

void LoadConfiguration(const TProfile& config, TAnalyzerSettings& settings,
                       const TLoadOptions& options) {
  // The wave file to reopen is the one this file names: none when it names none, never
  // one left over from an earlier load.
  settings.fileHistory.openFileName.clear();
  TSettingsReader reader(&config, nullptr, /*keepAbsentSections=*/true);
  VisitAll(reader, settings, !options.macroWindowOpen);
  NormaliseLoadedSettings(settings);
}

void SaveConfiguration(TProfile& config, TProfile& program, const TAnalyzerSettings& settings) {
  // The visitors work on fields in place; writing goes through a copy.
  TAnalyzerSettings copy = settings;
  TSettingsWriter writer(&config, &program);
  VisitAll(writer, copy, true);
}

void LoadProgramSettings(const TProfile& program, TAnalyzerSettings& settings) {
  LoadConfiguration(program, program, settings);
}

void SaveProgramSettings(TProfile& program, const TAnalyzerSettings& settings) {
  SaveConfiguration(program, program, settings);
}

ProfileLoad LoadConfigurationFile(const std::string& path, TAnalyzerSettings& settings,
                                  const TLoadOptions& options) {
  TProfile config;
  const ProfileLoad result = config.Load(path);
  // An unreadable file was reported; the settings the user has stay as they are rather
  // than falling back to the defaults.
  if (result != ProfileLoad::kRefused) LoadConfiguration(config, settings, options);
  return result;
}

bool SaveConfigurationFile(const std::string& path, TProfile& program,
                           const TAnalyzerSettings& settings) {
  TProfile config;
  // The user chose to replace the file: one that cannot be read is simply replaced.
  config.Load(path, /*reportProblems=*/false);
  SaveConfiguration(config, program, settings);
  return config.Save(path);
}

ProfileLoad LoadProgramSettingsFile(TProfile& program, TAnalyzerSettings& settings,
                                    const std::string& path) {
  const ProfileLoad result = program.Load(path.empty() ? ProgramSettingsPath() : path);
  LoadProgramSettings(program, settings);
  return result;
}

bool SaveProgramSettingsFile(TProfile& program, const TAnalyzerSettings& settings,
                             const std::string& path) {
  const std::string target = path.empty() ? ProgramSettingsPath() : path;
  EnsureFolder(ParentFolder(target), /*ownerOnly=*/true);
  SaveProgramSettings(program, settings);
  return program.Save(target);
}

// ---- clamps ----------------------------------------------------------------------------

void NormaliseLoadedSettings(TAnalyzerSettings& s) {
  TFileIoSettings& io = s.fileIo;
  if (io.maxDiskRecordingSizeBytes < kMinDiskRecordingBytes) {
    io.maxDiskRecordingSizeBytes = kMinDiskRecordingBytes;
  }
  if (io.maxDiskRecordingSizeBytes > kMaxDiskRecordingBytes) {
    io.maxDiskRecordingSizeBytes = kMaxDiskRecordingBytes;
  }
  if (s.leq.referenceTimePeriodSecs == 0) s.leq.referenceTimePeriodSecs = 3600;
  if (s.opMode < kModeRealTime || s.opMode > kModeRecorder) s.opMode = kModeRealTime;

  // Values that size the engine's buffers or index its tables: a file cannot be allowed to
  // ask for a 2^31-point transform or the 40th window type. Out-of-range values take the
  // default of their key.
  ProcessingSettings& p = s.processing;
  p.format.Normalise();
  if (!IsValidFftSize(p.fftSize)) p.fftSize = 4096;
  if (p.decimationRatio < 1 || p.decimationRatio > kMaxDecimationRatio) p.decimationRatio = 1;
  if (p.averageBlocks < 1) p.averageBlocks = 1;
  if (p.averageType > kAverageVector) p.averageType = kAverageExponential;
  if (p.smoothingWindow >= kWindowTypeCount) p.smoothingWindow = kWindowHanning;
  if (p.overlapPercent > 99) p.overlapPercent = 0;
  if (p.channelProcessing >= kChannelProcessingModes) p.channelProcessing = kLeftOnly;
  if (p.delayChannel > 1) p.delayChannel = 0;
  if (!(p.delayTimeMsec >= 0.0f && p.delayTimeMsec <= 1000.0f)) p.delayTimeMsec = 0.0f;
  // Every frequency is multiplied by this factor: zero or a negative value would make
  // bin widths meaningless.
  if (!(p.rateCorrection > 0.0f) || !std::isfinite(p.rateCorrection)) p.rateCorrection = 1.0f;
  p.hopSize = HopSizeOf(p.fftSize, p.overlapPercent);
  p.delaySamples = DelaySamplesOf(p.format.sampleRate, p.delayTimeMsec);

  ScalingSettings& sc = s.scaling;
  if (sc.ampScale > 1) sc.ampScale = 1;
  if (sc.freqScale > 2) sc.freqScale = 1;
  if (sc.spectralDensityType > 1) sc.spectralDensityType = 0;
  if (sc.weighting > 3) sc.weighting = 0;
}

void ClampDeviceIds(TDeviceSettings& devices, int32_t inputDeviceCount, int32_t outputDeviceCount) {
  if (inputDeviceCount > 0 && devices.inputDeviceId >= inputDeviceCount) {
    devices.inputDeviceId = inputDeviceCount - 1;
  }
  if (outputDeviceCount > 0 && devices.outputDeviceId >= outputDeviceCount) {
    devices.outputDeviceId = outputDeviceCount - 1;
  }
}

// ---- folders ---------------------------------------------------------------------------

namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return home;
  if (const passwd* entry = ::getpwuid(::getuid())) {
    if (entry->pw_dir && entry->pw_dir[0] == '/') return entry->pw_dir;
  }
  return ".";
}

// An XDG base folder: the variable when it holds an absolute path, else the fallback
// under the home folder.
std::string XdgFolder(const char* variable, const char* fallbackUnderHome) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return value;
  return HomeFolder() + "/" + fallbackUnderHome;
}

}  // namespace

std::string ProgramSettingsPath() {
  return XdgFolder("XDG_CONFIG_HOME", ".config") + "/orvanix/tessiva.ini";
}

std::string UserDataFolder(std::string_view name) {
  return XdgFolder("XDG_DATA_HOME", ".local/share") + "/orvanix/" + std::string(name);
}

std::string MapStoredPath(std::string_view stored) {
  std::string path(stored);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  // "..\.\name": a folder beside the original program's own folder.
  constexpr std::string_view kProgramRelative = ".././";
  if (path.size() > kProgramRelative.size() && path.compare(0, 5, kProgramRelative) == 0) {
    return UserDataFolder(std::string_view(path).substr(kProgramRelative.size()));
  }
  return path;
}

TPaths DefaultPaths() {
  TPaths paths;
  for (size_t i = 0; i < kFolderCount; ++i) paths.folders[i] = MapStoredPath(kPathDefaults[i]);
  return paths;
}

bool EnsureFolder(const std::string& folder, bool ownerOnly) {
  if (folder.empty()) return false;
  struct stat info;
  if (::stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  // Create each missing component in turn, from the root down.
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = folder.find('/', pos + 1);
    const std::string part = folder.substr(0, pos);
    if (part.empty() || part == "/") continue;
    if (::mkdir(part.c_str(), ownerOnly ? 0700 : 0777) != 0 && errno != EEXIST) return false;
  }
  return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace orvanix
