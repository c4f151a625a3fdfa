#include "utilities/ReverbPlotWindow.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>

#include "app/dialogs/DialogBase.h"
#include "files/Configuration.h"
#include "ui/ColorChooser.h"
#include "utilities/ReverbAnalysis.h"
#include "utilities/UtilitiesModule.h"

namespace orvanix {

namespace {

QString Text(const char* format, double value) {
  return QString::asprintf(format, value).trimmed();
}

// The label of a band under a bar or a tick: "%d" Hz, "%6.1fk" above 999 Hz, "Wide".
QString BarLabel(float hz) {
  if (hz == kReverbWideband) return "Wide";
  if (hz > 999.0f) return Text("%6.1fk", hz * 0.001);
  return QString::number(static_cast<int>(hz));
}

// The font of the labels under bars and ticks: two thirds of the axis font.
QFont SmallFont(QFont font) {
  font.setPixelSize(std::max(8, font.pixelSize() * 2 / 3));
  return font;
}

// Divisions of a time axis of `seconds`: one per second, but 10 over 1 s and 4 over 2 s.
int TimeDivisions(int seconds) {
  if (seconds <= 1) return 10;
  if (seconds == 2) return 4;
  return seconds;
}

}  // namespace

TReverbPlotWindow::TReverbPlotWindow(TAnalyzerCore& core, TUtilitiesModule& module, QWidget* parent)
    : TViewPlot(nullptr, parent), core_(core), module_(module) {
  setObjectName("ReverbPlot");
  setWindowTitle("Reverb Plot");
}

void TReverbPlotWindow::SetView(int view) {
  view_ = std::clamp(view, 0, 3);
  update();
}

void TReverbPlotWindow::SetMeasuring(bool measuring) {
  measuring_ = measuring;
  update();
}

std::string TReverbPlotWindow::BandEntry(uint32_t band) const {
  const TReverbData& d = module_.Reverb();
  if (!d.HasData() || band >= d.BandCount()) return {};
  const float hz = d.Frames()[0].frequency[band];
  if (hz == kReverbWideband) return "Wideband";
  return std::to_string(static_cast<int>(hz)) + " Hz";
}

std::string TReverbPlotWindow::Title() const {
  const TReverbOptions& o = core_.Settings().reverb;
  const TReverbData& d = module_.Reverb();
  if (view_ == kReverbViewTimes) {
    return "RT-" + std::to_string(10 * (std::clamp(o.displayedRtTime, 0, 5) + 1)) +
           " Reverberation Time versus Frequency";
  }
  if (view_ == kReverbViewDecay && d.HasData()) {
    const int band = std::clamp<int>(o.displayedDecayBand, 0, int(d.BandCount()) - 1);
    return BandEntry(static_cast<uint32_t>(band)) + " Reverberation Decay Plot";
  }
  if (view_ == kReverbViewSurface) return "Reverberation Decay Surface Plot";
  return {};
}

QRect TReverbPlotWindow::PlotArea(const QRect& area) {
  return area.adjusted(64, 34, -20, -52);
}

void TReverbPlotWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Paint(painter, rect());
}

void TReverbPlotWindow::Paint(QPainter& painter, const QRect& rect) {
  const TReverbOptions& o = core_.Settings().reverb;
  painter.fillRect(rect, ColorFromRef(o.backgroundColor));
  const QColor grid = ColorFromRef(o.gridColor);
  painter.setPen(grid);
  QFont font = LabelFont(rect);
  painter.setFont(font);
  const TReverbData& d = module_.Reverb();
  if (view_ == kReverbViewNone || !d.HasData() || measuring_) {
    painter.drawText(rect, Qt::AlignCenter, measuring_ ? kReverbInProgress : kReverbNoData);
    return;
  }
  const QRect plot = PlotArea(rect);
  if (plot.width() < 40 || plot.height() < 40) return;
  painter.drawText(QRect(rect.left(), rect.top() + 4, rect.width(), 24), Qt::AlignCenter,
                   Qs(Title()));
  painter.setRenderHint(QPainter::Antialiasing, false);
  if (view_ == kReverbViewTimes) PaintTimes(painter, plot);
  if (view_ == kReverbViewDecay) PaintDecay(painter, plot);
  if (view_ == kReverbViewSurface) PaintSurface(painter, plot);
}

