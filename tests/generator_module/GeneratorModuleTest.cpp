// The generator on the analyzer core: its settings lifecycle, Save Signal, the operations
// automation uses, rebuilding on settings changes, and playback on the Loopback device while
// the analyzer measures what arrives: the level in the spectrum and the THD.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "acquisition/SoundOutput.h"
#include "acquisition/SoundTexts.h"
#include "app/core/CoreModule.h"
#include "engine/SpectralData.h"
#include "files/ConfigTexts.h"
#include "files/ConfigurationGenerator.h"
#include "files/Profile.h"
#include "files/WaveData.h"
#include "files/WaveFile.h"
#include "generator/GeneratorModule.h"
#include "generator/GeneratorTexts.h"
#include "generator/SignalGenerator.h"
#include "generator/SignalTypes.h"
#include "measure/Measurements.h"
#include "tests/core/CoreTestSupport.h"

namespace orvanix::test {
namespace {

class GeneratorModuleTest : public CoreFixture {
 protected:
  void SetUp() override {
    CoreFixture::SetUp();
    core_->AddModule(std::make_unique<TGeneratorModule>(*core_));
    module_ = core_->FindModule<TGeneratorModule>(TGeneratorModule::kName);
    ASSERT_NE(module_, nullptr);
  }

  void SetFormat(uint32_t rate, uint32_t channels, int fft = 16384) {
    core_->ChangeSettings(
        [&](TAnalyzerSettings& s) {
          s.processing.format = MakeWaveFormat(channels, rate, 2);
          s.processing.fftSize = fft;
          s.processing.smoothingWindow = 2;  // Flat top
          s.processing.averageBlocks = 4;
          s.fileIo.realTimeWaveBufferEnable = 0;
        },
        SettingsOrigin::Dialog);
  }

  TSignalGenerator& Generator() { return *module_->Generator(); }

  // Whether a message beginning with `text` was shown.
  bool Shown(const std::string& text) const {
    return std::any_of(sink_.Entries().begin(), sink_.Entries().end(),
                       [&](const auto& e) { return e.text.rfind(text, 0) == 0; });
  }

  // THD from the averaged spectrum: harmonics 2 ... 9 against the fundamental, each the
  // power of the bins within 8 of its frequency (the flat-top window's main lobe).
  double ThdPercent(const TSpectralData& s, double hz) {
    auto power = [&](double f) {
      const uint32_t k = s.FrequencyBin(static_cast<float>(f));
      return static_cast<double>(s.BandPower(k - 8, k + 8, 0, false)) *
             s.BandPower(k - 8, k + 8, 0, false);
    };
    double harmonics = 0.0;
    for (int h = 2; h <= 9; ++h) harmonics += power(h * hz);
    return 100.0 * std::sqrt(harmonics / power(hz));
  }

