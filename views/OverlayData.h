// TOverlayData: a stored trace drawn over a live spectrum, and its .ovl text file.
//
// File layout (plain text, '.' as decimal point whatever the locale):
//   ;legend                 comment line: every one replaces the legend (first 23
//                           characters, cut at a tab, CR or LF)
//   1000.0000<TAB>-20.5     data line: frequency in Hz, value in the display unit of the
//                           capture, written "%5.4f\t%f\n", read as two numbers
// Reading stops at the end of the file, at the first line that does not give two finite
// numbers, or after kMaxOverlayPoints points. A usable overlay has at least 3 points whose
// frequencies are not negative and never decrease.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/Spline.h"

namespace orvanix {

inline constexpr uint32_t kMaxOverlayPoints = 524289;
inline constexpr size_t kMaxOverlayLegend = 23;
// Longest line looked at; the rest of a longer line is skipped.
inline constexpr size_t kMaxOverlayLine = 4096;

class TOverlayData {
 public:
  enum class ReadResult { Ok, OpenFailed, TooFew, NotAscending };

  // An overlay from captured points (frequency Hz, value) and its legend (cut to 23
  // characters). Error() is set when there are fewer than 3 points.
  TOverlayData(std::vector<CurvePoint> points, const std::string& legend);
  TOverlayData(const TOverlayData&) = delete;
  TOverlayData& operator=(const TOverlayData&) = delete;

  // Loads a .ovl file. A file that cannot be used is reported (error icon: too few
  // points, frequencies not ascending, cannot be opened) and gives nullptr.
  static std::unique_ptr<TOverlayData> Load(const std::string& path);
  // Reads a .ovl file without reporting: the points and legend read so far, and why the
  // file is not usable (Ok when it is).
  static ReadResult Read(const std::string& path, std::vector<CurvePoint>& points,
                         std::string& legend);

  // Writes the overlay as ";legend" and one data line per point, replacing the file only
  // once it is complete. Reports and returns false on failure.
  bool Write(const std::string& path) const;

  bool Error() const { return error_; }
  uint32_t Count() const { return static_cast<uint32_t>(points_.size()); }
  const std::vector<CurvePoint>& Points() const { return points_; }
  const std::string& Legend() const { return legend_; }
  float FirstFrequency() const { return points_.empty() ? 0.f : points_.front().frequency; }
  float LastFrequency() const { return points_.empty() ? 0.f : points_.back().frequency; }

  // The value at a frequency: the spline through the points, held at the first point's
  // value below the first frequency and at the last point's value above the last.
  float ValueAt(float hz) const;

 private:
  bool error_ = false;
  std::vector<CurvePoint> points_;  // never reallocated once the spline points into it
  std::unique_ptr<TSpline> spline_;
  std::string legend_;
};

// Legend text from a comment line's text after the ';': cut at the first tab, CR or LF and
// to kMaxOverlayLegend characters.
std::string OverlayLegendOf(const std::string& comment);

}  // namespace orvanix
