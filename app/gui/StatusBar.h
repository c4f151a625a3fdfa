// TStatusBar: the frame's status bar, 26 pixels high, drawn from the core's TStatusInfo.
// Left to right: the state field ("OVERLOAD!" white on red, "Stopped", "Waiting for
// Trigger..." in red, "Acquiring Data...", or the level meter), the mode, the format (rate,
// bits, mono or stereo), the FFT size, the smoothing window, a long operation's progress
// ("42 %") while one runs and, when the sound device lost input or playback ran dry during
// the run, the overrun and underrun counts, and the last file a disk recording was saved in
// when it reached its size limit.
//
// Level meter: segments 2 up to the channel's peak level (0 ... 10), 12 pixels wide with
// 2-pixel gaps, green up to segment 6 and yellow from 7, the segments above the level dark;
// one row for mono, two half-height rows (left above right) for stereo. Without overload
// detection there is no level: the field shows the run state ("Running..." and so on).
#pragma once

#include <QColor>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <vector>

#include "app/core/AnalyzerCore.h"

namespace orvanix {

class TStatusBar : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHeight = 26;
  static constexpr int kSegmentWidth = 12;
  static constexpr int kSegmentGap = 2;
  static constexpr int kFirstSegment = 2;
  static constexpr int kLastGreenSegment = 6;
  static constexpr int kMaxLevel = 10;

  explicit TStatusBar(QWidget* parent = nullptr);

  void SetInfo(const TStatusInfo& info);
  const TStatusInfo& Info() const { return info_; }

  // The texts of the fields in order, the state field first (empty while it shows the
  // level meter).
  QStringList FieldTexts() const;
  // The meter segments drawn for a peak level, left to right (segment 2 first).
  static std::vector<QColor> SegmentColors(int peakLevel);
  static const QColor& Green();
  static const QColor& Yellow();
  // A segment above the level: a dark green or dark yellow, as an unlit lamp.
  static QColor UnlitColor(int segment);
  // The state field's text colour and background.
  QColor StateTextColor() const;
  QColor StateBackground() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Field {
    QString text;
    int width;
  };
  std::vector<Field> Fields() const;
  void PaintMeter(QPainter& painter, const QRect& area) const;

  TStatusInfo info_;
};

}  // namespace orvanix
