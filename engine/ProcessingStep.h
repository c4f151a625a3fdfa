// The engine objects built from the settings, and the processing step that turns one block
// of samples per channel into the spectra of the channel-processing mode.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/Calibration.h"
#include "engine/ProcessingSettings.h"
#include "engine/SeriesData.h"
#include "engine/Smoothing.h"
#include "engine/SpectralData.h"

namespace orvanix {

// Owned by the analyzer core and rebuilt (never edited) when processing or scaling settings
// change; calibration changes are applied to the existing objects.
struct TEngineObjects {
  ProcessingSettings settings;  // as applied: derived values updated, mono forced to mode 0
  ScalingSettings scaling;
  std::unique_ptr<TSmoothing> window;  // N points, the settings' window type
  // Processing buffers of N x D samples (plus the filter run-out); right only in stereo.
  std::unique_ptr<TSeriesData> seriesLeft, seriesRight;
  // left: channel 0; right: channel 1 (stereo only); dual: modes 3 ... 12 (the primary
  // result); dual2: modes 11 and 12 (the coherence beside the transfer function).
  std::unique_ptr<TSpectralData> left, right, dual, dual2;
};

// The channel-processing mode that runs: the settings' mode in stereo, 0 for mono (and for
// an unknown mode).
uint16_t EffectiveMode(const ProcessingSettings& settings);

// Builds every object from the settings (previous objects are released first): the window,
// energy-corrected on a fractional-octave axis (band levels are power sums) and
// amplitude-corrected otherwise (a tone's peak reads its level); the processing buffers; the
// spectra the mode needs. In modes 8 ... 12 the channel spectra average without peak hold
// (they are the denominators; the result holds). Spectra start without calibration: call
// ApplyCalibration next.
// An invalid FFT size or decimation ratio is reported and nothing is built. An object that
// fails is reported with the program title and left out (the step then does nothing);
// returns false when anything failed.
bool BuildEngineObjects(const ProcessingSettings& settings, const ScalingSettings& scaling,
                        TEngineObjects& objects);

// Hands the calibration record to every object: each buffer gets its channel's ratio, each
// spectrum the record with its channel. nullptr (or a disabled record): calibration off.
void ApplyCalibration(const TCalibration* record, TEngineObjects& objects);

// Resets every spectrum (start, rewind, settings change).
void ResetSpectra(TEngineObjects& objects);

// The processing step for one block: copies the first N samples of each channel's buffer
// (raw minus zero; the buffers are already decimated) into its spectrum, windows,
// transforms and averages them, and forms the two-channel result of the mode. Does nothing
// when a spectrum or buffer the mode needs is missing. Allocates nothing.
// Called on the main thread by the run loop, which calls it only while at least one consumer
// of spectra is open (spectrum, phase, spectrogram or surface view, a measurement utility, the
// data logger, or another window that reads spectra).
void ProcessBlock(TEngineObjects& objects);

}  // namespace orvanix
