// Data links end to end, through real sockets: the analyzer (with its automation server)
// links to the stand-in external program; failures of the server on the other end.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>

#include "DataLinkFixture.h"
#include "engine/ProcessingStep.h"
#include "files/Configuration.h"

namespace orvanix::test {
namespace {

TEST_F(DataLinkTest, PlainLinkTakesTheDataAsSamples) {
  StartPublisher();
  TPumpedClient watcher;
  ASSERT_TRUE(watcher.Connect(SocketPath()));
  ASSERT_EQ(watcher.Ask("advise Peak Frequency").head, "answer ok");
  ASSERT_TRUE(Paste({"ZAVO", "Signals", "Sine"}));
  EXPECT_EQ(Module().Server().LinkSlots(), 1);
  publisher_->Publish();
  // The block is processed as a poke's: every advise link hears of it.
  const TMessage update = watcher.Next();
  ASSERT_TRUE(update.received);
  const ProcessingSettings& p = core_->Engine().settings;
  const double expected = p.format.sampleRate / 32.0;  // a sine of 32 samples per period
  EXPECT_NEAR(std::atof(update.data.c_str()), expected, p.BinWidth());
  EXPECT_NEAR(core_->Engine().left->PeakFrequency(), expected, p.BinWidth());
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_F(DataLinkTest, PlainLinkFailuresSayWhatFailed) {
  StartPublisher();
  EXPECT_FALSE(Paste({"Nowhere", "Data", "Spectrum"}));
  EXPECT_TRUE(sink_.Contains("Failure linking to Nowhere"));
  EXPECT_FALSE(Paste({"ZAVO", "No Such Topic", "Sine"}));
  EXPECT_TRUE(sink_.Contains("Failure linking to ZAVO"));
  EXPECT_FALSE(Paste({"ZAVO", "Signals", "Nothing"}));
  EXPECT_TRUE(sink_.Contains(
      "The following DDE data is not available:\rServer: ZAVO\rTopic: Signals\rItem: Nothing"));
  // A name that cannot be a socket's is no server either.
  EXPECT_FALSE(Paste({"../x", "Data", "Spectrum"}));
  EXPECT_TRUE(sink_.Contains("Failure linking to ../x"));
  // Every failed conversation gave its slot back.
  EXPECT_EQ(Module().Server().LinkSlots(), 0);
  EXPECT_EQ(publisher_->Conversations(), 0);
}

TEST_F(DataLinkTest, APlainLinkToOurOwnServiceIsRefusedAndTheLinkThereWasGoesOn) {
  StartPublisher();
  ASSERT_TRUE(Paste({"ZAVO", "Signals", "Sine"}));
  // Where the link finds service Tessiva is where this analyzer serves (the name in any case).
  ::setenv(kSocketEnvironment, SocketPath().c_str(), 1);
  EXPECT_TRUE(Links().PasteLink({"TESSIVA", "Data", "Spectrum"}, {}));
  Settle();
  ::unsetenv(kSocketEnvironment);
  EXPECT_TRUE(sink_.Contains(
      "Failure linking to TESSIVA: that is this analyzer's own automation service. Its data "
      "would be analysed again and sent back to it without end."));
  EXPECT_TRUE(Links().Active());
  EXPECT_EQ(Module().Server().LinkSlots(), 1);
  ASSERT_EQ(publisher_->Conversations(), 1);
  // The sine still comes in as samples.
  TPumpedClient watcher;
  ASSERT_TRUE(watcher.Connect(SocketPath()));
  ASSERT_EQ(watcher.Ask("advise Peak Frequency").head, "answer ok");
  publisher_->Publish();
  const TMessage update = watcher.Next();
  ASSERT_TRUE(update.received);
  const ProcessingSettings& p = core_->Engine().settings;
  EXPECT_NEAR(std::atof(update.data.c_str()), p.format.sampleRate / 32.0, p.BinWidth());
}

TEST_F(DataLinkTest, PasteLinkOnlyInRealTimeMode) {
  StartPublisher();
  ASSERT_TRUE(core_->OpenWave(ToneFile("tone.wav", 8192)));
  ASSERT_NE(core_->Mode(), kModeRealTime);
  EXPECT_FALSE(Links().PasteLink({"ZAVO", "Signals", "Sine"}, {}));
  EXPECT_EQ(Links().State(), TDataLinks::Phase::Idle);
}

TEST_F(DataLinkTest, ALinkTakesOneOfTheTwentySlots) {
  StartPublisher();
  std::vector<std::unique_ptr<TPumpedClient>> clients;
  for (int i = 0; i < kConversationSlots - 1; ++i) {
    clients.push_back(std::make_unique<TPumpedClient>());
    ASSERT_TRUE(clients.back()->Connect(SocketPath())) << i;
  }
  ASSERT_TRUE(Paste({"ZAVO", "Signals", "Sine"}));
  TPumpedClient refused;
  EXPECT_FALSE(refused.Connect(SocketPath()));
  EXPECT_EQ(refused.greeting.head, std::string("error ") + kRefusedNoSlot);
  // With every slot taken by clients, a link gets none.
  Links().Disconnect();
  TPumpedClient twentieth;
  ASSERT_TRUE(twentieth.Connect(SocketPath()));
  EXPECT_FALSE(Paste({"ZAVO", "Signals", "Sine"}));
  EXPECT_TRUE(sink_.Contains("Failure linking to ZAVO"));
}

// Each fault of the server on the other end: a message, the link inactive, and the analyzer
// and its clients undisturbed.
TEST_F(DataLinkTest, AServerThatDiesSendsGarbageOrFloodsEndsOnlyItsLink) {
  struct TFault {
    const char* name;
    std::function<void(TZavoPublisher&)> cause;
    const char* message;
  };
  const TFault faults[] = {
      {"dies", [](TZavoPublisher& p) { p.Die(); }, kLinkEndedClosed},
      {"garbage", [](TZavoPublisher& p) { p.SendGarbage(); }, kLinkEndedGarbage},
      {"flood", [](TZavoPublisher& p) { p.Flood(64u << 20); }, kLinkEndedTooLarge},
  };
  StartPublisher();
  TPumpedClient client;
  ASSERT_TRUE(client.Connect(SocketPath()));
  for (const TFault& fault : faults) {
    sink_.Clear();
    ASSERT_TRUE(Paste({"ZAVO", "Signals", "Sine"})) << fault.name;
    fault.cause(*publisher_);
    RunEvents(10000, [&] { return !Links().Active(); });
    Settle();
    EXPECT_FALSE(Links().Active()) << fault.name;
    EXPECT_TRUE(sink_.Contains(Format(fault.message, "ZAVO"))) << fault.name;
    EXPECT_EQ(Module().Server().LinkSlots(), 0) << fault.name;
    const TMessage answer = client.Ask("request FFT Size");
    EXPECT_EQ(answer.data, "4096") << fault.name;
  }
}

TEST_F(DataLinkTest, MultiLinkConfiguresTheAnalyzerForItsSpectra) {
  StartPublisher();
  core_->ChangeSettings([](TAnalyzerSettings& s) { s.scaling.freqScale = 2; },
                        SettingsOrigin::Outside);
  ASSERT_TRUE(PasteMulti());
  EXPECT_TRUE(sink_.Entries().empty()) << sink_.Entries().front().text;
  EXPECT_EQ(Module().Server().LinkSlots(), 3);  // RPM and two channels; the questions' went
  EXPECT_TRUE(Links().FrequencyData());
  EXPECT_TRUE(Links().OrderTracking());
  const TAnalyzerSettings& s = core_->Settings();
  EXPECT_EQ(s.processing.fftSize, 1024);  // 512 points
  EXPECT_EQ(s.processing.format.sampleRate, 44138u);
  EXPECT_EQ(s.processing.format.channels, 2);
  EXPECT_EQ(s.processing.channelProcessing, kBothChannels);
  EXPECT_EQ(s.processing.averageType, kAverageLinear);
  EXPECT_EQ(s.processing.averageBlocks, 1);
  EXPECT_EQ(s.processing.smoothingWindow, 4);
  EXPECT_EQ(s.scaling.freqScale, 0);
  EXPECT_EQ(s.scaling.ampScale, 0);
  EXPECT_EQ(s.calibration.enabled, 1);
  // In order tracking the y label is the test's axis text, without units.
  EXPECT_EQ(FieldText(s.calibration.labelLinear), "Acceleration (g)");
  EXPECT_EQ(FieldText(s.calibration.labelLog), "Acceleration (g) (dB)");
  EXPECT_EQ(Links().XLabel(), "Frequency");
  EXPECT_EQ(Links().Sweep().startRpm, 600);
  EXPECT_EQ(Links().Sweep().incrementRpm, 100);

  Step();
  // The published lines read back as published, in the spectrum and through the server.
  const double width = publisher_->LineWidthHz();
  const std::vector<double> left = publisher_->Spectrum(0, 600);
  const std::vector<double> right = publisher_->Spectrum(1, 600);
  const TEngineObjects& engine = core_->Engine();
  for (uint32_t line = 0; line < 512; ++line) {
    ASSERT_NEAR(engine.left->Value(line), left[line], 1e-6) << line;
    ASSERT_NEAR(engine.right->Value(line), right[line], 1e-6) << line;
  }
  EXPECT_NEAR(engine.left->BinWidth(), width, 1e-3);
  TPumpedClient client;
  ASSERT_TRUE(client.Connect(SocketPath()));
  const TMessage spectrum = client.Ask("request Spectrum");
  // Order 20 of 600 rpm (200 Hz) is line 5 on the right; 5 kHz line 116 on the left.
  EXPECT_NE(spectrum.data.find(Format("%6.6f\t0.000000\t0.500000", 5 * width)), std::string::npos);
  EXPECT_NE(spectrum.data.find(Format("%6.6f\t0.200000\t0.000000", 116 * width)),
            std::string::npos);
}

TEST_F(DataLinkTest, OneChannelWithoutChannelTwoEvenFromAStereoAnalyzer) {
  StartPublisher();
  core_->ChangeSettings(
      [](TAnalyzerSettings& s) {
        s.processing.format.Set(2, 44100, 2);
        s.processing.channelProcessing = kBothChannels;
      },
      SettingsOrigin::Outside);
  ASSERT_TRUE(PasteMulti(1));
  EXPECT_EQ(Module().Server().LinkSlots(), 2);
  EXPECT_EQ(core_->Settings().processing.format.channels, 1);
  EXPECT_EQ(core_->Settings().processing.channelProcessing, kLeftOnly);
  Step();
  EXPECT_EQ(Links().Traces().Count(), 1u);
}

TEST_F(DataLinkTest, OrderTrackingStoresTracesAndShowsTheNearest) {
  StartPublisher();
  ASSERT_TRUE(PasteMulti());
  for (int i = 0; i < 5; ++i) Step();
  const TRpmTraces& traces = Links().Traces();
  ASSERT_EQ(traces.Count(), 5u);
  for (size_t t = 0; t < 5; ++t) EXPECT_EQ(traces.Trace(0, t)->rpm, 600 + 100.0 * t);
  // 751 rpm lies nearer 800 than 700.
  ASSERT_TRUE(Links().ShowNearestTrace(751));
  EXPECT_EQ(Links().LastShown(), "rpm = 800.000000, trace = 2");
  const TSpectralData& left = *core_->Engine().left;
  const uint32_t order10 = left.FrequencyBin(10 * 800 / 60.0f);
  EXPECT_NEAR(left.Value(order10), 1.0, 1e-6);
  EXPECT_NEAR(core_->Engine().right->Value(left.FrequencyBin(20 * 800 / 60.0f)), 0.5, 1e-6);
  // Halfway between 600 and 700: the earlier trace.
  ASSERT_TRUE(Links().ShowNearestTrace(650));
  EXPECT_EQ(Links().LastShown(), "rpm = 600.000000, trace = 0");

  // The RPM track of the 5 kHz line: 1000 x 0.2 at every stored step.
  TRpmTrack track;
  ASSERT_TRUE(Links().BuildTrack(5000, track));
  EXPECT_EQ(track.sampleRateHz, 10u);
  ASSERT_EQ(track.samples[0].size(), 12u);  // 1.25 x 1000 / 100
  for (size_t i = 6; i < 11; ++i) EXPECT_EQ(track.samples[0][i], 200) << i;
  EXPECT_EQ(track.samples[0][5], 0);
  EXPECT_EQ(track.samples[0][11], 0);
}

TEST_F(DataLinkTest, TriggerIncrementZeroSweepsFromSixHundred) {
  TPublisherOptions options;
  options.startingTrigger = 2000;
  options.triggerIncrement = 0;
  StartPublisher(options);
  ASSERT_TRUE(PasteMulti());
  EXPECT_EQ(Links().Sweep().startRpm, 600);
  EXPECT_EQ(Links().Sweep().incrementRpm, 100);
}

TEST_F(DataLinkTest, WithoutOrderTrackingNothingIsStored) {
  TPublisherOptions options;
  options.orderTracking = false;
  StartPublisher(options);
  ASSERT_TRUE(PasteMulti());
  EXPECT_FALSE(Links().OrderTracking());
  // Units are kept outside order tracking.
  EXPECT_EQ(FieldText(core_->Settings().calibration.labelLinear), "Acceleration (g)");
  EXPECT_EQ(FieldText(core_->Settings().calibration.labelLog), "Acceleration (g dB)");
  Step();
  EXPECT_EQ(Links().Traces().Count(), 0u);
  EXPECT_NEAR(core_->Engine().left->Value(2), 1.0, 1e-6);
}

TEST_F(DataLinkTest, TextThatIsNoMultiLinkConnectsNothing) {
  StartPublisher();
  EXPECT_FALSE(Paste({kMultiLinkApplication, "T", "I"}, "<<ZOVA>>RPM>>ZAVO|T!RPM"));
  EXPECT_EQ(Links().State(), TDataLinks::Phase::Idle);
  EXPECT_EQ(publisher_->Conversations(), 0);
  EXPECT_EQ(core_->Settings().processing.fftSize, 4096);
}

TEST_F(DataLinkTest, ClientPokesWaitWhileALinkSuppliesTheData) {
  StartPublisher();
  ASSERT_TRUE(PasteMulti());
  TPumpedClient client;
  ASSERT_TRUE(client.Connect(SocketPath()));
  EXPECT_EQ(client.Ask("poke 1 2 3").head, "answer busy");
  Links().Disconnect();
  EXPECT_EQ(client.Ask("poke 1 2 3").head, "answer processed");
}

}  // namespace
}  // namespace orvanix::test
