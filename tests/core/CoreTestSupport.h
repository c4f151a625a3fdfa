// Shared pieces of the analyzer-core tests: a core that keeps away from the user's own
// settings and folders, and files to analyse.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>

#include "acquisition/LoopbackDevice.h"
#include "acquisition/SoundTexts.h"
#include "app/core/AnalyzerCore.h"
#include "engine/Messages.h"
#include "files/Configuration.h"
#include "tests/acquisition/RunLoopTestSupport.h"

namespace orvanix::test {

// A core whose every folder and settings file lies in a scratch folder. Questions are
// answered by the recording sink (defaults, or queued answers).
class CoreFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    ::setenv("XDG_CONFIG_HOME", scratch_.File("config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", scratch_.File("data").c_str(), 1);
    TLoopbackDevice::Instance().SetSettings(TLoopbackSettings{});
    options_.programSettingsPath = scratch_.File("tessiva.ini");
    options_.loadProgramSettings = false;
    options_.saveProgramSettings = false;
    MakeCore();
  }
  void TearDown() override {
    if (core_) core_->Stop();
    core_.reset();
    TLoopbackDevice::Instance().SetSource({});
  }

  void MakeCore() {
    core_.reset();
    core_ = std::make_unique<TAnalyzerCore>(options_);
    core_->ChangeSettings(
        [this](TAnalyzerSettings& s) {
          for (auto& folder : s.paths.folders) folder = scratch_.Path();
        },
        SettingsOrigin::Dialog);
    for (int kind = 0; kind < kFolderKindCount; ++kind) {
      core_->SetLastFolder(static_cast<FolderKind>(kind), scratch_.Path());
    }
  }

  // Both ports on the Loopback device.
  void UseLoopback() {
    const int in = TSoundPort::FindDevice(TSoundDirection::Input, kLoopbackDeviceName);
    const int out = TSoundPort::FindDevice(TSoundDirection::Output, kLoopbackDeviceName);
    ASSERT_GE(in, 0);
    core_->ChangeSettings(
        [&](TAnalyzerSettings& s) {
          s.devices.inputDeviceId = in;
          s.devices.outputDeviceId = out;
        },
        SettingsOrigin::Dialog);
    core_->RecreatePorts();
  }

  void FeedTone(double hz, double amplitude) {
    TLoopbackDevice::Instance().SetSource(
        [hz, amplitude](uint64_t first, uint32_t frames, uint32_t rate, double* l, double* r) {
          const double w = 2.0 * std::numbers::pi * hz / rate;
          for (uint32_t i = 0; i < frames; ++i) l[i] = r[i] = amplitude * std::sin(w * (first + i));
        });
  }

  // A stereo 44.1 kHz file: 1 kHz at half full scale on the left, 3 kHz at a tenth on the
  // right.
  std::string ToneFile(const std::string& name, uint32_t frames) {
    const std::string path = scratch_.File(name);
    WriteWave16(path, 44100, 2, frames, [](uint32_t i, uint32_t c) {
      const double hz = c == 0 ? 1000.0 : 3000.0;
      const double amplitude = c == 0 ? 0.5 : 0.1;
      return static_cast<int16_t>(
          std::lround(32767.0 * amplitude * std::sin(2.0 * std::numbers::pi * hz * i / 44100.0)));
    });
    return path;
  }

  TRecordingSink sink_;
  TScopedMessageSink scoped_{&sink_};
  TScratchFolder scratch_;
  TCoreOptions options_;
  std::unique_ptr<TAnalyzerCore> core_;
};

}  // namespace orvanix::test
