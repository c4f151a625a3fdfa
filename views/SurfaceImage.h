// TSurfaceImage: the memory image of one 3-D surface pane. Each new spectrum moves everything
// drawn so far one pixel right and three pixels up and is drawn in front, at the bottom, as
// a filled outline that hides the older traces behind it (painter's order).
#pragma once

#include <QImage>
#include <QPolygon>
#include <QRgb>
#include <cstdint>
#include <vector>

namespace orvanix::views {

class TPixelMap;

struct TSurfaceStyle {
  float top = 0.0f;     // PlotTop
  float range = 60.0f;  // PlotRange (dB)
  bool logAmplitude = true;
  bool octave = false;    // fractional-octave axis: bar outlines
  bool gradient = false;  // multicolour gradient, else solid
  QRgb background = qRgb(255, 255, 255);
  QRgb line = qRgb(0, 0, 255);
  const std::vector<QRgb>* colors = nullptr;  // the gradient's table
};

class TSurfaceImage {
 public:
  // Upward shift per new trace, pixels.
  static constexpr int kLineSpacing = 3;

  // A new, empty image of `size` (nothing for a side that is not positive or above 3000).
  bool Resize(const QSize& size, QRgb background);
  bool Valid() const { return !image_.isNull(); }
  QSize Size() const { return image_.size(); }
  void Clear(QRgb background);
  // Trace height: a third of the image height.
  int TraceHeight() const { return image_.height() / 3; }
  // Traces that stay at least partly visible.
  int TraceCapacity() const { return Valid() ? image_.height() / kLineSpacing + 1 : 0; }

  // Adds a trace: `levels` holds one level per pixel column (map.Pixels() == width).
  void AddTrace(const TPixelMap& map, const float* levels, const TSurfaceStyle& style);
  const QImage& Image() const { return image_; }
  // The vertices of the newest trace.
  const QPolygon& Vertices() const { return vertices_; }

 private:
  void Scroll(QRgb background);

  QImage image_;
  QPolygon vertices_;
};

// The height in pixels of a level in a trace of height t: on a dB axis
// truncate(t (v - top + range) / range), on a linear axis truncate(t v / top) (a top that is
// not positive taken as 1), limited to 0 ... t.
int TraceLevelHeight(float value, int t, const TSurfaceStyle& style);

}  // namespace orvanix::views
