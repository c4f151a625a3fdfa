// The run loop when a message box is open while it runs: recordings that roll over from file
// to file, the Real-Time history ring, a disk that fills, a device that fails, a slow save at
// the file boundary, input lost and playback run dry.
//
// Every report goes to a sink that runs the event loop while it is "open", as a message box
// does, so that buffer notices and timer ticks arrive meanwhile. The Loopback input is fed a
// ramp: a repeated or lost frame breaks it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QTimer>
#include <chrono>
#include <filesystem>
#include <thread>

#include "acquisition/LoopbackDevice.h"
#include "acquisition/RunLoop.h"
#include "acquisition/SoundTexts.h"
#include "tests/acquisition/RunLoopTestSupport.h"

namespace orvanix {
namespace {

using test::FirstBreak;
using test::RampValue;
using test::Samples;

// Long enough that a buffer comes back while it is open (the I/O buffers hold a second).
constexpr int kBoxOpenMsec = 1100;
// Shorter than a buffer, long enough for many step ticks and, often, a buffer notice.
constexpr int kNestedLoopMsec = 600;

class RunLoopReentryTest : public ::testing::Test {
 protected:
  struct TShown {
    std::string text;
    bool inStepOrHandler;
    bool running;
    bool inputOpen;
  };

  void SetUp() override {
    test::App();
    TLoopbackDevice::Instance().SetSettings(TLoopbackSettings{});
    host_.input = std::make_unique<TSoundInput>(
        TSoundPort::FindDevice(TSoundDirection::Input, kLoopbackDeviceName));
    host_.output = std::make_unique<TSoundOutput>(
        TSoundPort::FindDevice(TSoundDirection::Output, kLoopbackDeviceName));
    host_.tempFolder = folder_.Path();
    host_.waveFolder = folder_.Path();
    host_.processing.format = MakeWaveFormat(1, 48000, 2);
    host_.processing.fftSize = 1024;
    host_.fileIo.realTimeWaveBufferEnable = 0;
    host_.mode = kModeRecorder;
    test::FeedRamp();
    sink_.onReport = [this](const std::string& text) {
      shown_.push_back({text, loop_.Busy(), loop_.Running(), host_.input->IsOpen()});
    };
  }
  void TearDown() override {
    loop_.Stop();
    loop_.WaitForSavedRecordings();
    test::ShowPendingReports();
    sink_.onReport = nullptr;
    TLoopbackDevice::Instance().SetSource({});
  }

  // What the device reports when it loses input, without losing any (so the ramp stays whole).
  void LoseInput() { host_.input->DeviceCallback(nullptr, nullptr, 0, true); }

  void ExpectEveryReportShownFromTheEventLoop() {
    for (const TShown& shown : shown_) EXPECT_FALSE(shown.inStepOrHandler) << shown.text;
  }
  int CountShown(const std::string& start) {
    int count = 0;
    for (const TShown& shown : shown_) count += shown.text.rfind(start, 0) == 0;
    return count;
  }

