// The run loop over wave files (Post-Processing): overlap, channel delay, the end of the
// file, triggering, overload exclusion, single steps and the block limit.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "acquisition/RunLoop.h"
#include "tests/acquisition/RunLoopTestSupport.h"

namespace orvanix {
namespace {

using test::TScratchFolder;
using test::TTestHost;

constexpr uint32_t kRate = 44100;

int16_t Sine(uint32_t frame, double hz, double amplitude) {
  return static_cast<int16_t>(
      std::lround(amplitude * 32767.0 * std::sin(2.0 * std::numbers::pi * hz * frame / kRate)));
}

class RunLoopFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::App();
    host_.tempFolder = folder_.Path();
    host_.waveFolder = folder_.Path();
    loop_.SetAutoStep(false);
  }

  // Writes a file, opens it as the document.
  void Open(uint32_t frames, uint16_t channels,
            const std::function<int16_t(uint32_t, uint32_t)>& sample) {
    const std::string path = folder_.File("input.wav");
    ASSERT_TRUE(test::WriteWave16(path, kRate, channels, frames, sample));
    ASSERT_TRUE(host_.OpenDocument(path));
  }

  // Steps until the run stops; returns the passes made.
  int RunToEnd() {
    int passes = 0;
    while (loop_.Running() && passes < 100000) {
      loop_.Step();
      ++passes;
    }
    return passes;
  }

  TRecordingSink sink_;
  TScopedMessageSink scoped_{&sink_};
  TScratchFolder folder_;
  TTestHost host_;
  TRunLoop loop_{host_};
};

TEST_F(RunLoopFileTest, OverlapAdvancesByTheHopAndStopsAtTheEnd) {
  const uint32_t frames = 44100;
  Open(frames, 1, [](uint32_t i, uint32_t) { return Sine(i, 1000.0, 0.5); });
  host_.processing.overlapPercent = 50;
  ASSERT_TRUE(loop_.Start());
  RunToEnd();

  // Blocks start at 0, 512, 1024, ... while a whole block of 1024 fits: (44100 - 1024) / 512
  // gives 84 further starts.
  EXPECT_EQ(loop_.BlockCount(), 85u);
  ASSERT_EQ(host_.blockTimes.size(), 85u);
  for (size_t i = 0; i < host_.blockTimes.size(); ++i) {
    // Each block is stamped with its centre.
    EXPECT_NEAR(host_.blockTimes[i], (512.0 * i + 512.0) / kRate, 1e-9) << "block " << i;
  }
  EXPECT_EQ(host_.document->Position(), frames);
  EXPECT_EQ(loop_.State(), kStateStopped);
  EXPECT_EQ(host_.engine.left->AverageCount(), 85u);
  // The tone is where it was put: 1 kHz at half full scale reads 50 % (Hanning, amplitude
  // corrected, within the window's scalloping of 1.5 dB).
  EXPECT_NEAR(host_.engine.left->PeakFrequency(), 1000.0, host_.engine.left->BinWidth());
  EXPECT_GT(host_.engine.left->Value(host_.engine.left->PeakBin()), 50.0f * 0.84f);
}

TEST_F(RunLoopFileTest, DelayedChannelIsReadEarlier) {
  // Both channels carry the frame number, so a sample tells where it was read.
  Open(20000, 2, [](uint32_t i, uint32_t) { return static_cast<int16_t>(i); });
  host_.processing.channelProcessing = kBothChannels;
  host_.processing.delayChannel = 0;
  host_.processing.delayTimeMsec = 10.0f;  // 441 samples at 44.1 kHz
  ASSERT_TRUE(loop_.Start());
  ASSERT_EQ(host_.engine.settings.delaySamples, 441);
  host_.document->Seek(5000);
  ASSERT_TRUE(loop_.FetchBlock());
  EXPECT_EQ(host_.engine.seriesLeft->GetRaw(0), 5000 - 441);
  EXPECT_EQ(host_.engine.seriesRight->GetRaw(0), 5000);
  EXPECT_EQ(host_.engine.seriesLeft->GetRaw(1023), 5000 - 441 + 1023);

  // At the start of the file there is nothing before the delayed channel's first sample:
  // that part of the block is silence, not whatever the buffer held before.
  host_.document->Seek(0);
  ASSERT_TRUE(loop_.FetchBlock());
  EXPECT_EQ(host_.engine.seriesLeft->GetRaw(0), 0);
  EXPECT_EQ(host_.engine.seriesLeft->GetRaw(440), 0);
  EXPECT_EQ(host_.engine.seriesLeft->GetRaw(441), 0);
  EXPECT_EQ(host_.engine.seriesLeft->GetRaw(442), 1);
  EXPECT_EQ(host_.engine.seriesRight->GetRaw(442), 442);
}

