#include "automation/BatchModule.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/core/AnalyzerCore.h"
#include "app/core/Headless.h"
#include "automation/JsonText.h"
#include "engine/Messages.h"
#include "engine/ProcessingStep.h"
#include "engine/Smoothing.h"
#include "files/Configuration.h"
#include "files/WaveFile.h"
#include "measure/MeasureKinds.h"

namespace orvanix {

namespace {

constexpr THeadlessOption kOptions[] = {
    {"--batch", nullptr,
     "analyse every FILE given (several allowed), each to its end, and print one\n"
     "line per file; exit status 1 when any file failed (docs/batch.md)"},
    {"--json", nullptr, "with --batch: the lines are JSON objects (the only form so far)"},
};

std::unique_ptr<TCoreModule> MakeModule(TAnalyzerCore& core) {
  return std::make_unique<TBatchModule>(core);
}

constexpr int kWholeDayMsec = 24 * 3600 * 1000;
constexpr const char* kNoBlock = "no block could be analysed: the file is shorter than one block";

// Reports go to the sink that was in force and are kept for the file's line.
class TCollectingSink : public TMessageSink {
 public:
  explicit TCollectingSink(TMessageSink& next) : next_(next) {}
  void Report(std::string_view text, std::string_view caption, MessageIcon icon) override {
    texts.emplace_back(text);
    next_.Report(text, caption, icon);
  }
  MessageAnswer Ask(std::string_view text, std::string_view caption, MessageButtons buttons,
                    MessageAnswer defaultAnswer, MessageIcon icon) override {
    return next_.Ask(text, caption, buttons, defaultAnswer, icon);
  }
  std::vector<std::string> texts;

