// The ui services: filter conversion, message boxes, the text viewer and mixer launches,
// colours, the tab-stop list and text printing.
#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

#include "tests/gui/GuiTestHelpers.h"
#include "ui/ColorChooser.h"
#include "ui/FileDialogs.h"
#include "ui/Launcher.h"
#include "ui/MessageBoxSink.h"
#include "ui/PrintAbortDialog.h"
#include "ui/TabbedList.h"
#include "ui/TextPrinter.h"

namespace orvanix::test {
namespace {

TEST(FileDialogsTest, ClassicFiltersBecomeQtFilters) {
  EXPECT_EQ(QtFilter("Wave Files (*.wav)|*.wav|"), "Wave Files (*.wav)");
  EXPECT_EQ(QtFilter("Config Files (*.cfg)|*.cfg|"), "Config Files (*.cfg)");
  // Several pairs, a description without its pattern, a missing final bar.
  EXPECT_EQ(QtFilter("Wave Files (*.wav)|*.wav|Text|*.txt;*.log|All|*.*"),
            "Wave Files (*.wav);;Text (*.txt *.log);;All (*.*)");
  EXPECT_EQ(QtFilter("Macros (*.mac)"), "Macros (*.mac)");
  EXPECT_EQ(QtFilter(""), "");
  EXPECT_EQ(DefaultSuffix("Wave Files (*.wav)|*.wav|"), "wav");
  EXPECT_EQ(DefaultSuffix("Text|*.txt;*.log|"), "txt");
  EXPECT_EQ(DefaultSuffix("All|*.*|"), "");
  EXPECT_EQ(DefaultSuffix("no bars"), "");
}

TEST(MessageBoxTest, BoxesCarryTheCaptionButtonsAndDefaults) {
  EXPECT_EQ(MessageBoxText("a\rb\r\nc\nd"), "a\nb\nc\nd");
  auto box = TMessageBoxSink::MakeBox("%s has changed.", "", MessageButtons::YesNoCancel,
                                      MessageAnswer::Yes, MessageIcon::Question, nullptr);
  EXPECT_EQ(box->windowTitle().toStdString(), kProgramTitle);
  EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::Yes));
  EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::Cancel));
  EXPECT_EQ(box->icon(), QMessageBox::Question);

  auto yesNo = TMessageBoxSink::MakeBox("Delete?", "Own caption", MessageButtons::YesNo,
                                        MessageAnswer::No, MessageIcon::Warning, nullptr);
  EXPECT_EQ(yesNo->windowTitle(), "Own caption");
  EXPECT_EQ(static_cast<QAbstractButton*>(yesNo->defaultButton()), yesNo->button(QMessageBox::No));
  EXPECT_EQ(yesNo->escapeButton(), yesNo->button(QMessageBox::No));

  // Closing a box some other way answers as Esc.
  EXPECT_EQ(TMessageBoxSink::AnswerOf(QMessageBox::NoButton, MessageButtons::YesNoCancel),
            MessageAnswer::Cancel);
  EXPECT_EQ(TMessageBoxSink::AnswerOf(QMessageBox::NoButton, MessageButtons::YesNo),
            MessageAnswer::No);
  EXPECT_EQ(TMessageBoxSink::AnswerOf(QMessageBox::Yes, MessageButtons::YesNo), MessageAnswer::Yes);
}

TEST(MessageBoxTest, AskReturnsTheClickedButton) {
  TMessageBoxSink sink;
  std::string seen;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen = box->text().toStdString();
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(sink.Ask("Save?\rReally?", "", MessageButtons::YesNoCancel, MessageAnswer::Yes,
                     MessageIcon::Question),
            MessageAnswer::No);
  EXPECT_EQ(seen, "Save?\nReally?");
}

TEST(LauncherTest, TheClassicViewerMeansTheDesktopsOwn) {
  EXPECT_EQ(TextViewerLaunch("notepad.exe", "/tmp/log.txt"),
            (TLaunch{"xdg-open", {"/tmp/log.txt"}}));
  EXPECT_EQ(TextViewerLaunch("NOTEPAD.EXE", "a.txt").program, "xdg-open");
  EXPECT_EQ(TextViewerLaunch("C:\\Windows\\notepad.exe", "a.txt").program, "xdg-open");
  EXPECT_EQ(TextViewerLaunch("", "a.txt").program, "xdg-open");
  EXPECT_EQ(TextViewerLaunch("gedit", "a.txt"), (TLaunch{"gedit", {"a.txt"}}));
}

TEST(LauncherTest, MixerPrefersPavucontrolOnTheMatchingTab) {
  auto only = [](std::vector<std::string> installed) {
    return [installed](const std::string& name) {
      for (const std::string& program : installed) {
        if (program == name) return "/usr/bin/" + name;
      }
      return std::string();
    };
  };
  const TProgramFinder all = only({"pavucontrol", "gnome-control-center"});
  EXPECT_EQ(MixerLaunch(MixerSide::Input, all), (TLaunch{"/usr/bin/pavucontrol", {"--tab=4"}}));
  EXPECT_EQ(MixerLaunch(MixerSide::Output, all), (TLaunch{"/usr/bin/pavucontrol", {"--tab=3"}}));
  EXPECT_EQ(MixerLaunch(MixerSide::Input, only({"gnome-control-center"})),
            (TLaunch{"/usr/bin/gnome-control-center", {"sound"}}));
  // None installed: nothing to launch, and nothing is said.
  EXPECT_FALSE(MixerLaunch(MixerSide::Output, only({})).has_value());
  EXPECT_FALSE(LaunchDetached(TLaunch{}));
}

