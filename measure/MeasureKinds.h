// The ten measurement kinds as the windows, the data log and headless runs show them:
// which spectra they measure (the first and second display spectrum of the channel
// processing), their unit labels and their readout texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/ProcessingStep.h"

namespace orvanix {

// `AnalysisType`, in the order of the measurement windows.
enum AnalysisType : int32_t {
  kAnalysisThd = 0,
  kAnalysisThdN,
  kAnalysisImd,
  kAnalysisSnr,
  kAnalysisSinad,
  kAnalysisSfdr,
  kAnalysisNoiseFigure,
  kAnalysisPeakFrequency,
  kAnalysisPeakAmplitude,
  kAnalysisTotalPower,
  kAnalysisTypeCount
};

struct TAnalysisInfo {
  const char* title;    // window title: "THD", "Noise Figure", "Total Pwr"
  const char* name;     // headless name: "thd", "thdn", "nf", "power"
  const char* readout;  // printf format of one line
  enum class Label { None, Db, Amplitude } label;  // what the readout's %s receives
};
const TAnalysisInfo& AnalysisInfo(AnalysisType kind);
// The kind of a headless name ("thd", "peakfreq", ...); kAnalysisTypeCount when unknown.
AnalysisType AnalysisOfName(std::string_view name);

// The spectra the measurements, the data log and automation read, from the channel
// processing that runs (mono runs mode 0): left; right; left and right; the two-channel
// result; the transfer function and its coherence. Null where there is none.
struct TDisplaySpectra {
  const TSpectralData* first = nullptr;
  const TSpectralData* second = nullptr;
};
TDisplaySpectra DisplaySpectra(const TEngineObjects& engine);
// Whether the channel processing measures two spectra ("Both Left and Right" and the two
// transfer-and-coherence modes): the data log then writes two columns.
bool TwoChannelMode(uint16_t channelProcessing);
// Lines a window shows: two with "Both Left and Right" except for the noise figure, and in
// the two transfer-and-coherence modes whatever the kind; otherwise one.
int LineCount(AnalysisType kind, uint16_t channelProcessing);

// "dB", followed by " A", " B" or " C" when that standard weighting is selected.
std::string DbLabel(const ScalingSettings& scaling);
// With calibration the first display spectrum's linear or log label (amplitude scale
// linear or dB); without, "%" or "dB". Followed by the weighting suffix as for DbLabel.
std::string AmplitudeLabel(const TEngineObjects& engine);

// The value of a kind on one spectrum; the noise figure reads the engine's left and right
// spectra whatever `spectrum` is.
float Measure(AnalysisType kind, const TSpectralData* spectrum, const TEngineObjects& engine,
              int32_t noiseFigurePolarity);
// The readout line of a value ("1.11803 %", "60.206 dB A", "1000.00 Hz").
std::string Readout(AnalysisType kind, float value, const TEngineObjects& engine);

// The two lines of a window: line 1 the kind on the first display spectrum; line 2, with
// two lines and a second display spectrum, the same on the second (the noise figure has
// none). Lines without a value read "0.0".
struct TReadoutLines {
  int count = 1;
  std::string line[2];
};
TReadoutLines ReadoutLines(AnalysisType kind, const TEngineObjects& engine,
                           int32_t noiseFigurePolarity);

}  // namespace orvanix
