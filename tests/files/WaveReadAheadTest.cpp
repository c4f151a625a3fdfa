// The read-ahead buffer of disk-mode documents: pieces of a front-to-back read come from it
// byte for byte as the file holds them, and no write path leaves it showing old samples.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "TransferHelpers.h"
#include "files/DigitalFilter.h"
#include "files/ReadAhead.h"
#include "files/WaveEdits.h"
#include "files/WaveFileIo.h"

namespace orvanix {
namespace {

using test::Bytes;

TEST(ReadAheadTest, PiecesOfASequentialReadMatchTheFileAcrossBufferEnds) {
  test::TScratch scratch;
  const std::string path = scratch.File("data.bin");
  Bytes file(3 * TReadAhead::kBufferBytes + 777);
  for (size_t i = 0; i < file.size(); ++i) file[i] = static_cast<uint8_t>(i * 131 + (i >> 9));
  test::WriteAll(path, file.data(), file.size());
  const int fd = OpenRegularFile(path, O_RDONLY);
  ASSERT_GE(fd, 0);
  const uint64_t limit = file.size() - 100;  // the owner's end, short of the file's
  TReadAhead cache;
  Bytes piece(5000);
  size_t buffered = 0;
  // Odd piece sizes, so that pieces straddle every fill's end.
  uint64_t offset = 44;
  for (size_t size = 1; offset + size <= limit; offset += size, size = size % 4093 + 97) {
    ASSERT_TRUE(cache.Read(fd, offset, piece.data(), size, limit)) << offset;
    ASSERT_EQ(std::memcmp(piece.data(), &file[offset], size), 0) << offset << " " << size;
    buffered += cache.LastReadBuffered();
  }
  EXPECT_GT(buffered, 100u);
  // Overlapping blocks, as analysis with overlap reads them: each starts inside the last.
  buffered = 0;
  size_t blocks = 0;
  for (offset = 44; offset + 4096 <= limit; offset += 1536, ++blocks) {
    ASSERT_TRUE(cache.Read(fd, offset, piece.data(), 4096, limit)) << offset;
    ASSERT_EQ(std::memcmp(piece.data(), &file[offset], 4096), 0) << offset;
    buffered += cache.LastReadBuffered();
  }
  EXPECT_GT(buffered, blocks * 9 / 10);
  // A jump elsewhere reads the file itself, and right.
  ASSERT_TRUE(cache.Read(fd, 7, piece.data(), 300, limit));
  EXPECT_FALSE(cache.LastReadBuffered());
  EXPECT_EQ(std::memcmp(piece.data(), &file[7], 300), 0);
  // Reading past the limit is the caller's to refuse; the buffer never holds those bytes.
  ASSERT_TRUE(cache.Read(fd, 307, piece.data(), 300, limit));
  ASSERT_TRUE(cache.Read(fd, limit - 10, piece.data(), 60, limit));
  EXPECT_FALSE(cache.LastReadBuffered());
  EXPECT_EQ(std::memcmp(piece.data(), &file[limit - 10], 60), 0);
  ::close(fd);
}

// Every way a document's samples or size change, each after a full read has filled the
// buffer: the read that follows must show what the working file holds.
class ReadAheadWriteTest : public ::testing::Test {
 protected:
  static constexpr uint32_t kFrames = 3 * kPieceFrames + 1234;

  std::unique_ptr<TWaveFile> Document() {
    auto doc = test::MakeDocument(format_, test::RandomFrames(kFrames, format_, 5),
                                  StorageMode::Disk, scratch_.Path());
    EXPECT_TRUE(doc);
    return doc;
  }
  std::unique_ptr<TWaveFile> Clip() {
    auto source = test::MakeDocument(format_, test::RandomFrames(2000, format_, 9),
                                     StorageMode::Ram, scratch_.Path());
    TWaveImage image;
    EXPECT_TRUE(MakeWaveImage(*source, 0, 2000, image));
    return OpenWaveImage(image.bytes.get(), image.size, scratch_.Path(), StorageMode::Disk, false);
  }
  // The frames as the working file holds them.
  Bytes OnDisk(const TWaveFile& doc) {
    const Bytes all = test::ReadAll(doc.WorkingPath());
    const size_t from = doc.DataOffset();
    const size_t bytes = size_t{doc.Length()} * doc.BlockAlign();
    return from + bytes <= all.size() ? Bytes(all.begin() + from, all.begin() + from + bytes)
                                      : Bytes{};
  }
  void Check(const char* name, const std::function<void(TWaveFile&)>& write) {
    SCOPED_TRACE(name);
    auto doc = Document();
    ASSERT_TRUE(doc);
    const Bytes before = test::AllFrames(*doc);  // reads front to back: fills the buffer
    write(*doc);
    const Bytes after = test::AllFrames(*doc);
    EXPECT_FALSE(after == before);
    EXPECT_TRUE(after == OnDisk(*doc));
    // Read in whole pieces too, as the analysis does.
    Bytes blocks(after.size());
    doc->Rewind();
    ASSERT_TRUE(doc->ReadBlock(blocks.data(), 1000 * doc->BlockAlign()));
    ASSERT_TRUE(doc->ReadBlock(blocks.data() + 1000 * doc->BlockAlign(),
                               blocks.size() - 1000 * doc->BlockAlign()));
    EXPECT_TRUE(blocks == after);
  }