// The time axis of the bar chart (vertical) or the decay plot (horizontal), with its grid.
void TReverbPlotWindow::PaintTimeAxis(QPainter& painter, const QRect& plot, double seconds,
                                      bool vertical) {
  const int divisions = TimeDivisions(static_cast<int>(seconds));
  for (int i = 0; i <= divisions; ++i) {
    const double value = seconds * i / divisions;
    if (vertical) {
      const int y =
          plot.bottom() - static_cast<int>(std::lround(plot.height() * double(i) / divisions));
      painter.drawLine(plot.left(), y, plot.right(), y);
      painter.drawText(QRect(plot.left() - 62, y - 8, 58, 16), Qt::AlignRight | Qt::AlignVCenter,
                       Text("%6.1f", value));
    } else {
      const int x =
          plot.left() + static_cast<int>(std::lround(plot.width() * double(i) / divisions));
      painter.drawLine(x, plot.top(), x, plot.bottom());
      painter.drawText(QRect(x - 30, plot.bottom() + 4, 60, 16), Qt::AlignCenter,
                       Text("%6.1f", value));
    }
  }
}

void TReverbPlotWindow::PaintTimes(QPainter& painter, const QRect& plot) {
  const TReverbOptions& o = core_.Settings().reverb;
  const TReverbData& d = module_.Reverb();
  const double seconds = std::max(1, o.displayedDecayTime);
  painter.drawRect(plot);
  PaintTimeAxis(painter, plot, seconds, true);
  painter.drawText(QRect(plot.left(), plot.bottom() + 34, plot.width(), 16), Qt::AlignCenter,
                   "Frequency (Hz)");
  painter.save();
  painter.translate(plot.left() - 50, plot.center().y());
  painter.rotate(-90);
  painter.drawText(QRect(-plot.height() / 2, -16, plot.height(), 16), Qt::AlignCenter,
                   "Reverberation Time (seconds)");
  painter.restore();
  const int bands = static_cast<int>(d.BandCount());
  const int width = std::max(1, plot.width() / bands - 2);
  const int rt = std::clamp(o.displayedRtTime, 0, 5);
  const QColor bar = ColorFromRef(o.barColor);
  painter.setFont(SmallFont(painter.font()));
  for (int b = 0; b < bands; ++b) {
    const double t = d.DecayTimes()[b].seconds[rt];
    int height = t < 0 ? 1 : static_cast<int>(plot.height() * t / seconds);
    height = std::clamp(height, 1, plot.height());
    const int x = plot.left() + 1 + b * (width + 2);
    painter.fillRect(QRect(x, plot.bottom() - height + 1, width, height), bar);
    const int row = (b % 2) * 14;
    painter.drawText(QRect(x - 10, plot.bottom() + 4 + row, width + 20, 14), Qt::AlignCenter,
                     BarLabel(d.Frames()[0].frequency[b]));
  }
}

