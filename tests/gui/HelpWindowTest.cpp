// The help window: the Help commands open the user guide's pages rendered from Markdown, links
// and pictures resolve from the page shown, the search finds the pages holding every word and
// opens them at the first place, and a missing page says so.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>

#include "app/core/Commands.h"
#include "app/gui/HelpWindow.h"
#include "app/gui/PlotViewWindows.h"
#include "app/gui/ViewWindows.h"
#include "tests/gui/GuiTestHelpers.h"
#include "views/PhasePlot.h"
#include "views/Spectrogram.h"
#include "views/SurfacePlot.h"

namespace orvanix::test {
namespace {

void WriteText(const QString& path, const char* text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}

class HelpWindowTest : public GuiFixture {};

TEST_F(HelpWindowTest, HelpCommandsShowTheGuideRenderedWithItsLinksAndPictures) {
  MakeFrame();
  ASSERT_TRUE(frame_->CommandEnabled(kCmdHelpContents));
  ASSERT_TRUE(frame_->RunCommand(kCmdHelpContents));
  THelpWindow* help = frame_->HelpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->CurrentPage(), "docs/guide/contents.md");
  // Rendered, not the Markdown source.
  const QString text = help->Browser()->toPlainText();
  EXPECT_TRUE(text.contains("Orvanix user guide")) << text.toStdString();
  EXPECT_FALSE(text.contains("# Orvanix")) << text.toStdString();
  EXPECT_FALSE(text.contains("](")) << text.toStdString();
  // Every page of the guide is listed, and the README as the release notes.
  const QDir guide(QString::fromUtf8(ORVANIX_SOURCE_DIR) + "/docs/guide");
  EXPECT_EQ(help->Pages()->count(), guide.entryList({"*.md"}, QDir::Files).size() + 1);

  // A link leads to its page, whose pictures load from beside it.
  emit help->Browser()->anchorClicked(QUrl("calibration.md"));
  EXPECT_EQ(help->CurrentPage(), "docs/guide/calibration.md");
  EXPECT_TRUE(help->Browser()->toPlainText().startsWith("Calibration"));
  const QByteArray picture =
      help->Browser()
          ->loadResource(QTextDocument::ImageResource, QUrl("../images/dialog-calibration.png"))
          .toByteArray();
  EXPECT_TRUE(picture.startsWith("\x89PNG")) << picture.size();
  // The picture, wider than the page, is shown at the page's width.
  int pictures = 0;
  const int room = help->Browser()->viewport()->width();
  for (QTextBlock block = help->Browser()->document()->begin(); block.isValid();
       block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat format = it.fragment().charFormat();
      if (!format.isImageFormat()) continue;
      ++pictures;
      EXPECT_GT(format.toImageFormat().width(), 0.0);
      EXPECT_LE(format.toImageFormat().width(), room);
    }
  }
  EXPECT_EQ(pictures, 1);

  // The other commands use the same window.
  ASSERT_TRUE(frame_->RunCommand(kCmdApplicationNotes));
  EXPECT_EQ(frame_->HelpWindow(), help);
  EXPECT_EQ(help->CurrentPage(), "docs/guide/application-notes.md");
  EXPECT_TRUE(help->Browser()->toPlainText().startsWith("Application notes"));
  ASSERT_TRUE(frame_->RunCommand(kCmdReleaseNotes));
  EXPECT_EQ(help->CurrentPage(), "README.md");
  ASSERT_TRUE(frame_->RunCommand(kCmdHelpSearch));
  EXPECT_EQ(help->CurrentPage(), "README.md");  // searching keeps the page shown
  // Exit closes it.
  CloseFrame();
}

// A view's Help item opens that view's own page, not the contents.
TEST_F(HelpWindowTest, EachViewsHelpOpensItsPage) {
  RegisterPlotViews();
  MakeFrame();
  frame_->StartUp({});
  struct View {
    int32_t command;
    WindowKind kind;
    const char* page;
  };
  for (const View& view : {View{kCmdViewSpectrogram, kWindowSpectrogram, "spectrogram.md"},
                           View{kCmdViewSurface, kWindowSurface, "surface.md"},
                           View{kCmdViewPhase, kWindowPhase, "phase.md"}}) {
    ASSERT_TRUE(frame_->RunCommand(view.command));
    QWidget* window = frame_->Windows().SubWindow(view.kind);
    ASSERT_NE(window, nullptr) << view.page;
    if (auto* plot = window->findChild<TSpectrogram*>()) emit plot->HelpRequested();
    if (auto* plot = window->findChild<TSurfacePlot*>()) emit plot->HelpRequested();
    if (auto* plot = window->findChild<TPhasePlot*>()) emit plot->HelpRequested();
    ASSERT_NE(frame_->HelpWindow(), nullptr) << view.page;
    EXPECT_EQ(frame_->HelpWindow()->CurrentPage(), QString("docs/guide/") + view.page);
  }
}

