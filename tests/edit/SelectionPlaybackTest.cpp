// Playback of the selection through the Loopback device: what arrives at the Loopback's input
// is compared with the document's samples, once, looping and at other speeds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "EditTestHelpers.h"
#include "acquisition/RunLoopTestSupport.h"
#include "acquisition/RunLoopTypes.h"
#include "app/edit/SelectionPlayer.h"
#include "files/EditTexts.h"

namespace orvanix {
namespace {

constexpr uint32_t kRate = 8000;

class SelectionPlaybackTest : public test::EditFixture {
 protected:
  void SetUp() override {
    EditFixture::SetUp();
    UseLoopback();
    ASSERT_TRUE(core_->SetMode(kModePostProcessing));
    ASSERT_TRUE(core_->OpenWave(NoiseFile("noise.wav", kRate, 1, 2 * kRate)));
    ActivateTimeSeries();
    source_ = Samples(DocumentFrames());
  }
  void TearDown() override {
    if (input_) input_->Close();
    EditFixture::TearDown();
  }

  static std::vector<int16_t> Samples(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> out(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
      out[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return out;
  }

  // Records `seconds` from the Loopback's input at the document's format.
  void Record(double seconds) {
    input_ = std::make_unique<TSoundInput>(
        TSoundPort::FindDevice(TSoundDirection::Input, kLoopbackDeviceName));
    ASSERT_TRUE(input_->SetFormat(kRate, 1, 2));
    ASSERT_TRUE(input_->Open());
    recorded_.assign(static_cast<size_t>(seconds * kRate), 0);
    ASSERT_TRUE(input_->AddBuffer(recorded_.data(), recorded_.size() * 2, 0));
    ASSERT_TRUE(input_->Start());
  }
  void WaitForRecording() {
    ASSERT_TRUE(test::RunEvents(10000, [&] { return input_->IsDone(0); }));
  }
  // Where `expected` begins in the recording, or -1.
  int64_t Find(const std::vector<int16_t>& expected) const {
    const auto at =
        std::search(recorded_.begin(), recorded_.end(), expected.begin(), expected.end());
    return at == recorded_.end() ? -1 : at - recorded_.begin();
  }
  std::vector<int16_t> Source(uint32_t from, uint32_t count) const {
    return {source_.begin() + from, source_.begin() + from + count};
  }

  std::vector<int16_t> source_;
  std::vector<int16_t> recorded_;
  std::unique_ptr<TSoundInput> input_;
};

TEST_F(SelectionPlaybackTest, PlayHandsTheSelectionOverSampleForSampleAndTheCursorFollows) {
  Record(1.0);
  core_->SetSelection(0.5, 0.75);
  EXPECT_FALSE(core_->IsEnabled(kCmdStop));
  ASSERT_TRUE(core_->Execute(kCmdPlay));
  EXPECT_TRUE(Edit().PlayingSelection());
  EXPECT_TRUE(core_->IsEnabled(kCmdStop));  // Stop ends selection playback too
  EXPECT_EQ(core_->Status().runStateText, kTextPlaying);
  EXPECT_FALSE(core_->IsChecked(kCmdLoop));
  EXPECT_EQ(Edit().Player().DeviceRate(), kRate);
  ASSERT_TRUE(test::RunEvents(5000, [&] { return !Edit().PlayingSelection(); }));
  EXPECT_FALSE(core_->IsEnabled(kCmdStop));
  EXPECT_EQ(core_->Status().runStateText, kTextStopped);
  // The position followed playback to the end of the selection.
  EXPECT_NEAR(core_->Document()->PositionSeconds(), 0.75, 1e-9);
  WaitForRecording();

  const std::vector<int16_t> selection = Source(4000, 2000);
  const int64_t at = Find(selection);
  ASSERT_GE(at, 0) << "the selection did not arrive unchanged";
  // Nothing beyond it: one pass, and only the selection.
  EXPECT_EQ(Find(Source(4000 + 2000, 16)), -1);
  EXPECT_EQ(Find(Source(4000 - 16, 16)), -1);
  const size_t after = static_cast<size_t>(at) + selection.size();
  EXPECT_TRUE(std::all_of(recorded_.begin() + std::min(after, recorded_.size()), recorded_.end(),
                          [](int16_t v) { return v == 0; }));
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_F(SelectionPlaybackTest, LoopRepeatsTheSelectionBackToBackUntilStop) {
  Record(1.0);
  core_->SetSelection(1.0, 1.1);  // 800 frames
  ASSERT_TRUE(core_->Execute(kCmdLoop));
  EXPECT_TRUE(core_->IsChecked(kCmdLoop));
  WaitForRecording();
  EXPECT_TRUE(Edit().PlayingSelection());
  // Two passes with nothing between them.
  std::vector<int16_t> twice = Source(8000, 800);
  twice.insert(twice.end(), twice.begin(), twice.end());
  EXPECT_GE(Find(twice), 0);
  ASSERT_TRUE(core_->Execute(kCmdStop));
  EXPECT_FALSE(Edit().PlayingSelection());
  EXPECT_FALSE(core_->IsChecked(kCmdLoop));
  // The position stays inside the selection while looping.
  EXPECT_GE(core_->Document()->PositionSeconds(), 1.0);
  EXPECT_LE(core_->Document()->PositionSeconds(), 1.1);
}

TEST_F(SelectionPlaybackTest, SpeedsPlayAtAScaledRateOrResampled) {
  core_->SetSelection(0.25, 0.5);
  // The Loopback takes any rate: half speed plays the samples unchanged at half the rate.
  ASSERT_TRUE(core_->Execute(kCmdHalfSpeed));
  EXPECT_EQ(Edit().Player().DeviceRate(), kRate / 2);
  EXPECT_EQ(Edit().Player().Step(), 1.0);
  core_->Stop();

  // At the document's rate, double speed plays every second frame ...
  Edit().SetAllowRateChange(false);
  Record(1.0);
  ASSERT_TRUE(core_->Execute(kCmdDoubleSpeed));
  EXPECT_EQ(Edit().Player().DeviceRate(), kRate);
  ASSERT_TRUE(test::RunEvents(5000, [&] { return !Edit().PlayingSelection(); }));
  EXPECT_EQ(Edit().Player().FramesQueued(), 1000u);
  WaitForRecording();
  std::vector<int16_t> everySecond;
  for (uint32_t k = 0; k < 1000; ++k) everySecond.push_back(source_[2000 + 2 * k]);
  EXPECT_GE(Find(everySecond), 0);
  input_->Close();

  // ... and half speed puts the mean of neighbours between the frames.
  Record(1.0);
  ASSERT_TRUE(core_->Execute(kCmdHalfSpeed));
  ASSERT_TRUE(test::RunEvents(5000, [&] { return !Edit().PlayingSelection(); }));
  EXPECT_EQ(Edit().Player().FramesQueued(), 4000u);
  WaitForRecording();
  std::vector<int16_t> halved;
  for (uint32_t k = 0; k < 1999; ++k) {
    const double a = source_[2000 + k];
    const double b = source_[2000 + k + 1];
    halved.push_back(static_cast<int16_t>(a));
    halved.push_back(static_cast<int16_t>(std::lround(a + (b - a) * 0.5)));
  }
  EXPECT_GE(Find(halved), 0);
}

class TSpeedDialogs : public TEditDialogs {
 public:
  bool AskSpeed(double& speed) override {
    asked = speed;
    speed = answer;
    return true;
  }
  double answer = 1.0;
  double asked = 0.0;
};

TEST_F(SelectionPlaybackTest, ArbitrarySpeedIsCheckedAndKeptAndNothingPlaysWithoutASelection) {
  TSpeedDialogs dialogs;
  Edit().SetDialogs(&dialogs);
  core_->SetSelection(0.0, 0.5);
  dialogs.answer = 20.0;
  EXPECT_FALSE(core_->Execute(kCmdArbitrarySpeed));
  EXPECT_FALSE(Edit().PlayingSelection());
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text, Format(kSpeedRange, kMinSpeed, kMaxSpeed));
  sink_.Clear();

  dialogs.answer = 1.5;
  ASSERT_TRUE(core_->Execute(kCmdArbitrarySpeed));
  EXPECT_EQ(Edit().Player().DeviceRate(), 12000u);
  EXPECT_DOUBLE_EQ(Edit().ArbitrarySpeed(), 1.5);
  ASSERT_TRUE(core_->Execute(kCmdArbitrarySpeed));
  EXPECT_DOUBLE_EQ(dialogs.asked, 1.5);  // the last factor is offered again

  // Closing the document ends playback.
  ASSERT_TRUE(core_->CloseDocument());
  EXPECT_FALSE(Edit().PlayingSelection());
  Edit().SetDialogs(nullptr);

  ASSERT_TRUE(core_->OpenWave(NoiseFile("again.wav", kRate, 1, kRate)));
  EXPECT_FALSE(Edit().PlaySelection(1.0, false));
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text, kSelectSegmentFirst);
}

}  // namespace
}  // namespace orvanix