  WaveFormat format_ = MakeWaveFormat(2, 48000, 2);
  test::TScratch scratch_;
  TRecordingSink sink_;
  TScopedMessageSink scope_{&sink_};
};

TEST_F(ReadAheadWriteTest, RecordingAndSampleWritesShowAtOnce) {
  const Bytes other = test::RandomFrames(3000, format_, 77);
  Check("record over", [&](TWaveFile& doc) {
    ASSERT_TRUE(doc.Seek(100));
    ASSERT_TRUE(doc.WriteBlock(other.data(), other.size()));
  });
  Check("write frames",
        [&](TWaveFile& doc) { ASSERT_TRUE(doc.WriteFrames(5, 3000, other.data())); });
  Check("put sample", [&](TWaveFile& doc) {
    ASSERT_TRUE(doc.PutSample(doc.GetSample(500, 1, false) == 1234 ? 4321 : 1234, 500, 1));
  });
  Check("write channel",
        [&](TWaveFile& doc) { ASSERT_TRUE(doc.WriteChannel(other.data(), 10, 1500, 0)); });
  Check("fill silence", [&](TWaveFile& doc) { ASSERT_TRUE(doc.FillSilence(50, 9000)); });
}

TEST_F(ReadAheadWriteTest, EditsShowAtOnce) {
  Check("mute", [&](TWaveFile& doc) { ASSERT_TRUE(MuteSelection(doc, {20, 7000})); });
  Check("cut", [&](TWaveFile& doc) {
    TWaveImage image;
    ASSERT_TRUE(CutSelection(doc, {20, 7000}, image));
  });
  Check("paste insert", [&](TWaveFile& doc) {
    auto clip = Clip();
    ASSERT_TRUE(clip);
    ASSERT_TRUE(PasteInsert(doc, *clip, 300));
  });
  Check("paste over", [&](TWaveFile& doc) {
    auto clip = Clip();
    ASSERT_TRUE(clip);
    ASSERT_TRUE(PasteOver(doc, *clip, 300));
  });
  Check("gain", [&](TWaveFile& doc) {
    TGainJob gain(doc, {0, kFrames}, -6.0, 3.0);
    ASSERT_TRUE(RunToEnd(gain));
  });
  Check("filter", [&](TWaveFile& doc) {
    TFilterSettings settings;
    settings.type = kBandPass;
    TFilterJob filter(doc, {0, kFrames}, settings);
    ASSERT_TRUE(RunToEnd(filter));
  });
  Check("undo", [&](TWaveFile& doc) {
    ASSERT_TRUE(MuteSelection(doc, {20, 7000}));
    test::AllFrames(doc);  // the muted frames into the buffer, then undo under them
    ASSERT_TRUE(doc.ApplyUndo());
    ASSERT_TRUE(MuteSelection(doc, {7000, 7100}));
  });
  EXPECT_TRUE(sink_.Entries().empty()) << sink_.Entries()[0].text;
}

TEST_F(ReadAheadWriteTest, TruncationAppendAndSaveShowAtOnce) {
  Check("truncate and append", [&](TWaveFile& doc) {
    ASSERT_TRUE(doc.Resize(kFrames / 2));
    test::AllFrames(doc);
    ASSERT_TRUE(doc.Resize(kFrames));  // silence where the cut frames were
  });
  Check("append", [&](TWaveFile& doc) {
    const Bytes more = test::RandomFrames(500, format_, 3);
    doc.SeekToEnd();
    ASSERT_TRUE(doc.WriteBlock(more.data(), more.size()));
    ASSERT_TRUE(doc.FillSilence(0, 10));
  });
  Check("save and edit", [&](TWaveFile& doc) {
    doc.SetFileName(scratch_.File("saved.wav"));
    ASSERT_TRUE(doc.Save());
    test::AllFrames(doc);
    ASSERT_TRUE(MuteSelection(doc, {0, 4000}));
  });
}

}  // namespace
}  // namespace orvanix
