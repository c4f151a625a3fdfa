// The ten measurements of one spectrum: THD, THD+N, IMD, SNR, SINAD, SFDR, noise figure,
// peak frequency, peak amplitude and total power. The measurement windows compute them at
// every repaint, the data log at every record and automation on request, so they are plain
// operations on a spectrum object.
//
// THD ... SFDR and the noise figure read the narrowband averaged power P[k] (linear,
// squared magnitude), whatever frequency or amplitude scale is shown; peak frequency, peak
// amplitude and total power follow the displayed scales and calibration. A spectrum
// pointer that is null, a spectrum with its error flag set and one that has averaged no
// block yet (no data) give 0. Every index range
// is limited to the spectrum's bins. Nothing allocates (the A curve of BandPower aside,
// built once on first use by the engine).
#pragma once

#include <cstdint>

#include "engine/SpectralData.h"

namespace orvanix {

// Noise figure polarity as stored under "NoiseFigurePolarity": 6 "Left vs Right" (command
// 290), 7 "Right vs Left" (command 291).
inline constexpr int32_t kNoiseFigureLeftVsRight = 6;
inline constexpr int32_t kNoiseFigureRightVsLeft = 7;

// 10 log10(x), or -999.9 for x <= 0: a ratio with no noise reads 10 log10(P1) + 999.9.
float PowerToDb(double power);

// THD in percent: the root of the summed largest bins around harmonics 2 ... H of the peak
// bin k0 (harmonic h searched over h k0 +- 2h, H = fHigh / f0 + 1, at most 40) over the
// root of P[k0]. 0 when P[k0] is 0 or the peak lies at or below 1 Hz.
float ComputeThd(const TSpectralData* spectrum);
// THD+N in percent: the ten next-largest local peaks (+-5 bins) over the largest one.
float ComputeThdPlusNoise(const TSpectralData* spectrum);
// IMD in percent, for a low tone plus a high tone: the eleven largest local peaks on each
// side of the largest peak at or above 1000 Hz, within 200 Hz and at least 4 bins away, over
// that peak.
float ComputeImd(const TSpectralData* spectrum);
// dB: the largest local peak against the ten next ones (SNR), or the largest plus the ten
// against the ten (SINAD). Peaks are single bins, not integrated bands.
float ComputeSnr(const TSpectralData* spectrum);
float ComputeSinad(const TSpectralData* spectrum);
// dB: the peak bin against the largest single bin outside the peak's skirt.
float ComputeSfdr(const TSpectralData* spectrum);
// dB: SNR(left) - SNR(right) with polarity 6, the other way round with 7 (anything else
// counts as 6); 0 when either spectrum is missing.
float ComputeNoiseFigure(const TSpectralData* left, const TSpectralData* right, int32_t polarity);

// The peak bin (narrowband: largest of bins 5 ... B - 2) or, on a fractional-octave axis,
// the peak band (from the first resolvable band to the last, the lowest of equal levels).
uint32_t PeakBin(const TSpectralData* spectrum);
// Hz: the peak bin's frequency (no interpolation), or the peak band's nominal centre.
float PeakFrequency(const TSpectralData* spectrum);
// The displayed value (percent, dB or calibrated units) of PeakBin.
float PeakAmplitude(const TSpectralData* spectrum);

// The analysis span: bins FrequencyBin(fLow) (at least 3) ... FrequencyBin(fHigh), or the
// first resolvable band ... the last band on a fractional-octave axis.
struct TIndexSpan {
  uint32_t first = 0;
  uint32_t last = 0;
};
TIndexSpan AnalysisSpan(const TSpectralData& spectrum);
// Total power over the analysis span as displayed (BandPower with weighting -1): 10 log10
// of the summed power on a dB display, its root on a linear one, in the displayed
// (possibly calibrated) units.
float TotalPower(const TSpectralData* spectrum);

}  // namespace orvanix
