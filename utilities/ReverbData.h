// The reverberation measurement's data: the decay frames of up to 31 band slots (30
// 1/3-octave bands and the wideband entry last), the timing of the excitation, the
// smoothing of the decays and the decay times read from them, and the .rvb file.
//
// The measurement format is fixed: 44100 Hz, mono, 16 bits. Frames are 94 floats (376
// bytes), as the file stores them: centre frequencies, levels, smoothed levels, time.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvanix {

inline constexpr uint32_t kReverbRateHz = 44100;
inline constexpr uint32_t kReverbSlots = 31;
inline constexpr float kReverbEmpty = -999.0f;           // an empty level slot
inline constexpr float kReverbWideband = -999.0f;        // the wideband slot's frequency
inline constexpr double kReverbFrameStep = 0.009287982;  // 409.6 / 44100 s
inline constexpr int32_t kReverbMagic = 13211;

struct ReverbFrame {
  float frequency[kReverbSlots];
  float level[kReverbSlots];
  float smoothed[kReverbSlots];
  float time;
};
static_assert(sizeof(ReverbFrame) == 376, "a frame is 94 floats, as the file stores it");

// The excitation's timing for a maximum decay of `maxDecaySecs` (1 ... 30 s).
struct TReverbTiming {
  int32_t maxDecay = 10;
  double leadIn = 0.8, burst = 0.1, gap = 0.5;
  double noise = 10;    // max(maxDecay, 4)
  double total = 21.4;  // maxDecay + noise + 1.4
  uint32_t frameCapacity = 0;
  static TReverbTiming For(int32_t maxDecaySecs);
};

// The decay times of one band slot: drops of 10 ... 60 dB in seconds (-1: the drop did not
// occur) and whether each was extrapolated or missing (1) or measured (0).
struct TBandDecayTimes {
  float frequency = 0;
  std::array<float, 6> seconds{};
  std::array<int32_t, 6> notMeasured{};
};

enum ReverbSmoothing : int32_t { kSmoothNone = 0, kSmoothAveraging = 1, kSmoothSchroeder = 2 };
enum ReverbExtrapolation : int32_t { kRt10 = 0, kRt20 = 1, kRt30 = 2 };

class TReverbData {
 public:
  // Empty frames for `timing` (frequencies 0, levels empty).
  void Reset(const TReverbTiming& timing);
  std::vector<ReverbFrame>& Frames() { return frames_; }
  const std::vector<ReverbFrame>& Frames() const { return frames_; }
  uint32_t BandCount() const { return bandCount_; }
  void SetBandCount(uint32_t count) { bandCount_ = std::min(count, kReverbSlots); }
  uint32_t FrameCount() const { return frameCount_; }
  void SetFrameCount(uint32_t count);
  double FrameStep() const { return frameStep_; }
  void SetFrameStep(double step) { frameStep_ = step; }
  int32_t MaxDecay() const { return maxDecay_; }
  void SetMaxDecay(int32_t seconds) { maxDecay_ = seconds; }
  bool HasData() const { return frameCount_ > 0 && bandCount_ > 0; }

  // Every band relative to frame 0 (all decays start at 0 dB).
  void Normalise();
  // The smoothed levels by `method`, then the decay times with `extrapolation`.
  void Smooth(int32_t method, int32_t extrapolation);
  void ComputeDecayTimes(int32_t extrapolation);
  const std::array<TBandDecayTimes, kReverbSlots>& DecayTimes() const { return times_; }

  // The .rvb file: magic, band count, frame count, the frames. Load returns an error text
  // for the user, empty on success (nothing changes on a failure).
  std::string Save(const std::string& path) const;
  std::string Load(const std::string& path);
  // The same from and to bytes (the file's whole content).
  std::vector<uint8_t> ToBytes() const;
  std::string FromBytes(const uint8_t* data, size_t size);

 private:
  std::vector<ReverbFrame> frames_;
  uint32_t bandCount_ = 0;
  uint32_t frameCount_ = 0;
  double frameStep_ = kReverbFrameStep;
  int32_t maxDecay_ = 10;
  std::array<TBandDecayTimes, kReverbSlots> times_{};
};

inline constexpr const char* kReverbOpenFailed = "Failure opening reverb file";
inline constexpr const char* kReverbInvalid = "Invalid reverb file.";
inline constexpr const char* kReverbReadError = "Error reading reverb file.";
inline constexpr const char* kReverbCreateFailed = "Failure creating reverb file";
inline constexpr const char* kReverbWriteError = "Error writing reverb file.";

}  // namespace orvanix
