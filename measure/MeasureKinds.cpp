#include "measure/MeasureKinds.h"

#include "engine/Messages.h"
#include "measure/MeasureTexts.h"
#include "measure/Measurements.h"

namespace orvanix {

namespace {

using Label = TAnalysisInfo::Label;
using namespace measuretext;

constexpr TAnalysisInfo kInfo[kAnalysisTypeCount] = {
    {"THD", "thd", kFormatThd, Label::None},
    {"THD+N", "thdn", kFormatThd, Label::None},
    {"IMD", "imd", kFormatImd, Label::None},
    {"SNR", "snr", kFormatRatio, Label::Db},
    {"SINAD", "sinad", kFormatRatio, Label::Db},
    {"SFDR", "sfdr", kFormatRatio, Label::Db},
    {"Noise Figure", "nf", kFormatNoiseFigure, Label::None},
    {"Peak Frequency", "peakfreq", kFormatFrequency, Label::None},
    {"Peak Amplitude", "peakamp", kFormatLevel, Label::Amplitude},
    {"Total Pwr", "power", kFormatLevel, Label::Amplitude},
};

const char* WeightingSuffix(const ScalingSettings& scaling) {
  return scaling.weighting < 4 ? kWeightingSuffix[scaling.weighting] : "";
}

}  // namespace

const TAnalysisInfo& AnalysisInfo(AnalysisType kind) {
  return kInfo[kind >= 0 && kind < kAnalysisTypeCount ? kind : 0];
}

AnalysisType AnalysisOfName(std::string_view name) {
  for (int kind = 0; kind < kAnalysisTypeCount; ++kind) {
    if (name == kInfo[kind].name) return static_cast<AnalysisType>(kind);
  }
  return kAnalysisTypeCount;
}

TDisplaySpectra DisplaySpectra(const TEngineObjects& engine) {
  TDisplaySpectra spectra;
  switch (EffectiveMode(engine.settings)) {
    case kLeftOnly:
      spectra.first = engine.left.get();
      break;
    case kRightOnly:
      spectra.first = engine.right.get();
      break;
    case kBothChannels:
      spectra.first = engine.left.get();
      spectra.second = engine.right.get();
      break;
    case kTransferAndCoherenceLR:
    case kTransferAndCoherenceRL:
      spectra.first = engine.dual.get();
      spectra.second = engine.dual2.get();
      break;
    default:
      spectra.first = engine.dual.get();
      break;
  }
  return spectra;
}

bool TwoChannelMode(uint16_t mode) {
  return mode == kBothChannels || mode == kTransferAndCoherenceLR ||
         mode == kTransferAndCoherenceRL;
}

int LineCount(AnalysisType kind, uint16_t mode) {
  if (mode == kBothChannels) return kind == kAnalysisNoiseFigure ? 1 : 2;
  return TwoChannelMode(mode) ? 2 : 1;
}

std::string DbLabel(const ScalingSettings& scaling) {
  return std::string(kLabelDb) + WeightingSuffix(scaling);
}

std::string AmplitudeLabel(const TEngineObjects& engine) {
  const bool db = engine.scaling.ampScale == 1;
  const TSpectralData* first = DisplaySpectra(engine).first;
  std::string label;
  if (first && !first->Error() && first->Calibrated()) {
    const TCalibration& c = first->Calibration();
    label = db ? FieldText(c.labelLog) : FieldText(c.labelLinear);
  } else {
    label = db ? kLabelDb : kLabelPercent;
  }
  return label + WeightingSuffix(engine.scaling);
}

float Measure(AnalysisType kind, const TSpectralData* spectrum, const TEngineObjects& engine,
              int32_t noiseFigurePolarity) {
  switch (kind) {
    case kAnalysisThd:
      return ComputeThd(spectrum);
    case kAnalysisThdN:
      return ComputeThdPlusNoise(spectrum);
    case kAnalysisImd:
      return ComputeImd(spectrum);
    case kAnalysisSnr:
      return ComputeSnr(spectrum);
    case kAnalysisSinad:
      return ComputeSinad(spectrum);
    case kAnalysisSfdr:
      return ComputeSfdr(spectrum);
    case kAnalysisNoiseFigure:
      return ComputeNoiseFigure(engine.left.get(), engine.right.get(), noiseFigurePolarity);
    case kAnalysisPeakFrequency:
      return PeakFrequency(spectrum);
    case kAnalysisPeakAmplitude:
      return PeakAmplitude(spectrum);
    case kAnalysisTotalPower:
      return TotalPower(spectrum);
    default:
      return 0.f;
  }
}

std::string Readout(AnalysisType kind, float value, const TEngineObjects& engine) {
  const TAnalysisInfo& info = AnalysisInfo(kind);
  switch (info.label) {
    case Label::Db:
      return Format(info.readout, static_cast<double>(value), DbLabel(engine.scaling).c_str());
    case Label::Amplitude:
      return Format(info.readout, static_cast<double>(value), AmplitudeLabel(engine).c_str());
    default:
      return Format(info.readout, static_cast<double>(value));
  }
}

TReadoutLines ReadoutLines(AnalysisType kind, const TEngineObjects& engine,
                           int32_t noiseFigurePolarity) {
  TReadoutLines lines;
  lines.line[0] = lines.line[1] = kEmptyLine;
  const TDisplaySpectra spectra = DisplaySpectra(engine);
  lines.count = LineCount(kind, EffectiveMode(engine.settings));
  lines.line[0] = Readout(kind, Measure(kind, spectra.first, engine, noiseFigurePolarity), engine);
  if (lines.count == 2 && spectra.second && kind != kAnalysisNoiseFigure) {
    lines.line[1] =
        Readout(kind, Measure(kind, spectra.second, engine, noiseFigurePolarity), engine);
  }
  return lines;
}

}  // namespace orvanix
