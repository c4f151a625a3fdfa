// The whole configuration: defaults, a complete round trip, where each key lives, the
// clamps, folders, file kinds, history, placements and the configuration report.
#include "files/Configuration.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/Messages.h"
#include "engine/Smoothing.h"
#include "files/ConfigTexts.h"
#include "files/ConfigurationGenerator.h"

namespace orvanix {
namespace {

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      had_ = true;
      old_ = old;
    }
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (had_) {
      ::setenv(name_.c_str(), old_.c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }

 private:
  std::string name_;
  std::string old_;
  bool had_ = false;
};

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = testing::TempDir() + "config-XXXXXX";
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TProfile Parsed(std::string_view text) {
  TProfile profile;
  EXPECT_TRUE(profile.Parse(text));
  return profile;
}

void ExpectSameProcessing(const ProcessingSettings& a, const ProcessingSettings& b) {
  EXPECT_TRUE(a.format == b.format);
  EXPECT_EQ(a.format.bitsPerSample, b.format.bitsPerSample);
  EXPECT_EQ(a.fftSize, b.fftSize);
  EXPECT_EQ(a.decimationRatio, b.decimationRatio);
  EXPECT_EQ(a.lowPassFilter, b.lowPassFilter);
  EXPECT_EQ(a.averageBlocks, b.averageBlocks);
  EXPECT_EQ(a.averageType, b.averageType);
  EXPECT_EQ(a.peakHold, b.peakHold);
  EXPECT_EQ(a.smoothingWindow, b.smoothingWindow);
  EXPECT_EQ(a.overlapPercent, b.overlapPercent);
  EXPECT_EQ(a.hopSize, b.hopSize);
  EXPECT_EQ(a.channelProcessing, b.channelProcessing);
  EXPECT_EQ(a.delayChannel, b.delayChannel);
  EXPECT_EQ(a.delayTimeMsec, b.delayTimeMsec);
  EXPECT_EQ(a.delaySamples, b.delaySamples);
  EXPECT_EQ(a.overloadDetection, b.overloadDetection);
  EXPECT_EQ(a.excludeOverloaded, b.excludeOverloaded);
  EXPECT_EQ(a.rateCorrection, b.rateCorrection);
}

void ExpectSameScaling(const ScalingSettings& a, const ScalingSettings& b) {
  EXPECT_EQ(a.ampScale, b.ampScale);
  EXPECT_EQ(a.freqScale, b.freqScale);
  EXPECT_EQ(a.octaveNumber, b.octaveNumber);
  EXPECT_EQ(a.spectralDensity, b.spectralDensity);
  EXPECT_EQ(a.spectralDensityType, b.spectralDensityType);
  EXPECT_EQ(a.weighting, b.weighting);
  EXPECT_EQ(a.micCompensation, b.micCompensation);
  EXPECT_EQ(a.micFileLeft, b.micFileLeft);
  EXPECT_EQ(a.micFileRight, b.micFileRight);
}

void ExpectSameSettings(const TAnalyzerSettings& a, const TAnalyzerSettings& b) {
  EXPECT_TRUE(a.paths == b.paths);
  EXPECT_TRUE(a.fileIo == b.fileIo);
  EXPECT_EQ(std::memcmp(&a.calibration, &b.calibration, sizeof(TCalibration)), 0);
  EXPECT_TRUE(a.print == b.print);
  EXPECT_TRUE(a.devices == b.devices);
  EXPECT_EQ(a.opMode, b.opMode);
  ExpectSameProcessing(a.processing, b.processing);
  ExpectSameScaling(a.scaling, b.scaling);
  EXPECT_TRUE(a.markers == b.markers);
  EXPECT_TRUE(a.viewStatus == b.viewStatus);
  EXPECT_TRUE(a.trigger == b.trigger);
  EXPECT_TRUE(a.spectrumPlot == b.spectrumPlot);
  EXPECT_TRUE(a.phasePlot == b.phasePlot);
  EXPECT_TRUE(a.spectrogram == b.spectrogram);
  EXPECT_TRUE(a.surface == b.surface);
  EXPECT_TRUE(a.series == b.series);
  EXPECT_TRUE(a.filter == b.filter);
  EXPECT_TRUE(a.logging == b.logging);
  EXPECT_TRUE(a.delayFinder == b.delayFinder);
  EXPECT_TRUE(a.leq == b.leq);
  EXPECT_TRUE(a.reverb == b.reverb);
  EXPECT_TRUE(a.macro == b.macro);
  EXPECT_TRUE(a.fileHistory == b.fileHistory);
}

// Every stored field away from its default, with values that "%f" keeps exactly.
TAnalyzerSettings NonDefaultSettings() {
  TAnalyzerSettings s;
  for (size_t i = 0; i < kFolderCount; ++i) s.paths.folders[i] = "/data/f" + std::to_string(i);
  TFileIoSettings& io = s.fileIo;
  io.waveFileMode = 0;
  io.maxRamRecordingTimeSecs = 120;
  io.makeBackup = 0;
  io.includeCalibrationData = 0;
  io.recordIoBufferSizeSecs = 2;
  io.realTimeIoBufferSizeSecs = 3;
  io.maxDiskRecordingSizeBytes = 500000000;
  io.realTimeWaveBufferEnable = 0;
  io.realTimeWaveBufferLengthSecs = 30;
  io.allowSplitBuffers = 0;
  io.dalSelfMonitor = 1;
  io.darlaDelayMsec = 250;

  TCalibration& c = s.calibration;
  c.enabled = 1;
  SetField(c.fileName, "/cal/mic.cal");
  c.refLevel = 94.0f;
  c.refType = 1;
  c.refUnits = 2;
  SetField(c.labelLinear, "Pascals rms");
  SetField(c.labelLog, "SPL (dB re 20uPA) rms");
  c.labelType = 2;
  c.pctFullScaleLeft = 0.125f;
  c.pctFullScaleRight = 0.25f;
  c.calRatioLeft = 10.024f;
  c.calRatioRight = 7.5f;
  c.conversionType = 3;
  c.integrationType = 1;
  SetField(c.leftChannelName, "Mic A");
  SetField(c.rightChannelName, "Mic B");

  s.print.annotation1 = "Room 12";
  s.print.annotation2 = "Second line";
  s.print.marginLeft = 0.25f;
  s.print.marginRight = 0.75f;
  s.print.marginTop = 1.0f;
  s.print.marginBottom = 1.5f;
  s.print.enableCommentBlock = 1;
  for (size_t i = 0; i < kPrintCommentCount; ++i)
    s.print.comments[i] = std::string("Comment ").append(std::to_string(i));

  s.devices = {3, 4};
  s.opMode = kModeRecorder;

  ProcessingSettings& p = s.processing;
  p.format.Set(2, 48000, 3);
  p.fftSize = 16384;
  p.decimationRatio = 4;
  p.lowPassFilter = 0;
  p.averageBlocks = 20;
  p.averageType = kAverageVector;
  p.peakHold = 1;
  p.smoothingWindow = 2;
  p.overlapPercent = 75;
  p.channelProcessing = kCoherence;
  p.delayChannel = 1;
  p.delayTimeMsec = 250.0f;
  p.overloadDetection = 0;
  p.excludeOverloaded = 1;
  p.rateCorrection = 1.25f;
  p.hopSize = 4096;        // (100 - 75) x 16384 x 0.01
  p.delaySamples = 12000;  // 48000 x 0.25 s

  ScalingSettings& sc = s.scaling;
  sc.ampScale = 0;
  sc.freqScale = 2;
  sc.octaveNumber = 12;
  sc.spectralDensity = 1;
  sc.spectralDensityType = 1;
  sc.weighting = 3;
  sc.micCompensation = 1;
  sc.micFileLeft = "/mic/left.mic";
  sc.micFileRight = "/mic/right.mic";

  for (size_t i = 0; i < kMarkerCount; ++i) {
    s.markers.enable[i] = 1;
    s.markers.freqHz[i] = 125.5f * static_cast<float>(i + 1);
    s.markers.labelType[i] = 0;
    s.markers.customLabel[i] = std::string("M").append(std::to_string(i));
  }
  for (size_t i = 0; i < kWindowCount; ++i) s.viewStatus.open[i] = static_cast<int32_t>(i % 2 == 0);
  s.viewStatus.noiseFigurePolarity = 2;
  s.viewStatus.hideApplicationWindow = 1;

  s.trigger = {1, 0, 1, 40, 1, 2.5f, 1, 1};

  TSpectrumPlotOptions& sp = s.spectrumPlot;
  sp.plotType = 2;
  sp.gridEnabled = 0;
  sp.plotTop = -10.0f;
  sp.plotRange = 80.0f;
  sp.startFreqHz = 20.0f;
  sp.stopFreqHz = 20000.0f;
  sp.lineColor = 1;
  sp.backgroundColor = 2;
  sp.gridColor = 3;
  sp.markerColor = 4;
  sp.showRmsLevel = 1;
  for (auto& row : sp.show) row = {1, 0, 1, 1};
  sp.overlayColor = {5, 6, 7, 16777215};
  sp.overlayLegendSize = 10;
  sp.grabCursor = 0;
  sp.rpm = 3000.0f;
  sp.intervalFlag = 1;
  sp.intervalSecs = 0.5f;

  s.phasePlot = {0, 90.0f, 180.0f, 50.0f, 5000.0f, 11, 12, 13, 14, 0, 1, 0.25f};
  s.spectrogram = {1, 4.0f, -10.0f, 90.0f, 0, 200.0f, 5000.0f, 1, 2, 21, 22, 1};
  s.surface = {1, 3.0f, -5.0f, 70.0f, 0, 300.0f, 6000.0f, 31, 32, 3, 2};
  s.series = {1, 0, 50.0f, 200.0f, 1, 500.0f, 41, 42, 43, 0.5f, 2.0f, 5.0f, 30, 1, 1, 0.2f};
  s.filter = {2, 101, 500, 3000, 1500, 200, 60, 10, 0, 0};
  s.logging.intervalFlag = 0;
  s.logging.intervalSecs = 5.0f;
  s.logging.useFullSpan = 0;
  s.logging.startFreqHz = 100.0f;
  s.logging.stopFreqHz = 8000.0f;
  s.logging.threshold = -60.0f;
  s.logging.dataType = 2;
  s.logging.logFileName = "/logs/run.txt";
  s.logging.logViewerProgram = "/usr/bin/less";
  s.logging.overwrite = 0;
  s.logging.varekFlag = 1;
  s.delayFinder = {1, 343.0f, 250};
  s.leq = {60, 2};
  s.reverb = {2, 0.25f, 0, 20, 15, 8, 12, 51, 52, 53, 54, 55};
  s.macro = {"/macro/run.mac", 0, "/usr/bin/less", "/macro/out.txt"};
  s.fileHistory.recent = {"/w/a.wav", "/c/b.cfg", "/w/c.wav", "/w/d.wav"};
  s.fileHistory.openFileName = "/w/a.wav";
  return s;
}

// ---- defaults and round trips -----------------------------------------------------------

TEST(Configuration, EmptyFilesGiveTheDefaults) {
  TAnalyzerSettings loaded = NonDefaultSettings();
  LoadConfiguration(TProfile(), TProfile(), loaded);
  ExpectSameSettings(loaded, TAnalyzerSettings());
  // A few defaults checked against their stated values rather than the record.
  EXPECT_EQ(loaded.processing.fftSize, 4096);
  EXPECT_EQ(loaded.processing.format.sampleRate, 44100u);
  EXPECT_EQ(loaded.processing.smoothingWindow, kWindowHanning);
  EXPECT_EQ(loaded.opMode, kModeRealTime);
  EXPECT_EQ(loaded.fileIo.maxDiskRecordingSizeBytes, 2000000000);
  EXPECT_EQ(loaded.markers.freqHz[5], 6000.0f);
  EXPECT_EQ(loaded.markers.customLabel[0], "Marker 1");
  EXPECT_EQ(loaded.viewStatus.open[1], 1);
  EXPECT_EQ(loaded.viewStatus.open[0], 0);
  EXPECT_EQ(FieldText(loaded.calibration.fileName), "default.cal");
  EXPECT_EQ(FieldText(loaded.calibration.labelLog), "dBV rms");
  EXPECT_EQ(loaded.logging.threshold, -999.0f);
  EXPECT_EQ(loaded.reverb.backgroundColor, 12910591u);
}

TEST(Configuration, SavedAndLoadedSettingsAreIdentical) {
  const TAnalyzerSettings original = NonDefaultSettings();
  TProfile config;
  TProfile program;
  SaveConfiguration(config, program, original);
  TAnalyzerSettings loaded;
  LoadConfiguration(Parsed(config.Text()), Parsed(program.Text()), loaded);
  ExpectSameSettings(loaded, original);

  // The program settings file alone holds everything.
  TProfile all;
  SaveProgramSettings(all, original);
  TAnalyzerSettings fromProgram;
  LoadProgramSettings(Parsed(all.Text()), fromProgram);
  ExpectSameSettings(fromProgram, original);
}

TEST(Configuration, RoundTripThroughFilesInACommaLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  const bool comma = std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "de_DE.utf8");
  // scripts/install-deps.sh generates the locale: without it this test would prove nothing.
  ASSERT_TRUE(comma) << "no de_DE.UTF-8 locale; run scripts/install-deps.sh";
  TempFolder folder;
  const std::string cfg = folder.File("setup.cfg");
  const std::string ini = folder.File("tessiva.ini");
  const TAnalyzerSettings original = NonDefaultSettings();
  TProfile program;
  ASSERT_TRUE(SaveConfigurationFile(cfg, program, original));
  ASSERT_TRUE(program.Save(ini));
  TProfile programRead;
  ASSERT_EQ(programRead.Load(ini), ProfileLoad::kLoaded);
  TAnalyzerSettings loaded;
  LoadProgramSettings(programRead, loaded);
  EXPECT_EQ(LoadConfigurationFile(cfg, loaded), ProfileLoad::kLoaded);
  std::setlocale(LC_ALL, previous.c_str());
  ExpectSameSettings(loaded, original);
  EXPECT_NE(ReadAll(cfg).find("RefLevel=94.000000\n"), std::string::npos);
}

