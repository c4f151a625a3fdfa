#include "files/Importer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "engine/Messages.h"
#include "files/Riff.h"
#include "files/TransferTexts.h"
#include "files/WaveFileFormat.h"
#include "files/WaveFileIo.h"
#include "files/WftFormat.h"

namespace orvanix {

namespace {

// Frames examined per tick: a few hundred kilobytes of text, so that a slow disk still lets
// the user interface breathe.
constexpr uint32_t kExamineFrames = 65536;

TSampleLayout::Kind KindOf(int32_t format) {
  switch (format) {
    case kBinary8:
      return TSampleLayout::Kind::Offset8;
    case kBinary16:
      return TSampleLayout::Kind::Signed16;
    case kBinary32:
      return TSampleLayout::Kind::Signed32;
    case kBinaryFloat:
      return TSampleLayout::Kind::Float32;
    default:
      return TSampleLayout::Kind::Text;
  }
}

}  // namespace

TImporter::TImporter(const std::string& path, const TImportOptions& options,
                     const TWaveTarget& target)
    : path_(path), options_(options), target_(target) {}

bool TImporter::Fail() {
  phase_ = Phase::Failed;
  Settle();
  return false;
}

bool TImporter::Step() {
  switch (phase_) {
    case Phase::Examining:
      if (!begun_ && !Begin()) return Fail();
      return ExamineTick();
    case Phase::Examined:
      if (!CreateDestination()) return Fail();
      if (!reader_.Rewind()) {
        ReportError(reader_.Message());
        return Fail();
      }
      phase_ = Phase::Importing;
      return true;
    case Phase::Importing:
      return ImportTick();
    default:
      return false;
  }
}

bool TImporter::Begin() {
  begun_ = true;
  TSampleLayout layout;
  if (options_.sourceType == kWft) {
    const int fd = OpenRegularFile(path_, O_RDONLY);
    if (fd < 0) {
      ReportError(Format(kWftOpenFailure, path_.c_str()));
      return false;
    }
    uint8_t header[kWftHeaderBytes];
    uint64_t size = 0;
    const bool read = FileSizeOf(fd, size) && ReadAt(fd, 0, header, sizeof header);
    ::close(fd);
    if (!read) {
      ReportError(Format(kWftHeaderReadFailure, path_.c_str()));
      return false;
    }
    TWftHeader wft;
    std::string message;
    if (!ParseWftHeader(header, size, path_, wft, message)) {
      ReportError(message);
      return false;
    }
    options_.sampleRateHz = wft.sampleRateHz;
    options_.channels = 1;
    options_.bytesPerSample = wft.bytesPerSample;
    options_.headerPresent = false;
    options_.scaling = kScaleTruncate;
    hasCalibration_ = WftCalibration(wft, calibration_);
    layout.kind =
        wft.bytesPerSample == 1 ? TSampleLayout::Kind::Signed8 : TSampleLayout::Kind::Signed16;
    layout.dataOffset = wft.dataOffset;
    layout.maxFrames = wft.frames;
  } else {
    if (!IsValidTransferFormat(options_.sourceType)) return false;
    layout.kind = KindOf(options_.sourceType);
    const uint64_t header =
        options_.headerPresent && options_.headerSize > 0 ? uint64_t(options_.headerSize) : 0;
    if (IsTextFormat(options_.sourceType)) {
      layout.headerLines = header;
    } else {
      layout.dataOffset = header;
    }
  }
  if (options_.sampleRateHz == 0) {
    ReportError(kRateMustBePositive);
    return false;
  }
  layout.channels = options_.channels == 2 ? 2 : 1;
  options_.channels = layout.channels;
  if (options_.bytesPerSample < 1 || options_.bytesPerSample > 3) options_.bytesPerSample = 2;
  format_ = MakeWaveFormat(layout.channels, options_.sampleRateHz, options_.bytesPerSample);
  values_.resize(size_t{kExamineFrames} * 2);
  if (!reader_.Open(path_, layout)) {
    ReportError(reader_.Message());
    return false;
  }
  return true;
}

bool TImporter::ExamineTick() {
  const uint32_t n = reader_.Read(values_.data(), kExamineFrames);
  if (reader_.Failed()) {
    ReportError(reader_.Message());
    return Fail();
  }
  const size_t count = size_t{n} * format_.channels;
  for (size_t i = 0; i < count; ++i) {
    smallest_ = std::min(smallest_, values_[i]);
    largest_ = std::max(largest_, values_[i]);
  }
  frames_ += n;
  const uint64_t maxFrames = kMaxWaveDataBytes / format_.BlockAlign();
  if (frames_ > maxFrames) {
    ReportError(Format(kImportTooLarge, path_.c_str(), static_cast<unsigned long long>(maxFrames)));
    return Fail();
  }
  if (n == kExamineFrames) return true;
  return FinishExamining();
}

bool TImporter::FinishExamining() {
  if (frames_ == 0) {
    ReportError(Format(kImportNoData, path_.c_str()));
    return Fail();
  }
  if (reader_.PartialFrameBytes() > 0) {
    ReportError(Format(kImportPartialFrame,
                       static_cast<unsigned long long>(reader_.PartialFrameBytes()), path_.c_str()),
                MessageIcon::Information);
  }
  conversion_ = ImportConversionFor(options_.scaling, format_, smallest_, largest_);
  if (options_.scaling == kScaleDefine && options_.sourceType != kWft) {
    calibration_ = DefinedCalibration(options_, conversion_, format_);
    hasCalibration_ = true;
  }
  phase_ = Phase::Examined;
  return true;
}

void TImporter::SetRescaleFactor(double factor) {
  if (phase_ != Phase::Examined) return;
  conversion_.factor = factor;
  conversion_.offset = 0.0;
}

bool TImporter::CreateDestination() {
  if (target_.mode == StorageMode::Ram) {
    document_ = std::make_unique<TWaveFile>(100, format_, target_.tempDir);
    if (document_->Error() || !document_->Resize(static_cast<uint32_t>(frames_))) {
      ReportError(kInsufficientMemoryToStore);
      document_.reset();
      return false;
    }
  } else {
    document_ = std::make_unique<TWaveFile>(format_, target_.makeBackup, target_.tempDir);
    if (document_->Error()) {
      document_.reset();
      return false;
    }
  }
  document_->Rewind();
  block_.resize(size_t{kTickFrames} * format_.BlockAlign());
  return true;
}

bool TImporter::ImportTick() {
  const uint64_t left = frames_ - written_;
  const uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(left, kTickFrames));
  const uint32_t n = reader_.Read(values_.data(), wanted);
  if (reader_.Failed()) {
    ReportError(Format(kImportChanged, path_.c_str()));
    return Fail();
  }
  const uint32_t channels = format_.channels;
  const uint32_t bytes = format_.bytesPerSample;
  for (uint32_t i = 0; i < n * channels; ++i) {
    EncodeSample(block_.data() + size_t{i} * bytes, bytes, conversion_.Convert(values_[i]));
  }
  if (n > 0 && !document_->WriteBlock(block_.data(), size_t{n} * format_.BlockAlign())) {
    // Disk-mode writes say why themselves; a RAM buffer refuses silently.
    if (target_.mode == StorageMode::Ram) ReportError(kFailureWritingWave);
    return Fail();
  }
  written_ += n;
  if (n == wanted && written_ < frames_) return true;
  // Reading stops at the end of the file, even one that shrank since it was examined.
  phase_ = Phase::Done;
  Settle();
  return false;
}

void TImporter::Settle() {
  if (!document_) return;
  if (document_->Mode() == StorageMode::Ram && document_->ValidLength() < document_->Length()) {
    document_->Resize(document_->ValidLength());
  }
  document_->Rewind();
}

void TImporter::Cancel() {
  if (phase_ == Phase::Done || phase_ == Phase::Failed) return;
  Fail();
}

int TImporter::Percent() const {
  if (phase_ == Phase::Examining) {
    const uint64_t size = reader_.FileSize();
    return size ? static_cast<int>(reader_.Consumed() * 100 / size) : 0;
  }
  if (frames_ == 0) return 100;
  return static_cast<int>(100 - (frames_ - written_) * 100 / frames_);
}

std::string TImporter::StatusText() const {
  return phase_ == Phase::Examining || phase_ == Phase::Examined ? kExaminingText : kImportingText;
}

std::unique_ptr<TWaveFile> TImporter::TakeDocument() {
  return std::move(document_);
}

}  // namespace orvanix
