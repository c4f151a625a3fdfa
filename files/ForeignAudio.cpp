#include "files/ForeignAudio.h"

#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "engine/Messages.h"
#include "files/TransferTexts.h"
#include "files/WaveFileFormat.h"
#include "files/WaveFileIo.h"
#include "files/WaveTexts.h"

namespace orvanix {

namespace {

// A RAM document grows by this much at a time when a file holds more than it announced.
constexpr uint32_t kGrowSeconds = 60;

struct TSndFile {
  SNDFILE* file = nullptr;
  SF_INFO info{};
  ~TSndFile() {
    if (file) sf_close(file);
  }
};

// Opens without blocking on a FIFO and without following the file into a device.
bool OpenSnd(const std::string& path, TSndFile& snd, std::string& message) {
  const int fd = OpenRegularFile(path, O_RDONLY);
  if (fd < 0) {
    message = Format(kFailureOpeningFile, path.c_str());
    return false;
  }
  snd.file = sf_open_fd(fd, SFM_READ, &snd.info, SF_TRUE);
  if (!snd.file) {
    message = Format(kForeignUnreadable, path.c_str(), sf_strerror(nullptr));
    return false;
  }
  if (snd.info.channels < 1 || snd.info.samplerate < 1 || snd.info.frames < 0) {
    message = Format(kForeignUnreadable, path.c_str(), "no channels or no sampling rate");
    return false;
  }
  return true;
}

void Describe(const TSndFile& snd, TForeignInfo& info) {
  info.channels = static_cast<uint32_t>(snd.info.channels);
  info.sampleRateHz = static_cast<uint32_t>(snd.info.samplerate);
  info.frames = static_cast<uint64_t>(snd.info.frames);
  const int subtype = snd.info.format & SF_FORMAT_SUBMASK;
  info.isFloat = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
  switch (subtype) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
    case SF_FORMAT_IMA_ADPCM:
    case SF_FORMAT_MS_ADPCM:
    case SF_FORMAT_GSM610:
    case SF_FORMAT_DWVW_12:
    case SF_FORMAT_DWVW_16:
    case SF_FORMAT_DPCM_8:
    case SF_FORMAT_DPCM_16:
      info.bits = 16;
      break;
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_DWVW_24:
      info.bits = 24;
      break;
    case SF_FORMAT_PCM_32:
      info.bits = 32;
      break;
    default:
      info.bits = 16;
      info.lossy = !info.isFloat;
      break;
  }
  SF_FORMAT_INFO major{};
  major.format = snd.info.format & SF_FORMAT_TYPEMASK;
  SF_FORMAT_INFO minor{};
  minor.format = subtype;
  if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &major, sizeof major) == 0 && major.name) {
    info.description = major.name;
  }
  if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &minor, sizeof minor) == 0 && minor.name) {
    info.description += std::string(info.description.empty() ? "" : ", ") + minor.name;
  }
}

}  // namespace

struct TForeignImporter::Handle : TSndFile {};

bool ProbeForeignFile(const std::string& path, TForeignInfo& info, std::string& message) {
  TSndFile snd;
  if (!OpenSnd(path, snd, message)) return false;
  Describe(snd, info);
  return true;
}

bool NeedsChannelMap(const TForeignInfo& info) {
  return info.isFloat || info.channels > 2;
}

TChannelMap DefaultChannelMap(const TForeignInfo& info) {
  TChannelMap map;
  map.left = 0;
  map.right = info.channels > 1 ? 1 : -1;
  map.bytesPerSample = info.bits > 16 || info.isFloat ? 3 : 2;
  return map;
}

TForeignImporter::TForeignImporter(const std::string& path, const TChannelMap& map,
                                   const TWaveTarget& target)
    : path_(path), map_(map), target_(target) {}

TForeignImporter::~TForeignImporter() = default;

bool TForeignImporter::Fail(const std::string& message) {
  if (!message.empty()) ReportError(message);
  failed_ = true;
  Settle();
  return false;
}

bool TForeignImporter::Begin() {
  begun_ = true;
  file_ = std::make_unique<Handle>();
  std::string message;
  if (!OpenSnd(path_, *file_, message)) return Fail(message);
  Describe(*file_, info_);
  const int32_t channels = static_cast<int32_t>(info_.channels);
  if (map_.left < 0 || map_.left >= channels || map_.right >= channels) {
    return Fail(Format(kForeignNoSuchChannel, path_.c_str(), info_.channels));
  }
  if (map_.bytesPerSample != 3) map_.bytesPerSample = 2;
  const WaveFormat format =
      MakeWaveFormat(map_.right >= 0 ? 2 : 1, info_.sampleRateHz, map_.bytesPerSample);
  if (target_.mode == StorageMode::Ram) {
    const uint64_t guess =
        std::min<uint64_t>(info_.frames, uint64_t{info_.sampleRateHz} * kGrowSeconds);
    document_ = std::make_unique<TWaveFile>(static_cast<uint32_t>(guess), format, target_.tempDir);
    if (document_->Error()) {
      document_.reset();
      return Fail(kInsufficientMemory);
    }
  } else {
    document_ = std::make_unique<TWaveFile>(format, target_.makeBackup, target_.tempDir);
    if (document_->Error()) {
      document_.reset();
      return Fail({});
    }
  }
  document_->Rewind();
  const size_t values = size_t{kTickFrames} * info_.channels;
  if (info_.isFloat || info_.lossy) {
    reals_.resize(values);
  } else {
    ints_.resize(values);
  }
  block_.resize(size_t{kTickFrames} * format.BlockAlign());
  peakPass_ = map_.normalise;
  return true;
}

