// Power and amplitude <-> decibel conversions shared by every dB array of the engine.
#pragma once

namespace orvanix {

// The common "no value" of dB arrays: what a zero or negative level converts to.
inline constexpr float kNoDb = -999.9f;

// 10*log10(power); kNoDb for power <= 0 (or NaN).
float ToDb(double power);
// 20*log10(amplitude); kNoDb for amplitude <= 0 (or NaN).
float AmplitudeToDb(double amplitude);
// 10^(db/10): a power ratio.
double FromDbPower(double db);
// 10^(db/20): an amplitude ratio.
double FromDbAmplitude(double db);

}  // namespace orvanix
