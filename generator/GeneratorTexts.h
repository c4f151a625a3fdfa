// The signal generator's own texts: type lists, units, the full-scale card list, dialog
// captions and every message, gathered so that code and tests use the same constants.
// Texts with printf fields are formatted with Format() of engine/Messages.h.
#pragma once

#include <cstddef>

namespace orvanix::gentext {

// ---- the window ---------------------------------------------------------------------------
inline constexpr const char* kWindowTitle = "Signal Generator";
inline constexpr const char* kRun = "Run";
inline constexpr const char* kStop = "Stop";
inline constexpr const char* kLevel = "Level";
inline constexpr const char* kDetails = "Details...";
inline constexpr const char* kNotApplicable = "N/A";
inline constexpr const char* kLeftLabel = "L";
inline constexpr const char* kRightLabel = "R";
inline constexpr const char* kBuilding = "Building Signal.  Please Wait...";
inline constexpr const char* kMonoOnly =
    "The analyzer is currently setup for single channel operation (mono), to generate separate "
    "signals for each channel you must change to stereo format - this is controlled under the "
    "<Options><Settings> menu.";
inline constexpr const char* kResourcesFailed = "Failure Loading Resources - insufficient memory.";

// ---- signal types, in the order of the type lists -----------------------------------------
inline constexpr size_t kTypeCount = 16;
inline constexpr const char* kTypeNames[kTypeCount] = {
    "White Noise",    "Pink Noise",   "Noise Burst", "1 kHz Tone",  "Multiple Tones", "Tone Burst",
    "IMD Test Tones", "Freq Sweep",   "Level Sweep", "Sawtooth",    "Triangular",     "Pulse",
    "Square",         "User Defined", "DTMF",        "Digital Zero"};
// SetSignalType also takes "Noise" for White Noise.
inline constexpr const char* kNoiseAlias = "Noise";

// ---- output level -------------------------------------------------------------------------
inline constexpr const char* kLevelDialogTitle = "Generator Output Level";
inline constexpr size_t kUnitsTextCount = 7;
inline constexpr const char* kUnitsNames[kUnitsTextCount] = {
    "dB Full Scale", "Percent Full Scale", "Volts rms", "Millivolts rms",
    "dBV rms",       "dBmV rms",           "dBu rms"};
// The start value of both levels when the units change, by units.
inline constexpr const char* kUnitsStartLevels[kUnitsTextCount] = {"0.0", "100.0", "1.0", "100.0",
                                                                   "0.0", "0.0",   "0.0"};
inline constexpr size_t kCardCount = 8;
inline constexpr const char* kCardNames[kCardCount] = {
    "Corvanta - (Max Volume Wave & Master)",
    "DAL CardD - Jumper Setting 1 (+4dB)",
    "DAL CardD - Jumper Setting 2 (CD) - default",
    "DAL CardD - Jumper Setting 2 (-10dB)",
    "Turtle Beach Tahiti/Monterey - Max Volume",
    "AudioTrix Pro - Max Volume",
    "Sound Blaster 16 AWE32 - Max Volume (line out)",
    "Sound Blaster 16 AWE32 - Max Volume (speaker out)"};
inline constexpr float kCardFullScaleVolts[kCardCount] = {0.647f, 4.945f, 2.13f, 1.255f,
                                                          1.391f, 1.608f, 1.06f, 3.84f};
inline constexpr const char* kChoiceVolts = "Level (Volts RMS)";
inline constexpr const char* kChoiceUnknown = "I don't know";
inline constexpr const char* kChoicePick = "Pick from list:";
inline constexpr const char* kLeftLevel = "Left Level:";
inline constexpr const char* kRightLevel = "Right Level:";
inline constexpr const char* kUnits = "Units:";
inline constexpr const char* kFullScaleGroup = "Full Scale Output Level";

inline constexpr const char* kLevelDbFs = "Output Level must be between 0.0 and -96 dB";
inline constexpr const char* kLevelPercent = "Output Level must be between 0.0 and 100 percent";
inline constexpr const char* kLevelVolts = "Output Level must be between 0.0 and %f volts";
inline constexpr const char* kLevelMillivolts =
    "Output Level must be between 0.0 and %f millivolts";
inline constexpr const char* kLevelDbV = "Output Level must be between %f and %f dBV";
inline constexpr const char* kLevelDbMv = "Output Level must be between %f and %f dBmV";
inline constexpr const char* kLevelDbU = "Output Level must be between %f and %f dBu";
inline constexpr const char* kFullScaleNotPositive =
    "Full Scale Level must be greater than 0.0 volts";

// ---- details dialogs: captions ------------------------------------------------------------
inline constexpr const char* kNoiseBurstTitle = "Noise Burst Settings";
inline constexpr const char* kTonesTitle = "Tone Settings";
inline constexpr const char* kToneBurstTitle = "Tone Burst Settings";
inline constexpr const char* kImdTitle = "IMD tones";
inline constexpr const char* kFreqSweepTitle = "Frequency Sweep Waveform Settings";
inline constexpr const char* kLevelSweepTitle = "Level Sweep Waveform Settings";
inline constexpr const char* kSawtoothTitle = "Sawtooth Wave Settings";
inline constexpr const char* kTriangularTitle = "Triangular Wave Settings";
inline constexpr const char* kSquareTitle = "Square Wave Settings";
inline constexpr const char* kPulseTitle = "Pulse Settings";
inline constexpr const char* kUserDefinedTitle = "User Defined Signal";
inline constexpr const char* kDtmfTitle = "DTMF Signal Details";

// ---- details dialogs: labels --------------------------------------------------------------
inline constexpr const char* kWhiteNoise = "&White Noise";
inline constexpr const char* kPinkNoise = "&Pink Noise";
inline constexpr const char* kBurstTime = "Burst Time (msec):";
inline constexpr const char* kCycleTime = "CycleTime (msec):";
inline constexpr const char* kToneFrequency = "Tone Frequency (Hz):";
inline constexpr const char* kFrequencyHz = "Frequency (Hz)";
inline constexpr const char* kRelativePower = "Relative Power (dB)";
inline constexpr const char* kStandardSet1 = "Standard Set &1";
inline constexpr const char* kStandardSet2 = "Standard Set &2";
inline constexpr const char* kCustom = "&Custom";
inline constexpr const char* kStandardSet1Detail = "250 Hz / 8020 Hz, 4:1";
inline constexpr const char* kStandardSet2Detail = "60 Hz / 7000 Hz, 4:1";
inline constexpr const char* kLowFrequency = "Low Frequency (Hz):";
inline constexpr const char* kHighFrequency = "High Frequency (Hz):";
inline constexpr const char* kPowerRatio = "Power Ratio (Low:High):";
inline constexpr const char* kStartFrequency = "Start Frequency (Hz):";
inline constexpr const char* kStopFrequency = "Stop Frequency (Hz):";
inline constexpr const char* kLinear = "Linear";
inline constexpr const char* kLogarithmic = "Logarithmic";
inline constexpr const char* kSweepTime = "Sweep Time (msec):";
inline constexpr const char* kStartLevel = "Start Level (dB):";
inline constexpr const char* kStopLevel = "Stop Level (dB):";
inline constexpr const char* kSignalFrequency = "Signal Frequency (Hz):";
inline constexpr const char* kFrequency = "Frequency (Hz):";
inline constexpr const char* kPositive = "Positive";
inline constexpr const char* kNegative = "Negative";
inline constexpr const char* kDutyCycle = "Duty Cycle (%):";
inline constexpr const char* kPulseWidthUsec = "Pulse Width (microseconds):";
inline constexpr const char* kRepetitionInterval = "Repetition Interval (microseconds):";
inline constexpr const char* kSingleShot = "&Single Shot Pulse";
inline constexpr const char* kWaveFilePath = "Wave File:";
inline constexpr const char* kPick = "Pick";
inline constexpr const char* kKeyString = "Key String:";
inline constexpr const char* kPulseWidthMsec = "Pulse Width (msec):";
inline constexpr const char* kInterpulseSpacing = "Interpulse Spacing (msec):";
inline constexpr const char* kTwist = "Twist (dB):";
inline constexpr const char* kRepeatKeys = "&Repeat Key String Continuously";

// ---- details dialogs: messages ------------------------------------------------------------
inline constexpr const char* kBurstNotPositive = "Burst time must be greater than 0";
inline constexpr const char* kCycleNotPositive = "Cycle time must be greater than 0";
inline constexpr const char* kBurstNotShorter = "Burst time must be less than the cycle time.";
inline constexpr const char* kToneFrequencyRange = "Frequency must be between 0 and %ld Hz.";
inline constexpr const char* kTonePowerRange = "Power must be between %d and %d dB.";
inline constexpr const char* kImdLowRange = "Low Frequency must be between 0.0 and %ld";
inline constexpr const char* kImdHighRange = "High Frequency must be between 1000.0 and %ld";
inline constexpr const char* kImdHighNotAbove =
    "High Frequency must be greater than the Low Frequency";
inline constexpr const char* kImdRatioRange = "Power Ratio must be between 1 and 10";
inline constexpr const char* kSweepStartRange =
    "Start Frequency must be between %6.2f and %6.2f Hz.";
inline constexpr const char* kSweepStopRange = "Stop Frequency must be between %6.2f and %6.2f Hz.";
inline constexpr const char* kSweepTimeRange =
    "Sweep time must be between %ld and %ld Milliseconds.";
inline constexpr const char* kLevelStartRange = "Start Level must be between %6.2f and %6.2f dB.";
inline constexpr const char* kLevelStopRange = "Stop Level must be between %6.2f and %6.2f dB.";
inline constexpr const char* kSignalFrequencyRange =
    "Signal Frequency must be between %6.2f and %6.2f Hz.";
inline constexpr const char* kWaveFrequencyRange = "Frequency must be between %6.2f and %6.2f Hz.";
inline constexpr const char* kDutyRange = "Duty cycle must be between %ld and %ld Percent.";
// The design gives the width-before-interval message only; the two range refusals "give the
// range" in words of ours, in the same style.
inline constexpr const char* kPulseWidthRange =
    "Pulse Width must be between %ld and %ld microseconds.";
inline constexpr const char* kPulseIntervalRange =
    "Repetition Interval must be between %ld and %ld microseconds.";
inline constexpr const char* kPulseWidthNotShorter =
    "Pulse Width must be less than the repitition interval";
inline constexpr const char* kDtmfWidthRange =
    "Pulse Width must be between %ld and %ld Milliseconds.";
inline constexpr const char* kDtmfSpacingRange =
    "Interpulse Spacing Width must be between %ld and %ld Milliseconds.";
inline constexpr const char* kDtmfTwistRange = "Twist must be between -30 and +30 dB";

// ---- building, saving ---------------------------------------------------------------------
inline constexpr const char* kUserFileFailed = "Generator - Failure opening file: %s";
// Our own: a signal longer than the buffer bound (see SignalBuilder.h).
inline constexpr const char* kSignalTooLong =
    "The %s signal would last %.1f seconds; the generator builds at most %u seconds.  Change "
    "its settings under \"Details...\".";
inline constexpr const char* kSaveTitle = "Save Wave File";
inline constexpr const char* kSaveFilter = "%s (*.wav)|*.wav|";
inline constexpr const char* kWaveFiles = "Wave Files";
// Our own: the path chosen for Save Signal is the analyzer's open document.
inline constexpr const char* kFileInUse =
    "The file %s is open in the analyzer and in use.  Choose another name for the signal.";
// Our own: Save Signal without a built buffer.
inline constexpr const char* kNoSignal =
    "There is no signal to save: the generator could not build one.";
// Our own: the output device went away or refused the format while playing.
inline constexpr const char* kPlaybackStopped =
    "The signal generator has stopped playing: the output device %s could not go on.  The "
    "analyzer continues.";

}  // namespace orvanix::gentext
