// The File menu's whole-file utilities as jobs of ticks: Decimate (a copy of the document at
// a lower sampling rate, written to a new file) and Merge (two mono files joined into a new
// stereo document).
#pragma once

#include <memory>
#include <string>

#include "engine/Calibration.h"
#include "engine/SeriesData.h"
#include "files/Importer.h"  // TWaveTarget
#include "files/StepJob.h"
#include "files/WaveFile.h"
#include "files/WaveSource.h"

namespace orvanix {

inline constexpr uint32_t kMaxDecimateRatio = 50;
// Frames Merge moves per tick.
inline constexpr uint32_t kMergeBlockFrames = 16384;

// Reads the document from frame 0 through block buffers made with the ratio and the low-pass
// flag, decimates them and writes the result to a new disk recording at rate / ratio, which
// becomes `destination` (with `calibration` attached when given) once complete. The open
// document is not changed; a failed or cancelled run leaves `destination` as it was.
class TDecimateJob : public TStepJob {
 public:
  TDecimateJob(TWaveFile& document, uint32_t ratio, bool lowPass, const std::string& destination,
               const TCalibration* calibration, const std::string& tempDir);
  bool Step() override;
  int Percent() const override;
  std::string StatusText() const override;
  bool Failed() const override { return failed_; }
  void Cancel() override;
  bool Done() const { return done_; }

 private:
  bool Begin();
  bool Fail();

  TWaveFile& document_;
  uint32_t ratio_;
  bool lowPass_;
  std::string destination_;
  bool hasCalibration_ = false;
  TCalibration calibration_{};
  std::string tempDir_;
  bool begun_ = false;
  bool done_ = false;
  bool failed_ = false;
  uint32_t position_ = 0;
  uint32_t total_ = 0;
  uint32_t tickFrames_ = 0;
  std::unique_ptr<TSeriesData> series_[2];
  std::unique_ptr<TWaveFile> output_;
  std::vector<uint8_t> block_;
};

// Checks the sources in order (both mono, equal rates, equal precision), then copies the
// shorter one's length of frames, left from the first and right from the second, into a new
// stereo document. Cancel (Esc) stops: the frames merged so far stay in the document.
class TMergeJob : public TStepJob {
 public:
  TMergeJob(const std::string& leftPath, const std::string& rightPath, const TWaveTarget& target);
  bool Step() override;
  int Percent() const override;
  std::string StatusText() const override;
  bool Failed() const override { return failed_; }
  void Cancel() override;
  // The merged document (after the run, also a stopped one); nullptr before.
  std::unique_ptr<TWaveFile> TakeDocument();

 private:
  bool Begin();
  bool Fail();
  void Settle();

  std::string paths_[2];
  TWaveTarget target_;
  TWaveSource sources_[2];
  bool begun_ = false;
  bool done_ = false;
  bool failed_ = false;
  uint32_t position_ = 0;
  uint32_t total_ = 0;
  std::unique_ptr<TWaveFile> document_;
  std::vector<uint8_t> input_[2];
  std::vector<uint8_t> block_;
};

}  // namespace orvanix
