#include "EditTestHelpers.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "files/Configuration.h"

namespace orvanix::test {

namespace {

// Widgets need a QApplication before the first is made; it also serves the core's event
// loop (App() finds it).
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "edit_test";
    static char* argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
  }

 private:
  QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

void EditFixture::SetUp() {
  CoreFixture::SetUp();
  MakeEditCore();
}

void EditFixture::TearDown() {
  if (core_) core_->AttachWindow(kWindowTimeSeries, nullptr);
  CoreFixture::TearDown();
}

void EditFixture::MakeEditCore() {
  MakeCore();
  core_->AddModule(EditModuleInfo().make(*core_));
  Edit().SetClipboard(&clipboard_);
}

void EditFixture::UseStorage(StorageMode mode, bool makeBackup) {
  core_->ChangeSettings(
      [&](TAnalyzerSettings& s) {
        s.fileIo.waveFileMode = mode == StorageMode::Ram ? 0 : 1;
        s.fileIo.makeBackup = makeBackup ? 1 : 0;
      },
      SettingsOrigin::Dialog);
}

void EditFixture::ActivateTimeSeries() {
  core_->AttachWindow(kWindowTimeSeries, &timeSeries_);
  TUiContext ui;
  ui.activeWindow = kWindowTimeSeries;
  ui.activeViewAcceptsPaste = true;
  core_->SetUiContext(ui);
}

std::string EditFixture::NoiseFile(const std::string& name, uint32_t rate, uint32_t channels,
                                   uint32_t frames, uint32_t seed) {
  const std::string path = scratch_.File(name);
  uint32_t state = seed;
  WriteWave16(path, rate, channels, frames, [&state](uint32_t, uint32_t) {
    state = state * 1664525u + 1013904223u;
    return static_cast<int16_t>(static_cast<int32_t>(state >> 16) - 32768);
  });
  return path;
}

std::vector<uint8_t> EditFixture::DocumentFrames() const {
  const TWaveFile* doc = core_->Document();
  std::vector<uint8_t> frames(doc ? size_t{doc->Length()} * doc->BlockAlign() : 0);
  if (!frames.empty() && !doc->ReadFrames(0, doc->Length(), frames.data())) frames.clear();
  return frames;
}

void WhenDialogShows(std::function<void(QDialog*)> drive) {
  auto tries = std::make_shared<int>(200);
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [drive, tries, poll] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      drive(dialog);
      if (dialog->isVisible()) {
        ADD_FAILURE() << "the driver left the dialog open";
        dialog->reject();
      }
      *poll = nullptr;  // ends the cycle of shared pointers
      return;
    }
    if (--*tries > 0) {
      QTimer::singleShot(10, *poll);
    } else {
      ADD_FAILURE() << "no dialog appeared";
      *poll = nullptr;
    }
  };
  QTimer::singleShot(10, *poll);
}

std::vector<uint8_t> FileFrames(const std::string& path) {
  TWaveFile wave(path, StorageMode::Ram, false, "");
  std::vector<uint8_t> frames(wave.Error() ? 0 : size_t{wave.Length()} * wave.BlockAlign());
  if (!frames.empty()) wave.ReadFrames(0, wave.Length(), frames.data());
  return frames;
}

const std::string& Python() {
  static const std::string found = [] {
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
      const std::string probe =
          std::string(candidate) + " -c 'import numpy, scipy.signal' >/dev/null 2>&1";
      if (std::system(probe.c_str()) == 0) return std::string(candidate);
    }
    return std::string();
  }();
  return found;
}

std::string Capture(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    ::pclose(pipe);
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace orvanix::test
