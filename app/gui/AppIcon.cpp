#include "app/gui/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace orvanix {

namespace {

QPixmap Draw(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const double s = size;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(20, 24, 32));
  painter.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.16, s * 0.16);
  // A noise floor with one tall and one small peak, in the spectrum view's yellow.
  QPainterPath trace;
  const double floor = s * 0.80;
  trace.moveTo(s * 0.10, floor);
  trace.lineTo(s * 0.30, floor - s * 0.04);
  trace.lineTo(s * 0.40, floor);
  trace.lineTo(s * 0.47, s * 0.16);
  trace.lineTo(s * 0.54, floor);
  trace.lineTo(s * 0.68, floor - s * 0.02);
  trace.lineTo(s * 0.74, s * 0.52);
  trace.lineTo(s * 0.80, floor);
  trace.lineTo(s * 0.90, floor - s * 0.03);
  painter.setPen(QPen(QColor(255, 230, 0), std::max(1.0, s / 14.0), Qt::SolidLine, Qt::RoundCap,
                      Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(trace);
  return pixmap;
}

}  // namespace

const QIcon& AppIcon() {
  static const QIcon icon = [] {
    QIcon made;
    for (int size : {16, 24, 32, 48, 64, 128}) made.addPixmap(Draw(size));
    return made;
  }();
  return icon;
}

}  // namespace orvanix
