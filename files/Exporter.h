// TExporter: File Export as a job of ticks. Each tick reads the next stretch of every exported
// channel of the document (from frame 0 up to its valid length) into a block buffer made
// with the decimation ratio and its low-pass filter, decimates it and writes the values in
// the chosen format.
//
// The export file replaces its target only when it is complete (TReplacingFile): a failed or
// cancelled export leaves an existing file of that name as it was and no partial file.
//
// A tick reads a whole multiple of the ratio (8190 frames for ratio 3, giving 2730 values),
// so that the decimated samples keep one spacing across ticks.
//
// kAudioFile writes FLAC through libsndfile, in the document's precision (8, 16 or 24 bits).
#pragma once

#include <ctime>
#include <memory>
#include <string>

#include "engine/Calibration.h"
#include "engine/SeriesData.h"
#include "files/ReplacingFile.h"
#include "files/StepJob.h"
#include "files/TransferFormats.h"
#include "files/WaveFile.h"

namespace orvanix {

class TExporter : public TStepJob {
 public:
  // `calibration` is the record in use, or nullptr when calibration is off (it only matters
  // for WFT's volts per count and units label); `now` is the local time for WFT's date.
  TExporter(TWaveData& document, const TExportOptions& options, const std::string& path,
            const TCalibration* calibration, const std::tm& now);

  bool Step() override;
  int Percent() const override;
  std::string StatusText() const override;
  bool Failed() const override { return failed_; }
  void Cancel() override;
  bool Done() const { return done_; }
  ~TExporter() override;

 private:
  bool Begin();
  bool Tick();
  bool Fail(const std::string& message);
  bool FailWrite();
  void AppendValues(uint32_t count);
  bool WriteFlac(uint32_t count);

  TWaveData& document_;
  TExportOptions options_;
  std::string path_;
  bool hasCalibration_ = false;
  TCalibration calibration_{};
  std::tm now_{};
  bool begun_ = false;
  bool done_ = false;
  bool failed_ = false;
  uint32_t channels_[2] = {0, 1};
  uint32_t channelCount_ = 1;
  uint32_t tickFrames_ = 0;
  uint32_t position_ = 0;
  uint32_t total_ = 0;
  std::unique_ptr<TSeriesData> series_[2];
  std::string out_;
  TReplacingFile file_;
  struct Flac;
  std::unique_ptr<Flac> flac_;
  std::vector<int32_t> ints_;
};

}  // namespace orvanix
