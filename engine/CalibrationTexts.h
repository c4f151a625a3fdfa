// The system's own texts of calibration: unit, conversion and reference-type lists, axis
// labels, the calibration dialog and its messages.
#pragma once

namespace orvanix {

// Display texts of the units, by unit index 0 ... 11 (not list order; see UnitList()).
inline constexpr const char* kUnitTexts[12] = {"Volts",
                                               "Millivolts",
                                               "SPL dB (in air)",
                                               "Acceleration (G)",
                                               "Custom",
                                               "dBV",
                                               "dBmV",
                                               "dBu",
                                               "Pascals (in air)",
                                               "Pressure (psi)",
                                               "SPL dB (in water)",
                                               "Pascals (in water)"};

// Display texts of the conversions, by conversion index 0 ... 8 (not list order).
inline constexpr const char* kConversionTexts[9] = {"None",
                                                    "Velocity (ft/sec)",
                                                    "Velocity (in/sec)",
                                                    "Velocity (mm/sec)",
                                                    "Displacement (ft)",
                                                    "Displacement (in)",
                                                    "Displacement (mm)",
                                                    "Velocity (mils/sec)",
                                                    "Displacement (mils)"};
// What the conversion list shows for a unit other than "Acceleration (G)".
inline constexpr const char* kConversionNotApplicable = "N/A";

// Reference and display types, by type 0 ... 2.
inline constexpr const char* kReferenceTypeTexts[3] = {"peak", "rms", "peak to peak"};
// The last word of a proposed axis label, by display type 0 ... 2.
inline constexpr const char* kLabelTypeWords[3] = {"peak", "rms", "p-p"};

// Labels of the default and cleared records.
inline constexpr const char* kDefaultCalibrationFile = "default.cal";
inline constexpr const char* kDefaultLabelLinear = "Volts rms";
inline constexpr const char* kDefaultLabelLog = "dBV rms";
inline constexpr const char* kUncalibratedLabelLinear = "Percent Full Scale";
inline constexpr const char* kUncalibratedLabelLog = "Relative Amplitude (dB)";
inline constexpr const char* kDefaultLeftName = "Left";
inline constexpr const char* kDefaultRightName = "Right";

// Words of the proposed axis labels.
inline constexpr const char* kLabelVolts = "Volts";
inline constexpr const char* kLabelDbV = "dBV";
inline constexpr const char* kLabelMillivolts = "Millivolts";
inline constexpr const char* kLabelDbMv = "dBmV";
inline constexpr const char* kLabelDbu = "dBu";
inline constexpr const char* kLabelPascals = "Pascals";
inline constexpr const char* kLabelSplAir = "SPL (dB re 20uPA)";
inline constexpr const char* kLabelSplWater = "SPL (dB re 1uPA)";
inline constexpr const char* kLabelPsi = "Pressure (psi)";
inline constexpr const char* kLabelPsiPeak = "Pressure (psi) Peak";  // the capital is the system's
inline constexpr const char* kLabelPsiDb = "Pressure (psi dB)";
inline constexpr const char* kLabelAcceleration = "Acceleration (G)";
inline constexpr const char* kLabelAccelerationDb = "Acceleration (G dB)";

// The calibration dialog.
inline constexpr const char* kCalibrationDialogTitle = "Amplitude Calibration";
inline constexpr const char* kCalibrationStep1 =
    "1. Connect calibration signal to input of sound card.";
inline constexpr const char* kCalibrationStep2 =
    "2. Enter calibration signal parameters and units.";
inline constexpr const char* kCalibrationStep3 = "3. Click \"Measure Input Signal\" to calibrate.";
inline constexpr const char* kDetectedLevelsGroup = "Detected levels (Percent full scale)";
inline constexpr const char* kMeasureButton = "Measure Input Signal!";
inline constexpr const char* kPercentFormat = "%6.4f";
inline constexpr const char* kCalibrationFilter = "%s (*.cal)|*.cal|";
inline constexpr const char* kCalibrationFilesText = "Calibration Files";
inline constexpr const char* kOpenCalibrationTitle = "Open Calibration File";
inline constexpr const char* kSaveCalibrationTitle = "Save Calibration File";

// Messages.
inline constexpr const char* kNegativeReferenceMessage =
    "The Reference Signal Level cannot be less than zero";
inline constexpr const char* kCalibrationOverloadMessage =
    "The calibration signal is overloading the input.\rReduce the calibration signal level or "
    "decrease the sound card input gain and recalibrate.";
inline constexpr const char* kCalibrationTooLowMessage =
    "The calibration signal level is too low for accurate calibration.\r\rIncrease the "
    "calibration signal level, preamp gain, or input sensitivity (gain)\rof your sound card "
    "and restart the calibration procedure.";
inline constexpr const char* kCalibrationChangedQuestion =
    "Calibration file has changed.  Save changes before closing?";

}  // namespace orvanix
