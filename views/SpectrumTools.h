// TSpectrumTools: the spectrum view's peak search, readout, arrow keys, wheel zoom, marker
// snapping and CSV export, added from outside the view as an event filter so that the view's
// own files stay as they are. It reads the spectra through the view's source.
//
// Keys: P highest peak, N next peak, Left/Right the cursor one bin, Home back to the
// options' ranges (also a double click, which the view already maps to Zoom Out). The wheel
// zooms the frequency axis (Shift only it, Ctrl only the amplitude axis).
#pragma once

#include <QObject>
#include <optional>
#include <string>

#include "files/SettingsRecords.h"

class QLabel;
class QMenu;

namespace orvanix {

class TOrvanePlot;
class TSpectrumSource;

class TSpectrumTools : public QObject {
  Q_OBJECT

 public:
  TSpectrumTools(TOrvanePlot* plot, const TSpectrumSource* source);

  // Cursor on the highest peak of the visible primary trace (or the next one); the readout
  // shows its interpolated frequency and level. False without a peak.
  bool PeakSearch(bool next);
  const std::string& PeakText() const { return peakText_; }
  // The text of the readout under a widget point (frequency and amplitude of the axes).
  std::string ReadoutAt(const QPoint& point) const;
  // Moves every enabled marker to the interpolated frequency of the nearest of the ten
  // highest peaks that lie within 40 dB of the highest (a hundredth on a linear axis).
  TMarkerSettings SnappedMarkers() const;
  // The visible range as CSV: frequency, then the primary and (when shown) secondary value.
  std::string CsvText() const;
  // Adds the tools to the view's pop-up menu.
  void AddMenuItems(QMenu& menu);

 signals:
  // The markers were moved to peaks; the owner stores them.
  void MarkersChanged(const TMarkerSettings& markers);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void MoveCursorBins(int bins);
  void Zoom(const QPoint& at, double factor, bool frequency, bool amplitude);
  void Restore();
  void SaveCsvWithDialog();

  TOrvanePlot* plot_;
  const TSpectrumSource* source_;
  QLabel* readout_;
  std::string peakText_;
  int peakIndex_ = 0;
  std::optional<TSpectrumPlotOptions> savedOptions_;  // before the first amplitude zoom
};

}  // namespace orvanix
