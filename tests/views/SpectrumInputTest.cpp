// Mouse and keyboard on the spectrum view: a drag zooms to the dragged range, a
// double-click zooms out, a click places the measurement cursor, a press on the cursor
// drags it, Esc removes it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cmath>
#include <vector>

#include "ViewTestHelpers.h"
#include "views/OrvanePlot.h"

namespace orvanix {
namespace {

class SpectrumInputTest : public ::testing::Test {
 protected:
  SpectrumInputTest()
      : source_(test::MakeProcessing(1, 4096, 0), test::MakeScaling(0)), plot_(&source_) {
    TSpectrumPlotOptions o;
    o.startFreqHz = 0.0f;
    o.stopFreqHz = 20000.0f;
    o.grabCursor = 0;
    plot_.SetOptions(o);
    plot_.resize(900, 500);
    pane_ = plot_.PaneRect(plot_.rect(), 0);
  }

  // The frequency and level at a point, worked out from the pane's corners.
  double HzAt(int x) const { return 20000.0 * (x - pane_.left()) / pane_.width(); }
  double DbAt(int y) const { return -100.0 * (y - pane_.top()) / pane_.height(); }
  int XOf(double hz) const { return int(std::lround(pane_.left() + pane_.width() * hz / 20000.0)); }

  void Mouse(QEvent::Type type, QPoint p, Qt::MouseButtons buttons = Qt::LeftButton) {
    QMouseEvent event(type, QPointF(p), QPointF(plot_.mapToGlobal(p)), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&plot_, &event);
  }
  void Click(QPoint p) {
    Mouse(QEvent::MouseButtonPress, p);
    Mouse(QEvent::MouseButtonRelease, p, Qt::NoButton);
  }
  void Drag(QPoint from, QPoint to) {
    Mouse(QEvent::MouseButtonPress, from);
    Mouse(QEvent::MouseMove, (from + to) / 2);
    Mouse(QEvent::MouseMove, to);
    Mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
  }

  test::TFakeSource source_;
  TOrvanePlot plot_;
  QRect pane_;
};

TEST_F(SpectrumInputTest, DragZoomsAndDoubleClickZoomsOut) {
  ASSERT_TRUE(source_.Ok());
  const int y = pane_.center().y();
  const QPoint from(XOf(5000.0), y), to(XOf(7500.0), y);
  Drag(to, from);  // right to left works as well
  ASSERT_TRUE(plot_.Zoomed());
  EXPECT_NEAR(plot_.StartHz(), HzAt(from.x()), 1e-6);
  EXPECT_NEAR(plot_.StopHz(), HzAt(to.x()), 1e-6);
  EXPECT_FALSE(plot_.CursorActive());  // a drag is not a click

  Mouse(QEvent::MouseButtonDblClick, from);
  EXPECT_FALSE(plot_.Zoomed());
  EXPECT_DOUBLE_EQ(plot_.StopHz(), 20000.0);

  // A drag shorter than a few pixels is a click.
  Drag(QPoint(from.x(), y), QPoint(from.x() + 2, y));
  EXPECT_FALSE(plot_.Zoomed());
  EXPECT_TRUE(plot_.CursorActive());
}

TEST_F(SpectrumInputTest, ClickPlacesAndDragMovesTheCursor) {
  ASSERT_TRUE(source_.Ok());
  const QPoint p(XOf(3000.0), pane_.top() + pane_.height() / 4);
  Click(p);
  ASSERT_TRUE(plot_.CursorActive());
  EXPECT_NEAR(plot_.CursorHz(), HzAt(p.x()), 1e-3);
  EXPECT_NEAR(plot_.CursorValue(), DbAt(p.y()), 1e-3);  // -25 dB: not pulled to the trace

  // A press on the cursor line grabs it; the drag moves it instead of zooming.
  const QPoint to(XOf(12000.0), pane_.top() + pane_.height() / 2);
  Drag(QPoint(p.x() + 2, p.y()), to);
  EXPECT_FALSE(plot_.Zoomed());
  EXPECT_NEAR(plot_.CursorHz(), HzAt(to.x()), 1e-3);
  EXPECT_NEAR(plot_.CursorValue(), -50.0, 0.5);

  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&plot_, &escape);
  EXPECT_FALSE(plot_.CursorActive());
}

TEST_F(SpectrumInputTest, OnlyAPlainClickTellsTheOwnerItsFrequency) {
  ASSERT_TRUE(source_.Ok());
  std::vector<double> told;
  QObject::connect(&plot_, &TOrvanePlot::ClickedAtFrequency,
                   [&](double hz) { told.push_back(hz); });
  const int y = pane_.center().y();
  const QPoint p(XOf(3000.0), y);
  Click(p);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_NEAR(told[0], HzAt(p.x()), 1e-3);
  EXPECT_EQ(told[0], plot_.CursorHz());

  // Moving the cursor chooses no frequency; a click on the cursor line does.
  const QPoint moved(XOf(9000.0), y);
  Drag(QPoint(p.x() + 1, y), moved);
  EXPECT_EQ(told.size(), 1u);
  Click(moved);
  ASSERT_EQ(told.size(), 2u);
  EXPECT_NEAR(told[1], HzAt(moved.x()), 1e-3);

  // Neither does a zoom, or a click outside the panes.
  Drag(QPoint(XOf(12000.0), y), QPoint(XOf(15000.0), y));
  ASSERT_TRUE(plot_.Zoomed());
  Click(QPoint(2, 2));
  EXPECT_EQ(told.size(), 2u);
}

TEST_F(SpectrumInputTest, ClicksOutsideThePanesDoNothing) {
  Click(QPoint(2, 2));
  EXPECT_FALSE(plot_.CursorActive());
  Drag(QPoint(2, pane_.center().y()), QPoint(5, pane_.center().y()));
  EXPECT_FALSE(plot_.Zoomed());
}

// The same on the default logarithmic axis (10 Hz ... 22 kHz; FFT 8192 so that the first
// bin lies below the start): positions map to frequencies by the logarithm.
class SpectrumInputLogTest : public ::testing::Test {
 protected:
  SpectrumInputLogTest()
      : logSource_(test::MakeProcessing(1, 8192, 0), test::MakeScaling(1)), logPlot_(&logSource_) {
    TSpectrumPlotOptions o;  // the defaults: 10 ... 22000 Hz
    o.grabCursor = 0;
    logPlot_.SetOptions(o);
    logPlot_.resize(900, 500);
    logPane_ = logPlot_.PaneRect(logPlot_.rect(), 0);
  }
  double LogHzAt(int x) const {
    return 10.0 * std::pow(2200.0, double(x - logPane_.left()) / logPane_.width());
  }
  int LogXOf(double hz) const {
    return int(
        std::lround(logPane_.left() + logPane_.width() * std::log(hz / 10.0) / std::log(2200.0)));
  }
  void LogMouse(QEvent::Type type, QPoint p, Qt::MouseButtons buttons = Qt::LeftButton) {
    QMouseEvent event(type, QPointF(p), QPointF(logPlot_.mapToGlobal(p)), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&logPlot_, &event);
  }