TEST(Configuration, MachineKeysLiveOnlyInTheProgramFile) {
  TProfile config;
  TProfile program;
  SaveConfiguration(config, program, NonDefaultSettings());
  for (const char* section : {kSectionPaths, kSectionFileIo}) {
    EXPECT_FALSE(config.HasSection(section)) << section;
    EXPECT_TRUE(program.HasSection(section)) << section;
  }
  const std::pair<const char*, const char*> machineKeys[] = {
      {kSectionSettings, "SamplingRateCorrectionFactor"},
      {kSectionViewStatus, "HideApplicationWindow"},
      {kSectionLogging, "VarekFlag"},
      {kSectionFileHistory, "1"},
      {kSectionFileHistory, "4"}};
  for (const auto& [section, key] : machineKeys) {
    EXPECT_FALSE(config.HasKey(section, key)) << key;
    EXPECT_TRUE(program.HasKey(section, key)) << key;
  }
  // Keys that are only ever read are written nowhere.
  for (const char* key : {"DuplexDelay", "AdjustImportRescaling", "RunOnLaunch"}) {
    EXPECT_FALSE(config.HasKey(kSectionFileIo, key)) << key;
    EXPECT_FALSE(program.HasKey(kSectionFileIo, key)) << key;
  }
  // The configuration keys themselves are in the .cfg only.
  EXPECT_TRUE(config.HasKey(kSectionSettings, "FFTsize"));
  EXPECT_FALSE(program.HasKey(kSectionSettings, "FFTsize"));
  EXPECT_TRUE(config.HasKey(kSectionFileHistory, "OpenFileName"));
}