  test::TPumpingSink sink_{kBoxOpenMsec};
  TScopedMessageSink scoped_{&sink_};
  test::TScratchFolder folder_;
  test::TTestHost host_;
  TRunLoop loop_{host_};
  std::vector<TShown> shown_;
};

TEST_F(RunLoopReentryTest, DiskRecordingRollsOverFiveTimesWithABoxOpenAndKeepsEveryFrame) {
  host_.fileIo.waveFileMode = 1;
  host_.fileIo.maxDiskRecordingSizeBytes = 40000;  // about 0.4 s at 96000 bytes/s
  // At each of the first three file boundaries, while the finished file is being handed
  // over, a window reports something (a box that stays open past the next buffer notice once
  // shown) and another runs an event loop of its own for a while, across timer ticks. Input is
  // lost there too, so that the loop itself has something to report. (A nested loop longer
  // than a buffer would lose input for real: no buffer can be requeued before it returns.)
  host_.onDocumentChanged = [this] {
    if (host_.documentChanges > 3) return;
    LoseInput();
    Messages().Report("A window has something to say", kProgramTitle, MessageIcon::Information);
    test::RunEvents(kNestedLoopMsec);
  };
  ASSERT_TRUE(loop_.Start());
  ASSERT_TRUE(test::RunEvents(60000, [&] { return host_.savedRecordings.size() >= 5; }));
  loop_.Stop();
  loop_.WaitForSavedRecordings();
  test::ShowPendingReports();
  const uint64_t recorded = host_.input->Position();

  ASSERT_GE(host_.savedRecordings.size(), 5u);
  std::vector<int16_t> joined;
  for (const std::string& path : host_.savedRecordings) {
    const std::vector<int16_t> part = test::ReadWave16(path, 0);
    EXPECT_GE(part.size() * 2, 40000u) << path;
    EXPECT_EQ(FirstBreak(part), -1) << path;
    joined.insert(joined.end(), part.begin(), part.end());
  }
  ASSERT_TRUE(host_.document);
  const std::vector<int16_t> rest = Samples(*host_.document, 0, host_.document->Length());
  joined.insert(joined.end(), rest.begin(), rest.end());
  EXPECT_EQ(joined.size(), recorded);
  EXPECT_EQ(joined.front(), RampValue(0));
  EXPECT_EQ(FirstBreak(joined), -1);
  EXPECT_EQ(host_.input->DroppedFrames(), 0u);

  EXPECT_GE(CountShown("The sound device lost input"), 1);
  ExpectEveryReportShownFromTheEventLoop();
}

class RunLoopHistoryReentryTest : public RunLoopReentryTest,
                                  public ::testing::WithParamInterface<int32_t> {};

TEST_P(RunLoopHistoryReentryTest, HistoryRingWrapsFiveTimesWithABoxOpenAndStaysWhole) {
  host_.mode = kModeRealTime;
  host_.processing.format = MakeWaveFormat(1, 8000, 2);
  host_.fileIo.waveFileMode = GetParam();
  host_.fileIo.realTimeWaveBufferEnable = 1;
  host_.fileIo.realTimeWaveBufferLengthSecs = 2;  // a ring of one second
  ASSERT_TRUE(loop_.Start());
  // Input is lost three times while it runs: each time a box stays open across a buffer.
  QTimer lose;
  int lost = 0;
  QObject::connect(&lose, &QTimer::timeout, [&] {
    if (++lost <= 3) LoseInput();
  });
  lose.start(1500);
  ASSERT_TRUE(test::RunEvents(60000, [&] { return host_.input->Position() >= 6 * 8000 + 500; }));
  lose.stop();
  loop_.Stop();
  test::ShowPendingReports();
  const uint64_t recorded = host_.input->Position();

  ASSERT_TRUE(host_.document);
  const std::vector<int16_t> history = Samples(*host_.document, 0, host_.document->Length());
  ASSERT_GE(history.size(), 8000u);
  EXPECT_EQ(FirstBreak(history), -1);
  EXPECT_EQ(history.back(), RampValue(recorded - 1));
  EXPECT_GE(CountShown("The sound device lost input"), 1);
  ExpectEveryReportShownFromTheEventLoop();
  // Nothing is recorded in Real-Time: what a loss spoils is the history.
  for (const TShown& shown : shown_) {
    EXPECT_NE(shown.text.find(kMsgOverrunsHistory), std::string::npos) << shown.text;
  }
}

INSTANTIATE_TEST_SUITE_P(RamAndDisk, RunLoopHistoryReentryTest, ::testing::Values(0, 1));

TEST_F(RunLoopReentryTest, RamRecordingWithABoxOpenKeepsEveryFrame) {
  host_.fileIo.waveFileMode = 0;
  ASSERT_TRUE(loop_.Start());
  test::RunEvents(300);
  LoseInput();
  // Told while the recording goes on, not only when it ends.
  ASSERT_TRUE(test::RunEvents(10000, [&] { return !shown_.empty(); }));
  EXPECT_TRUE(shown_[0].running);
  EXPECT_EQ(shown_[0].text, Format(kMsgOverruns, 1ull, 0ull, kMsgOverrunsRecording));
  test::RunEvents(1500);
  loop_.Stop();
  ASSERT_TRUE(host_.document);
  const std::vector<int16_t> samples = Samples(*host_.document, 0, host_.document->Length());
  EXPECT_EQ(samples.size(), host_.input->Position());
  EXPECT_EQ(FirstBreak(samples), -1);
  ExpectEveryReportShownFromTheEventLoop();
}

TEST_F(RunLoopReentryTest, PlainRealTimeSaysWhatALossSpoils) {
  host_.mode = kModeRealTime;
  ASSERT_TRUE(loop_.Start());
  test::RunEvents(200);
  LoseInput();
  ASSERT_TRUE(test::RunEvents(10000, [&] { return !shown_.empty(); }));
  EXPECT_TRUE(shown_[0].running);
  EXPECT_EQ(shown_[0].text, Format(kMsgOverruns, 1ull, 0ull, kMsgOverrunsAnalysis));
  // Once told, the same loss is not told again when the run ends.
  loop_.Stop();
  test::ShowPendingReports();
  EXPECT_EQ(shown_.size(), 1u);
}

TEST_F(RunLoopReentryTest, FullDiskStopsTheRecordingBeforeItIsReportedOnce) {
  host_.fileIo.waveFileMode = 1;
  struct sigaction ignore = {}, previous = {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
  rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 100000;  // about a second of audio, then every write fails
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool started = loop_.Start();
  if (started) test::RunEvents(15000, [&] { return !loop_.Running(); });
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &previous, nullptr);
  ASSERT_TRUE(started);
  EXPECT_FALSE(loop_.Running());
  test::ShowPendingReports();

  const std::string failed(kMsgRecordingWriteFailed, 0, 40);
  EXPECT_EQ(CountShown(failed), 1);
  for (const TShown& shown : shown_) EXPECT_FALSE(shown.running) << shown.text;
  ExpectEveryReportShownFromTheEventLoop();
  // What was written before the disk filled is kept, whole.
  ASSERT_TRUE(host_.document);
  const std::vector<int16_t> samples = Samples(*host_.document, 0, host_.document->Length());
  EXPECT_GT(samples.size() * 2, 50000u);
  EXPECT_LE(samples.size() * 2, 100000u);
  EXPECT_EQ(FirstBreak(samples), -1);
}

TEST_F(RunLoopReentryTest, FailingDeviceClosesBeforeItIsReported) {
  host_.fileIo.waveFileMode = 1;
  ASSERT_TRUE(loop_.Start());
  test::RunEvents(700);
  host_.input->DeviceFailed();
  ASSERT_TRUE(test::RunEvents(10000, [&] { return !loop_.Running(); }));
  test::ShowPendingReports();
  ASSERT_EQ(CountShown(kSoundDeviceFailure), 1);
  for (const TShown& shown : shown_) {
    EXPECT_FALSE(shown.inputOpen) << shown.text;
    EXPECT_FALSE(shown.running) << shown.text;
  }
  ExpectEveryReportShownFromTheEventLoop();
}

TEST_F(RunLoopReentryTest, SlowSaveAtTheFileBoundaryLosesNoInput) {
  sink_.onReport = nullptr;
  host_.fileIo.waveFileMode = 1;
  host_.fileIo.maxDiskRecordingSizeBytes = 100000;  // about a second
  // A save that takes as long as a copy of a large file to another disk: longer than both
  // I/O buffers together.
  int saves = 0;
  loop_.Finisher().SetSaver([&saves](TWaveFile& document) {
    if (saves++ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2600));
    return document.SaveAndRelease();
  });
  ASSERT_TRUE(loop_.Start());
  ASSERT_TRUE(test::RunEvents(20000, [&] { return host_.documentChanges >= 2; }));
  // The recording goes on into the next file while the first is still being saved.
  EXPECT_EQ(loop_.RecordingsBeingSaved(), 1u);
  EXPECT_TRUE(host_.savedRecordings.empty());
  ASSERT_TRUE(test::RunEvents(20000, [&] { return host_.savedRecordings.size() >= 1; }));
  test::RunEvents(500);
  loop_.Stop();
  loop_.WaitForSavedRecordings();
  const uint64_t recorded = host_.input->Position();

