// An image as PNG file bytes, for the "image/png" clipboard format.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>

namespace orvanix::views {

inline QByteArray PngBytes(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

}  // namespace orvanix::views