bool TForeignImporter::PeakTick() {
  const bool real = !reals_.empty();
  const sf_count_t n = real ? sf_readf_double(file_->file, reals_.data(), kTickFrames)
                            : sf_readf_int(file_->file, ints_.data(), kTickFrames);
  for (sf_count_t i = 0; i < n; ++i) {
    for (int32_t c : {map_.left, map_.right}) {
      if (c < 0) continue;
      const size_t at = static_cast<size_t>(i) * info_.channels + static_cast<size_t>(c);
      const double v = real ? reals_[at] : ints_[at] / 2147483648.0;
      if (std::isfinite(v)) peak_ = std::max(peak_, std::fabs(v));
    }
  }
  read_ += static_cast<uint64_t>(n);
  if (n == kTickFrames) return true;
  peakPass_ = false;
  read_ = 0;
  if (sf_seek(file_->file, 0, SEEK_SET) != 0)
    return Fail(Format(kForeignUnreadable, path_.c_str(), sf_strerror(file_->file)));
  return true;
}

bool TForeignImporter::ConvertTick() {
  const bool real = !reals_.empty();
  const sf_count_t n = real ? sf_readf_double(file_->file, reals_.data(), kTickFrames)
                            : sf_readf_int(file_->file, ints_.data(), kTickFrames);
  const WaveFormat& format = document_->Format();
  const uint32_t bytes = format.bytesPerSample;
  const double fullScale = format.maxValue;
  // Integer samples come left-justified in 32 bits: a shift puts them in the document's bits.
  const int shift = bytes == 3 ? 8 : 16;
  const double gain = map_.normalise && peak_ > 0 ? 1.0 / peak_ : 1.0;
  for (sf_count_t i = 0; i < n; ++i) {
    const int32_t channels[2] = {map_.left, map_.right};
    for (uint32_t k = 0; k < format.channels; ++k) {
      const size_t at = static_cast<size_t>(i) * info_.channels + static_cast<size_t>(channels[k]);
      int32_t sample = 0;
      if (real || map_.normalise) {
        const double v = (real ? reals_[at] : ints_[at] / 2147483648.0) * gain * fullScale;
        sample = std::isfinite(v)
                     ? static_cast<int32_t>(
                           std::clamp(std::lround(v), long{format.minValue}, long{format.maxValue}))
                     : 0;
      } else {
        sample = ints_[at] >> shift;
      }
      EncodeSample(&block_[(static_cast<size_t>(i) * format.channels + k) * bytes], bytes, sample);
    }
  }
  if (n > 0) {
    const uint64_t end = document_->Position() + static_cast<uint64_t>(n);
    if (document_->Mode() == StorageMode::Ram && end > document_->CapacityFrames()) {
      const uint64_t grown = end + uint64_t{info_.sampleRateHz} * kGrowSeconds;
      if (grown * format.BlockAlign() > kMaxWaveDataBytes ||
          !document_->Resize(static_cast<uint32_t>(grown))) {
        return Fail(kInsufficientMemoryToStore);
      }
    }
    if (!document_->WriteBlock(block_.data(), static_cast<size_t>(n) * format.BlockAlign())) {
      return Fail(document_->Mode() == StorageMode::Ram ? kFailureWritingWave : "");
    }
  }
  read_ += static_cast<uint64_t>(n);
  if (n == kTickFrames) return true;
  done_ = true;
  Settle();
  return false;
}

bool TForeignImporter::Step() {
  if (done_ || failed_) return false;
  if (!begun_) return Begin();
  return peakPass_ ? PeakTick() : ConvertTick();
}

void TForeignImporter::Settle() {
  if (!document_) return;
  if (document_->Mode() == StorageMode::Ram && document_->ValidLength() < document_->Length()) {
    document_->Resize(document_->ValidLength());
  }
  document_->SetModified(true);
  document_->Rewind();
}

void TForeignImporter::Cancel() {
  if (done_ || failed_) return;
  failed_ = true;
  Settle();
}

int TForeignImporter::Percent() const {
  if (info_.frames == 0) return 0;
  const uint64_t percent = read_ * 100 / info_.frames;
  return static_cast<int>(std::min<uint64_t>(percent, 99));
}

std::string TForeignImporter::StatusText() const {
  return peakPass_ ? kExaminingText : kImportingText;
}

std::unique_ptr<TWaveFile> TForeignImporter::TakeDocument() {
  return std::move(document_);
}

}  // namespace orvanix
