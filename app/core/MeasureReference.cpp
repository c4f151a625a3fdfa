// Measuring the calibration reference: record about a second of the reference signal
// through a temporary input port and read its peak level from a flat-top spectrum.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstring>

#include "app/core/AnalyzerCore.h"
#include "app/core/CoreState.h"
#include "app/core/CoreTexts.h"
#include "engine/Messages.h"

namespace orvanix {

namespace {

constexpr uint32_t kReferenceFft = 8192;
// Frames recorded beyond the one second that is skipped while the input settles.
constexpr uint32_t kReferenceExtraFrames = 32768;
// A fraction below this on the left channel is too weak to calibrate against.
constexpr float kLowestFraction = 0.0001f;

// Records `wave` whole through a new port on `deviceId`. False when the device failed
// (it said why) or did not return the buffer in time.
bool RecordReference(int deviceId, TWaveData& wave) {
  TSoundInput port(deviceId);
  if (port.Error() || !port.HasDevice()) {
    ReportError(kMsgNoSoundCards);
    return false;
  }
  const WaveFormat& format = wave.Format();
  if (!port.SetFormat(format.sampleRate, format.channels, format.bytesPerSample)) {
    ReportError(kMsgFormatNotSupported);
    return false;
  }
  QEventLoop loop;
  bool done = false;
  if (!port.Open([&] {
        if (port.IsDone(0) || !port.IsOpen()) {
          done = port.IsDone(0);
          loop.quit();
        }
      })) {
    return false;
  }
  const uint32_t bytes = static_cast<uint32_t>(uint64_t{wave.CapacityFrames()} * wave.BlockAlign());
  if (!port.AddBuffer(wave.Memory(), bytes, 0) || !port.Start()) {
    port.Close();
    return false;
  }
  // The recording takes its own length; a device that stops delivering must not hang us.
  QTimer timeout;
  timeout.setSingleShot(true);
  QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
  const double seconds = static_cast<double>(wave.CapacityFrames()) / format.sampleRate;
  timeout.start(static_cast<int>(seconds * 1000.0) + 5000);
  if (!port.IsDone(0)) loop.exec();
  done = done || port.IsDone(0);
  port.Close();
  return done;
}

}  // namespace

bool TAnalyzerCore::MeasureReference(TCalibration& record) {
  Impl& d = *impl_;
  Stop();
  if (!QCoreApplication::instance()) return false;
  const WaveFormat format = d.settings.processing.format;
  TWaveData wave(format.sampleRate + kReferenceExtraFrames, format);
  if (wave.Error() || !wave.Memory()) {
    ReportError(kInsufficientMemory);
    return false;
  }
  d.EnsurePorts();
  const int deviceId = d.input ? d.input->DeviceId() : -1;
  // The analyzer's own port stays closed while the temporary one records.
  if (!RecordReference(deviceId, wave)) return false;

  // Flat-top window with amplitude correction reads a tone's peak within a hundredth of a
  // dB wherever it falls between bins; 1000 exponential averages over the blocks.
  ProcessingSettings p;
  p.format = format;
  p.fftSize = kReferenceFft;
  p.decimationRatio = 1;
  p.averageBlocks = 1000;
  p.averageType = kAverageExponential;
  p.smoothingWindow = kWindowFlatTop;
  p.overlapPercent = 0;
  p.channelProcessing = format.channels == 2 ? kBothChannels : kLeftOnly;
  p.delayTimeMsec = 0;
  p.overloadDetection = 1;
  p.UpdateDerived();
  ScalingSettings scaling;
  scaling.ampScale = 0;
  scaling.freqScale = 0;
  scaling.spectralDensity = 0;
  scaling.weighting = 0;
  scaling.micCompensation = 0;
  TEngineObjects objects;
  if (!BuildEngineObjects(p, scaling, objects)) return false;
  ApplyCalibration(nullptr, objects);

  const uint32_t length = wave.CapacityFrames();
  const uint32_t skip = format.sampleRate;
  const int64_t blocks = static_cast<int64_t>(length - skip) / kReferenceFft * 2 - 2;
  const uint32_t align = format.BlockAlign();
  const uint32_t bytes = format.bytesPerSample;
  int highestLeft = 0;
  int highestRight = 0;
  for (int64_t b = 0; b < blocks; ++b) {
    const uint32_t first = skip + static_cast<uint32_t>(b) * (kReferenceFft / 2);
    if (uint64_t{first} + kReferenceFft > length) break;
    for (uint32_t c = 0; c < format.channels; ++c) {
      TSeriesData* series = c == 0 ? objects.seriesLeft.get() : objects.seriesRight.get();
      if (!series) continue;
      const uint8_t* src = wave.Memory() + uint64_t{first} * align + c * bytes;
      uint8_t* dst = series->SampleAddress(0);
      for (uint32_t i = 0; i < kReferenceFft; ++i)
        std::memcpy(dst + i * bytes, src + i * align, bytes);
      const int level = series->PeakLevel();
      (c == 0 ? highestLeft : highestRight) = std::max(c == 0 ? highestLeft : highestRight, level);
    }
    ProcessBlock(objects);
  }

  auto fractionOf = [](const TSpectralData* spectrum, int highestLevel) {
    if (highestLevel > 9) return 1.0f;
    if (!spectrum) return 0.0f;
    return spectrum->Value(spectrum->PeakBin()) * 0.01f;
  };
  const float left = fractionOf(objects.left.get(), highestLeft);
  const float right = format.channels == 2 ? fractionOf(objects.right.get(), highestRight)
                                           : record.pctFullScaleRight;
  record.pctFullScaleLeft = left;
  record.pctFullScaleRight = right;
  bool accepted = true;
  if (left >= 1.0f || (format.channels == 2 && right >= 1.0f)) {
    ReportError(kMsgCalibrationOverload);
    accepted = false;
  } else if (left < kLowestFraction) {
    ReportError(kMsgCalibrationTooLow);
    accepted = false;
  } else {
    record.enabled = 1;
  }
  ComputeRatios(record);
  return accepted;
}

}  // namespace orvanix
