// TBackdrop: the still part of a plot (background, grid, axis labels and titles, pane
// frames), kept as a list of drawing steps and, on screens and images, as a picture of them.
//
// A view lists the steps anew at every paint, which costs only the arithmetic of the ticks
// and the label widths; when the list equals the one pictured last (same area, device pixel
// ratio and steps), Paint copies the picture instead of drawing dozens of texts and long
// grid lines again. The raster engine hands every long run of spans (a grid line from top
// to bottom of a pane) to its worker threads, so drawing them anew at every live repaint
// costs far more processor time than the copy.
//
// Steps are drawn without antialiasing, in the order they were listed, the text with the
// painter's text antialiasing.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLineF>
#include <QPen>
#include <QRect>
#include <QString>
#include <QTransform>
#include <vector>

class QPainter;

namespace orvanix::views {

class TBackdrop {
 public:
  // Starts a new list for `area`, which the first step fills with `background`.
  void Begin(const QRect& area, const QColor& background);
  void Fill(const QRect& rect, const QColor& color);
  void Line(const QLineF& line, const QPen& pen);
  // The outline of a rectangle.
  void Frame(const QRectF& outline, const QPen& pen);
  // Text in `box` with Qt alignment `flags`, under `transform` (for turned axis titles).
  void Text(const QRectF& box, int flags, const QString& text, const QColor& color,
            const QFont& font, const QTransform& transform = QTransform());

  // Draws the list onto `painter` (whose state it leaves as it found it): a copy of the
  // picture when the painter draws on pixels one to one (raster engine, whole device pixel
  // ratio, no transform of its own), pictured anew first when the list changed; every step
  // one by one on anything else (a printer, a PDF, a scaled painter).
  void Paint(QPainter& painter);

  // How many times the picture was drawn anew (for tests).
  int Renders() const { return renders_; }

 private:
  enum class Kind { Fill, Line, Frame, Text };
  struct Step {
    Kind kind = Kind::Fill;
    QRectF rect;  // Fill, Frame and Text
    QLineF line;
    QPen pen;  // Line; Fill, Frame and Text use its colour
    int flags = 0;
    QString text;
    QFont font;
    QTransform transform;
    bool operator==(const Step& other) const;
  };

  void Draw(QPainter& painter, const QTransform& base) const;
  static bool PixelExact(const QPainter& painter, double& ratio);

  QRect area_;
  std::vector<Step> steps_;
  // The picture and what it shows.
  QImage image_;
  QRect imageArea_;
  std::vector<Step> imageSteps_;
  bool imageValid_ = false;
  int renders_ = 0;
};

}  // namespace orvanix::views
