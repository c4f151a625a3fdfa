// Settings records of the signal generator and the DTMF decoder. The windows read and
// write these themselves (LoadGeneratorSettings and the other functions of
// files/ConfigurationGenerator.h): the generator from the program settings file, or from a
// configuration loaded while it is open; the decoder from the program settings file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace orvanix {

// "Level".
struct TGeneratorLevel {
  float outputLevel = 0.0f;   // "OutputLevel": left
  float outputLevelR = 0.0f;  // "OutputLevelR": right
  int32_t outputUnits = 0;    // "OutputUnits"
  int32_t fsCardType = 1;     // "FSCardType": card-list index
  int32_t fsOption = 1;       // "FSOption": 1 unspecified
  float fsLevelVolts = 0.0f;  // "FSLevel"
  bool operator==(const TGeneratorLevel&) const = default;
};

// Parameters of each signal type; sections of the left channel, the right channel's
// sections carry an "R" suffix (DTMF shares one section).
struct TNoiseBurstParams {  // "NoiseBurst"
  int32_t type = 1;         // "Type": 0 white, 1 pink
  int32_t burstTimeMsec = 1000;
  int32_t cycleTimeMsec = 2000;
  bool operator==(const TNoiseBurstParams&) const = default;
};
struct TFreqSweepParams {   // "FreqSweep"
  float startHz = 1000.0f;  // "FStartHz"
  float stopHz = 2000.0f;   // "FStopHz"
  int32_t timeMsec = 1000;  // "TimeMSec"
  int32_t sweepType = 1;    // 1 linear, 2 logarithmic
  bool operator==(const TFreqSweepParams&) const = default;
};
struct TLevelSweepParams {  // "LevelSweep"
  float startDb = -20.0f;   // "StartDB"
  float stopDb = 0.0f;      // "StopDB"
  int32_t timeMsec = 1000;  // "TimeMSec"
  float freqHz = 1000.0f;   // "FreqHz"
  bool operator==(const TLevelSweepParams&) const = default;
};
inline constexpr size_t kToneRows = 10;
struct TTonesParams {                        // "Tones"
  std::array<int32_t, kToneRows> enable{1};  // "ToneEnable0" ...: row 0 on
  std::array<float, kToneRows> freqHz{1000.0f, 2000.0f, 3000.0f, 4000.0f, 5000.0f,
                                      6000.0f, 7000.0f, 8000.0f, 9000.0f, 10000.0f};  // "FreqHz0"
  std::array<float, kToneRows> powerDb{};  // "PwrDB0" ...
  bool operator==(const TTonesParams&) const = default;
};
struct TToneBurstParams {  // "ToneBurst"
  int32_t freqHz = 1000;   // whole Hz
  int32_t burstTimeMsec = 1000;
  int32_t cycleTimeMsec = 2000;
  bool operator==(const TToneBurstParams&) const = default;
};
struct TImdParams {          // "IMD"
  int32_t imdType = 0;       // "IMDtype": 0 set 1, 1 set 2, 2 custom
  float loFreqHz = 100.0f;   // "LoFreqHz"
  float hiFreqHz = 5000.0f;  // "HiFreqHz"
  float powerRatio = 4.0f;   // "PwrRatio": low : high amplitude
  bool operator==(const TImdParams&) const = default;
};
struct TPulseParams {               // "Pulse"
  int32_t widthUsec = 200;          // "WidthNSec" (microseconds despite the name)
  int32_t repIntervalUsec = 10000;  // "RepIntervalNSec"
  int32_t oneShot = 0;              // "OneShotFlag"
  bool operator==(const TPulseParams&) const = default;
};
struct TSawtoothParams {  // "Sawtooth"
  int32_t slope = 1;      // 1 rising, -1 falling
  float freqHz = 1000.0f;
  bool operator==(const TSawtoothParams&) const = default;
};
struct TTriangularParams {  // "Triangular"
  float freqHz = 1000.0f;
  bool operator==(const TTriangularParams&) const = default;
};
struct TSquareParams {  // "Square"
  float freqHz = 2000.0f;
  int32_t dutyCyclePct = 50;
  bool operator==(const TSquareParams&) const = default;
};
struct TUserDefinedParams {  // "User Defined"
  std::string waveFileName;  // "WaveFileName", 260
  bool operator==(const TUserDefinedParams&) const = default;
};
struct TDtmfSignalParams {                     // "DTMF" (shared by both channels)
  std::string keyString = "1234567890*#ABCD";  // "KeyString", up to 100 characters
  int32_t pulseWidthMsec = 100;
  int32_t pulseSpacingMsec = 100;
  float twistDb = 3.0f;  // "TwistDB"
  int32_t repeat = 0;    // "RepeatFlag"
  bool operator==(const TDtmfSignalParams&) const = default;
};

// One channel's signal: its type ("SigType" / "SigTypeR" of "Main") and the parameters
// of every type.
struct TSignalRecord {
  int32_t type = 1;
  TNoiseBurstParams noiseBurst;
  TFreqSweepParams freqSweep;
  TLevelSweepParams levelSweep;
  TTonesParams tones;
  TToneBurstParams toneBurst;
  TImdParams imd;
  TPulseParams pulse;
  TSawtoothParams sawtooth;
  TTriangularParams triangular;
  TSquareParams square;
  TUserDefinedParams userDefined;
  TDtmfSignalParams dtmf;
  bool operator==(const TSignalRecord&) const = default;
};

struct TGeneratorSettings {
  TGeneratorLevel level;
  TSignalRecord left;
  TSignalRecord right;
  int32_t samplingRateHz = 0;  // "GeneratorSamplingRate" of "Settings": 0 the analyzer's rate
  bool operator==(const TGeneratorSettings&) const = default;
};

// "DTMF" keys of the live decoder (program settings file).
struct TDtmfDecoderOptions {
  float hitThresholdDb = -40.0f;      // "HitThresholdLevel", -80 ... 0
  int32_t minDigitDurationMsec = 20;  // "MinDigitDurationMsec", 1 ... 1000
  int32_t minDigitSpacingMsec = 20;   // "MinDigitSpacingMsec", 1 ... 1000
  bool operator==(const TDtmfDecoderOptions&) const = default;
};

}  // namespace orvanix
