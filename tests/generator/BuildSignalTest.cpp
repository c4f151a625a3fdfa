// BuildSignal's own rules: the output format (the generator's rate, the User Defined
// file's format), the one-second rule and the buffer length, the bound on long signals,
// memory failure, and values from configuration files that no dialog checked.
#include "generator/GeneratorTestSupport.h"
#include "generator/GeneratorTexts.h"
#include "generator/NaturalLength.h"

namespace orvanix::test {
namespace {

TEST(BuildTest, OneSecondRuleMakesWholePeriodsOfAtLeastASecond) {
  EXPECT_EQ(OneSecondRule(0, 48000), 48000);
  EXPECT_EQ(OneSecondRule(-5, 48000), 48000);
  EXPECT_EQ(OneSecondRule(44, 44100), 44 * 1003);
  EXPECT_EQ(OneSecondRule(3200, 8000), 9600);
  EXPECT_EQ(OneSecondRule(48000, 48000), 48000);  // not below the rate: stays
  EXPECT_EQ(OneSecondRule(48001, 48000), 48001);
  EXPECT_EQ(OneSecondRule(1, 44100), 44101);  // "longer than one second"
}

TEST(BuildTest, StereoBufferTakesTheLongerChannelMadeEven) {
  TGeneratorSettings g;
  g.left.type = kSignalSawtooth;
  g.left.sawtooth.freqHz = 999.0f;  // 44100 / 999 = 44 -> 44132
  g.right.type = kSignalSquare;
  g.right.square.freqHz = 441.0f;  // 100 -> 100 x 442 = 44200
  TBuildResult r = Build(g, 44100, 2);
  ASSERT_TRUE(r.buffer);
  EXPECT_EQ(r.lengths[0], 44132);
  EXPECT_EQ(r.lengths[1], 44200);
  EXPECT_EQ(r.buffer->CapacityFrames(), 44200u);
  // Mono: the right record is not used.
  r = Build(g, 44100, 1);
  EXPECT_EQ(r.buffer->CapacityFrames(), 44132u);
  // An odd length grows by one: 1001 ms at 8001 Hz is 8009 samples.
  g.left.type = kSignalLevelSweep;
  g.left.levelSweep.timeMsec = 1001;
  r = Build(g, 8001, 1);
  EXPECT_EQ(r.natural[0], 8009);
  EXPECT_EQ(r.buffer->CapacityFrames(), 8010u);
}

TEST(BuildTest, GeneratorRateOverridesTheAnalyzersAndWidthsFollowTheAnalyzer) {
  TGeneratorSettings g = Settings(kSignalTone1k);
  g.samplingRateHz = 32000;
  TBuildResult r = Build(g, 48000, 2, 3);
  ASSERT_TRUE(r.buffer);
  EXPECT_EQ(r.format.sampleRate, 32000u);
  EXPECT_EQ(r.format.channels, 2u);
  EXPECT_EQ(r.format.bytesPerSample, 3u);
  EXPECT_EQ(r.buffer->CapacityFrames(), 320000u);
  const std::vector<double> x = Channel(*r.buffer);
  EXPECT_NEAR(Db(Amplitude(x, 1000.0, 32000.0) / (0.99 * 8388607.0)), 0.0, 0.001);
  // A rate no sound device takes is not the generator's: the analyzer's applies.
  g.samplingRateHz = 5;
  EXPECT_EQ(Build(g, 48000).format.sampleRate, 48000u);
}

TEST(BuildTest, LevelFactorsOutsideTheUnitRangePlayFullScale) {
  TGeneratorSettings g = Settings(kSignalTone1k);
  g.level.outputUnits = 1;     // percent
  g.level.outputLevel = 0.0f;  // factor 0: only a configuration file gets here
  std::vector<double> x = Channel(*Build(g, 8000).buffer);
  EXPECT_NEAR(Amplitude(x, 1000.0, 8000.0), 0.99 * 32767.0, 1.0);
  g.level.outputLevel = 250.0f;  // factor 2.5
  x = Channel(*Build(g, 8000).buffer);
  EXPECT_NEAR(Amplitude(x, 1000.0, 8000.0), 0.99 * 32767.0, 1.0);
  g.level.outputUnits = 2;  // volts with no full scale: FS becomes 1 V and is kept
  g.level.outputLevel = 0.5f;
  g.level.fsLevelVolts = 0.0f;
  TBuildRequest request;
  request.settings = &g;
  request.analyzerFormat = MakeWaveFormat(1, 8000, 2);
  request.noise = &Noise();
  x = Channel(*BuildSignalBuffer(request).buffer);
  EXPECT_FLOAT_EQ(g.level.fsLevelVolts, 1.0f);
  EXPECT_NEAR(Amplitude(x, 1000.0, 8000.0), 0.5 * 0.99 * 32767.0, 1.0);
}

TEST(BuildTest, SignalsLongerThanTheBoundAreRefusedBeforeAnyMemoryIsTaken) {
  TGeneratorSettings g = Settings(kSignalDtmf);
  g.left.dtmf = {std::string(100, '5'), 10000, 10000, 0.0f, 0};  // 2000 s, dialog-valid
  TBuildResult r = Build(g, 192000, 2, 3);
  EXPECT_FALSE(r.buffer);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0], Format(gentext::kSignalTooLong, "DTMF", 2000.0, kMaxSignalSeconds));
  // The longest sweep the dialog accepts fits: 600 s.
  g = Settings(kSignalFreqSweep);
  g.left.freqSweep.timeMsec = 600000;
  EXPECT_EQ(NaturalLength(g.left, 192000, nullptr, 0), 115200000);
  // Values no dialog accepts do not overflow: a cycle of 2^31 ms, a tiny frequency.
  g = Settings(kSignalToneBurst);
  g.left.toneBurst = {1000, 1, 2147483647};
  r = Build(g, 48000);
  EXPECT_FALSE(r.buffer);
  EXPECT_EQ(r.messages.size(), 1u);
  g = Settings(kSignalSawtooth);
  g.left.sawtooth.freqHz = 1e-30f;
  EXPECT_FALSE(Build(g, 48000).buffer);
}

