#include "views/PhasePlot.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/SpectralData.h"
#include "views/PeakSearch.h"
#include "views/PlotViewTexts.h"
#include "views/ViewTexts.h"

namespace orvanix {

TPhasePlot::TPhasePlot(TViewSource* source, QWidget* parent) : TViewPlot(source, parent) {
  setWindowTitle(QString::fromUtf8(viewtext::kPhaseViewName));
}

void TPhasePlot::SetOptions(const TPhasePlotOptions& options) {
  options_ = options;
  update();
}

bool TPhasePlot::Notify(double timeSecs) {
  if (!gate_.Pass(timeSecs, options_.intervalFlag != 0, options_.intervalSecs)) return false;
  if (cursorActive_ && options_.grabCursor) cursorPhase_ = CursorPhase();
  update();
  return true;
}

int TPhasePlot::Panes() const {
  if (!source_) return 1;
  return HasSecondary(source_->Processing().channelProcessing) && source_->Secondary() ? 2 : 1;
}

const TSpectralData* TPhasePlot::PaneSpectrum(int pane) const {
  if (!source_) return nullptr;
  return pane == 0 ? source_->Primary() : source_->Secondary();
}

bool TPhasePlot::LogFrequency() const {
  return source_ && source_->Scaling().freqScale != 0;
}

namespace {

// The options' frequency span made usable: ordered, finite and, on a logarithmic axis,
// starting above 0.
void FullSpan(const TPhasePlotOptions& o, bool log, double& start, double& stop) {
  start = std::isfinite(o.startFreqHz) ? o.startFreqHz : 0.0;
  stop = std::isfinite(o.stopFreqHz) ? o.stopFreqHz : 22000.0;
  if (log && start < 1.0) start = 1.0;
  if (!(stop > start)) stop = log ? start * 10.0 : start + 1.0;
}

double AxisValue(double start, double stop, bool log, double fraction) {
  if (log) return std::exp(std::log(start) + fraction * (std::log(stop) - std::log(start)));
  return start + fraction * (stop - start);
}

double AxisFraction(double start, double stop, bool log, double value) {
  if (log) {
    if (value <= 0.0) return -1.0;
    return (std::log(value) - std::log(start)) / (std::log(stop) - std::log(start));
  }
  return (value - start) / (stop - start);
}

double Range(const TPhasePlotOptions& o) {
  return std::isfinite(o.plotRange) && o.plotRange > 0.0f ? o.plotRange : 360.0;
}

double Top(const TPhasePlotOptions& o) {
  return std::isfinite(o.plotTop) ? o.plotTop : 180.0;
}

}  // namespace

double TPhasePlot::StartHz() const {
  double a, b;
  FullSpan(options_, LogFrequency(), a, b);
  return AxisValue(a, b, LogFrequency(), zoom_.x());
}

double TPhasePlot::StopHz() const {
  double a, b;
  FullSpan(options_, LogFrequency(), a, b);
  return AxisValue(a, b, LogFrequency(), zoom_.x() + zoom_.width());
}

double TPhasePlot::TopDeg() const {
  return Top(options_) - zoom_.y() * Range(options_);
}

double TPhasePlot::BottomDeg() const {
  return Top(options_) - (zoom_.y() + zoom_.height()) * Range(options_);
}

double TPhasePlot::XOf(double hz, const QRect& pane) const {
  return pane.left() + AxisFraction(StartHz(), StopHz(), LogFrequency(), hz) * pane.width();
}

double TPhasePlot::HzAt(double x, const QRect& pane) const {
  return AxisValue(StartHz(), StopHz(), LogFrequency(),
                   (x - pane.left()) / std::max(1, pane.width()));
}

double TPhasePlot::YOf(double deg, const QRect& pane) const {
  return pane.top() + (TopDeg() - deg) / (TopDeg() - BottomDeg()) * pane.height();
}

double TPhasePlot::DegAt(double y, const QRect& pane) const {
  return TopDeg() - (y - pane.top()) / std::max(1, pane.height()) * (TopDeg() - BottomDeg());
}

double TPhasePlot::IndexHz(const TSpectralData& s, uint32_t i) const {
  return s.BandCount() > 0 ? s.BandCentre(i) : s.BinFrequency(i);
}

bool TPhasePlot::VisibleRange(const TSpectralData& s, uint32_t& first, uint32_t& last) const {
  const double start = StartHz();
  const double stop = StopHz();
  if (s.BandCount() > 0) {
    first = std::max(s.BandOfFrequency(static_cast<float>(start)), s.FirstValidBand());
    last = std::min(s.BandOfFrequency(static_cast<float>(stop)), s.LastBand());
    return first <= last;
  }
  const uint32_t bins = s.BinCount();
  if (bins < 3) return false;
  first = s.FrequencyBin(static_cast<float>(start));
  if (s.BinFrequency(first) < start) ++first;
  if (LogFrequency() && first == 0) first = 1;
  last = s.FrequencyBin(static_cast<float>(stop));
  if (last > 0 && s.BinFrequency(last) > stop) --last;
  last = std::min(last, bins - 2);  // the last bin is never averaged
  return first <= last;
}

uint32_t TPhasePlot::NearestIndex(const TSpectralData& s, double hz) const {
  if (s.BandCount() > 0) return s.BandOfFrequency(static_cast<float>(hz));
  return s.FrequencyBin(static_cast<float>(hz));
}

void TPhasePlot::ZoomIn2() {
  ZoomAbout({0.5, 0.5}, 2.0, true, false);
}

void TPhasePlot::ZoomOut2() {
  ZoomAbout({0.5, 0.5}, 0.5, true, false);
}

// ---------------------------------------------------------------------------- text

std::string TPhasePlot::ExportText() const {
  const TSpectralData* primary = PaneSpectrum(0);
  if (!primary) return {};
  const uint16_t mode = source_->Processing().channelProcessing;
  const char* header = viewtext::kPhaseHeaderOther;
  if (mode == kLeftOnly) header = viewtext::kPhaseHeaderLeft;
  if (mode == kRightOnly) header = viewtext::kPhaseHeaderRight;
  if (mode == kBothChannels) header = viewtext::kPhaseHeaderBoth;
  if (mode == kTransferAndCoherenceLR || mode == kTransferAndCoherenceRL) {
    header = viewtext::kPhaseHeaderTransfer;
  }
  const TSpectralData* secondary = HasSecondary(mode) ? PaneSpectrum(1) : nullptr;
  std::string text = header;
  uint32_t first = 0, last = 0;
  if (!VisibleRange(*primary, first, last)) return text;
  char line[128];
  for (uint32_t i = first; i <= last; ++i) {
    if (secondary) {
      std::snprintf(line, sizeof line, viewtext::kPhaseLine2, IndexHz(*primary, i),
                    static_cast<double>(primary->Phase(i)),
                    static_cast<double>(secondary->Phase(i)));
    } else {
      std::snprintf(line, sizeof line, viewtext::kPhaseLine1, IndexHz(*primary, i),
                    static_cast<double>(primary->Phase(i)));
    }
    text += line;
  }
  return text;
}

QMimeData* TPhasePlot::TextMimeData(const std::string& text) {
  auto* mime = new QMimeData;
  mime->setText(QString::fromStdString(text));
  // "Tessiva;Data;Phase;;" with every ';' a NUL, in a 128-byte block.
  QByteArray link(viewtext::kPhaseLinkBytes, '\0');
  const std::string names = viewtext::kPhaseLink;
  for (size_t i = 0; i < names.size() && i < static_cast<size_t>(link.size()); ++i) {
    link[static_cast<qsizetype>(i)] = names[i] == ';' ? '\0' : names[i];
  }
  mime->setData(QString::fromUtf8(viewtext::kLinkFormat), link);
  return mime;
}

void TPhasePlot::CopyAsText() {
  if (!PaneSpectrum(0)) return;
  QApplication::clipboard()->setMimeData(TextMimeData(ExportText()));
}

std::string TPhasePlot::CsvText() const {
  const TSpectralData* primary = PaneSpectrum(0);
  std::string out = "Frequency (Hz),";
  if (!primary) return out + "Phase (deg)\n";
  const int panes = Panes();
  out += source_->PrimaryLabel();
  out += " Phase (deg)";
  if (panes == 2) {
    out += ',';
    out += source_->SecondaryLabel();
    out += " Phase (deg)";
  }
  out += "\n";
  uint32_t first = 0, last = 0;
  if (!VisibleRange(*primary, first, last)) return out;
  const TSpectralData* secondary = panes == 2 ? PaneSpectrum(1) : nullptr;
  char line[128];
  for (uint32_t i = first; i <= last; ++i) {
    if (secondary) {
      std::snprintf(line, sizeof line, "%.4f,%.4f,%.4f\n", IndexHz(*primary, i),
                    static_cast<double>(primary->Phase(i)),
                    static_cast<double>(secondary->Phase(i)));
    } else {
      std::snprintf(line, sizeof line, "%.4f,%.4f\n", IndexHz(*primary, i),
                    static_cast<double>(primary->Phase(i)));
    }
    out += line;
  }
  return out;
}

// ---------------------------------------------------------------------------- cursor

void TPhasePlot::SetCursorHz(double hz, double phaseDeg) {
  cursorActive_ = true;
  cursorHz_ = hz;
  cursorPhase_ = phaseDeg;
  peakText_.clear();
  const TSpectralData* s = PaneSpectrum(cursorPane_);
  if (options_.grabCursor && s) {
    const uint32_t i = NearestIndex(*s, hz);
    cursorHz_ = IndexHz(*s, i);
    cursorPhase_ = s->Phase(i);
  }
  update();
}

double TPhasePlot::CursorPhase() const {
  const TSpectralData* s = PaneSpectrum(cursorPane_);
  if (!options_.grabCursor || !s) return cursorPhase_;
  return s->Phase(NearestIndex(*s, cursorHz_));
}

std::string TPhasePlot::CursorClipboardText() const {
  if (!cursorActive_) return {};
  char text[128];
  std::snprintf(text, sizeof text, viewtext::kPhaseCursor, cursorHz_, CursorPhase());
  return text;
}

bool TPhasePlot::PeakSearch(bool next) {
  const TSpectralData* s = PaneSpectrum(0);
  uint32_t first = 0, last = 0;
  if (!s || !VisibleRange(*s, first, last)) return false;
  const bool logAmp = source_->Scaling().ampScale != 0;
  const std::vector<TPeak> peaks =
      FindPeaks(*s, first, last, 10, source_->Processing().smoothingWindow, logAmp);
  if (peaks.empty()) {
    peakText_ = viewtext::kNoPeak;
    update();
    return false;
  }
  peakIndex_ = next ? (peakIndex_ + 1) % static_cast<int>(peaks.size()) : 0;
  const TPeak& peak = peaks[static_cast<size_t>(peakIndex_)];
  cursorPane_ = 0;
  cursorActive_ = true;
  cursorHz_ = IndexHz(*s, peak.index);
  cursorPhase_ = s->Phase(peak.index);
  char text[160];
  std::snprintf(text, sizeof text, viewtext::kPeakReadout, peakIndex_ + 1, peak.hz, peak.level,
                logAmp ? "dB" : "");
  peakText_ = text;
  update();
  return true;
}

}  // namespace orvanix
