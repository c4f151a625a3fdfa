// The reverberation measurement as the user runs it: the excitation played through the
// Loopback device's output while its input records, a synthetic room (an impulse response
// with a known 60 dB time per band, 0.3 ... 2.0 s) on the way, and the analysis of what
// came back; the level checks and Esc end it with nothing kept.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <memory>

#include "acquisition/LoopbackDevice.h"
#include "acquisition/SoundInput.h"
#include "acquisition/SoundTexts.h"
#include "utilities/ReverbMeasurement.h"
#include "utilities/RoomHelpers.h"

namespace orvanix {
namespace {

class TQtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "reverb-measurement-test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) app_ = std::make_unique<QCoreApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QCoreApplication> app_;
};
[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtEnvironment);

class ReverbMeasurementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    request_.inputDeviceId = TSoundPort::FindDevice(TSoundDirection::Input, kLoopbackDeviceName);
    request_.outputDeviceId = TSoundPort::FindDevice(TSoundDirection::Output, kLoopbackDeviceName);
    ASSERT_GE(request_.inputDeviceId, 0);
    ASSERT_GE(request_.outputDeviceId, 0);
  }
  void TearDown() override { TLoopbackDevice::Instance().SetSettings(TLoopbackSettings{}); }

  // The Loopback with the room on the left channel (the one a mono input hears) and `gain`.
  void SetRoom(float gain) {
    const std::string path = dir_.filePath("room.wav").toStdString();
    ASSERT_TRUE(test::WriteRoomWave(path, test::RoomResponse(11, 0.5)));
    TLoopbackSettings settings;
    settings.impulseLeft = path;
    settings.gain = gain;
    std::string error;
    ASSERT_TRUE(TLoopbackDevice::Instance().SetSettings(settings, &error)) << error;
  }

  // Runs the measurement to its end (or Esc after `cancelAfterMs`), as the event loop does.
  TReverbResult Measure(int cancelAfterMs = -1) {
    TReverbMeasurement measurement;
    TReverbResult result;
    bool finished = false;
    QEventLoop loop;
    measurement.SetProgressHandler([&](int percent, const std::string&, double) {
      EXPECT_GE(percent, lastPercent_);
      lastPercent_ = percent;
    });
    measurement.SetFinishedHandler([&](const TReverbResult& r) {
      result = r;
      finished = true;
      // The devices are free again when the handler runs (it may start anew).
      TSoundInput input(request_.inputDeviceId);
      input.SetFormat(44100, 1, 2);
      devicesFreed_ = input.Open();
      input.Close();
      loop.quit();
    });
    if (cancelAfterMs >= 0) QTimer::singleShot(cancelAfterMs, [&] { measurement.Cancel(); });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    if (measurement.Start(request_) && !finished) loop.exec();
    EXPECT_TRUE(finished);
    EXPECT_FALSE(measurement.Running());
    return result;
  }

  QTemporaryDir dir_;
  TReverbRequest request_;
  int lastPercent_ = 0;
  bool devicesFreed_ = false;
};

TEST_F(ReverbMeasurementTest, FourExcitationsOfASyntheticRoomThroughTheLoopbackDevice) {
  SetRoom(1.0f);
  request_.maxDecaySecs = 3;
  request_.smoothing = kSmoothNone;
  request_.extrapolation = kRt30;
  request_.excitations = 4;
  const TReverbResult result = Measure();
  ASSERT_EQ(result.outcome, ReverbOutcome::Measured) << result.message;
  ASSERT_EQ(result.decays.size(), 4u);
  EXPECT_EQ(lastPercent_, 100);

  std::vector<const TReverbData*> decays;
  for (const TReverbData& d : result.decays) decays.push_back(&d);
  const std::vector<double> t60 = AveragedDecayTimes(decays, 30.0);
  double sum = 0;
  int count = 0;
  std::printf("through the Loopback device, four decays, Schroeder, T30:");
  for (uint32_t b = 0; b + 1 < result.data.BandCount(); ++b) {
    const double f = result.data.Frames()[0].frequency[b];
    if (f < 120 || f > 4100) continue;
    const double error = t60[b] / test::RoomT60(f) - 1.0;
    std::printf(" %g:%+.1f%%", f, 100.0 * error);
    EXPECT_LT(std::fabs(error), 0.10) << f << " Hz";
    sum += error;
    ++count;
  }
  std::printf("  mean %+.1f%%\n", 100.0 * sum / count);
  EXPECT_EQ(count, 16);
  EXPECT_LT(std::fabs(sum / count), 0.05);

  // The decay the window shows is the energy mean of the four: it starts at 0 dB and its
  // 30 dB reading lies near the room's time (a single band's scatter allowed).
  const TReverbData& mean = result.data;
  double meanError = 0;
  int meanCount = 0;
  for (uint32_t b = 0; b + 1 < mean.BandCount(); ++b) {
    const double f = mean.Frames()[0].frequency[b];
    EXPECT_NEAR(mean.Frames()[0].level[b], 0.0, 1e-3);
    if (f < 120 || f > 4100) continue;
    meanError += mean.DecayTimes()[b].seconds[5] / test::RoomT60(f) - 1.0;
    ++meanCount;
  }
  EXPECT_LT(std::fabs(meanError / meanCount), 0.15);

  EXPECT_TRUE(devicesFreed_);
}

TEST_F(ReverbMeasurementTest, SilenceIsTooLowAndKeepsNothing) {
  SetRoom(0.0f);
  request_.maxDecaySecs = 1;
  const TReverbResult result = Measure();
  EXPECT_EQ(result.outcome, ReverbOutcome::TooLow);
  EXPECT_EQ(result.message, kReverbTooLow);
  EXPECT_TRUE(result.decays.empty());
  EXPECT_FALSE(result.data.HasData());
}

TEST_F(ReverbMeasurementTest, EscStopsTheDevicesAndKeepsNothing) {
  SetRoom(1.0f);
  const TReverbResult result = Measure(400);
  EXPECT_EQ(result.outcome, ReverbOutcome::Cancelled);
  EXPECT_TRUE(result.message.empty());
  EXPECT_FALSE(result.data.HasData());
  EXPECT_TRUE(devicesFreed_);
}

TEST_F(ReverbMeasurementTest, AMissingOutputDeviceIsNoDuplex) {
  request_.outputDeviceId = 10000;
  const TReverbResult result = Measure();
  EXPECT_EQ(result.outcome, ReverbOutcome::NoDuplex);
  EXPECT_EQ(result.message, kReverbNoDuplex);
}

}  // namespace
}  // namespace orvanix
