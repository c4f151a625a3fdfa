// Edits, exports and saves that fail part way: on a small file system that fills up, and on a
// disk whose writes start failing. Nothing the user had is lost: the document is as it was
// (or undoable), existing files are untouched, and the reason is shown.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "TransferHelpers.h"
#include "files/DigitalFilter.h"
#include "files/EditTexts.h"
#include "files/Exporter.h"
#include "files/FileUtilities.h"
#include "files/TransferTexts.h"
#include "files/WaveEdits.h"
#include "files/WaveTexts.h"

namespace orvanix {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

bool Said(const TRecordingSink& sink, const std::string& text) {
  for (const auto& entry : sink.Entries()) {
    if (entry.text.find(text) != std::string::npos) return true;
  }
  return false;
}

class EditFailureTest : public ::testing::Test {
 protected:
  void TearDown() override { SetDiskWriteFailureForTesting(0); }
  const WaveFormat format_ = MakeWaveFormat(2, 48000, 2);
  TRecordingSink sink_;
  TScopedMessageSink scope_{&sink_};
};

TEST_F(EditFailureTest, AFullDiskLeavesDocumentsAndFilesAsTheyWere) {
  test::TSmallDisk disk(4);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
  // A disk-mode document of 1 MB whose working file and temporary files live on the small disk.
  auto doc = test::MakeDocument(format_, test::RandomFrames(250000, format_), StorageMode::Disk,
                                disk.Path());
  ASSERT_TRUE(doc);
  const Bytes before = test::AllFrames(*doc);
  const Bytes working = test::ReadAll(doc->WorkingPath());
  const std::string kept = disk.File("kept.txt");
  test::WriteText(kept, "the user's file\n");
  disk.FillLeaving(300 * 1024);
  const auto files = Listing(disk.Path());

  // Paste Insert of 500 kB: no room to grow.
  auto source = test::MakeDocument(format_, test::RandomFrames(125000, format_, 2),
                                   StorageMode::Ram, disk.Path());
  TWaveImage image;
  ASSERT_TRUE(MakeWaveImage(*source, 0, 125000, image));
  source.reset();
  // The clip itself must fit: its carrier is unlinked at once, so make room for it first.
  fs::resize_file(disk.File("filler"), fs::file_size(disk.File("filler")) - 600 * 1024);
  auto clip = OpenWaveImage(image.bytes.get(), image.size, disk.Path(), StorageMode::Disk, false);
  ASSERT_TRUE(clip);
  disk.FillLeaving(300 * 1024);
  EXPECT_FALSE(PasteInsert(*doc, *clip, 1000));
  EXPECT_TRUE(Said(sink_, kDiskFull));
  EXPECT_TRUE(Said(sink_, kEditFailedUndone));
  EXPECT_TRUE(test::AllFrames(*doc) == before);
  EXPECT_TRUE(test::ReadAll(doc->WorkingPath()) == working);
  EXPECT_FALSE(doc->UndoAvailable());

  // Gain over 600 kB: the undo data does not fit, so the edit is not made.
  sink_.Clear();
  TGainJob gain(*doc, TFrameRange{0, 150000}, 6.0, 6.0);
  EXPECT_FALSE(RunToEnd(gain));
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text, Format(kUndoNotSaved, kDiskFull));
  EXPECT_TRUE(test::AllFrames(*doc) == before);
  EXPECT_FALSE(doc->UndoAvailable());

  // Export over an existing file: it stays as it was; no partial file is left.
  sink_.Clear();
  TExportOptions options;
  options.format = kAsciiReal;
  const std::tm now{};
  TExporter exporter(*doc, options, kept, nullptr, now);
  EXPECT_FALSE(RunToEnd(exporter));
  EXPECT_TRUE(Said(sink_, Format(kExportDiskFull, kept.c_str())));
  EXPECT_EQ(test::ReadString(kept), "the user's file\n");

  // Decimate to that file: the same.
  sink_.Clear();
  TDecimateJob decimate(*doc, 2, true, kept, nullptr, disk.Path());
  EXPECT_FALSE(RunToEnd(decimate));
  EXPECT_TRUE(Said(sink_, kDiskFull));
  EXPECT_EQ(test::ReadString(kept), "the user's file\n");
  EXPECT_EQ(Listing(disk.Path()), files);

  // Saving an edited document that must be written anew (RAM mode) over the kept file fails
  // before it touches it.
  sink_.Clear();
  auto ram = test::MakeDocument(format_, before, StorageMode::Ram, disk.Path());
  ASSERT_TRUE(ram);
  TGainJob louder(*ram, TFrameRange{0, 1000}, 3.0, 3.0);
  // The undo data of 1000 frames still fits.
  ASSERT_TRUE(RunToEnd(louder));
  ram->SetFileName(kept);
  EXPECT_FALSE(ram->Save());
  EXPECT_TRUE(Said(sink_, kDiskFull));
  EXPECT_EQ(test::ReadString(kept), "the user's file\n");
}

TEST_F(EditFailureTest, WritesFailingPartWayArePutBack) {
  test::TScratch scratch;
  const uint32_t length = 5 * kPieceFrames + 77;
  for (int edit = 0; edit < 5; ++edit) {
    SCOPED_TRACE(edit);
    auto doc = test::MakeDocument(format_, test::RandomFrames(length, format_, edit + 3),
                                  StorageMode::Disk, scratch.Path());
    auto clip = test::MakeDocument(format_, test::RandomFrames(9000, format_, 9), StorageMode::Disk,
                                   scratch.Path());
    const Bytes before = test::AllFrames(*doc);
    sink_.Clear();
    // The disk fails in the middle of the move or the rewrite, after the undo data (and the
    // room an insertion makes) were written.
    const uint64_t midway = 2 * kPieceFrames + 5;
    TWaveImage image;
    bool ok = true;
    switch (edit) {
      case 0:
        SetDiskWriteFailureForTesting(2000 + midway);
        ok = CutSelection(*doc, TFrameRange{1000, 3000}, image);
        break;
      case 1:
        SetDiskWriteFailureForTesting(9000 + midway);
        ok = PasteInsert(*doc, *clip, 2000);
        break;
      case 2: {
        TGainJob gain(*doc, TFrameRange{10, length - 10}, -3.0, -3.0);
        ASSERT_TRUE(gain.Step());  // the undo data
        SetDiskWriteFailureForTesting(midway);
        ok = RunToEnd(gain);
        break;
      }
      case 3: {
        TFilterJob filter(*doc, TFrameRange{10, length - 10}, TFilterSettings{});
        ASSERT_TRUE(filter.Step());  // the coefficients and the undo data
        SetDiskWriteFailureForTesting(midway);
        ok = RunToEnd(filter);
        break;
      }
      case 4:
        SetDiskWriteFailureForTesting(100 + midway);
        ok = PasteOver(*doc, *clip, length - 100);
        break;
    }
    SetDiskWriteFailureForTesting(0);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(Said(sink_, kFailureWritingWaveFile));
    EXPECT_TRUE(Said(sink_, kEditFailedUndone));
    EXPECT_EQ(doc->Length(), length);
    EXPECT_TRUE(test::AllFrames(*doc) == before);
    EXPECT_FALSE(doc->UndoAvailable());
  }
}

}  // namespace
}  // namespace orvanix
