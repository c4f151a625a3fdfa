// TSelectionPlayer: plays a stretch of the wave document through an output device, once or
// looping until stopped, at a speed factor, without the analyzer (the Edit menu's Play, Loop,
// Half Speed, Double Speed and Arbitrary Speed).
//
// The stretch is streamed from the document through two buffers of about 100 ms, so any
// length plays in constant memory, in RAM and disk mode alike. A speed other than 1 plays the
// samples unchanged at the scaled rate when the device accepts it (the pitch moves with the
// speed, as a tape does); otherwise the device keeps the document's rate and the samples are
// resampled by linear interpolation.
//
// The document must not change while playing: its owner stops the player before any edit.
// Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/WaveFormat.h"

namespace orvanix {

class TSoundOutput;
class TWaveFile;

struct TPlaybackRequest {
  uint32_t startFrame = 0;
  uint32_t endFrame = 0;  // exclusive
  double speed = 1.0;
  bool loop = false;
  int deviceId = 0;  // in the output device list
  // False: keep the document's rate and resample even when the device would take the
  // scaled rate.
  bool allowRateChange = true;
};

class TSelectionPlayer {
 public:
  // `position` gets the document time (seconds) of what is being heard, on every returned
  // buffer; `finished` is told once playback ended by itself (the end of a single pass, or a
  // device that failed and said so).
  TSelectionPlayer(std::function<void(double)> position, std::function<void()> finished);
  ~TSelectionPlayer();
  TSelectionPlayer(const TSelectionPlayer&) = delete;
  TSelectionPlayer& operator=(const TSelectionPlayer&) = delete;

  // Stops what plays, then plays `request` from `document`. False when nothing plays: an
  // empty stretch, no device (reported) or a device that refused the format (the port
  // reported it).
  bool Start(const TWaveFile& document, const TPlaybackRequest& request);
  void Stop();
  bool Playing() const { return playing_; }
  bool Looping() const { return playing_ && request_.loop; }
  // The rate the device plays at, and the source frames per played frame (1 when the rate
  // carries the speed).
  uint32_t DeviceRate() const { return deviceRate_; }
  double Step() const { return step_; }
  // Frames handed to the device since Start (a looping stretch counts every pass).
  uint64_t FramesQueued() const { return queued_; }

 private:
  void OnBuffersDone();
  // Fills and queues `slot`; false when the stretch is exhausted (nothing queued).
  bool Queue(int slot);
  // Source frame `index` counted from the stretch start, wrapped when looping, decoded into
  // `out` (sample - zero per channel). False past the end of a single pass.
  bool SourceFrame(uint64_t index, int32_t* out);
  void Finish();

  std::function<void(double)> position_;
  std::function<void()> finished_;
  std::unique_ptr<TSoundOutput> output_;
  const TWaveFile* document_ = nullptr;
  TPlaybackRequest request_;
  WaveFormat format_;
  uint32_t deviceRate_ = 0;
  double step_ = 1.0;
  bool playing_ = false;
  double next_ = 0.0;  // next source position, frames from the stretch start
  uint64_t queued_ = 0;
  uint64_t total_ = 0;  // output frames of a single pass
  std::vector<uint8_t> slots_[2];
  uint32_t slotFrames_ = 0;
  // A window of decoded source frames, read from the document in pieces.
  std::vector<uint8_t> raw_;
  std::vector<int32_t> window_;
  uint64_t windowFirst_ = 0;
  uint32_t windowCount_ = 0;
};

}  // namespace orvanix
