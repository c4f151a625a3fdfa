// Fuzz target of the profile layer and the configuration reader: any bytes as a .cfg /
// program settings file. Besides memory errors (caught by the sanitizers) it checks:
//  - the profile's text is a fixed point: parsing what Text() wrote gives the same text;
//  - a loaded configuration is sane (buffer-sizing and table-indexing values in range, no
//    NaN or infinity written back);
//  - saving and loading is a fixed point: the settings read back write the same text;
//  - a key written with data-chosen names and value reads back as written;
//  - a parsed window placement formats and parses to itself.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/Messages.h"
#include "engine/Smoothing.h"
#include "files/Configuration.h"
#include "files/ConfigurationGenerator.h"
#include "files/Profile.h"

namespace {

using namespace orvanix;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

bool Sane(const TAnalyzerSettings& s) {
  const ProcessingSettings& p = s.processing;
  return IsValidFftSize(p.fftSize) && p.decimationRatio >= 1 && p.decimationRatio <= 50 &&
         p.smoothingWindow < kWindowTypeCount && p.averageType <= 2 && p.averageBlocks >= 1 &&
         p.overlapPercent <= 99 && p.channelProcessing < 13 && p.delayChannel <= 1 &&
         p.delayTimeMsec >= 0.0f && p.delayTimeMsec <= 1000.0f && p.rateCorrection > 0.0f &&
         std::isfinite(p.rateCorrection) && p.hopSize >= 1 && p.format.channels >= 1 &&
         p.format.channels <= 2 && p.format.bytesPerSample >= 1 && p.format.bytesPerSample <= 4 &&
         p.format.sampleRate > 0 && s.opMode >= 1 && s.opMode <= 3 &&
         s.fileIo.maxDiskRecordingSizeBytes >= kMinDiskRecordingBytes &&
         s.fileIo.maxDiskRecordingSizeBytes <= kMaxDiskRecordingBytes &&
         s.leq.referenceTimePeriodSecs != 0 && s.markers.customLabel[0].size() <= 29;
}

std::string SavedText(const TAnalyzerSettings& s) {
  TProfile program;
  SaveProgramSettings(program, s);
  return program.Text();
}

std::string_view TrimmedValue(std::string_view v) {
  auto space = [](char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
  };
  while (!v.empty() && space(v.front())) v.remove_prefix(1);
  while (!v.empty() && space(v.back())) v.remove_suffix(1);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TRecordingSink quiet;  // keeps messages off stderr
  SetMessageSink(&quiet);
  quiet.Clear();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  TProfile profile;
  if (!profile.Parse(bytes)) return 0;
  const std::string text = profile.Text();
  // (Line ends may be normalised to longer ones; the limit applies to what is read.)
  if (text.size() <= kMaxProfileBytes) {
    TProfile again;
    Check(again.Parse(text));
    Check(again.Text() == text);
  }

  // The whole configuration from these bytes, as a .cfg and as the program settings file.
  TAnalyzerSettings settings;
  LoadConfiguration(profile, profile, settings);
  Check(Sane(settings));
  const std::string saved = SavedText(settings);
  Check(saved.find("=nan") == std::string::npos && saved.find("=inf") == std::string::npos &&
        saved.find("=-nan") == std::string::npos && saved.find("=-inf") == std::string::npos);
  TProfile savedProfile;
  Check(savedProfile.Parse(saved));
  TAnalyzerSettings reread;
  LoadProgramSettings(savedProfile, reread);
  Check(SavedText(reread) == saved);
  (void)ConfigurationReportLines(settings);

  TGeneratorSettings generator;
  LoadGeneratorSettings(profile, generator);
  TDtmfDecoderOptions dtmf;
  LoadDtmfDecoderOptions(profile, dtmf);

  // Names and a value chosen by the data: the first two lines of the input.
  const size_t first = bytes.find('\n');
  const size_t second = first == std::string_view::npos ? first : bytes.find('\n', first + 1);
  if (second != std::string_view::npos) {
    const std::string_view section = bytes.substr(0, first);
    const std::string_view key = bytes.substr(first + 1, second - first - 1);
    const std::string_view value = bytes.substr(second + 1, 256);
    if (profile.WriteString(section, key, value)) {
      std::string expected(value);
      for (char& c : expected) {
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
      }
      Check(profile.GetString(section, key, "") == TrimmedValue(expected));
      TProfile written;
      Check(written.Parse(profile.Text()));
      Check(written.GetString(section, key, "") == TrimmedValue(expected));
    }
  }

  TWindowPlacement placement;
  if (ParsePlacement(bytes.substr(0, 200), placement)) {
    TWindowPlacement back;
    Check(ParsePlacement(FormatPlacement(placement), back) && back == placement);
  }
  (void)KindOfPath(bytes.substr(0, 300));
  Check(std::isfinite(ParseProfileFloat(bytes.substr(0, 400))));
  (void)ParseProfileInt(bytes.substr(0, 400));
  return 0;
}
