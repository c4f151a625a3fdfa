// The generator's signal types and output units: their numbers (stored in the
// configuration as "SigType" and "OutputUnits", so fixed), names and a few facts about each.
#pragma once

#include <cstdint>
#include <string_view>

#include "files/SettingsRecordsGenerator.h"

namespace orvanix {

enum SignalType : int32_t {
  kSignalWhiteNoise = 0,
  kSignalPinkNoise,
  kSignalNoiseBurst,
  kSignalTone1k,
  kSignalMultipleTones,
  kSignalToneBurst,
  kSignalImd,
  kSignalFreqSweep,
  kSignalLevelSweep,
  kSignalSawtooth,
  kSignalTriangular,
  kSignalPulse,
  kSignalSquare,
  kSignalUserDefined,
  kSignalDtmf,
  kSignalDigitalZero,
  kSignalTypeCount
};

enum OutputUnits : int32_t {
  kUnitsDbFs = 0,
  kUnitsPercent,
  kUnitsVolts,
  kUnitsMillivolts,
  kUnitsDbV,
  kUnitsDbMv,
  kUnitsDbU,
  kUnitsCount
};

// The full-scale choice of the output level record ("FSOption").
enum FullScaleOption : int32_t { kFullScaleEntered = 0, kFullScaleUnknown = 1, kFullScaleCard = 2 };

inline bool IsValidSignalType(int32_t type) {
  return type >= 0 && type < kSignalTypeCount;
}
// The list text of a type; "" for a number outside the list.
const char* SignalTypeName(int32_t type);
// The type whose list text is exactly `name` ("Noise" also names White Noise); -1 when none.
int32_t FindSignalType(std::string_view name);
// Whether the type has a details dialog (all but the two noises, the 1 kHz tone and Digital
// Zero).
bool HasDetails(int32_t type);
// The left channel of these types plays once instead of looping: Pulse with the single-shot
// flag, DTMF without the repeat flag.
bool PlaysOnce(const TSignalRecord& left);
// Saving writes these periodic types about a second's worth of whole buffers.
bool SavedRepeated(int32_t type);

// The IMD high-tone frequency the IMD measurement centres on: 8020 Hz for standard set 1,
// the custom high tone for custom tones, 7000 Hz otherwise.
float ImdHighToneHz(const TImdParams& imd);

// The two tones of the IMD types: frequencies and amplitudes (standard sets 4:1).
struct TImdTones {
  double f1 = 0, f2 = 0, a1 = 1, a2 = 0.25;
};
TImdTones ImdTones(const TImdParams& imd);

// The standard DTMF pair of a key ("0"-"9", "*", "#", "A"-"D" in either case); 0 Hz and 0 Hz
// for any other character.
struct TDtmfPair {
  double lowHz = 0, highHz = 0;
};
TDtmfPair DtmfPair(char key);

}  // namespace orvanix
