// Decimate and Merge: the files they make, their checks and their messages.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "TransferHelpers.h"
#include "engine/SeriesData.h"
#include "files/EditTexts.h"
#include "files/FileUtilities.h"

namespace orvanix {
namespace {

using test::Bytes;

class FileUtilitiesTest : public ::testing::Test {
 protected:
  // A mono file of `seconds` of a sine at `hz` (amplitude 10000), saved at `name`.
  std::string SineFile(const std::string& name, uint32_t rate, uint32_t bytes, double seconds,
                       double hz) {
    const WaveFormat format = MakeWaveFormat(1, rate, bytes);
    const uint32_t frames = static_cast<uint32_t>(rate * seconds);
    Bytes data(size_t{frames} * bytes);
    for (uint32_t i = 0; i < frames; ++i) {
      const double v =
          10000.0 * (bytes == 1 ? 0.01 : 1.0) * std::sin(2 * std::numbers::pi * hz * i / rate);
      EncodeSample(&data[size_t{i} * bytes], bytes,
                   static_cast<int32_t>(std::lround(v)) + format.zeroValue);
    }
    auto doc = test::MakeDocument(format, data, StorageMode::Ram, scratch_.Path());
    const std::string path = scratch_.File(name);
    doc->SetFileName(path);
    EXPECT_TRUE(doc->Save());
    return path;
  }

  test::TScratch scratch_;
  TRecordingSink sink_;
  TScopedMessageSink scope_{&sink_};
};

TEST_F(FileUtilitiesTest, MergeJoinsTwoMonoFilesToTheShorterLength) {
  const std::string left = SineFile("left.wav", 8000, 2, 10.0, 440);
  const std::string right = SineFile("right.wav", 8000, 2, 7.0, 1000);
  for (StorageMode mode : {StorageMode::Ram, StorageMode::Disk}) {
    TMergeJob merge(left, right, TWaveTarget{mode, true, scratch_.Path()});
    ASSERT_TRUE(RunToEnd(merge));
    auto doc = merge.TakeDocument();
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->Format().channels, 2u);
    EXPECT_DOUBLE_EQ(doc->LengthSeconds(), 7.0);
    EXPECT_TRUE(doc->Untitled());
    EXPECT_TRUE(doc->Modified());
    EXPECT_EQ(doc->Position(), 0u);
    TWaveFile l(left, StorageMode::Ram, false, scratch_.Path());
    TWaveFile r(right, StorageMode::Ram, false, scratch_.Path());
    for (uint32_t i : {0u, 1u, 16383u, 16384u, 55999u}) {
      EXPECT_EQ(doc->GetSample(i, 0, false), l.GetSample(i, 0, false)) << i;
      EXPECT_EQ(doc->GetSample(i, 1, false), r.GetSample(i, 0, false)) << i;
    }
  }
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_F(FileUtilitiesTest, MergeChecksItsSourcesInOrder) {
  const std::string mono = SineFile("mono.wav", 8000, 2, 0.5, 100);
  const std::string other = SineFile("other-rate.wav", 11025, 1, 0.5, 100);
  const std::string eight = SineFile("eight.wav", 8000, 1, 0.5, 100);
  TMergeJob stereoSource(mono, mono, TWaveTarget{StorageMode::Ram, false, scratch_.Path()});
  ASSERT_TRUE(RunToEnd(stereoSource));
  auto stereo = stereoSource.TakeDocument();
  stereo->SetFileName(scratch_.File("stereo.wav"));
  ASSERT_TRUE(stereo->Save());
  const struct {
    std::string left, right, message;
  } cases[] = {
      {mono, scratch_.File("missing.wav"),
       Format(kMergeInputFailure, scratch_.File("missing.wav").c_str())},
      {scratch_.File("stereo.wav"), other, kMergeNotMono},
      {mono, other, kMergeRates},
      {mono, eight, kMergePrecision},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    sink_.Clear();
    TMergeJob merge(c.left, c.right, TWaveTarget{StorageMode::Ram, false, scratch_.Path()});
    EXPECT_FALSE(RunToEnd(merge));
    EXPECT_FALSE(merge.TakeDocument());
    ASSERT_EQ(sink_.Entries().size(), 1u);
    EXPECT_EQ(sink_.Entries()[0].text, c.message);
  }
}

TEST_F(FileUtilitiesTest, DecimateWritesALowerRateCopy) {
  const std::string path = SineFile("tone.wav", 44100, 2, 2.0, 1000);
  TWaveFile doc(path, StorageMode::Disk, true, scratch_.Path());
  ASSERT_FALSE(doc.Error());
  const std::string out = scratch_.File("decimated.wav");
  TCalibration cal{};
  cal.enabled = 1;
  cal.calRatioLeft = 2.5f;
  TDecimateJob job(doc, 3, true, out, &cal, scratch_.Path());
  ASSERT_TRUE(RunToEnd(job));
  TWaveFile result(out, StorageMode::Ram, false, scratch_.Path());
  ASSERT_FALSE(result.Error());
  EXPECT_EQ(result.Format().sampleRate, 14700u);
  EXPECT_EQ(result.Length(), 88200u / 3);
  ASSERT_TRUE(result.HasCalibration());
  TCalibration read;
  result.GetCalibration(read);
  EXPECT_FLOAT_EQ(read.calRatioLeft, 2.5f);
  // Every kept sample is the block buffer's decimation of the same stretch.
  TSeriesData series(kTickFrames, doc.Format(), 3, true);
  ASSERT_TRUE(doc.ReadChannel(series.SampleAddress(0), 8190, kTickFrames + kDecimationTaps, 0));
  series.Decimate();
  for (uint32_t k = 0; k < 2730; k += 97) {
    EXPECT_EQ(result.GetSample(2730 + k, 0, false), series.GetRaw(k)) << k;
  }
  // The 1 kHz tone is still there at its level, a quarter period every 3.675 samples.
  EXPECT_NEAR(result.MinMax(1000, 20000, 0, false, false).high, 10000, 200);
  EXPECT_FALSE(doc.Modified());
  EXPECT_TRUE(sink_.Entries().empty());
}

}  // namespace
}  // namespace orvanix
