// TReverbMeasurement: the reverberation measurement as the sound devices run it. For each
// excitation it plays the excitation through an output port while an input port records
// into one buffer (full duplex, mono, 16 bits, 44100 Hz), then analyses the recording; the
// decays of several excitations are averaged in energy. It never blocks: the ports'
// callbacks fill the buffers and a 100 ms timer on the main thread follows the run, so the
// window stays live and Esc (Cancel) is seen at once.
//
// It shows no message itself: the outcome says what went wrong, and the finished handler
// runs only after both ports are closed and the measurement is idle (it may report, open a
// dialog, or start again).
//
// Main thread only; needs a running Qt event loop.
#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "utilities/ReverbAnalysis.h"
#include "utilities/ReverbData.h"

namespace orvanix {

class TSoundInput;
class TSoundOutput;

inline constexpr const char* kReverbAcquiring = "Acquiring Data...";
inline constexpr const char* kReverbSyncing = "Syncronizing...";
inline constexpr const char* kReverbEvaluating = "Evaluating Levels...";
inline constexpr const char* kReverbAnalysing = "Analyzing Reverberation...";
// A device that stopped before the excitation was played through.
inline constexpr const char* kReverbDeviceStopped =
    "The sound device stopped during the reverberation measurement: nothing was measured.";
inline constexpr const char* kReverbNoPinkNoise =
    "The pink noise of the excitation is not available: nothing was measured.";

struct TReverbRequest {
  int inputDeviceId = 0;
  int outputDeviceId = 0;
  int32_t maxDecaySecs = 10;  // MaxDecayTime
  int32_t smoothing = kSmoothAveraging;
  int32_t extrapolation = kRt20;
  // Excitations played one after another and averaged (1: the single decay of the design).
  int excitations = 1;
};

enum class ReverbOutcome {
  Measured,
  Cancelled,
  NoDuplex,
  DeviceFailed,
  Clipping,
  TooLow,
  NoDecay,
  Memory
};

struct TReverbResult {
  ReverbOutcome outcome = ReverbOutcome::Cancelled;
  std::string message;  // for the user; empty when measured or cancelled
  TReverbTiming timing;
  // The decay of each excitation (normalised and smoothed), and the one the window shows:
  // the single decay, or the energy mean of all of them.
  std::vector<TReverbData> decays;
  TReverbData data;
};

class TReverbMeasurement {
 public:
  // percent 0 ... 100 and the stage's message; `levelDb` the level of the last 2048 samples
  // recorded (dB re full scale; -999 when none).
  using TProgress = std::function<void(int percent, const std::string& stage, double levelDb)>;
  using TFinished = std::function<void(const TReverbResult& result)>;

  TReverbMeasurement();
  ~TReverbMeasurement();
  TReverbMeasurement(const TReverbMeasurement&) = delete;
  TReverbMeasurement& operator=(const TReverbMeasurement&) = delete;

  void SetProgressHandler(TProgress handler) { progress_ = std::move(handler); }
  void SetFinishedHandler(TFinished handler) { finished_ = std::move(handler); }

  // Starts the first excitation. False when already running or the ports cannot be opened:
  // the finished handler is then called (at once) with the reason.
  bool Start(const TReverbRequest& request);
  // Esc: stops the devices and finishes with Cancelled (after the handler-safe return).
  void Cancel();
  bool Running() const { return running_; }

 private:
  bool StartExcitation();
  void Poll();
  void CloseDevices();
  void AnalyseExcitation();
  void Finish(ReverbOutcome outcome, const std::string& message);
  void Report(int percent, const std::string& stage, double levelDb = -999.0);

  TReverbRequest request_;
  TReverbResult result_;
  std::vector<int16_t> pink_;
  std::vector<int16_t> excitation_;
  std::vector<int16_t> recording_;
  std::unique_ptr<TSoundInput> input_;
  std::unique_ptr<TSoundOutput> output_;
  QTimer timer_;
  int excitationIndex_ = 0;
  int lingerTicks_ = 0;  // ticks recorded since the playback finished
  int pollTicks_ = 0;    // ticks of this excitation
  bool running_ = false;
  bool cancel_ = false;
  TProgress progress_;
  TFinished finished_;
};

}  // namespace orvanix
