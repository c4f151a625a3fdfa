#include "engine/ProcessingStep.h"

#include <new>

#include "engine/Messages.h"
#include "engine/SpectrumTexts.h"

namespace orvanix {

namespace {

template <typename T, typename... Args>
std::unique_ptr<T> Make(Args&&... args) {
  return std::unique_ptr<T>(new (std::nothrow) T(std::forward<Args>(args)...));
}

// Keeps an object only when it was built without error; reports the failure otherwise.
template <typename T>
bool Keep(std::unique_ptr<T>& object) {
  if (object && !object->Error()) return true;
  object.reset();
  ReportError(kInsufficientMemory);
  return false;
}

bool NeedsDual(uint16_t mode) {
  return mode >= kAverageChannels;
}
bool NeedsSecondDual(uint16_t mode) {
  return mode == kTransferAndCoherenceLR || mode == kTransferAndCoherenceRL;
}

// The block's samples times the window, in one pass.
void CopyBlock(const TSeriesData& series, const TSmoothing& window, TSpectralData& spectrum) {
  const std::vector<float>& table = window.Table();
  series.GetSamples(0, spectrum.FftSize(), spectrum.BlockData(), false,
                    table.empty() ? nullptr : table.data());
}

// Coherence and transfer functions need power averages of the channels themselves: the
// vector average of an auto spectrum would be the power of its averaged complex value.
void NoVectorAveraging(TSpectralData& spectrum) {
  if (spectrum.AveragingType() == kAverageVector) {
    spectrum.SetAveraging(spectrum.AveragingBlocks(), kAverageExponential);
  }
}

}  // namespace

uint16_t EffectiveMode(const ProcessingSettings& settings) {
  if (settings.format.channels != 2 || settings.channelProcessing >= kChannelProcessingModes) {
    return kLeftOnly;
  }
  return settings.channelProcessing;
}

bool BuildEngineObjects(const ProcessingSettings& settings, const ScalingSettings& scaling,
                        TEngineObjects& objects) {
  objects = TEngineObjects{};
  objects.settings = settings;
  objects.settings.format.Normalise();
  objects.settings.UpdateDerived();
  objects.settings.channelProcessing = EffectiveMode(objects.settings);
  objects.scaling = scaling;
  const ProcessingSettings& s = objects.settings;
  if (!IsValidFftSize(s.fftSize)) {
    ReportError(Format(kInvalidFftSize, s.fftSize));
    return false;
  }
  if (s.decimationRatio < 1 || s.decimationRatio > kMaxDecimationRatio) {
    ReportError(Format(kInvalidDecimation, int{s.decimationRatio}));
    return false;
  }
  const uint32_t n = static_cast<uint32_t>(s.fftSize);
  const bool stereo = s.format.channels == 2;
  const uint16_t mode = s.channelProcessing;

  bool ok = true;
  const uint16_t correction = scaling.freqScale == 2 ? kCorrectionEnergy : kCorrectionAmplitude;
  objects.window = Make<TSmoothing>(n, s.smoothingWindow, correction);
  if (!objects.window || objects.window->Error()) {
    // The window reports its own failures (an invalid type); only a failed `new` is ours.
    if (!objects.window) ReportError(kInsufficientMemory);
    objects.window.reset();
    ok = false;
  }
  const uint32_t samples = n * s.decimationRatio;
  const bool lowPass = s.lowPassFilter != 0;
  objects.seriesLeft = Make<TSeriesData>(samples, s.format, s.decimationRatio, lowPass);
  ok = Keep(objects.seriesLeft) && ok;
  if (stereo) {
    objects.seriesRight = Make<TSeriesData>(samples, s.format, s.decimationRatio, lowPass);
    ok = Keep(objects.seriesRight) && ok;
  }
  objects.left = Make<TSpectralData>(s, scaling, 0);
  ok = Keep(objects.left) && ok;
  if (stereo) {
    objects.right = Make<TSpectralData>(s, scaling, 1);
    ok = Keep(objects.right) && ok;
  }
  if (NeedsDual(mode)) {
    objects.dual = Make<TSpectralData>(s, scaling, kDualChannel);
    ok = Keep(objects.dual) && ok;
  }
  if (NeedsSecondDual(mode)) {
    objects.dual2 = Make<TSpectralData>(s, scaling, kDualChannel);
    ok = Keep(objects.dual2) && ok;
  }
  // Complex transfer functions and coherence divide the averaged cross spectrum by the
  // channels' power averages: held maxima there would no longer belong to the same blocks
  // (coherence far from 0 ... 1). The result itself holds its peaks instead.
  if (mode >= kComplexTransferLR) {
    for (TSpectralData* channel : {objects.left.get(), objects.right.get()}) {
      if (channel) channel->SetPeakHold(false);
    }
  }
  return ok;
}

void ApplyCalibration(const TCalibration* record, TEngineObjects& objects) {
  const bool on = record != nullptr && record->enabled != 0;
  if (objects.seriesLeft) objects.seriesLeft->SetCalibrationRatio(on ? record->calRatioLeft : 1.f);
  if (objects.seriesRight) {
    objects.seriesRight->SetCalibrationRatio(on ? record->calRatioRight : 1.f);
  }
  if (objects.left) objects.left->SetCalibration(record, 0);
  if (objects.right) objects.right->SetCalibration(record, 1);
  if (objects.dual) objects.dual->SetCalibration(record, kDualChannel);
  if (objects.dual2) objects.dual2->SetCalibration(record, kDualChannel);
}

void ResetSpectra(TEngineObjects& objects) {
  for (auto* spectrum :
       {objects.left.get(), objects.right.get(), objects.dual.get(), objects.dual2.get()}) {
    if (spectrum) spectrum->Reset();
  }
}

void ProcessBlock(TEngineObjects& objects) {
  const uint16_t mode = EffectiveMode(objects.settings);
  const bool stereo = objects.settings.format.channels == 2;
  if (!objects.left || !objects.seriesLeft || !objects.window) return;
  if (stereo && (!objects.right || !objects.seriesRight)) return;
  if (NeedsDual(mode) && !objects.dual) return;
  if (NeedsSecondDual(mode) && !objects.dual2) return;
  TSpectralData& l = *objects.left;
  const TSmoothing& window = *objects.window;
  // A window of another size would run past the block.
  if (window.Size() != l.FftSize()) return;

  // A channel the mode does not read is neither copied nor transformed.
  if (mode != kRightOnly) CopyBlock(*objects.seriesLeft, window, l);
  if (stereo && mode != kLeftOnly) CopyBlock(*objects.seriesRight, window, *objects.right);

  const auto prepare = [&](TSpectralData& spectrum) { spectrum.Transform(); };
  const auto full = [&](TSpectralData& spectrum) {
    prepare(spectrum);
    spectrum.Average();
  };
  if (mode == kLeftOnly) {
    full(l);
    return;
  }
  TSpectralData& r = *objects.right;
  switch (mode) {
    case kRightOnly:
      full(r);
      break;
    case kBothChannels:
      full(l);
      full(r);
      break;
    case kAverageChannels:
      full(l);
      full(r);
      objects.dual->AverageOfChannels(l, r);
      objects.dual->Average();
      break;
    case kRealTransferLR:
    case kRealTransferRL: {
      const bool lr = mode == kRealTransferLR;
      TSpectralData& x = *objects.dual;
      full(l);
      full(r);
      // CrossSpectrum(a, b) forms b x conj(a): the numerator channel goes second.
      lr ? x.CrossSpectrum(r, l) : x.CrossSpectrum(l, r);
      x.Average();
      lr ? x.RealTransfer(l, r) : x.RealTransfer(r, l);
      break;
    }
    case kCrossSpectrumLR:
    case kCrossSpectrumRL:
      prepare(l);
      prepare(r);
      mode == kCrossSpectrumLR ? objects.dual->CrossSpectrum(r, l)
                               : objects.dual->CrossSpectrum(l, r);
      objects.dual->Average();
      break;
    case kComplexTransferLR:
    case kComplexTransferRL: {
      const bool lr = mode == kComplexTransferLR;
      TSpectralData& x = *objects.dual;
      TSpectralData& reference = lr ? r : l;
      prepare(l);
      prepare(r);
      lr ? x.CrossSpectrum(r, l) : x.CrossSpectrum(l, r);
      x.Average();
      NoVectorAveraging(reference);
      l.Average();
      r.Average();
      x.ComplexTransfer(reference);
      break;
    }
    case kCoherence: {
      TSpectralData& x = *objects.dual;
      prepare(l);
      prepare(r);
      x.CrossSpectrum(r, l);
      x.Average(true);
      NoVectorAveraging(l);
      NoVectorAveraging(r);
      l.Average();
      r.Average();
      x.Coherence(l, r);
      break;
    }
    case kTransferAndCoherenceLR:
    case kTransferAndCoherenceRL: {
      const bool lr = mode == kTransferAndCoherenceLR;
      TSpectralData& x = *objects.dual;
      TSpectralData& y = *objects.dual2;
      prepare(l);
      prepare(r);
      lr ? y.CrossSpectrum(r, l) : y.CrossSpectrum(l, r);
      y.Average();
      NoVectorAveraging(l);
      NoVectorAveraging(r);
      r.Average();
      l.Average();
      y.Coherence(l, r);
      lr ? x.CrossSpectrum(r, l) : x.CrossSpectrum(l, r);
      x.Average(true);
      x.ComplexTransfer(lr ? r : l);
      break;
    }
    default:
      break;
  }
}

}  // namespace orvanix