TEST_F(RunLoopFileTest, DelayNearTheEndStopsInsteadOfWaitingForever) {
  // With the delay margin a last block that is whole without it cannot be fetched; the run
  // must still end.
  Open(4096, 2, [](uint32_t i, uint32_t) { return Sine(i, 500.0, 0.3); });
  host_.processing.channelProcessing = kBothChannels;
  host_.processing.delayTimeMsec = 10.0f;
  ASSERT_TRUE(loop_.Start());
  const int passes = RunToEnd();
  EXPECT_LT(passes, 10);
  EXPECT_EQ(loop_.State(), kStateStopped);
  EXPECT_EQ(host_.document->Position(), 4096u);
}

TEST_F(RunLoopFileTest, StartRefusesWithoutAWholeBlock) {
  ASSERT_FALSE(loop_.Start());
  EXPECT_TRUE(sink_.Contains(kMsgOpenWaveFirst));

  Open(1000, 1, [](uint32_t, uint32_t) { return 0; });
  sink_.Clear();
  EXPECT_FALSE(loop_.Start());
  EXPECT_TRUE(sink_.Contains(kMsgFileTooShort));
  EXPECT_EQ(loop_.State(), kStateStopped);

  Open(5000, 1, [](uint32_t, uint32_t) { return 0; });
  host_.document->Seek(4500);
  sink_.Clear();
  EXPECT_FALSE(loop_.Start());
  EXPECT_TRUE(sink_.Contains(kMsgCloseToEnd));

  host_.document->SeekToEnd();
  sink_.Clear();
  EXPECT_FALSE(loop_.Start());
  EXPECT_TRUE(sink_.Contains(kMsgEndOfFile));
  EXPECT_EQ(host_.stateChanges, 0);
}

class RunLoopTriggerTest : public RunLoopFileTest {
 protected:
  // Silence with a step up to 20000 at frame 3000 lasting 10 frames.
  void OpenPulse() {
    Open(20000, 1,
         [](uint32_t i, uint32_t) -> int16_t { return i >= 3000 && i < 3010 ? 20000 : 0; });
    host_.trigger.enable = 1;
    host_.trigger.thresholdPct = 25;
  }
};

TEST_F(RunLoopTriggerTest, OneShotLevelTriggerProcessesExactlyOneBlockAtTheTrigger) {
  OpenPulse();
  host_.trigger.autoReset = 0;
  ASSERT_TRUE(loop_.Start());
  RunToEnd();
  EXPECT_EQ(host_.blockTimes.size(), 1u);
  EXPECT_EQ(loop_.BlockCount(), 1u);
  EXPECT_FALSE(loop_.TriggerArmed());
  // The processed block begins at the sample that crossed the threshold.
  EXPECT_EQ(host_.engine.seriesLeft->GetRaw(0), 20000);
  EXPECT_EQ(host_.engine.seriesLeft->GetRaw(10), 0);
  EXPECT_EQ(host_.engine.left->AverageCount(), 1u);
}

TEST_F(RunLoopTriggerTest, PreAndPostTriggerDelaysMoveTheBlock) {
  OpenPulse();
  host_.trigger.autoReset = 0;
  host_.trigger.delayMsec = 1.0f;  // 44 samples at 44.1 kHz
  host_.trigger.delayType = 0;     // pre-trigger: the block starts 44 samples early
  ASSERT_TRUE(loop_.Start());
  RunToEnd();
  ASSERT_EQ(host_.blockTimes.size(), 1u);
  EXPECT_EQ(host_.engine.seriesLeft->GetRaw(43), 0);
  EXPECT_EQ(host_.engine.seriesLeft->GetRaw(44), 20000);

  host_.document->Rewind();
  host_.blockTimes.clear();
  host_.trigger.delayType = 1;     // post-trigger: it starts 44 samples after the trigger
  host_.trigger.delayMsec = 0.1f;  // 4 samples, so that part of the pulse is still in it
  ASSERT_TRUE(loop_.Start());
  RunToEnd();
  ASSERT_EQ(host_.blockTimes.size(), 1u);
  EXPECT_EQ(host_.engine.seriesLeft->GetRaw(0), 20000);
  EXPECT_EQ(host_.engine.seriesLeft->GetRaw(5), 20000);
  EXPECT_EQ(host_.engine.seriesLeft->GetRaw(6), 0);
}

