// Overlays of the spectrum view: capture into .ovl files, loading and release, drawing and
// the legend.
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <filesystem>

#include "views/OrvanePlot.h"
#include "views/TextFormat.h"
#include "views/ViewTexts.h"

namespace orvanix {

namespace {
bool ValidSlot(int pane, int slot) {
  return (pane == 0 || pane == 1) && slot >= 1 && slot <= kOverlaySlots;
}
QColor OverlayColor(uint32_t c) {
  return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}
}  // namespace

std::string TOrvanePlot::OverlayPath(int pane, int slot) const {
  std::string path = overlayDirectory_.empty() ? std::string(".") : overlayDirectory_;
  if (path.back() != '/') path += '/';
  return path +
         views::CFormat(pane == 0 ? viewtext::kOverlayFileLeft : viewtext::kOverlayFileRight, slot);
}

const TOverlayData* TOrvanePlot::Overlay(int pane, int slot) const {
  if (!ValidSlot(pane, slot)) return nullptr;
  return overlays_[pane][slot - 1].get();
}

bool TOrvanePlot::CaptureOverlay(int pane, int slot) {
  if (!ValidSlot(pane, slot)) return false;
  const TSpectralData* s = PaneSpectrum(pane);
  if (!s) return false;
  std::vector<CurvePoint> points;
  if (s->FrequencyScale() == 2) {
    if (s->BandCount() == 0) return false;
    for (uint32_t i = s->FirstValidBand(); i <= s->LastBand(); ++i) {
      points.push_back({s->BandCentre(i), s->Value(i)});
    }
  } else {
    const uint32_t first = s->FrequencyBin(s->LowLimit());
    const uint32_t last = s->FrequencyBin(s->HighLimit());
    for (uint32_t i = first; i <= last && i < s->BinCount(); ++i) {
      points.push_back({s->BinFrequency(i), s->Value(i)});
    }
  }
  const TOverlayData overlay(std::move(points),
                             views::CFormat(viewtext::kOverlayCaptureLegend, slot));
  if (overlay.Error()) return false;
  std::error_code error;
  if (!overlayDirectory_.empty()) std::filesystem::create_directories(overlayDirectory_, error);
  if (!overlay.Write(OverlayPath(pane, slot))) return false;
  options_.show[pane][slot - 1] = 1;
  ReloadOverlays();
  update();
  emit OptionsChanged();
  return overlays_[pane][slot - 1] != nullptr;
}

bool TOrvanePlot::ToggleOverlay(int pane, int slot, bool on) {
  if (!ValidSlot(pane, slot)) return false;
  auto& held = overlays_[pane][slot - 1];
  int32_t& flag = options_.show[pane][slot - 1];
  const int32_t before = flag;
  held.reset();
  if (on) held = TOverlayData::Load(OverlayPath(pane, slot));
  // A file that cannot be used leaves the slot off, so it is not reported again.
  flag = held ? 1 : 0;
  update();
  if (flag != before) emit OptionsChanged();
  return held != nullptr;
}

void TOrvanePlot::ReloadOverlays() {
  bool changed = false;
  for (int pane = 0; pane < 2; ++pane) {
    for (int slot = 1; slot <= kOverlaySlots; ++slot) {
      auto& held = overlays_[pane][slot - 1];
      int32_t& flag = options_.show[pane][slot - 1];
      held.reset();
      if (!flag) continue;
      held = TOverlayData::Load(OverlayPath(pane, slot));
      if (!held) {
        flag = 0;
        changed = true;
      }
    }
  }
  update();
  if (changed) emit OptionsChanged();
}

void TOrvanePlot::PaintOverlays(QPainter& painter, const PaneGeometry& g, int pane) {
  if (pane < 0 || pane > 1) return;
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setBrush(Qt::NoBrush);
  for (int slot = 0; slot < kOverlaySlots; ++slot) {
    const TOverlayData* overlay = overlays_[pane][slot].get();
    if (!overlay) continue;
    // One point per pixel column: the spline at the column's frequency.
    polyline_.clear();
    for (int x = g.rect.left(); x <= g.rect.right(); ++x) {
      const double hz = g.freq.Frequency(x + 0.5);
      polyline_.append(QPointF(x + 0.5, g.amp.Y(overlay->ValueAt(float(hz)))));
    }
    painter.setPen(TracePen(painter, OverlayColor(options_.overlayColor[slot])));
    painter.drawPolyline(polyline_.constData(), int(polyline_.size()));
  }
}

void TOrvanePlot::PaintLegend(QPainter& painter, const QRect& area, const Colors& colors) {
  if (LegendWidth() <= 0) return;
  const QRect legend = LegendRect(area);
  const QFontMetrics fm(painter.font());
  for (int pane = 0; pane < PaneCount(); ++pane) {
    bool any = false;
    for (const auto& slot : overlays_[pane]) any = any || slot != nullptr;
    if (!any) continue;
    const QRect paneRect = PaneRect(area, pane);
    int y = paneRect.top() + 2;
    painter.setPen(colors.text);
    painter.drawText(QRect(legend.left(), y, legend.width(), fm.height()), Qt::AlignLeft,
                     QString::fromUtf8(viewtext::kOverlayLegendTitle));
    y += fm.height() + 4;
    for (int slot = 0; slot < kOverlaySlots; ++slot) {
      const TOverlayData* overlay = overlays_[pane][slot].get();
      if (!overlay) continue;
      const QColor color = OverlayColor(options_.overlayColor[slot]);
      const std::string name = overlay->Legend().empty()
                                   ? views::CFormat(viewtext::kOverlayCaptureLegend, slot + 1)
                                   : overlay->Legend();
      painter.setPen(QPen(color, 2.0));
      const int swatch = fm.height() - 4;
      painter.drawLine(legend.left(), y + fm.height() / 2, legend.left() + swatch,
                       y + fm.height() / 2);
      painter.drawText(
          QRect(legend.left() + swatch + 6, y, legend.width() - swatch - 6, fm.height()),
          Qt::AlignLeft | Qt::AlignVCenter,
          fm.elidedText(QString::fromStdString(name), Qt::ElideRight, legend.width() - swatch - 6));
      y += fm.height() + 2;
    }
  }
}

}  // namespace orvanix
