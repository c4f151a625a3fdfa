#include "files/Exporter.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "engine/Messages.h"
#include "files/Riff.h"
#include "files/TransferNumbers.h"
#include "files/TransferTexts.h"
#include "files/WftFormat.h"

namespace orvanix {

namespace {

int32_t Clamp(int64_t value, int64_t low, int64_t high) {
  return static_cast<int32_t>(std::clamp(value, low, high));
}

}  // namespace

struct TExporter::Flac {
  SNDFILE* file = nullptr;
  ~Flac() {
    if (file) sf_close(file);
  }
};

TExporter::~TExporter() = default;

TExporter::TExporter(TWaveData& document, const TExportOptions& options, const std::string& path,
                     const TCalibration* calibration, const std::tm& now)
    : document_(document), options_(options), path_(path), now_(now) {
  if (calibration) {
    hasCalibration_ = true;
    calibration_ = *calibration;
  }
}

bool TExporter::Fail(const std::string& message) {
  if (!message.empty()) ReportError(message);
  file_.Abandon();
  failed_ = true;
  return false;
}

bool TExporter::FailWrite() {
  const bool full = errno == ENOSPC;
  return Fail(Format(full ? kExportDiskFull : kExportWriteFailure, path_.c_str()));
}

bool TExporter::Step() {
  if (done_ || failed_) return false;
  if (!begun_ && !Begin()) return false;
  return Tick();
}

bool TExporter::Begin() {
  begun_ = true;
  const WaveFormat& format = document_.Format();
  const bool wft = options_.format == kWft;
  const bool flac = options_.format == kAudioFile;
  if (!IsValidTransferFormat(options_.format) && !flac) return Fail(kFailureOpeningExport);
  uint32_t ratio = wft ? 1 : options_.decimation;
  if (ratio < 1 || ratio > kMaxExportDecimation) {
    return Fail(Format(kDecimationRange, static_cast<int>(kMaxExportDecimation)));
  }
  // A mono document exports its one channel; WFT holds one channel, the left.
  if (format.channels == 1 || wft) {
    channelCount_ = 1;
    channels_[0] = 0;
  } else if (options_.left && options_.right) {
    channelCount_ = 2;
  } else if (options_.left || options_.right) {
    channelCount_ = 1;
    channels_[0] = options_.left ? 0 : 1;
  } else {
    return Fail(kExportNoChannel);
  }
  tickFrames_ = kTickFrames / ratio * ratio;
  for (uint32_t c = 0; c < channelCount_; ++c) {
    series_[c] = std::make_unique<TSeriesData>(kTickFrames, format, ratio, true);
    if (series_[c]->Error()) return Fail(kExportMemory);
  }
  total_ = document_.ValidLength();
  if (!file_.Open(path_)) {
    return Fail(wft ? Format(kWftCreateFailure, path_.c_str())
                    : std::string(kFailureOpeningExport));
  }
  if (flac) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(std::max<uint32_t>(format.sampleRate / ratio, 1));
    info.channels = static_cast<int>(channelCount_);
    info.format = SF_FORMAT_FLAC | (format.bytesPerSample == 1   ? SF_FORMAT_PCM_S8
                                    : format.bytesPerSample == 2 ? SF_FORMAT_PCM_16
                                                                 : SF_FORMAT_PCM_24);
    flac_ = std::make_unique<Flac>();
    flac_->file = sf_open_fd(file_.Fd(), SFM_WRITE, &info, SF_FALSE);
    if (!flac_->file) {
      return Fail(Format(kForeignUnreadable, path_.c_str(), sf_strerror(nullptr)));
    }
    ints_.resize(size_t{kTickFrames} * channelCount_);
  }
  if (wft) {
    const uint32_t bytes = format.bytesPerSample == 1 ? 1 : 2;
    uint8_t header[kWftHeaderBytes];
    BuildWftHeader(format, bytes, total_, hasCalibration_ ? &calibration_ : nullptr, now_, header);
    if (!file_.Append(header, sizeof header)) {
      return Fail(Format(kWftHeaderWriteFailure, path_.c_str()));
    }
  }
  return true;
}

