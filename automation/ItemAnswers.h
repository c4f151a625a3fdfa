// The text of every data item, read from the analyzer core when it is requested or posted:
// single values as "%3.6f" (two tab-separated values when two-channel answers apply),
// counters as integers, spectra and time series one line per point.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orvanix {

class TAnalyzerCore;

class TItemAnswers {
 public:
  explicit TItemAnswers(TAnalyzerCore& core);

  // The item's text; nothing for an advise-only item or an unknown index.
  std::optional<std::string> Text(int32_t item);

  // "[Set Time Segment a b]": the segment of "Total Power in Time Segment", seconds.
  void SetTimeSegment(double startSecs, double endSecs);
  // A wave file or the macro output file was closed: "File Closed" answers its path once.
  void FileClosed(const std::string& path);
  const std::string& LastClosedFile() const { return lastClosed_; }
  // Advise links are posted while the run loop announces a block, before it counts it:
  // "FFT Count" then includes the block being announced.
  void SetBlockInFlight(bool inFlight) { blockInFlight_ = inFlight; }
  // "Macro Status": the running flag of the macro window, -1 when it is closed.
  void SetMacroStatusSource(std::function<int()> source) { macroStatus_ = std::move(source); }

 private:
  std::string Value(int32_t item) const;
  std::string Lines(int32_t item) const;
  std::string TimeSeriesLines(bool zoomed) const;
  std::string SegmentPower() const;

  TAnalyzerCore& core_;
  double segmentStart_ = 0;
  double segmentEnd_ = 0;
  std::string lastClosed_;
  bool blockInFlight_ = false;
  std::function<int()> macroStatus_;
};

}  // namespace orvanix
