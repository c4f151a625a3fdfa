// TWaveData: the in-memory sample container, 1 or 2 interleaved channels of integer samples.
// Plain TWaveData objects are the sound I/O buffers; TWaveFile (files/WaveFile.h) derives from
// it and adds files and the disk storage mode. Everything runs on the user-interface thread.
//
// Units: frames (one sample per channel, left first; block align = channels x bytes per
// sample bytes each), bytes, seconds. Ranges are half-open: from ... to - 1.
// Length: the frames that hold data (a RAM buffer's length is its capacity; a disk file's the
// frames in its data chunk). Valid length: the highest frame written so far plus one, which is
// what a RAM-mode save writes. Position: the frame block reads and writes start at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/SeriesData.h"  // TriggerType, TriggerSlope, SampleExtremes
#include "engine/WaveFormat.h"

namespace orvanix {

// The trigger condition searched by TWaveData::FindTrigger.
struct WaveTrigger {
  uint16_t type = kTriggerLevel;    // kTriggerLevel or kTriggerEdge (a slope trigger)
  uint16_t slope = kSlopePositive;  // kSlopePositive or kSlopeNegative
  float thresholdPercent = 0.f;     // of the range from the zero value to full scale
};

// Frames read or written at a time by range operations, so that a disk-mode operation never
// holds more than one piece in memory.
inline constexpr uint32_t kPieceFrames = 4096;

class TWaveData {
 public:
  // 44100 Hz, mono, 16-bit, no memory.
  TWaveData();
  // A buffer of `capacityFrames` frames of `format`, filled with silence (127 in every byte of
  // 8-bit data, else 0); length = capacity, valid length and position 0, modified set. A
  // failed allocation sets the error flag; capacity 0 holds no memory.
  TWaveData(uint32_t capacityFrames, const WaveFormat& format);
  virtual ~TWaveData();
  TWaveData(const TWaveData&) = delete;
  TWaveData& operator=(const TWaveData&) = delete;

  bool Error() const { return error_; }
  bool Modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }
  const WaveFormat& Format() const { return format_; }
  uint32_t BlockAlign() const { return format_.BlockAlign(); }
  uint64_t BufferBytes() const { return bufferBytes_; }
  uint32_t CapacityFrames() const { return capacity_; }
  uint32_t Position() const { return position_; }
  uint32_t Length() const { return length_; }
  uint32_t ValidLength() const { return validLength_; }
  // The RAM sample memory (BufferBytes() bytes); nullptr in disk mode or without memory.
  uint8_t* Memory() { return memory_.get(); }
  const uint8_t* Memory() const { return memory_.get(); }

  // Positioning. Seek refuses frames beyond the length; Advance stops at length - 1.
  virtual bool Seek(uint32_t frame);
  void Rewind() { position_ = 0; }
  void SeekToEnd() { position_ = length_; }
  void Advance(uint32_t frames);

  // Copies `count` samples of one channel (bytes per sample bytes each, packed) from frame
  // `start` into dest. Refuses (false, dest untouched) when count exceeds the length. When
  // fewer than count frames remain after start, the rest of dest gets the zero value and the
  // result is false. The position is not moved.
  bool ReadChannel(uint8_t* dest, uint32_t start, uint32_t count, uint32_t channel);
  // Writes `count` packed samples into one channel from frame `start`, clipped to the length;
  // the other channel is untouched. The position is not moved.
  bool WriteChannel(const uint8_t* src, uint32_t start, uint32_t count, uint32_t channel);
  // Reads whole frames of interleaved bytes at the position and advances past them; a partial
  // last frame of `bytes` gets silence. Refuses (false, dest untouched) when the position is at
  // or beyond length - 1. A short read (the data ends first) fills the rest of dest with
  // silence and leaves the position at length - 1. `framesRead` gets the frames of data.
  bool ReadBlock(uint8_t* dest, size_t bytes, uint32_t* framesRead = nullptr);
  // Writes interleaved frames (bytes a multiple of the block align) at the position, advances
  // and raises length and valid length. RAM mode refuses a write beyond the capacity; disk
  // mode writes what the disk takes, keeps it, and returns false on a failure.
  bool WriteBlock(const uint8_t* src, size_t bytes);

  // One sample: raw, or (raw - zero) x factor of its channel when `scaled`. Beyond the length,
  // without memory, or for 4-byte samples: the zero value (0 when scaled).
  float GetSample(uint32_t frame, uint32_t channel, bool scaled) const;
  // Stores one raw sample (refused when it does not fit the sample width: 0 ... 255 for 8-bit,
  // the signed 16 or 24-bit range otherwise), then sets the position to frame + 1 and raises
  // the valid length to it. RAM: frame below the capacity; disk: at most the length (writing
  // at the length appends a frame, the other channel silent).
  bool PutSample(int32_t value, uint32_t frame, uint32_t channel);
  // Writes the zero value into frames from ... to - 1 (clamped to the length), every channel.
  bool FillSilence(uint32_t from, uint32_t to);
  // RAM: reallocates to `frames` frames keeping the samples; added frames are silence;
  // shrinking clamps length, valid length and position. False (nothing changed) when the
  // memory cannot be had. Disk: truncates the data, or appends silence to the file (which
  // then counts as written: the valid length grows with it).
  virtual bool Resize(uint32_t frames);

