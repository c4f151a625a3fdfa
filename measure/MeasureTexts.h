// The measurement utilities' own texts: window titles, readout formats, unit labels, the
// data log's list texts, header lines and record formats, and their messages. Code and
// tests use these constants, so a text is written once.
#pragma once

namespace orvanix::measuretext {

// ---- measurement windows -------------------------------------------------------------------

// What a window shows before it has a value, and its second line when there is none.
inline constexpr const char* kEmptyLine = "0.0";

// The three percentage readouts end in a lone percent sign after a blank.
inline constexpr const char* kFormatThd = "%3.5f %%";
inline constexpr const char* kFormatImd = "%3.4f %%";
// SNR, SINAD, SFDR with the dB label.
inline constexpr const char* kFormatRatio = "%3.3f %s";
inline constexpr const char* kFormatNoiseFigure = "%3.3f dB";
inline constexpr const char* kFormatFrequency = "%3.2f Hz";
// Peak amplitude and total power with the amplitude label.
inline constexpr const char* kFormatLevel = "%3.2f %s";

inline constexpr const char* kLabelDb = "dB";
inline constexpr const char* kLabelPercent = "%";
inline constexpr const char* kWeightingSuffix[4] = {"", " A", " B", " C"};

inline constexpr const char* kFont = "Arial";

// ---- data logging ----------------------------------------------------------------------------

inline constexpr int kDataTypeCount = 12;
// The dialog's data type list, in DataType order.
inline constexpr const char* kDataTypeText[kDataTypeCount] = {
    "Peak Frequency",
    "Peak Amplitude",
    "Peak Frequency & Amplitude",
    "Power Level",
    "Spectrum Values",
    "Total Harmonic Distortion (THD)",
    "Total Harmonic Distortion + Noise (THD+N)",
    "Intermodulation Distortion (IMD)",
    "Signal to Noise Ratio (SNR)",
    "SINAD Ratio",
    "Noise Figure (NF)",
    "Time Delay",
};

// Header lines for one and for two channels (type 4 has the spectrum header instead).
inline constexpr const char* kHeaderOne[kDataTypeCount] = {
    "Time\tPeak Freq(Hz)\n",
    "Time\tAmplitude\n",
    "Time\tFreq(Hz)\tAmplitude\n",
    "Time\tPower Level\n",
    "",
    "Time\tTHD (%)\n",
    "Time\tTHD+N (%)\n",
    "Time\tIMD (%)\n",
    "Time\tSNR (dB)\n",
    "Time\tSINAD (dB)\n",
    "Time\tNoise Figure (dB)\n",
    "Time\tDelay\n",
};
inline constexpr const char* kHeaderTwo[kDataTypeCount] = {
    "Time\tLeft Freq(Hz)\tRight Freq(Hz)\n",
    "Time\tLeft Amplitude\tRight Amplitude\n",
    "Time\tFreq(Hz)\tLeft Amplitude\tRight Amplitude\n",
    "Time\tLeft Power Level\tRight Power Level\n",
    "",
    "Time\tLeft THD (%)\tRight THD (%)\n",
    "Time\tLeft THD+N (%)\tRight THD+N (%)\n",
    "Time\tLeft IMD (%)\tRight IMD (%)\n",
    "Time\tLeft SNR (dB)\tRight SNR (%)\n",
    "Time\tLeft SINAD (dB)\tRight SINAD (%)\n",
    "Time\tNoise Figure (dB)\n",
    "Time\tDelay\n",
};

// Records: the time text first.
inline constexpr const char* kRecordFrequencyOne = "%s\t%6.4f\n";
inline constexpr const char* kRecordFrequencyTwo = "%s\t%6.4f\t%6.4f\n";
inline constexpr const char* kRecordValueOne = "%s\t%6.6f\n";
inline constexpr const char* kRecordValueTwo = "%s\t%6.6f\t%6.6f\n";
inline constexpr const char* kRecordPeakOne = "%s\t%6.4f\t%6.6f\n";
inline constexpr const char* kRecordPeakTwo = "%s\t%6.4f\t%6.6f\t%6.4f\t%6.6f\n";
inline constexpr const char* kRecordPowerOne = "%s\t%6.4f\n";
inline constexpr const char* kRecordPowerTwo = "%s\t%6.4f\t%6.2f\n";
// Spectrum values (type 4).
inline constexpr const char* kSpectrumTime = "%s\t";
inline constexpr const char* kSpectrumValue = "%6.6f\t";
inline constexpr const char* kSpectrumHeaderStart = "Time, Freq(Hz)\t";
inline constexpr const char* kSpectrumHeaderFrequency = "%6.1f\t";
inline constexpr const char* kSpectrumHeaderPower = "Pwr\tPwr(A)\t";

// Followed by the C library's ctime text (which ends in a newline).
inline constexpr const char* kLogOn = "\nData Logging On: %s";
inline constexpr int kRuleLength = 129;

inline constexpr const char* kMsgOpenFailed = "Failure opening log file: %s";
inline constexpr const char* kMsgWriteFailed = "Error writing to data log file.";
inline constexpr const char* kCaptionError = "Error";

// ---- the setup dialog --------------------------------------------------------------------------

inline constexpr const char* kDialogTitle = "Data Logging Setup";
inline constexpr const char* kDataType = "Data Type:";
inline constexpr const char* kThreshold = "Threshold:";
inline constexpr const char* kUpdate = "Update";
inline constexpr const char* kAsOften = "&As often as possible";
inline constexpr const char* kIntervals = "&Specific Intervals (seconds)";
inline constexpr const char* kSpan = "Frequency Span";
inline constexpr const char* kFullSpan = "&Full Span";
inline constexpr const char* kCustom = "C&ustom";
inline constexpr const char* kStart = "Start (Hz)";
inline constexpr const char* kStop = "Stop (Hz)";
inline constexpr const char* kOutputFile = "Output File:";
inline constexpr const char* kViewer = "Viewer Program:";
inline constexpr const char* kPick = "Pick...";
inline constexpr const char* kFileMode = "File Mode";
inline constexpr const char* kOverwrite = "&Overwrite";
inline constexpr const char* kAppend = "&Append";
inline constexpr const char* kHelp = "&Help";
inline constexpr const char* kPickLogTitle = "Select Log File";
inline constexpr const char* kPickLogFilter = "%s (*.txt)|*.txt|";
inline constexpr const char* kPickLogKind = "Data Log File";
inline constexpr const char* kPickViewerTitle = "Select Text Viewer Program";
inline constexpr const char* kPickViewerKind = "Text Viewer";

inline constexpr const char* kMsgStopBelowStart =
    "Stop Frequency must be greater than Start Frequency";
inline constexpr const char* kMsgStartRange = "Start Frequency must be between %6.1f and %6.1f Hz";
inline constexpr const char* kMsgStopRange = "Stop Frequency must be between %6.1f and %6.1f Hz";
inline constexpr const char* kMsgIntervalRange =
    "Update Interval must be between 1 and %d seconds.";
inline constexpr const char* kAskEnable = "Do you want to enable data logging now?";

}  // namespace orvanix::measuretext
