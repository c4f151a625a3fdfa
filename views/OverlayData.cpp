#include "views/OverlayData.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "engine/Messages.h"
#include "views/TextFormat.h"
#include "views/ViewTexts.h"

namespace orvanix {

using views::CFormat;

namespace {

// Reads one line of at most kMaxOverlayLine characters (the rest of a longer line is
// dropped) without its CR/LF. False at the end of the file with nothing read.
bool ReadLine(std::istream& in, std::string& line) {
  line.clear();
  bool any = false;
  int c;
  while ((c = in.get()) != std::char_traits<char>::eof()) {
    any = true;
    if (c == '\n') break;
    if (line.size() < kMaxOverlayLine) line.push_back(static_cast<char>(c));
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return any;
}

}  // namespace

std::string OverlayLegendOf(const std::string& comment) {
  std::string legend;
  for (char c : comment) {
    if (c == '\t' || c == '\r' || c == '\n' || c == '\0') break;
    if (legend.size() == kMaxOverlayLegend) break;
    legend.push_back(c);
  }
  return legend;
}

TOverlayData::TOverlayData(std::vector<CurvePoint> points, const std::string& legend)
    : points_(std::move(points)), legend_(OverlayLegendOf(legend)) {
  error_ = points_.size() < 3;
  if (!error_) spline_ = std::make_unique<TSpline>(points_.data(), Count());
}

TOverlayData::ReadResult TOverlayData::Read(const std::string& path,
                                            std::vector<CurvePoint>& points, std::string& legend) {
  points.clear();
  legend.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return ReadResult::OpenFailed;
  std::string line;
  bool first = true;
  while (points.size() < kMaxOverlayPoints && ReadLine(in, line)) {
    if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    first = false;
    if (!line.empty() && line[0] == ';') {
      legend = OverlayLegendOf(line.substr(1));
      continue;
    }
    size_t pos = 0;
    float hz = 0.f, value = 0.f;
    if (!views::ScanFloat(line, &pos, &hz) || !views::ScanFloat(line, &pos, &value)) break;
    if (!std::isfinite(hz) || !std::isfinite(value)) break;
    points.push_back({hz, value});
  }
  if (points.size() < 3) return ReadResult::TooFew;
  for (size_t i = 0; i < points.size(); ++i) {
    if (points[i].frequency < 0.f || (i > 0 && points[i].frequency < points[i - 1].frequency)) {
      return ReadResult::NotAscending;
    }
  }
  return ReadResult::Ok;
}

std::unique_ptr<TOverlayData> TOverlayData::Load(const std::string& path) {
  std::vector<CurvePoint> points;
  std::string legend;
  switch (Read(path, points, legend)) {
    case ReadResult::Ok:
      break;
    case ReadResult::OpenFailed:
      ReportError(Format(viewtext::kOverlayOpenFailure, path.c_str()));
      return nullptr;
    case ReadResult::TooFew:
      ReportError(Format(viewtext::kOverlayTooFew, path.c_str()));
      return nullptr;
    case ReadResult::NotAscending:
      ReportError(Format(viewtext::kOverlayNotAscending, path.c_str()));
      return nullptr;
  }
  auto overlay = std::make_unique<TOverlayData>(std::move(points), legend);
  if (overlay->Error()) return nullptr;
  return overlay;
}

bool TOverlayData::Write(const std::string& path) const {
  // Written beside the target and renamed over it, so a failure never leaves half a file
  // where a good overlay was.
  const std::string temporary = path + ".tmp";
  bool ok = false;
  if (std::FILE* file = std::fopen(temporary.c_str(), "wb")) {
    ok = std::fputs(CFormat(viewtext::kOverlayCommentLine, legend_.c_str()).c_str(), file) >= 0;
    for (size_t i = 0; ok && i < points_.size(); ++i) {
      const std::string line = CFormat(viewtext::kOverlayDataLine, double(points_[i].frequency),
                                       double(points_[i].value));
      ok = std::fputs(line.c_str(), file) >= 0;
    }
    ok = std::fflush(file) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
  }
  std::error_code error;
  if (ok) {
    std::filesystem::rename(temporary, path, error);
    ok = !error;
  }
  if (!ok) {
    std::filesystem::remove(temporary, error);
    ReportError(Format(viewtext::kOverlayWriteFailure, path.c_str()));
  }
  return ok;
}

float TOverlayData::ValueAt(float hz) const {
  if (points_.empty()) return 0.f;
  if (!(hz > points_.front().frequency)) return points_.front().value;
  if (hz >= points_.back().frequency) return points_.back().value;
  return spline_ ? spline_->Evaluate(hz) : points_.front().value;
}

}  // namespace orvanix