  // Full-scale values (default 1.0) and the per-count factor = full scale / ((max - min) / 2).
  // A full scale of exactly 0 is taken as 2.0; a non-finite one as 1.0.
  void SetFullScale(float left, float right);
  float FullScaleValue(uint32_t channel) const { return fullScale_[format_.ChannelIndex(channel)]; }
  float CountFactor(uint32_t channel) const { return factor_[format_.ChannelIndex(channel)]; }

  // Over frames from ... to - 1 (clamped to the length) of one channel, with x the raw value
  // or (raw - zero) x factor when `scaled`:
  //  rms false: the largest (high) and smallest (low) x;
  //  rms true:  high = RMS of the samples above the zero value, low = minus the RMS of those
  //             below it, measured from the zero value (x - zero when raw); 0 when none.
  // An empty range gives 0 and 0.
  SampleExtremes MinMax(uint32_t from, uint32_t to, uint32_t channel, bool scaled, bool rms);
  // Mean of the squared scaled samples over from ... to - 1 (0 for an empty range); double sums.
  double MeanSquare(uint32_t from, uint32_t to, uint32_t channel);
  // Searches frames from ... to - 1 of one channel, with the threshold t = percent x (max -
  // zero) / 100 measured from the zero value:
  //   level, positive: the first sample >= zero + t;  level, negative: the first <= zero - t;
  //   slope (with p the previous and c the current sample), positive: p - c >= t, negative:
  //   c - p >= t. The slope senses are the reverse of the block-buffer trigger's on purpose.
  // True when it fired; `frame` (when given) receives the frame that fired.
  bool FindTrigger(const WaveTrigger& trigger, uint32_t from, uint32_t to, uint32_t channel,
                   uint32_t* frame = nullptr);

  // Seconds: frames / rate (0 when the rate is 0).
  double PositionSeconds() const { return Seconds(position_); }
  double LengthSeconds() const { return Seconds(length_); }
  double ValidLengthSeconds() const { return Seconds(validLength_); }

  // Recording into RAM: when less than one second of capacity remains after the position,
  // grows by 60 seconds of frames, halving the step after each failed attempt; after the
  // eleventh failure shows kInsufficientMemory and returns false (the caller stops the input).
  // Disk storage needs nothing and returns true.
  virtual bool GrowForRecording();

 protected:
  // Storage of whole frames. The RAM versions work on the memory; TWaveFile's disk mode
  // overrides them. Callers have checked the range against the length (reads) or the frame
  // limit (writes). StoreFrames returns the frames actually stored.
  virtual bool LoadFrames(uint32_t frame, uint32_t count, uint8_t* dest) const;
  virtual uint32_t StoreFrames(uint32_t frame, uint32_t count, const uint8_t* src);
  // Frames a write may reach: the capacity in RAM, the format's size limit on disk.
  virtual uint64_t FrameLimit() const { return capacity_; }
  // Called after every successful write; sets the modified flag.
  virtual void NoteWrite() { modified_ = true; }
  // Tells the user why a write beyond FrameLimit() is refused (RAM: silently).
  virtual void RefuseWriteBeyondLimit() {}

  // (Re)allocates the RAM memory for `frames` frames; false keeps the old memory.
  bool AllocateFrames(uint32_t frames);
  void ReleaseMemory();
  // Fills `frames` frames at dest with the zero value.
  void FillSilenceBytes(uint8_t* dest, uint32_t frames) const;
  double Seconds(uint32_t frames) const {
    return format_.sampleRate ? static_cast<double>(frames) / format_.sampleRate : 0.0;
  }

  struct FreeDeleter {
    void operator()(uint8_t* p) const;
  };

  bool error_ = false;
  bool modified_ = true;
  std::unique_ptr<uint8_t, FreeDeleter> memory_;
  WaveFormat format_;
  uint64_t bufferBytes_ = 0;
  uint32_t capacity_ = 0;
  uint32_t position_ = 0;
  uint32_t length_ = 0;
  uint32_t validLength_ = 0;
  float fullScale_[2] = {1.f, 1.f};
  float factor_[2] = {1.f, 1.f};

 private:
  template <typename Visit>
  bool VisitSamples(uint32_t from, uint32_t to, uint32_t channel, Visit&& visit);
};

// Test seam: RAM allocations of sample memory above `bytes` fail as if the system had no
// memory left (0 removes the limit). Not thread-safe; for tests only.
void SetSampleMemoryLimitForTesting(uint64_t bytes);

}  // namespace orvanix
