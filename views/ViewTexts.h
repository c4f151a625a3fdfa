// The plot views' own texts: menu items, labels, formats and messages. Code and tests both
// use these constants, so a text changes in one place only.
#pragma once

namespace orvanix::viewtext {

// Names of the views, used by the print job.
inline constexpr const char* kSpectrumViewName = "Spectrum";
inline constexpr const char* kSpectrumWindowTitle = "Spectrum";

// Axis labels of a spectrum without calibration.
inline constexpr const char* kPercentFullScale = "Percent Full Scale";
inline constexpr const char* kRelativeAmplitudeDb = "Relative Amplitude (dB)";
inline constexpr const char* kCoherenceAxisLabel = "Coherence";
// Title additions while spectral density is on (by density type 0 and 1).
inline constexpr const char* kPsdPowerTitle = "PSD: Units^2/Hz";
inline constexpr const char* kPsdAmplitudeTitle = "PSD: Units/sqrt(Hz)";
inline constexpr const char* kFrequencyAxisLabel = "Frequency (Hz)";

// FormatValue formats, by type.
inline constexpr const char* kFormatInteger = "%ld%s";
inline constexpr const char* kFormatExponent = "%4.1e%s";
inline constexpr const char* kFormatDefault = "%4.3f%s";

// Frequency-axis tick labels.
inline constexpr const char* kTickZero = "0.0";

// The printed settings block.
inline constexpr const char* kPrintSampling = "Sampling:\t%ld Hz";
inline constexpr const char* kPrintFftSize = "FFT size:\t%ld";
inline constexpr const char* kPrintAveraging = "Averaging:\t%ld";
inline constexpr const char* kPrintAveragingInfinite = "Averaging:\tInfinite";
inline constexpr const char* kPrintWindow = "Window";
inline constexpr const char* kPrintWindowSeparator = ":\t";
// The overlap percent followed by a literal percent sign.
inline constexpr const char* kPrintOverlap = "Overlap:\t%d %%";
inline constexpr const char* kAnnotationDialogTitle = "Annotation";
inline constexpr const char* kAnnotationLine1 = "Annotation line 1:";
inline constexpr const char* kAnnotationLine2 = "Annotation line 2:";
inline constexpr int kAnnotationLength = 80;

// Context menu of the spectrum plot.
inline constexpr const char* kMenuCopyAsText = "&Copy As Text";
inline constexpr const char* kMenuWriteTextFile = "Write to &Text File...";
inline constexpr const char* kMenuCopyAsBitmap = "Copy As &Bitmap";
inline constexpr const char* kMenuInverseFft = "&Inverse FFT";
inline constexpr const char* kMenuClearSpectrum = "Clear &Spectrum";
inline constexpr const char* kMenuAutoscale = "&Autoscale Spectrum";
inline constexpr const char* kMenuBandwidthQ = "Bandwidth and &Q Factor";
inline constexpr const char* kMenuViewDataValues = "&View Data Values";
// The data-value list of the spectrum view (our own texts). Numbers as in the text export.
inline constexpr const char* kDataValuesTitle = "Spectrum Data Values";
inline constexpr const char* kDataValuesRefresh = "&Refresh";
inline constexpr const char* kDataValuesCopy = "&Copy";
inline constexpr const char* kDataValuesClose = "Close";
inline constexpr const char* kDataValuesFrequency = "%5.4f";
inline constexpr const char* kDataValuesValue = "%f";
inline constexpr const char* kDataValuesRange = "%.1f ... %.1f Hz: %lu values";
inline constexpr const char* kMenuProperties = "&Properties";
// Our own: overlays are captured and managed from the plot's menu.
inline constexpr const char* kMenuCaptureOverlay = "Capture &Overlay";
inline constexpr const char* kMenuOverlays = "O&verlays...";
inline constexpr const char* kMenuHelp = "&Help";
inline constexpr const char* kMenuZoomOut = "&Zoom Out";
// Context menu of the measurement cursor.
inline constexpr const char* kMenuCopyCursorValues = "Copy measurement cursor Values to clipboard";
inline constexpr const char* kMenuCopyBitmapClipboard = "Copy to clipboard as Bitmap";
inline constexpr const char* kCursorClipboard = "Freq=\t%5.4f\r\nAmp=\t%5.4f\r\n";

// Text export.
inline constexpr const char* kTextFileDialogTitle = "Select Text File";
inline constexpr const char* kTextFileFilter = "Text Files (*.txt)";
inline constexpr const char* kHeaderLeft = ";Freq(Hz)\t%s: Left\r\n";
inline constexpr const char* kHeaderRight = ";Freq(Hz)\t%s: Right\r\n";
inline constexpr const char* kHeaderBoth = ";Freq(Hz)\t%s: Left\t%s: Right\r\n";
inline constexpr const char* kHeaderLevel = ";Freq(Hz)\t%s: Level\r\n";
inline constexpr const char* kHeaderTransferCoherence =
    ";Freq(Hz)\t%s: Transfer Function\t%s: Coherence\r\n";
inline constexpr const char* kLineOne = "%5.4f\t%f\r\n";
inline constexpr const char* kLineTwo = "%5.4f\t%f\t%f\r\n";
inline constexpr const char* kTextWriteFailure = "Failure writing text file: %s";

// Clipboard: the "Link" format holds the automation link "Tessiva;Data;Spectrum;;" with
// every ';' a NUL byte (service, topic, item, end).
inline constexpr const char* kLinkFormat = "Link";
inline constexpr char kSpectrumLink[] = "Tessiva\0Data\0Spectrum\0";  // + the array's own NUL
inline constexpr int kSpectrumLinkBytes = sizeof(kSpectrumLink);      // 23

// Markers.
inline constexpr const char* kMarkerHz = "%3.2f Hz";
inline constexpr const char* kMarkerDb = "%3.2f dB";
inline constexpr const char* kMarkerLinear = "%3.2f";
inline constexpr const char* kMarkerHzDb = "%3.2f Hz/%3.2f dB";
inline constexpr const char* kMarkerHzLinear = "%3.2f Hz/%3.2f";
// The "Label Type" list of the markers, by label type 0 ... 4.
inline constexpr const char* kLabelTypeNames[5] = {"None", "Frequency", "Amplitude",
                                                   "Frequency and Amplitude", "Custom"};

// Readout lines of the open measurement utilities on printed copies (the printf formats;
// a final "%%" prints the percent sign). "Peak: %3.3f %s" and "Power: %3.3f %s" take the
// unit label.
inline constexpr const char* kPrintThd = "THD: %3.5f %%";
inline constexpr const char* kPrintThdN = "THD+N: %3.5f %%";
inline constexpr const char* kPrintImd = "IMD: %3.4f %%";
inline constexpr const char* kPrintSnr = "SNR: %3.3f dB";
inline constexpr const char* kPrintSinad = "SINAD: %3.3f dB";
inline constexpr const char* kPrintSfdr = "SFDR: %3.3f dB";
inline constexpr const char* kPrintNf = "NF: %3.3f dB";
inline constexpr const char* kPrintPeakFrequency = "Peak: %3.3f Hz";
inline constexpr const char* kPrintPeakAmplitude = "Peak: %3.3f %s";
inline constexpr const char* kPrintPower = "Power: %3.3f %s";

// Power readout.
inline constexpr const char* kPowerReadout = "Pwr=%1.2f";

// Overlays.
inline constexpr const char* kOverlayFileLeft = "L%d.ovl";
inline constexpr const char* kOverlayFileRight = "R%d.ovl";
inline constexpr const char* kOverlayCaptureLegend = "Overlay %d";
inline constexpr const char* kOverlayLegendTitle = "Overlays";
inline constexpr const char* kOverlayCommentLine = ";%s\n";
inline constexpr const char* kOverlayDataLine = "%5.4f\t%f\n";
inline constexpr const char* kOverlayTooFew =
    "file: %s must contain at least 3 entries.  File will not be used.";
inline constexpr const char* kOverlayNotAscending =
    "Frequency terms in file: %s are not in ascending order.  File will not be used.";
inline constexpr const char* kOverlayOpenFailure = "Failure opening overlay file: %s";
inline constexpr const char* kOverlayWriteFailure = "Failure writing overlay file: %s";

}  // namespace orvanix::viewtext
