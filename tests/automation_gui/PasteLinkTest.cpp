// Edit > Paste Link in the windowed program: the link read from the clipboard, the analyzer
// configured for the external program's spectra, and the spectrum view showing them.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <cmath>
#include <cstdlib>

#include "AutomationGuiFixture.h"
#include "app/gui/SpectrumWindow.h"
#include "app/gui/ViewWindows.h"
#include "automation/DataLinks.h"
#include "automation/LinkText.h"
#include "tests/publisher/ZavoPublisher.h"
#include "views/OrvanePlot.h"

namespace orvanix::test {
namespace {

class PasteLink : public AutomationGuiFixture {
 protected:
  void SetUp() override {
    ::setenv("XDG_RUNTIME_DIR", Path("").c_str(), 1);
    AutomationGuiFixture::SetUp();
    std::string error;
    ASSERT_TRUE(publisher_.Listen(LinkSocketPath(kExternalService, error), error)) << error;
  }
  void TearDown() override {
    automation_->Links().Disconnect();
    AutomationGuiFixture::TearDown();
  }

  // What another program copies: the "Link" format (in the case that program chose) and,
  // for a multi-link, the text.
  void CopyLink(const char* format, const TLinkAddress& link, const std::string& text = {}) {
    auto* mime = new QMimeData;
    const std::string bytes = MakeLinkFormat(link);
    mime->setData(format, QByteArray(bytes.data(), qsizetype(bytes.size())));
    if (!text.empty()) mime->setText(QString::fromStdString(text));
    QGuiApplication::clipboard()->setMimeData(mime);
  }

  TZavoPublisher publisher_;
};

TEST_F(PasteLink, EnabledOnlyWithALinkOnTheClipboardInRealTimeMode) {
  QGuiApplication::clipboard()->setText("just text");
  EXPECT_FALSE(frame_->CommandEnabled(kCmdPasteLink));
  CopyLink("link", {"ZAVO", "Signals", "Sine"});  // the format's name in any case
  EXPECT_TRUE(frame_->CommandEnabled(kCmdPasteLink));
  ASSERT_TRUE(frame_->RunCommand(kCmdModePostProcess));
  EXPECT_FALSE(frame_->CommandEnabled(kCmdPasteLink));
}

TEST_F(PasteLink, TheSpectrumViewShowsTheLinkedSpectra) {
  const std::string test = TPublisherOptions{}.testName;
  CopyLink("Link", {kMultiLinkApplication, test, "Ch1"},
           "<<ZAVO>>RPM>>ZAVO|" + test + "!RPM;Ch1>>ZAVO|" + test + "!Ch1.Spectrum;Ch2>>ZAVO|" +
               test + "!Ch2.Spectrum");
  ASSERT_TRUE(frame_->RunCommand(kCmdPasteLink));
  ASSERT_TRUE(WaitFor([&] { return core_->Settings().processing.fftSize == 1024; }, 5000));
  ASSERT_TRUE(frame_->RunCommand(kCmdViewSpectrum));
  TSpectrumWindow* window = frame_->Windows().Spectrum();
  ASSERT_NE(window, nullptr);
  const uint64_t sets = automation_->Links().SetsTaken();
  publisher_.Publish();
  ASSERT_TRUE(WaitFor([&] { return automation_->Links().SetsTaken() > sets; }, 5000));
  const TOrvanePlot::TDataValues values = window->Plot()->DataValues();
  ASSERT_EQ(values.columns, 3);
  const double width = publisher_.LineWidthHz();
  // Order 20 of 600 rpm on the right, the 5 kHz line on the left, each as published.
  int found = 0;
  for (const auto& row : values.rows) {
    if (std::fabs(row[0] - 5 * width) < 1e-2) {
      EXPECT_NEAR(row[1], 0.0, 1e-6);
      EXPECT_NEAR(row[2], 0.5, 1e-6);
      ++found;
    }
    if (std::fabs(row[0] - 116 * width) < 1e-2) {
      EXPECT_NEAR(row[1], 0.2, 1e-6);
      EXPECT_NEAR(row[2], 0.0, 1e-6);
      ++found;
    }
  }
  EXPECT_EQ(found, 2);
}

}  // namespace
}  // namespace orvanix::test
