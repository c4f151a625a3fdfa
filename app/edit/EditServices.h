// What the edit module needs from its surroundings, as small interfaces: the clipboard, a way
// to run a long job (a modal progress dialog in the windowed program, a plain loop headless),
// and the few choices that need a dialog. The windowed program installs Qt implementations
// (app/edit/gui); headless runs and tests keep the defaults, which never block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "files/ForeignAudio.h"  // TChannelMap, TForeignInfo
#include "files/StepJob.h"

namespace orvanix {

// The clipboard's wave data: a complete wave file image (files/WaveImage.h).
class TWaveClipboard {
 public:
  virtual ~TWaveClipboard() = default;
  // Replaces the clipboard's contents.
  virtual void SetWave(const uint8_t* bytes, size_t size) = 0;
  virtual bool HasWave() const = 0;
  // A copy of the wave image; empty when the clipboard holds none.
  virtual std::vector<uint8_t> Wave() const = 0;
};

// The clipboard of a process without a window system: shared by every core in the process,
// so that a headless run or a test may cut in one place and paste in another.
TWaveClipboard& ProcessClipboard();

// Runs a job to its end or until the user cancels it.
class TJobRunner {
 public:
  virtual ~TJobRunner() = default;
  // `cancelQuestion`: what to ask before cancelling (nullptr: Esc or Cancel stop at once).
  // Returns false when the job failed or was cancelled.
  virtual bool Run(TStepJob& job, const char* cancelQuestion) = 0;
};

// Steps the job without pause (headless runs, tests).
class TPlainJobRunner : public TJobRunner {
 public:
  bool Run(TStepJob& job, const char* cancelQuestion) override;
};

// Choices that need a dialog. Without one each answers its default.
class TEditDialogs {
 public:
  virtual ~TEditDialogs() = default;
  // "Adjust Rescale Factor" (`AdjustImportRescaling` TRUE): false = keep the factor.
  virtual bool AdjustRescaleFactor(double& factor) {
    (void)factor;
    return false;
  }
  // Arbitrary Speed: the factor, `speed` holding the last one; false = cancelled. The
  // default plays at the last factor.
  virtual bool AskSpeed(double& speed) {
    (void)speed;
    return true;
  }
  // An audio file with float samples or more than two channels: the map to use (`map`
  // holds DefaultChannelMap); false = cancelled. The default keeps `map`.
  virtual bool ChooseChannelMap(const std::string& path, const TForeignInfo& info,
                                TChannelMap& map) {
    (void)path;
    (void)info;
    (void)map;
    return true;
  }
};

// The services a new edit module starts with: the windowed program registers a maker for
// its Qt ones (before any core is made); without one the module keeps the defaults above.
struct TEditServices {
  std::unique_ptr<TWaveClipboard> clipboard;
  std::unique_ptr<TJobRunner> runner;
  std::unique_ptr<TEditDialogs> dialogs;
};
using TEditServicesMaker = TEditServices (*)();
void SetEditServicesMaker(TEditServicesMaker maker);
TEditServices MakeEditServices();

}  // namespace orvanix
