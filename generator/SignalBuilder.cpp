#include "generator/SignalBuilder.h"

#include <algorithm>

#include "engine/Messages.h"
#include "files/WaveData.h"
#include "generator/GeneratorTexts.h"
#include "generator/NaturalLength.h"
#include "generator/OutputLevel.h"
#include "generator/SignalTypes.h"
#include "generator/Synthesis.h"
#include "generator/UserWave.h"

namespace orvanix {

namespace {

// Opens a channel's User Defined file; failures become the design's message (with the
// parser's reason on a second line when it gave one) and a silent channel.
bool OpenUserWave(const std::string& path, TUserWave& wave, std::vector<std::string>& messages) {
  switch (wave.Open(path, kMaxSignalSeconds)) {
    case TUserWave::Result::Opened:
    case TUserWave::Result::TooLong:  // refused below with the other long signals
      return true;
    case TUserWave::Result::NoMemory:
      messages.emplace_back(kInsufficientMemory);
      return false;
    case TUserWave::Result::Failed:
      break;
  }
  std::string text = Format(gentext::kUserFileFailed, path.c_str());
  if (!wave.Reason().empty()) text += "\r\r" + wave.Reason();
  messages.push_back(text);
  return false;
}

}  // namespace

TBuildResult BuildSignalBuffer(const TBuildRequest& request) {
  TBuildResult result;
  TGeneratorSettings& g = *request.settings;
  const WaveFormat& analyzer = request.analyzerFormat;
  const uint32_t channels = analyzer.channels == 2 ? 2 : 1;
  const uint32_t ownRate = g.samplingRateHz > 0 ? static_cast<uint32_t>(g.samplingRateHz) : 0;
  uint32_t rate = ownRate >= kMinGeneratorRateHz && ownRate <= kMaxGeneratorRateHz
                      ? ownRate
                      : analyzer.sampleRate;
  uint32_t bytes = analyzer.bytesPerSample;

  // User Defined files lend their format.
  TSignalRecord* records[2] = {&g.left, &g.right};
  TUserWave files[2];
  bool opened[2] = {false, false};
  for (uint32_t c = 0; c < channels; ++c) {
    if (records[c]->type == kSignalUserDefined) {
      opened[c] = OpenUserWave(records[c]->userDefined.waveFileName, files[c], result.messages);
    }
  }
  if (opened[0] && opened[1]) {
    rate = std::max(files[0].Format().sampleRate, files[1].Format().sampleRate);
    bytes = std::max(files[0].Format().bytesPerSample, files[1].Format().bytesPerSample);
  } else if (opened[0] || opened[1]) {
    const WaveFormat& file = files[opened[0] ? 0 : 1].Format();
    rate = file.sampleRate;
    bytes = file.bytesPerSample;
  }
  result.format = MakeWaveFormat(channels, rate, bytes);
  rate = result.format.sampleRate;

  // Lengths, each bounded before anything is allocated.
  const int64_t limit = int64_t{kMaxSignalSeconds} * rate;
  for (uint32_t c = 0; c < channels; ++c) {
    const int64_t userFrames = opened[c] ? files[c].Frames() : 0;
    const int64_t natural = NaturalLength(*records[c], rate, request.noise, userFrames);
    result.natural[c] = natural;
    if (natural > limit) {
      result.messages.push_back(Format(gentext::kSignalTooLong, SignalTypeName(records[c]->type),
                                       static_cast<double>(natural) / rate, kMaxSignalSeconds));
      return result;
    }
    result.lengths[c] = OneSecondRule(natural, rate);
  }
  int64_t length = result.lengths[0];
  if (channels == 2) length = std::max(length, result.lengths[1]);
  if (length % 2 != 0) ++length;

  auto buffer = std::make_unique<TWaveData>(static_cast<uint32_t>(length), result.format);
  if (buffer->Error() || !buffer->Memory()) {
    result.messages.emplace_back(kInsufficientMemory);
    return result;
  }

  TClassicRand rand(1);
  for (uint32_t c = 0; c < channels; ++c) {
    TChannelOut out(*buffer, c);
    TSynthesis synthesis{out,
                         c,
                         LevelFactor(g.level, static_cast<int>(c)),
                         rand,
                         request.noise,
                         opened[c] ? &files[c] : nullptr,
                         nullptr};
    if (request.progress) {
      synthesis.progress = [&request, c](int percent) {
        request.progress(static_cast<int>(c), percent);
      };
    }
    Synthesize(*records[c], synthesis);
  }
  result.buffer = std::move(buffer);
  return result;
}

}  // namespace orvanix
