// Texts of the option dialogs of the spectrogram, 3-D surface, time-series and phase views.
// Texts marked "our own" have no counterpart in the classic program.
#pragma once

namespace orvanix::dlgtext {

inline constexpr const char* kSpectrogramOptsTitle = "Spectrogram Display Options";
inline constexpr const char* kSurfaceOptsTitle = "3-D Surface Display Options";
inline constexpr const char* kSeriesOptsTitle = "Time Series Display Options";
inline constexpr const char* kPhaseOptsTitle = "Phase Display Options";

inline constexpr const char* kUpdateAlwaysAmp = "&As often as possible";
inline constexpr const char* kUpdateIntervalAmp = "&Specific Intervals (seconds)";
inline constexpr const char* kSpanGroup = "Frequency Span";  // our own
inline constexpr const char* kFullSpan = "&Full Span";
inline constexpr const char* kCustomSpan = "C&ustom";
inline constexpr const char* kDirectionGroup = "Scroll Direction";  // our own
inline constexpr const char* kDirectionUp = "U&p";
inline constexpr const char* kDirectionDown = "Do&wn";
inline constexpr const char* kDirectionLeft = "&Left";
inline constexpr const char* kDirectionRight = "&Right";
inline constexpr const char* kColorModeGroup = "Colors";  // our own
inline constexpr const char* kFullColor = "Full Co&lor";
inline constexpr const char* kGrayScale = "&Gray Scale";
inline constexpr const char* kCustomColors = "&Custom Colors";
inline constexpr const char* kMinCustomColor = "Minimum";  // our own
inline constexpr const char* kMaxCustomColor = "Maximum";  // our own
inline constexpr const char* kIntensity = "Intensity";     // our own
inline constexpr const char* kIntensityMessage =
    "Your video driver must be set to 256 color mode (8 bit) for the intensity control to function";
inline constexpr const char* kGradient = "&Multicolor Gradient (slower)";
inline constexpr const char* kSolid = "Sol&id (faster)";
inline constexpr const char* kSurfaceLine = "Line";  // our own
inline constexpr const char* kDisplayGridLines = "Dis&play Grid Lines";
inline constexpr const char* kLineBar = "&Line/Bar...";
inline constexpr const char* kAmplitudeLinear = "&Amplitude (linear)";
inline constexpr const char* kEnergyLog = "&Energy (logarithmic)";
inline constexpr const char* kScaleGroup = "Scale";       // our own
inline constexpr const char* kChannelLabel = "Channel:";  // our own
inline constexpr const char* kMaxZoomOut = "Maximum Zoom Out (seconds)";
inline constexpr const char* kTimeSpan = "Time Span";
inline constexpr const char* kStartTime = "Start (seconds):";  // our own
inline constexpr const char* kStopTime = "Stop (seconds):";    // our own

inline constexpr const char* kStartTimeMessage = "Start Time must be greater than zero";
inline constexpr const char* kStopTimeMessage = "Stop Time must be greater than zero";
inline constexpr const char* kStopAfterStartMessage = "Stop Time must be greater than Stop Time";
inline constexpr const char* kMaxZoomOutMessage = "Max Zoom Out Time must be at least 0.1 seconds";

}  // namespace orvanix::dlgtext