 private:
  TMessageSink& next_;
};

std::string SettingsJson(const TAnalyzerSettings& s) {
  const ProcessingSettings& p = s.processing;
  TJsonObject o;
  o.Number("sampleRateHz", p.format.sampleRate);
  o.Number("bits", p.format.bitsPerSample);
  o.Number("channels", p.format.channels);
  o.Number("fftSize", p.fftSize);
  o.String("window", TSmoothing::TypeName(p.smoothingWindow));
  o.Number("overlapPercent", p.overlapPercent);
  o.Number("averageType", p.averageType);
  o.Number("averageBlocks", p.averageBlocks);
  o.Number("decimation", p.decimationRatio);
  o.Number("channelProcessing", EffectiveMode(p));
  o.String("amplitudeScale", s.scaling.ampScale == 1 ? "log" : "linear");
  return o.Text();
}

std::string PeakJson(const char* name, const TSpectralData& spectrum) {
  const uint32_t peak = spectrum.PeakBin();
  TJsonObject o;
  o.String("spectrum", name);
  const bool bands = spectrum.FrequencyScale() == 2 && spectrum.BandCount() > 0;
  o.Number("frequencyHz", bands ? spectrum.BandCentre(peak) : spectrum.BinFrequency(peak));
  o.Number(bands ? "band" : "bin", peak);
  o.Number("value", spectrum.Value(peak));
  o.String("unit", spectrum.IsRatio()               ? ""
                   : spectrum.AmplitudeScale() == 1 ? "dB"
                                                    : "% of full scale");
  o.Number("averages", spectrum.AverageCount());
  return o.Text();
}

std::string PeaksJson(const TEngineObjects& engine) {
  std::vector<std::string> peaks;
  const uint16_t mode = EffectiveMode(engine.settings);
  auto add = [&peaks](const char* name, const TSpectralData* spectrum) {
    if (spectrum && !spectrum->Error()) peaks.push_back(PeakJson(name, *spectrum));
  };
  if (mode <= kBothChannels) {
    if (mode != kRightOnly) add("left", engine.left.get());
    if (mode != kLeftOnly) add("right", engine.right.get());
  } else {
    add("result", engine.dual.get());
    add("coherence", engine.dual2.get());
  }
  return JsonArray(peaks);
}

// Every measurement as `--measure all` prints it, with its number and unit taken apart.
std::string MeasurementsJson(const TEngineObjects& engine, int32_t polarity) {
  std::vector<std::string> list;
  for (int kind = 0; kind < kAnalysisTypeCount; ++kind) {
    const auto type = static_cast<AnalysisType>(kind);
    const TReadoutLines readout = ReadoutLines(type, engine, polarity);
    for (int i = 0; i < readout.count; ++i) {
      const std::string& text = readout.line[i];
      TJsonObject o;
      o.String("name", AnalysisInfo(type).title);
      o.String("key", AnalysisInfo(type).name);
      if (readout.count > 1) {
        o.Number("line", i + 1);
      } else {
        o.Null("line");
      }
      char* end = nullptr;
      const double value = std::strtod(text.c_str(), &end);
      if (end == text.c_str()) {
        o.Null("value");
        o.String("unit", "");
      } else {
        o.Number("value", value);
        std::string unit(end);
        unit.erase(0, unit.find_first_not_of(' '));
        o.String("unit", unit);
      }
      o.String("text", text);
      list.push_back(o.Text());
    }
  }
  return JsonArray(list);
}

// The whole file's largest sample and RMS per channel, relative to full scale (a full-scale
// sine: peak 0 dB, RMS -3.01 dB), and the run's overloads.
std::string LevelsJson(TWaveFile& doc, uint32_t overloads) {
  const WaveFormat& f = doc.Format();
  const double fullScale = std::max(1.0, (double(f.maxValue) - f.minValue) / 2.0);
  constexpr uint32_t kChunk = 65536;
  std::vector<uint8_t> bytes(size_t{kChunk} * f.bytesPerSample);
  std::vector<std::string> peak, rms;
  for (uint32_t channel = 0; channel < f.channels; ++channel) {
    double largest = 0, sum = 0;
    uint64_t counted = 0;
    for (uint32_t start = 0; start < doc.Length(); start += kChunk) {
      const uint32_t count = std::min(kChunk, doc.Length() - start);
      if (!doc.ReadChannel(bytes.data(), start, count, channel)) break;
      for (uint32_t i = 0; i < count; ++i) {
        const double v = DecodeSample(bytes.data() + size_t{i} * f.bytesPerSample, f.bytesPerSample,
                                      f.zeroValue) -
                         double(f.zeroValue);
        largest = std::max(largest, std::fabs(v));
        sum += v * v;
      }
      counted += count;
    }
    auto db = [](double ratio) { return ratio > 0 ? 20.0 * std::log10(ratio) : -999.9; };
    peak.push_back(JsonNumber(db(largest / fullScale)));
    rms.push_back(JsonNumber(counted ? db(std::sqrt(sum / counted) / fullScale) : -999.9));
  }
  TJsonObject o;
  o.Raw("peakDbfs", JsonArray(peak));
  o.Raw("rmsDbfs", JsonArray(rms));
  o.Number("overloads", overloads);
  return o.Text();
}

}  // namespace

TModuleInfo TBatchModule::Info() {
  return {kName, MakeModule, kOptions};
}

TBatchModule::TBatchModule(TAnalyzerCore& core) : TCoreModule(core) {}

std::string TBatchModule::TakeHeadlessOption(std::string_view name, const std::string&) {
  if (name == "--batch") batch_ = true;
  return {};
}

void TBatchModule::TakeCommonHeadlessOptions(const THeadlessOptions& options) {
  files_ = options.files;
}

std::string TBatchModule::AnalyseToJson(const std::string& path, bool& ok) {
  TAnalyzerCore& core = Core();
  TCollectingSink collect(Messages());
  TScopedMessageSink scoped(&collect);
  TJsonObject line;
  line.String("file", path);
  std::string failure;
  core.Stop();
  if (!core.SetMode(kModePostProcessing) || !core.OpenWave(path)) {
    failure = collect.texts.empty() ? "the file could not be opened" : collect.texts.front();
  } else if (!core.Start()) {
    failure = collect.texts.empty() ? "the analysis could not start" : collect.texts.front();
  } else {
    core.WaitUntilStopped(kWholeDayMsec);
    core.Stop();
    if (core.BlockCount() == 0) failure = kNoBlock;
  }
  ok = failure.empty();
  line.Bool("ok", ok);
  if (ok) {
    line.Null("error");
  } else {
    line.String("error", failure);
  }
  line.Raw("errors", JsonStringArray(collect.texts));
  TWaveFile* doc = core.Document();
  if (!ok || !doc) return line.Text();
  line.Raw("settings", SettingsJson(core.Settings()));
  line.Number("blocks", core.BlockCount());
  line.Number("seconds", doc->LengthSeconds());
  const TEngineObjects& engine = core.Engine();
  line.Raw("peaks", PeaksJson(engine));
  line.Raw("measurements",
           MeasurementsJson(engine, core.Settings().viewStatus.noiseFigurePolarity));
  line.Raw("levels", LevelsJson(*doc, core.Status().overloadCount));
  return line.Text();
}

std::optional<int> TBatchModule::HeadlessRun() {
  if (!batch_) return std::nullopt;
  if (files_.empty()) {
    std::fprintf(stderr, "tessiva: --batch needs one or more wave files\n");
    return 2;
  }
  int status = 0;
  for (const std::string& path : files_) {
    bool ok = false;
    const std::string line = AnalyseToJson(path, ok);
    std::printf("%s\n", line.c_str());
    // Each line whole as soon as it is known: a batch cut short keeps what it did.
    std::fflush(stdout);
    if (!ok) status = 1;
  }
  return status;
}

}  // namespace orvanix
