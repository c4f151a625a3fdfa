// The window on a high-density screen (this program runs at QT_SCALE_FACTOR 2): the spectrum
// view paints at two device pixels per pixel, its traces keep a visible width, and its axis
// texts keep their places: the amplitude labels apart from the axis title and the plot, the
// frequency labels apart from the axis title under them, the pane title above its pane.
// Texts are found in the painted pixels, so a margin or a metric taken at the wrong scale
// shows as texts that run together.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <functional>
#include <vector>

#include "app/core/Commands.h"
#include "app/gui/SpectrumWindow.h"
#include "app/gui/ViewWindows.h"
#include "tests/gui/GuiTestHelpers.h"
#include "views/OrvanePlot.h"

namespace orvanix::test {
namespace {

// Before the test environment makes the application.
[[maybe_unused]] const bool kScaled = qputenv("QT_SCALE_FACTOR", "2");

// The plot's texts on its default black background are light grey; its frame (the same grey
// at 60 % over black), grid (green) and trace (yellow) are not.
bool IsText(QRgb p) {
  const int low = std::min({qRed(p), qGreen(p), qBlue(p)});
  const int high = std::max({qRed(p), qGreen(p), qBlue(p)});
  return low >= 160 && high - low <= 30;
}

// Runs of indices in [first, last) where `has` holds, joined across gaps shorter than
// `join`: one run per text block.
std::vector<std::pair<int, int>> Runs(int first, int last, int join,
                                      const std::function<bool(int)>& has) {
  std::vector<std::pair<int, int>> runs;
  for (int i = first; i < last; ++i) {
    if (!has(i)) continue;
    if (!runs.empty() && i - runs.back().second <= join) {
      runs.back().second = i;
    } else {
      runs.emplace_back(i, i);
    }
  }
  return runs;
}

bool ColumnHasText(const QImage& image, int x, int y0, int y1) {
  for (int y = std::max(0, y0); y < std::min(image.height(), y1); ++y) {
    if (IsText(image.pixel(x, y))) return true;
  }
  return false;
}

bool RowHasText(const QImage& image, int y, int x0, int x1) {
  for (int x = std::max(0, x0); x < std::min(image.width(), x1); ++x) {
    if (IsText(image.pixel(x, y))) return true;
  }
  return false;
}

class HighDpiTest : public GuiFixture {
 protected:
  TOrvanePlot* Plot() {
    TSpectrumWindow* window = frame_->Windows().Spectrum();
    return window ? window->Plot() : nullptr;
  }
};

TEST(HighDpiPen, TracesAreOneScreenPixelOfTheWindowsScaleWide) {
  for (const auto& [ratio, widthPixels] :
       std::vector<std::pair<double, double>>{{1.0, 1.0}, {1.5, 2.0}, {2.0, 2.0}, {3.0, 3.0}}) {
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    const QPen pen = TOrvanePlot::TracePen(painter, Qt::yellow);
    EXPECT_TRUE(pen.isCosmetic()) << ratio;
    EXPECT_DOUBLE_EQ(pen.widthF(), widthPixels) << "at pixel ratio " << ratio;
  }
}

TEST_F(HighDpiTest, SpectrumAxisTextsKeepTheirPlacesAtPixelRatioTwo) {
  const std::string path = Path("tones.wav");
  WriteToneWave(path, 44100, 2, 44100, {{1000.0, 0.5, 0}, {440.0, 0.3, 1}, {3000.0, 0.1, 1}});
  MakeFrame();
  frame_->StartUp(path);
  ASSERT_TRUE(core_->HasDocument());
  frame_->resize(1000, 700);
  ASSERT_TRUE(frame_->RunCommand(kCmdRun));
  ASSERT_TRUE(core_->WaitUntilStopped(30000));
  TOrvanePlot* plot = Plot();
  ASSERT_NE(plot, nullptr);
  QApplication::processEvents();
  ASSERT_DOUBLE_EQ(plot->devicePixelRatioF(), 2.0);

  const QImage image = plot->grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(image.width(), 2 * plot->width());
  const int s = 2;  // device pixels per pixel
  const QRect top = plot->PaneRect(plot->rect(), 0);
  const QRect lowest = plot->PaneRect(plot->rect(), 1);
  ASSERT_TRUE(top.isValid() && lowest.isValid());

  // Left of the upper pane: the rotated axis title, then the amplitude labels, each a block
  // of its own, the labels clear of the pane's frame.
  const auto left = Runs(0, top.left() * s, 3 * s, [&](int x) {
    return ColumnHasText(image, x, top.top() * s, (top.bottom() + 1) * s);
  });
  ASSERT_EQ(left.size(), 2u) << "axis title and amplitude labels run together or are missing";
  EXPECT_GE(left[1].first - left[0].second, 3 * s);
  EXPECT_LT(left[1].second, (top.left() - 2) * s);
  EXPECT_GT(left[0].first, 0) << "the axis title is cut at the view's edge";

  // Under the lowest pane: the frequency labels, then the axis title, apart, and both
  // inside the view.
  const auto below = Runs((lowest.bottom() + 2) * s, image.height(), 2 * s, [&](int y) {
    return RowHasText(image, y, lowest.left() * s, (lowest.right() + 1) * s);
  });
  ASSERT_EQ(below.size(), 2u) << "frequency labels and axis title run together or are missing";
  EXPECT_GE(below[1].first - below[0].second, 2 * s);
  EXPECT_LT(below[1].second, image.height() - 1) << "the axis title is cut at the bottom";

  // The frequency labels side by side: each one a block apart from the next.
  const auto labels = Runs(0, image.width(), 4 * s, [&](int x) {
    return ColumnHasText(image, x, below[0].first, below[0].second + 1);
  });
  EXPECT_GE(labels.size(), 5u);
  EXPECT_LT(labels.back().second, image.width() - 1) << "the last label is cut at the edge";

  // Above the upper pane: its title, ending before the pane's frame.
  const auto above = Runs(0, top.top() * s, 2 * s, [&](int y) {
    return RowHasText(image, y, top.left() * s, (top.right() + 1) * s);
  });
  ASSERT_GE(above.size(), 1u);
  EXPECT_LT(above.back().second, (top.top() - 1) * s);
}

}  // namespace
}  // namespace orvanix::test
