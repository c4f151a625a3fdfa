// The server through its socket, in the test's own event loop: items, execute commands and
// their refusals, poke, advise links, and the bounds that keep clients from hurting the
// analyzer or each other.
#include <sys/stat.h>

#include <QEventLoop>
#include <QTimer>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "AutomationTestSupport.h"
#include "automation/Items.h"
#include "engine/ProcessingStep.h"

namespace orvanix::test {
namespace {

using AutomationServer = AutomationFixture;

// A sine of `amplitude` (raw 16-bit) at bin `bin` of an N-point block, as poke text.
std::string SineText(uint32_t n, uint32_t bin, double amplitude) {
  std::string text;
  for (uint32_t i = 0; i < n; ++i) {
    text += std::to_string(std::lround(amplitude * std::sin(2 * std::numbers::pi * bin * i / n)));
    text += ' ';
  }
  return text;
}

TEST_F(AutomationServer, SocketIsPrivateAndGreets) {
  struct stat info {};
  ASSERT_EQ(::stat(SocketPath().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  TPumpedClient c;
  ASSERT_TRUE(c.Connect(SocketPath()));
  EXPECT_EQ(c.greeting.head, "hello Tessiva Data");
  EXPECT_EQ(c.Ask("connect tessiva DATA").head, "answer ok");
  EXPECT_EQ(c.Ask("connect Tessiva System").head, "error unknown service or topic");
}

TEST_F(AutomationServer, FftSizeCommandAcceptsPowersOfTwoOnly) {
  TPumpedClient c;
  ASSERT_TRUE(c.Connect(SocketPath()));
  EXPECT_EQ(c.Ask("execute [set fft size 4096]").head, "answer processed");
  EXPECT_EQ(core_->Settings().processing.fftSize, 4096);
  EXPECT_EQ(c.Ask("execute [FFT Size 3000]").head, "answer not-processed");
  EXPECT_EQ(core_->Settings().processing.fftSize, 4096);
  EXPECT_EQ(c.Ask("execute [FFT Size 2048]").head, "answer processed");
  const TMessage size = c.Ask("request FFT Size");
  EXPECT_EQ(size.head, "value 4");
  EXPECT_EQ(size.data, "2048");
}

TEST_F(AutomationServer, AverageSizeAndOverlapAreClamped) {
  TPumpedClient c;
  ASSERT_TRUE(c.Connect(SocketPath()));
  EXPECT_EQ(c.Ask("execute [Average Size 2000]").head, "answer processed");
  EXPECT_EQ(core_->Settings().processing.averageBlocks, kInfiniteAverages);
  EXPECT_EQ(c.Ask("request Average Size").data, "1001");
  c.Ask("execute [Set Average Size 16]");
  EXPECT_EQ(c.Ask("request 28").data, "16");
  c.Ask("execute [FFT Overlap 150]");
  EXPECT_EQ(c.Ask("request FFT Overlap").data, "99");
  c.Ask("execute [Set FFT Overlap -5]");
  EXPECT_EQ(c.Ask("request FFT Overlap").data, "0");
}

TEST_F(AutomationServer, MarkerOutsideTheSpanChangesNothingButIsProcessed) {
  TPumpedClient c;
  ASSERT_TRUE(c.Connect(SocketPath()));
  const float before = core_->Settings().markers.freqHz[1];
  const double nyquist = core_->Settings().processing.format.sampleRate / 2.0;
  EXPECT_EQ(c.Ask("execute [Marker2 0]").head, "answer processed");
  EXPECT_EQ(c.Ask("execute [Marker2 " + std::to_string(nyquist) + "]").head, "answer processed");
  EXPECT_EQ(core_->Settings().markers.freqHz[1], before);
  EXPECT_EQ(c.Ask("execute [Marker2 1234.5]").head, "answer processed");
  EXPECT_FLOAT_EQ(core_->Settings().markers.freqHz[1], 1234.5f);
}

TEST_F(AutomationServer, RefusalsAnswerNotProcessed) {
  TPumpedClient c;
  ASSERT_TRUE(c.Connect(SocketPath()));
  EXPECT_EQ(c.Ask("execute [Make Coffee]").head, "answer not-processed");
  EXPECT_EQ(c.Ask("execute [Run 0]").head, "answer not-processed");
  EXPECT_EQ(c.Ask("execute [Go To 1]").head, "answer not-processed");  // no wave file
  EXPECT_EQ(c.Ask("execute [Set Decimation Ratio 51]").head, "answer not-processed");
  EXPECT_EQ(c.Ask("execute [UseTempFile a,1,2]").head, "answer not-processed");
  EXPECT_EQ(c.Ask("request Peak Frequencies").head, "error unknown item: Peak Frequencies");
  EXPECT_EQ(c.Ask("request Keldor Marine Event").head, "error no data for this item");
  EXPECT_EQ(c.Ask("frobnicate").head, "error unknown verb");
  EXPECT_EQ(c.Ask("unadvise FFT Count").head, "error no advise link on this item");
  // The conversation goes on after every refusal.
  EXPECT_EQ(c.Ask("request Version Number").data, "4.32.18");
}

TEST_F(AutomationServer, PokeOfAKnownSineGivesItsPeak) {
  TPumpedClient c;
  ASSERT_TRUE(c.Connect(SocketPath()));
  c.Ask("execute [Set FFT Size 4096]");
  c.Ask("execute [Window Uniform]");
  c.Ask("execute [Set Channel Left]");
  c.Ask("execute [Set Amplitude Scaling Type Log]");
  const uint32_t rate = core_->Settings().processing.format.sampleRate;
  // Bin 93 at half full scale: through the uniform window a bin-centre tone reads its
  // level exactly, -6.02 dB.
  EXPECT_EQ(c.Ask("poke " + SineText(4096, 93, 16383.5)).head, "answer processed");
  const double f = std::stod(c.Ask("request Peak Frequency").data);
  EXPECT_NEAR(f, 93.0 * rate / 4096, 1e-3);
  const double a = std::stod(c.Ask("request Peak Amplitude").data);
  EXPECT_NEAR(a, 20 * std::log10(0.5), 0.01);
  EXPECT_EQ(c.Ask("request Peak1 Frequency").data, c.Ask("request Peak Frequency").data);
}

TEST_F(AutomationServer, PokeWhileRunningIsBusyAndChangesNothing) {
  TPumpedClient c;
  ASSERT_TRUE(c.Connect(SocketPath()));
  core_->ChangeSettings([](TAnalyzerSettings& s) { s.processing.fftSize = 1024; },
                        SettingsOrigin::Dialog);
  ASSERT_EQ(c.Ask("poke " + SineText(1024, 50, 8000)).head, "answer processed");
  const std::string before = c.Ask("request Spectrum").data;
  const double peak = std::stod(c.Ask("request Peak Frequency").data);
  EXPECT_NEAR(peak, 50.0 * core_->Settings().processing.format.sampleRate / 1024, 1e-3);
  UseLoopback();
  ASSERT_TRUE(core_->Start());
  EXPECT_EQ(c.Ask("poke " + SineText(1024, 200, 8000)).head, "answer busy");
  core_->Stop();
  EXPECT_EQ(c.Ask("poke " + SineText(1024, 200, 8000)).head, "answer processed");
  EXPECT_NE(c.Ask("request Spectrum").data, before);
}

TEST_F(AutomationServer, MalformedPokeGetsAnErrorAndLeavesTheSpectrum) {
  TPumpedClient c;
  ASSERT_TRUE(c.Connect(SocketPath()));
  core_->ChangeSettings([](TAnalyzerSettings& s) { s.processing.fftSize = 256; },
                        SettingsOrigin::Dialog);
  ASSERT_EQ(c.Ask("poke " + SineText(256, 20, 8000)).head, "answer processed");
  const std::string before = c.Ask("request Spectrum").data;
  EXPECT_EQ(c.Ask("poke 1 2 99999").head.rfind("error sample out of range", 0), 0u);
  EXPECT_EQ(c.Ask("poke 1 2 3..4").head.rfind("error not a number", 0), 0u);
  EXPECT_EQ(c.Ask("request Spectrum").data, before);
}

TEST_F(AutomationServer, BothChannelsAnswerTwoTabSeparatedValues) {
  TPumpedClient c;
  ASSERT_TRUE(c.Connect(SocketPath()));
  ASSERT_EQ(c.Ask("execute [Set Channel Both]").head, "answer processed");
  ASSERT_EQ(c.Ask("poke " + SineText(4096, 40, 10000)).head, "answer processed");
  const std::string peak = c.Ask("request Peak Frequency").data;
  const size_t tab = peak.find('\t');
  ASSERT_NE(tab, std::string::npos) << peak;
  EXPECT_EQ(peak.find('\t', tab + 1), std::string::npos);
  c.Ask("execute [Set Channel Left]");
  EXPECT_EQ(c.Ask("request Peak Frequency").data.find('\t'), std::string::npos);
}

TEST_F(AutomationServer, SpectrumIsOneLinePerSpectralLine) {
  TPumpedClient c;
  ASSERT_TRUE(c.Connect(SocketPath()));
  c.Ask("execute [Set FFT Size 1024]");
  c.Ask("execute [Set Channel Left]");
  c.Ask("execute [Set Frequency Scaling Type Linear]");
  ASSERT_EQ(c.Ask("poke " + SineText(1024, 100, 10000)).head, "answer processed");
  const std::string text = c.Ask("request Spectrum").data;
  std::vector<std::pair<double, double>> points;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    const std::string line = text.substr(at, end - at);
    const size_t tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos);
    points.emplace_back(std::stod(line.substr(0, tab)), std::stod(line.substr(tab + 1)));
    at = end + 2;
  }
  const TSpectralData& s = *core_->Engine().left;
  ASSERT_GT(points.size(), 100u);
  // Frequencies step by the bin width, and the largest value is at bin 100.
  EXPECT_NEAR(points[1].first - points[0].first, s.BinWidth(), 1e-4);
  const auto largest = std::max_element(points.begin(), points.end(),
                                        [](auto& a, auto& b) { return a.second < b.second; });
  EXPECT_NEAR(largest->first, s.BinFrequency(100), 1e-3);
}

TEST_F(AutomationServer, AdviseDeliversOneUpdatePerBlock) {
  const std::string wave = ToneFile("tone.wav", 44100);
  ASSERT_TRUE(core_->OpenWave(wave));
  TPumpedClient c;
  ASSERT_TRUE(c.Connect(SocketPath()));
  c.Ask("execute [Set FFT Size 1024]");
  ASSERT_EQ(c.Ask("advise FFT Count").head, "answer ok");
  ASSERT_EQ(c.Ask("warm Peak Frequency").head, "answer ok");
  ASSERT_EQ(c.Ask("execute [Run]").head, "answer processed");
  ASSERT_TRUE(core_->WaitUntilStopped(30000));
  int updates = 0;
  int changes = 0;
  std::string last;
  for (TMessage m = c.Next(500); m.received; m = c.Next(500)) {
    if (m.head.rfind("update 21 ", 0) == 0) {
      ++updates;
      last = m.data;
    }
    if (m.head == "changed 0") ++changes;
  }
  EXPECT_EQ(static_cast<uint64_t>(updates), core_->BlockCount());
  EXPECT_EQ(changes, updates);
  EXPECT_EQ(last, std::to_string(core_->BlockCount()));
  EXPECT_EQ(44100u / 1024u, core_->BlockCount());
}

TEST_F(AutomationServer, TwentyFirstClientIsRefusedPolitely) {
  std::vector<std::unique_ptr<TPumpedClient>> clients;
  for (int i = 0; i < kConversationSlots; ++i) {
    clients.push_back(std::make_unique<TPumpedClient>());
    ASSERT_TRUE(clients.back()->Connect(SocketPath())) << i;
  }
  TPumpedClient extra;
  EXPECT_FALSE(extra.Connect(SocketPath()));
  EXPECT_EQ(extra.greeting.head, "error refused: all 20 conversations are in use");
  // One leaves, the next one gets its slot.
  clients.front()->Ask("quit");
  clients.front().reset();
  RunEvents(200, [&] { return Module().Server().Conversations() < kConversationSlots; });
  TPumpedClient next;
  EXPECT_TRUE(next.Connect(SocketPath()));
}

TEST_F(AutomationServer, SilentAndFloodingClientsBlockNoOne) {
  TPumpedClient silent;
  ASSERT_TRUE(silent.Connect(SocketPath()));
  TPumpedClient flood;
  ASSERT_TRUE(flood.Connect(SocketPath()));
  const std::string megabyte(1 << 20, 'x');
  for (int i = 0; i < 10; ++i) {  // 10 MB, no newline
    flood.Socket().write(megabyte.data(), static_cast<qint64>(megabyte.size()));
    RunEvents(10);
  }
  TPumpedClient other;
  ASSERT_TRUE(other.Connect(SocketPath()));
  EXPECT_EQ(other.Ask("request FFT Size").head.rfind("value ", 0), 0u);
  const TMessage error = flood.Next();
  EXPECT_EQ(error.head, "error line too long");
  // The flood ends with its newline; the conversation works again.
  flood.Send("\nrequest Version Number");
  EXPECT_EQ(flood.Next().data, "4.32.18");
}

TEST_F(AutomationServer, ClientThatStopsReadingHasABoundedQueue) {
  TPumpedClient slow;
  ASSERT_TRUE(slow.Connect(SocketPath()));
  slow.Ask("execute [Set FFT Size 4096]");
  ASSERT_EQ(slow.Ask("advise Spectrum").head, "answer ok");  // ~60 kB per update
  // From here it takes no more than its small buffer holds: the rest waits in the server.
  slow.Socket().setReadBufferSize(1024);
  TPumpedClient quick;
  ASSERT_TRUE(quick.Connect(SocketPath()));
  ASSERT_EQ(quick.Ask("advise FFT Count").head, "answer ok");
  const std::string block = SineText(4096, 93, 8000);
  int quickUpdates = 0;
  for (int i = 0; i < 200; ++i) {
    // The slow client never reads; the quick one gets its update, then the answer.
    quick.Send("poke " + block);
    quickUpdates += quick.Next().head.rfind("update 21 ", 0) == 0;
    ASSERT_EQ(quick.Next().head, "answer processed");
  }
  EXPECT_EQ(quickUpdates, 200);
  EXPECT_GT(Module().Server().DroppedUpdates(), 0u);
  EXPECT_EQ(Module().Server().Conversations(), 2);
}

TEST_F(AutomationServer, DisconnectMidAdviseFreesTheSlotAndTheLinks) {
  {
    TPumpedClient c;
    ASSERT_TRUE(c.Connect(SocketPath()));
    ASSERT_EQ(c.Ask("advise Spectrum").head, "answer ok");
    EXPECT_TRUE(Module().ConsumesSpectra());
    c.Socket().abort();
  }
  RunEvents(2000, [&] { return Module().Server().Conversations() == 0; });
  EXPECT_EQ(Module().Server().Conversations(), 0);
  EXPECT_FALSE(Module().ConsumesSpectra());
  const std::string block = SineText(4096, 93, 8000);
  TPumpedClient c;
  ASSERT_TRUE(c.Connect(SocketPath()));
  EXPECT_EQ(c.Ask("poke " + block).head, "answer processed");
}

TEST_F(AutomationServer, SecondServerOnTheSameSocketIsRefused) {
  TAutomationModule second(*core_);
  std::string error;
  EXPECT_FALSE(second.Serve(SocketPath(), error));
  EXPECT_NE(error.find("another server"), std::string::npos) << error;
  TPumpedClient c;
  EXPECT_TRUE(c.Connect(SocketPath()));
}

TEST_F(AutomationServer, FileClosedNamesTheClosedWaveOnce) {
  const std::string wave = ToneFile("closed.wav", 8192);
  ASSERT_TRUE(core_->OpenWave(wave));
  TPumpedClient c;
  ASSERT_TRUE(c.Connect(SocketPath()));
  ASSERT_EQ(c.Ask("advise File Closed").head, "answer ok");
  // The link's update comes before the command's answer.
  c.Send("execute [File Close]");
  const TMessage update = c.Next();
  EXPECT_EQ(c.Next().head, "answer processed");
  EXPECT_EQ(update.head.rfind("update 58 ", 0), 0u) << update.head;
  EXPECT_EQ(update.data, wave);
  EXPECT_EQ(c.Ask("request File Closed").data, "");
}

// A message box, as far as the server can tell: it pumps the event loop while "open", and
// sends the client's next line from inside it, as a user's script would while the box waits.
class TBoxSink : public TMessageSink {
 public:
  std::function<void()> whileOpen;
  std::vector<std::string> reports;
  void Report(std::string_view text, std::string_view, MessageIcon) override {
    reports.emplace_back(text);
    if (whileOpen) whileOpen();
  }
  MessageAnswer Ask(std::string_view, std::string_view, MessageButtons, MessageAnswer defaultAnswer,
                    MessageIcon) override {
    return defaultAnswer;
  }
};

TEST_F(AutomationServer, ACommandsMessageWaitsUntilItIsAnswered) {
  // Shown from inside the command's handler, a box would let another client's command run
  // in the middle of this one, and a disconnection free the conversation being answered.
  // The client here is a bare socket that nobody reads: what the server sent stays in it.
  QLocalSocket client;
  client.connectToServer(QString::fromStdString(SocketPath()));
  ASSERT_TRUE(client.waitForConnected(2000));
  auto pump = [](int msec) {
    QEventLoop loop;
    QTimer::singleShot(msec, &loop, &QEventLoop::quit);
    loop.exec();
  };
  pump(100);
  client.readAll();  // the greeting
  TBoxSink box;
  TScopedMessageSink scoped(&box);
  std::string sentBeforeTheBox;
  box.whileOpen = [&] {
    pump(200);
    sentBeforeTheBox = client.readAll().toStdString();
  };
  const std::string line = "execute [File Open " + scratch_.File("missing.wav") + "]\n";
  client.write(line.c_str());
  for (int i = 0; i < 50 && box.reports.empty(); ++i) pump(20);
  ASSERT_EQ(box.reports.size(), 1u);
  EXPECT_NE(box.reports[0].find("missing.wav"), std::string::npos) << box.reports[0];
  // Answered first; and a file that does not open is not "processed".
  EXPECT_EQ(sentBeforeTheBox.rfind("answer not-processed", 0), 0u) << sentBeforeTheBox;
}

}  // namespace
}  // namespace orvanix::test
