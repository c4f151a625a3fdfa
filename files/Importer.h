// TImporter: File Import as a job of ticks. It examines the source (counting the frames and
// finding the smallest and largest value), works out the conversion, creates the destination
// wave (a RAM buffer or a new disk recording in the temporary folder) and converts up to
// kTickFrames frames per tick into it.
//
// Between examining and importing the job pauses once (Phase::Examined) so that the caller
// may let the user adjust the rescale factor ("Adjust Rescale Factor"); the next Step()
// goes on.
//
// Failures are reported through Messages() where they happen. A failed or cancelled import
// that has begun writing leaves what it wrote in the document (TakeDocument), as the
// partially imported, untitled document.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/Calibration.h"
#include "files/SampleReader.h"
#include "files/StepJob.h"
#include "files/TransferFormats.h"
#include "files/WaveFile.h"

namespace orvanix {

// Where imported and other new documents are kept.
struct TWaveTarget {
  StorageMode mode = StorageMode::Disk;
  bool makeBackup = true;
  std::string tempDir;
};

class TImporter : public TStepJob {
 public:
  enum class Phase { Examining, Examined, Importing, Done, Failed };

  TImporter(const std::string& path, const TImportOptions& options, const TWaveTarget& target);

  bool Step() override;
  int Percent() const override;
  std::string StatusText() const override;
  bool Failed() const override { return phase_ == Phase::Failed; }
  void Cancel() override;

  Phase CurrentPhase() const { return phase_; }
  // The options in force: a WFT file's header replaces rate, channels, precision, header and
  // scaling.
  const TImportOptions& Options() const { return options_; }
  // Known once examined.
  uint64_t Frames() const { return frames_; }
  double Smallest() const { return smallest_; }
  double Largest() const { return largest_; }
  const TImportConversion& Conversion() const { return conversion_; }
  // "Adjust Rescale Factor": the typed factor, with offset 0 (only while Examined).
  void SetRescaleFactor(double factor);

  // The imported document (after Done, or after a failure or cancel once importing began);
  // nullptr before that or when the destination could not be made.
  std::unique_ptr<TWaveFile> TakeDocument();
  // The calibration the import brings: the defined values or a WFT file's scale. Without one
  // the caller switches calibration off.
  bool HasCalibration() const { return hasCalibration_; }
  const TCalibration& Calibration() const { return calibration_; }

 private:
  bool Begin();
  bool ExamineTick();
  bool FinishExamining();
  bool CreateDestination();
  bool ImportTick();
  bool Fail();
  // A finished or stopped import: a RAM document is cut to what was written.
  void Settle();

  std::string path_;
  TImportOptions options_;
  TWaveTarget target_;
  Phase phase_ = Phase::Examining;
  bool begun_ = false;
  TSampleReader reader_;
  WaveFormat format_;
  uint64_t frames_ = 0;
  uint64_t written_ = 0;
  double smallest_ = 1e13;
  double largest_ = -1e13;
  TImportConversion conversion_;
  bool hasCalibration_ = false;
  TCalibration calibration_{};
  std::vector<double> values_;
  std::vector<uint8_t> block_;
  std::unique_ptr<TWaveFile> document_;
};

}  // namespace orvanix
