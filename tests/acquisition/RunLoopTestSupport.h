// Shared pieces of the run-loop tests: a Qt application, a scratch folder, a WAV writer
// that does not use our own wave code, and a run-loop host that owns what the analyzer
// core would own.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/LoopbackDevice.h"
#include "acquisition/ReportQueue.h"
#include "acquisition/RunLoop.h"
#include "acquisition/SoundInput.h"
#include "acquisition/SoundOutput.h"
#include "engine/Messages.h"
#include "engine/ProcessingStep.h"
#include "files/WaveFile.h"

namespace orvanix::test {

inline QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "runloop-test";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = QCoreApplication::instance() ? QCoreApplication::instance()
                                                              : new QCoreApplication(argc, argv);
  return *app;
}

// Runs the event loop for `msec` milliseconds, or until `done` holds (checked each pass of
// a 5 ms timer).
inline bool RunEvents(int msec, const std::function<bool()>& done = {}) {
  QEventLoop loop;
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  deadline.start(msec);
  QTimer check;
  if (done) {
    QObject::connect(&check, &QTimer::timeout, [&] {
      if (done()) loop.quit();
    });
    check.start(5);
  }
  if (!done || !done()) loop.exec();
  return !done || done();
}

class TScratchFolder {
 public:
  TScratchFolder() {
    char pattern[] = "/tmp/orvanix-runloop-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    path_ = made ? made : "/tmp";
  }
  ~TScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Writes a 16-bit PCM file; `sample(frame, channel)` gives each raw value.
inline bool WriteWave16(const std::string& path, uint32_t rate, uint16_t channels, uint32_t frames,
                        const std::function<int16_t(uint32_t, uint32_t)>& sample) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const uint32_t data = frames * channels * 2;
  auto u32 = [f](uint32_t v) {
    const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    std::fwrite(b, 1, 4, f);
  };
  auto u16 = [f](uint16_t v) {
    const uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
    std::fwrite(b, 1, 2, f);
  };
  std::fwrite("RIFF", 1, 4, f);
  u32(36 + data);
  std::fwrite("WAVEfmt ", 1, 8, f);
  u32(16);
  u16(1);
  u16(channels);
  u32(rate);
  u32(rate * channels * 2);
  u16(static_cast<uint16_t>(channels * 2));
  u16(16);
  std::fwrite("data", 1, 4, f);
  u32(data);
  std::vector<uint8_t> bytes(data);
  for (uint32_t i = 0; i < frames; ++i) {
    for (uint32_t c = 0; c < channels; ++c) {
      const uint16_t v = static_cast<uint16_t>(sample(i, c));
      bytes[(i * channels + c) * 2] = uint8_t(v);
      bytes[(i * channels + c) * 2 + 1] = uint8_t(v >> 8);
    }
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// Reads every 16-bit sample of one channel of a PCM file written by anyone (fmt, then
// data; other chunks skipped).
inline std::vector<int16_t> ReadWave16(const std::string& path, uint32_t channel,
                                       uint32_t* rate = nullptr) {
  std::vector<int16_t> out;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return out;
  std::vector<uint8_t> all;
  uint8_t buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
    all.insert(all.end(), buffer, buffer + n);
  std::fclose(f);
  auto u32 = [&](size_t at) {
    return uint32_t(all[at]) | uint32_t(all[at + 1]) << 8 | uint32_t(all[at + 2]) << 16 |
           uint32_t(all[at + 3]) << 24;
  };
  uint16_t channels = 1;
  for (size_t at = 12; at + 8 <= all.size();) {
    const uint32_t size = u32(at + 4);
    if (std::equal(all.begin() + at, all.begin() + at + 4, "fmt ")) {
      channels = uint16_t(all[at + 10] | all[at + 11] << 8);
      if (rate) *rate = u32(at + 12);
    } else if (std::equal(all.begin() + at, all.begin() + at + 4, "data")) {
      const size_t end = std::min<size_t>(all.size(), at + 8 + size);
      for (size_t p = at + 8 + channel * 2; p + 1 < end; p += 2u * channels) {
        out.push_back(static_cast<int16_t>(all[p] | all[p + 1] << 8));
      }
      break;
    }
    at += 8 + size + (size & 1);
  }
  return out;
}

// A ramp that rises by one count per input frame (counted from the input's start) and wraps
// at kRampPeriod: any lost, repeated or reordered frame shows as a broken step.
inline constexpr int kRampPeriod = 60000;

inline int16_t RampValue(uint64_t frame) {
  return static_cast<int16_t>(static_cast<int64_t>(frame % kRampPeriod) - kRampPeriod / 2);
}

// Feeds the ramp to both channels of the Loopback input.
inline void FeedRamp() {
  TLoopbackDevice::Instance().SetSource(
      [](uint64_t first, uint32_t frames, uint32_t, double* left, double* right) {
        for (uint32_t i = 0; i < frames; ++i) {
          const double v = RampValue(first + i) / 32767.0;
          left[i] = v;
          right[i] = v;
        }
      });
}

// The index of the first sample that does not continue the ramp from its predecessor, or
// -1 when every step is +1 (wrapping at the ramp's period).
inline int64_t FirstBreak(const std::vector<int16_t>& samples) {
  for (size_t i = 1; i < samples.size(); ++i) {
    const int expected =
        samples[i - 1] == kRampPeriod / 2 - 1 ? -kRampPeriod / 2 : samples[i - 1] + 1;
    if (samples[i] != expected) return static_cast<int64_t>(i);
  }
  return -1;
}

// Channel 0 of frames [from, from + count) of a wave document.
inline std::vector<int16_t> Samples(TWaveData& wave, uint32_t from, uint32_t count) {
  std::vector<int16_t> out(count);
  for (uint32_t i = 0; i < count; ++i) {
    out[i] = static_cast<int16_t>(wave.GetSample(from + i, 0, false));
  }
  return out;
}

// Behaves like a message box the user leaves open for a while: each report runs the event
// loop for `openMsec` before it returns, as QMessageBox::exec does, so that timers and
// buffer notices arrive meanwhile. `onReport` runs first (tests note the loop's state).
class TPumpingSink : public TRecordingSink {
 public:
  explicit TPumpingSink(int openMsec) : openMsec_(openMsec) {}
  void Report(std::string_view text, std::string_view caption, MessageIcon icon) override {
    TRecordingSink::Report(text, caption, icon);
    if (onReport) onReport(std::string(text));
    RunEvents(openMsec_);
  }
  std::function<void(const std::string&)> onReport;

 private:
  int openMsec_;
};

// Runs the event loop until every report waiting in TReportQueue has been shown.
inline void ShowPendingReports() {
  RunEvents(5000, [] { return TReportQueue::Instance().Pending() == 0; });
}

// What the analyzer core would own, for the run loop alone.
class TTestHost : public TRunLoopHost {
 public:
  TTestHost() {
    processing.format = MakeWaveFormat(1, 44100, 2);
    processing.fftSize = 1024;
    processing.averageBlocks = kInfiniteAverages;
    scaling.ampScale = 0;
    scaling.freqScale = 0;
    fileIo.waveFileMode = 0;
    fileIo.makeBackup = 0;
  }

  int32_t mode = kModePostProcessing;
  ProcessingSettings processing;
  ScalingSettings scaling;
  TTriggerSettings trigger;
  TFileIoSettings fileIo;
  TEngineObjects engine;
  std::unique_ptr<TWaveFile> document;
  std::unique_ptr<TSoundInput> input;
  std::unique_ptr<TSoundOutput> output;
  std::string waveFolder = "/tmp";
  std::string tempFolder = "/tmp";
  bool consumers = true;
  TCalibration calibration = DefaultCalibration();
  bool calibrationOn = false;

  // What the loop told us.
  std::vector<double> blockTimes;
  int seriesRefreshes = 0;
  int stateChanges = 0;
  int documentChanges = 0;
  std::vector<std::string> savedRecordings;
  std::function<void()> onBlock;
  std::function<void()> onDocumentChanged;
  std::vector<double> positions;  // every PositionChanged, in order

  bool RebuildEngine() override {
    processing.UpdateDerived();
    const bool ok = BuildEngineObjects(processing, scaling, engine);
    ApplyCalibration(calibrationOn ? &calibration : nullptr, engine);
    return ok;
  }
  int32_t Mode() const override { return mode; }
  TEngineObjects& Engine() override { return engine; }
  const TTriggerSettings& Trigger() const override { return trigger; }
  const TFileIoSettings& FileIo() const override { return fileIo; }
  std::string WaveFolder() const override { return waveFolder; }
  std::string TempFolder() const override { return tempFolder; }
  const TCalibration* ActiveCalibration() const override {
    return calibrationOn ? &calibration : nullptr;
  }
  std::unique_ptr<TWaveFile>& DocumentSlot() override { return document; }
  TSoundInput* Input() override { return input.get(); }
  TSoundOutput* Output() override { return output.get(); }
  bool HasSpectrumConsumers() const override { return consumers; }
  void BlockProcessed(double time) override {
    blockTimes.push_back(time);
    if (onBlock) onBlock();
  }
  void SeriesRefreshed() override { ++seriesRefreshes; }
  void RunStateChanged() override { ++stateChanges; }
  void StatusChanged() override {}
  void PositionChanged(double seconds) override { positions.push_back(seconds); }
  void DocumentChanged() override {
    ++documentChanges;
    if (onDocumentChanged) onDocumentChanged();
  }
  void SpectraReset() override {}
  void TimeAxisShifted(double) override {}
  void RecordingSaved(const std::string& path) override { savedRecordings.push_back(path); }

  // Opens `path` as the document (RAM mode) and takes its format.
  bool OpenDocument(const std::string& path) {
    document = std::make_unique<TWaveFile>(path, StorageMode::Ram, false, tempFolder);
    if (document->Error()) {
      document.reset();
      return false;
    }
    processing.format = document->Format();
    return true;
  }
};

}  // namespace orvanix::test
