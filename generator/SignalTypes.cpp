#include "generator/SignalTypes.h"

#include "generator/GeneratorTexts.h"

namespace orvanix {

const char* SignalTypeName(int32_t type) {
  return IsValidSignalType(type) ? gentext::kTypeNames[type] : "";
}

int32_t FindSignalType(std::string_view name) {
  if (name == gentext::kNoiseAlias) return kSignalWhiteNoise;
  for (int32_t type = 0; type < kSignalTypeCount; ++type) {
    if (name == gentext::kTypeNames[type]) return type;
  }
  return -1;
}

bool HasDetails(int32_t type) {
  return IsValidSignalType(type) && type != kSignalWhiteNoise && type != kSignalPinkNoise &&
         type != kSignalTone1k && type != kSignalDigitalZero;
}

bool PlaysOnce(const TSignalRecord& left) {
  return (left.type == kSignalPulse && left.pulse.oneShot == 1) ||
         (left.type == kSignalDtmf && left.dtmf.repeat == 0);
}

bool SavedRepeated(int32_t type) {
  return type == kSignalSawtooth || type == kSignalTriangular || type == kSignalPulse ||
         type == kSignalSquare;
}

float ImdHighToneHz(const TImdParams& imd) {
  if (imd.imdType == 0) return 8020.0f;
  if (imd.imdType == 2) return imd.hiFreqHz;
  return 7000.0f;
}

TImdTones ImdTones(const TImdParams& imd) {
  TImdTones tones;
  // Values other than 0 and 2 play standard set 2, as the IMD measurement reads them
  // (its high tone is 7000 Hz for every type but 0 and 2).
  if (imd.imdType == 0) {
    tones.f1 = 250.0;
    tones.f2 = 8020.0;
  } else if (imd.imdType == 2) {
    tones.f1 = imd.loFreqHz;
    tones.f2 = imd.hiFreqHz;
    tones.a2 = imd.powerRatio > 0.0f ? 1.0 / imd.powerRatio : 1.0;
  } else {
    tones.f1 = 60.0;
    tones.f2 = 7000.0;
  }
  return tones;
}

TDtmfPair DtmfPair(char key) {
  if (key >= 'a' && key <= 'd') key = static_cast<char>(key - 'a' + 'A');
  // Rows 697, 770, 852, 941 Hz; columns 1209, 1336, 1477, 1633 Hz.
  static constexpr char kKeys[4][5] = {"123A", "456B", "789C", "*0#D"};
  static constexpr double kLow[4] = {697.0, 770.0, 852.0, 941.0};
  static constexpr double kHigh[4] = {1209.0, 1336.0, 1477.0, 1633.0};
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      if (kKeys[row][column] == key) return {kLow[row], kHigh[column]};
    }
  }
  return {};
}

}  // namespace orvanix