TEST_F(HelpWindowTest, SearchFindsThePagesHoldingEveryWord) {
  const QString root = scratch_.path() + "/docs-root";
  WriteText(root + "/docs/guide/alpha.md", "# Alpha\n\nThe *calibrator* and the microphone.\n");
  WriteText(root + "/docs/guide/beta.md",
            "# Beta\n\nThe microphone, the **Microphone** and the preamp.\n");
  WriteText(root + "/README.md", "# Readme\n\nNothing of that.\n");
  THelpWindow help(root);
  ASSERT_EQ(help.Pages()->count(), 3);

  auto pages = [&](const char* query) {
    std::vector<std::string> found;
    for (const auto& match : help.Search(query)) {
      found.push_back(match.page.toStdString() + " " + std::to_string(match.places));
    }
    return found;
  };
  EXPECT_EQ(pages("microphone"),
            (std::vector<std::string>{"docs/guide/beta.md 2", "docs/guide/alpha.md 1"}));
  EXPECT_EQ(pages("Calibrator  MICROPHONE"), (std::vector<std::string>{"docs/guide/alpha.md 2"}));
  EXPECT_TRUE(pages("microphone tripod").empty());
  EXPECT_TRUE(pages("   ").empty());

  // Typed into the field: the list of pages found; choosing one opens it at the first place.
  help.SearchField()->setText("microphone");
  ASSERT_EQ(help.Results()->count(), 2);
  EXPECT_EQ(help.Results()->item(0)->text(), "Beta (2)");
  ASSERT_TRUE(help.OpenResult(0));
  EXPECT_EQ(help.CurrentPage(), "docs/guide/beta.md");
  const QTextCursor cursor = help.Browser()->textCursor();
  EXPECT_EQ(cursor.selectedText().toLower(), "microphone");
  EXPECT_EQ(help.Browser()->toPlainText().indexOf("microphone"), cursor.selectionStart());
  help.SearchField()->setText("tripod");
  EXPECT_EQ(help.Results()->count(), 0);
  EXPECT_FALSE(help.OpenResult(0));

  // The real guide: the calibration page holds "reference" and "calibrator".
  MakeFrame();
  ASSERT_TRUE(frame_->RunCommand(kCmdHelpSearch));
  bool calibrationPage = false;
  for (const auto& match : frame_->HelpWindow()->Search("reference calibrator")) {
    calibrationPage = calibrationPage || match.page == "docs/guide/calibration.md";
  }
  EXPECT_TRUE(calibrationPage);
}

TEST_F(HelpWindowTest, AMissingPageSaysSo) {
  const QString root = scratch_.path() + "/docs-root";
  WriteText(root + "/docs/guide/only.md", "# Only\n\nOne page.\n");
  THelpWindow help(root);
  EXPECT_FALSE(help.ShowPage("docs/guide/contents.md"));
  EXPECT_TRUE(help.CurrentPage().isEmpty());
  EXPECT_TRUE(
      help.Browser()->toPlainText().startsWith("The help page docs/guide/contents.md is missing."))
      << help.Browser()->toPlainText().toStdString();
  // A link to a page that is not there says so too.
  ASSERT_TRUE(help.ShowPage("docs/guide/only.md"));
  emit help.Browser()->anchorClicked(QUrl("gone.md"));
  EXPECT_TRUE(help.Browser()->toPlainText().contains("docs/guide/gone.md is missing"));
  // Without any documentation folder every page is missing, and nothing crashes.
  THelpWindow none(QString{});
  EXPECT_EQ(none.Pages()->count(), 0);
  EXPECT_FALSE(none.ShowPage("README.md"));
  EXPECT_TRUE(none.Browser()->toPlainText().contains("README.md is missing"));
  EXPECT_TRUE(none.Search("anything").empty());
}

}  // namespace
}  // namespace orvanix::test
