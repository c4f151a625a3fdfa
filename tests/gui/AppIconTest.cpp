// The program's icon as the installed PNGs and SVG carry it: every size drawn whole, and the
// SVG the same picture as the pixels.
#include "app/gui/AppIcon.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QXmlStreamReader>
#include <algorithm>
#include <limits>

namespace orvanix {
namespace {

bool IsTrace(const QColor& c) {
  return c.alpha() > 200 && c.red() > 200 && c.green() > 170 && c.blue() < 100;
}

TEST(AppIconTest, EverySizeIsDrawnWholeOnATransparentSquare) {
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QImage image = AppIconImage(size);
    ASSERT_EQ(image.size(), QSize(size, size)) << size;
    // Rounded corners leave the corner pixels clear.
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1), QPoint(size - 1, size - 1)}) {
      EXPECT_LT(image.pixelColor(corner).alpha(), 64) << size << " at " << corner.x();
    }
    // The dark plot fills the square: a point left of the peaks, above the floor.
    const QColor plot = image.pixelColor(size * 0.2, size * 0.5);
    EXPECT_EQ(plot.alpha(), 255) << size;
    EXPECT_LT(plot.lightness(), 40) << size;
    // The tall peak's line reaches up to near the top at every size.
    int top = size;
    for (int y = 0; y < size && top == size; ++y) {
      for (int x = 0; x < size; ++x) {
        if (IsTrace(image.pixelColor(x, y))) {
          top = y;
          break;
        }
      }
    }
    EXPECT_LT(top, size * 0.25) << size;
  }
}

TEST(AppIconTest, SvgDrawsThePeakWhereThePixelsHaveIt) {
  const int size = 256;
  QXmlStreamReader xml(QString::fromStdString(AppIconSvg(size)));
  double peakX = 0, peakY = std::numeric_limits<double>::max(), width = 0;
  bool sawSvg = false;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const auto a = xml.attributes();
    if (xml.name() == QStringLiteral("svg")) {
      sawSvg = true;
      EXPECT_EQ(a.value("viewBox").toString(), "0 0 256 256");
    } else if (xml.name() == QStringLiteral("polyline")) {
      width = a.value("stroke-width").toDouble();
      for (const QString& point : a.value("points").toString().split(' ')) {
        const QStringList xy = point.split(',');
        ASSERT_EQ(xy.size(), 2) << point.toStdString();
        if (xy[1].toDouble() < peakY) {
          peakY = xy[1].toDouble();
          peakX = xy[0].toDouble();
        }
      }
    }
  }
  ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  ASSERT_TRUE(sawSvg);
  ASSERT_GT(width, 0);
  // The raster's topmost trace pixel: the peak's round cap, half a line above its point.
  const QImage image = AppIconImage(size);
  QPoint top(-1, size);
  for (int y = 0; y < size && top.x() < 0; ++y) {
    for (int x = 0; x < size; ++x) {
      if (IsTrace(image.pixelColor(x, y))) {
        top = QPoint(x, y);
        break;
      }
    }
  }
  EXPECT_NEAR(top.y(), peakY - width / 2, 2.0);
  EXPECT_NEAR(top.x(), peakX, width / 2 + 1);
}

}  // namespace
}  // namespace orvanix
