// Telephone keypad tones (DTMF) decoded from a stream of spectra, one channel per object.
// Each spectrum is classified by its two strongest keypad tones; a key is accepted when the
// run of spectra that show it ends, if it lasted at least the minimum duration, and a new
// run may start only after the minimum spacing since the last accepted key.
//
// Beyond the plain tone levels, the two tones of a key must lie at their keypad frequencies
// within the telephone tolerance (the spectrum's own peak near each tone within 2.5 %:
// accepted within 1.5 %, refused beyond 3.5 %), and together carry at least 40 % of the
// power between 400 and 3400 Hz: a keypad pair is two pure tones, while music whose notes
// fall on keypad frequencies (A#5 is 941 Hz within 1 %, F#6 1477 Hz) brings other notes and
// harmonics beside them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace orvanix {

class TSpectralData;

inline constexpr std::array<float, 8> kDtmfFrequencies = {697,  770,  852,  941,
                                                          1209, 1336, 1477, 1633};
// The spectrum's peak near a tone may stray this far (a fraction) from the keypad frequency.
inline constexpr double kDtmfFrequencyTolerance = 0.025;
// The share of the voice band's power a key's two tones must carry together.
inline constexpr double kDtmfPairShare = 0.4;

// The live decoder's options are TDtmfDecoderOptions (files/SettingsRecordsGenerator.h,
// section "DTMF" of the program settings file).

// What one spectrum shows at the eight keypad tones.
struct TDtmfTones {
  std::array<float, 8> levelDb{};  // the spectrum's value at the line nearest each tone
  std::array<float, 8> peakHz{};   // where the spectrum peaks near each tone (0: unknown)
  std::array<float, 8> share{};    // the peak's share of the power from 400 to 3400 Hz
};

// Reads a spectrum at the keypad tones: the value at the nearest line, and the peak's
// frequency within 3.5 % of the tone, interpolated between lines.
TDtmfTones ReadDtmfTones(const TSpectralData& spectrum);

class TDTMFData {
 public:
  static constexpr size_t kMaxKeys = 999;

  TDTMFData(float thresholdDb, int32_t minDurationMsec, int32_t minSpacingMsec);
  // New parameters; the state is reset and the string cleared.
  void SetParameters(float thresholdDb, int32_t minDurationMsec, int32_t minSpacingMsec);
  void Reset();
  // Whether the tones must lie at their keypad frequencies and carry the voice band's power
  // (on by default; off, only the levels count).
  void SetFrequencyCheck(bool on) { frequencyCheck_ = on; }

  // One spectrum at `timeMsec`; returns 1 when a key was appended, else 0.
  int Feed(const TSpectralData& spectrum, int32_t timeMsec);
  int Feed(const TDtmfTones& tones, int32_t timeMsec);

  // The key the latest spectrum shows, ' ' for none.
  char CurrentKey() const { return currentKey_; }
  // The accepted keys, at most kMaxKeys (the oldest go first).
  const std::string& Keys() const { return keys_; }
  // Into a caller's buffer of kMaxKeys + 1 characters, NUL-terminated.
  void CopyKeys(char* buffer) const;

  float ThresholdDb() const { return thresholdDb_; }
  int32_t MinDurationMsec() const { return minDuration_; }
  int32_t MinSpacingMsec() const { return minSpacing_; }

 private:
  void Append(char key);

  float thresholdDb_;
  int32_t minDuration_;
  int32_t minSpacing_;
  bool frequencyCheck_ = true;
  int32_t toneStart_ = 0;   // time the running key began; 0: none
  int32_t keyEnd_ = 0;      // time the last key was accepted
  int32_t spacingRef_ = 0;  // a key may start once minSpacing_ has passed since this
  int32_t duration_ = 0;
  char currentKey_ = ' ';
  char runningKey_ = ' ';  // the key of the running key's spectra
  std::string keys_;
};

}  // namespace orvanix
