// Reading and writing the signal generator's settings and the DTMF decoder's options.
// The generator reads its keys when its window opens (from the program settings file, or
// from a configuration loaded while it is open) and writes them when it closes and when a
// configuration is saved while it is open; the decoder reads its options when its window
// is created and writes them when it closes.
#pragma once

#include "files/Profile.h"
#include "files/SettingsRecordsGenerator.h"

namespace orvanix {

// "Level", "Main", "Settings"/"GeneratorSamplingRate" and every signal type's section of
// both channels (the right channel's sections end in "R"; "DTMF" is shared: both channels
// read it and the right channel's values are written last).
void LoadGeneratorSettings(const TProfile& profile, TGeneratorSettings& settings);
void SaveGeneratorSettings(TProfile& profile, const TGeneratorSettings& settings);

// The "DTMF" keys of the live decoder: "HitThresholdLevel" ("%f"), "MinDigitDurationMsec",
// "MinDigitSpacingMsec" ("%d").
void LoadDtmfDecoderOptions(const TProfile& profile, TDtmfDecoderOptions& options);
void SaveDtmfDecoderOptions(TProfile& profile, const TDtmfDecoderOptions& options);

}  // namespace orvanix