TEST(Configuration, MachineKeysInACfgAreIgnored) {
  const TProfile config = Parsed(
      "[FileIO]\nWaveFileMode=0\n[Settings]\nSamplingRateCorrectionFactor=2.0\nFFTsize=1024\n"
      "[Paths]\nWav=/elsewhere\n[FileHistory]\n1=/x.wav\n");
  const TProfile program = Parsed(
      "[FileIO]\nWaveFileMode=1\nDuplexDelay=70\nAdjustImportRescaling=true\nRunOnLaunch=1\n"
      "[Settings]\nSamplingRateCorrectionFactor=1.001\n[Paths]\nWav=/mine\n");
  TAnalyzerSettings s;
  LoadConfiguration(config, program, s);
  EXPECT_EQ(s.processing.fftSize, 1024);
  EXPECT_EQ(s.fileIo.waveFileMode, 1);
  EXPECT_FLOAT_EQ(s.processing.rateCorrection, 1.001f);
  EXPECT_EQ(s.paths.folders[0], "/mine");
  EXPECT_EQ(s.fileHistory.recent[0], "");
  EXPECT_EQ(s.fileIo.duplexDelay, 70);
  EXPECT_TRUE(s.fileIo.adjustImportRescaling);
  EXPECT_EQ(s.fileIo.runOnLaunch, 1);

  // Without a program profile the machine settings stay as they are.
  TAnalyzerSettings kept = NonDefaultSettings();
  LoadConfiguration(config, kept);
  EXPECT_TRUE(kept.fileIo == NonDefaultSettings().fileIo);
  EXPECT_TRUE(kept.paths == NonDefaultSettings().paths);
  EXPECT_EQ(kept.processing.rateCorrection, 1.25f);
  EXPECT_EQ(kept.processing.fftSize, 1024);
}

TEST(Configuration, MacroOptionsAreNotReadWhileTheMacroWindowIsOpen) {
  const TProfile config = Parsed("[MacroOpts]\nMacroFilename=/m/new.mac\n");
  TAnalyzerSettings s;
  s.macro.macroFilename = "/m/running.mac";
  TLoadOptions options;
  options.macroWindowOpen = true;
  LoadConfiguration(config, TProfile(), s, options);
  EXPECT_EQ(s.macro.macroFilename, "/m/running.mac");
  LoadConfiguration(config, TProfile(), s);
  EXPECT_EQ(s.macro.macroFilename, "/m/new.mac");
}

TEST(Configuration, SavingOverACfgKeepsForeignLinesAndAnUnreadableCfgIsNotApplied) {
  TRecordingSink sink;
  TScopedMessageSink scope(&sink);
  TempFolder folder;
  const std::string cfg = folder.File("mine.cfg");
  {
    std::ofstream out(cfg);
    out << "; my bench setup\n[Settings]\nFFTsize=1024\nMyNote=keep\n";
  }
  TProfile program;
  ASSERT_TRUE(SaveConfigurationFile(cfg, program, TAnalyzerSettings()));
  const std::string text = ReadAll(cfg);
  EXPECT_EQ(text.rfind("; my bench setup\n[Settings]\nFFTsize=4096\nMyNote=keep\n", 0), 0u);

  TAnalyzerSettings s = NonDefaultSettings();
  EXPECT_EQ(LoadConfigurationFile(folder.Path(), s), ProfileLoad::kRefused);
  ExpectSameSettings(s, NonDefaultSettings());
  EXPECT_EQ(sink.Entries().size(), 1u);
  // A missing .cfg holds no section, so nothing changes but the file to reopen: none.
  EXPECT_EQ(LoadConfigurationFile(folder.File("none.cfg"), s), ProfileLoad::kMissing);
  TAnalyzerSettings expected = NonDefaultSettings();
  expected.fileHistory.openFileName.clear();
  ExpectSameSettings(s, expected);
}