TEST(BuildTest, AllocationFailureLeavesNoBufferAndSaysSo) {
  SetSampleMemoryLimitForTesting(1000);
  const TBuildResult r = Build(Settings(kSignalTone1k), 48000);
  SetSampleMemoryLimitForTesting(0);
  EXPECT_FALSE(r.buffer);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0], kInsufficientMemory);
}

TEST(BuildTest, ParametersWithoutACycleGiveASilentChannel) {
  // Configuration values that would divide by zero: each leaves its channel at the zero
  // value.
  std::vector<TGeneratorSettings> cases;
  TGeneratorSettings g = Settings(kSignalSawtooth);
  g.left.sawtooth.freqHz = 0.0f;
  cases.push_back(g);
  g = Settings(kSignalTriangular);
  g.left.triangular.freqHz = 30000.0f;  // a period of one sample has no half
  cases.push_back(g);
  g = Settings(kSignalSquare);
  g.left.square.freqHz = -5.0f;
  cases.push_back(g);
  g = Settings(kSignalPulse);
  g.left.pulse.repIntervalUsec = 0;
  cases.push_back(g);
  g = Settings(kSignalNoiseBurst);
  g.left.noiseBurst.cycleTimeMsec = -10;
  cases.push_back(g);
  g = Settings(kSignalToneBurst);
  g.left.toneBurst.cycleTimeMsec = 0;
  cases.push_back(g);
  g = Settings(kSignalFreqSweep);
  g.left.freqSweep.timeMsec = 0;
  cases.push_back(g);
  g = Settings(kSignalLevelSweep);
  g.left.levelSweep.timeMsec = -1;
  cases.push_back(g);
  g = Settings(kSignalDtmf);
  g.left.dtmf.keyString.clear();
  cases.push_back(g);
  g = Settings(99);  // no such type
  cases.push_back(g);
  for (const TGeneratorSettings& c : cases) {
    const TBuildResult r = Build(c, 48000);
    ASSERT_TRUE(r.buffer) << c.left.type;
    // A second long; the triangle's one-sample period makes it 48001 frames, made even.
    EXPECT_EQ(r.buffer->CapacityFrames(), c.left.type == kSignalTriangular ? 48002u : 48000u)
        << c.left.type;
    for (double v : Channel(*r.buffer)) ASSERT_EQ(v, 0.0) << c.left.type;
    EXPECT_TRUE(r.messages.empty());
  }
}

