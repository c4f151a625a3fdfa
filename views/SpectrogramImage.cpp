#include "views/SpectrogramImage.h"

#include <QPainter>
#include <algorithm>
#include <cstring>

namespace orvanix::views {

int TSpectrogramImage::FrequencyPixels() const {
  return FrequencyVertical() ? size_.height() : size_.width();
}

int TSpectrogramImage::TimePixels() const {
  return FrequencyVertical() ? size_.width() : size_.height();
}

int TSpectrogramImage::LineCapacity() const {
  return Valid() ? TimePixels() / thickness_ : 0;
}

int TSpectrogramImage::SlotOfDepth(int depth) const {
  const int t = TimePixels();
  const int s = NewestAtHighEnd() ? head_ - depth : head_ + depth;
  return ((s % t) + t) % t;
}

bool TSpectrogramImage::Resize(const QSize& size, int32_t direction, int thickness, QRgb fill) {
  if (direction < kNewestRight || direction > kNewestTop) direction = kNewestRight;
  if (thickness < 1) thickness = 1;
  const bool keep = Valid() && direction == direction_;
  const QImage old = keep ? Compose() : QImage();
  const QSize oldSize = size_;
  std::vector<double> oldTimes;
  if (keep) {
    const int depths = TimePixels();
    oldTimes.assign(static_cast<size_t>(depths), -1.0);
    for (int d = 0; d < depths; ++d) {
      const int s = SlotOfDepth(d);
      if (slotUsed_[static_cast<size_t>(s)])
        oldTimes[static_cast<size_t>(d)] = slotTime_[static_cast<size_t>(s)];
    }
  }

  ring_ = QImage();
  size_ = QSize();
  slotTime_.clear();
  slotUsed_.clear();
  direction_ = direction;
  thickness_ = thickness;
  if (size.width() <= 0 || size.height() <= 0 || size.width() > kMaxWidth ||
      size.height() > kMaxHeight) {
    lines_ = 0;
    return false;
  }
  ring_ = QImage(size, QImage::Format_RGB32);
  if (ring_.isNull()) return false;  // out of memory: no image, nothing drawn
  size_ = size;
  const int lines = lines_;
  Clear(fill);
  if (!keep) return true;

  // Copy the old picture, its leading edge and low-frequency edge on the new ones. Right
  // after Clear the ring starts at slot 0, so display and ring coordinates agree.
  int dx = 0;
  int dy = 0;
  if (direction_ == kNewestRight) dx = size.width() - oldSize.width();
  if (FrequencyVertical() || direction_ == kNewestBottom) dy = size.height() - oldSize.height();
  {
    QPainter p(&ring_);
    p.drawImage(QPoint(dx, dy), old);
  }
  const int depths = std::min(TimePixels(), static_cast<int>(oldTimes.size()));
  for (int d = 0; d < depths; ++d) {
    if (oldTimes[static_cast<size_t>(d)] < 0.0) continue;
    const size_t s = static_cast<size_t>(SlotOfDepth(d));
    slotTime_[s] = oldTimes[static_cast<size_t>(d)];
    slotUsed_[s] = 1;
  }
  lines_ = std::min(lines, LineCapacity());
  return true;
}

void TSpectrogramImage::Clear(QRgb fill) {
  lines_ = 0;
  if (!Valid()) return;
  ring_.fill(fill);
  const int t = TimePixels();
  head_ = NewestAtHighEnd() ? t - 1 : 0;
  slotTime_.assign(static_cast<size_t>(t), 0.0);
  slotUsed_.assign(static_cast<size_t>(t), 0);
}

void TSpectrogramImage::AddLine(const QRgb* colors, double timeSecs) {
  if (!Valid() || !colors) return;
  const int t = TimePixels();
  const int p = FrequencyPixels();
  const int h = size_.height();
  uchar* bits = ring_.bits();
  const qsizetype stride = ring_.bytesPerLine();
  for (int j = 0; j < thickness_; ++j) {
    head_ = NewestAtHighEnd() ? (head_ + 1) % t : (head_ - 1 + t) % t;
    const int s = head_;
    if (FrequencyVertical()) {
      // Column s, low frequency at the bottom.
      for (int k = 0; k < p; ++k) {
        reinterpret_cast<QRgb*>(bits + stride * (h - 1 - k))[s] = colors[k];
      }
    } else {
      std::memcpy(bits + stride * s, colors, sizeof(QRgb) * static_cast<size_t>(p));
    }
    slotTime_[static_cast<size_t>(s)] = timeSecs;
    slotUsed_[static_cast<size_t>(s)] = 1;
  }
  ++lines_;
}

bool TSpectrogramImage::TimeAtDepth(int depth, double& timeSecs) const {
  if (!Valid() || depth < 0 || depth >= TimePixels()) return false;
  const size_t s = static_cast<size_t>(SlotOfDepth(depth));
  if (!slotUsed_[s]) return false;
  timeSecs = slotTime_[s];
  return true;
}

bool TSpectrogramImage::TimeSpan(double& newestSecs, double& oldestSecs) const {
  if (!TimeAtDepth(0, newestSecs)) return false;
  oldestSecs = newestSecs;
  const int used = std::min(TimePixels(), lines_ * thickness_);
  for (int d = used - 1; d > 0; --d) {
    if (TimeAtDepth(d, oldestSecs)) break;
  }
  return true;
}

QImage TSpectrogramImage::Compose() const {
  if (!Valid()) return QImage();
  QImage out(size_, QImage::Format_RGB32);
  QPainter p(&out);
  Draw(p, QPoint(0, 0));
  return out;
}

void TSpectrogramImage::Draw(QPainter& painter, const QPoint& topLeft) const {
  if (!Valid()) return;
  const int t = TimePixels();
  // Display position q shows slot (q + offset) mod t.
  const int offset = NewestAtHighEnd() ? (head_ + 1) % t : head_;
  const int first = t - offset;  // slots offset ... t - 1 go to positions 0 ... first - 1
  if (FrequencyVertical()) {
    const int h = size_.height();
    painter.drawImage(QRect(topLeft.x(), topLeft.y(), first, h), ring_, QRect(offset, 0, first, h));
    if (offset > 0) {
      painter.drawImage(QRect(topLeft.x() + first, topLeft.y(), offset, h), ring_,
                        QRect(0, 0, offset, h));
    }
  } else {
    const int w = size_.width();
    painter.drawImage(QRect(topLeft.x(), topLeft.y(), w, first), ring_, QRect(0, offset, w, first));
    if (offset > 0) {
      painter.drawImage(QRect(topLeft.x(), topLeft.y() + first, w, offset), ring_,
                        QRect(0, 0, w, offset));
    }
  }
}

QRgb TSpectrogramImage::Pixel(int x, int y) const {
  if (!Valid() || x < 0 || y < 0 || x >= size_.width() || y >= size_.height()) return 0;
  const int t = TimePixels();
  const int offset = NewestAtHighEnd() ? (head_ + 1) % t : head_;
  if (FrequencyVertical()) return ring_.pixel((x + offset) % t, y);
  return ring_.pixel(x, (y + offset) % t);
}

}  // namespace orvanix::views
