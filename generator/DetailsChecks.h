// The checks of the signal types' details dialogs, as plain functions: each returns the
// message of the first failure in the dialog's order and the field to focus, or an empty
// message when the values are acceptable. `nyquist` is M, the generator output's rate / 2 (a
// whole number). Values the user typed that are not numbers arrive as NaN and fail every
// range.
#pragma once

#include <cstdint>
#include <string>

#include "engine/Messages.h"

namespace orvanix {

struct TSignalRecord;

struct TDetailsCheck {
  std::string message;  // empty: accepted
  int field = 0;        // which of the check's values failed, in argument order from 0
  MessageIcon icon = MessageIcon::Information;
  bool Ok() const { return message.empty(); }
};

// Sweep times the sweeps accept, in milliseconds.
inline constexpr long kMinSweepMsec = 1;
inline constexpr long kMaxSweepMsec = 600000;
inline constexpr double kMinLevelDb = -96.0;
inline constexpr int kMaxDtmfKeys = 100;
inline constexpr long kMinDtmfMsec = 1;
inline constexpr long kMaxDtmfMsec = 10000;

// Noise Burst (and the burst part of Tone Burst): fields burst, cycle.
TDetailsCheck CheckBurst(double burstMsec, double cycleMsec);
// One enabled row of Multiple Tones: fields frequency, power.
TDetailsCheck CheckToneRow(double hz, double powerDb, long nyquist);
// Tone Burst: fields frequency, burst, cycle.
TDetailsCheck CheckToneBurst(double hz, double burstMsec, double cycleMsec, long nyquist);
// IMD custom tones (the standard sets need no check): fields low, high, ratio.
TDetailsCheck CheckImdCustom(double lowHz, double highHz, double ratio, long nyquist);
// Freq Sweep: fields start, stop, time.
TDetailsCheck CheckFreqSweep(double startHz, double stopHz, double timeMsec, long nyquist);
// Level Sweep: fields start level, stop level, frequency, time.
TDetailsCheck CheckLevelSweep(double startDb, double stopDb, double hz, double timeMsec,
                              long nyquist);
// Sawtooth and Triangular: field frequency, in (0, M].
TDetailsCheck CheckWaveFrequency(double hz, long nyquist);
// Square: fields frequency, duty cycle (1 ... 99 percent).
TDetailsCheck CheckSquare(double hz, double dutyPct, long nyquist);
// Pulse: fields width, interval (microseconds).
struct TPulseLimits {
  long minUsec = 200;                 // Wmin = 1000000 / (2M), integer division; 200 when M is 0
  long maxWidthUsec = 20000000;       // Wmax = 100000 x Wmin
  long maxIntervalUsec = 2000000000;  // 100 x Wmax
};
TPulseLimits PulseLimits(long nyquist);
TDetailsCheck CheckPulse(double widthUsec, double intervalUsec, long nyquist);
// DTMF: fields pulse width, spacing, twist.
TDetailsCheck CheckDtmf(double widthMsec, double spacingMsec, double twistDb);

// A channel's record checked as its type's details dialog checks it (the enabled tone rows,
// custom IMD tones only, ...); types without a dialog always pass. Used where values arrive
// without a dialog (the command line).
TDetailsCheck CheckSignalRecord(const TSignalRecord& record, long nyquist);

}  // namespace orvanix
