// A long operation split into ticks, so that the user interface stays responsive: the
// windowed program drives it from a timer under a modal progress dialog, a headless run
// calls Step() until it is done. Import, export, filtering, gain, decimation and merging
// are such jobs.
#pragma once

#include <cstdint>
#include <string>

namespace orvanix {

// Frames each tick of a job handles at most.
inline constexpr uint32_t kTickFrames = 8192;

class TStepJob {
 public:
  virtual ~TStepJob() = default;
  // One tick. True while more ticks are wanted; false once the job finished or failed (the
  // failure has been reported through Messages()).
  virtual bool Step() = 0;
  // Percent done, 0 ... 100.
  virtual int Percent() const = 0;
  // The status line the progress dialog shows ("Importing...").
  virtual std::string StatusText() const = 0;
  // After Step() returned false: whether the job failed.
  virtual bool Failed() const = 0;
  // The user cancelled: end the job now, leaving what it promises for a cancel.
  virtual void Cancel() = 0;
};

// Steps a job to its end (headless runs, tests). True when it finished without failing.
inline bool RunToEnd(TStepJob& job) {
  while (job.Step()) {
  }
  return !job.Failed();
}

}  // namespace orvanix
