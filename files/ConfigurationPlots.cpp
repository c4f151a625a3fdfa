// The keys of the plot sections, in the order they are read.
#include <string>

#include "files/Configuration.h"
#include "files/ConfigurationIo.h"

namespace orvanix {

namespace {

void VisitSpectrum(TSettingsIo& io, TSpectrumPlotOptions& v) {
  const char* k = kSectionSpectrumOpts;
  io.Int(k, "PlotType", v.plotType, 0);
  io.Int(k, "GridEnabled", v.gridEnabled, 1);
  io.Real(k, "PlotTop", v.plotTop, 0.0f);
  io.Real(k, "PlotRange", v.plotRange, 100.0f);
  io.Real(k, "StartFreq", v.startFreqHz, 10.0f);
  io.Real(k, "StopFreq", v.stopFreqHz, 22000.0f);
  io.Colour(k, "LineColor", v.lineColor, 65535);
  io.Colour(k, "BackgroundColor", v.backgroundColor, 0);
  io.Colour(k, "GridColor", v.gridColor, 32768);
  io.Colour(k, "MarkerColor", v.markerColor, 16776960);
  io.Int(k, "ShowRMSLevel", v.showRmsLevel, 0);
  for (size_t row = 0; row < 2; ++row) {
    for (size_t column = 0; column < 4; ++column) {
      const std::string key = "Show" + std::to_string(row + 1) + "_" + std::to_string(column + 1);
      io.Int(k, key.c_str(), v.show[row][column], 0);
    }
  }
  constexpr uint32_t kOverlayDefaults[4] = {255, 16711935, 16711680, 16776960};
  for (size_t i = 0; i < 4; ++i) {
    const std::string key = "OverlayColor" + std::to_string(i + 1);
    io.Colour(k, key.c_str(), v.overlayColor[i], kOverlayDefaults[i]);
  }
  io.Int(k, "OverlayLegendSize", v.overlayLegendSize, 8);
  io.Int(k, "GrabCursorFlag", v.grabCursor, 1);
  io.Real(k, "rpm", v.rpm, 1000.0f);
  io.Int(k, "IntervalFlag", v.intervalFlag, 0);
  io.Real(k, "IntervalSecs", v.intervalSecs, 0.1f);
}

void VisitPhase(TSettingsIo& io, TPhasePlotOptions& v) {
  const char* k = kSectionPhaseOpts;
  io.Int(k, "GridEnabled", v.gridEnabled, 1);
  io.Real(k, "PlotTop", v.plotTop, 180.0f);
  io.Real(k, "PlotRange", v.plotRange, 360.0f);
  io.Real(k, "StartFreq", v.startFreqHz, 20.0f);
  io.Real(k, "StopFreq", v.stopFreqHz, 22000.0f);
  io.Colour(k, "LineColor", v.lineColor, 0);
  io.Colour(k, "BackgroundColor", v.backgroundColor, 16776960);
  io.Colour(k, "GridColor", v.gridColor, 12632256);
  io.Colour(k, "MarkerColor", v.markerColor, 255);
  io.Int(k, "GrabCursorFlag", v.grabCursor, 1);
  io.Int(k, "IntervalFlag", v.intervalFlag, 0);
  io.Real(k, "IntervalSecs", v.intervalSecs, 0.1f);
}

void VisitSpectrogram(TSettingsIo& io, TSpectrogramOptions& v) {
  const char* k = kSectionSpectrogramOpts;
  io.Int(k, "IntervalFlag", v.intervalFlag, 0);
  io.Real(k, "IntervalSecs", v.intervalSecs, 2.0f);
  io.Real(k, "PlotTop", v.plotTop, 0.0f);
  io.Real(k, "PlotRange", v.plotRange, 60.0f);
  io.Int(k, "UseFullSpan", v.useFullSpan, 1);
  io.Real(k, "StartFreq", v.startFreqHz, 100.0f);
  io.Real(k, "StopFreq", v.stopFreqHz, 10000.0f);
  io.Int(k, "Direction", v.direction, 0);
  io.Int(k, "Intensity", v.intensity, 0);
  io.Colour(k, "MinCustomColor", v.minCustomColor, 65535);
  io.Colour(k, "MaxCustomColor", v.maxCustomColor, 255);
  io.Int(k, "ColorMode", v.colorMode, 0);
}

void VisitSurface(TSettingsIo& io, TSurfaceOptions& v) {
  const char* k = kSectionSurfaceOpts;
  io.Int(k, "IntervalFlag", v.intervalFlag, 0);
  io.Real(k, "IntervalSecs", v.intervalSecs, 2.0f);
  io.Real(k, "PlotTop", v.plotTop, 0.0f);
  io.Real(k, "PlotRange", v.plotRange, 60.0f);
  io.Int(k, "UseFullSpan", v.useFullSpan, 1);
  io.Real(k, "StartFreq", v.startFreqHz, 100.0f);
  io.Real(k, "StopFreq", v.stopFreqHz, 10000.0f);
  io.Colour(k, "BackgroundColor", v.backgroundColor, 16777215);
  io.Colour(k, "LineColor", v.lineColor, 16711680);
  io.Int(k, "Intensity", v.intensity, 0);
  io.Int(k, "ColorMode", v.colorMode, 0);
}

void VisitSeries(TSettingsIo& io, TSeriesOptions& v) {
  const char* k = kSectionSeriesOpts;
  io.Int(k, "AmpScaleType", v.ampScaleType, 0);
  io.Int(k, "GridEnabled", v.gridEnabled, 1);
  io.Real(k, "PlotTop", v.plotTop, 100.0f);
  io.Real(k, "PlotRange", v.plotRange, 100.0f);
  io.Int(k, "PlotChannel", v.plotChannel, 0);
  io.Real(k, "MaxZoomOutTime", v.maxZoomOutTime, 10000.0f);
  io.Colour(k, "LineColor", v.lineColor, 255);
  io.Colour(k, "BackgroundColor", v.backgroundColor, 16777215);
  io.Colour(k, "GridColor", v.gridColor, 12632256);
  io.Real(k, "StartTime", v.startTime, 0.0f);
  io.Real(k, "StopTime", v.stopTime, 1.0f);
  io.Real(k, "OrderNumber", v.orderNumber, 3.0f);
  io.Int(k, "ThresholdMarkPercentage", v.thresholdMarkPct, 25);
  io.Int(k, "DisplayMaxMinRangeAsRMS", v.displayMaxMinRangeAsRms, 0);
  io.Int(k, "IntervalFlag", v.intervalFlag, 0);
  io.Real(k, "IntervalSecs", v.intervalSecs, 0.1f);
}

}  // namespace

void VisitPlots(TSettingsIo& io, TAnalyzerSettings& s) {
  VisitSpectrum(io, s.spectrumPlot);
  VisitPhase(io, s.phasePlot);
  VisitSpectrogram(io, s.spectrogram);
  VisitSurface(io, s.surface);
  VisitSeries(io, s.series);
}

}  // namespace orvanix
