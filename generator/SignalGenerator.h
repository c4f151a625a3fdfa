// TSignalGenerator: the signal generator while it is open (its window, or a headless run).
// It holds both channels' signal records and the output level, the output device number and
// a sound output built for it, the sample buffer, and the two noise resources; it builds the
// buffer, plays it in a loop through its own TSoundOutput, and saves it.
//
// The generator owner (TGeneratorModule) creates it when the generator opens and destroys it
// when it closes. Main thread only. Playback runs in the sound device from the finished
// buffer; the buffer is never changed while playing: every change stops playback first.
//
// Messages (a User Defined file that does not open, a refused build, a refused device
// format) are reported through Messages() once the operation that met them is over.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/WaveFormat.h"
#include "files/SettingsRecordsGenerator.h"
#include "generator/NoiseResource.h"

namespace orvanix {

class TAnalyzerCore;
class TSoundOutput;
class TWaveData;

class TSignalGenerator {
 public:
  // Set-up: loads the noise resources ("Failure Loading Resources - insufficient memory."
  // when they cannot be had: the noise types then produce nothing), takes `settings`,
  // creates the output object for the analyzer's output device. Call BuildSignal next.
  TSignalGenerator(TAnalyzerCore& core, const TGeneratorSettings& settings);
  ~TSignalGenerator();
  TSignalGenerator(const TSignalGenerator&) = delete;
  TSignalGenerator& operator=(const TSignalGenerator&) = delete;

  // Told whenever the playing state, the buffer or a record changes (the window redraws).
  void SetChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }
  // Told around a build: true when it begins, false when it ends (the window shows the wait
  // cursor).
  void SetBusyHandler(std::function<void(bool busy)> handler) { busy_ = std::move(handler); }

  const TGeneratorSettings& Settings() const { return settings_; }
  // Replaces both records, the level and the rate: stops playback, rebuilds, and resumes
  // playback if it was playing.
  void SetSettings(const TGeneratorSettings& settings);

  // ---- the buffer ----
  // Rebuilds the buffer from both records and the level. Stops playback and, when
  // `stopAnalyzer`, a running analyzer (restarted afterwards); shows "Building Signal.  Please
  // Wait..." in the frame title meanwhile. False when there is no buffer afterwards.
  bool BuildSignal(bool stopAnalyzer = true);
  const TWaveData* Buffer() const { return buffer_.get(); }
  // The format of the last build (the analyzer's, the generator's rate, or a User Defined
  // file's).
  const WaveFormat& OutputFormat() const { return format_; }
  // M, the Nyquist frequency of the output that the details dialogs check against.
  long Nyquist() const;
  // The analyzer's channel count (mono: only the left record plays).
  bool Stereo() const;

  // ---- playback ----
  // Opens the output device and plays the buffer: looping, except a single-shot Pulse or a
  // DTMF string without repeat on the left channel, which play once. False (reported) when
  // there is no buffer or the device refuses it.
  bool Start();
  // Stops and resets the output device.
  void Stop();
  // Starts a buffer that Start left queued (nothing otherwise); the run loop calls it once
  // the analyzer's input runs.
  void StartOutput();
  bool Playing() const { return playing_; }

  // ---- operations for automation and the window ----
  // Selects a type by its list text (exact; "Noise" is White Noise) for channel 0 or 1,
  // rebuilds and resumes playback if it was playing. False for an unknown name.
  bool SetSignalType(const std::string& name, int channel);
  // Channel becomes one tone: every row off, row 0 on with the frequency limited to 0 ...
  // half the analyzer's rate and the level to -96 ... 0 dB; then "Multiple Tones".
  bool SetTone(double hz, double levelDb, int channel);
  // Stop, store the User Defined file of the channel, then "User Defined".
  bool SetUserWaveFile(const std::string& path, int channel);
  // Same device: rebuilds only when the analyzer's format differs from the last build's;
  // another device: stops, discards the output and the buffer, creates a new output, rebuilds.
  void SetOutputDevice(int deviceId);
  int DeviceId() const { return deviceId_; }
  TSoundOutput* Output() { return output_.get(); }
  // Writes the buffer as "Save Signal" does (once, or about a second of whole buffers for the
  // periodic types). False (reported) on failure or without a buffer.
  bool SaveSignal(const std::string& path);
  // Device volume of both channels, 0 ... 99 (99 loudest).
  void SetVolume(int volume);
  int Volume() const { return volume_; }

  // Whether the analyzer's format or the output device changed since the last build.
  bool NeedsRebuild() const;

 private:
  void OnBuffersDone();
  void Changed() const {
    if (changed_) changed_();
  }
  WaveFormat AnalyzerFormat() const;
  void CreateOutput(int deviceId);

  TAnalyzerCore& core_;
  TGeneratorSettings settings_;
  TNoiseResources noise_;
  int deviceId_ = -1;
  std::unique_ptr<TSoundOutput> output_;
  uint32_t outputSession_ = 0;  // the audio system's device list the output was made from
  std::unique_ptr<TWaveData> buffer_;
  WaveFormat format_;
  WaveFormat builtFrom_;  // the analyzer's format at the last build
  bool built_ = false;
  bool playing_ = false;
  bool queued_ = false;  // queued but not started
  int volume_ = 99;
  std::function<void()> changed_;
  std::function<void(bool)> busy_;
};

}  // namespace orvanix