void TReverbPlotWindow::PaintDecay(QPainter& painter, const QRect& plot) {
  const TReverbOptions& o = core_.Settings().reverb;
  const TReverbData& d = module_.Reverb();
  const double seconds = std::max(1, o.displayedDecayTime);
  painter.drawRect(plot);
  PaintTimeAxis(painter, plot, seconds, false);
  // +20 dB at the top, 80 dB down, a line every 10 dB.
  for (int i = 0; i <= 8; ++i) {
    const int y = plot.top() + static_cast<int>(std::lround(plot.height() * i / 8.0));
    painter.drawLine(plot.left(), y, plot.right(), y);
    painter.drawText(QRect(plot.left() - 62, y - 8, 58, 16), Qt::AlignRight | Qt::AlignVCenter,
                     Text("%6.1f", 20.0 - 10.0 * i));
  }
  painter.drawText(QRect(plot.left(), plot.bottom() + 24, plot.width(), 16), Qt::AlignCenter,
                   "Time (seconds)");
  painter.save();
  painter.translate(plot.left() - 50, plot.center().y());
  painter.rotate(-90);
  painter.drawText(QRect(-plot.height() / 2, -16, plot.height(), 16), Qt::AlignCenter,
                   "Amplitude (dB)");
  painter.restore();
  const int band = std::clamp<int>(o.displayedDecayBand, 0, int(d.BandCount()) - 1);
  const double perPixel = seconds / plot.width();
  QPolygon curve;
  for (int column = 0; column <= plot.width(); ++column) {
    const auto frame = static_cast<uint32_t>(column * perPixel / d.FrameStep());
    if (frame >= d.FrameCount()) break;
    const double db = d.Frames()[frame].smoothed[band];
    const double y = plot.top() + (20.0 - db) * plot.height() / 80.0;
    curve << QPoint(plot.left() + column,
                    static_cast<int>(std::clamp(y, double(plot.top()), double(plot.bottom()))));
  }
  painter.setPen(QPen(ColorFromRef(o.decayColor), 1));
  painter.drawPolyline(curve);
}

void TReverbPlotWindow::PaintSurface(QPainter& painter, const QRect& plot) {
  const TReverbOptions& o = core_.Settings().reverb;
  const TReverbData& d = module_.Reverb();
  const int bands = static_cast<int>(d.BandCount()) - 1;  // the wideband entry left out
  if (bands < 2) return;
  const int height = plot.height(), c = height / 2;
  const int depth = static_cast<int>((height - c) * 0.5);
  const double step = double(plot.width() - 48 - depth) / (bands - 1);
  const double perDepth = std::max(1, o.displayedDecayTime) / double(std::max(1, depth));
  const QPen outline(ColorFromRef(o.surfaceColor));
  const QBrush fill(ColorFromRef(o.backgroundColor));
  for (int k = 0; k < depth; ++k) {
    const auto frame = static_cast<uint32_t>(std::lround(k * perDepth / d.FrameStep()));
    if (frame >= d.FrameCount()) break;
    const int x0 = plot.left() + depth - k, y0 = plot.top() + c + 2 * k;
    QPolygon slice;
    slice << QPoint(x0, y0);
    for (int b = 0; b < bands; ++b) {
      const double raise =
          std::clamp((d.Frames()[frame].smoothed[b] - 20.0 + 80.0) * c / 80.0, 0.0, double(c));
      slice << QPoint(x0 + static_cast<int>(step * b), y0 - static_cast<int>(raise));
    }
    slice << QPoint(x0 + static_cast<int>(step * (bands - 1)), y0);
    painter.setPen(outline);
    painter.setBrush(fill);
    painter.drawPolygon(slice);
  }
  // Frequencies under the front slice, the dB axis at its left end, the time along the slant.
  painter.setPen(ColorFromRef(o.gridColor));
  painter.setBrush(Qt::NoBrush);
  painter.setFont(SmallFont(painter.font()));
  const int frontX = plot.left() + 1, frontY = plot.top() + c + 2 * (depth - 1);
  const int every = std::max(1, static_cast<int>(std::ceil(40.0 / std::max(1.0, step))));
  for (int b = 0; b < bands; b += every) {
    const int x = frontX + static_cast<int>(step * b);
    painter.drawLine(x, frontY, x, frontY + 3);
    painter.drawText(QRect(x - 24, frontY + 4, 48, 14), Qt::AlignCenter,
                     BarLabel(d.Frames()[0].frequency[b]));
  }
  painter.drawText(QRect(plot.left(), frontY + 22, plot.width() - depth, 16), Qt::AlignCenter,
                   "Frequency (Hz)");
  for (int i = 0; i <= 8; ++i) {
    const int y = frontY - static_cast<int>(std::lround(c * i / 8.0));
    painter.drawLine(frontX - 3, y, frontX, y);
    painter.drawText(QRect(frontX - 60, y - 7, 54, 14), Qt::AlignRight | Qt::AlignVCenter,
                     Text("%6.0f", -60.0 + 10.0 * i));
  }
  const int rightX = frontX + static_cast<int>(step * (bands - 1));
  painter.drawLine(rightX, frontY, rightX + depth, frontY - 2 * depth);
  painter.save();
  painter.translate(rightX + depth / 2 + 8, frontY - depth);
  painter.rotate(-std::atan2(2.0, 1.0) * 180.0 / 3.14159265358979);
  painter.drawText(QRect(-60, -14, 120, 14), Qt::AlignCenter, "Time (seconds)");
  painter.restore();
}

