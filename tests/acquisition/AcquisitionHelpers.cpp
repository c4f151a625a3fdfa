#include "AcquisitionHelpers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <memory>

#include "acquisition/SoundTexts.h"

namespace orvanix::test {

namespace {

// The ports deliver their buffer-done notices through the Qt event loop of the main thread.
class TQtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!QCoreApplication::instance()) {
      static int argc = 1;
      static char name[] = "acquisition-test";
      static char* argv[] = {name, nullptr};
      app_ = std::make_unique<QCoreApplication>(argc, argv);
    }
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QCoreApplication> app_;
};

[[maybe_unused]] const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtEnvironment);

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  QEventLoop loop;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
  tick.start(5);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    loop.exec();  // sleeps in the event dispatcher until the tick; buffer notices run meanwhile
  }
  return true;
}

void RunEventsFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

int LoopbackInputId() {
  return TSoundPort::FindDevice(TSoundDirection::Input, kLoopbackDeviceName);
}
int LoopbackOutputId() {
  return TSoundPort::FindDevice(TSoundDirection::Output, kLoopbackDeviceName);
}

int32_t ReadSample(const uint8_t* p, uint32_t bytes) {
  switch (bytes) {
    case 1:
      return p[0];
    case 2:
      return static_cast<int16_t>(p[0] | (p[1] << 8));
    case 3: {
      const int32_t raw = p[0] | (p[1] << 8) | (p[2] << 16);
      return raw >= 0x800000 ? raw - 0x1000000 : raw;
    }
    default:
      return 0;
  }
}

std::vector<int32_t> ChannelOf(const std::vector<uint8_t>& bytes, const WaveFormat& format,
                               uint32_t channel) {
  std::vector<int32_t> samples;
  const uint32_t frameBytes = format.BlockAlign();
  const uint32_t offset = format.channels == 2 && channel == 1 ? format.bytesPerSample : 0;
  for (size_t at = 0; at + frameBytes <= bytes.size(); at += frameBytes) {
    samples.push_back(ReadSample(bytes.data() + at + offset, format.bytesPerSample));
  }
  return samples;
}

std::vector<uint8_t> FramesOf(const std::vector<int32_t>& left, const std::vector<int32_t>& right,
                              const WaveFormat& format) {
  std::vector<uint8_t> bytes;
  auto put = [&](int32_t value) {
    for (uint32_t b = 0; b < format.bytesPerSample; ++b) {
      bytes.push_back(static_cast<uint8_t>((static_cast<uint32_t>(value) >> (8 * b)) & 0xFF));
    }
  };
  for (size_t i = 0; i < left.size(); ++i) {
    put(left[i]);
    if (format.channels == 2) put(right[i]);
  }
  return bytes;
}

TRecorder::TRecorder(int deviceId, const WaveFormat& recordFormat, uint32_t framesPerBuffer,
                     int bufferCount)
    : format(recordFormat), input(deviceId) {
  for (int i = 0; i < bufferCount; ++i) {
    buffers.emplace_back(size_t{framesPerBuffer} * format.BlockAlign());
  }
}

bool TRecorder::Open() {
  if (!input.SetFormat(format.sampleRate, format.channels, format.bytesPerSample)) return false;
  const bool opened = input.Open([this] {
    int slot;
    while ((slot = input.TakeDone()) >= 0) {
      order.push_back(slot);
      const uint8_t* begin = buffers[static_cast<size_t>(slot)].data();
      data.insert(data.end(), begin, begin + input.BytesDone(slot));
      if (requeue) {
        input.AddBuffer(buffers[static_cast<size_t>(slot)].data(),
                        static_cast<uint32_t>(buffers[static_cast<size_t>(slot)].size()), slot);
      }
      if (afterEach) afterEach();
    }
  });
  if (!opened) return false;
  for (size_t i = 0; i < buffers.size(); ++i) {
    if (!input.AddBuffer(buffers[i].data(), static_cast<uint32_t>(buffers[i].size()),
                         static_cast<int>(i))) {
      return false;
    }
  }
  return true;
}

}  // namespace orvanix::test
