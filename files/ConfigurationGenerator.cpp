// The generator's and the DTMF decoder's keys, read and written through the same key
// lists as the rest of the configuration.
#include "files/ConfigurationGenerator.h"

#include <string>

#include "files/ConfigTexts.h"
#include "files/ConfigurationIo.h"

namespace orvanix {

namespace {

constexpr size_t kPathChars = 260;
constexpr size_t kKeyStringChars = 101;  // up to 100 keys to dial

// The parameters of every signal type of one channel. `suffix` is "" for the left
// channel and "R" for the right one.
void VisitSignal(TSettingsIo& io, TSignalRecord& r, const std::string& suffix) {
  const std::string noise = "NoiseBurst" + suffix;
  io.Int(noise.c_str(), "Type", r.noiseBurst.type, 1);
  io.Int(noise.c_str(), "BurstTimeMsec", r.noiseBurst.burstTimeMsec, 1000);
  io.Int(noise.c_str(), "CycleTimeMsec", r.noiseBurst.cycleTimeMsec, 2000);

  const std::string sweep = "FreqSweep" + suffix;
  io.Real(sweep.c_str(), "FStartHz", r.freqSweep.startHz, 1000.0f);
  io.Real(sweep.c_str(), "FStopHz", r.freqSweep.stopHz, 2000.0f);
  io.Int(sweep.c_str(), "TimeMSec", r.freqSweep.timeMsec, 1000);
  io.Int(sweep.c_str(), "SweepType", r.freqSweep.sweepType, 1);

  const std::string level = "LevelSweep" + suffix;
  io.Real(level.c_str(), "StartDB", r.levelSweep.startDb, -20.0f);
  io.Real(level.c_str(), "StopDB", r.levelSweep.stopDb, 0.0f);
  io.Int(level.c_str(), "TimeMSec", r.levelSweep.timeMsec, 1000);
  io.Real(level.c_str(), "FreqHz", r.levelSweep.freqHz, 1000.0f);

  const std::string tones = "Tones" + suffix;
  for (size_t i = 0; i < kToneRows; ++i) {
    const std::string n = std::to_string(i);
    io.Int(tones.c_str(), ("ToneEnable" + n).c_str(), r.tones.enable[i], i == 0 ? 1 : 0);
    io.Real(tones.c_str(), ("FreqHz" + n).c_str(), r.tones.freqHz[i],
            1000.0f * static_cast<float>(i + 1));
    io.Real(tones.c_str(), ("PwrDB" + n).c_str(), r.tones.powerDb[i], 0.0f);
  }

  const std::string burst = "ToneBurst" + suffix;
  io.Int(burst.c_str(), "FreqHz", r.toneBurst.freqHz, 1000);
  io.Int(burst.c_str(), "BurstTimeMsec", r.toneBurst.burstTimeMsec, 1000);
  io.Int(burst.c_str(), "CycleTimeMsec", r.toneBurst.cycleTimeMsec, 2000);

  const std::string imd = "IMD" + suffix;
  io.Int(imd.c_str(), "IMDtype", r.imd.imdType, 0);
  io.Real(imd.c_str(), "LoFreqHz", r.imd.loFreqHz, 100.0f);
  io.Real(imd.c_str(), "HiFreqHz", r.imd.hiFreqHz, 5000.0f);
  io.Real(imd.c_str(), "PwrRatio", r.imd.powerRatio, 4.0f);

  const std::string pulse = "Pulse" + suffix;
  io.Int(pulse.c_str(), "WidthNSec", r.pulse.widthUsec, 200);
  io.Int(pulse.c_str(), "RepIntervalNSec", r.pulse.repIntervalUsec, 10000);
  io.Int(pulse.c_str(), "OneShotFlag", r.pulse.oneShot, 0);

  const std::string saw = "Sawtooth" + suffix;
  io.Int(saw.c_str(), "Slope", r.sawtooth.slope, 1);
  io.Real(saw.c_str(), "FreqHz", r.sawtooth.freqHz, 1000.0f);

  const std::string triangular = "Triangular" + suffix;
  io.Real(triangular.c_str(), "FreqHz", r.triangular.freqHz, 1000.0f);

  const std::string square = "Square" + suffix;
  io.Real(square.c_str(), "FreqHz", r.square.freqHz, 2000.0f);
  io.Int(square.c_str(), "DutyCyclePct", r.square.dutyCyclePct, 50);

  const std::string user = "User Defined" + suffix;
  io.Text(user.c_str(), "WaveFileName", r.userDefined.waveFileName, "", kPathChars,
          TextKind::kPath);

  const char* dtmf = kSectionDtmf;
  io.Text(dtmf, "KeyString", r.dtmf.keyString, "1234567890*#ABCD", kKeyStringChars);
  io.Int(dtmf, "PulseWidthMsec", r.dtmf.pulseWidthMsec, 100);
  io.Int(dtmf, "PulseSpacingMsec", r.dtmf.pulseSpacingMsec, 100);
  io.Real(dtmf, "TwistDB", r.dtmf.twistDb, 3.0f);
  io.Int(dtmf, "RepeatFlag", r.dtmf.repeat, 0);
}

void VisitGenerator(TSettingsIo& io, TGeneratorSettings& g) {
  const char* l = kSectionGeneratorLevel;
  io.Real(l, "OutputLevel", g.level.outputLevel, 0.0f);
  io.Real(l, "OutputLevelR", g.level.outputLevelR, 0.0f);
  io.Int(l, "OutputUnits", g.level.outputUnits, 0);
  io.Int(l, "FSCardType", g.level.fsCardType, 1);
  io.Int(l, "FSOption", g.level.fsOption, 1);
  io.Real(l, "FSLevel", g.level.fsLevelVolts, 0.0f);
  io.Int(kSectionGeneratorMain, "SigType", g.left.type, 1);
  io.Int(kSectionGeneratorMain, "SigTypeR", g.right.type, 1);
  io.Int(kSectionSettings, "GeneratorSamplingRate", g.samplingRateHz, 0);
  // Left first: the shared "DTMF" section then holds the right channel's values.
  VisitSignal(io, g.left, "");
  VisitSignal(io, g.right, "R");
}

void VisitDtmfDecoder(TSettingsIo& io, TDtmfDecoderOptions& o) {
  io.Real(kSectionDtmf, "HitThresholdLevel", o.hitThresholdDb, -40.0f);
  io.Int(kSectionDtmf, "MinDigitDurationMsec", o.minDigitDurationMsec, 20);
  io.Int(kSectionDtmf, "MinDigitSpacingMsec", o.minDigitSpacingMsec, 20);
}

}  // namespace

void LoadGeneratorSettings(const TProfile& profile, TGeneratorSettings& settings) {
  TSettingsReader reader(&profile, &profile);
  VisitGenerator(reader, settings);
}

void SaveGeneratorSettings(TProfile& profile, const TGeneratorSettings& settings) {
  TGeneratorSettings copy = settings;
  TSettingsWriter writer(&profile, &profile);
  VisitGenerator(writer, copy);
}

void LoadDtmfDecoderOptions(const TProfile& profile, TDtmfDecoderOptions& options) {
  TSettingsReader reader(&profile, &profile);
  VisitDtmfDecoder(reader, options);
}

void SaveDtmfDecoderOptions(TProfile& profile, const TDtmfDecoderOptions& options) {
  TDtmfDecoderOptions copy = options;
  TSettingsWriter writer(&profile, &profile);
  VisitDtmfDecoder(writer, copy);
}

}  // namespace orvanix