  TGeneratorModule* module_ = nullptr;
};

TEST_F(GeneratorModuleTest, ReadsItsKeysWhenItOpensAndWritesThemWhenItCloses) {
  TProfile& program = core_->ProgramProfile();
  program.WriteString(kSectionGeneratorMain, "SigType", "9");
  program.WriteString("Sawtooth", "FreqHz", "500.0");
  program.WriteString(kSectionGeneratorLevel, "OutputLevel", "-12.0");
  EXPECT_FALSE(core_->IsEnabled(kCmdSaveSignal));
  module_->Open();
  ASSERT_TRUE(module_->IsOpen());
  EXPECT_TRUE(core_->IsEnabled(kCmdSaveSignal));
  EXPECT_EQ(module_->Settings().left.type, kSignalSawtooth);
  EXPECT_EQ(module_->Settings().left.sawtooth.freqHz, 500.0f);
  ASSERT_NE(Generator().Buffer(), nullptr);
  EXPECT_EQ(Generator().Buffer()->CapacityFrames(), 88u * (44100u / 88u + 1u));

  ASSERT_TRUE(Generator().SetSignalType("Noise", 0));
  EXPECT_EQ(module_->Settings().left.type, kSignalWhiteNoise);
  EXPECT_FALSE(Generator().SetSignalType("noise", 0));  // exact names only
  module_->Close();
  EXPECT_FALSE(module_->IsOpen());
  EXPECT_FALSE(core_->IsEnabled(kCmdSaveSignal));
  EXPECT_EQ(program.GetInt(kSectionGeneratorMain, "SigType", -1), kSignalWhiteNoise);
  EXPECT_EQ(program.GetFloat(kSectionGeneratorLevel, "OutputLevel", 0), -12.0f);
}

TEST_F(GeneratorModuleTest, ConfigurationsCarryTheGeneratorWhileItIsOpen) {
  const std::string path = scratch_.File("setup.cfg");
  module_->Open();
  Generator().SetTone(3000.0, -10.0, 0);
  ASSERT_TRUE(core_->SaveConfiguration(path));
  TProfile saved;
  saved.Load(path);
  EXPECT_EQ(saved.GetInt(kSectionGeneratorMain, "SigType", -1), kSignalMultipleTones);
  EXPECT_EQ(saved.GetFloat("Tones", "FreqHz0", 0), 3000.0f);
  EXPECT_EQ(saved.GetFloat("Tones", "PwrDB0", 0), -10.0f);

  // Loading a configuration with the generator open: the next open reads the file (the frame
  // closes the window and opens it again), not the program settings file.
  saved.WriteString(kSectionViewStatus, "SignalGenerator", "1");
  saved.WriteString("Tones", "FreqHz0", "1234.0");
  ASSERT_TRUE(saved.Save(path));
  module_->Close();
  ASSERT_TRUE(core_->LoadConfiguration(path));
  module_->Open();
  EXPECT_EQ(module_->Settings().left.tones.freqHz[0], 1234.0f);
  // Without the flag a configuration leaves the generator's keys alone.
  module_->Close();
  saved.WriteString(kSectionViewStatus, "SignalGenerator", "0");
  saved.WriteString("Tones", "FreqHz0", "777.0");
  ASSERT_TRUE(saved.Save(path));
  ASSERT_TRUE(core_->LoadConfiguration(path));
  module_->Open();
  EXPECT_EQ(module_->Settings().left.tones.freqHz[0], 1234.0f);
  // The configuration report names the signal of the open generator window.
  TAnalyzerObserver window;
  core_->AttachWindow(kWindowSignalGenerator, &window);
  const std::vector<std::string> report = core_->ConfigurationReport();
  EXPECT_NE(std::find(report.begin(), report.end(), "\tSignal Generator\tMultiple Tones"),
            report.end());
  core_->AttachWindow(kWindowSignalGenerator, nullptr);
  // Other subsystems read the live IMD settings; closed, the IMD window's default applies.
  EXPECT_EQ(module_->ImdHighToneHz(), 8020.0f);  // standard set 1
  module_->Close();
  EXPECT_EQ(module_->ImdHighToneHz(), 7000.0f);
}

TEST_F(GeneratorModuleTest, SetToneLimitsFrequencyAndLevel) {
  SetFormat(16000, 1);
  module_->Open();
  Generator().SetTone(12000.0, 6.0, 0);
  const TTonesParams& t = module_->Settings().left.tones;
  EXPECT_EQ(t.freqHz[0], 8000.0f);
  EXPECT_EQ(t.powerDb[0], 0.0f);
  EXPECT_EQ(t.enable[1], 0);
  Generator().SetTone(-5.0, -200.0, 1);
  EXPECT_EQ(module_->Settings().right.tones.freqHz[0], 0.0f);
  EXPECT_EQ(module_->Settings().right.tones.powerDb[0], -96.0f);
  EXPECT_EQ(module_->Settings().right.type, kSignalMultipleTones);
}

TEST_F(GeneratorModuleTest, SaveSignalWritesTheBufferAndRefusesTheOpenDocument) {
  module_->Open();
  Generator().SetSignalType("Square", 0);  // 2000 Hz at 44100: 22 x 2005 frames, saved once
  const std::string path = scratch_.File("square.wav");
  ASSERT_TRUE(module_->SaveSignalCommand(path));
  uint32_t rate = 0;
  EXPECT_EQ(ReadWave16(path, 0, &rate).size(), 22u * 2005u);
  EXPECT_EQ(rate, 44100u);

  // The analyzer's own document cannot be overwritten by the signal.
  ASSERT_TRUE(core_->OpenWave(path));
  const size_t before = ReadWave16(path, 0).size();
  Generator().SetSignalType("1 kHz Tone", 0);
  EXPECT_FALSE(module_->SaveSignalCommand(path));
  EXPECT_TRUE(sink_.Contains(Format(gentext::kFileInUse, path.c_str())));
  EXPECT_EQ(ReadWave16(path, 0).size(), before);
}

TEST_F(GeneratorModuleTest, AnalyzerFormatChangesRebuildTheBuffer) {
  SetFormat(44100, 1);
  module_->Open();
  EXPECT_EQ(Generator().OutputFormat().sampleRate, 44100u);
  SetFormat(48000, 2);
  // The rebuild runs from the event loop, once the change is complete.
  ASSERT_TRUE(RunEvents(2000, [&] { return Generator().OutputFormat().sampleRate == 48000; }));
  EXPECT_EQ(Generator().OutputFormat().channels, 2u);
  EXPECT_FALSE(Generator().NeedsRebuild());
}

TEST_F(GeneratorModuleTest, LoopbackToneReadsItsLevelAndLowThdInTheSpectrum) {
  UseLoopback();
  SetFormat(48000, 1);
  core_->SetHeadlessConsumer(true);
  TGeneratorSettings g;
  g.left.type = kSignalTone1k;
  g.level.outputLevel = -6.0f;  // dB Full Scale
  module_->Open(&g);
  ASSERT_TRUE(core_->Start());
  // The analyzer's start started the generator.
  EXPECT_TRUE(Generator().Playing());
  // Live blocks overlap, so eight of them may come from less than a second of signal: wait
  // for both.
  ASSERT_TRUE(RunEvents(15000, [&] {
    return core_->BlockCount() >= 8 && Generator().Output()->Position() > 48000u;
  }));
  const TSpectralData& spectrum = *core_->Engine().left;
  const uint32_t peak = spectrum.PeakBin();
  EXPECT_NEAR(spectrum.BinFrequency(peak), 1000.0, spectrum.BinWidth());
  // The common sample rule's 0.99: -6 dB plays at -6.087 dBFS. The flat-top window reads a
  // tone between bins within its 0.01 dB ripple.
  EXPECT_NEAR(spectrum.Value(peak), -6.0 + 20.0 * std::log10(0.99), 0.05);
  const double thd = ThdPercent(spectrum, 1000.0);
  EXPECT_LT(thd, 0.01);
  // What the THD window shows, from the measurements library.
  const float thdWindow = ComputeThd(&spectrum);
  EXPECT_LT(thdWindow, 0.01f);
  EXPECT_GT(thdWindow, 0.0f);  // a spectrum was measured, not the empty 0
  std::printf("Loopback 1 kHz at -6 dBFS: %.3f dB at %.2f Hz, THD %.5f %% (THD window %.5f %%)\n",
              spectrum.Value(peak), spectrum.BinFrequency(peak), thd, thdWindow);
  core_->Stop();
  EXPECT_FALSE(Generator().Playing());  // the analyzer's stop stopped it
  EXPECT_GT(Generator().Output()->Position(), 48000u);
}

TEST_F(GeneratorModuleTest, DeviceFailureStopsPlaybackWhileTheAnalyzerGoesOn) {
  UseLoopback();
  SetFormat(48000, 1, 4096);
  core_->SetHeadlessConsumer(true);
  module_->Open();
  ASSERT_TRUE(core_->Start());
  ASSERT_TRUE(Generator().Playing());
  RunEvents(200);
  Generator().Output()->DeviceFailed();  // as the device thread reports an unplugged device
  ASSERT_TRUE(RunEvents(2000, [&] { return !Generator().Playing(); }));
  EXPECT_TRUE(Shown(kSoundDeviceFailure));
  EXPECT_TRUE(core_->IsRunning());
  const uint64_t blocks = core_->BlockCount();
  ASSERT_TRUE(RunEvents(3000, [&] { return core_->BlockCount() > blocks + 2; }));
  core_->Stop();
}

TEST_F(GeneratorModuleTest, AFormatTheDeviceRefusesIsReportedAndNothingPlays) {
  UseLoopback();
  SetFormat(8000, 1, 1024);
  core_->SetHeadlessConsumer(true);
  // A User Defined file at 500 Hz lends its rate; no device takes it.
  const std::string path = scratch_.File("slow.wav");
  WriteWave16(path, 500, 1, 1000, [](uint32_t i, uint32_t) { return static_cast<int16_t>(i); });
  TGeneratorSettings g;
  g.left.type = kSignalUserDefined;
  g.left.userDefined.waveFileName = path;
  module_->Open(&g);
  EXPECT_EQ(Generator().OutputFormat().sampleRate, 500u);
  ASSERT_TRUE(core_->Start());
  EXPECT_FALSE(Generator().Playing());
  EXPECT_TRUE(Shown(kSoundFormatRefused));
  ASSERT_TRUE(RunEvents(3000, [&] { return core_->BlockCount() >= 2; }));
  EXPECT_TRUE(core_->IsRunning());
  core_->Stop();
}

TEST_F(GeneratorModuleTest, PlaysOnceTypesStopAfterOnePass) {
  UseLoopback();
  SetFormat(8000, 1, 1024);
  TGeneratorSettings g;
  g.left.type = kSignalDtmf;
  g.left.dtmf = {"1", 50, 50, 0.0f, 0};  // 800 samples, made a second long: 8800
  module_->Open(&g);
  ASSERT_EQ(Generator().Buffer()->CapacityFrames(), 8800u);
  ASSERT_TRUE(Generator().Start());
  ASSERT_TRUE(RunEvents(5000, [&] { return !Generator().Playing(); }));
  EXPECT_GE(Generator().Output()->Position(), 8800u);
  EXPECT_LT(Generator().Output()->Position(), 8800u + 8000u);

  g.left.dtmf.repeat = 1;  // looping: still playing after two buffers' time
  Generator().SetSettings(g);
  ASSERT_TRUE(Generator().Start());
  RunEvents(2500);
  EXPECT_TRUE(Generator().Playing());
  Generator().Stop();
}

}  // namespace
}  // namespace orvanix::test
