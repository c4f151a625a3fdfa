// How long each signal type naturally is, and the one-second rule that makes every buffer
// a whole number of periods and at least a second long.
#pragma once

#include <cstdint>

#include "files/SettingsRecordsGenerator.h"

namespace orvanix {

class TNoiseResources;

// Samples per period of a frequency at `rate`: the integer part of rate / hz. 0 when hz is
// not a positive number; saturates far beyond any buffer instead of overflowing.
int64_t PeriodSamples(uint32_t rate, double hz);
// The integer part of a non-negative product, saturating like PeriodSamples; negative or
// NaN products give 0.
int64_t WholeSamples(double value);

// The natural length in samples (before the one-second rule) of a channel's signal at
// `rate`: the resource loop for White Noise, S - 20 for Pink Noise, a cycle for the bursts,
// 10 x rate for the tones, rate for IMD and Digital Zero, the sweep time, a period for the
// classic waves and the pulse, the file's frames for User Defined (`userFrames`, 0 when it
// did not open), the key string's slots for DTMF. 64-bit: configuration values are not
// checked and may ask for more than any buffer holds; the caller bounds it.
int64_t NaturalLength(const TSignalRecord& record, uint32_t rate, const TNoiseResources* noise,
                      int64_t userFrames);

// The one-second rule: a length of 0 or less becomes the rate; a length n below the rate
// becomes n x (rate / n + 1), the smallest whole number of periods longer than a second;
// longer lengths stay.
int64_t OneSecondRule(int64_t length, uint32_t rate);

}  // namespace orvanix
