// TWaveData in memory: buffers, channel and block access, samples, measurements, triggers and
// the growth of a RAM recording.
#include "files/WaveData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/Messages.h"
#include "files/WaveTexts.h"

namespace orvanix {
namespace {

std::vector<uint8_t> Encode(const std::vector<int32_t>& samples, uint32_t bytes) {
  std::vector<uint8_t> out(samples.size() * bytes);
  for (size_t i = 0; i < samples.size(); ++i) EncodeSample(&out[i * bytes], bytes, samples[i]);
  return out;
}

std::vector<int32_t> Decode(const std::vector<uint8_t>& bytes, uint32_t width) {
  std::vector<int32_t> out(bytes.size() / width);
  for (size_t i = 0; i < out.size(); ++i) out[i] = DecodeSample(&bytes[i * width], width, 0);
  return out;
}

TEST(WaveDataTest, NewBuffersHoldSilenceOfTheirFormat) {
  TWaveData byte8(100, MakeWaveFormat(2, 8000, 1));
  ASSERT_FALSE(byte8.Error());
  EXPECT_EQ(byte8.BufferBytes(), 200u);
  EXPECT_EQ(byte8.Length(), 100u);
  EXPECT_EQ(byte8.ValidLength(), 0u);
  for (uint64_t i = 0; i < byte8.BufferBytes(); ++i) ASSERT_EQ(byte8.Memory()[i], 127) << i;
  EXPECT_EQ(byte8.GetSample(5, 1, false), 127.f);
  EXPECT_EQ(byte8.GetSample(5, 1, true), 0.f);

  TWaveData byte24(10, MakeWaveFormat(1, 48000, 3));
  for (uint64_t i = 0; i < byte24.BufferBytes(); ++i) ASSERT_EQ(byte24.Memory()[i], 0);

  TWaveData plain;  // the default block buffer: 44100 Hz mono 16-bit, no memory
  EXPECT_EQ(plain.Format().sampleRate, 44100u);
  EXPECT_EQ(plain.Format().channels, 1);
  EXPECT_EQ(plain.Format().bytesPerSample, 2);
  EXPECT_EQ(plain.Memory(), nullptr);
}

TEST(WaveDataTest, EmptyBufferRefusesEveryRead) {
  TWaveData empty(0, MakeWaveFormat(1, 44100, 2));
  EXPECT_FALSE(empty.Error());
  EXPECT_EQ(empty.Memory(), nullptr);
  uint8_t buffer[8] = {};
  EXPECT_FALSE(empty.ReadBlock(buffer, sizeof buffer));
  EXPECT_FALSE(empty.ReadChannel(buffer, 0, 1, 0));
  EXPECT_FALSE(empty.WriteBlock(buffer, 2));
  EXPECT_EQ(empty.GetSample(0, 0, false), 0.f);
  EXPECT_FALSE(empty.PutSample(1, 0, 0));
}

TEST(WaveDataTest, ChannelWritesLeaveTheOtherChannelAlone) {
  TWaveData wave(6, MakeWaveFormat(2, 44100, 2));
  const std::vector<int32_t> left = {1, -2, 3, -4, 5, -6};
  const std::vector<int32_t> right = {100, 200, 300, 400, 500, 600};
  ASSERT_TRUE(wave.WriteChannel(Encode(right, 2).data(), 0, 6, 1));
  ASSERT_TRUE(wave.WriteChannel(Encode(left, 2).data(), 0, 6, 0));
  std::vector<uint8_t> got(12);
  ASSERT_TRUE(wave.ReadChannel(got.data(), 0, 6, 0));
  EXPECT_EQ(Decode(got, 2), left);
  ASSERT_TRUE(wave.ReadChannel(got.data(), 0, 6, 1));
  EXPECT_EQ(Decode(got, 2), right);
  EXPECT_EQ(wave.GetSample(3, 0, false), -4.f);
  EXPECT_EQ(wave.GetSample(3, 1, false), 400.f);
  // Interleaving: frame 1 is left -2 then right 200.
  EXPECT_EQ(Decode(std::vector<uint8_t>(wave.Memory() + 4, wave.Memory() + 8), 2),
            (std::vector<int32_t>{-2, 200}));

  // Writes are clipped to the length.
  EXPECT_FALSE(wave.WriteChannel(Encode({7, 8, 9}, 2).data(), 4, 3, 0));
  EXPECT_EQ(wave.GetSample(5, 0, false), 8.f);
}

TEST(WaveDataTest, ChannelReadsRefuseTooMuchAndPadShortReadsWithSilence) {
  TWaveData wave(4, MakeWaveFormat(1, 8000, 1));
  for (uint32_t i = 0; i < 4; ++i) ASSERT_TRUE(wave.PutSample(static_cast<int32_t>(200 + i), i, 0));
  std::vector<uint8_t> dest(5, 0xEE);
  EXPECT_FALSE(wave.ReadChannel(dest.data(), 0, 5, 0));  // more than the length
  EXPECT_EQ(dest[0], 0xEE);
  dest.assign(3, 0xEE);
  EXPECT_FALSE(wave.ReadChannel(dest.data(), 2, 3, 1));  // channel 1 of mono is channel 0
  EXPECT_EQ(dest, (std::vector<uint8_t>{202, 203, 127}));
}

TEST(WaveDataTest, BlockReadsAdvanceAndStopOneFrameBeforeTheEnd) {
  TWaveData wave(10, MakeWaveFormat(1, 8000, 2));
  std::vector<int32_t> ramp;
  for (int i = 0; i < 10; ++i) ramp.push_back(i * 10);
  ASSERT_TRUE(wave.WriteBlock(Encode(ramp, 2).data(), 20));
  EXPECT_EQ(wave.Position(), 10u);
  EXPECT_EQ(wave.ValidLength(), 10u);
  wave.Rewind();
  std::vector<uint8_t> block(8);
  uint32_t frames = 0;
  ASSERT_TRUE(wave.ReadBlock(block.data(), 8, &frames));
  EXPECT_EQ(frames, 4u);
  EXPECT_EQ(Decode(block, 2), (std::vector<int32_t>{0, 10, 20, 30}));
  EXPECT_EQ(wave.Position(), 4u);
  ASSERT_TRUE(wave.Seek(7));
  ASSERT_TRUE(wave.ReadBlock(block.data(), 8, &frames));  // 3 frames left: a short read
  EXPECT_EQ(frames, 3u);
  EXPECT_EQ(Decode(block, 2), (std::vector<int32_t>{70, 80, 90, 0}));
  EXPECT_EQ(wave.Position(), 9u);
  EXPECT_FALSE(wave.ReadBlock(block.data(), 8));  // at length - 1

  EXPECT_FALSE(wave.Seek(11));
  EXPECT_TRUE(wave.Seek(10));
  wave.Rewind();
  wave.Advance(100);
  EXPECT_EQ(wave.Position(), 9u);
  wave.SeekToEnd();
  EXPECT_EQ(wave.Position(), 10u);
}

TEST(WaveDataTest, BlockWritesMustFitTheCapacityAndBeWholeFrames) {
  TWaveData wave(4, MakeWaveFormat(2, 8000, 3));
  std::vector<uint8_t> frames(5 * 6, 1);
  EXPECT_FALSE(wave.WriteBlock(frames.data(), 5 * 6));
  EXPECT_EQ(wave.ValidLength(), 0u);
  EXPECT_FALSE(wave.WriteBlock(frames.data(), 7));
  ASSERT_TRUE(wave.Seek(2));
  EXPECT_TRUE(wave.WriteBlock(frames.data(), 12));
  EXPECT_EQ(wave.ValidLength(), 4u);
  EXPECT_TRUE(wave.Modified());
}

TEST(WaveDataTest, ScaledSamplesFollowTheFullScaleValues) {
  TWaveData wave(3, MakeWaveFormat(2, 8000, 2));
  ASSERT_TRUE(wave.PutSample(32767, 0, 0));
  ASSERT_TRUE(wave.PutSample(-16384, 0, 1));
  EXPECT_FLOAT_EQ(wave.GetSample(0, 0, true), 1.0f);
  wave.SetFullScale(2.5f, 0.f);  // 0 stands for 2.0
  EXPECT_FLOAT_EQ(wave.GetSample(0, 0, true), 2.5f);
  EXPECT_FLOAT_EQ(wave.GetSample(0, 1, true), -16384.f * 2.f / 32767.f);
  EXPECT_FLOAT_EQ(wave.FullScaleValue(1), 2.f);

  TWaveData byte8(1, MakeWaveFormat(1, 8000, 1));
  ASSERT_TRUE(byte8.PutSample(255, 0, 0));
  EXPECT_FLOAT_EQ(byte8.GetSample(0, 0, true), 128.f / 127.5f);
}

TEST(WaveDataTest, PutSampleRefusesValuesTheWidthCannotHold) {
  TWaveData byte8(2, MakeWaveFormat(1, 8000, 1));
  EXPECT_FALSE(byte8.PutSample(256, 0, 0));
  EXPECT_FALSE(byte8.PutSample(-1, 0, 0));
  EXPECT_TRUE(byte8.PutSample(0, 1, 0));
  EXPECT_EQ(byte8.Position(), 2u);
  EXPECT_EQ(byte8.ValidLength(), 2u);
  TWaveData word(2, MakeWaveFormat(1, 8000, 2));
  EXPECT_FALSE(word.PutSample(32768, 0, 0));
  EXPECT_TRUE(word.PutSample(-32768, 0, 0));
  TWaveData triple(2, MakeWaveFormat(1, 8000, 3));
  EXPECT_TRUE(triple.PutSample(-8388608, 0, 0));
  EXPECT_FALSE(triple.PutSample(8388608, 0, 0));
  EXPECT_EQ(triple.GetSample(0, 0, false), -8388608.f);
  EXPECT_FALSE(triple.PutSample(1, 2, 0));  // beyond the capacity
}

TEST(WaveDataTest, FillSilenceCoversExactlyTheRange) {
  TWaveData wave(9, MakeWaveFormat(2, 8000, 1));
  std::vector<uint8_t> ones(18, 1);
  ASSERT_TRUE(wave.WriteBlock(ones.data(), ones.size()));
  ASSERT_TRUE(wave.FillSilence(3, 6));  // odd start and end, both kept exact
  for (uint32_t f = 0; f < 9; ++f) {
    const float expected = (f >= 3 && f < 6) ? 127.f : 1.f;
    EXPECT_EQ(wave.GetSample(f, 0, false), expected) << f;
    EXPECT_EQ(wave.GetSample(f, 1, false), expected) << f;
  }
  EXPECT_TRUE(wave.FillSilence(8, 100));  // clamped to the length
  EXPECT_EQ(wave.GetSample(8, 1, false), 127.f);
}

TEST(WaveDataTest, ResizeKeepsSamplesAndAddsSilence) {
  TWaveData wave(2, MakeWaveFormat(1, 8000, 1));
  ASSERT_TRUE(wave.PutSample(9, 0, 0));
  ASSERT_TRUE(wave.PutSample(8, 1, 0));
  ASSERT_TRUE(wave.Resize(5));
  EXPECT_EQ(wave.Length(), 5u);
  EXPECT_EQ(wave.GetSample(1, 0, false), 8.f);
  EXPECT_EQ(wave.GetSample(4, 0, false), 127.f);
  ASSERT_TRUE(wave.Resize(1));
  EXPECT_EQ(wave.ValidLength(), 1u);
  EXPECT_EQ(wave.Position(), 1u);
  EXPECT_EQ(wave.GetSample(0, 0, false), 9.f);
}

TEST(WaveDataTest, MeasurementsOfASineMatchClosedForms) {
  TWaveData wave(6400, MakeWaveFormat(1, 6400, 2));
  const int32_t a = 16384;
  // Half a frame of phase keeps every sample off zero: 32 samples above it, 32 below.
  for (uint32_t i = 0; i < 6400; ++i) {
    wave.PutSample(static_cast<int32_t>(std::lround(a * std::sin(2 * M_PI * (i + 0.5) / 64.0))), i,
                   0);
  }
  const SampleExtremes raw = wave.MinMax(0, 6400, 0, false, false);
  EXPECT_EQ(raw.high, std::lround(a * std::sin(2 * M_PI * 15.5 / 64.0)));
  EXPECT_EQ(raw.low, -raw.high);
  const double scale = a / 32767.0;
  const SampleExtremes rms = wave.MinMax(0, 6400, 0, true, true);
  // Quantisation to integers moves the RMS by far less than one count.
  EXPECT_NEAR(rms.high, scale / std::sqrt(2.0), 1.0 / 32767);
  EXPECT_NEAR(rms.low, -scale / std::sqrt(2.0), 1.0 / 32767);
  EXPECT_NEAR(wave.MeanSquare(0, 6400, 0), scale * scale / 2, 1e-6);
  EXPECT_EQ(wave.MeanSquare(10, 10, 0), 0.0);
  const SampleExtremes none = wave.MinMax(5, 5, 0, true, false);
  EXPECT_EQ(none.high, 0.f);
  EXPECT_EQ(none.low, 0.f);
  // Ranges are clamped to the length.
  EXPECT_NEAR(wave.MeanSquare(0, 100000, 0), scale * scale / 2, 1e-6);
}

TEST(WaveDataTest, RawRmsIsMeasuredFromTheZeroValueOf8BitData) {
  TWaveData wave(4, MakeWaveFormat(1, 8000, 1));
  for (int32_t v : {137, 117, 137, 117}) ASSERT_TRUE(wave.PutSample(v, wave.Position(), 0));
  const SampleExtremes rms = wave.MinMax(0, 4, 0, false, true);
  EXPECT_FLOAT_EQ(rms.high, 10.f);
  EXPECT_FLOAT_EQ(rms.low, -10.f);
}

TEST(WaveDataTest, TriggerSearchLevelAndReversedSlopeSenses) {
  TWaveData wave(8, MakeWaveFormat(1, 8000, 2));
  // Threshold 10% of 32767 = 3276.7.
  const std::vector<int32_t> samples = {0, 500, 4000, 0, -4000, -8000, 0, 5000};
  ASSERT_TRUE(wave.WriteBlock(Encode(samples, 2).data(), 16));
  uint32_t at = 99;
  const WaveTrigger levelUp{kTriggerLevel, kSlopePositive, 10.f};
  ASSERT_TRUE(wave.FindTrigger(levelUp, 0, 8, 0, &at));
  EXPECT_EQ(at, 2u);
  const WaveTrigger levelDown{kTriggerLevel, kSlopeNegative, 10.f};
  ASSERT_TRUE(wave.FindTrigger(levelDown, 0, 8, 0, &at));
  EXPECT_EQ(at, 4u);
  // Positive slope fires on a fall of at least the threshold: 4000 -> 0 at frame 3.
  const WaveTrigger slopePositive{kTriggerEdge, kSlopePositive, 10.f};
  ASSERT_TRUE(wave.FindTrigger(slopePositive, 0, 8, 0, &at));
  EXPECT_EQ(at, 3u);
  // Negative slope fires on a rise: 500 -> 4000 at frame 2, or -8000 -> 0 from frame 5 on.
  const WaveTrigger slopeNegative{kTriggerEdge, kSlopeNegative, 10.f};
  ASSERT_TRUE(wave.FindTrigger(slopeNegative, 0, 8, 0, &at));
  EXPECT_EQ(at, 2u);
  ASSERT_TRUE(wave.FindTrigger(slopeNegative, 4, 8, 0, &at));
  EXPECT_EQ(at, 6u);
  EXPECT_FALSE(wave.FindTrigger(levelUp, 3, 7, 0));  // only within the range
  const WaveTrigger high{kTriggerLevel, kSlopePositive, 50.f};
  EXPECT_FALSE(wave.FindTrigger(high, 0, 8, 0));
}

TEST(WaveDataTest, NegativeLevelTriggerOn8BitDataMirrorsAboutTheZeroValue) {
  TWaveData wave(3, MakeWaveFormat(1, 8000, 1));
  for (int32_t v : {127, 100, 60}) ASSERT_TRUE(wave.PutSample(v, wave.Position(), 0));
  uint32_t at = 0;
  // 50% of (255 - 127) = 64 below 127: 63 or less.
  ASSERT_TRUE(wave.FindTrigger({kTriggerLevel, kSlopeNegative, 50.f}, 0, 3, 0, &at));
  EXPECT_EQ(at, 2u);
}

TEST(WaveDataTest, TimesAreFramesOverTheRate) {
  TWaveData wave(88200, MakeWaveFormat(1, 44100, 2));
  ASSERT_TRUE(wave.Seek(22050));
  EXPECT_DOUBLE_EQ(wave.PositionSeconds(), 0.5);
  EXPECT_DOUBLE_EQ(wave.LengthSeconds(), 2.0);
  EXPECT_DOUBLE_EQ(wave.ValidLengthSeconds(), 0.0);
}

class GrowthTest : public ::testing::Test {
 protected:
  ~GrowthTest() override { SetSampleMemoryLimitForTesting(0); }
  TRecordingSink sink_;
  TScopedMessageSink scope_{&sink_};
};

TEST_F(GrowthTest, GrowsBySixtySecondsWhenLessThanOneSecondIsLeft) {
  TWaveData wave(1500, MakeWaveFormat(1, 1000, 2));
  ASSERT_TRUE(wave.Seek(400));
  EXPECT_TRUE(wave.GrowForRecording());  // 1100 frames of room: nothing to do
  EXPECT_EQ(wave.CapacityFrames(), 1500u);
  ASSERT_TRUE(wave.Seek(600));
  EXPECT_TRUE(wave.GrowForRecording());
  EXPECT_EQ(wave.CapacityFrames(), 61500u);
}

TEST_F(GrowthTest, HalvesTheStepUntilTheMemoryIsThere) {
  TWaveData wave(1000, MakeWaveFormat(1, 1000, 2));
  wave.SeekToEnd();
  // 60 s, 30 s and 15 s fail; 7.5 s (7500 frames) fits.
  SetSampleMemoryLimitForTesting((1000 + 7500) * 2);
  EXPECT_TRUE(wave.GrowForRecording());
  EXPECT_EQ(wave.CapacityFrames(), 8500u);
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_F(GrowthTest, GivesUpAfterTheEleventhFailure) {
  TWaveData wave(1000, MakeWaveFormat(1, 1000, 2));
  ASSERT_TRUE(wave.PutSample(5, 999, 0));
  // The smallest step tried is 60000 / 2^10 = 58 frames; 50 frames of room are not enough.
  SetSampleMemoryLimitForTesting((1000 + 50) * 2);
  EXPECT_FALSE(wave.GrowForRecording());
  EXPECT_TRUE(sink_.Contains(kInsufficientMemory));
  EXPECT_EQ(wave.CapacityFrames(), 1000u);
  EXPECT_EQ(wave.GetSample(999, 0, false), 5.f);  // the recording so far is intact
}

}  // namespace
}  // namespace orvanix
