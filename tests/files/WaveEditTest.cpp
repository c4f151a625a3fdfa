// The segment edits on TWaveFile in RAM and disk mode: what each does to the samples, and
// that Undo Edit puts the document back byte for byte, its length included.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "TransferHelpers.h"
#include "files/DigitalFilter.h"
#include "files/EditTexts.h"
#include "files/WaveEdits.h"
#include "files/WaveFileFormat.h"

namespace orvanix {
namespace {

using test::Bytes;

class WaveEditTest : public ::testing::TestWithParam<StorageMode> {
 protected:
  std::unique_ptr<TWaveFile> Document(uint32_t frames, const WaveFormat& format,
                                      uint32_t seed = 1) {
    auto doc = test::MakeDocument(format, test::RandomFrames(frames, format, seed), GetParam(),
                                  scratch_.Path());
    EXPECT_TRUE(doc);
    return doc;
  }
  // A clip as the clipboard would bring it.
  std::unique_ptr<TWaveFile> Clip(uint32_t frames, const WaveFormat& format, uint32_t seed) {
    auto source = test::MakeDocument(format, test::RandomFrames(frames, format, seed),
                                     StorageMode::Ram, scratch_.Path());
    TWaveImage image;
    EXPECT_TRUE(MakeWaveImage(*source, 0, frames, image));
    return OpenWaveImage(image.bytes.get(), image.size, scratch_.Path(), StorageMode::Disk, false);
  }
  // The working file of a disk-mode document, byte for byte.
  Bytes Working(const TWaveFile& doc) {
    return doc.Mode() == StorageMode::Disk ? test::ReadAll(doc.WorkingPath()) : Bytes{};
  }
  // Undo, then the document must be what it was before the edit.
  void ExpectUndoRestores(TWaveFile& doc, const Bytes& frames, const Bytes& working,
                          uint32_t validLength) {
    ASSERT_TRUE(doc.UndoAvailable());
    const std::string undoFile = doc.UndoPath();
    ASSERT_TRUE(doc.ApplyUndo()) << (sink_.Entries().empty() ? "" : sink_.Entries()[0].text);
    EXPECT_FALSE(doc.UndoAvailable());
    EXPECT_TRUE(test::AllFrames(doc) == frames);
    EXPECT_EQ(doc.ValidLength(), validLength);
    EXPECT_TRUE(Working(doc) == working);
    if (!undoFile.empty()) EXPECT_FALSE(std::filesystem::exists(undoFile));
  }

