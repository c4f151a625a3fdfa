#include "views/Backdrop.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <cmath>

namespace orvanix::views {

bool TBackdrop::Step::operator==(const Step& other) const {
  return kind == other.kind && rect == other.rect && line == other.line && pen == other.pen &&
         flags == other.flags && text == other.text && font == other.font &&
         transform == other.transform;
}

void TBackdrop::Begin(const QRect& area, const QColor& background) {
  area_ = area;
  steps_.clear();
  Fill(area, background);
}

void TBackdrop::Fill(const QRect& rect, const QColor& color) {
  Step s;
  s.kind = Kind::Fill;
  s.rect = rect;
  s.pen = QPen(color);
  steps_.push_back(std::move(s));
}

void TBackdrop::Line(const QLineF& line, const QPen& pen) {
  Step s;
  s.kind = Kind::Line;
  s.line = line;
  s.pen = pen;
  steps_.push_back(std::move(s));
}

void TBackdrop::Frame(const QRectF& outline, const QPen& pen) {
  Step s;
  s.kind = Kind::Frame;
  s.rect = outline;
  s.pen = pen;
  steps_.push_back(std::move(s));
}

void TBackdrop::Text(const QRectF& box, int flags, const QString& text, const QColor& color,
                     const QFont& font, const QTransform& transform) {
  Step s;
  s.kind = Kind::Text;
  s.rect = box;
  s.flags = flags;
  s.text = text;
  s.pen = QPen(color);
  s.font = font;
  s.transform = transform;
  steps_.push_back(std::move(s));
}

bool TBackdrop::PixelExact(const QPainter& painter, double& ratio) {
  const QPaintEngine* engine = painter.paintEngine();
  const QPaintDevice* device = painter.device();
  if (!engine || !device || engine->type() != QPaintEngine::Raster) return false;
  if (!painter.worldTransform().isIdentity() || painter.opacity() != 1.0 ||
      painter.compositionMode() != QPainter::CompositionMode_SourceOver) {
    return false;
  }
  ratio = device->devicePixelRatioF();
  if (ratio < 1.0 || ratio != std::floor(ratio)) return false;
  // Only the device's own scale and a shift by whole device pixels (a child widget's place
  // in its window) between the painter's coordinates and the pixels.
  const QTransform t = painter.deviceTransform();
  return t.type() <= QTransform::TxScale && t.m11() == ratio && t.m22() == ratio &&
         t.dx() == std::floor(t.dx()) && t.dy() == std::floor(t.dy());
}

void TBackdrop::Paint(QPainter& painter) {
  double ratio = 1.0;
  if (area_.isEmpty() || !PixelExact(painter, ratio)) {
    Draw(painter, painter.worldTransform());
    return;
  }
  const QSize pixels = area_.size() * ratio;
  // The picture takes the target's pixel format where the target is an image, so text is
  // smoothed as it would be when drawn straight onto it.
  const QPaintDevice* target = painter.paintEngine()->paintDevice();
  const QImage::Format format = target && target->devType() == QInternal::Image
                                    ? static_cast<const QImage*>(target)->format()
                                    : QImage::Format_ARGB32_Premultiplied;
  const bool same = imageValid_ && image_.size() == pixels && image_.format() == format &&
                    image_.devicePixelRatio() == ratio && imageArea_ == area_ &&
                    imageSteps_ == steps_;
  if (!same) {
    image_ = QImage(pixels, format);
    imageValid_ = !image_.isNull();
    if (!imageValid_) {  // no memory for the picture: draw the steps instead
      Draw(painter, painter.worldTransform());
      return;
    }
    image_.setDevicePixelRatio(ratio);
    image_.fill(Qt::transparent);
    {
      QPainter p(&image_);
      p.setRenderHints(painter.renderHints());
      Draw(p, QTransform::fromTranslate(-area_.left(), -area_.top()));
    }
    imageArea_ = area_;
    imageSteps_ = steps_;
    ++renders_;
  }
  // An opaque picture replaces what lies under it: copied as it is, without blending.
  const bool opaque = !imageSteps_.empty() && imageSteps_.front().kind == Kind::Fill &&
                      imageSteps_.front().pen.color().alpha() == 255;
  if (opaque) painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(QPointF(area_.topLeft()), image_);
  if (opaque) painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TBackdrop::Draw(QPainter& painter, const QTransform& base) const {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBrush(Qt::NoBrush);
  for (const Step& s : steps_) {
    painter.setWorldTransform(s.transform * base);
    switch (s.kind) {
      case Kind::Fill:
        painter.fillRect(s.rect, s.pen.color());
        break;
      case Kind::Line:
        painter.setPen(s.pen);
        painter.drawLine(s.line);
        break;
      case Kind::Frame:
        painter.setPen(s.pen);
        painter.drawRect(s.rect);
        break;
      case Kind::Text:
        painter.setPen(s.pen.color());
        painter.setFont(s.font);
        painter.drawText(s.rect, s.flags, s.text);
        break;
    }
  }
  painter.restore();
}

}  // namespace orvanix::views
