// Mappings between plot values and pane pixels, shared by every plot view. Pixel values are
// in the painter's logical coordinates (device-independent pixels on screen).
#pragma once

#include <algorithm>
#include <cmath>

namespace orvanix::views {

// Frequency (Hz) <-> x across a pane, linear or logarithmic. A logarithmic axis needs a
// positive start; Set() raises a start at or below 0 to `minLogHz`.
class TFrequencyScale {
 public:
  void Set(double startHz, double stopHz, bool logarithmic, double left, double width,
           double minLogHz = 1.0) {
    log_ = logarithmic;
    left_ = left;
    width_ = width > 1.0 ? width : 1.0;
    if (!std::isfinite(startHz)) startHz = 0.0;
    if (!std::isfinite(stopHz)) stopHz = startHz + 1.0;
    if (log_ && startHz < minLogHz) startHz = minLogHz > 0.0 ? minLogHz : 1.0;
    if (stopHz <= startHz) stopHz = log_ ? startHz * 10.0 : startHz + 1.0;
    start_ = startHz;
    stop_ = stopHz;
    if (log_) {
      logStart_ = std::log(start_);
      logSpan_ = std::log(stop_) - logStart_;
    }
  }

  bool Logarithmic() const { return log_; }
  double StartHz() const { return start_; }
  double StopHz() const { return stop_; }
  double Left() const { return left_; }
  double Width() const { return width_; }

  // x of a frequency; frequencies at or below 0 on a logarithmic axis map far left.
  double X(double hz) const {
    if (log_) {
      if (hz <= 0.0) return left_ - width_;
      return left_ + width_ * (std::log(hz) - logStart_) / logSpan_;
    }
    return left_ + width_ * (hz - start_) / (stop_ - start_);
  }
  // Frequency at x.
  double Frequency(double x) const {
    const double t = (x - left_) / width_;
    if (log_) return std::exp(logStart_ + t * logSpan_);
    return start_ + t * (stop_ - start_);
  }

 private:
  bool log_ = false;
  double start_ = 0.0;
  double stop_ = 1.0;
  double left_ = 0.0;
  double width_ = 1.0;
  double logStart_ = 0.0;
  double logSpan_ = 1.0;
};

// Amplitude <-> y in a pane. A logarithmic (dB) axis runs from `top` down to top - range;
// a linear axis from `top` down to 0 (a top of 0 or less is taken as 1).
class TAmplitudeScale {
 public:
  void Set(double top, double range, bool logarithmic, double paneTop, double height) {
    log_ = logarithmic;
    paneTop_ = paneTop;
    height_ = height > 1.0 ? height : 1.0;
    if (!std::isfinite(top)) top = log_ ? 0.0 : 1.0;
    if (!log_ && top <= 0.0) top = 1.0;
    if (!std::isfinite(range) || range <= 0.0) range = 100.0;
    top_ = top;
    range_ = log_ ? range : top;
  }

  bool Logarithmic() const { return log_; }
  double Top() const { return top_; }
  double Bottom() const { return top_ - range_; }
  double Range() const { return range_; }

  // Height above the pane bottom of a value, as a fraction 0 ... 1 (not limited).
  double Fraction(double value) const {
    return log_ ? (value - top_ + range_) / range_ : value / top_;
  }
  // y of a value, limited to the pane.
  double Y(double value) const {
    double f = Fraction(value);
    if (!(f >= 0.0)) f = 0.0;  // also NaN
    if (f > 1.0) f = 1.0;
    return paneTop_ + height_ * (1.0 - f);
  }
  // Value at y.
  double Value(double y) const {
    const double f = 1.0 - (y - paneTop_) / height_;
    return log_ ? top_ - range_ + f * range_ : f * top_;
  }

 private:
  bool log_ = true;
  double top_ = 0.0;
  double range_ = 100.0;
  double paneTop_ = 0.0;
  double height_ = 1.0;
};

}  // namespace orvanix::views
