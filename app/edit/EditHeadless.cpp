// The edit module's headless options and its headless run.
#include "app/edit/EditHeadless.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/core/Headless.h"
#include "app/edit/EditModule.h"
#include "engine/TimeText.h"
#include "files/Configuration.h"
#include "files/DigitalFilter.h"
#include "files/FileUtilities.h"
#include "files/TransferNumbers.h"
#include "files/WaveFile.h"

namespace orvanix {

namespace {

constexpr THeadlessOption kOptions[] = {
    {"--import", "FORMAT FILE",
     "import FILE as a new document; FORMAT ascii-int, ascii-real, bin8, bin16, bin32,\n"
     "float, wft or audio (FLAC, Ogg, MP3, ... through libsndfile); --rate, --channels\n"
     "and --bits give the rate, channels and precision of the sample formats"},
    {"--import-header", "N", "skip a header of N lines (text) or bytes (binary)"},
    {"--import-scaling", "HOW",
     "rescale (default), truncate, or define:X:Y[:UNIT]: a value X is Y UNIT\n"
     "(volts, millivolts, pa-air, pa-water, g, custom)"},
    {"--select", "START END", "the stretch (seconds) that the edits below act on"},
    {"--cut", nullptr, "remove the selection"},
    {"--mute", nullptr, "silence the selection"},
    {"--gain", "DB[:DB]", "scale the selection by DB (left:right), -60 ... 10"},
    {"--filter", "TYPE:HZ[:WIDTH]",
     "filter the selection: lowpass:HZ, highpass:HZ, bandpass:CENTRE:WIDTH, notch:CENTRE:WIDTH"},
    {"--taps", "N", "filter taps 39 ... 199 (default 81)"},
    {"--decimate", "R", "write the document at rate / R to --output (R 1 ... 50)"},
    {"--merge", "LEFT RIGHT", "join two mono files into a new stereo document"},
    {"--export", "FORMAT FILE", "export the document (FORMAT as for --import; flac for FLAC)"},
    {"--export-channels", "left|right|both", "the channels --export writes (default both)"},
    {"--export-decimation", "R", "decimation ratio of --export, 1 ... 50"},
};

bool Number(const std::string& text, double& value) {
  return ParseReal(text, value) && std::isfinite(value);
}

bool Whole(const std::string& text, int64_t low, int64_t high, int64_t& value) {
  double v = 0;
  if (!Number(text, v) || v != std::floor(v) || v < low || v > high) return false;
  value = static_cast<int64_t>(v);
  return true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1) {
    parts.push_back(text.substr(start, at - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

}  // namespace

const std::span<const THeadlessOption> EditHeadlessOptions() {
  return kOptions;
}

int32_t ParseTransferFormat(const std::string& text) {
  static const char* const kNames[] = {"ascii-int", "ascii-real", "bin8", "bin16",
                                       "bin32",     "float",      "wft"};
  for (int32_t i = 0; i < kTransferFormatCount; ++i) {
    if (text == kNames[i] || text == std::to_string(i)) return i;
  }
  // Audio files through libsndfile: any it reads on import, FLAC on export.
  if (text == "audio" || text == "flac" || text == "7") return kAudioFile;
  return -1;
}

std::string ParseEditOption(std::string_view name, const std::string& value, THeadlessEdits& e) {
  const std::vector<std::string> values = Split(value, '\n');
  const std::string option(name);
  if (name == "--import" || name == "--export") {
    const int32_t format = ParseTransferFormat(values[0]);
    if (format < 0) return option + ": unknown format " + values[0];
    if (name == "--import") {
      e.import.sourceType = format;
      e.importFile = values.at(1);
    } else {
      e.exportOptions.format = format;
      e.exportFile = values.at(1);
    }
  } else if (name == "--import-header") {
    int64_t lines = 0;
    if (!Whole(value, 0, int64_t{1} << 40, lines)) return "--import-header needs a count";
    e.import.headerPresent = lines > 0;
    e.import.headerSize = lines;
  } else if (name == "--import-scaling") {
    const std::vector<std::string> parts = Split(value, ':');
    if (value == "rescale") {
      e.import.scaling = kScaleRescale;
    } else if (value == "truncate") {
      e.import.scaling = kScaleTruncate;
    } else if (parts[0] == "define" && (parts.size() == 3 || parts.size() == 4)) {
      double x = 0, y = 0;
      if (!Number(parts[1], x) || !Number(parts[2], y)) return "--import-scaling define:X:Y";
      static const std::pair<const char*, int32_t> kUnits[] = {
          {"volts", kUnitVolts},       {"millivolts", kUnitMillivolts},
          {"pa-air", kUnitPascalsAir}, {"pa-water", kUnitPascalsWater},
          {"g", kUnitAccelerationG},   {"custom", kUnitCustom}};
      int32_t unit = -1;
      for (const auto& [text, code] : kUnits) {
        if (parts.size() == 3 || parts[3] == text) unit = code;
        if (parts.size() == 3) break;
      }
      if (unit < 0) return "--import-scaling: unknown unit " + parts[3];
      const TImportUnit* entry = FindImportUnit(unit);
      e.import.scaling = kScaleDefine;
      e.import.dataValue = static_cast<float>(x);
      e.import.equalsValue = static_cast<float>(y);
      e.import.units = unit;
      e.import.labelLinear = entry->labelLinear;
      e.import.labelLog = entry->labelLog;
    } else {
      return "--import-scaling is rescale, truncate or define:X:Y[:UNIT]";
    }
  } else if (name == "--select") {
    double start = 0, end = 0;
    if (!Number(values[0], start) || !Number(values.at(1), end)) {
      return "--select needs two times in seconds";
    }
    e.selection = {start, end};
  } else if (name == "--cut" || name == "--mute") {
    THeadlessEdits::Edit edit;
    edit.kind = name == "--cut" ? THeadlessEdits::Kind::Cut : THeadlessEdits::Kind::Mute;
    e.edits.push_back(edit);
  } else if (name == "--gain") {
    const std::vector<std::string> parts = Split(value, ':');
    THeadlessEdits::Edit edit;
    edit.kind = THeadlessEdits::Kind::Gain;
    if (parts.size() > 2 || !Number(parts[0], edit.leftDb) || !Number(parts.back(), edit.rightDb)) {
      return "--gain needs DB or LEFT:RIGHT in dB";
    }
    e.edits.push_back(edit);
  } else if (name == "--filter") {
    const std::vector<std::string> parts = Split(value, ':');
    static const char* const kTypes[] = {"lowpass", "highpass", "bandpass", "notch"};
    THeadlessEdits::Edit edit;
    edit.kind = THeadlessEdits::Kind::Filter;
    edit.filter.type = -1;
    for (int32_t t = 0; t < 4; ++t) {
      if (parts[0] == kTypes[t]) edit.filter.type = t;
    }
    const size_t wanted = edit.filter.type >= kBandPass ? 3 : 2;
    int64_t a = 0, b = 0;
    if (edit.filter.type < 0 || parts.size() != wanted || !Whole(parts[1], 0, 10000000, a) ||
        (wanted == 3 && !Whole(parts[2], 0, 10000000, b))) {
      return "--filter is lowpass:HZ, highpass:HZ, bandpass:CENTRE:WIDTH or notch:CENTRE:WIDTH";
    }
    TFilterSettings& f = edit.filter;
    f.lpCutoffHz = f.hpCutoffHz = static_cast<int32_t>(a);
    f.bpCenterHz = f.notchCenterHz = static_cast<int32_t>(a);
    f.bpWidthHz = f.notchWidthHz = static_cast<int32_t>(b);
    f.doLeft = f.doRight = 1;
    e.edits.push_back(edit);
  } else if (name == "--taps") {
    int64_t taps = 0;
    if (!Whole(value, kMinFilterTaps, kMaxFilterTaps, taps)) return "--taps must be 39 ... 199";
    e.taps = static_cast<int32_t>(taps);
  } else if (name == "--decimate" || name == "--export-decimation") {
    int64_t ratio = 0;
    if (!Whole(value, 1, kMaxDecimateRatio, ratio)) return option + " must be 1 ... 50";
    if (name == "--decimate") {
      e.decimate = static_cast<uint32_t>(ratio);
    } else {
      e.exportOptions.decimation = static_cast<uint32_t>(ratio);
    }
  } else if (name == "--merge") {
    e.merge = {values[0], values.at(1)};
  } else if (name == "--export-channels") {
    e.exportOptions.left = value == "left" || value == "both";
    e.exportOptions.right = value == "right" || value == "both";
    if (!e.exportOptions.left && !e.exportOptions.right) {
      return "--export-channels is left, right or both";
    }
  }
  return {};
}

// ---- the module's side ----

std::string TEditModule::TakeHeadlessOption(std::string_view name, const std::string& value) {
  if (!headless_) headless_ = std::make_unique<THeadlessEdits>();
  const std::string error = ParseEditOption(name, value, *headless_);
  // A batch edit never writes into the file it read: the file opens on a working copy.
  if (error.empty() && headless_->savedMakeBackup < 0 && !headless_->edits.empty()) {
    headless_->savedMakeBackup = Core().Settings().fileIo.makeBackup;
    Core().ChangeSettings([](TAnalyzerSettings& s) { s.fileIo.makeBackup = 1; },
                          SettingsOrigin::Dialog);
  }
  return error;
}

void TEditModule::TakeCommonHeadlessOptions(const THeadlessOptions& o) {
  if (!headless_) return;
  headless_->output = o.output;
  headless_->argument = o.argument;
  TImportOptions& import = headless_->import;
  if (o.rate) import.sampleRateHz = static_cast<uint32_t>(*o.rate);
  if (o.channels) import.channels = static_cast<uint32_t>(*o.channels);
  if (o.bits) import.bytesPerSample = static_cast<uint32_t>(*o.bits / 8);
}

bool TEditModule::HeadlessPrepare() {
  if (!headless_ || !headless_->Any()) return true;
  const THeadlessEdits& e = *headless_;
  const char* problem = nullptr;
  if (!e.edits.empty() && !e.selection)
    problem = "--cut, --mute, --gain and --filter need --select";
  if (e.decimate && e.output.empty()) problem = "--decimate needs --output FILE.wav";
  if (e.importFile && e.merge) problem = "--import and --merge both make a new document";
  if (!e.importFile && !e.merge && !Core().Document()) {
    problem = "nothing to edit: give a wave file, --import or --merge";
  }
  if (!e.edits.empty() && e.output.empty() && !e.exportFile && !e.decimate) {
    problem = "the edits would be lost: give --output, --export or --decimate";
  }
  if (problem) std::fprintf(stderr, "tessiva: %s\n", problem);
  return problem == nullptr;
}

std::optional<int> TEditModule::HeadlessRun() {
  if (!headless_ || !headless_->Any()) return std::nullopt;
  THeadlessEdits& e = *headless_;
  bool ok = true;
  auto restore = [&] {
    if (TWaveFile* doc = Core().Document()) doc->SetModified(false);  // outputs are written
    if (e.savedMakeBackup >= 0) {
      const int32_t saved = e.savedMakeBackup;
      Core().ChangeSettings([saved](TAnalyzerSettings& s) { s.fileIo.makeBackup = saved; },
                            SettingsOrigin::Dialog);
    }
  };
  if (e.merge || e.importFile) Core().CloseDocument();
  if (e.merge) {
    ok = Merge(e.merge->first, e.merge->second);
  } else if (e.importFile) {
    ok = Import(*e.importFile, e.import);
  }
  const TWaveFile* doc = Core().Document();
  if (ok && doc) {
    const WaveFormat& f = doc->Format();
    std::printf("Document: %s (%u Hz, %u bit, %s, %s s)\n", Core().DocumentName().c_str(),
                f.sampleRate, f.bitsPerSample, f.channels == 2 ? "stereo" : "mono",
                TimeText(doc->LengthSeconds()).c_str());
  }
  if (ok && e.selection) Core().SetSelection(e.selection->first, e.selection->second);
  for (const THeadlessEdits::Edit& edit : e.edits) {
    if (!ok) break;
    const TTimeSelection s = Core().Selection();
    switch (edit.kind) {
      case THeadlessEdits::Kind::Cut:
        ok = Cut();
        break;
      case THeadlessEdits::Kind::Mute:
        ok = Mute();
        break;
      case THeadlessEdits::Kind::Gain:
        ok = GainAdjust(edit.leftDb, edit.rightDb);
        break;
      case THeadlessEdits::Kind::Filter: {
        TFilterSettings filter = edit.filter;
        filter.numTaps = e.taps;
        ok = Filter(filter);
        break;
      }
    }
    static const char* const kNames[] = {"Cut", "Muted", "Gain adjusted", "Filtered"};
    if (ok) {
      std::printf("%s %s ... %s s\n", kNames[static_cast<int>(edit.kind)],
                  TimeText(s.startSecs).c_str(), TimeText(s.endSecs).c_str());
    }
  }
  if (ok && e.decimate) {
    ok = Decimate(e.decimate, true, e.output);
    if (ok) std::printf("Decimated by %u into %s\n", e.decimate, e.output.c_str());
  }
  if (ok && e.exportFile) {
    ok = Export(*e.exportFile, e.exportOptions);
    if (ok) std::printf("Exported %s\n", e.exportFile->c_str());
  }
  if (ok && !e.decimate && !e.output.empty() && Core().Document()) {
    ok = Core().SaveDocumentAs(e.output);
    if (ok) {
      std::printf("Saved %s (%s s)\n", e.output.c_str(),
                  TimeText(Core().Document()->LengthSeconds()).c_str());
    }
  }
  restore();
  return ok ? 0 : 1;
}

}  // namespace orvanix
