// The digital filter of the Edit menu: a windowed FIR low pass, high pass, band pass or notch
// of 39 to 199 taps, run over a time segment of the document as a job of ticks.
//
// Design: with T taps, centre M = (T - 1) / 2 and N the Nyquist frequency, two components
// are added tap by tap, each a cosine-modulated ideal low pass of centre angle c and
// half-width w (tap M = w / pi, taps M +- k = cos(k c) sin(k w) / (k pi)), windowed by a
// T-point Hanning window:
//   low pass fc:       (0, pi fc / N)               and (pi, 0)
//   high pass fc:      (pi, 0)                      and (pi, pi (N - fc) / N)
//   band pass f0, W:   (pi f0 / N, pi W / (2N))     twice (each passes half)
//   notch f0, W:       (0, pi (f0 - W/2) / N)       and (pi, pi (N - (f0 + W/2)) / N)
//
// Filtering: output frame k = sum over j of tap j x input(k - M + j), so that the filtered
// segment stays where it was (a linear-phase filter delays by M samples; the output is taken
// M samples later). The inputs around the segment are the document's own frames before and
// after it (silence beyond the document), so its edges join their neighbours without a step.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/SettingsRecords.h"
#include "files/StepJob.h"
#include "files/WaveEdits.h"

namespace orvanix {

enum FilterType : int32_t { kLowPass = 0, kHighPass = 1, kBandPass = 2, kNotch = 3 };
inline constexpr int32_t kMinFilterTaps = 39;
inline constexpr int32_t kMaxFilterTaps = 199;

// 39 ... 199.
int32_t ClampFilterTaps(int32_t taps);
// The T taps of `settings` (type, taps and its type's frequencies in Hz) for a document whose
// Nyquist frequency is `nyquistHz`.
std::vector<float> FilterCoefficients(const TFilterSettings& settings, double nyquistHz);

class TFilterJob : public TStepJob {
 public:
  // Filters the selected channels (`doLeft`, `doRight`; a mono document has its left only).
  TFilterJob(TWaveFile& document, TFrameRange range, const TFilterSettings& settings);

  bool Step() override;
  int Percent() const override;
  std::string StatusText() const override;
  bool Failed() const override { return failed_; }
  // A cancelled filter is undone at once.
  void Cancel() override;
  bool Done() const { return done_; }
  const std::vector<float>& Taps() const { return taps_; }

 private:
  bool Begin();
  // Input values (sample - zero) of one channel for frames first ... first + count - 1,
  // silence outside the document.
  bool ReadInputs(uint32_t channel, int64_t first, uint32_t count, double* out);

  TWaveFile& document_;
  TFrameRange range_;
  TFilterSettings settings_;
  std::vector<float> taps_;
  uint32_t channelMask_ = 0;
  uint32_t next_ = 0;
  bool begun_ = false;
  bool done_ = false;
  bool failed_ = false;
  // Per channel: the original inputs of the M frames before `next_` (the frames themselves
  // are already filtered).
  std::vector<double> history_[2];
  std::vector<double> window_;
  std::vector<uint8_t> raw_;
};

}  // namespace orvanix