TEST(Configuration, ACfgChangesOnlyTheSectionsItHolds) {
  const TAnalyzerSettings before = NonDefaultSettings();
  TAnalyzerSettings s = before;
  // Two sections; `Settings` without most of its keys, and a machine key in it.
  LoadConfiguration(Parsed("[Settings]\nFFTsize=1024\nSamplingRateCorrectionFactor=3\n"
                           "[trigger]\nThreshold=60\n"),
                    s);
  // Within a section that is there, missing keys take their defaults.
  EXPECT_EQ(s.processing.fftSize, 1024);
  EXPECT_EQ(s.processing.format.sampleRate, 44100u);
  EXPECT_EQ(s.processing.format.channels, 1);
  EXPECT_EQ(s.processing.averageType, kAverageExponential);
  EXPECT_EQ(s.trigger.thresholdPct, 60);
  EXPECT_EQ(s.trigger.enable, 0);
  EXPECT_EQ(s.trigger.autoReset, 1);
  // Machine-specific keys are never read from a .cfg.
  EXPECT_EQ(s.processing.rateCorrection, 1.25f);
  EXPECT_TRUE(s.fileIo == before.fileIo);
  EXPECT_TRUE(s.paths == before.paths);
  EXPECT_EQ(s.fileHistory.recent, before.fileHistory.recent);
  EXPECT_EQ(s.viewStatus.hideApplicationWindow, 1);
  EXPECT_EQ(s.logging.varekFlag, 1);
  // Sections the file does not hold stay as they are.
  EXPECT_EQ(std::memcmp(&s.calibration, &before.calibration, sizeof(TCalibration)), 0);
  ExpectSameScaling(s.scaling, before.scaling);
  EXPECT_EQ(s.opMode, kModeRecorder);
  EXPECT_TRUE(s.devices == before.devices);
  EXPECT_TRUE(s.markers == before.markers);
  EXPECT_TRUE(s.viewStatus == before.viewStatus);
  EXPECT_TRUE(s.spectrumPlot == before.spectrumPlot);
  EXPECT_TRUE(s.series == before.series);
  EXPECT_TRUE(s.logging == before.logging);
  EXPECT_TRUE(s.macro == before.macro);
  EXPECT_TRUE(s.reverb == before.reverb);
  // The file to reopen is the file's own: none here.
  EXPECT_EQ(s.fileHistory.openFileName, "");
  LoadConfiguration(Parsed("[FileHistory]\nOpenFileName=/w/b.wav\n1=/elsewhere.wav\n"), s);
  EXPECT_EQ(s.fileHistory.openFileName, "/w/b.wav");
  EXPECT_EQ(s.fileHistory.recent, before.fileHistory.recent);
}

// ---- clamps -----------------------------------------------------------------------------

TEST(ConfigurationClamps, RecordingLimitLeqPeriodAndFormatAreClamped) {
  TAnalyzerSettings s;
  LoadConfiguration(Parsed("[LEQ]\nReferenceTimePeriod=0\n"),
                    Parsed("[FileIO]\nMaxDiskRecordingSizeBytes=500\n"), s);
  EXPECT_EQ(s.fileIo.maxDiskRecordingSizeBytes, 1000000);
  EXPECT_EQ(s.leq.referenceTimePeriodSecs, 3600);
  LoadConfiguration(TProfile(), Parsed("[FileIO]\nMaxDiskRecordingSizeBytes=3000000000\n"), s);
  EXPECT_EQ(s.fileIo.maxDiskRecordingSizeBytes, 2000000000);

  LoadConfiguration(Parsed("[Settings]\nNumChannels=5\nBytesPerSample=7\nSamplingRate=0\n"),
                    TProfile(), s);
  EXPECT_EQ(s.processing.format.channels, 1);
  EXPECT_EQ(s.processing.format.bytesPerSample, 2);
  EXPECT_EQ(s.processing.format.sampleRate, 44100u);
  LoadConfiguration(Parsed("[Settings]\nSamplingRate=-8000\nBytesPerSample=3\nNumChannels=2\n"),
                    TProfile(), s);
  EXPECT_EQ(s.processing.format.sampleRate, 44100u);
  EXPECT_EQ(s.processing.format.bitsPerSample, 24);
  EXPECT_EQ(s.processing.format.maxValue, 8388607);
}

TEST(ConfigurationClamps, DerivedValuesFollowTheLoadedSettings) {
  TAnalyzerSettings s;
  LoadConfiguration(
      Parsed("[Settings]\nFFTsize=4096\nOverlapPercent=99\nDelayTimeMsec=1000\nNumChannels=1\n"
             "ChannelProcessing=10\n"),
      TProfile(), s);
  EXPECT_EQ(s.processing.hopSize, 40);          // trunc(1 x 4096 x 0.01)
  EXPECT_EQ(s.processing.delaySamples, 44100);  // 44100 x 1 s
  // Mono forces the left channel when the settings are applied, not in the stored record.
  EXPECT_EQ(s.processing.channelProcessing, 10);
}

TEST(ConfigurationClamps, ValuesThatWouldSizeBuffersOrIndexTablesFallBackToDefaults) {
  TAnalyzerSettings s;
  LoadConfiguration(Parsed("[Settings]\nFFTsize=2147483647\nDecimationRatio=0\nAverageBlocks=-3\n"
                           "AverageType=9\nSmoothingWindow=40\nOverlapPercent=100\n"
                           "ChannelProcessing=13\nDelayChannel=2\nDelayTimeMsec=5000\n"
                           "[Scaling]\nAmpScaleType=4\nFreqScaleType=-1\nSpectralDensityType=2\n"
                           "StandardWeighting=4\n[Mode]\nOpMode=9\n"),
                    Parsed("[Settings]\nSamplingRateCorrectionFactor=nan\n"), s);
  const ProcessingSettings& p = s.processing;
  EXPECT_EQ(p.fftSize, 4096);
  EXPECT_EQ(p.decimationRatio, 1);
  EXPECT_EQ(p.averageBlocks, 1);
  EXPECT_EQ(p.averageType, kAverageExponential);
  EXPECT_EQ(p.smoothingWindow, kWindowHanning);
  EXPECT_EQ(p.overlapPercent, 0);
  EXPECT_EQ(p.channelProcessing, kLeftOnly);
  EXPECT_EQ(p.delayChannel, 0);
  EXPECT_EQ(p.delayTimeMsec, 0.0f);
  EXPECT_EQ(p.rateCorrection, 1.0f);
  EXPECT_EQ(p.hopSize, 4096);
  EXPECT_EQ(s.scaling.ampScale, 1);
  EXPECT_EQ(s.scaling.freqScale, 1);
  EXPECT_EQ(s.scaling.spectralDensityType, 0);
  EXPECT_EQ(s.scaling.weighting, 0);
  EXPECT_EQ(s.opMode, kModeRealTime);
  // In range stays as stored, including the decimation limit.
  LoadConfiguration(Parsed("[Settings]\nFFTsize=1048576\nDecimationRatio=50\n"), TProfile(), s);
  EXPECT_EQ(s.processing.fftSize, 1048576);
  EXPECT_EQ(s.processing.decimationRatio, 50);
}