  test::TFakeSource logSource_;
  TOrvanePlot logPlot_;
  QRect logPane_;
};

TEST_F(SpectrumInputLogTest, ClickPlacesTheCursorAtTheLogarithmicFrequency) {
  ASSERT_TRUE(logSource_.Ok());
  ASSERT_EQ(logPlot_.StartHz(), 10.0);
  for (double hz : {31.5, 1000.0, 16000.0}) {
    const QPoint p(LogXOf(hz), logPane_.center().y());
    LogMouse(QEvent::MouseButtonPress, p);
    LogMouse(QEvent::MouseButtonRelease, p, Qt::NoButton);
    ASSERT_TRUE(logPlot_.CursorActive());
    EXPECT_NEAR(logPlot_.CursorHz(), LogHzAt(p.x()), 1e-6 * hz) << hz;
    // One pixel is under 1 % of the frequency on this axis.
    EXPECT_NEAR(logPlot_.CursorHz(), hz, 0.01 * hz);
  }
}

TEST_F(SpectrumInputLogTest, DragZoomsToTheLogarithmicRange) {
  ASSERT_TRUE(logSource_.Ok());
  const int y = logPane_.center().y();
  const QPoint from(LogXOf(500.0), y), to(LogXOf(2000.0), y);
  LogMouse(QEvent::MouseButtonPress, from);
  LogMouse(QEvent::MouseMove, QPoint((from.x() + to.x()) / 2, y));
  LogMouse(QEvent::MouseMove, to);
  LogMouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
  ASSERT_TRUE(logPlot_.Zoomed());
  EXPECT_NEAR(logPlot_.StartHz(), LogHzAt(from.x()), 1e-6 * 500.0);
  EXPECT_NEAR(logPlot_.StopHz(), LogHzAt(to.x()), 1e-6 * 2000.0);
  EXPECT_NEAR(logPlot_.StartHz(), 500.0, 5.0);
  EXPECT_NEAR(logPlot_.StopHz(), 2000.0, 20.0);
}

}  // namespace
}  // namespace orvanix
