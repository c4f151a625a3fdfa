// Printing from the frame: the program's printing switches, File > Printer Setup holding for
// the prints after it, File > Annotations and Margins, the annotation lines asked before a
// print, and the cancel dialog up while the page prints.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cstdio>

#include "app/core/Commands.h"
#include "app/dialogs/AnnotationsDialog.h"
#include "app/gui/ViewWindows.h"
#include "files/Configuration.h"
#include "tests/gui/GuiTestHelpers.h"
#include "ui/PrintAbortDialog.h"

namespace orvanix::test {
namespace {

// The text of a PDF (poppler's pdftotext), empty when it cannot be read.
std::string PdfText(const std::string& pdf) {
  const std::string command = "pdftotext -layout '" + pdf + "' - 2>/dev/null";
  std::string text;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    ::pclose(pipe);
  }
  return text;
}

// Page width and height in points from pdfinfo.
std::pair<double, double> PdfPageSize(const std::string& pdf) {
  const std::string command = "pdfinfo '" + pdf + "' 2>/dev/null";
  double w = 0, h = 0;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
      if (std::sscanf(line, "Page size: %lf x %lf", &w, &h) == 2) break;
    }
    ::pclose(pipe);
  }
  return {w, h};
}

// The first visible top-level widget of type T, or nullptr.
template <typename T>
T* Shown() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* found = dynamic_cast<T*>(widget); found && found->isVisible()) return found;
  }
  return nullptr;
}

class FramePrintTest : public GuiFixture {
 protected:
  // A frame showing the spectrum view as the current window, printing into `pdf`.
  void MakePrintingFrame(const std::string& pdf) {
    printDialog_ = [this, pdf](QPrinter& printer, QWidget*) {
      printerSeen_ = &printer;
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(QString::fromStdString(pdf));
      return true;
    };
    MakeFrame();
    frame_->StartUp({});
    ASSERT_TRUE(core_->IsWindowOpen(kWindowSpectrum));
    frame_->MdiArea()->setActiveSubWindow(frame_->Windows().SubWindow(kWindowSpectrum));
  }
  QPrinter* printerSeen_ = nullptr;
};

TEST_F(FramePrintTest, ProgramSwitchesLeaveOutTheSettingsBlockAndTheTitle) {
  MakeFrame();
  frame_->StartUp({});
  frame_->MdiArea()->setActiveSubWindow(frame_->Windows().SubWindow(kWindowSpectrum));
  TPrintJob job = frame_->ViewPrintJob();
  EXPECT_EQ(job.viewName, "Spectrum");
  EXPECT_TRUE(job.printSettings);  // unset: "TRUE"
  EXPECT_TRUE(job.printTitle);
  CloseFrame();

  WriteProgramSettings("PrintSettingsInfo=FALSE\nPrintPlotTitle= false \n");
  MakeFrame();
  frame_->StartUp({});
  frame_->MdiArea()->setActiveSubWindow(frame_->Windows().SubWindow(kWindowSpectrum));
  job = frame_->ViewPrintJob();
  EXPECT_FALSE(job.printSettings);
  EXPECT_FALSE(job.printTitle);
  CloseFrame();

  WriteProgramSettings("PrintSettingsInfo=TRUE\nPrintPlotTitle=0\n");  // only "FALSE" is off
  MakeFrame();
  frame_->StartUp({});
  frame_->MdiArea()->setActiveSubWindow(frame_->Windows().SubWindow(kWindowSpectrum));
  job = frame_->ViewPrintJob();
  EXPECT_TRUE(job.printSettings);
  EXPECT_TRUE(job.printTitle);
}