  EXPECT_EQ(loop_.OverrunCount(), 0u);
  std::vector<int16_t> joined;
  for (const std::string& path : host_.savedRecordings) {
    const std::vector<int16_t> part = test::ReadWave16(path, 0);
    joined.insert(joined.end(), part.begin(), part.end());
  }
  ASSERT_TRUE(host_.document);
  const std::vector<int16_t> rest = Samples(*host_.document, 0, host_.document->Length());
  joined.insert(joined.end(), rest.begin(), rest.end());
  EXPECT_EQ(joined.size(), recorded);
  EXPECT_EQ(FirstBreak(joined), -1);
}

TEST_F(RunLoopReentryTest, PlaybackThatRunsDryIsCountedAndReported) {
  const std::string path = folder_.File("long.wav");
  ASSERT_TRUE(test::WriteWave16(path, 8000, 1, 6 * 8000,
                                [](uint32_t i, uint32_t) { return RampValue(i); }));
  ASSERT_TRUE(host_.OpenDocument(path));
  ASSERT_TRUE(loop_.Start(true));
  test::RunEvents(500);
  EXPECT_EQ(loop_.UnderrunCount(), 0u);
  // A main thread that does not answer for longer than both buffers last.
  std::this_thread::sleep_for(std::chrono::milliseconds(2800));
  ASSERT_TRUE(test::RunEvents(15000, [&] { return !shown_.empty(); }));
  EXPECT_TRUE(shown_[0].running);
  EXPECT_EQ(shown_[0].text.rfind("The sound device ran out of data to play 1 time(s)", 0), 0u)
      << shown_[0].text;
  EXPECT_EQ(loop_.UnderrunCount(), 1u);
  EXPECT_GT(loop_.SilenceFrames(), 4000u);
  ExpectEveryReportShownFromTheEventLoop();
}

TEST_F(RunLoopReentryTest, PlaybackToTheEndIsNoUnderrun) {
  const std::string path = folder_.File("short.wav");
  ASSERT_TRUE(test::WriteWave16(path, 8000, 1, 8000 + 4000,
                                [](uint32_t i, uint32_t) { return RampValue(i); }));
  ASSERT_TRUE(host_.OpenDocument(path));
  ASSERT_TRUE(loop_.Start(true));
  ASSERT_TRUE(test::RunEvents(10000, [&] { return !loop_.Running(); }));
  test::ShowPendingReports();
  EXPECT_EQ(loop_.UnderrunCount(), 0u);
  EXPECT_TRUE(shown_.empty());
}

}  // namespace
}  // namespace orvanix
