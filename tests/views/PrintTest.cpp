// Printing to PDF: the page carries the settings block, the annotations and the plot. The
// text is read back with pdftotext (poppler-utils); without it the test is skipped.
#include <gtest/gtest.h>

#include <QPrinter>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "ViewTestHelpers.h"
#include "views/OrvanePlot.h"

namespace orvanix {
namespace {

bool HavePdfToText() {
  return std::system("pdftotext -v > /dev/null 2>&1") == 0;
}

std::string PdfText(const std::string& pdf) {
  const std::string txt = pdf + ".txt";
  const std::string command = "pdftotext -layout '" + pdf + "' '" + txt + "'";
  if (std::system(command.c_str()) != 0) return std::string();
  return test::ReadFile(txt);
}

// A settings line with its tab printed as any amount of white space.
bool HasLine(const std::string& text, const std::string& name, const std::string& value) {
  return std::regex_search(text, std::regex(name + "\\s+" + value));
}

TEST(Print, PdfHoldsTheSettingsBlockAndAnnotations) {
  if (!HavePdfToText()) GTEST_SKIP() << "pdftotext not installed";
  ProcessingSettings p = test::MakeProcessing(1, 4096, 0);
  p.averageBlocks = kInfiniteAverages;
  p.smoothingWindow = kWindowGaussian;
  p.overlapPercent = 75;
  test::TFakeSource source(p, test::MakeScaling(1));
  ASSERT_TRUE(source.Ok());
  source.Feed({{1000.0, 0.5}}, 2);
  TOrvanePlot plot(&source);

  TPrintJob job = plot.PrintJob();
  TPrintOptions options;
  options.annotation1 = "Room 12 microphone check";
  options.annotation2 = "Second line";
  TPlotBase::ApplyPrintOptions(options, job);
  const std::string dir = test::TempFolder("print");
  ASSERT_TRUE(plot.PrintToPdf(dir + "/realtime.pdf", job));
  const std::string text = PdfText(dir + "/realtime.pdf");
  ASSERT_FALSE(text.empty());
  EXPECT_TRUE(HasLine(text, "Sampling:", "44100 Hz")) << text;
  EXPECT_TRUE(HasLine(text, "FFT size:", "4096")) << text;
  EXPECT_TRUE(HasLine(text, "Averaging:", "Infinite")) << text;
  EXPECT_TRUE(HasLine(text, "Window:", "Gaussian")) << text;
  EXPECT_EQ(text.find("Overlap:"), std::string::npos);  // Real-Time mode
  EXPECT_NE(text.find("Room 12 microphone check"), std::string::npos);
  EXPECT_NE(text.find("Second line"), std::string::npos);
  EXPECT_NE(text.find("Left Channel"), std::string::npos);  // title and plot

  // Post-Processing adds the overlap; the program switch can leave the block out.
  source.postProcessing = true;
  job = plot.PrintJob();
  ASSERT_TRUE(plot.PrintToPdf(dir + "/post.pdf", job));
  EXPECT_TRUE(HasLine(PdfText(dir + "/post.pdf"), "Overlap:", "75 %"));
  job.printSettings = false;
  ASSERT_TRUE(plot.PrintToPdf(dir + "/bare.pdf", job));
  EXPECT_EQ(PdfText(dir + "/bare.pdf").find("Sampling:"), std::string::npos);
}

TEST(Print, TitleSwitchAndCancelledJobs) {
  if (!HavePdfToText()) GTEST_SKIP() << "pdftotext not installed";
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(1));
  ASSERT_TRUE(source.Ok());
  source.Feed({{1000.0, 0.5}}, 2);
  TOrvanePlot plot(&source);
  TPrintJob job = plot.PrintJob();
  job.title = "Bench seven";
  const std::string dir = test::TempFolder("print-title");
  ASSERT_TRUE(plot.PrintToPdf(dir + "/titled.pdf", job));
  EXPECT_NE(PdfText(dir + "/titled.pdf").find("Bench seven"), std::string::npos);
  job.printTitle = false;  // "PrintPlotTitle" is "FALSE"
  ASSERT_TRUE(plot.PrintToPdf(dir + "/untitled.pdf", job));
  const std::string untitled = PdfText(dir + "/untitled.pdf");
  EXPECT_EQ(untitled.find("Bench seven"), std::string::npos);
  EXPECT_TRUE(HasLine(untitled, "FFT size:", "4096"));

  // Cancelled before the printer starts, before the plot or after it: no page comes out.
  for (int cancelAt : {1, 2, 3}) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::string path = dir + "/cancelled" + std::to_string(cancelAt) + ".pdf";
    printer.setOutputFileName(QString::fromStdString(path));
    int asked = 0;
    EXPECT_FALSE(plot.Print(printer, job, [&] { return ++asked == cancelAt; }));
    EXPECT_EQ(asked, cancelAt);
    EXPECT_FALSE(std::filesystem::exists(path)) << cancelAt;
  }
  // Never cancelled: asked before the start, before and after the plot, and printed.
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(dir + "/whole.pdf"));
  int asked = 0;
  EXPECT_TRUE(plot.Print(printer, job, [&] {
    ++asked;
    return false;
  }));
  EXPECT_EQ(asked, 3);
  EXPECT_TRUE(HasLine(PdfText(dir + "/whole.pdf"), "Sampling:", "44100 Hz"));
}

TEST(Print, UnwritablePdfFails) {
  test::TFakeSource source(test::MakeProcessing(1, 1024, 0), test::MakeScaling(1));
  ASSERT_TRUE(source.Ok());
  TOrvanePlot plot(&source);
  EXPECT_FALSE(plot.PrintToPdf("/nonexistent-folder/x/plot.pdf", plot.PrintJob()));
}

}  // namespace
}  // namespace orvanix