TEST(ConfigurationClamps, DeviceNumbersStayWithinTheInstalledDevices) {
  TDeviceSettings d{7, 1};
  ClampDeviceIds(d, 2, 3);
  EXPECT_EQ(d.inputDeviceId, 1);
  EXPECT_EQ(d.outputDeviceId, 1);
  d = {2, 3};
  ClampDeviceIds(d, 2, 3);
  EXPECT_EQ(d.inputDeviceId, 1);
  EXPECT_EQ(d.outputDeviceId, 2);
  d = {5, 5};
  ClampDeviceIds(d, 0, 0);
  EXPECT_EQ(d.inputDeviceId, 5);
}

TEST(ConfigurationClamps, TextsAreCutToTheirBuffersWithoutSplittingCharacters) {
  TAnalyzerSettings s;
  const std::string label(100, 'L');
  // 28 ASCII characters then a two-byte character: 29 characters fit in the 30-byte buffer.
  const std::string marker = std::string(28, 'm') + "\xC3\xA9" + "tail";
  LoadConfiguration(
      Parsed("[Calibration]\nLabelLinear=" + label + "\n[Markers]\nCustomLabel0=" + marker + "\n"),
      TProfile(), s);
  EXPECT_EQ(FieldText(s.calibration.labelLinear), std::string(59, 'L'));
  EXPECT_EQ(s.markers.customLabel[0], std::string(28, 'm'));
}

// ---- folders --------------------------------------------------------------------------

TEST(ConfigurationFolders, FollowTheXdgVariables) {
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/cfg-home");
    ScopedEnv data("XDG_DATA_HOME", "/data-home");
    EXPECT_EQ(ProgramSettingsPath(), "/cfg-home/orvanix/tessiva.ini");
    EXPECT_EQ(UserDataFolder("wave"), "/data-home/orvanix/wave");
    const TPaths paths = DefaultPaths();
    EXPECT_EQ(paths.folders[0], "/data-home/orvanix/wave");
    EXPECT_EQ(paths.folders[1], "/data-home/orvanix/wave");
    EXPECT_EQ(paths.folders[2], "/data-home/orvanix/config");
    EXPECT_EQ(paths.folders[4], "/data-home/orvanix/miccomp");
    EXPECT_EQ(paths.folders[8], "/data-home/orvanix/macro");
    // Stored values of the original installation map the same way.
    TAnalyzerSettings s;
    LoadConfiguration(TProfile(), Parsed("[Paths]\ncal=..\\.\\cal\nmic=C:\\data\\mic\n"), s);
    EXPECT_EQ(s.paths.folders[3], "/data-home/orvanix/cal");
    EXPECT_EQ(s.paths.folders[4], "C:/data/mic");
  }
  {
    // Relative values are ignored, as the XDG rules say.
    ScopedEnv config("XDG_CONFIG_HOME", "relative/path");
    ScopedEnv data("XDG_DATA_HOME", nullptr);
    ScopedEnv home("HOME", "/home/tester");
    EXPECT_EQ(ProgramSettingsPath(), "/home/tester/.config/orvanix/tessiva.ini");
    EXPECT_EQ(UserDataFolder("log"), "/home/tester/.local/share/orvanix/log");
  }
  EXPECT_EQ(MapStoredPath("D:\\recordings\\take.wav"), "D:/recordings/take.wav");
  EXPECT_EQ(MapStoredPath("/plain/path"), "/plain/path");
}

