// TDataLog: appends one line of measured values per processed block (or per interval) to a
// text file while logging is on. It exists exactly while logging is on; the run loop's
// listener hands it the display spectra after each block.
//
// Nothing logged is lost: every record is flushed to the file as it is written, and a file
// opened for appending is never truncated. A file that cannot be opened, or a write that
// fails (a full disk, a removed folder), is reported once and stops the logging; the
// analysis goes on. Lines end in carriage return and line feed, as the file has always had.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "engine/SpectralData.h"
#include "files/SettingsRecords.h"

namespace orvanix {

// The data types of `DataType`, in list order.
enum LogDataType : int32_t {
  kLogPeakFrequency = 0,
  kLogPeakAmplitude,
  kLogPeakFrequencyAmplitude,
  kLogPowerLevel,
  kLogSpectrumValues,
  kLogThd,
  kLogThdN,
  kLogImd,
  kLogSnr,
  kLogSinad,
  kLogNoiseFigure,
  kLogTimeDelay,
  kLogDataTypeCount
};

// What a record may need beyond the two display spectra: the noise figure reads the left
// and right channel spectra with its polarity; the time delay comes from the delay finder
// while its window is open (nothing otherwise: no record).
struct TLogExtras {
  const TSpectralData* left = nullptr;
  const TSpectralData* right = nullptr;
  int32_t noiseFigurePolarity = 6;
  std::optional<float> delay;
};

class TDataLog {
 public:
  // Opens `settings.logFileName` as given (truncated with the overwrite flag, else appended
  // to). A failure is reported ("Failure opening log file: %s") and sets the error flag.
  explicit TDataLog(const TLoggingSettings& settings);
  ~TDataLog();
  TDataLog(const TDataLog&) = delete;
  TDataLog& operator=(const TDataLog&) = delete;

  // Set after a failed open or write: nothing more is written.
  bool Error() const { return error_; }
  const TLoggingSettings& Settings() const { return settings_; }

  // One processed block: writes the header first if it is pending, then a record when the
  // interval and threshold rules let it. `timeSecs` is the time of day in Real-Time mode,
  // the position in the file otherwise. Returns whether a record was written.
  bool WriteRecord(const TSpectralData* first, const TSpectralData* second, double timeSecs,
                   uint16_t channelProcessing, const TLogExtras& extras = {});

  // Records written since the log was opened.
  uint64_t RecordCount() const { return records_; }

 private:
  bool WriteHeader(const TSpectralData& first, bool twoChannels);
  bool WriteSpectrumRecord(const std::string& time, const TSpectralData& first,
                           const TSpectralData* second, uint32_t from, uint32_t to);
  // Appends text to the pending line, turning each "\n" into "\r\n".
  void Put(const std::string& text);
  // Writes and flushes the pending line; a failure is reported and sets the error flag.
  bool Commit();

  TLoggingSettings settings_;
  std::FILE* file_ = nullptr;
  bool error_ = false;
  bool headerPending_ = true;
  double last_ = 0;
  uint64_t records_ = 0;
  std::string line_;
};

// The index range a record covers: the analysis span of `spectrum`, or with the full-span
// flag cleared the bins nearest to the start and stop frequencies (the bands containing
// them on a fractional-octave axis), in order and inside the spectrum.
struct TLogRange {
  uint32_t first = 0;
  uint32_t last = 0;
};
TLogRange LogRange(const TSpectralData& spectrum, const TLoggingSettings& settings);

}  // namespace orvanix

namespace orvanix {

// The setup dialog's OK checks, in their order: with a custom range the stop above the
// start, the start within 0 ... `highestHz`, the stop within (0, highestHz]; with specific
// intervals an interval of at most 3600 s. The first failure's message, or empty.
std::string CheckLoggingSetup(const TLoggingSettings& settings, float highestHz);

}  // namespace orvanix
