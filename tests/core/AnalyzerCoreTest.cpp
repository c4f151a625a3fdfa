// The analyzer core: modes and their prompts, command enabling, start-up, the run through
// the core, listeners and their order, the consumer rule, the status.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <string>
#include <vector>

#include "app/core/AnalyzerCore.h"
#include "app/core/CoreTexts.h"
#include "engine/ProcessingStep.h"
#include "files/WaveFile.h"
#include "tests/core/CoreTestSupport.h"

namespace orvanix {
namespace {

class AnalyzerCoreTest : public test::CoreFixture {};

// Writes its name into a shared log on every block.
class TLoggingObserver : public TAnalyzerObserver {
 public:
  TLoggingObserver(std::string name, std::vector<std::string>& log)
      : name_(std::move(name)), log_(log) {}
  void BlockProcessed(double) override { log_.push_back(name_); }

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

TEST_F(AnalyzerCoreTest, PostProcessingAFileEndToEnd) {
  const std::string path = ToneFile("tones.wav", 44100);
  ASSERT_TRUE(core_->OpenWave(path));
  // Opening by path leaves Real-Time mode and takes the file's format.
  EXPECT_EQ(core_->Mode(), kModePostProcessing);
  EXPECT_EQ(core_->Settings().processing.format.channels, 2);
  EXPECT_EQ(core_->Settings().processing.channelProcessing, kBothChannels);
  EXPECT_EQ(core_->FrameTitle(), std::string(kProgramTitle) + " [" + path + "]");

  core_->SetHeadlessConsumer(true);
  ASSERT_TRUE(core_->Start());
  ASSERT_TRUE(core_->WaitUntilStopped(20000));
  // FFT 4096 without overlap: (44100 - 4096) / 4096 + 1 blocks.
  EXPECT_EQ(core_->BlockCount(), 10u);
  const TEngineObjects& engine = core_->Engine();
  EXPECT_NEAR(engine.left->PeakFrequency(), 1000.0, engine.left->BinWidth());
  EXPECT_NEAR(engine.right->PeakFrequency(), 3000.0, engine.right->BinWidth());
  // Logarithmic amplitude: half full scale is -6 dB, a tenth -20 dB (Hanning scalloping
  // takes at most 1.5 dB off a tone between bins).
  EXPECT_NEAR(engine.left->Value(engine.left->PeakBin()), -6.0, 1.5);
  EXPECT_NEAR(engine.right->Value(engine.right->PeakBin()), -20.0, 1.5);
  EXPECT_EQ(core_->Document()->Position(), core_->Document()->Length());
}

TEST_F(AnalyzerCoreTest, ChoosingTheCurrentModeDoesNothingNotEvenAStop) {
  ASSERT_TRUE(core_->OpenWave(ToneFile("a.wav", 44100 * 3)));
  ASSERT_TRUE(core_->Start());  // the event loop is not running: the run stays at its start
  ASSERT_TRUE(core_->IsRunning());
  EXPECT_TRUE(core_->SetMode(kModePostProcessing));
  EXPECT_TRUE(core_->IsRunning());
  EXPECT_TRUE(core_->Execute(kCmdModePostProcess));
  EXPECT_TRUE(core_->IsRunning());
  core_->Stop();
}

TEST_F(AnalyzerCoreTest, LeavingRealTimeOffersTheHistoryAsADocument) {
  UseLoopback();
  FeedTone(440.0, 0.3);
  core_->ChangeSettings(
      [](TAnalyzerSettings& s) {
        s.processing.format = MakeWaveFormat(1, 8000, 2);
        s.processing.fftSize = 1024;
        s.fileIo.waveFileMode = 0;
        s.fileIo.realTimeWaveBufferEnable = 1;
      },
      SettingsOrigin::Dialog);
  ASSERT_EQ(core_->Mode(), kModeRealTime);
  ASSERT_TRUE(core_->Start());
  test::RunEvents(1200);
  core_->Stop();
  ASSERT_TRUE(core_->HasDocument());
  const uint32_t frames = core_->Document()->Length();
  EXPECT_GT(frames, 8000u);

  sink_.QueueAnswer(MessageAnswer::Yes);
  ASSERT_TRUE(core_->SetMode(kModePostProcessing));
  EXPECT_TRUE(sink_.Contains(kMsgConvertHistory));
  ASSERT_TRUE(core_->HasDocument());
  EXPECT_EQ(core_->DocumentName(), kTitleUntitled);
  EXPECT_EQ(core_->Document()->Length(), frames);
  EXPECT_EQ(core_->Document()->Position(), 0u);
  EXPECT_TRUE(core_->IsEnabled(kCmdSave));

  // Back to Real-Time: the untitled document asks to be saved; Cancel keeps everything.
  sink_.QueueAnswer(MessageAnswer::Cancel);
  EXPECT_FALSE(core_->SetMode(kModeRealTime));
  EXPECT_EQ(core_->Mode(), kModePostProcessing);
  EXPECT_TRUE(core_->HasDocument());

  // Answering No to the history question drops it.
  sink_.QueueAnswer(MessageAnswer::No);
  ASSERT_TRUE(core_->SetMode(kModeRealTime));
  EXPECT_FALSE(core_->HasDocument());
  ASSERT_TRUE(core_->Start());
  test::RunEvents(600);
  core_->Stop();
  ASSERT_TRUE(core_->HasDocument());
  sink_.QueueAnswer(MessageAnswer::No);
  ASSERT_TRUE(core_->SetMode(kModeRecorder));
  EXPECT_FALSE(core_->HasDocument());
  EXPECT_EQ(core_->Mode(), kModeRecorder);
}

TEST_F(AnalyzerCoreTest, CommandsAreEnabledByModeAndDocument) {
  // Real-Time, no document.
  EXPECT_FALSE(core_->IsEnabled(kCmdNew));
  EXPECT_TRUE(core_->IsEnabled(kCmdOpen));
  EXPECT_FALSE(core_->IsEnabled(kCmdClose));
  EXPECT_TRUE(core_->IsEnabled(kCmdDelete));
  EXPECT_FALSE(core_->IsEnabled(kCmdImport));
  EXPECT_TRUE(core_->IsEnabled(kCmdSingleStep));
  EXPECT_FALSE(core_->IsEnabled(kCmdPlayDocument));
  EXPECT_TRUE(core_->IsChecked(kCmdModeRealTime));
  EXPECT_FALSE(core_->IsChecked(kCmdModeRecorder));
  EXPECT_FALSE(core_->Execute(kCmdNew));

  // Post-Processing without a document: nothing to run.
  ASSERT_TRUE(core_->SetMode(kModePostProcessing));
  EXPECT_TRUE(core_->IsEnabled(kCmdNew));
  EXPECT_TRUE(core_->IsEnabled(kCmdImport));
  EXPECT_TRUE(core_->IsEnabled(kCmdMerge));
  EXPECT_FALSE(core_->IsEnabled(kCmdSave));
  EXPECT_FALSE(core_->IsEnabled(kCmdRun));
  EXPECT_FALSE(core_->IsEnabled(kCmdSingleStep));
  EXPECT_FALSE(core_->IsEnabled(kCmdRewind));

  // With a document.
  ASSERT_TRUE(core_->OpenWaveCommand(ToneFile("b.wav", 20000)));
  for (int32_t command : {kCmdClose, kCmdSave, kCmdSaveAs, kCmdExport, kCmdDecimate, kCmdRun,
                          kCmdSingleStep, kCmdRewind}) {
    EXPECT_TRUE(core_->IsEnabled(command)) << command;
  }
  for (int32_t command : {kCmdDelete, kCmdImport, kCmdMerge, kCmdUndoEdit, kCmdStop}) {
    EXPECT_FALSE(core_->IsEnabled(command)) << command;
  }
  EXPECT_TRUE(core_->IsEnabled(kCmdHistory1));
  EXPECT_FALSE(core_->IsEnabled(kCmdHistory2));
  // Select All needs a view that shows time as well.
  EXPECT_FALSE(core_->IsEnabled(kCmdSelectAll));
  TAnalyzerObserver series;
  core_->AttachWindow(kWindowTimeSeries, &series);
  EXPECT_TRUE(core_->IsEnabled(kCmdSelectAll));
  EXPECT_TRUE(core_->IsChecked(kCmdViewTimeSeries));
  EXPECT_FALSE(core_->IsChecked(kCmdViewSpectrum));
  // Edit commands follow the active view's selection.
  TUiContext ui;
  ui.activeWindow = kWindowTimeSeries;
  ui.activeViewHasSelection = true;
  core_->SetUiContext(ui);
  EXPECT_TRUE(core_->IsEnabled(kCmdCut));
  ui.activeViewHasSelection = false;
  core_->SetUiContext(ui);
  EXPECT_FALSE(core_->IsEnabled(kCmdCut));
  core_->AttachWindow(kWindowTimeSeries, nullptr);

  // Recorder with the document: it can be played.
  ASSERT_TRUE(core_->SetMode(kModeRecorder));
  EXPECT_TRUE(core_->IsEnabled(kCmdPlayDocument));
  EXPECT_TRUE(core_->IsChecked(kCmdModeRecorder));
  EXPECT_FALSE(core_->IsEnabled(kCmdSingleStep));
}

TEST_F(AnalyzerCoreTest, TransportCommandsWhileARunIsGoing) {
  UseLoopback();
  FeedTone(440.0, 0.3);
  // Real-Time running: no single step, no second start.
  ASSERT_TRUE(core_->Start());
  ASSERT_EQ(core_->State(), kStateRunning);
  EXPECT_FALSE(core_->IsEnabled(kCmdSingleStep));
  EXPECT_FALSE(core_->IsEnabled(kCmdRun));
  EXPECT_TRUE(core_->IsEnabled(kCmdStop));
  EXPECT_FALSE(core_->Execute(kCmdSingleStep));
  EXPECT_EQ(core_->State(), kStateRunning);
  core_->Stop();

  // Recording into a document that could otherwise be played: Play is not offered, and
  // choosing it anyway leaves the recording going.
  ASSERT_TRUE(core_->SetMode(kModeRecorder));
  ASSERT_TRUE(core_->OpenWave(ToneFile("r.wav", 20000)));
  ASSERT_TRUE(core_->IsEnabled(kCmdPlayDocument));
  ASSERT_TRUE(core_->Start());
  ASSERT_EQ(core_->State(), kStateRecording);
  EXPECT_FALSE(core_->IsEnabled(kCmdPlayDocument));
  EXPECT_FALSE(core_->IsEnabled(kCmdRun));
  EXPECT_TRUE(core_->IsEnabled(kCmdStop));
  EXPECT_FALSE(core_->Execute(kCmdPlayDocument));
  EXPECT_FALSE(core_->Execute(kCmdRun));
  EXPECT_EQ(core_->State(), kStateRecording);
  core_->Stop();

  // Playing: neither record nor play again until it stops.
  ASSERT_TRUE(core_->Execute(kCmdPlayDocument));
  ASSERT_EQ(core_->State(), kStatePlaying);
  EXPECT_FALSE(core_->IsEnabled(kCmdPlayDocument));
  EXPECT_FALSE(core_->IsEnabled(kCmdRun));
  EXPECT_FALSE(core_->Execute(kCmdRun));
  EXPECT_EQ(core_->State(), kStatePlaying);
  EXPECT_TRUE(core_->Execute(kCmdStop));
  EXPECT_EQ(core_->State(), kStateStopped);
  EXPECT_TRUE(core_->IsEnabled(kCmdPlayDocument));
}

TEST_F(AnalyzerCoreTest, StartUpOpensTheArgumentOrTheLastFile) {
  const std::string wave = ToneFile("start.wav", 20000);
  core_->StartUp(wave);
  EXPECT_EQ(core_->Mode(), kModePostProcessing);
  ASSERT_TRUE(core_->HasDocument());
  EXPECT_EQ(core_->Document()->TargetPath(), wave);

  // A configuration saved with FFT 8192 and no open file.
  ASSERT_TRUE(core_->CloseDocument());
  core_->ChangeSettings([](TAnalyzerSettings& s) { s.processing.fftSize = 8192; },
                        SettingsOrigin::Dialog);
  const std::string config = scratch_.File("setup.cfg");
  ASSERT_TRUE(core_->SaveConfiguration(config));

  // A new program whose settings file names a file to reopen: with the .cfg argument that
  // file stays closed and the configuration is in force.
  {
    TProfile program;
    program.WriteString(kSectionFileHistory, kKeyOpenFileName, wave);
    ASSERT_TRUE(program.Save(options_.programSettingsPath));
  }
  options_.loadProgramSettings = true;
  MakeCore();
  ASSERT_EQ(core_->Settings().fileHistory.openFileName, wave);
  ASSERT_EQ(core_->Settings().processing.fftSize, 4096);
  core_->StartUp(config);
  EXPECT_EQ(core_->Settings().processing.fftSize, 8192);
  EXPECT_EQ(core_->Engine().settings.fftSize, 8192);
  EXPECT_FALSE(core_->HasDocument());

  // Without an argument the file of `OpenFileName` is opened.
  MakeCore();
  core_->StartUp("");
  ASSERT_TRUE(core_->HasDocument());
  EXPECT_EQ(core_->Document()->TargetPath(), wave);
}

// A settings file the program refused at start-up (here: too large) is not overwritten at
// exit: it is kept under another name and the current settings go into a new file.
TEST_F(AnalyzerCoreTest, ARefusedSettingsFileIsKeptAtExit) {
  const std::string path = options_.programSettingsPath;
  const std::string original = std::string(17 * 1024 * 1024, 'x');
  {
    std::ofstream out(path, std::ios::binary);
    out << original;
  }
  options_.loadProgramSettings = true;
  options_.saveProgramSettings = true;
  MakeCore();
  core_->Shutdown();

  std::ifstream kept(path + ".refused", std::ios::binary);
  ASSERT_TRUE(kept.good()) << "the refused file was not kept";
  const std::string keptText((std::istreambuf_iterator<char>(kept)), {});
  EXPECT_EQ(keptText.size(), original.size());
  TProfile fresh;
  EXPECT_EQ(fresh.Load(path), ProfileLoad::kLoaded);
  EXPECT_TRUE(fresh.HasSection(kSectionFileHistory));
}

// A settings change that does not shape the engine (markers here) keeps the spectra and
// their averages; a processing change rebuilds and clears them.
TEST_F(AnalyzerCoreTest, OnlyEngineSettingsRebuildTheSpectra) {
  ASSERT_TRUE(core_->OpenWave(ToneFile("keep.wav", 44100)));
  core_->SetHeadlessConsumer(true);
  ASSERT_TRUE(core_->Start());
  ASSERT_TRUE(core_->WaitUntilStopped(20000));
  const TSpectralData* before = core_->Engine().left.get();
  const uint32_t averaged = before->AverageCount();
  ASSERT_GT(averaged, 0u);

  ASSERT_TRUE(core_->ChangeSettings([](TAnalyzerSettings& s) { s.markers.enable[0] = 1; },
                                    SettingsOrigin::Dialog));
  EXPECT_EQ(core_->Engine().left.get(), before);
  EXPECT_EQ(core_->Engine().left->AverageCount(), averaged);

  ASSERT_TRUE(core_->ChangeSettings([](TAnalyzerSettings& s) { s.processing.fftSize = 2048; },
                                    SettingsOrigin::Dialog));
  EXPECT_EQ(core_->Engine().left->FftSize(), 2048u);
  EXPECT_EQ(core_->Engine().left->AverageCount(), 0u);
}

TEST_F(AnalyzerCoreTest, ListenersAreToldInTheirOrderAndSpectraNeedAConsumer) {
  std::vector<std::string> log;
  TLoggingObserver spectrum("spectrum", log), spectrogram("spectrogram", log),
      series("series", log), thd("thd", log), delay("delay", log), logger("logger", log),
      automation("automation", log), frame("frame", log);
  core_->AddObserver(&frame, kRoleFrame);
  core_->AddObserver(&automation, kRoleAutomation);
  core_->AttachWindow(kWindowDelayFinder, &delay);
  core_->AttachWindow(kWindowThd, &thd);
  core_->AttachWindow(kWindowTimeSeries, &series);
  core_->AttachWindow(kWindowSpectrum, &spectrum);
  core_->AttachWindow(kWindowSpectrogram, &spectrogram);
  core_->AddObserver(&logger, kRoleDataLogger);
  ASSERT_TRUE(core_->OpenWave(ToneFile("c.wav", 4096)));
  ASSERT_TRUE(core_->SingleStep());
  ASSERT_TRUE(core_->WaitUntilStopped(5000));
  EXPECT_EQ(log, (std::vector<std::string>{"spectrogram", "series", "spectrum", "logger", "thd",
                                           "delay", "automation", "frame"}));
  EXPECT_EQ(core_->Engine().left->AverageCount(), 1u);
  EXPECT_EQ(core_->Settings().viewStatus.open[kWindowSpectrum], 1);

  // Only a time series open: the blocks are announced, no spectrum is computed.
  for (TAnalyzerObserver* o : std::initializer_list<TAnalyzerObserver*>{
           &spectrum, &spectrogram, &thd, &delay, &logger, &automation}) {
    core_->RemoveObserver(o);
  }
  EXPECT_EQ(core_->Settings().viewStatus.open[kWindowSpectrum], 0);
  log.clear();
  ASSERT_TRUE(core_->Rewind());
  ASSERT_TRUE(core_->Start());
  ASSERT_TRUE(core_->WaitUntilStopped(5000));
  EXPECT_EQ(log, (std::vector<std::string>{"series", "frame"}));
  EXPECT_EQ(core_->Engine().left->AverageCount(), 0u);
}

TEST_F(AnalyzerCoreTest, SettingsFromOutsideRestartARunningAnalysis) {
  UseLoopback();
  FeedTone(1000.0, 0.5);
  core_->SetHeadlessConsumer(true);
  ASSERT_TRUE(core_->Start());
  test::RunEvents(300);
  ASSERT_TRUE(core_->IsRunning());
  core_->ChangeSettings([](TAnalyzerSettings& s) { s.processing.fftSize = 2048; },
                        SettingsOrigin::Outside);
  EXPECT_TRUE(core_->IsRunning());
  EXPECT_EQ(core_->Engine().settings.fftSize, 2048);
  ASSERT_TRUE(test::RunEvents(5000, [&] { return core_->BlockCount() >= 2; }));
  core_->Stop();
  EXPECT_NEAR(core_->Engine().left->PeakFrequency(), 1000.0, core_->Engine().left->BinWidth());

  // A dialog's change leaves the analyzer stopped (the dialog stopped it).
  core_->ChangeSettings([](TAnalyzerSettings& s) { s.processing.fftSize = 1024; },
                        SettingsOrigin::Dialog);
  EXPECT_FALSE(core_->IsRunning());
  EXPECT_EQ(core_->Engine().settings.fftSize, 1024);
}

TEST_F(AnalyzerCoreTest, StatusShowsStateModeAndFormat) {
  TStatusInfo s = core_->Status();
  EXPECT_EQ(s.stateText, kTextStopped);
  EXPECT_EQ(s.modeText, kTextModeRealTime);
  EXPECT_EQ(s.rateText, "44100 Hz");
  EXPECT_EQ(s.bitsText, "16 Bit");
  EXPECT_EQ(s.channelsText, "Mono");
  EXPECT_EQ(s.fftText, "FFT 4096 pts");
  EXPECT_EQ(s.windowText, TSmoothing::TypeName(kWindowHanning));

  UseLoopback();
  ASSERT_TRUE(core_->Start());
  s = core_->Status();
  EXPECT_EQ(s.stateText, kTextAcquiring);
  EXPECT_EQ(s.runStateText, kTextRunning);
  core_->Stop();

  core_->ChangeSettings([](TAnalyzerSettings& s) { s.trigger.enable = 1; }, SettingsOrigin::Dialog);
  ASSERT_TRUE(core_->Start());
  s = core_->Status();
  EXPECT_EQ(s.field, TStatusInfo::StateField::WaitingForTrigger);
  EXPECT_EQ(s.stateText, kTextWaitingForTrigger);
  EXPECT_TRUE(s.stateRed);
  core_->Stop();
}

}  // namespace
}  // namespace orvanix
