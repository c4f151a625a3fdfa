// The reverberation measurement's signal work, on 16-bit samples at 44100 Hz: the excitation
// it plays, and the stages that read a recording of it (the sync burst, the levels, the
// decay frames). The sound output and input around it live in the utilities module.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "utilities/ReverbData.h"

namespace orvanix {

inline constexpr const char* kReverbInProgress =
    "Reverb measurement in progress. Press <Esc> to cancel.";
inline constexpr const char* kReverbNoData =
    "Reverberation data not available.  Press Start to begin.";
inline constexpr const char* kReverbClipping =
    "The detected signal is overloading (clipping) the input.\rReduce the amplifier volume or "
    "decrease the sound card input gain and repeat the measurement.";
inline constexpr const char* kReverbTooLow =
    "The detected signal is to low for accurate measurements.\rIncrease the amplifier volume or "
    "increase the sound card input gain and repeat the measurement.";
inline constexpr const char* kReverbNoDuplex =
    "The Sound Card you are using does not support duplex operations.";
inline constexpr const char* kReverbChanged =
    "Reverberation Data has changed.  Do you want to save it?";
// The design's limits leave a decay shorter than this unmeasurable: nothing fell 10 dB.
inline constexpr const char* kReverbNoDecay =
    "No band decayed by 10 dB after the excitation: check the microphone and the loudspeaker.";

// The excitation: silence, the 1 kHz burst at a quarter of full scale from 0.8 s for 0.1 s,
// and from 1.4 s `timing.noise` seconds of the pink-noise resource (looped), in a buffer of
// 1.1 × total seconds. `pinkOffset` starts the noise further into the resource: repeated
// excitations of an averaged measurement each play another stretch of it.
std::vector<int16_t> BuildExcitation(const TReverbTiming& timing, std::span<const int16_t> pink,
                                     size_t pinkOffset = 0);

// Where the burst starts in a recording: the 4096-point block of the first 1.2 s (hop 2048)
// whose peak lies strictly between 900 and 1100 Hz with the best SNR; 0.8 s when none does or
// it lies more than 0.5 s from 0.8 s.
double FindSyncTime(std::span<const int16_t> recording);

enum class ReverbLevel { Ok, Clipping, TooLow };
// The steady-state levels over the second half of the noise into frame 0 (band frequencies,
// levels, the wideband slot last) and the band count; the peak sample decides the verdict.
ReverbLevel EvaluateLevels(std::span<const int16_t> recording, double syncTime,
                           const TReverbTiming& timing, TReverbData& data,
                           double* peakDb = nullptr);

// The decay frames from 60 ms before the noise stops, every 409 samples, until the recording,
// the capacity or maxDecay + 0.1 s ends; the frame step becomes 409 / 44100. `cancel`
// (optional) is asked every 10 frames.
void AnalyseDecay(std::span<const int16_t> recording, double syncTime, const TReverbTiming& timing,
                  TReverbData& data, const std::function<bool()>& cancel = {});

// Every stage after the recording: sync, levels, decay, normalising, smoothing. Returns the
// level verdict (the data hold no decay unless Ok).
ReverbLevel AnalyseRecording(std::span<const int16_t> recording, const TReverbTiming& timing,
                             int32_t smoothing, int32_t extrapolation, TReverbData& data);

// Beyond a single decay: the energy mean of several decays of the same room (each
// normalised), integrated backwards per band (Schroeder) and read as T-n by a straight line
// from -5 dB down `rangeDb` (20 or 30): per band slot, the 60 dB time in seconds or -1.
std::vector<double> AveragedDecayTimes(const std::vector<const TReverbData*>& decays,
                                       double rangeDb);

// The energy mean of several normalised decays of the same room, frame by frame and band by
// band (over the frames and bands all of them hold), smoothed by `smoothing` and read with
// `extrapolation` as one decay. False, `out` untouched, when `decays` is empty.
bool AverageDecays(const std::vector<const TReverbData*>& decays, int32_t smoothing,
                   int32_t extrapolation, TReverbData& out);

}  // namespace orvanix