class UserDefinedTest : public ::testing::Test {
 protected:
  TScratch scratch_;
};

TEST_F(UserDefinedTest, FileFormatTakesOverAndSamplesLoopScaled) {
  const std::string path = scratch_.File("user.wav");
  // 8-bit, 22050 Hz, 300 frames of a ramp.
  WritePcm(path, 22050, 1, 1, 300,
           [](uint32_t i, uint32_t) { return static_cast<int32_t>(i % 256); });
  TGeneratorSettings g = Settings(kSignalUserDefined);
  g.left.userDefined.waveFileName = path;
  g.level.outputLevel = -6.0f;
  const TBuildResult r = Build(g, 48000, 1, 2);
  ASSERT_TRUE(r.buffer);
  EXPECT_TRUE(r.messages.empty());
  EXPECT_EQ(r.format.sampleRate, 22050u);
  EXPECT_EQ(r.format.bytesPerSample, 1u);
  EXPECT_EQ(r.buffer->CapacityFrames(), 300u * (22050u / 300u + 1u));
  const uint8_t* p = r.buffer->Memory();
  const double f = std::pow(10.0, -6.0 / 20.0);
  for (uint32_t i = 0; i < r.buffer->CapacityFrames(); ++i) {
    const int32_t s = static_cast<int32_t>((i % 300) % 256);
    ASSERT_EQ(p[i], 127 + static_cast<int>((s - 127) * f)) << i;
  }
}

TEST_F(UserDefinedTest, TwoFilesTakeTheLargerRateAndWidth) {
  const std::string a = scratch_.File("a.wav"), b = scratch_.File("b.wav");
  WritePcm(a, 22050, 1, 1, 100, [](uint32_t, uint32_t) { return 255; });
  WritePcm(b, 32000, 2, 2, 100, [](uint32_t, uint32_t c) { return c ? -1000 : 1000; });
  TGeneratorSettings g;
  g.left.type = g.right.type = kSignalUserDefined;
  g.left.userDefined.waveFileName = a;
  g.right.userDefined.waveFileName = b;
  const TBuildResult r = Build(g, 8000, 2, 1);
  ASSERT_TRUE(r.buffer);
  EXPECT_EQ(r.format.sampleRate, 32000u);
  EXPECT_EQ(r.format.bytesPerSample, 2u);
  const std::vector<double> left = Channel(*r.buffer, 0), right = Channel(*r.buffer, 1);
  // The 8-bit file's full scale (255 - 127 = 128 counts) is the 16-bit full scale.
  EXPECT_EQ(left[0], std::trunc(128.0 * 32767.0 / 128.0));
  EXPECT_EQ(right[0], -1000.0);  // the right channel of the stereo file
}

TEST_F(UserDefinedTest, MissingMalformedOrForeignFilesGiveAMessageAndASilentChannel) {
  const std::string garbage = scratch_.File("garbage.wav");
  FILE* f = std::fopen(garbage.c_str(), "wb");
  std::fputs("RIFF\x10\0\0\0WAVEjunk", f);
  std::fclose(f);
  const std::string floats = std::string(ORVANIX_TEST_DATA_DIR) + "/wav-malformed/float-tag.wav";
  const std::string truncated =
      std::string(ORVANIX_TEST_DATA_DIR) + "/wav-malformed/truncated-in-fmt.wav";
  for (const std::string& path :
       {scratch_.File("missing.wav"), garbage, floats, truncated, scratch_.Path(), std::string()}) {
    TGeneratorSettings g;
    g.left.type = kSignalUserDefined;
    g.left.userDefined.waveFileName = path;
    g.right.type = kSignalTone1k;
    const TBuildResult r = Build(g, 16000, 2);
    ASSERT_TRUE(r.buffer) << path;
    ASSERT_EQ(r.messages.size(), 1u) << path;
    EXPECT_EQ(r.messages[0].rfind(Format(gentext::kUserFileFailed, path.c_str()), 0), 0u)
        << r.messages[0];
    EXPECT_EQ(r.format.sampleRate, 16000u);
    for (double v : Channel(*r.buffer, 0)) ASSERT_EQ(v, 0.0) << path;
    EXPECT_GT(Amplitude(Channel(*r.buffer, 1), 1000.0, 16000.0), 30000.0);  // the other plays
  }
}

}  // namespace
}  // namespace orvanix::test
