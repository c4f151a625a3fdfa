#include "tests/gui/GuiTestHelpers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "acquisition/LoopbackDevice.h"

namespace orvanix::test {

namespace {

// One QApplication for the whole test program, on the offscreen platform, with the
// per-user folders pointed into a scratch folder before anything reads them.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    home_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", (home_->path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home_->path() + "/data").toUtf8());
    qputenv("XDG_RUNTIME_DIR", home_->path().toUtf8());
    static int argc = 1;
    static char name[] = "gui-test";
    static char* argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
  }

 private:
  std::unique_ptr<QTemporaryDir> home_;
  QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}

}  // namespace

void WriteToneWave(const std::string& path, uint32_t rate, uint16_t channels, uint32_t frames,
                   const std::vector<Tone>& tones, double noise) {
  const uint32_t dataBytes = frames * channels * 2;
  std::vector<uint8_t> bytes;
  bytes.reserve(44 + dataBytes);
  for (char c : std::string("RIFF")) bytes.push_back(static_cast<uint8_t>(c));
  Put32(bytes, 36 + dataBytes);
  for (char c : std::string("WAVEfmt ")) bytes.push_back(static_cast<uint8_t>(c));
  Put32(bytes, 16);
  Put16(bytes, 1);
  Put16(bytes, channels);
  Put32(bytes, rate);
  Put32(bytes, rate * channels * 2);
  Put16(bytes, channels * 2);
  Put16(bytes, 16);
  for (char c : std::string("data")) bytes.push_back(static_cast<uint8_t>(c));
  Put32(bytes, dataBytes);
  uint64_t state = 0x1234567;
  for (uint32_t n = 0; n < frames; ++n) {
    for (int c = 0; c < channels; ++c) {
      double v = 0;
      for (const Tone& tone : tones) {
        if (tone.channel == c)
          v += tone.amplitude * std::sin(2 * std::numbers::pi * tone.hz * n / rate);
      }
      if (noise > 0) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        v += noise * (static_cast<double>(state >> 11) / 4503599627370496.0 - 1.0);
      }
      const long sample = std::lround(std::clamp(v * 32767.0, -32768.0, 32767.0));
      Put16(bytes, static_cast<uint32_t>(sample) & 0xFFFF);
    }
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
  std::fclose(file);
}

std::string TScriptedChooser::Choose(const TFileRequest& request, QWidget*) {
  requests_.push_back(request);
  if (answers_.empty()) return {};
  std::string answer = answers_.front();
  answers_.pop_front();
  return answer;
}

QAction* FindItem(QMenu& menu, const char* text) {
  for (QAction* action : menu.actions()) {
    if (action->text() == QString::fromUtf8(text)) return action;
  }
  return nullptr;
}

bool WaitFor(const std::function<bool()>& done, int timeoutMsec) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < timeoutMsec) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(1);
  }
  return done();
}

void GuiFixture::SetUp() {
  ASSERT_TRUE(scratch_.isValid());
  scopedSink_ = std::make_unique<TScopedMessageSink>(&sink_);
  TLoopbackDevice::Instance().SetSource({});
  WriteProgramSettings();
}

void GuiFixture::TearDown() {
  frame_.reset();
  if (core_) core_->Stop();
  core_.reset();
  TLoopbackDevice::Instance().SetSource({});
  scopedSink_.reset();
}

std::string GuiFixture::Path(const std::string& name) const {
  return (scratch_.path() + "/" + QString::fromStdString(name)).toStdString();
}

void GuiFixture::WriteProgramSettings(const std::string& extra) {
  const std::string folder = scratch_.path().toStdString();
  std::string text = "[Paths]\n";
  for (const char* key : {"Wav", "Tmp", "cfg", "cal", "mic", "ovl", "txt", "rvb", "macro"}) {
    text += std::string(key) + "=" + folder + "\n";
  }
  text += "[FileIO]\nWaveFileMode=0\nRealTimeWaveBufferEnableFlag=0\n";
  text += extra;
  FILE* file = std::fopen(SettingsPath().c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

void GuiFixture::MakeFrame(bool show) {
  frame_.reset();
  core_.reset();
  TCoreOptions options;
  options.programSettingsPath = SettingsPath();
  core_ = std::make_unique<TAnalyzerCore>(options);
  TMainWinOptions frameOptions;
  frameOptions.chooser = &chooser_;
  frameOptions.banner = false;
  frameOptions.printDialog = printDialog_;
  // Not the machine's own device nodes.
  frameOptions.deviceFolder = QString::fromStdString(Path("snd"));
  frame_ = std::make_unique<TMainWin>(*core_, frameOptions);
  if (show && !frame_->ApplicationHidden()) frame_->show();
  QApplication::processEvents();
}

void GuiFixture::CloseFrame() {
  if (frame_) frame_->close();
  frame_.reset();
  core_.reset();
}

}  // namespace orvanix::test
