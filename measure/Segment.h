// Analyses of a selected stretch of the recording: its RMS level, crest factor and Leq, the
// average spectrum over it, its Hilbert envelope and Schroeder integration, and, on the
// displayed spectrum, the bandwidth and quality factor of a resonance. Standard C++: the
// analyzer core's segment module runs them and reports what they find.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/Calibration.h"
#include "engine/ProcessingStep.h"
#include "engine/Smoothing.h"
#include "engine/SpectralData.h"
#include "files/WaveData.h"

namespace orvanix {

// ---- levels of the samples ------------------------------------------------------------------

// Per channel of the wave data (one or two).
struct TSegmentLevels {
  int channels = 1;
  double rms[2] = {0, 0};    // of the scaled samples (fraction of full scale, or the unit)
  double level[2] = {0, 0};  // LevelToDb(rms): 20 log10 without calibration, -999.9 for 0
  double peak[2] = {0, 0};   // the larger of |maximum| and |minimum|
  double crest[2] = {0, 0};  // peak / rms, 0 when rms is 0
  double crestDb[2] = {0, 0};
};
// Over frames of startSecs ... endSecs (an empty stretch gives zeros).
TSegmentLevels SegmentLevels(TWaveData& wave, double startSecs, double endSecs,
                             const TCalibration& calibration);
// The messages of the RMS level and crest factor commands, one or two channels.
std::string RmsMessage(const TSegmentLevels& levels, const TCalibration& calibration);
std::string CrestMessage(const TSegmentLevels& levels);

// ---- block-wise runs ------------------------------------------------------------------------

// The stretch a block-wise run covers: start and end moved back by half a block (at least 0).
struct TBlockSpan {
  double t0 = 0;
  double t1 = 0;
  uint32_t blocks = 0;  // samples(t1 - t0) x 2 / FFT size / decimation, at least 1
};
TBlockSpan BlockSpan(const ProcessingSettings& settings, double startSecs, double endSecs);

// Linear average of every block of the stretch (half-block steps) into the engine's
// spectra, as the run loop processes a block; the averaging count and type of `settings`
// are restored afterwards. `cancel` (may be empty) is asked between blocks. The blocks
// processed (a cancelled run keeps what it averaged).
uint32_t AverageSegment(TWaveData& wave, TEngineObjects& engine, const ProcessingSettings& settings,
                        const TBlockSpan& span, const std::function<bool()>& cancel = {});

// Reads one block of B samples per channel from `frame` on (the delayed channel's from
// earlier; silence where the recording has none) and processes it as the run loop would.
void ProcessBlockAt(TWaveData& wave, TEngineObjects& engine, const ProcessingSettings& settings,
                    int64_t frame);

// Leq from the segment's level L (dB) over T seconds, referred to `referenceSecs`:
// 10 log10(10^(L / 10) T / Tref), with 1e-8 for a non-positive energy.
double LeqFromLevel(double levelDb, double seconds, double referenceSecs);
// The Leq of each display channel after AverageSegment: BandPower over the analysis span
// with the weighting (0 flat, 1 A, 2 B, 3 C), in dB. Two values with a second spectrum.
struct TLeqResult {
  int channels = 1;
  double leq[2] = {0, 0};
  int weighting = 0;
};
TLeqResult SegmentLeq(const TSpectralData* first, const TSpectralData* second, double seconds,
                      double referenceSecs, int weighting);
std::string LeqMessage(const TLeqResult& result);

// ---- transforms of the samples --------------------------------------------------------------

// The envelope |x + i H(x)| of raw samples in place, measured from `zero`, in chunks of 8192
// (the rest as one chunk of the next power of two, 32 at least, padded with silence).
void HilbertEnvelope(std::vector<int32_t>& samples, int32_t zero);
// Backward integration of |sample - zero| in place: zero + (remaining sum / total) x
// (max - zero), truncated; from full scale at the start to near zero at the end. Nothing
// changes when the total is 0.
void SchroederCurve(std::vector<int32_t>& samples, int32_t zero, int32_t max);
// The raw samples of frames from ... to - 1 of a channel into `out`. False (and `out`
// empty) when the memory cannot be had or the document cannot be read.
bool ReadRawSegment(TWaveData& wave, uint32_t from, uint32_t to, uint32_t channel,
                    std::vector<int32_t>& out);

// ---- the displayed spectrum -----------------------------------------------------------------

// The impulse response of a spectrum (its Inverse) with the smoothing window that shaped the
// block divided out: FFT-size values in counts from the zero value, as the block went into
// the transform. Empty when the spectrum has no inverse.
std::vector<float> ImpulseResponse(TSpectralData& spectrum, const TSmoothing* window);

// Bandwidth and quality factor of the peak between fa and fb: the half-power points of a
// natural cubic spline through the bins' powers, found on a 0.1 Hz grid.
struct TQualityFactor {
  float peakHz = 0;
  float bandwidthHz = 0;
  float q = 0;
};
TQualityFactor QualityFactor(const TSpectralData& spectrum, float fa, float fb);
std::string QualityMessage(const TQualityFactor& first, const TQualityFactor* second);

}  // namespace orvanix