TEST_F(RunLoopTriggerTest, EdgeTriggerFiresOnTheStepAndNegativeLevelOnNegativeSamples) {
  OpenPulse();
  host_.trigger.autoReset = 0;
  host_.trigger.triggerType = 1;  // edge, positive: sample[m+1] - sample[m] >= threshold
  ASSERT_TRUE(loop_.Start());
  RunToEnd();
  ASSERT_EQ(host_.blockTimes.size(), 1u);
  EXPECT_EQ(host_.engine.seriesLeft->GetRaw(0), 0);
  EXPECT_EQ(host_.engine.seriesLeft->GetRaw(1), 20000);

  // A negative level trigger never fires on a positive pulse: the file runs to its end
  // without a block.
  host_.document->Rewind();
  host_.blockTimes.clear();
  host_.trigger.triggerType = 0;
  host_.trigger.slope = 1;
  ASSERT_TRUE(loop_.Start());
  RunToEnd();
  EXPECT_TRUE(host_.blockTimes.empty());
  EXPECT_GT(host_.seriesRefreshes, 0);
  EXPECT_EQ(host_.document->Position(), host_.document->Length());
}

TEST_F(RunLoopTriggerTest, TheTriggerIsSearchedOnTheChosenChannel) {
  // A pulse on the left at frame 3000, a smaller one on the right at 6000.
  Open(20000, 2, [](uint32_t i, uint32_t c) -> int16_t {
    if (c == 0) return i >= 3000 && i < 3010 ? 20000 : 0;
    return i >= 6000 && i < 6010 ? 15000 : 0;
  });
  host_.processing.channelProcessing = kBothChannels;
  host_.trigger.enable = 1;
  host_.trigger.autoReset = 0;
  host_.trigger.thresholdPct = 25;
  for (uint16_t channel : {uint16_t{1}, uint16_t{0}}) {
    host_.document->Rewind();
    host_.blockTimes.clear();
    host_.trigger.channel = channel;
    ASSERT_TRUE(loop_.Start());
    RunToEnd();
    ASSERT_EQ(host_.blockTimes.size(), 1u) << "channel " << channel;
    // The block starts at the pulse of the chosen channel; the other channel's is not in it.
    const TSeriesData& left = *host_.engine.seriesLeft;
    const TSeriesData& right = *host_.engine.seriesRight;
    if (channel == 1) {
      EXPECT_EQ(right.GetRaw(0), 15000);
      EXPECT_EQ(left.GetRaw(0), 0);
    } else {
      EXPECT_EQ(left.GetRaw(0), 20000);
      EXPECT_EQ(right.GetRaw(0), 0);
    }
  }
}

TEST_F(RunLoopTriggerTest, RearmedTriggerKeepsGoingAndForcedTriggerFiresAtOnce) {
  Open(40000, 1, [](uint32_t i, uint32_t) -> int16_t { return i % 8192 == 100 ? 20000 : 0; });
  host_.trigger.enable = 1;
  host_.trigger.autoReset = 1;
  ASSERT_TRUE(loop_.Start());
  RunToEnd();
  // Pulses at 100, 8292, 16484, 24676, 32868; each lies in the searched first half of one
  // pass (passes start every 1024 frames and need 2048 frames).
  EXPECT_EQ(host_.blockTimes.size(), 5u);

  Open(20000, 1, [](uint32_t, uint32_t) -> int16_t { return 0; });
  host_.blockTimes.clear();
  host_.trigger.autoReset = 0;
  ASSERT_TRUE(loop_.Start());
  loop_.ForceTrigger();
  loop_.Step();
  EXPECT_EQ(host_.blockTimes.size(), 1u);
  EXPECT_EQ(loop_.State(), kStateStopped);
}

