#include "app/gui/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cstdio>

namespace orvanix {

namespace {

// The drawing in fractions of the icon's side, shared by the pixels and the SVG.
constexpr double kCornerRadius = 0.16;
// A noise floor with one tall and one small peak, in the spectrum view's yellow.
struct TPoint {
  double x, y;
};
constexpr double kFloor = 0.80;
constexpr TPoint kTrace[] = {{0.10, kFloor}, {0.30, kFloor - 0.04}, {0.40, kFloor},
                             {0.47, 0.16},   {0.54, kFloor},        {0.68, kFloor - 0.02},
                             {0.74, 0.52},   {0.80, kFloor},        {0.90, kFloor - 0.03}};
const QColor kBackground(20, 24, 32);
const QColor kTraceColor(255, 230, 0);

// Thin enough to keep the peaks apart at 256, never thinner than a pixel at 16.
double TraceWidth(double size) {
  return std::max(1.0, size / 14.0);
}

void Paint(QPainter& painter, double s) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kBackground);
  painter.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * kCornerRadius, s * kCornerRadius);
  QPainterPath trace;
  trace.moveTo(s * kTrace[0].x, s * kTrace[0].y);
  for (const TPoint& p : kTrace) trace.lineTo(s * p.x, s * p.y);
  painter.setPen(QPen(kTraceColor, TraceWidth(s), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(trace);
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

}  // namespace

QImage AppIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  Paint(painter, size);
  return image;
}

std::string AppIconSvg(int size) {
  const double s = size;
  const std::string side = std::to_string(size);
  std::string points;
  for (const TPoint& p : kTrace) {
    if (!points.empty()) points += ' ';
    points += Number(s * p.x) + ',' + Number(s * p.y);
  }
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + side + "\" height=\"" + side;
  svg += "\" viewBox=\"0 0 " + side + ' ' + side + "\">\n";
  svg += "  <rect x=\"0.5\" y=\"0.5\" width=\"" + Number(s - 1) + "\" height=\"" + Number(s - 1);
  svg += "\" rx=\"" + Number(s * kCornerRadius) + "\" fill=\"" + kBackground.name().toStdString();
  svg += "\"/>\n  <polyline points=\"" + points + "\" fill=\"none\" stroke=\"";
  svg += kTraceColor.name().toStdString() + "\" stroke-width=\"" + Number(TraceWidth(s));
  svg += "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n</svg>\n";
  return svg;
}

const QIcon& AppIcon() {
  static const QIcon icon = [] {
    QIcon made;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
      made.addPixmap(QPixmap::fromImage(AppIconImage(size)));
    }
    return made;
  }();
  return icon;
}

}  // namespace orvanix
