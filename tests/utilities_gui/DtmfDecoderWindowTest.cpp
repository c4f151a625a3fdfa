// The live DTMF decoder window on a running analyzer: key sequences played into the Loopback
// input (a different one per channel, tones made here), decoded block by block from the
// analyzer's own spectra and shown per channel; Clear, and the options with their checks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <numbers>
#include <string>

#include "acquisition/LoopbackDevice.h"
#include "acquisition/SoundPort.h"
#include "acquisition/SoundTexts.h"
#include "app/core/Commands.h"
#include "tests/gui/GuiTestHelpers.h"
#include "utilities/DTMFDecoderWindow.h"
#include "utilities/UtilitiesModule.h"

namespace orvanix {
namespace {

// The keypad's pair of a key (the standard's frequencies, written out here).
bool Pair(char key, double& low, double& high) {
  const std::string rows[4] = {"123A", "456B", "789C", "*0#D"};
  const double lows[4] = {697, 770, 852, 941}, highs[4] = {1209, 1336, 1477, 1633};
  for (int r = 0; r < 4; ++r) {
    const size_t c = rows[r].find(key);
    if (c != std::string::npos) {
      low = lows[r];
      high = highs[c];
      return true;
    }
  }
  return false;
}

// `keys` as tone pairs of `toneSecs` separated by gaps as long, after 300 ms of silence, then
// silence; one sequence per channel. The low tone is at a fifth of full scale, the high one
// `twistDb` above it; `noise` adds white noise of that RMS (a fixed sequence per sample).
struct TKeyTrack {
  std::string keys;
  double toneSecs = 0.2;
  double twistDb = 0.0;
  double noise = 0.0;
  double Sample(uint64_t n, double t) const {
    double v = NoiseAt(n) * noise;
    if (t < 0) return v;
    const size_t slot = static_cast<size_t>(t / toneSecs);
    double low = 0, high = 0;
    if (slot % 2 || slot / 2 >= keys.size() || !Pair(keys[slot / 2], low, high)) return v;
    const double w = 2 * std::numbers::pi * t;
    return v + 0.2 * std::sin(w * low) + 0.2 * std::pow(10.0, twistDb / 20) * std::sin(w * high);
  }
  // Uniform noise scaled to unit RMS, from a hash of the sample number.
  static double NoiseAt(uint64_t n) {
    uint64_t x = n * 0x9E3779B97F4A7C15ull;
    x ^= x >> 31;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 29;
    return (double(x >> 11) / double(1ull << 53) - 0.5) * std::sqrt(12.0);
  }
};

struct TKeyPlayer {
  TKeyTrack left, right;
  void operator()(uint64_t first, uint32_t frames, uint32_t rate, double* l, double* r) const {
    for (uint32_t i = 0; i < frames; ++i) {
      const double t = double(first + i) / rate - 0.3;
      l[i] = left.Sample(first + i, t);
      r[i] = right.Sample(first + i + 7919, t);
    }
  }
};

class DtmfDecoderWindowTest : public test::GuiFixture {
 protected:
  void TearDown() override {
    window_.reset();
    TLoopbackDevice::Instance().SetSource({});
    GuiFixture::TearDown();
  }
  void Decoder(int rate, int fft) {
    const int in = TSoundPort::FindDevice(TSoundDirection::Input, kLoopbackDeviceName);
    WriteProgramSettings("[Settings]\nNumChannels=2\nSamplingRate=" + std::to_string(rate) +
                         "\nFFTsize=" + std::to_string(fft) +
                         "\nChannelProcessing=2\nAmpScaleType=1\n[Device]\n" +
                         "InputDeviceID=" + std::to_string(in) + "\n");
    MakeFrame(false);
    core_->AddModule(std::make_unique<TUtilitiesModule>(*core_));
    module_ = core_->FindModule<TUtilitiesModule>(TUtilitiesModule::kName);
    window_ = std::make_unique<TDTMFDecoder>(*core_);
    window_->resize(320, 110);
  }
  TUtilitiesModule* module_ = nullptr;
  std::unique_ptr<TDTMFDecoder> window_;
};

TEST_F(DtmfDecoderWindowTest, BothChannelsAreDecodedWhileTheAnalyzerRuns) {
  Decoder(8000, 256);  // 32 ms blocks
  EXPECT_TRUE(module_->DtmfDecoderOpen());
  EXPECT_TRUE(module_->ConsumesSpectra());
  const std::string left = "159D*0", right = "#8A3";
  TLoopbackDevice::Instance().SetSource(TKeyPlayer{{left}, {right}});
  ASSERT_TRUE(core_->Start());
  EXPECT_TRUE(test::WaitFor(
      [&] { return window_->Line(0).size() >= 6 && window_->Line(1).size() >= 4; }, 20000));
  core_->Stop();
  EXPECT_EQ(window_->Line(0).toStdString(), left);
  EXPECT_EQ(window_->Line(1).toStdString(), right);

  window_->ClearButton()->click();
  EXPECT_EQ(window_->Line(0).toStdString(), "");
  EXPECT_EQ(window_->Line(1).toStdString(), "");
  window_.reset();
  EXPECT_FALSE(module_->DtmfDecoderOpen());
}

// Every key of the keypad at the telephone rates, decoded live from the analyzer's own spectra
// with the decoder's default options: on the left 60 ms tones and 60 ms gaps with the high tone
// 4 dB above the low one, on the right the nominal 100 ms with it 4 dB below; white noise 20 dB
// under each tone. Blocks of 256 samples (32 ms at 8 kHz, 16 ms at 16 kHz). Real-Time blocks
// do not overlap, so a gap under two blocks may hold no block free of both neighbours' tails
// and two keys can merge now and then (one key in 16 at 40 ms, rarely at 50 ms); the segment
// decoder, stepping 1 % of a block, takes 40 ms keys.
TEST_F(DtmfDecoderWindowTest, EveryKeyAtTheTelephoneRatesWithTwistAndNoise) {
  const std::string keys = "123A456B789C*0#D";
  const double noise = 0.2 / std::sqrt(2.0) / 10.0;
  for (int rate : {8000, 11025, 16000}) {
    SCOPED_TRACE(rate);
    Decoder(rate, 256);
    TLoopbackDevice::Instance().SetSource(
        TKeyPlayer{{keys, 0.06, 4.0, noise}, {keys, 0.1, -4.0, noise}});
    ASSERT_TRUE(core_->Start());
    // The left sequence ends well before the right one.
    test::WaitFor([&] { return window_->Line(1).size() >= qsizetype(keys.size()); }, 30000);
    core_->Stop();
    EXPECT_EQ(window_->Line(0).toStdString(), keys);
    EXPECT_EQ(window_->Line(1).toStdString(), keys);
    window_.reset();
    TLoopbackDevice::Instance().SetSource({});
  }
}

TEST_F(DtmfDecoderWindowTest, OptionsAreCheckedAndTakenByBothDetectors) {
  Decoder(8000, 256);
  TDTMFOptionsDialog dialog(nullptr, module_->DtmfOptions());
  EXPECT_EQ(dialog.ThresholdEdit()->text().toStdString(), "-40.00");
  dialog.ThresholdEdit()->setText("-81");
  dialog.OnOk();
  EXPECT_TRUE(sink_.Contains(kDtmfThresholdRange));
  dialog.ThresholdEdit()->setText("-30");
  dialog.DurationEdit()->setText("0");
  dialog.OnOk();
  EXPECT_TRUE(sink_.Contains(kDtmfDurationRange));
  dialog.DurationEdit()->setText("50");
  dialog.SpacingEdit()->setText("1001");
  dialog.OnOk();
  EXPECT_TRUE(sink_.Contains(kDtmfSpacingRange));
  dialog.SpacingEdit()->setText("30");
  dialog.OnOk();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  module_->SetDtmfOptions(dialog.Options());
  EXPECT_EQ(module_->DtmfOptions().hitThresholdDb, -30.0f);
  EXPECT_EQ(module_->DtmfOptions().minDigitDurationMsec, 50);
  EXPECT_EQ(module_->DtmfOptions().minDigitSpacingMsec, 30);

  TDTMFOptionsDialog defaults(nullptr, module_->DtmfOptions());
  defaults.OnDefaults();
  EXPECT_EQ(defaults.ThresholdEdit()->text().toStdString(), "-40.0");
  EXPECT_EQ(defaults.DurationEdit()->text().toStdString(), "4");
  EXPECT_EQ(defaults.SpacingEdit()->text().toStdString(), "2");
}

TDTMFDecoder* FindDecoder(QWidget* area) {
  for (QWidget* child : area->findChildren<QWidget*>()) {
    if (auto* decoder = dynamic_cast<TDTMFDecoder*>(child)) return decoder;
  }
  return nullptr;
}

TEST_F(DtmfDecoderWindowTest, TheUtilitiesCommandOpensAndClosesTheDecoder) {
  RegisterDtmfDecoderWindow();
  WriteProgramSettings();
  MakeFrame();
  core_->AddModule(std::make_unique<TUtilitiesModule>(*core_));
  module_ = core_->FindModule<TUtilitiesModule>(TUtilitiesModule::kName);
  ASSERT_TRUE(frame_->CommandEnabled(kCmdDtmfDecoder));
  ASSERT_TRUE(frame_->RunCommand(kCmdDtmfDecoder));
  TDTMFDecoder* decoder = FindDecoder(frame_->MdiArea());
  ASSERT_NE(decoder, nullptr);
  EXPECT_TRUE(module_->DtmfDecoderOpen());
  EXPECT_EQ(decoder->OptionsButton()->isEnabled(), true);
  const QPointer<QWidget> held(decoder);
  ASSERT_TRUE(frame_->RunCommand(kCmdDtmfDecoder));
  EXPECT_FALSE(module_->DtmfDecoderOpen());
  EXPECT_TRUE(!held || !held->isVisible());
}

}  // namespace
}  // namespace orvanix
