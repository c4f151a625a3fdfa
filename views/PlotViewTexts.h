// Texts of the spectrogram, time-series, 3-D surface and phase views and of the tools every
// plot shares (peak search, readout, CSV). Code and tests use these constants.
#pragma once

namespace orvanix::viewtext {

// View names (window titles and print jobs).
inline constexpr const char* kSeriesViewName = "Time Series";
inline constexpr const char* kSpectrogramViewName = "Spectrogram";
inline constexpr const char* kSurfaceViewName = "3-D Surface";
inline constexpr const char* kPhaseViewName = "Phase";

// ---- spectrogram --------------------------------------------------------------------------
inline constexpr const char* kTimeAxisTitle = "Time";
// Division labels appended to the time axis title, by displayed span.
inline constexpr const char* kDiv1ms = " (1 msec/div)";
inline constexpr const char* kDiv10ms = " (10 msec/div)";
inline constexpr const char* kDiv100ms = " (100 msec/div)";
inline constexpr const char* kDiv1s = " (1 sec/div)";
inline constexpr const char* kDiv10s = " (10 sec/div)";
inline constexpr const char* kDiv100s = " (100 sec/div)";
inline constexpr const char* kSpectrogramCursorVertical =
    "Freq=\t%5.4f\r\nTime=\t%5.4f\r\nAmp=\t%5.4f\r\n";
inline constexpr const char* kSpectrogramCursorHorizontal =
    "Time=\t%5.4f\r\nFreq=\t%5.4f\r\nAmp=\t%5.4f\r\n";

// Pop-up menu items of the spectrogram and 3-D surface views.
inline constexpr const char* kMenuCut = "Cu&t";
inline constexpr const char* kMenuCopyAsWave = "&Copy as Wave";
inline constexpr const char* kMenuCopyAsBitmapSg = "Copy As &Bitmap";
inline constexpr const char* kMenuMute = "&Mute";
inline constexpr const char* kMenuFilter = "&Filter...";
inline constexpr const char* kMenuPlay = "P&lay";
inline constexpr const char* kMenuDisplayTimeSeries = "Display Time Se&ries";
inline constexpr const char* kMenuAverageSpectrum = "Compute and Display &Average Spectrum";
inline constexpr const char* kMenuExpandSpectrogram = "Expand Spectro&gram";
inline constexpr const char* kMenuComputeSurface = "Compute and Display 3-D S&urface";
inline constexpr const char* kMenuExpandSurface = "Expand 3-&D Surface";
inline constexpr const char* kMenuComputeSpectrogram = "Compute and Display Spectro&gram";
inline constexpr const char* kMenuLeq = "Compute E&quivalent Noise Level (Leq)";
inline constexpr const char* kMenuDtmf = "Perform DTM&F Analysis";
inline constexpr const char* kMenuRmsLevel = "Compute RMS Level";
inline constexpr const char* kMenuCrestFactor = "Compute Crest Factor";
inline constexpr const char* kMenuHilbert = "Compute &Envelope using Hilbert Transform";
inline constexpr const char* kMenuSchroeder = "Compute &Schroeder Integration";
inline constexpr const char* kMenuPropertiesPlot = "&Properties";
inline constexpr const char* kMenuHelpPlot = "&Help";
inline constexpr const char* kMenuAnnotate = "&Annotate";

// ---- time series ----------------------------------------------------------------------------
inline constexpr const char* kChannelChoices[8] = {
    "Left Channel",     "Right Channel",   "Both Left & Right",   "Left minus Right",
    "Right minus Left", "Left plus Right", "Left vs Right (X/Y)", "Right vs Left (Y/X)"};
inline constexpr const char* kLeftChannel = "Left Channel";
inline constexpr const char* kRightChannel = "Right Channel";
inline constexpr const char* kLeftMinusRight = "Left minus Right";
inline constexpr const char* kRightMinusLeft = "Right minus Left";
inline constexpr const char* kLeftPlusRight = "Left plus Right";
inline constexpr const char* kLeftVersusRight = "Left versus Right";
inline constexpr const char* kRightVersusLeft = "Right versus Left";
inline constexpr const char* kMinusFormat = "%s minus %s";
inline constexpr const char* kPlusFormat = "%s plus %s";
inline constexpr const char* kVersusFormat = "%s versus %s";
inline constexpr const char* kMenuCopyAsTextSeries = "Copy as &Text";
inline constexpr const char* kMenuCopyAsBitmapSeries = "Copy as &Bitmap";
inline constexpr const char* kMenuAutoscaleDisplay = "&Autoscale Display";
inline constexpr const char* kSeriesCursor = "Time=\t%5.4f\r\nLevel=\t%5.4f\r\n";
inline constexpr const char* kSeriesTimeAxis = "Time (sec)";             // our own
inline constexpr const char* kSeriesPercentAxis = "Percent Full Scale";  // our own
inline constexpr const char* kSeriesDbAxis = "Level (dB)";               // our own

// ---- phase ----------------------------------------------------------------------------------
inline constexpr const char* kPhaseAxisLabel = "Phase (deg)";
inline constexpr const char* kPhaseCursor = "Freq=\t%5.4f\r\nPhase=\t%5.4f\r\n";
inline constexpr const char* kPhaseHeaderLeft = ";Freq(Hz)\tPhase (deg) Left\r\n";
inline constexpr const char* kPhaseHeaderRight = ";Freq(Hz)\tPhase (deg) Right\r\n";
inline constexpr const char* kPhaseHeaderBoth =
    ";Freq(Hz)\tPhase (deg) Left\tPhase (deg) Right\r\n";
inline constexpr const char* kPhaseHeaderTransfer =
    ";Freq(Hz)\t: Phase (deg) Transfer Function\tPhase (deg) Coherence\r\n";
inline constexpr const char* kPhaseHeaderOther = ";Freq(Hz)\t: Phase (deg)\r\n";
inline constexpr const char* kPhaseLine1 = "%5.4f\t%f\r\n";
inline constexpr const char* kPhaseLine2 = "%5.4f\t%f\t%f\r\n";
inline constexpr const char* kPhaseLink = "Tessiva;Data;Phase;;";
inline constexpr int kPhaseLinkBytes = 128;
inline constexpr const char* kZoomInFrequency = "Zoom in along frequency axis";
inline constexpr const char* kZoomFull = "Zoom out to show full frequency span";
inline constexpr const char* kZoomIn2 = "Zoom in by a factor of 2x";
inline constexpr const char* kZoomOut2 = "Zoom out by a factor of 2x";
inline constexpr const char* kPhaseOptionsButton = "Set additional phase display options";
inline constexpr const char* kMenuCopyAsTextPhase = "&Copy As Text";
inline constexpr const char* kMenuViewDataValuesPhase = "&View Data Values";

// ---- tools every plot shares (our own) ------------------------------------------------------
inline constexpr const char* kMenuPeakSearch = "Peak &Search\tP";
inline constexpr const char* kMenuNextPeak = "&Next Peak\tN";
inline constexpr const char* kMenuSnapMarkers = "Snap &Markers to Peaks";
inline constexpr const char* kMenuSaveCsv = "Save Data as &CSV...";
inline constexpr const char* kMenuSavePng = "Save Image as P&NG...";
inline constexpr const char* kMenuResetZoom = "&Reset Zoom\tHome";
inline constexpr const char* kCsvDialogTitle = "Save Plotted Data";
inline constexpr const char* kCsvFilter = "CSV Files (*.csv)";
inline constexpr const char* kPngDialogTitle = "Save Image";
inline constexpr const char* kPngFilter = "PNG Images (*.png)";
inline constexpr const char* kWriteFailed = "Could not write the file %s.";
// The peak readout: frequency and level interpolated between bins.
inline constexpr const char* kPeakReadout = "Peak %d: %.2f Hz, %.2f %s";
inline constexpr const char* kNoPeak = "No peak in the shown range.";

}  // namespace orvanix::viewtext