TEST_F(FramePrintTest, AnnotationsAndMarginsReachThePrintedPage) {
  const std::string pdf = Path("page.pdf");
  ASSERT_NO_FATAL_FAILURE(MakePrintingFrame(pdf));
  ASSERT_TRUE(frame_->CommandEnabled(kCmdAnnotations));
  QTimer::singleShot(0, [] {
    auto* dialog = Shown<TAnnotationsDialog>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Annotations and Margins");
    dialog->Widgets().annotation1->setText("Room 4, north wall");
    dialog->Widgets().margins[0]->setText("1.5");
    dialog->OnOk();
  });
  ASSERT_TRUE(frame_->RunCommand(kCmdAnnotations));
  EXPECT_EQ(core_->Settings().print.annotation1, "Room 4, north wall");
  EXPECT_FLOAT_EQ(core_->Settings().print.marginLeft, 1.5f);
  const TPrintJob job = frame_->ViewPrintJob();
  EXPECT_DOUBLE_EQ(job.marginLeftIn, 1.5);

  // Print asks for the annotation lines first, offering the stored ones; what is typed
  // there goes on the page and is kept.
  std::string offered;
  QTimer::singleShot(0, [&offered] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    const QList<QLineEdit*> lines = dialog->findChildren<QLineEdit*>();
    ASSERT_EQ(lines.size(), 2);
    offered = lines[0]->text().toStdString();
    lines[1]->setText("Second line, typed");
    dialog->accept();
  });
  ASSERT_TRUE(frame_->RunCommand(kCmdPrint));
  EXPECT_EQ(offered, "Room 4, north wall");
  const std::string text = PdfText(pdf);
  EXPECT_NE(text.find("Room 4, north wall"), std::string::npos) << text;
  EXPECT_NE(text.find("Second line, typed"), std::string::npos);
  frame_->FlushViewOptions();
  EXPECT_EQ(core_->Settings().print.annotation2, "Second line, typed");
}

TEST_F(FramePrintTest, PrinterSetupHoldsForThePrintsAfterIt) {
  const std::string pdf = Path("portrait.pdf");
  ASSERT_NO_FATAL_FAILURE(MakePrintingFrame(pdf));
  ASSERT_TRUE(frame_->CommandEnabled(kCmdPrinterSetup));
  EXPECT_EQ(frame_->Printer().pageLayout().orientation(), QPageLayout::Landscape);
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    auto* portrait = dialog->findChild<QRadioButton*>("portrait");
    ASSERT_NE(portrait, nullptr);
    portrait->click();
    dialog->accept();
  });
  ASSERT_TRUE(frame_->RunCommand(kCmdPrinterSetup));
  EXPECT_EQ(frame_->Printer().pageLayout().orientation(), QPageLayout::Portrait);

  QTimer::singleShot(0, [] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->accept();
  });
  ASSERT_TRUE(frame_->RunCommand(kCmdPrint));
  EXPECT_EQ(printerSeen_, &frame_->Printer());
  const auto [width, height] = PdfPageSize(pdf);
  EXPECT_GT(width, 0.0);
  EXPECT_LT(width, height);  // portrait
}

TEST_F(FramePrintTest, TheCancelDialogNamesTheViewAndStopsThePrint) {
  const std::string pdf = Path("cancelled.pdf");
  ASSERT_NO_FATAL_FAILURE(MakePrintingFrame(pdf));
  std::string title;
  bool blocksTheFrame = false;
  QTimer::singleShot(0, [&] {
    auto* annotations = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(annotations, nullptr);
    annotations->accept();
    // Up while the page is drawn: it names the view and keeps the frame from input.
    QTimer::singleShot(0, [&] {
      auto* abort = Shown<TPrintAbortDialog>();
      ASSERT_NE(abort, nullptr);
      title = abort->windowTitle().toStdString();
      blocksTheFrame = QApplication::activeModalWidget() == abort;
      abort->CancelButton()->click();
    });
  });
  EXPECT_FALSE(frame_->RunCommand(kCmdPrint));
  EXPECT_EQ(title, "Spectrum");
  EXPECT_TRUE(blocksTheFrame);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(pdf)));
  EXPECT_EQ(Shown<TPrintAbortDialog>(), nullptr);
}

}  // namespace
}  // namespace orvanix::test