TEST(ColorTest, SettingsColoursAreBlueGreenRed) {
  EXPECT_EQ(ColorFromRef(0x000000FFu), QColor(255, 0, 0));
  EXPECT_EQ(ColorFromRef(65535u), QColor(255, 255, 0));  // the spectrum's yellow line
  EXPECT_EQ(ColorFromRef(16776960u), QColor(0, 255, 255));
  EXPECT_EQ(RefFromColor(QColor(1, 2, 3)), 0x00030201u);
  // The custom colours live as long as the program and reach every colour dialog.
  TColorChooser::CustomColors()[3] = 0x00123456u;
  TColorChooser::LoadCustomColors();
  EXPECT_EQ(QColorDialog::customColor(3), ColorFromRef(0x00123456u));
  QColorDialog::setCustomColor(5, QColor(10, 20, 30));
  TColorChooser::KeepCustomColors();
  EXPECT_EQ(TColorChooser::CustomColors()[5], RefFromColor(QColor(10, 20, 30)));
  EXPECT_EQ(TColorChooser::CustomColors()[3], 0x00123456u);
}

TEST(TextPrintTest, LinesFlowOverPagesOnTheirTabStops) {
  TTextPrintJob job;
  job.documentName = "Configuration Parameters";
  job.fontFamily = "Arial";
  job.tabStopsChars = TabStopsFromDialogUnits({10, 120});
  EXPECT_EQ(job.tabStopsChars, (std::vector<double>{2.5, 30.0}));
  for (int i = 0; i < 200; ++i) job.lines.push_back("\tLine " + std::to_string(i) + ":\tvalue");

  // Into an image: a page holds some lines and says where the next page starts.
  QImage page(600, 400, QImage::Format_RGB32);
  page.fill(Qt::white);
  QPainter painter(&page);
  painter.setFont(QFont("Arial", 10));
  const size_t next = DrawTextLines(painter, job, 0, 10, 10, 590, 390);
  painter.end();
  EXPECT_GT(next, 5u);
  EXPECT_LT(next, job.lines.size());
  // Text starts at the first tab stop, not at the margin.
  bool inkAtMargin = false;
  for (int y = 0; y < page.height(); ++y) {
    if (QColor(page.pixel(11, y)) != QColor(Qt::white)) inkAtMargin = true;
  }
  EXPECT_FALSE(inkAtMargin);

  // A PDF of every line.
  QTemporaryDir dir;
  const std::string pdf = (dir.path() + "/report.pdf").toStdString();
  ASSERT_TRUE(PrintTextToPdf(pdf, job));
  QFile file(QString::fromStdString(pdf));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  EXPECT_GE(
      bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 2);
}

TEST(PrintAbortTest, CancelStopsAReportBetweenPages) {
  TTextPrintJob job;
  job.documentName = "Configuration Parameters";
  job.fontFamily = "Arial";
  for (int i = 0; i < 300; ++i) job.lines.push_back("Line " + std::to_string(i));
  QTemporaryDir dir;
  const QString pdf = dir.path() + "/cancelled.pdf";

  // The dialog carries the job's name; its Cancel button ends the job after the page
  // being drawn, and nothing is printed.
  TPrintAbortDialog abort(nullptr, job.documentName);
  abort.Open();
  EXPECT_EQ(abort.windowTitle(), "Configuration Parameters");
  EXPECT_TRUE(abort.isVisible());
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  const std::function<bool()> poll = abort.Poll();
  int pages = 0;
  const bool printed = PrintText(printer, job, [&] {
    if (++pages == 2) abort.CancelButton()->click();
    return poll();
  });
  EXPECT_FALSE(printed);
  EXPECT_EQ(pages, 2);
  EXPECT_TRUE(abort.Cancelled());
  EXPECT_FALSE(QFile::exists(pdf));
}

TEST(TabbedListTest, FieldsSitOnTheStops) {
  TTabbedList list({10, 120});
  list.SetLines({"MODE:\tReal-Time", "\tFFT size:\t4096 pts"});
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.item(0)->text(), "MODE:\tReal-Time");
  const std::vector<int> stops = list.TabStopPixels();
  ASSERT_EQ(stops.size(), 2u);
  const QFontMetrics metrics(list.font());
  EXPECT_EQ(stops[1], static_cast<int>(120 * metrics.averageCharWidth() / 4.0 + 0.5));
  // "MODE:" is wider than the first stop, so the value goes to the second.
  EXPECT_EQ(list.FieldOffsets("MODE:\tReal-Time"), (std::vector<int>{0, stops[1]}));
  EXPECT_EQ(list.FieldOffsets("\tFFT size:\t4096 pts"), (std::vector<int>{0, stops[0], stops[1]}));

  // Drawn: each field once, at its stop; nothing left of the first stop on an indented line.
  TTabbedList drawn({10, 120});
  drawn.SetLines({"\tWWWW"});
  drawn.resize(400, 100);
  const QImage image = drawn.grab().toImage();
  const int rowY = drawn.visualItemRect(drawn.item(0)).center().y();
  const QColor background = image.pixelColor(2, rowY);
  int firstInk = -1;
  for (int x = 0; x < image.width() && firstInk < 0; ++x) {
    for (int y = rowY - 5; y <= rowY + 5; ++y) {
      if (image.pixelColor(x, y) != background && image.pixelColor(x, y).lightness() < 128) {
        firstInk = x;
        break;
      }
    }
  }
  EXPECT_GE(firstInk, drawn.TabStopPixels()[0]);
}

}  // namespace
}  // namespace orvanix::test