int TReverbPlotWindow::BandAt(const QPoint& point) const {
  const TReverbData& d = module_.Reverb();
  if (!d.HasData() || measuring_) return -1;
  const QRect plot = PlotArea(rect());
  const int bands = static_cast<int>(d.BandCount());
  if (view_ == kReverbViewTimes) {
    if (!plot.adjusted(0, 0, 0, 32).contains(point)) return -1;
    const int width = std::max(1, plot.width() / bands - 2);
    const int band = (point.x() - plot.left() - 1) / (width + 2);
    return band >= 0 && band < bands ? band : -1;
  }
  if (view_ == kReverbViewSurface && bands > 2) {
    const int c = plot.height() / 2, depth = static_cast<int>((plot.height() - c) * 0.5);
    const int frontY = plot.top() + c + 2 * (depth - 1);
    const double step = double(plot.width() - 48 - depth) / (bands - 2);
    if (point.y() < frontY - 4 || point.y() > frontY + 20) return -1;
    const int band = static_cast<int>(std::lround((point.x() - plot.left() - 1) / step));
    return band >= 0 && band < bands - 1 ? band : -1;
  }
  return -1;
}

void TReverbPlotWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || measuring_) return;
  const int band = BandAt(event->position().toPoint());
  if (band >= 0) {
    if (bandClicked) bandClicked(band);
  } else if (!PlotArea(rect()).contains(event->position().toPoint())) {
    if (optionsRequested) optionsRequested();
  }
}

void TReverbPlotWindow::contextMenuEvent(QContextMenuEvent* event) {
  if (!PlotArea(rect()).contains(event->pos())) return;
  QMenu menu(this);
  menu.addAction("Copy as &Text", this, [this] { CopyAsText(); })
      ->setEnabled(module_.Reverb().HasData());
  menu.addAction("Copy As &Bitmap", this, [this] { CopyAsBitmap(); });
  menu.addSeparator();
  menu.addAction("&Properties", this, [this] {
    if (optionsRequested) optionsRequested();
  });
  menu.addAction("&Help", this, [this] {
    if (helpRequested) helpRequested();
  });
  menu.exec(event->globalPos());
}

void TReverbPlotWindow::CopyAsText() {
  const std::string text = module_.ReverbText(view_);
  if (!text.empty()) QGuiApplication::clipboard()->setText(Qs(text));
}

std::string TReverbPlotWindow::CsvText() const {
  std::string text = module_.ReverbText(view_);
  std::string csv;
  for (char ch : text) {
    if (ch == '\r') continue;
    csv += ch == '\t' ? ',' : ch;
  }
  // The 3-D rows end in a separator before the line break.
  for (size_t at = csv.find(",\n"); at != std::string::npos; at = csv.find(",\n", at)) {
    csv.erase(at, 1);
  }
  return csv;
}

TPrintJob TReverbPlotWindow::PrintJob() const {
  const TReverbOptions& o = core_.Settings().reverb;
  const char* extrapolation[3] = {"RT 10", "RT 20", "RT 30"};
  const char* smoothing[3] = {"None", "Averaging", "Schroeder"};
  TPrintJob job;
  // Nothing to print without data: the frame then greys Print.
  if (view_ == kReverbViewNone || measuring_ || !module_.Reverb().HasData()) return job;
  job.viewName = "Reverb Plot";
  job.title = Title();
  job.settingsLines = {
      std::string("Extrapolation Method: ") +
          extrapolation[std::clamp(o.extrapolationMethod, 0, 2)],
      std::string("Smoothing Method: ") + smoothing[std::clamp(o.smoothingMethod, 0, 2)]};
  return job;
}

}  // namespace orvanix