TEST_F(RunLoopFileTest, OverloadedBlockIsCountedAndLeftOutOfTheAverage) {
  // Block 3 (frames 3072 ... 4095) clips; the others hold a quiet tone.
  Open(8192, 1, [](uint32_t i, uint32_t) -> int16_t {
    return i >= 3072 && i < 4096 ? (i % 2 ? 32767 : -32767) : Sine(i, 2000.0, 0.1);
  });
  host_.processing.overloadDetection = 1;
  host_.processing.excludeOverloaded = 1;
  ASSERT_TRUE(loop_.Start());
  for (int i = 0; i < 3; ++i) loop_.Step();
  ASSERT_EQ(host_.engine.left->AverageCount(), 3u);
  std::vector<float> before(host_.engine.left->BinCount());
  for (uint32_t b = 0; b < before.size(); ++b) before[b] = host_.engine.left->AveragePower(b);

  loop_.Step();  // the clipped block
  EXPECT_TRUE(loop_.Overloaded());
  EXPECT_EQ(loop_.OverloadCount(), 1u);
  EXPECT_EQ(host_.engine.left->AverageCount(), 3u);
  for (uint32_t b = 0; b < before.size(); ++b) {
    ASSERT_EQ(host_.engine.left->AveragePower(b), before[b]) << "bin " << b;
  }
  EXPECT_EQ(host_.seriesRefreshes, 1);

  RunToEnd();
  EXPECT_EQ(loop_.OverloadCount(), 1u);
  EXPECT_EQ(host_.engine.left->AverageCount(), 7u);
  EXPECT_EQ(host_.blockTimes.size(), 7u);
}

TEST_F(RunLoopFileTest, SingleStepAddsExactlyOneBlockToTheRunningAverage) {
  Open(20000, 1, [](uint32_t i, uint32_t) { return Sine(i, 3000.0, 0.25); });
  ASSERT_TRUE(host_.RebuildEngine());  // the owner always holds built engine objects
  loop_.SetSingleStep(true);
  ASSERT_TRUE(loop_.Start());
  RunToEnd();
  EXPECT_EQ(host_.engine.left->AverageCount(), 1u);
  EXPECT_EQ(host_.document->Position(), 1024u);
  EXPECT_FALSE(loop_.SingleStepPending());

  // The next single step keeps the engine objects: the average grows by one.
  loop_.SetSingleStep(true);
  ASSERT_TRUE(loop_.Start());
  RunToEnd();
  EXPECT_EQ(host_.engine.left->AverageCount(), 2u);
  EXPECT_EQ(host_.document->Position(), 2048u);

  // A normal start rebuilds and resets.
  ASSERT_TRUE(loop_.Start());
  loop_.Step();
  EXPECT_EQ(host_.engine.left->AverageCount(), 1u);
}

TEST_F(RunLoopFileTest, BlockLimitStopsOnceTheCounterPassesIt) {
  Open(44100, 1, [](uint32_t i, uint32_t) { return Sine(i, 440.0, 0.5); });
  loop_.SetBlockLimit(true, 3);
  ASSERT_TRUE(loop_.Start());
  RunToEnd();
  EXPECT_EQ(loop_.BlockCount(), 4u);
  EXPECT_EQ(host_.document->Position(), 4u * 1024);
}

TEST_F(RunLoopFileTest, AStepEnteredAgainFromInsideAStepDoesNothing) {
  Open(20 * 1024, 1, [](uint32_t i, uint32_t) { return Sine(i, 440.0, 0.5); });
  // An observer whose nested event loop delivers the step's timer again, as a dialog opened
  // from a view would.
  int nestedCalls = 0;
  host_.onBlock = [&] {
    EXPECT_TRUE(loop_.Busy());
    ++nestedCalls;
    EXPECT_TRUE(loop_.Step());  // still running: more passes wanted
  };
  ASSERT_TRUE(loop_.Start());
  for (int i = 0; i < 4; ++i) loop_.Step();
  EXPECT_EQ(nestedCalls, 4);
  EXPECT_EQ(loop_.BlockCount(), 4u);
  EXPECT_EQ(host_.document->Position(), 4u * 1024);
  EXPECT_FALSE(loop_.Busy());
}

TEST_F(RunLoopFileTest, WithoutConsumersBlocksAreAnnouncedButNotTransformed) {
  Open(8192, 1, [](uint32_t i, uint32_t) { return Sine(i, 440.0, 0.5); });
  host_.consumers = false;
  ASSERT_TRUE(loop_.Start());
  RunToEnd();
  EXPECT_EQ(host_.blockTimes.size(), 8u);
  EXPECT_EQ(host_.engine.left->AverageCount(), 0u);
}

TEST_F(RunLoopFileTest, TimerDrivenRunReachesTheEndOfTheFile) {
  Open(44100 * 2, 1, [](uint32_t i, uint32_t) { return Sine(i, 440.0, 0.5); });
  loop_.SetAutoStep(true);
  ASSERT_TRUE(loop_.Start());
  ASSERT_TRUE(test::RunEvents(20000, [&] { return !loop_.Running(); }));
  EXPECT_EQ(loop_.BlockCount(), 86u);
  EXPECT_EQ(host_.document->Position(), 88200u);
}

}  // namespace
}  // namespace orvanix
