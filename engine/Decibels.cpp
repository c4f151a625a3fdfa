#include "engine/Decibels.h"

#include <cmath>

namespace orvanix {

// The comparisons are written so that a NaN input also yields kNoDb.
float ToDb(double power) {
  if (!(power > 0.0)) return kNoDb;
  return static_cast<float>(10.0 * std::log10(power));
}

float AmplitudeToDb(double amplitude) {
  if (!(amplitude > 0.0)) return kNoDb;
  return static_cast<float>(20.0 * std::log10(amplitude));
}

double FromDbPower(double db) {
  return std::pow(10.0, db * 0.1);
}

double FromDbAmplitude(double db) {
  return std::pow(10.0, db * 0.05);
}

}  // namespace orvanix
