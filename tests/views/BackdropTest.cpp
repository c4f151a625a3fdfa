// The still part of a plot: pictured once and copied while its steps stay the same,
// pictured anew when any step changes, placed pixel for pixel at every device pixel ratio,
// and drawn step by step where a copy would not land one to one (a scaled painter).
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "views/Backdrop.h"

namespace orvanix::views {
namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kBlue = qRgb(0, 0, 255);

// A blue area at (10, 10) with one red horizontal line `lineY` pixels below its top.
void List(TBackdrop& backdrop, int lineY) {
  const QRect area(10, 10, 60, 40);
  backdrop.Begin(area, QColor(kBlue));
  backdrop.Line(QLineF(10, 10 + lineY + 0.5, 69, 10 + lineY + 0.5), QPen(QColor(kRed), 1.0));
}

QImage Painted(TBackdrop& backdrop, int ratio, const QTransform& transform = QTransform()) {
  QImage image(QSize(100, 80) * ratio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(kWhite);
  QPainter painter(&image);
  painter.setWorldTransform(transform);
  backdrop.Paint(painter);
  return image;
}

TEST(Backdrop, PicturedOnceWhileTheStepsStayTheSame) {
  TBackdrop backdrop;
  List(backdrop, 5);
  Painted(backdrop, 1);
  List(backdrop, 5);
  const QImage image = Painted(backdrop, 1);
  EXPECT_EQ(backdrop.Renders(), 1);
  EXPECT_EQ(image.pixel(30, 15), kRed);
  EXPECT_EQ(image.pixel(30, 20), kBlue);

  // A moved line is a new picture: the old line is gone, the new one there.
  List(backdrop, 10);
  const QImage moved = Painted(backdrop, 1);
  EXPECT_EQ(backdrop.Renders(), 2);
  EXPECT_EQ(moved.pixel(30, 15), kBlue);
  EXPECT_EQ(moved.pixel(30, 20), kRed);
}

TEST(Backdrop, LandsPixelForPixelAtEveryRatio) {
  for (int ratio : {1, 2, 3}) {
    SCOPED_TRACE(ratio);
    TBackdrop backdrop;
    List(backdrop, 5);
    QPen hairline(QColor(kRed), 0.0);  // one device pixel at any ratio
    hairline.setCosmetic(true);
    backdrop.Line(QLineF(10, 35.25, 69, 35.25), hairline);
    const QImage image = Painted(backdrop, ratio);
    EXPECT_EQ(backdrop.Renders(), 1);
    const int row = int(35.25 * ratio);
    EXPECT_EQ(image.pixel(30 * ratio, row), kRed);
    EXPECT_EQ(image.pixel(30 * ratio, row - 1), kBlue);
    EXPECT_EQ(image.pixel(30 * ratio, row + 1), kBlue);
    // The area's corners in device pixels, and nothing outside it.
    EXPECT_EQ(image.pixel(10 * ratio, 10 * ratio), kBlue);
    EXPECT_EQ(image.pixel(70 * ratio - 1, 50 * ratio - 1), kBlue);
    EXPECT_EQ(image.pixel(10 * ratio - 1, 10 * ratio), kWhite);
    EXPECT_EQ(image.pixel(70 * ratio, 50 * ratio - 1), kWhite);
    EXPECT_EQ(image.pixel(10 * ratio, 50 * ratio), kWhite);
    // The line fills whole device rows of its logical row.
    EXPECT_EQ(image.pixel(30 * ratio, 15 * ratio), kRed);
    EXPECT_EQ(image.pixel(30 * ratio, 16 * ratio - 1), kRed);
    EXPECT_EQ(image.pixel(30 * ratio, 16 * ratio), kBlue);
  }
}

TEST(Backdrop, AScaledPainterGetsTheStepsThemselves) {
  TBackdrop backdrop;
  List(backdrop, 5);
  const QImage image = Painted(backdrop, 1, QTransform::fromScale(2.0, 2.0));
  EXPECT_EQ(backdrop.Renders(), 0);
  // Twice the size: the area from (20, 20) on, the line in rows 30 and 31.
  EXPECT_EQ(image.pixel(19, 25), kWhite);
  EXPECT_EQ(image.pixel(20, 25), kBlue);
  EXPECT_EQ(image.pixel(99, 79), kBlue);
  EXPECT_EQ(image.pixel(50, 30), kRed);
  EXPECT_EQ(image.pixel(50, 31), kRed);
  EXPECT_EQ(image.pixel(50, 32), kBlue);
}

}  // namespace
}  // namespace orvanix::views
