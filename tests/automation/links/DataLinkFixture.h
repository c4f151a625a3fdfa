// The analyzer with its automation server and the stand-in external program, for the data
// link tests: pasting links and publishing steps of the RPM sweep through real sockets.
#pragma once

#include <stdlib.h>

#include <memory>
#include <string>

#include "acquisition/ReportQueue.h"
#include "automation/AutomationTexts.h"
#include "automation/DataLinks.h"
#include "tests/automation/AutomationTestSupport.h"
#include "tests/publisher/ZavoPublisher.h"

namespace orvanix::test {

class DataLinkTest : public AutomationFixture {
 protected:
  void SetUp() override {
    // Services are found in the private folder under XDG_RUNTIME_DIR: this test's own.
    ::setenv("XDG_RUNTIME_DIR", scratch_.Path().c_str(), 1);
    ::unsetenv(kSocketEnvironment);
    AutomationFixture::SetUp();
  }
  void TearDown() override {
    Links().Disconnect();
    publisher_.reset();
    AutomationFixture::TearDown();
  }

  TDataLinks& Links() { return Module().Links(); }

  void StartPublisher(TPublisherOptions options = {}) {
    publisher_ = std::make_unique<TZavoPublisher>(options);
    std::string error;
    const std::string path = LinkSocketPath(kExternalService, error);
    ASSERT_TRUE(publisher_->Listen(path, error)) << error;
  }

  // Pastes a link and waits until it is settled (active, or failed with its message shown).
  bool Paste(const TLinkAddress& link, const std::string& text = {}) {
    if (!Links().PasteLink(link, text)) return false;
    RunEvents(5000, [&] { return Links().State() != TDataLinks::Phase::Connecting; });
    Settle();
    return Links().Active();
  }

  // Lets queued messages and the setup's questions run out.
  void Settle(int msec = 300) {
    RunEvents(msec);
    TReportQueue::Instance().Flush();
  }

  bool PasteMulti(int channels = 2) {
    const std::string test = TPublisherOptions{}.testName;
    std::string text = "<<ZAVO>>RPM>>ZAVO|" + test + "!RPM;Ch1>>ZAVO|" + test + "!Ch1.Spectrum";
    if (channels == 2) text += ";Ch2>>ZAVO|" + test + "!Ch2.Spectrum";
    const bool active = Paste({kMultiLinkApplication, test, "Ch1"}, text);
    // The properties and the order-tracking questions follow the links.
    RunEvents(3000, [&] { return core_->Engine().settings.fftSize == 1024; });
    Settle();
    return active;
  }

  // Publishes one step and waits until its spectra were taken.
  void Step() {
    const uint64_t before = Links().SetsTaken();
    publisher_->Publish();
    RunEvents(3000, [&] { return Links().SetsTaken() > before; });
  }

  std::unique_ptr<TZavoPublisher> publisher_;
};

}  // namespace orvanix::test
