// TSpectrogramImage: the memory image of one spectrogram pane. Each new spectrum becomes a
// line `thickness` pixels deep at the leading edge and the older lines move away from it.
//
// The image is a ring along the time axis: a new line is written over the oldest one and
// only the ring's start moves, so adding a line costs one line of pixels however large the
// image is (the history is never copied or repainted). Draw() and Compose() put the two
// parts of the ring in their places.
#pragma once

#include <QImage>
#include <QRect>
#include <cstddef>
#include <cstdint>
#include <vector>

class QPainter;

namespace orvanix::views {

// Scroll directions (the `Direction` option): where the newest line appears.
enum SpectrogramDirection : int32_t {
  kNewestRight = 0,   // frequency up the y axis, image moves left
  kNewestLeft = 1,    // frequency up, image moves right
  kNewestBottom = 2,  // frequency along x, image moves up
  kNewestTop = 3,     // frequency along x, image moves down
};

class TSpectrogramImage {
 public:
  // Largest image accepted: width at most 3000, height below 3000 pixels.
  static constexpr int kMaxWidth = 3000;
  static constexpr int kMaxHeight = 2999;

  // A new image of `size` in `direction` (an unknown direction is 0). The old picture is
  // kept, aligned at the leading edge and at the low-frequency edge. A size with a side
  // that is not positive, wider than 3000 or 3000 or more high is refused: no image (false).
  bool Resize(const QSize& size, int32_t direction, int thickness, QRgb fill);
  bool Valid() const { return !ring_.isNull(); }
  QSize Size() const { return size_; }
  int32_t Direction() const { return direction_; }
  bool FrequencyVertical() const { return direction_ == kNewestRight || direction_ == kNewestLeft; }
  // Pixels along the frequency axis (P) and along the time axis.
  int FrequencyPixels() const;
  int TimePixels() const;
  int Thickness() const { return thickness_; }
  // Lines that fit along the time axis.
  int LineCapacity() const;

  // Fills the whole image (Clear All Views) and forgets the line times.
  void Clear(QRgb fill);
  // Adds a line: `colors` holds FrequencyPixels() colours, low frequency first. `timeSecs`
  // is kept for the time axis.
  void AddLine(const QRgb* colors, double timeSecs);

  // Lines drawn since the last Clear (at most LineCapacity() are shown).
  int LineCount() const { return lines_; }
  // The time of the line that covers time-axis pixel p counted from the leading edge
  // (0 newest); false where no line has been drawn.
  bool TimeAtDepth(int depth, double& timeSecs) const;
  // Times of the newest and the oldest line shown; false without lines.
  bool TimeSpan(double& newestSecs, double& oldestSecs) const;

  // The picture as shown (newest line at the leading edge).
  QImage Compose() const;
  // Draws the picture into `target` (of Size()) without composing it first.
  void Draw(QPainter& painter, const QPoint& topLeft) const;
  // Colour of display pixel (x, y) (tests, readouts).
  QRgb Pixel(int x, int y) const;

 private:
  // Ring slot of the time-axis pixel `depth` behind the leading edge.
  int SlotOfDepth(int depth) const;
  bool NewestAtHighEnd() const { return direction_ == kNewestRight || direction_ == kNewestBottom; }

  QImage ring_;  // display orientation; the ring runs along the time axis
  QSize size_;
  int32_t direction_ = kNewestRight;
  int thickness_ = 2;
  int head_ = 0;  // ring slot of the newest time pixel
  int lines_ = 0;
  std::vector<double> slotTime_;  // per time slot, the time of its line
  std::vector<uint8_t> slotUsed_;
};

}  // namespace orvanix::views