bool TExporter::Tick() {
  const uint32_t count = std::min(tickFrames_, total_ - position_);
  if (count > 0) {
    for (uint32_t c = 0; c < channelCount_; ++c) {
      TSeriesData& series = *series_[c];
      // The filter's run-out reads the frames that follow, as the run loop's blocks do.
      const uint32_t runOut = series.Filtered() ? kDecimationTaps : 0;
      const uint32_t available = document_.Length() - std::min(position_, document_.Length());
      const uint32_t wanted = std::min(count + runOut, available);
      if (wanted < count ||
          !document_.ReadChannel(series.SampleAddress(0), position_, wanted, channels_[c])) {
        return Fail(kFailureReadingSegment);
      }
      series.Clear(wanted, series.Count());
      series.Decimate();
    }
    const uint32_t values = count / series_[0]->Decimation();
    if (flac_) {
      if (!WriteFlac(values)) return FailWrite();
    } else {
      AppendValues(values);
      if (!file_.Append(out_.data(), out_.size())) return FailWrite();
    }
    position_ += count;
  }
  if (position_ < total_) return true;
  if (flac_) {
    // Closing writes the stream's summary at its start; a failure there is a write failure.
    const int closed = sf_close(flac_->file);
    flac_->file = nullptr;
    if (closed != 0) return FailWrite();
  }
  if (!file_.Commit()) return FailWrite();
  done_ = true;
  return false;
}

void TExporter::AppendValues(uint32_t count) {
  const WaveFormat& format = document_.Format();
  const int32_t zero = format.zeroValue;
  const bool stereo = channelCount_ == 2;
  out_.clear();
  for (uint32_t k = 0; k < count; ++k) {
    for (uint32_t c = 0; c < channelCount_; ++c) {
      const int32_t raw = series_[c]->GetRaw(k);
      const int64_t value = int64_t{raw} - zero;
      uint8_t bytes[4];
      switch (options_.format) {
        case kAsciiInteger:
          AppendInteger(out_, value);
          out_ += (stereo && c == 0) ? ',' : '\n';
          break;
        case kAsciiReal:
          AppendFixed(out_, static_cast<double>(value));
          out_ += (stereo && c == 0) ? ',' : '\n';
          break;
        case kBinary8: {
          // Offset binary around 127 for every precision, as import reads it.
          int64_t byte = raw;
          if (format.bytesPerSample == 2) byte = value * 127 / 32767 + 127;
          if (format.bytesPerSample == 3) byte = value * 127 / 8388607 + 127;
          out_ += static_cast<char>(Clamp(byte, 0, 255));
          break;
        }
        case kBinary16:
          // 24-bit values beyond 16 bits saturate rather than wrap.
          PutU16(bytes, static_cast<uint16_t>(Clamp(value, -32768, 32767)));
          out_.append(reinterpret_cast<char*>(bytes), 2);
          break;
        case kBinary32:
          PutI32(bytes, static_cast<int32_t>(value));
          out_.append(reinterpret_cast<char*>(bytes), 4);
          break;
        case kBinaryFloat:
          PutF32(bytes, static_cast<float>(value));
          out_.append(reinterpret_cast<char*>(bytes), 4);
          break;
        case kWft:
          if (format.bytesPerSample == 1) {
            out_ += static_cast<char>(static_cast<int8_t>(Clamp(value, -128, 127)));
          } else {
            PutU16(bytes, static_cast<uint16_t>(Clamp(value, -32768, 32767)));
            out_.append(reinterpret_cast<char*>(bytes), 2);
          }
          break;
        default:
          break;
      }
    }
  }
}

bool TExporter::WriteFlac(uint32_t count) {
  const WaveFormat& format = document_.Format();
  // libsndfile takes integers left-justified in 32 bits.
  const int shift = 32 - 8 * format.bytesPerSample;
  const int64_t low = -(int64_t{1} << (8 * format.bytesPerSample - 1));
  const int64_t high = -low - 1;
  for (uint32_t k = 0; k < count; ++k) {
    for (uint32_t c = 0; c < channelCount_; ++c) {
      const int64_t value = int64_t{series_[c]->GetRaw(k)} - format.zeroValue;
      ints_[size_t{k} * channelCount_ + c] =
          static_cast<int32_t>(static_cast<uint32_t>(Clamp(value, low, high)) << shift);
    }
  }
  errno = 0;
  return sf_writef_int(flac_->file, ints_.data(), count) == static_cast<sf_count_t>(count);
}

void TExporter::Cancel() {
  if (done_ || failed_) return;
  file_.Abandon();
  failed_ = true;
}

int TExporter::Percent() const {
  if (total_ == 0) return done_ ? 100 : 0;
  return static_cast<int>(100 - uint64_t{total_ - position_} * 100 / total_);
}

std::string TExporter::StatusText() const {
  return kExportingText;
}

}  // namespace orvanix
