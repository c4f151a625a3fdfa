#include "views/SurfaceImage.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "views/PixelMap.h"

namespace orvanix::views {

int TraceLevelHeight(float value, int t, const TSurfaceStyle& style) {
  double h;
  if (style.logAmplitude) {
    if (!(style.range > 0.0f)) return 0;
    h = t * (static_cast<double>(value) - style.top + style.range) / style.range;
  } else {
    const double top = style.top > 0.0f ? style.top : 1.0;
    h = t * static_cast<double>(value) / top;
  }
  if (!(h >= 0.0)) return 0;  // also NaN
  if (h >= t) return t;
  return static_cast<int>(h);
}

bool TSurfaceImage::Resize(const QSize& size, QRgb background) {
  image_ = QImage();
  vertices_.clear();
  if (size.width() <= 0 || size.height() <= 0 || size.width() > 3000 || size.height() > 3000) {
    return false;
  }
  image_ = QImage(size, QImage::Format_RGB32);
  if (image_.isNull()) return false;
  image_.fill(background);
  return true;
}

void TSurfaceImage::Clear(QRgb background) {
  if (Valid()) image_.fill(background);
  vertices_.clear();
}

void TSurfaceImage::Scroll(QRgb background) {
  const int w = image_.width();
  const int h = image_.height();
  const int s = std::min(kLineSpacing, h);
  uchar* bits = image_.bits();
  const qsizetype stride = image_.bytesPerLine();
  // Row y takes row y + s, moved one pixel right; the rows are visited top down so that each
  // source row is read before it is overwritten.
  for (int y = 0; y + s < h; ++y) {
    QRgb* dst = reinterpret_cast<QRgb*>(bits + stride * y);
    const QRgb* src = reinterpret_cast<const QRgb*>(bits + stride * (y + s));
    if (w > 1) std::memmove(dst + 1, src, sizeof(QRgb) * static_cast<size_t>(w - 1));
    dst[0] = background;
  }
  for (int y = std::max(0, h - s); y < h; ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(bits + stride * y);
    std::fill(row, row + w, background);
  }
}

void TSurfaceImage::AddTrace(const TPixelMap& map, const float* levels,
                             const TSurfaceStyle& style) {
  if (!Valid() || map.Pixels() != image_.width() || !levels) return;
  Scroll(style.background);
  const int t = TraceHeight();
  if (t <= 0) return;
  const int bottom = image_.height() - 1;
  const int w = map.Pixels();
  vertices_.clear();
  vertices_ << QPoint(0, bottom + 1);
  int previousHeight = -1;
  int lastVertexX = 0;
  for (int x = 0; x < w; ++x) {
    const bool changed = x == 0 || map.Index(x) != map.Index(x - 1);
    if (!changed && !style.gradient) continue;
    const int height = TraceLevelHeight(levels[x], t, style);
    if (style.octave) {
      // A step: the old height and the new one at the same x.
      if (previousHeight >= 0) vertices_ << QPoint(x, bottom - previousHeight - 1);
      vertices_ << QPoint(x, bottom - height - 1);
    } else {
      // Placed half way back to the previous vertex, at the previous computed pixel's height.
      const int shown = previousHeight >= 0 ? previousHeight : height;
      vertices_ << QPoint(x - (x - lastVertexX) / 2, bottom - shown - 1);
    }
    lastVertexX = x;
    previousHeight = height;
  }
  if (previousHeight >= 0 && !style.octave) {
    vertices_ << QPoint(w - 1, bottom - previousHeight - 1);
  }
  vertices_ << QPoint(w - 1, bottom + 1) << QPoint(0, bottom + 1);

  const QRgb outline =
      style.gradient
          ? (style.background == qRgb(255, 255, 255) ? qRgb(0, 0, 0) : qRgb(255, 255, 255))
          : style.line;
  {
    QPainter painter(&image_);
    painter.setPen(QPen(QColor::fromRgb(outline), 1));
    painter.setBrush(QColor::fromRgb(style.background));
    painter.drawPolygon(vertices_, Qt::WindingFill);
  }
  if (!style.gradient || !style.colors || style.colors->empty()) return;
  // Recolour the outline by height: walk each vertex's column down, then up, over the pixels
  // of the outline colour.
  const int n = static_cast<int>(style.colors->size());
  auto paint = [&](int x, int y) {
    const int c = std::clamp((bottom - y) * n / t, 0, n - 1);
    image_.setPixel(x, y, (*style.colors)[static_cast<size_t>(c)]);
  };
  for (const QPoint& v : vertices_) {
    const int x = v.x();
    if (x < 0 || x >= w) continue;
    for (int y = std::clamp(v.y(), 0, bottom); y <= bottom && image_.pixel(x, y) == outline; ++y) {
      paint(x, y);
    }
    for (int y = std::clamp(v.y(), 0, bottom) - 1; y >= 0 && image_.pixel(x, y) == outline; --y) {
      paint(x, y);
    }
  }
}

}  // namespace orvanix::views
