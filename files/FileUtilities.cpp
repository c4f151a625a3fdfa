#include "files/FileUtilities.h"

#include <algorithm>
#include <cstring>

#include "engine/Messages.h"
#include "files/EditTexts.h"
#include "files/TransferTexts.h"
#include "files/WaveTexts.h"

namespace orvanix {

// ---- Decimate ----

TDecimateJob::TDecimateJob(TWaveFile& document, uint32_t ratio, bool lowPass,
                           const std::string& destination, const TCalibration* calibration,
                           const std::string& tempDir)
    : document_(document),
      ratio_(ratio),
      lowPass_(lowPass),
      destination_(destination),
      tempDir_(tempDir) {
  if (calibration) {
    hasCalibration_ = true;
    calibration_ = *calibration;
  }
}

bool TDecimateJob::Fail() {
  failed_ = true;
  output_.reset();  // its temporary working file goes with it
  return false;
}

bool TDecimateJob::Begin() {
  begun_ = true;
  if (ratio_ < 1 || ratio_ > kMaxDecimateRatio) {
    ReportError(Format(kDecimationRange, static_cast<int>(kMaxDecimateRatio)));
    return Fail();
  }
  const WaveFormat& format = document_.Format();
  WaveFormat decimated = format;
  decimated.sampleRate = std::max<uint32_t>(format.sampleRate / ratio_, 1);
  output_ = std::make_unique<TWaveFile>(decimated, false, tempDir_);
  if (output_->Error()) return Fail();
  for (uint32_t c = 0; c < format.channels; ++c) {
    series_[c] = std::make_unique<TSeriesData>(kTickFrames, format, ratio_, lowPass_);
    if (series_[c]->Error()) {
      ReportError(kInsufficientMemory);
      return Fail();
    }
  }
  // Whole multiples of the ratio per tick, so that the kept samples keep one spacing.
  tickFrames_ = kTickFrames / ratio_ * ratio_;
  total_ = document_.ValidLength();
  block_.resize(size_t{kTickFrames} * format.BlockAlign());
  return true;
}

bool TDecimateJob::Step() {
  if (done_ || failed_) return false;
  if (!begun_ && !Begin()) return false;
  const WaveFormat& format = document_.Format();
  const uint32_t count = std::min(tickFrames_, total_ - position_);
  if (count > 0) {
    const uint32_t kept = count / ratio_;
    for (uint32_t c = 0; c < format.channels; ++c) {
      TSeriesData& series = *series_[c];
      const uint32_t runOut = series.Filtered() ? kDecimationTaps : 0;
      const uint32_t available = document_.Length() - std::min(position_, document_.Length());
      const uint32_t wanted = std::min(count + runOut, available);
      if (wanted < count || !document_.ReadChannel(series.SampleAddress(0), position_, wanted, c)) {
        ReportError(kFailureReadingSegment);
        return Fail();
      }
      series.Clear(wanted, series.Count());
      series.Decimate();
      const uint32_t bytes = format.bytesPerSample;
      for (uint32_t k = 0; k < kept; ++k) {
        std::memcpy(block_.data() + size_t{k} * format.BlockAlign() + c * bytes,
                    series.SampleAddress(k), bytes);
      }
    }
    if (kept > 0 && !output_->WriteBlock(block_.data(), size_t{kept} * format.BlockAlign())) {
      return Fail();  // the disk recording said why
    }
    position_ += count;
  }
  if (position_ < total_) return true;
  output_->SetFileName(destination_);
  if (hasCalibration_) output_->SetCalibration(calibration_);
  if (!output_->Save()) return Fail();
  output_.reset();
  done_ = true;
  return false;
}

void TDecimateJob::Cancel() {
  if (!done_ && !failed_) Fail();
}

int TDecimateJob::Percent() const {
  return total_ ? static_cast<int>(uint64_t{position_} * 100 / total_) : (done_ ? 100 : 0);
}

std::string TDecimateJob::StatusText() const {
  return kSavingWave;
}

// ---- Merge ----

TMergeJob::TMergeJob(const std::string& leftPath, const std::string& rightPath,
                     const TWaveTarget& target)
    : paths_{leftPath, rightPath}, target_(target) {}

bool TMergeJob::Fail() {
  failed_ = true;
  Settle();
  return false;
}

bool TMergeJob::Begin() {
  begun_ = true;
  for (int i = 0; i < 2; ++i) {
    std::string reason;
    if (!sources_[i].Open(paths_[i], reason)) {
      ReportError(Format(kMergeInputFailure, paths_[i].c_str()));
      return Fail();
    }
  }
  const WaveFormat& left = sources_[0].Format();
  const WaveFormat& right = sources_[1].Format();
  if (left.channels != 1 || right.channels != 1) {
    ReportError(kMergeNotMono);
    return Fail();
  }
  if (left.sampleRate != right.sampleRate) {
    ReportError(kMergeRates);
    return Fail();
  }
  if (left.bytesPerSample != right.bytesPerSample) {
    ReportError(kMergePrecision);
    return Fail();
  }
  total_ = std::min(sources_[0].Frames(), sources_[1].Frames());
  const WaveFormat stereo = MakeWaveFormat(2, left.sampleRate, left.bytesPerSample);
  if (target_.mode == StorageMode::Ram) {
    document_ = std::make_unique<TWaveFile>(total_, stereo, target_.tempDir);
    if (document_->Error()) ReportError(kInsufficientMemory);
  } else {
    document_ = std::make_unique<TWaveFile>(stereo, target_.makeBackup, target_.tempDir);
  }
  if (document_->Error()) {
    document_.reset();
    return Fail();
  }
  document_->Rewind();
  for (auto& input : input_) input.resize(size_t{kMergeBlockFrames} * left.bytesPerSample);
  block_.resize(size_t{kMergeBlockFrames} * stereo.BlockAlign());
  return true;
}

bool TMergeJob::Step() {
  if (done_ || failed_) return false;
  if (!begun_ && !Begin()) return false;
  const uint32_t bytes = sources_[0].Format().bytesPerSample;
  const uint32_t n = std::min(kMergeBlockFrames, total_ - position_);
  if (n > 0) {
    for (int i = 0; i < 2; ++i) {
      if (!sources_[i].ReadFrames(position_, n, input_[i].data())) {
        ReportError(Format(kMergeInputFailure, paths_[i].c_str()));
        return Fail();
      }
    }
    for (uint32_t k = 0; k < n; ++k) {
      std::memcpy(&block_[size_t{k} * 2 * bytes], &input_[0][size_t{k} * bytes], bytes);
      std::memcpy(&block_[(size_t{k} * 2 + 1) * bytes], &input_[1][size_t{k} * bytes], bytes);
    }
    if (!document_->WriteBlock(block_.data(), size_t{n} * 2 * bytes)) {
      if (target_.mode == StorageMode::Ram) ReportError(kFailureWritingWaveFile);
      return Fail();
    }
    position_ += n;
  }
  if (position_ < total_) return true;
  done_ = true;
  Settle();
  return false;
}

void TMergeJob::Settle() {
  if (!document_) return;
  if (document_->Mode() == StorageMode::Ram && document_->ValidLength() < document_->Length()) {
    document_->Resize(document_->ValidLength());
  }
  document_->SetModified(true);
  document_->Rewind();
}

void TMergeJob::Cancel() {
  if (done_ || failed_) return;
  done_ = true;
  Settle();
}

int TMergeJob::Percent() const {
  return total_ ? static_cast<int>(uint64_t{position_} * 100 / total_) : (done_ ? 100 : 0);
}

std::string TMergeJob::StatusText() const {
  return kMergingFiles;
}

std::unique_ptr<TWaveFile> TMergeJob::TakeDocument() {
  return std::move(document_);
}

}  // namespace orvanix
