// Calibration files (.cal): a profile file with one section "Calibration" holding the
// reference, unit, labels, measured fractions, ratios and channel names of a calibration
// record. The record's enabled switch and file name are not part of the file.
#pragma once

#include <string>

#include "engine/Calibration.h"

namespace orvanix {

enum class CalibrationLoad {
  kLoaded,      // read; keys missing from the file took their defaults
  kMissing,     // no such file: every key took its default, nothing reported
  kUnreadable,  // the file exists but could not be read: defaults, and the user was told
};

// Fills the file's fields of `record` (see above); the other fields are left alone.
// Missing keys, a missing file and an unreadable file give the defaults of a new
// configuration's record (1.0 V peak reference, "Volts rms" / "dBV rms" shown as rms,
// fractions 0.5, ratios 1.0, "Left" / "Right").
CalibrationLoad LoadCalibration(const std::string& path, TCalibration& record);
// Writes the keys in their order ("%f" for reals, "%d" for integers, texts as they are),
// keeping any other lines of an existing file, and replaces the file all-or-nothing.
// False when the file could not be written (reported; the old file is unchanged).
bool SaveCalibration(const std::string& path, const TCalibration& record);

}  // namespace orvanix
