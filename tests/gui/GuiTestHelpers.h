// Shared by the main-window tests: a QApplication on the offscreen platform, a scratch
// folder holding the program settings file and every folder the program uses (so tests
// never touch the user's own), wave files with known tones, and a file chooser that
// answers the file dialogs from a script.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core/AnalyzerCore.h"
#include "app/gui/MainWin.h"
#include "engine/Messages.h"
#include "ui/FileDialogs.h"

namespace orvanix::test {

// A sine of `amplitude` (fraction of full scale) at `hz` on one channel (0 left, 1 right).
struct Tone {
  double hz;
  double amplitude;
  int channel = 0;
};

// A 16-bit PCM wave file written byte by byte (independent of the program's own writer):
// the tones plus uniform noise of `noise` (fraction of full scale, fixed seed). A tone or
// noise beyond full scale clips.
void WriteToneWave(const std::string& path, uint32_t rate, uint16_t channels, uint32_t frames,
                   const std::vector<Tone>& tones, double noise = 0.0);

// The frequency of FFT bin `bin` at `rate` and `fftSize` (a tone there has no scalloping).
inline double BinHz(int bin, double rate = 44100.0, int fftSize = 4096) {
  return bin * rate / fftSize;
}

// Answers file dialogs from a queue (empty: cancelled) and records every request.
class TScriptedChooser : public TFileChooser {
 public:
  std::string Choose(const TFileRequest& request, QWidget* parent) override;
  void Answer(const std::string& path) { answers_.push_back(path); }
  const std::vector<TFileRequest>& Requests() const { return requests_; }

 private:
  std::deque<std::string> answers_;
  std::vector<TFileRequest> requests_;
};

// The item of `menu` whose text is `text` (with its accelerator marks), or null.
QAction* FindItem(QMenu& menu, const char* text);

// Processes events until `done` holds or `timeoutMsec` passes; returns `done()`.
bool WaitFor(const std::function<bool()>& done, int timeoutMsec = 20000);

class GuiFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The program settings file the next core reads: every folder in the scratch folder,
  // RAM storage; `extra` lines are appended (more sections or keys).
  void WriteProgramSettings(const std::string& extra = {});
  // A new core on the scratch settings file and a shown frame on it.
  void MakeFrame(bool show = true);
  // Closes the frame the way the user does (the exit sequence) and drops frame and core.
  void CloseFrame();

  std::string Path(const std::string& name) const;
  std::string SettingsPath() const { return Path("tessiva.ini"); }

  QTemporaryDir scratch_;
  TRecordingSink sink_;
  std::unique_ptr<TScopedMessageSink> scopedSink_;
  TScriptedChooser chooser_;
  // Answers the print dialog of frames made from now on (null: Qt's print dialog).
  std::function<bool(QPrinter&, QWidget*)> printDialog_;
  std::unique_ptr<TAnalyzerCore> core_;
  std::unique_ptr<TMainWin> frame_;
};

}  // namespace orvanix::test
