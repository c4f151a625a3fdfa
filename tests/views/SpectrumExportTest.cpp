// Text export of the spectrum view (Copy As Text, Write to Text File), its clipboard
// formats and the measurement cursor's clipboard text.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <QAction>
#include <QMenu>
#include <QMimeData>
#include <QTableWidget>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>

#include "ViewTestHelpers.h"
#include "engine/Messages.h"
#include "views/DataValuesWindow.h"
#include "views/OrvanePlot.h"
#include "views/ViewTexts.h"

namespace orvanix {
namespace {

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<no CRLF>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::vector<double> Columns(const std::string& line) {
  std::vector<double> values;
  std::istringstream in(line);
  std::string field;
  while (std::getline(in, field, '\t')) values.push_back(std::stod(field));
  return values;
}

TSpectrumPlotOptions Range(float startHz, float stopHz) {
  TSpectrumPlotOptions o;
  o.startFreqHz = startHz;
  o.stopFreqHz = stopHz;
  return o;
}

TEST(SpectrumExport, LeftChannel) {
  test::TFakeSource source(test::MakeProcessing(1, 4096, kLeftOnly), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  source.Feed({{1000.0, 0.5}}, 2);
  TOrvanePlot plot(&source);
  plot.SetOptions(Range(900.0f, 1100.0f));
  const auto lines = SplitCrLf(plot.ExportText());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], ";Freq(Hz)\tRelative Amplitude (dB): Left");
  // Bins 84 ... 102 lie inside 900 ... 1100 Hz (10.77 Hz apart).
  ASSERT_EQ(lines.size(), 1u + 19u);
  const TSpectralData* s = source.Primary();
  for (size_t k = 1; k < lines.size(); ++k) {
    const auto v = Columns(lines[k]);
    ASSERT_EQ(v.size(), 2u) << lines[k];
    const uint32_t bin = 84 + uint32_t(k - 1);
    EXPECT_NEAR(v[0], s->BinFrequency(bin), 5.1e-5);  // four decimals
    EXPECT_NEAR(v[1], s->Value(bin), 5e-7);
  }
  EXPECT_EQ(lines[1].substr(0, lines[1].find('\t')), "904.3945");  // "%5.4f"
}

TEST(SpectrumExport, BothChannelsThreeColumns) {
  test::TFakeSource source(test::MakeProcessing(2, 4096, kBothChannels), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  source.Feed({{1000.0, 0.5}}, 2, 1e-4, 0.25);
  TOrvanePlot plot(&source);
  plot.SetOptions(Range(950.0f, 1050.0f));
  const auto lines = SplitCrLf(plot.ExportText());
  ASSERT_GT(lines.size(), 2u);
  EXPECT_EQ(lines[0], ";Freq(Hz)\tRelative Amplitude (dB): Left\tRelative Amplitude (dB): Right");
  const uint32_t peak = source.Primary()->FrequencyBin(1000.0f);
  for (size_t k = 1; k < lines.size(); ++k) {
    const auto v = Columns(lines[k]);
    ASSERT_EQ(v.size(), 3u) << lines[k];
    if (source.Primary()->FrequencyBin(float(v[0])) == peak) {
      // The right channel carries a quarter of the left's amplitude: 12.04 dB less.
      EXPECT_NEAR(v[1] - v[2], 12.04, 0.05);
    }
  }
}

TEST(SpectrumExport, ViewDataValuesListsTheShownValues) {
  test::TFakeSource source(test::MakeProcessing(2, 4096, kBothChannels), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  const double tone = 93 * 44100.0 / 4096;  // on a bin centre: no scalloping
  source.Feed({{tone, 0.5}}, 2, 1e-5, 0.25);
  TOrvanePlot plot(&source);
  plot.SetOptions(Range(900.0f, 1100.0f));

  // The context menu's item opens the list.
  std::unique_ptr<QMenu> menu = plot.ContextMenu(0);
  QAction* item = nullptr;
  for (QAction* action : menu->actions()) {
    if (action->text() == "&View Data Values") item = action;
  }
  ASSERT_NE(item, nullptr);
  ASSERT_TRUE(item->isEnabled());
  item->trigger();
  TDataValuesWindow* window = plot.DataValuesWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  const QTableWidget* table = window->Table();
  ASSERT_EQ(table->columnCount(), 3);
  EXPECT_EQ(table->horizontalHeaderItem(0)->text(), "Freq(Hz)");
  EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "Relative Amplitude (dB): Left");
  EXPECT_EQ(table->horizontalHeaderItem(2)->text(), "Relative Amplitude (dB): Right");
  ASSERT_EQ(table->rowCount(), 19);  // bins 84 ... 102
  // The row of the tone: a half-scale sine on the left (-6.02 dB, and the Hanning window's
  // amplitude correction adds 0.28 dB on a bin centre), a quarter of it on the right (12.04 dB
  // lower).
  int toneRow = -1;
  for (int r = 0; r < table->rowCount(); ++r) {
    if (std::fabs(table->item(r, 0)->text().toDouble() - tone) < 0.01) toneRow = r;
  }
  ASSERT_GE(toneRow, 0);
  EXPECT_NEAR(table->item(toneRow, 1)->text().toDouble(), -6.02 + 0.28, 0.05);
  EXPECT_NEAR(table->item(toneRow, 2)->text().toDouble(), -18.06 + 0.28, 0.05);
  // Each row is what the text export writes.
  const auto lines = SplitCrLf(plot.ExportText());
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(table->item(5, 0)->text().toStdString() + "\t" +
                table->item(5, 1)->text().toStdString() + "\t" +
                table->item(5, 2)->text().toStdString(),
            lines[6]);

  // Opening it again refreshes the same window with the new values.
  source.Feed({{tone, 0.1}}, 1, 1e-5, 0.25);
  EXPECT_EQ(plot.ShowDataValues(), window);
  EXPECT_NEAR(table->item(toneRow, 1)->text().toDouble(), -20.0 + 0.28, 0.05);
}

TEST(SpectrumExport, TransferFunctionAndCoherence) {
  // Two tones in both channels, the right at a quarter of the left, and independent noise in
  // each: at the tones Left/Right is 4 (+12.04 dB) with coherence 1; between them the
  // channels share nothing and the coherence of 16 averaged blocks stays low.
  ProcessingSettings p = test::MakeProcessing(2, 4096, kTransferAndCoherenceLR);
  p.averageBlocks = 16;
  p.averageType = kAverageLinear;
  test::TFakeSource source(p, test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  const double tone1 = 100 * 44100.0 / 4096, tone2 = 400 * 44100.0 / 4096;  // bin centres
  source.Feed({{tone1, 0.4}, {tone2, 0.2}}, 16, 1e-3, 0.25);
  TOrvanePlot plot(&source);
  plot.SetOptions(Range(100.0f, 10000.0f));
  const auto lines = SplitCrLf(plot.ExportText());
  ASSERT_GT(lines.size(), 100u);
  EXPECT_EQ(lines[0],
            ";Freq(Hz)\tRelative Amplitude (dB): Transfer Function\tRelative Amplitude (dB): "
            "Coherence");
  int tones = 0, quiet = 0;
  double quietCoherence = 0.0;
  for (size_t k = 1; k < lines.size(); ++k) {
    const auto v = Columns(lines[k]);
    ASSERT_EQ(v.size(), 3u);
    EXPECT_GE(v[2], 0.0);
    EXPECT_LE(v[2], 1.0 + 1e-6);
    if (std::fabs(v[0] - tone1) < 1.0 || std::fabs(v[0] - tone2) < 1.0) {
      ++tones;
      EXPECT_NEAR(v[1], 20.0 * std::log10(4.0), 0.05) << lines[k];
      EXPECT_GT(v[2], 0.999) << lines[k];
    } else if (std::fabs(v[0] - tone1) > 100.0 && std::fabs(v[0] - tone2) > 100.0) {
      ++quiet;
      quietCoherence += v[2];
    }
  }
  EXPECT_EQ(tones, 2);
  ASSERT_GT(quiet, 100);
  EXPECT_LT(quietCoherence / quiet, 0.3);
}

TEST(SpectrumExport, SingleResultModesAndOctaveBands) {
  test::TFakeSource coherence(test::MakeProcessing(2, 4096, kCoherence), test::MakeScaling(0));
  ASSERT_TRUE(coherence.Ok());
  TOrvanePlot plot(&coherence);
  EXPECT_EQ(SplitCrLf(plot.ExportText())[0], ";Freq(Hz)\tRelative Amplitude (dB): Level");

  test::TFakeSource right(test::MakeProcessing(2, 4096, kRightOnly), test::MakeScaling(0, 0));
  ASSERT_TRUE(right.Ok());
  TOrvanePlot rightPlot(&right);
  EXPECT_EQ(SplitCrLf(rightPlot.ExportText())[0], ";Freq(Hz)\tPercent Full Scale: Right");

  // Fractional-octave axis: one line per band, at the nominal centre.
  test::TFakeSource octave(test::MakeProcessing(1, 8192, 0), test::MakeScaling(2, 1, 3));
  ASSERT_TRUE(octave.Ok());
  octave.Feed({{1000.0, 0.5}}, 2);
  TOrvanePlot octavePlot(&octave);
  octavePlot.SetOptions(Range(900.0f, 1100.0f));
  const auto lines = SplitCrLf(octavePlot.ExportText());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].substr(0, lines[1].find('\t')), "1000.0000");
}

TEST(SpectrumExport, ClipboardFormats) {
  const std::unique_ptr<QMimeData> mime(TOrvanePlot::TextMimeData(";x\r\n1.0000\t2.000000\r\n"));
  EXPECT_EQ(mime->text().toStdString(), ";x\r\n1.0000\t2.000000\r\n");
  const QByteArray link = mime->data(QStringLiteral("Link"));
  EXPECT_EQ(link, QByteArray("Tessiva\0Data\0Spectrum\0\0", 23));
}

TEST(SpectrumExport, WriteTextFile) {
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  source.Feed({{1000.0, 0.5}}, 1);
  TOrvanePlot plot(&source);
  const std::string dir = test::TempFolder("export");
  ASSERT_TRUE(plot.WriteTextFile(dir + "/spectrum.txt"));
  EXPECT_EQ(test::ReadFile(dir + "/spectrum.txt"), plot.ExportText());

  TRecordingSink sink;
  TScopedMessageSink scope(&sink);
  const std::string bad = dir + "/no/such/folder/spectrum.txt";
  EXPECT_FALSE(plot.WriteTextFile(bad));
  EXPECT_TRUE(sink.Contains(Format(viewtext::kTextWriteFailure, bad.c_str())));
}

// The folders the tests write into go when the test program ends: a run of the export test
// in a fresh temporary folder leaves nothing of ours there.
TEST(TestHousekeeping, ARunLeavesNoTemporaryFolderBehind) {
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  std::string tmp = (std::filesystem::temp_directory_path() / "orvanix-run-XXXXXX").string();
  ASSERT_NE(::mkdtemp(tmp.data()), nullptr);
  const std::string command = "TMPDIR='" + tmp + "' '" + self.string() +
                              "' --gtest_filter=SpectrumExport.WriteTextFile > /dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
  // (Qt may add its runtime folder there when XDG_RUNTIME_DIR is unset; that one is not ours.)
  for (const auto& entry : std::filesystem::directory_iterator(tmp)) {
    EXPECT_NE(entry.path().filename().string().rfind("orvanix", 0), 0u) << entry.path();
  }
  std::filesystem::remove_all(tmp);
}

TEST(MeasurementCursor, ClipboardText) {
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(1));
  ASSERT_TRUE(source.Ok());
  source.Feed({{1000.0, 0.5}}, 2);
  TOrvanePlot plot(&source);
  EXPECT_EQ(plot.CursorClipboardText(), "");
  TSpectrumPlotOptions o;
  o.grabCursor = 0;
  plot.SetOptions(o);
  plot.SetMeasurementCursor(1000.0, -3.25);
  EXPECT_EQ(plot.CursorClipboardText(), "Freq=\t1000.0000\r\nAmp=\t-3.2500\r\n");
  // Pulled to the trace: the nearest bin and its value.
  o.grabCursor = 1;
  plot.SetOptions(o);
  const TSpectralData* s = source.Primary();
  const uint32_t bin = s->FrequencyBin(1000.0f);
  EXPECT_DOUBLE_EQ(plot.CursorHz(), s->BinFrequency(bin));
  EXPECT_DOUBLE_EQ(plot.CursorValue(), s->Value(bin));
  EXPECT_EQ(plot.CursorClipboardText().substr(0, 15), "Freq=\t1001.2939");
  plot.ClearMeasurementCursor();
  EXPECT_FALSE(plot.CursorActive());
}

TEST(PrintJob, FromTheSource) {
  test::TFakeSource source(test::MakeProcessing(2, 2048, kBothChannels), test::MakeScaling(1));
  ASSERT_TRUE(source.Ok());
  source.postProcessing = true;
  TOrvanePlot plot(&source);
  const TPrintJob job = plot.PrintJob();
  EXPECT_EQ(job.viewName, "Spectrum");
  EXPECT_EQ(job.title, "Left Channel / Right Channel");
  ASSERT_EQ(job.settingsLines.size(), 5u);
  EXPECT_EQ(job.settingsLines[1], "FFT size:\t2048");
}

}  // namespace
}  // namespace orvanix
