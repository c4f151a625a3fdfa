#include "ViewTestHelpers.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <QApplication>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/SpectrumTexts.h"

namespace orvanix::test {

namespace {

// Every folder a test asks for lives in one fresh folder of this process, removed when the
// program ends.
std::string& TempRoot() {
  static std::string root;
  return root;
}

// The application must exist before any widget or font is made; a global test
// environment creates it once for the whole program, on the offscreen platform.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "views_test";
    static char* argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
    if (!TempRoot().empty()) {
      std::error_code error;
      std::filesystem::remove_all(TempRoot(), error);
      TempRoot().clear();
    }
  }

 private:
  QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Small deterministic generator (xorshift) for reproducible noise.
double NextNoise(uint64_t& state) {
  state ^= state << 13;
  state ^= state >> 7;
  state ^= state << 17;
  return double(state % 2000001) / 1000000.0 - 1.0;
}

}  // namespace

TFakeSource::TFakeSource(const ProcessingSettings& processing, const ScalingSettings& scaling) {
  ok_ = BuildEngineObjects(processing, scaling, objects_);
  ApplyCalibration(nullptr, objects_);
}

void TFakeSource::Feed(const std::vector<Tone>& tones, int blocks, double noise, double rightGain) {
  const ProcessingSettings& s = objects_.settings;
  const double rate = s.format.sampleRate;
  const double full = s.format.maxValue;
  const uint32_t n = uint32_t(s.fftSize);
  for (int b = 0; b < blocks; ++b) {
    for (uint32_t i = 0; i < n; ++i) {
      const double t = (double(b) * n + i) / rate;
      double left = 0.0, right = 0.0;
      for (const Tone& tone : tones) {
        const double v = tone.amplitude * std::sin(2.0 * M_PI * tone.hz * t);
        if (tone.channel != 1) left += v;
        if (tone.channel != 0) right += v;
      }
      left += noise * NextNoise(seed_);
      right = rightGain * right + noise * NextNoise(seed_);
      if (objects_.seriesLeft) {
        objects_.seriesLeft->PutSample(i, int32_t(std::lround(std::clamp(left, -1.0, 1.0) * full)));
      }
      if (objects_.seriesRight) {
        objects_.seriesRight->PutSample(i,
                                        int32_t(std::lround(std::clamp(right, -1.0, 1.0) * full)));
      }
    }
    ProcessBlock(objects_);
  }
}

const TSpectralData* TFakeSource::Primary() const {
  return SpectraForMode(EffectiveMode(objects_.settings), objects_.left.get(), objects_.right.get(),
                        objects_.dual.get(), objects_.dual2.get())
      .primary;
}

const TSpectralData* TFakeSource::Secondary() const {
  return SpectraForMode(EffectiveMode(objects_.settings), objects_.left.get(), objects_.right.get(),
                        objects_.dual.get(), objects_.dual2.get())
      .secondary;
}

std::string TFakeSource::PrimaryLabel() const {
  return TraceLabelsFor(EffectiveMode(objects_.settings), nullptr).primary;
}

std::string TFakeSource::SecondaryLabel() const {
  return TraceLabelsFor(EffectiveMode(objects_.settings), nullptr).secondary;
}

ProcessingSettings MakeProcessing(uint16_t channels, int32_t fftSize, uint16_t mode) {
  ProcessingSettings p;
  p.format = MakeWaveFormat(channels, 44100, 2);
  p.fftSize = fftSize;
  p.averageBlocks = 1;
  p.smoothingWindow = kWindowHanning;
  p.channelProcessing = mode;
  p.UpdateDerived();
  return p;
}

ScalingSettings MakeScaling(uint16_t freqScale, uint16_t ampScale, uint16_t octave) {
  ScalingSettings s;
  s.freqScale = freqScale;
  s.ampScale = ampScale;
  s.octaveNumber = octave;
  return s;
}

std::string TempFolder(const std::string& name) {
  if (TempRoot().empty()) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvanix-views-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      ADD_FAILURE() << "cannot make a temporary folder";
      return {};
    }
    TempRoot() = pattern;
  }
  const std::filesystem::path dir = std::filesystem::path(TempRoot()) / name;
  std::error_code error;
  std::filesystem::remove_all(dir, error);
  std::filesystem::create_directories(dir, error);
  return dir.string();
}

std::string TempRootFolder() {
  return TempRoot();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

int TopmostRowOfColor(const QImage& image, int x0, int x1, QRgb color, int tolerance) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = std::max(0, x0); x <= std::min(image.width() - 1, x1); ++x) {
      const QRgb p = image.pixel(x, y);
      if (std::abs(qRed(p) - qRed(color)) <= tolerance &&
          std::abs(qGreen(p) - qGreen(color)) <= tolerance &&
          std::abs(qBlue(p) - qBlue(color)) <= tolerance) {
        return y;
      }
    }
  }
  return -1;
}

}  // namespace orvanix::test
