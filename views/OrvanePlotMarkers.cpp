// Markers, the power readout and the measurement cursor of the spectrum view.
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "views/OrvanePlot.h"
#include "views/TextFormat.h"
#include "views/ViewTexts.h"

namespace orvanix {

using views::CFormat;

namespace {
// Marker arrow, in logical pixels: head half-width and height, stem length.
constexpr double kHeadHalfWidth = 3.0;
constexpr double kHeadHeight = 8.0;
constexpr double kStemLength = 20.0;

// Frequency an index of a spectrum stands for: the bin's, or the band's nominal centre.
double IndexFrequency(const TSpectralData& s, uint32_t index) {
  return s.FrequencyScale() == 2 ? double(s.BandCentre(index)) : double(s.BinFrequency(index));
}
// Where an index is drawn: the bin's frequency, or the band's geometric centre.
double IndexDrawFrequency(const TSpectralData& s, uint32_t index) {
  if (s.FrequencyScale() != 2) return s.BinFrequency(index);
  return std::sqrt(double(s.BandLower(index)) * double(s.BandUpper(index)));
}
}  // namespace

std::string TOrvanePlot::MarkerLabel(int labelType, double hz, double value, bool logAxis,
                                     const std::string& custom) {
  switch (labelType) {
    case kLabelFrequency:
      return CFormat(viewtext::kMarkerHz, hz);
    case kLabelAmplitude:
      return CFormat(logAxis ? viewtext::kMarkerDb : viewtext::kMarkerLinear, value);
    case kLabelFrequencyAmplitude:
      return CFormat(logAxis ? viewtext::kMarkerHzDb : viewtext::kMarkerHzLinear, hz, value);
    case kLabelCustom:
      return custom.substr(0, kMaxCustomLabel);
    default:
      return std::string();
  }
}

uint32_t TOrvanePlot::MarkerIndex(const TSpectralData& spectrum, float hz) {
  return spectrum.FrequencyScale() == 2 ? spectrum.BandOfFrequency(hz) : spectrum.FrequencyBin(hz);
}

std::string TOrvanePlot::PowerReadout(int pane) const {
  const TSpectralData* s = PaneSpectrum(pane);
  if (!s) return std::string();
  const TIndexRange r = VisibleRange(*s);
  if (!r.valid) return std::string();
  const bool log = s->AmplitudeScale() == 1;
  std::string text =
      CFormat(viewtext::kPowerReadout, double(s->BandPower(r.first, r.last, -1, log)));
  if (s->Calibrated()) {
    const std::string unit =
        log ? FieldText(s->Calibration().labelLog) : FieldText(s->Calibration().labelLinear);
    if (!unit.empty()) text += " " + unit;
  }
  return text;
}

void TOrvanePlot::PaintMarkers(QPainter& painter, const PaneGeometry& g, const Colors& colors) {
  const TSpectralData& s = *g.spectrum;
  const QFontMetrics fm(painter.font());
  const double height = g.rect.height();
  const double bottom = g.rect.top() + height;
  painter.setRenderHint(QPainter::Antialiasing, true);
  for (size_t m = 0; m < kMarkerCount; ++m) {
    if (!markers_.enable[m]) continue;
    const float markerHz = markers_.freqHz[m];
    const uint32_t index = MarkerIndex(s, markerHz);
    const double x = g.freq.X(IndexDrawFrequency(s, index));
    if (x < g.rect.left() || x > g.rect.right() + 1) continue;
    const double value = s.Value(index);
    double h = height * g.amp.Fraction(value);
    if (!(h >= 1.0)) h = 1.0;
    if (h > height) h = height;
    const double tip = bottom - h;
    QPainterPath head;
    head.moveTo(x, tip);
    head.lineTo(x - kHeadHalfWidth, tip - kHeadHeight);
    head.lineTo(x + kHeadHalfWidth, tip - kHeadHeight);
    head.closeSubpath();
    painter.setPen(QPen(colors.marker, 1.0));
    painter.setBrush(colors.marker);
    painter.drawPath(head);
    painter.drawLine(QPointF(x, tip - kHeadHeight), QPointF(x, tip - kHeadHeight - kStemLength));

    const std::string label = MarkerLabel(markers_.labelType[m], markerHz, value,
                                          g.amp.Logarithmic(), markers_.customLabel[m]);
    if (label.empty()) continue;
    const QString text = QString::fromStdString(label);
    const double w = fm.horizontalAdvance(text);
    const double left = std::clamp(x - w / 2.0, double(g.rect.left()) + 2.0,
                                   std::max(double(g.rect.left()) + 2.0, g.rect.right() - w - 2.0));
    // Above the stem; a marker near the top keeps its label inside the pane.
    const double top =
        std::max(double(g.rect.top()) + 2.0, tip - kHeadHeight - kStemLength - fm.height() - 1.0);
    painter.drawText(QRectF(left, top, w + 1.0, fm.height()), Qt::AlignLeft | Qt::AlignTop, text);
  }
}

void TOrvanePlot::SetMeasurementCursor(double hz, double value) {
  if (!std::isfinite(hz)) return;
  cursorActive_ = true;
  cursorHz_ = hz;
  cursorValue_ = std::isfinite(value) ? value : 0.0;
  update();
}

void TOrvanePlot::ClearMeasurementCursor() {
  if (!cursorActive_) return;
  cursorActive_ = false;
  draggingCursor_ = false;
  update();
}

double TOrvanePlot::CursorHz() const {
  if (!cursorActive_) return 0.0;
  const TSpectralData* s = PaneSpectrum(cursorPane_);
  if (options_.grabCursor && s) return IndexFrequency(*s, MarkerIndex(*s, float(cursorHz_)));
  return cursorHz_;
}

double TOrvanePlot::CursorValue() const {
  if (!cursorActive_) return 0.0;
  const TSpectralData* s = PaneSpectrum(cursorPane_);
  if (options_.grabCursor && s) return s->Value(MarkerIndex(*s, float(cursorHz_)));
  return cursorValue_;
}

std::string TOrvanePlot::CursorClipboardText() const {
  if (!cursorActive_) return std::string();
  return CFormat(viewtext::kCursorClipboard, CursorHz(), CursorValue());
}

void TOrvanePlot::PaintCursor(QPainter& painter, const PaneGeometry& g, const Colors& colors,
                              int pane) {
  if (!cursorActive_) return;
  const TSpectralData* s = g.spectrum;
  double drawHz = cursorHz_;
  if (options_.grabCursor && s && pane == cursorPane_) {
    drawHz = IndexDrawFrequency(*s, MarkerIndex(*s, float(cursorHz_)));
  }
  const double x = std::round(g.freq.X(drawHz)) + 0.5;
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(colors.text, 1.0, Qt::DashLine));
  painter.drawLine(QPointF(x, g.rect.top()), QPointF(x, g.rect.bottom()));
  if (pane != cursorPane_) return;

  const double value = CursorValue();
  const double y = g.amp.Y(value);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(colors.text, 1.5));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(QPointF(x, y), 4.0, 4.0);
  painter.drawLine(QPointF(x - 10, y), QPointF(x - 5, y));
  painter.drawLine(QPointF(x + 5, y), QPointF(x + 10, y));

  // Readout box in the pane's top right corner.
  const QFontMetrics fm(painter.font());
  const std::string unit = g.amp.Logarithmic() ? " dB" : "";
  const QString text = QString::fromStdString(FormatValue(CursorHz(), 2, " Hz") + "   " +
                                              FormatValue(value, 2, unit));
  const int w = fm.horizontalAdvance(text) + 12;
  const QRect box(g.rect.right() - w - 4, g.rect.top() + 4, w, fm.height() + 6);
  QColor fill = colors.background;
  fill.setAlpha(210);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(box, fill);
  painter.setPen(QPen(colors.frame, 1.0));
  painter.drawRect(box);
  painter.setPen(colors.text);
  painter.drawText(box, Qt::AlignCenter, text);
}

}  // namespace orvanix