  test::TScratch scratch_;
  TRecordingSink sink_;
  TScopedMessageSink scope_{&sink_};
};

TEST_P(WaveEditTest, CutRemovesTheSelectionAndUndoPutsItBack) {
  // 5 s at 8 kHz, stereo: cut 1.0 ... 2.0 s.
  const WaveFormat format = MakeWaveFormat(2, 8000, 2);
  auto doc = Document(40000, format);
  const Bytes before = test::AllFrames(*doc);
  const Bytes working = Working(*doc);
  doc->Seek(30000);
  const TFrameRange range = FramesOf(*doc, 1.0, 2.0);
  EXPECT_EQ(range.start, 8000u);
  EXPECT_EQ(range.end, 16000u);
  TWaveImage image;
  ASSERT_TRUE(CutSelection(*doc, range, image));
  EXPECT_DOUBLE_EQ(doc->LengthSeconds(), 4.0);
  EXPECT_EQ(doc->Position(), 30000u);
  const Bytes after = test::AllFrames(*doc);
  const size_t align = format.BlockAlign();
  EXPECT_TRUE(std::equal(after.begin(), after.begin() + 8000 * align, before.begin()));
  EXPECT_TRUE(
      std::equal(after.begin() + 8000 * align, after.end(), before.begin() + 16000 * align));
  // The clipboard image: our 44-byte header and the cut frames.
  ASSERT_EQ(image.size, kWaveHeaderBytes + 8000 * align);  // even: no pad byte
  uint8_t header[kWaveHeaderBytes];
  BuildWaveHeader(format, 8000 * align, header);
  EXPECT_EQ(std::memcmp(image.bytes.get(), header, sizeof header), 0);
  EXPECT_EQ(std::memcmp(image.bytes.get() + kWaveHeaderBytes, &before[8000 * align], 8000 * align),
            0);
  EXPECT_EQ(doc->UndoKind(), kUndoInsert);
  EXPECT_FLOAT_EQ(doc->UndoStartSeconds(), 1.f);
  ExpectUndoRestores(*doc, before, working, 40000);
  EXPECT_EQ(doc->Position(), 30000u);
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_P(WaveEditTest, EveryEditIsUndoneByteForByte) {
  // Sizes that cross the 4096-frame pieces and end in a partial one.
  for (const WaveFormat& format :
       {MakeWaveFormat(1, 11025, 1), MakeWaveFormat(2, 44100, 2), MakeWaveFormat(2, 48000, 3)}) {
    SCOPED_TRACE(format.bitsPerSample);
    const uint32_t length = 3 * kPieceFrames + 1234;
    const TFrameRange ranges[] = {{0, 5000}, {4095, 4097}, {100, length}, {length - 1, length}};
    for (const TFrameRange& range : ranges) {
      SCOPED_TRACE(testing::Message() << range.start << " ... " << range.end);
      for (int edit = 0; edit < 7; ++edit) {
        SCOPED_TRACE(edit);
        auto doc = Document(length, format, edit + 1);
        const Bytes before = test::AllFrames(*doc);
        const Bytes working = Working(*doc);
        auto clip = Clip(4097 + 11 * edit, format, 99);
        ASSERT_TRUE(clip);
        TWaveImage image;
        switch (edit) {
          case 0:
            ASSERT_TRUE(CutSelection(*doc, range, image));
            EXPECT_EQ(doc->Length(), length - range.Count());
            break;
          case 1:
            ASSERT_TRUE(PasteInsert(*doc, *clip, range.start));
            EXPECT_EQ(doc->Length(), length + clip->Length());
            break;
          case 2:  // past the end when the range starts late: the document grows
            ASSERT_TRUE(PasteOver(*doc, *clip, range.start));
            EXPECT_EQ(doc->Length(), std::max(length, range.start + clip->Length()));
            break;
          case 3:
            ASSERT_TRUE(MuteSelection(*doc, range));
            EXPECT_EQ(doc->GetSample(range.start, 0, false), format.zeroValue);
            break;
          case 4: {
            TGainJob gain(*doc, range, -6.0, 3.0);
            ASSERT_TRUE(RunToEnd(gain));
            break;
          }
          case 5: {
            TFilterSettings settings;
            settings.type = kBandPass;
            TFilterJob filter(*doc, range, settings);
            ASSERT_TRUE(RunToEnd(filter));
            break;
          }
          case 6:
            ASSERT_TRUE(PasteInsert(*doc, *clip, length));  // at the end
            break;
        }
        EXPECT_FALSE(test::AllFrames(*doc) == before);
        ExpectUndoRestores(*doc, before, working, length);
      }
    }
  }
  EXPECT_TRUE(sink_.Entries().empty()) << sink_.Entries()[0].text;
}

TEST_P(WaveEditTest, PasteOfAnotherFormatIsRefusedAndChangesNothing) {
  auto doc = Document(44100, MakeWaveFormat(1, 44100, 2));
  const Bytes before = test::AllFrames(*doc);
  auto clip = Clip(2000, MakeWaveFormat(1, 22050, 2), 4);
  EXPECT_FALSE(PasteInsert(*doc, *clip, 100));
  EXPECT_FALSE(PasteOver(*doc, *clip, 100));
  ASSERT_EQ(sink_.Entries().size(), 2u);
  EXPECT_EQ(sink_.Entries()[0].text, kDifferingFormats);
  EXPECT_TRUE(test::AllFrames(*doc) == before);
  EXPECT_FALSE(doc->UndoAvailable());
}

TEST_P(WaveEditTest, GainScalesHoldsTheRangeAndStopsOnEsc) {
  const WaveFormat format = MakeWaveFormat(2, 8000, 2);
  Bytes frames(20000 * 4);
  for (uint32_t i = 0; i < 20000; ++i) {
    EncodeSample(&frames[i * 4], 2, 1000);
    EncodeSample(&frames[i * 4 + 2], 2, -30000);
  }
  auto doc = test::MakeDocument(format, frames, GetParam(), scratch_.Path());
  // +6 dB doubles the left (10^0.3 = 1.995) and would wrap the right: it holds at -32767.
  TGainJob gain(*doc, TFrameRange{0, 20000}, 6.0, 6.0);
  ASSERT_TRUE(gain.Step());  // the undo data
  ASSERT_TRUE(gain.Step());  // the first 8192 frames
  EXPECT_EQ(gain.Percent(), 40);
  gain.Cancel();  // Esc
  EXPECT_FALSE(gain.Step());
  EXPECT_FALSE(gain.Failed());
  EXPECT_EQ(doc->GetSample(0, 0, false), 1995.f);
  EXPECT_EQ(doc->GetSample(8191, 1, false), -32767.f);
  EXPECT_EQ(doc->GetSample(8192, 0, false), 1000.f);  // left as it was
  EXPECT_EQ(doc->GetSample(19999, 1, false), -30000.f);
  EXPECT_TRUE(doc->UndoAvailable());
}

TEST_P(WaveEditTest, CancelledFilterIsUndoneAtOnce) {
  auto doc = Document(30000, MakeWaveFormat(1, 44100, 2));
  const Bytes before = test::AllFrames(*doc);
  TFilterSettings settings;
  settings.numTaps = 500;
  TFilterJob filter(*doc, TFrameRange{0, 30000}, settings);
  EXPECT_EQ(filter.StatusText(), kComputingCoefficients);
  ASSERT_TRUE(filter.Step());
  EXPECT_EQ(filter.Taps().size(), 199u);  // 500 taps are more than the filter takes
  EXPECT_EQ(filter.StatusText(), "Filtering time segment: 0.000 to 0.680");
  ASSERT_TRUE(filter.Step());
  EXPECT_FALSE(test::AllFrames(*doc) == before);
  filter.Cancel();
  EXPECT_TRUE(test::AllFrames(*doc) == before);
  EXPECT_FALSE(doc->UndoAvailable());
}

INSTANTIATE_TEST_SUITE_P(Storage, WaveEditTest,
                         ::testing::Values(StorageMode::Ram, StorageMode::Disk),
                         [](const auto& info) {
                           return info.param == StorageMode::Ram ? "Ram" : "Disk";
                         });

TEST(FilterDesignTest, TapsFollowTheComponentsAndTheirWindow) {
  TFilterSettings s;
  s.numTaps = 10;
  EXPECT_EQ(FilterCoefficients(s, 22050).size(), 39u);
  s.numTaps = 81;
  // A low pass at a quarter of Nyquist: tap M = 0.25 x the window's middle (1), tap M + k
  // = sin(k pi / 4) / (k pi) x w[M + k]; the taps are symmetric and sum to about 1 (DC
  // passes).
  s.type = kLowPass;
  s.lpCutoffHz = 5512;
  const std::vector<float> lp = FilterCoefficients(s, 22050);
  ASSERT_EQ(lp.size(), 81u);
  EXPECT_NEAR(lp[40], 5512.0 / 22050, 1e-6);
  for (int k = 1; k <= 40; ++k) EXPECT_FLOAT_EQ(lp[40 + k], lp[40 - k]);
  double sum = 0;
  for (float t : lp) sum += t;
  EXPECT_NEAR(sum, 1.0, 0.01);
  // A high pass alternates the sign of a low pass of the complementary width, and blocks DC.
  s.type = kHighPass;
  s.hpCutoffHz = 22050 - 5512;
  const std::vector<float> hp = FilterCoefficients(s, 22050);
  for (int k = 0; k <= 40; ++k) EXPECT_NEAR(hp[40 + k], (k % 2 ? -1 : 1) * lp[40 + k], 1e-6);
  // A notch passes DC; a band pass blocks it.
  s.type = kNotch;
  sum = 0;
  for (float t : FilterCoefficients(s, 22050)) sum += t;
  EXPECT_NEAR(sum, 1.0, 0.02);
  s.type = kBandPass;
  sum = 0;
  for (float t : FilterCoefficients(s, 22050)) sum += t;
  EXPECT_NEAR(sum, 0.0, 0.02);
}

}  // namespace
}  // namespace orvanix
