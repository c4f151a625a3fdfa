// The virtual "Loopback" sound device, listed after the real devices in both directions: a
// cable in software from its output to its input, so that the generator, the calibration, the
// reverberation measurement and the run loop work and are tested without hardware.
//
// - Stereo or mono, every rate from TSoundPort::kMinRateHz to kMaxRateHz, 8, 16 or 24 bits, on
//   each side independently. Channels connect one to one; a mono output feeds both input
//   channels, a mono input hears the left channel. Equal rates on both sides pass every sample
//   through unchanged (with gain 1 and no noise, a 16-bit sample arrives as the same 16-bit
//   sample); different rates are bridged by linear interpolation.
// - TLoopbackSettings add an impulse response per channel (a room, a pure delay), a delay to
//   one channel, a gain and white noise.
// - Paced by a real clock: a thread that sleeps on the steady clock and, each tick, moves as
//   many frames as the elapsed time at the input's rate asks for (the output's rate when only
//   the output runs), in the ports' own device callbacks, so buffer-done notices reach the main
//   thread exactly as for a real device. While the input records, the output is drawn at the
//   input's pace; when nothing plays, the input receives silence (plus noise if set).
// - A source callback feeds the input a known signal without an output port (tests, or a
//   signal injected under what the output plays).
//
// One input and one output port at a time; a second one gets kSoundDeviceBusy.
// Every member function is for the main thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/DeviceStream.h"
#include "acquisition/LoopbackConvolver.h"
#include "acquisition/LoopbackSettings.h"
#include "engine/WaveFormat.h"

namespace orvanix {

class TSoundPort;

class TLoopbackDevice {
 public:
  // Called on the Loopback's thread for every block of input frames: write the signal for
  // input frames firstFrame ... firstFrame + frames - 1 (counted from the input's Start) into
  // `left` and `right`, which arrive zeroed, in full-scale units (1.0 is the largest sample).
  // It is added to what the output plays, before gain, delay and noise. Must not block.
  using TSource = std::function<void(uint64_t firstFrame, uint32_t frames, uint32_t rateHz,
                                     double* left, double* right)>;

  static TLoopbackDevice& Instance();

  // Takes effect at once (normalised first); the delay line restarts with silence. The
  // impulse response files are read here: false, with the reason in `error` when given, when
  // one cannot be read (that channel then has none; everything else applies).
  bool SetSettings(const TLoopbackSettings& settings, std::string* error = nullptr);
  const TLoopbackSettings& Settings() const { return settings_; }
  // An empty function removes the source.
  void SetSource(TSource source);

  // For TSoundPort::Open: connects the port to its side of the cable. Null (with the reason in
  // `error`) when that side is already taken.
  std::unique_ptr<TDeviceStream> Attach(TSoundPort& port, std::string& error);

  ~TLoopbackDevice();
  TLoopbackDevice(const TLoopbackDevice&) = delete;
  TLoopbackDevice& operator=(const TLoopbackDevice&) = delete;

 private:
  friend class TLoopbackStream;
  using Clock = std::chrono::steady_clock;

  TLoopbackDevice();
  void StartSide(TSoundDirection side);
  void StopSide(TSoundDirection side);
  void Detach(TSoundDirection side);

  void StopThread();
  void StartThreadIfNeeded();
  void Run();
  void Tick(Clock::time_point now);
  void ProduceInput(uint32_t frames);
  void PullOutput(uint32_t frames);
  void ResetInputPath();
  void ResetResampler();
  double Gauss();

  TLoopbackSettings settings_;
  TSource source_;

  // Everything below is touched by the thread while it runs and by the main thread only while
  // it is stopped (each change stops it, applies, and starts it again).
  TSoundPort* input_ = nullptr;
  TSoundPort* output_ = nullptr;
  bool inputRunning_ = false;
  bool outputRunning_ = false;
  WaveFormat inFormat_;
  WaveFormat outFormat_;
  Clock::time_point inputStart_{};
  uint64_t inputFrames_ = 0;  // input frames produced since the input started
  Clock::time_point outputStart_{};
  uint64_t outputFrames_ = 0;  // output frames drawn while the output runs on its own clock

  // Rate bridge: input frames made and output frames drawn since the last reset, and the last
  // two output frames (history_[0], [1]) ahead of the newly drawn ones.
  uint64_t bridgeIn_ = 0;
  uint64_t bridgeOut_ = 0;

  TLoopbackConvolver convolvers_[2];  // left, right
  std::vector<double> delayLine_;
  uint32_t delayPos_ = 0;
  uint64_t noiseState_ = 1;
  bool haveSpareGauss_ = false;
  double spareGauss_ = 0;

  // Scratch, allocated once: kChunkFrames input frames, kWireFrames output frames.
  std::vector<uint8_t> inBytes_;
  std::vector<uint8_t> outBytes_;
  std::vector<double> wireLeft_, wireRight_;      // the output at the input's rate
  std::vector<double> sourceLeft_, sourceRight_;  // the source's signal
  std::vector<double> historyLeft_, historyRight_;

  std::thread thread_;
  std::atomic<bool> stop_{false};
};

}  // namespace orvanix
