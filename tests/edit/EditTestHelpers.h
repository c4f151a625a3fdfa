// Shared by the edit module's tests: a QApplication on the offscreen platform (made before
// any test runs, so that dialogs can be shown), a core with the edit module and its own
// clipboard, and wave files with known content.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/edit/EditModule.h"
#include "core/CoreTestSupport.h"
#include "files/WaveFile.h"

class QDialog;

namespace orvanix::test {

// A clipboard of the test's own, so that tests do not share the process clipboard.
class TTestClipboard : public TWaveClipboard {
 public:
  void SetWave(const uint8_t* bytes, size_t size) override { wave.assign(bytes, bytes + size); }
  bool HasWave() const override { return !wave.empty(); }
  std::vector<uint8_t> Wave() const override { return wave; }
  std::vector<uint8_t> wave;
};

class EditFixture : public CoreFixture {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Makes a new core (after changing options_) with the edit module.
  void MakeEditCore();
  TEditModule& Edit() { return *core_->FindModule<TEditModule>("edit"); }
  // Storage of new and opened documents.
  void UseStorage(StorageMode mode, bool makeBackup);
  // The time-series view active, as the frame would tell the core.
  void ActivateTimeSeries();
  // A mono or stereo 16-bit file of seeded random samples; returns its path.
  std::string NoiseFile(const std::string& name, uint32_t rate, uint32_t channels, uint32_t frames,
                        uint32_t seed = 1);
  // Every frame of the open document.
  std::vector<uint8_t> DocumentFrames() const;

  TTestClipboard clipboard_;
  TAnalyzerObserver timeSeries_;
};

// Once the next modal dialog is up, calls `drive` with it (from inside its exec()); the driver
// must close it. Without a dialog within two seconds the test fails.
void WhenDialogShows(std::function<void(QDialog*)> drive);

// Interleaved 16-bit frames of a file (through our reader).
std::vector<uint8_t> FileFrames(const std::string& path);
// An interpreter with numpy and SciPy, or empty.
const std::string& Python();
std::string Capture(const std::string& command);

}  // namespace orvanix::test
