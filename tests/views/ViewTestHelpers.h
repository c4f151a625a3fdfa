// Shared by the view tests: a QApplication on the offscreen platform (created before any
// test runs) and a spectrum source over real engine objects fed with synthetic tones.
#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "engine/ProcessingStep.h"
#include "views/SpectrumSource.h"

namespace orvanix::test {

// A sine of `amplitude` (fraction of full scale) at `hz` in one or both channels.
struct Tone {
  double hz;
  double amplitude;
  int channel = -1;  // 0 left, 1 right, -1 both
};

class TFakeSource : public TSpectrumSource {
 public:
  // Builds the engine objects (the test checks Ok()).
  TFakeSource(const ProcessingSettings& processing, const ScalingSettings& scaling);
  bool Ok() const { return ok_; }

  // Runs `blocks` blocks of the tones plus white noise of `noise` (fraction of full scale,
  // fixed seed) through the processing step. The right channel gets `rightGain` times
  // the left channel's signal plus its own noise.
  void Feed(const std::vector<Tone>& tones, int blocks, double noise = 1e-4,
            double rightGain = 1.0);

  const TSpectralData* Primary() const override;
  const TSpectralData* Secondary() const override;
  std::string PrimaryLabel() const override;
  std::string SecondaryLabel() const override;
  const ProcessingSettings& Processing() const override { return objects_.settings; }
  const ScalingSettings& Scaling() const override { return objects_.scaling; }
  bool PostProcessing() const override { return postProcessing; }

  bool postProcessing = false;
  TEngineObjects& Objects() { return objects_; }

 private:
  TEngineObjects objects_;
  bool ok_ = false;
  uint64_t seed_ = 12345;
};

// Common settings: 44100 Hz 16-bit, the given channels, FFT size and mode, Hanning window,
// one block averaged; scaling: logarithmic amplitude, the given frequency axis.
ProcessingSettings MakeProcessing(uint16_t channels, int32_t fftSize, uint16_t mode);
ScalingSettings MakeScaling(uint16_t freqScale, uint16_t ampScale = 1, uint16_t octave = 3);

// A fresh empty folder `name` inside this test program's own temporary folder, which is
// removed when the program ends.
std::string TempFolder(const std::string& name);
// That temporary folder (empty before the first TempFolder call).
std::string TempRootFolder();
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);

// Row (y) of the topmost pixel of about `color` in columns x0 ... x1; -1 when absent.
int TopmostRowOfColor(const QImage& image, int x0, int x1, QRgb color, int tolerance = 40);

}  // namespace orvanix::test