TEST(ConfigurationFolders, ProgramSettingsFileIsCreatedOwnerOnlyAndReadBack) {
  TempFolder folder;
  ScopedEnv config("XDG_CONFIG_HOME", folder.Path().c_str());
  TProfile program;
  const TAnalyzerSettings original = NonDefaultSettings();
  ASSERT_TRUE(SaveProgramSettingsFile(program, original));
  struct stat info;
  ASSERT_EQ(::stat((folder.Path() + "/orvanix").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  TProfile reread;
  TAnalyzerSettings loaded;
  EXPECT_EQ(LoadProgramSettingsFile(reread, loaded), ProfileLoad::kLoaded);
  ExpectSameSettings(loaded, original);
}

// ---- file kinds, history, placements ------------------------------------------------------

TEST(ConfigurationFiles, KindsFollowTheFileNamesExtension) {
  EXPECT_EQ(KindOfPath("setup.cfg"), PathKind::kConfiguration);
  EXPECT_EQ(KindOfPath("SETUP.CFG"), PathKind::kConfiguration);
  EXPECT_EQ(KindOfPath("/home/me/.local/share/orvanix/config/bench.cfg"), PathKind::kConfiguration);
  EXPECT_EQ(KindOfPath("C:\\data.v1\\setup.cfg"), PathKind::kConfiguration);
  EXPECT_EQ(KindOfPath("./take.wav"), PathKind::kWave);
  EXPECT_EQ(KindOfPath("run.Mac"), PathKind::kMacro);
  EXPECT_EQ(KindOfPath("setup.cfg.bak"), PathKind::kOther);
  EXPECT_EQ(KindOfPath("setup.cfgx"), PathKind::kOther);
  EXPECT_EQ(KindOfPath("folder.cfg/readme"), PathKind::kOther);
  EXPECT_EQ(KindOfPath("cfg"), PathKind::kOther);
  EXPECT_EQ(KindOfPath(""), PathKind::kOther);
}

TEST(ConfigurationFiles, HistoryKeepsFourNewestFirstAndIgnoresKnownPaths) {
  TFileHistory h;
  for (const char* path : {"a.wav", "b.wav", "c.cfg", "d.wav"}) AddToFileHistory(h, path);
  EXPECT_EQ(h.recent, (std::array<std::string, 4>{"d.wav", "c.cfg", "b.wav", "a.wav"}));
  AddToFileHistory(h, "b.wav");
  EXPECT_EQ(h.recent, (std::array<std::string, 4>{"d.wav", "c.cfg", "b.wav", "a.wav"}));
  AddToFileHistory(h, "e.wav");
  EXPECT_EQ(h.recent, (std::array<std::string, 4>{"e.wav", "d.wav", "c.cfg", "b.wav"}));
}

TEST(ConfigurationFiles, PlacementsUseTheStoredLayout) {
  TWindowPlacement p{2, 3, -1, -1, -8, -8, 10, 20, 300, 400};
  EXPECT_EQ(FormatPlacement(p), "2, 3, {-1,-1}, {-8,-8}, {10,20,300,400}");
  TProfile profile;
  WritePlacement(profile, "Spectrum", p);
  TWindowPlacement read;
  ASSERT_TRUE(ReadPlacement(profile, "spectrum", read));
  EXPECT_EQ(read, p);
  ASSERT_TRUE(ParsePlacement("0,1,{ 0, 0},{0,0},{ 1, 2,3,4} trailing", read));
  EXPECT_EQ(read, (TWindowPlacement{0, 1, 0, 0, 0, 0, 1, 2, 3, 4}));
  ASSERT_TRUE(ParsePlacement("0, 1, {0,0}, {0,0}, {99999999999,0,0,0}", read));
  EXPECT_EQ(read.left, INT32_MAX);

  const TWindowPlacement before = read;
  for (const char* bad :
       {"", "garbage", "1, 2", "1, 2, {3,4}, {5,6}, {7,8,9}", "1, 2, {3,4}, {5,6}, {7,8,9,x}",
        "1; 2, {3,4}, {5,6}, {7,8,9,10}", "1, 2, 3,4, {5,6}, {7,8,9,10}"}) {
    EXPECT_FALSE(ParsePlacement(bad, read)) << bad;
    EXPECT_EQ(read, before);
  }
  EXPECT_FALSE(ReadPlacement(profile, "Phase", read));
}

TEST(ConfigurationFiles, RestoredPlacementsAreKeptOnTheDesktop) {
  TWindowPlacement p{0, kShowMinimized, 0, 0, 0, 0, 3000, 2000, 3400, 2300};
  AdjustRestoredPlacement(p, 1920, 1080, false, false);
  EXPECT_EQ(p.left, 960);
  EXPECT_EQ(p.top, 540);
  EXPECT_EQ(p.right, 3400);
  EXPECT_EQ(p.showCommand, kShowNormal);
  p.showCommand = kShowMaximized;
  AdjustRestoredPlacement(p, 1920, 1080, true, false);
  EXPECT_EQ(p.showCommand, kShowMinimized);
  AdjustRestoredPlacement(p, 1920, 1080, true, true);
  EXPECT_EQ(p.showCommand, kShowHide);
  p = {0, kShowMaximized, 0, 0, 0, 0, 1920, 1080, 2000, 1200};  // on the edge stays
  AdjustRestoredPlacement(p, 1920, 1080, false, false);
  EXPECT_EQ(p.left, 1920);
  EXPECT_EQ(p.showCommand, kShowMaximized);

  EXPECT_EQ(ReadSpecialArrangement(Parsed("[Placement]\nSpecial=2\n")), 2);
  EXPECT_EQ(ReadSpecialArrangement(Parsed("[Placement]\nSpecial=4\n")), 0);
  EXPECT_EQ(ReadSpecialArrangement(TProfile()), 0);
}

// ---- the generator and decoder sections ------------------------------------------------

TEST(ConfigurationGenerator, RoundTripAndTheSharedDtmfSection) {
  TGeneratorSettings g;
  g.level = {-6.0f, -12.0f, 2, 3, 2, 1.5f};
  g.samplingRateHz = 96000;
  g.left.type = 4;
  g.right.type = 7;
  g.left.tones.enable = {1, 1, 1, 0, 0, 0, 0, 0, 0, 1};
  g.left.tones.powerDb[2] = -20.0f;
  g.right.freqSweep = {20.0f, 20000.0f, 5000, 2};
  g.right.userDefined.waveFileName = "/w/user.wav";
  g.right.sawtooth.slope = -1;
  g.left.dtmf.keyString = "123";
  g.right.dtmf.keyString = "ABCD";
  g.right.dtmf.twistDb = -2.0f;
  TProfile profile;
  SaveGeneratorSettings(profile, g);
  TGeneratorSettings loaded;
  LoadGeneratorSettings(Parsed(profile.Text()), loaded);
  // The right channel's DTMF values are written last, so both channels read them.
  TGeneratorSettings expected = g;
  expected.left.dtmf = g.right.dtmf;
  EXPECT_TRUE(loaded == expected);
  EXPECT_TRUE(profile.HasKey("FreqSweepR", "FStopHz"));
  EXPECT_TRUE(profile.HasKey("User DefinedR", "WaveFileName"));
  EXPECT_FALSE(profile.HasSection("DTMFR"));
  EXPECT_EQ(profile.GetString("Settings", "GeneratorSamplingRate", ""), "96000");

  TGeneratorSettings defaults;
  LoadGeneratorSettings(TProfile(), defaults);
  EXPECT_TRUE(defaults == TGeneratorSettings());
  EXPECT_EQ(defaults.left.tones.freqHz[9], 10000.0f);
  EXPECT_EQ(defaults.left.tones.enable[0], 1);
  EXPECT_EQ(defaults.left.tones.enable[1], 0);

  TDtmfDecoderOptions options{-30.5f, 40, 15};
  TProfile decoder;
  SaveDtmfDecoderOptions(decoder, options);
  EXPECT_EQ(
      decoder.Text(),
      "[DTMF]\nHitThresholdLevel=-30.500000\nMinDigitDurationMsec=40\nMinDigitSpacingMsec=15\n");
  TDtmfDecoderOptions read;
  LoadDtmfDecoderOptions(decoder, read);
  EXPECT_TRUE(read == options);
}

// ---- malformed files --------------------------------------------------------------------

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(ORVANIX_TEST_DATA_DIR "/ini-malformed")) {
    while (dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
  }
  return names;
}

// What every loaded configuration must satisfy, whatever the file held.
void ExpectSane(const TAnalyzerSettings& s) {
  const ProcessingSettings& p = s.processing;
  EXPECT_TRUE(IsValidFftSize(p.fftSize)) << p.fftSize;
  EXPECT_GE(p.decimationRatio, 1);
  EXPECT_LE(p.decimationRatio, 50);
  EXPECT_LT(p.smoothingWindow, kWindowTypeCount);
  EXPECT_LE(p.averageType, 2);
  EXPECT_GE(p.averageBlocks, 1);
  EXPECT_LE(p.overlapPercent, 99);
  EXPECT_LT(p.channelProcessing, 13);
  EXPECT_LE(p.delayChannel, 1);
  EXPECT_GE(p.delayTimeMsec, 0.0f);
  EXPECT_LE(p.delayTimeMsec, 1000.0f);
  EXPECT_GT(p.rateCorrection, 0.0f);
  EXPECT_GE(p.hopSize, 1);
  EXPECT_GE(p.format.channels, 1);
  EXPECT_LE(p.format.channels, 2);
  EXPECT_GE(p.format.bytesPerSample, 1);
  EXPECT_LE(p.format.bytesPerSample, 4);
  EXPECT_GT(p.format.sampleRate, 0u);
  EXPECT_GE(s.opMode, 1);
  EXPECT_LE(s.opMode, 3);
  EXPECT_GE(s.fileIo.maxDiskRecordingSizeBytes, 1000000);
  EXPECT_NE(s.leq.referenceTimePeriodSecs, 0);
  for (const std::string& label : s.markers.customLabel) EXPECT_LE(label.size(), 29u);
  EXPECT_LE(s.print.annotation1.size(), 79u);
  EXPECT_LE(s.scaling.micFileLeft.size(), 259u);
  // Every real is written: none may be NaN or infinite.
  TProfile config;
  TProfile program;
  SaveConfiguration(config, program, s);
  const std::string text = config.Text() + program.Text();
  for (const char* bad : {"=nan\n", "=-nan\n", "=inf\n", "=-inf\n"}) {
    EXPECT_EQ(text.find(bad), std::string::npos) << bad;
  }
}

TEST(ConfigurationCorpus, MalformedFilesLoadSafelyAndSaveAsTheyWereRead) {
  TRecordingSink sink;
  TScopedMessageSink scope(&sink);
  const std::vector<std::string> files = CorpusFiles();
  ASSERT_GE(files.size(), 17u);
  for (const std::string& name : files) {
    SCOPED_TRACE(name);
    TAnalyzerSettings s = NonDefaultSettings();
    const std::string path = std::string(ORVANIX_TEST_DATA_DIR "/ini-malformed/") + name;
    ASSERT_EQ(LoadConfigurationFile(path, s), ProfileLoad::kLoaded);
    ExpectSane(s);
    TProfile config;
    TProfile program;
    SaveConfiguration(config, program, s);
    TAnalyzerSettings again;
    LoadConfiguration(Parsed(config.Text()), Parsed(program.Text()), again);
    ExpectSameSettings(again, s);
  }
  EXPECT_TRUE(sink.Entries().empty());
}

TEST(ConfigurationCorpus, MalformedFilesReadWhatTheyClearlySay) {
  const std::map<std::string, std::function<void(const TAnalyzerSettings&)>> checks = {
      {"bom.cfg", [](const TAnalyzerSettings& s) { EXPECT_EQ(s.processing.fftSize, 1024); }},
      {"crlf.cfg",
       [](const TAnalyzerSettings& s) {
         EXPECT_EQ(s.processing.fftSize, 2048);
         EXPECT_EQ(s.processing.format.channels, 2);
         EXPECT_EQ(s.opMode, kModePostProcessing);
       }},
      {"cr-only.cfg",
       [](const TAnalyzerSettings& s) {
         EXPECT_EQ(s.processing.fftSize, 512);
         EXPECT_EQ(s.processing.format.channels, 2);
       }},
      {"nul-bytes.cfg",
       [](const TAnalyzerSettings& s) {
         EXPECT_EQ(s.processing.fftSize, 8192);
         EXPECT_EQ(s.opMode, kModeRealTime);  // "[Mo" is not "[Mode]"
         EXPECT_EQ(s.trigger.thresholdPct, 0);
       }},
      {"long-line.cfg",
       [](const TAnalyzerSettings& s) {
         EXPECT_EQ(s.processing.fftSize, 256);
         EXPECT_EQ(FieldText(s.calibration.labelLinear), std::string(59, 'A'));
       }},
      {"duplicate-keys.cfg",
       [](const TAnalyzerSettings& s) {
         EXPECT_EQ(s.processing.fftSize, 1024);
         EXPECT_EQ(s.processing.peakHold, 1);
       }},
      {"nan-inf-huge.cfg",
       [](const TAnalyzerSettings& s) {
         EXPECT_EQ(s.calibration.refLevel, 0.0f);
         EXPECT_EQ(s.calibration.pctFullScaleLeft, 0.0f);
         EXPECT_EQ(s.calibration.pctFullScaleRight, 0.0f);
         EXPECT_EQ(s.calibration.calRatioLeft, 0.0f);
         EXPECT_EQ(s.calibration.calRatioRight, 0.0f);
         EXPECT_EQ(s.processing.fftSize, 4096);
         EXPECT_EQ(s.processing.decimationRatio, 1);
         EXPECT_EQ(s.processing.averageBlocks, 1);
         EXPECT_EQ(s.trigger.delayMsec, 0.0f);
         EXPECT_EQ(s.trigger.thresholdPct, INT32_MIN);
         EXPECT_EQ(s.spectrumPlot.stopFreqHz, 0.0f);
         EXPECT_EQ(s.spectrumPlot.rpm, 0.0f);
       }},
      {"empty.cfg", [](const TAnalyzerSettings& s) { EXPECT_EQ(s.processing.fftSize, 4096); }},
      {"no-sections.cfg",
       [](const TAnalyzerSettings& s) {
         EXPECT_EQ(s.processing.fftSize, 4096);
         EXPECT_EQ(s.opMode, kModeRealTime);
       }},
      {"unterminated-section.cfg",
       [](const TAnalyzerSettings& s) {
         EXPECT_EQ(s.processing.fftSize, 1024);
         EXPECT_EQ(s.opMode, kModePostProcessing);
       }},
      {"utf16.cfg", [](const TAnalyzerSettings& s) { EXPECT_EQ(s.processing.fftSize, 4096); }},
      {"comma-decimal.cfg",
       [](const TAnalyzerSettings& s) {
         EXPECT_EQ(s.calibration.refLevel, 94.0f);
         EXPECT_EQ(s.calibration.calRatioLeft, 1.234f);
       }},
      {"whitespace.cfg", [](const TAnalyzerSettings& s) { EXPECT_EQ(s.processing.fftSize, 1024); }},
      {"negative-colours.cfg",
       [](const TAnalyzerSettings& s) {
         EXPECT_EQ(s.spectrumPlot.lineColor, 0xFFFFFFFFu);
         EXPECT_EQ(s.spectrumPlot.gridColor, 0x7FFFFFFFu);
         EXPECT_EQ(s.reverb.barColor, 0u);
       }},
      {"injected-lines.cfg",
       [](const TAnalyzerSettings& s) {
         EXPECT_EQ(s.logging.logFileName, "log.txt");
         EXPECT_EQ(s.paths.folders[0], "/mine/wave");
         EXPECT_EQ(s.fileIo.waveFileMode, 1);
       }},
  };
  for (const auto& [name, check] : checks) {
    SCOPED_TRACE(name);
    TAnalyzerSettings s;
    s.paths.folders[0] = "/mine/wave";
    const std::string path = std::string(ORVANIX_TEST_DATA_DIR "/ini-malformed/") + name;
    ASSERT_EQ(LoadConfigurationFile(path, s), ProfileLoad::kLoaded);
    check(s);
  }
}

// ---- the configuration report -----------------------------------------------------------

TEST(ConfigurationReport, StereoConfiguration) {
  TAnalyzerSettings s;
  s.opMode = kModeRecorder;
  ProcessingSettings& p = s.processing;
  p.format.Set(2, 48000, 3);
  p.fftSize = 8192;
  p.decimationRatio = 2;
  p.averageType = kAverageLinear;
  p.averageBlocks = 10;
  p.peakHold = 1;
  p.overlapPercent = 50;
  p.channelProcessing = kComplexTransferLR;
  p.delayChannel = 1;
  p.delayTimeMsec = 12.0f;
  p.excludeOverloaded = 1;
  s.scaling.ampScale = 1;
  s.scaling.freqScale = 2;
  s.scaling.octaveNumber = 3;
  s.scaling.spectralDensity = 1;
  s.scaling.weighting = 1;
  s.scaling.micCompensation = 1;
  s.scaling.micFileLeft = "/mic/left.mic";
  s.scaling.micFileRight = "/mic/right.mic";
  s.trigger = {1, 0, 1, 40, 1, 2.5f, 1, 1};
  s.calibration.enabled = 1;
  SetField(s.calibration.fileName, "/cal/ref.cal");
  s.viewStatus.open = {};
  for (int window : {0, 1, 3, 5, 6, 9, 16, 17}) s.viewStatus.open[window] = 1;
  TReportContext context;
  context.waveFilePath = "/rec/take1.wav";
  context.inputDeviceName = "Loopback";
  context.generatorSignalName = "Multiple Tones";

  const std::vector<std::string> expected = {
      "MODE:\tRecorder",
      "WAVE FILE:\t/rec/take1.wav",
      "PROCESSING SETTINGS",
      "\tSampling Rate:\t48000 Hz",
      "\tSampling Precision:\t24 bits",
      "\tChannels:\t2",
      "\tFFT size:\t8192 pts",
      "\tDecimation Ratio:\t2",
      "\tAveraging Type:\tLinear",
      "\tAveraging Block Size:\t10",
      "\tSmoothing Window:\t" + TSmoothing::TypeName(kWindowHanning),
      "\tPeak Hold Status:\tOn",
      "\tOverlap Percentage:\t50",
      "\tChannel Processing:\tComplex Transfer Function (Left / Right)",
      "\tDelay Channel:\tRight",
      "\tDelay time\t12 milliseconds",
      "\tOverload Detection:\tOn",
      "\tExclude Overloaded data:\tYes",
      "SCALING",
      "\tAmplitude Axis:\tLogarithmic",
      "\tFrequency Axis:\t1/3 Octave",
      "\tPower Spectral Density:\tEnabled",
      "\tSpectral Weighting:\tA",
      "\tMicrophone Compensation - left:\t/mic/left.mic",
      "\tMicrophone Compensation - right:\t/mic/right.mic",
      "TRIGGERING",
      "\tTrigger Status:\tEnabled",
      "\tRearm after trigger:\tDisabled",
      "\tSource Channel:\tRight",
      "\tTrigger Type:\tEdge",
      "\tTrigger Slope:\tNegative",
      "\tThreshold:\t40 percent",
      "\tDelay Type:\tPost-Trigger",
      "\tDelay Time:\t2.5 milliseconds",
      "\tCalibration File:\t/cal/ref.cal",
      "\tInput Device:\tLoopback",
      "\tOutput Device:\tNone",
      "ACTIVE VIEWS",
      "\tTime Series",
      "\tSpectrum",
      "\tSpectrogram",
      "ACTIVE UTILITIES",
      "\tTotal Harmonic Distortion (THD)",
      "\tSignal to Noise Ratio (SNR)",
      "\tDelay Finder",
      "\tSignal Generator\tMultiple Tones",
  };
  EXPECT_EQ(ConfigurationReportLines(s, context), expected);
  EXPECT_EQ(TSmoothing::TypeName(kWindowHanning).empty(), false);
}

TEST(ConfigurationReport, MonoConfiguration) {
  TAnalyzerSettings s;                          // defaults: Real-Time, mono, spectrum view open
  s.processing.channelProcessing = kCoherence;  // stored, but mono runs the left channel
  s.processing.overloadDetection = 0;
  s.scaling.micCompensation = 1;
  s.scaling.micFileLeft = "/mic/m.mic";
  s.scaling.micFileRight = "/mic/unused.mic";
  TReportContext context;
  context.inputDeviceName = "Built-in Audio";
  context.outputDeviceName = "Built-in Audio";

  const std::vector<std::string> expected = {
      "MODE:\tReal-Time",
      "PROCESSING SETTINGS",
      "\tSampling Rate:\t44100 Hz",
      "\tSampling Precision:\t16 bits",
      "\tChannels:\t1",
      "\tFFT size:\t4096 pts",
      "\tDecimation Ratio:\t1",
      "\tAveraging Type:\tExponential",
      "\tAveraging Block Size:\t1",
      "\tSmoothing Window:\t" + TSmoothing::TypeName(kWindowHanning),
      "\tPeak Hold Status:\tOff",
      "\tOverlap Percentage:\t0",
      "\tChannel Processing:\tLeft channel only",
      "\tOverload Detection:\tOff",
      "SCALING",
      "\tAmplitude Axis:\tLogarithmic",
      "\tFrequency Axis:\tLogarithmic",
      "\tPower Spectral Density:\tDisabled",
      "\tSpectral Weighting:\tFlat",
      "\tMicrophone Compensation - left:\t/mic/m.mic",
      "TRIGGERING",
      "\tTrigger Status:\tDisabled",
      "\tRearm after trigger:\tEnabled",
      "\tSource Channel:\tLeft",
      "\tTrigger Type:\tLevel",
      "\tTrigger Slope:\tPositive",
      "\tThreshold:\t25 percent",
      "\tDelay Type:\tPre-Trigger",
      "\tDelay Time:\t0.0 milliseconds",
      "\tCalibration Status:\tDisabled",
      "\tInput Device:\tBuilt-in Audio",
      "\tOutput Device:\tBuilt-in Audio",
      "ACTIVE VIEWS",
      "\tSpectrum",
      "ACTIVE UTILITIES",
  };
  EXPECT_EQ(ConfigurationReportLines(s, context), expected);
}

TEST(ConfigurationReport, PostProcessingModeLine) {
  TAnalyzerSettings s;
  s.opMode = kModePostProcessing;
  EXPECT_EQ(ConfigurationReportLines(s).front(), "MODE:\tPost-Processing");
}

}  // namespace
}  // namespace orvanix
