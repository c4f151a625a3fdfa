#include "measure/Segment.h"

#include <algorithm>
#include <cmath>

#include "engine/Fft.h"
#include "engine/Messages.h"
#include "measure/Measurements.h"
#include "measure/Peaks.h"
#include "measure/Schroeder.h"

namespace orvanix {

namespace {

constexpr double kNoDbValue = -999.9;
constexpr uint32_t kSegmentAveraging = 100000;
constexpr uint32_t kHilbertChunk = 8192;
constexpr uint32_t kHilbertSmallest = 32;
constexpr double kLeqFloor = 1e-8;
constexpr float kQStepHz = 0.1f;

uint32_t FrameOf(const TWaveData& wave, double secs) {
  const double frame = std::floor(std::max(0.0, secs) * wave.Format().sampleRate + 0.5);
  return static_cast<uint32_t>(std::min<double>(frame, wave.Length()));
}

std::string Label(const TCalibration& c, bool log) {
  if (!c.enabled) return log ? "dBFS" : "Percent Full Scale";
  switch (c.refUnits) {
    case kUnitVolts:
      return log ? "dBV" : "Volts";
    case kUnitMillivolts:
      return log ? "dBmV" : "Millivolts";
    case kUnitAccelerationG:
      return log ? "Acceleration (G dB)" : "Acceleration (G)";
    default:
      return FieldText(log ? c.labelLog : c.labelLinear);
  }
}

void ForEachSpectrum(TEngineObjects& engine, const std::function<void(TSpectralData&)>& act) {
  for (auto* s : {engine.left.get(), engine.right.get(), engine.dual.get(), engine.dual2.get()}) {
    if (s && !s->Error()) act(*s);
  }
}

// One block of B samples per channel from `frame` on (the delayed channel from earlier),
// silence where the recording has none.
void FetchBlock(TWaveData& wave, TSeriesData& series, uint32_t channel, int64_t frame) {
  const uint32_t count = series.Count();
  const int64_t start = std::max<int64_t>(frame, 0);
  const uint32_t skip = static_cast<uint32_t>(std::min<int64_t>(start - frame, count));
  series.Clear(0, count);
  if (skip >= count || start >= wave.Length()) return;
  const uint32_t available = static_cast<uint32_t>(
      std::min<int64_t>(count - skip, static_cast<int64_t>(wave.Length()) - start));
  wave.ReadChannel(series.SampleAddress(skip), static_cast<uint32_t>(start), available, channel);
}

// A little-endian sample as its raw value: unsigned bytes, signed wider samples.
int32_t RawSample(const uint8_t* b, const WaveFormat& f) {
  switch (f.bytesPerSample) {
    case 1:
      return b[0];
    case 2:
      return static_cast<int16_t>(b[0] | (b[1] << 8));
    case 3: {
      const int32_t v = b[0] | (b[1] << 8) | (b[2] << 16);
      return v & 0x800000 ? v - 0x1000000 : v;
    }
    default:
      return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                                  (static_cast<uint32_t>(b[2]) << 16) |
                                  (static_cast<uint32_t>(b[3]) << 24));
  }
}

}  // namespace

TSegmentLevels SegmentLevels(TWaveData& wave, double startSecs, double endSecs,
                             const TCalibration& calibration) {
  TSegmentLevels levels;
  levels.channels = wave.Format().channels == 2 ? 2 : 1;
  const uint32_t from = FrameOf(wave, std::min(startSecs, endSecs));
  const uint32_t to = FrameOf(wave, std::max(startSecs, endSecs));
  for (int c = 0; c < levels.channels; ++c) {
    const double meanSquare = wave.MeanSquare(from, to, c);
    const double rms = meanSquare > 0 ? std::sqrt(meanSquare) : 0.0;
    const SampleExtremes extremes = wave.MinMax(from, to, c, true, false);
    levels.rms[c] = rms;
    levels.level[c] = rms > 0 ? LevelToDb(calibration, rms) : kNoDbValue;
    levels.peak[c] = std::max(std::fabs(extremes.high), std::fabs(extremes.low));
    levels.crest[c] = rms > 0 ? levels.peak[c] / rms : 0.0;
    levels.crestDb[c] = levels.crest[c] > 0 ? 20.0 * std::log10(levels.crest[c]) : kNoDbValue;
  }
  return levels;
}

std::string RmsMessage(const TSegmentLevels& l, const TCalibration& c) {
  const std::string lin = Label(c, false);
  const std::string log = Label(c, true);
  if (l.channels < 2) {
    return Format("RMS Level\r\t%6.4f\t%s\r\t%6.2f\t%s", l.rms[0], lin.c_str(), l.level[0],
                  log.c_str());
  }
  return Format("RMS Level\rLeft:\t%6.4f\t%s\t(%6.2f %s)\rRight:\t%6.4f\t%s\t(%6.2f %s)", l.rms[0],
                lin.c_str(), l.level[0], log.c_str(), l.rms[1], lin.c_str(), l.level[1],
                log.c_str());
}

std::string CrestMessage(const TSegmentLevels& l) {
  if (l.channels < 2) return Format("Crest Factor = %6.2f   (%6.2f dB)", l.crest[0], l.crestDb[0]);
  return Format("Crest Factors:\r\rLeft:\t%6.2f (%6.2f dB)\rRight:\t%6.2f (%6.2f dB)", l.crest[0],
                l.crestDb[0], l.crest[1], l.crestDb[1]);
}

TBlockSpan BlockSpan(const ProcessingSettings& s, double startSecs, double endSecs) {
  TBlockSpan span;
  const uint32_t decimation = std::max<uint32_t>(1, s.decimationRatio);
  const double rate = std::max<uint32_t>(1, s.format.sampleRate);
  const double halfBlock = 0.5 * s.fftSize * decimation / rate;
  span.t0 = std::max(0.0, startSecs - halfBlock);
  span.t1 = std::max(0.0, endSecs - halfBlock);
  if (span.t1 - span.t0 <= 0) return span;
  const double samples = std::floor((span.t1 - span.t0) * rate);
  span.blocks = std::max<uint32_t>(
      1, static_cast<uint32_t>(samples * 2 / std::max(1, s.fftSize) / decimation));
  return span;
}

uint32_t AverageSegment(TWaveData& wave, TEngineObjects& engine, const ProcessingSettings& s,
                        const TBlockSpan& span, const std::function<bool()>& cancel) {
  if (span.blocks == 0 || !engine.seriesLeft) return 0;
  ForEachSpectrum(engine, [](TSpectralData& x) {
    x.SetAveraging(kSegmentAveraging, kAverageLinear);
    x.Reset();
  });
  const uint32_t decimation = std::max<uint32_t>(1, s.decimationRatio);
  const uint32_t step = std::max<uint32_t>(1, static_cast<uint32_t>(s.fftSize) * decimation / 2);
  int64_t position = FrameOf(wave, span.t0);
  uint32_t done = 0;
  for (; done < span.blocks; ++done, position += step) {
    if (cancel && cancel()) break;
    ProcessBlockAt(wave, engine, s, position);
  }
  ForEachSpectrum(engine,
                  [&s](TSpectralData& x) { x.SetAveraging(s.averageBlocks, s.averageType); });
  return done;
}

void ProcessBlockAt(TWaveData& wave, TEngineObjects& engine, const ProcessingSettings& s,
                    int64_t frame) {
  if (!engine.seriesLeft) return;
  const uint32_t decimation = std::max<uint32_t>(1, s.decimationRatio);
  const bool stereo = engine.seriesRight && wave.Format().channels == 2;
  const auto delay = [&](uint32_t channel) -> int64_t {
    return stereo && s.delaySamples > 0 && s.delayChannel == channel ? s.delaySamples : 0;
  };
  FetchBlock(wave, *engine.seriesLeft, 0, frame - delay(0));
  if (stereo) FetchBlock(wave, *engine.seriesRight, 1, frame - delay(1));
  if (decimation > 1) {
    engine.seriesLeft->Decimate();
    if (stereo) engine.seriesRight->Decimate();
  }
  ProcessBlock(engine);
}

double LeqFromLevel(double levelDb, double seconds, double referenceSecs) {
  double energy = std::pow(10.0, 0.1 * levelDb) * seconds / referenceSecs;
  if (!(energy > 0)) energy = kLeqFloor;
  return 10.0 * std::log10(energy);
}

TLeqResult SegmentLeq(const TSpectralData* first, const TSpectralData* second, double seconds,
                      double referenceSecs, int weighting) {
  TLeqResult result;
  result.weighting = std::clamp(weighting, 0, 3);
  const TSpectralData* spectra[2] = {first, second};
  result.channels = second ? 2 : 1;
  for (int c = 0; c < result.channels; ++c) {
    const TSpectralData* s = spectra[c];
    double level = kNoDbValue;
    if (s && !s->Error()) {
      const TIndexSpan span = AnalysisSpan(*s);
      level = s->BandPower(span.first, span.last, result.weighting, true);
    }
    // A level of "no value" is silence: no energy at all.
    result.leq[c] = level <= kNoDbValue ? LeqFromLevel(-1e9, seconds, referenceSecs)
                                        : LeqFromLevel(level, seconds, referenceSecs);
  }
  return result;
}

std::string LeqMessage(const TLeqResult& r) {
  static const char* const kSuffix[] = {"", " A", " B", " C"};
  const char* suffix = kSuffix[r.weighting];
  if (r.channels < 2) return Format("Leq = %3.2f dB%s", r.leq[0], suffix);
  return Format("Leq (left) = %3.2f dB%s\rLeq (right) = %3.2f dB%s", r.leq[0], suffix, r.leq[1],
                suffix);
}

void HilbertEnvelope(std::vector<int32_t>& samples, int32_t zero) {
  const size_t n = samples.size();
  std::vector<float> x(2 * kHilbertChunk);
  auto chunk = [&](size_t start, uint32_t size, size_t used) {
    for (uint32_t k = 0; k < size; ++k) {
      x[2 * k] = k < used ? static_cast<float>(samples[start + k] - zero) : 0.f;
      x[2 * k + 1] = 0.f;
    }
    ComplexFft(x.data(), size, 1);
    for (uint32_t k = 0; k < size; ++k) {
      const float re = x[2 * k];
      const float im = x[2 * k + 1];
      // -i on the lower half, +i on the upper half: the spectrum of the Hilbert transform.
      x[2 * k] = k < size / 2 ? im : -im;
      x[2 * k + 1] = k < size / 2 ? -re : re;
    }
    x[0] = x[1] = 0.f;
    x[2 * (size - 1)] = x[2 * (size - 1) + 1] = 0.f;
    ComplexFft(x.data(), size, -1);
    for (size_t k = 0; k < used; ++k) {
      const double v = samples[start + k] - zero;
      const double e = std::sqrt(v * v + static_cast<double>(x[2 * k]) * x[2 * k]);
      if (e > 0) samples[start + k] = zero + static_cast<int32_t>(e);
    }
  };
  size_t start = 0;
  for (; start + kHilbertChunk <= n; start += kHilbertChunk)
    chunk(start, kHilbertChunk, kHilbertChunk);
  const size_t rest = n - start;
  if (rest == 0) return;
  uint32_t size = kHilbertSmallest;
  while (size < rest) size *= 2;
  // The last chunk is padded with silence rather than read past the segment's end.
  chunk(start, size, rest);
}

void SchroederCurve(std::vector<int32_t>& samples, int32_t zero, int32_t max) {
  std::vector<double> terms(samples.size());
  for (size_t k = 0; k < samples.size(); ++k) terms[k] = std::fabs(double(samples[k]) - zero);
  std::vector<double> ratio(samples.size());
  if (!SchroederRatio(terms, ratio)) return;
  for (size_t k = 0; k < samples.size(); ++k) {
    samples[k] = zero + static_cast<int32_t>(ratio[k] * (double(max) - zero));
  }
}

bool ReadRawSegment(TWaveData& wave, uint32_t from, uint32_t to, uint32_t channel,
                    std::vector<int32_t>& out) {
  out.clear();
  to = std::min<uint32_t>(to, wave.Length());
  if (to <= from) return true;
  const uint32_t count = to - from;
  const WaveFormat& f = wave.Format();
  // Read through a bounded buffer: a long segment never needs a second copy of its bytes.
  constexpr uint32_t kPiece = 1u << 16;
  std::vector<uint8_t> bytes;
  try {
    out.resize(count);
    bytes.resize(static_cast<size_t>(std::min(count, kPiece)) * f.bytesPerSample);
  } catch (const std::bad_alloc&) {
    out.clear();
    out.shrink_to_fit();
    return false;
  }
  for (uint32_t done = 0; done < count;) {
    const uint32_t n = std::min(kPiece, count - done);
    if (!wave.ReadChannel(bytes.data(), from + done, n, channel)) {
      out.clear();
      return false;
    }
    const uint8_t* b = bytes.data();
    for (uint32_t k = 0; k < n; ++k, b += f.bytesPerSample) out[done + k] = RawSample(b, f);
    done += n;
  }
  return true;
}

std::vector<float> ImpulseResponse(TSpectralData& spectrum, const TSmoothing* window) {
  std::vector<float> h;
  if (spectrum.Error() || !spectrum.Inverse()) return h;
  h.resize(spectrum.FftSize());
  for (uint32_t i = 0; i < h.size(); ++i) h[i] = spectrum.InverseSample(i);
  if (window && !window->Error() && window->Size() == h.size()) window->RemoveInPlace(h.data());
  return h;
}

TQualityFactor QualityFactor(const TSpectralData& s, float fa, float fb) {
  TQualityFactor result;
  if (s.Error() || s.BinCount() < 8 || !(fb > fa)) return result;
  const uint32_t a = std::min(s.FrequencyBin(fa), s.BinCount() - 1);
  const uint32_t b = std::min(s.FrequencyBin(fb), s.BinCount() - 1);
  if (b < a + 2) return result;
  const SpectrumPoint peak = Peaks(s, a, b, 0);
  if (peak.index == 0) return result;
  // Natural cubic spline through (frequency of bin k, P[k]), k = a ... b.
  const uint32_t n = b - a + 1;
  std::vector<double> xs(n), ys(n), second(n, 0.0), u(n, 0.0);
  for (uint32_t i = 0; i < n; ++i) {
    xs[i] = s.BinFrequency(a + i);
    ys[i] = s.AveragePower(a + i);
  }
  for (uint32_t i = 1; i + 1 < n; ++i) {
    const double sig = (xs[i] - xs[i - 1]) / (xs[i + 1] - xs[i - 1]);
    const double p = sig * second[i - 1] + 2.0;
    second[i] = (sig - 1.0) / p;
    const double d =
        (ys[i + 1] - ys[i]) / (xs[i + 1] - xs[i]) - (ys[i] - ys[i - 1]) / (xs[i] - xs[i - 1]);
    u[i] = (6.0 * d / (xs[i + 1] - xs[i - 1]) - sig * u[i - 1]) / p;
  }
  second[n - 1] = 0.0;
  for (uint32_t i = n - 1; i-- > 0;) second[i] = second[i] * second[i + 1] + u[i];
  auto power = [&](double f) {
    const auto hi = std::upper_bound(xs.begin(), xs.end(), f);
    const size_t k = std::clamp<size_t>(hi - xs.begin(), 1, n - 1);
    const double h = xs[k] - xs[k - 1];
    const double wa = (xs[k] - f) / h;
    const double wb = (f - xs[k - 1]) / h;
    return wa * ys[k - 1] + wb * ys[k] +
           ((wa * wa * wa - wa) * second[k - 1] + (wb * wb * wb - wb) * second[k]) * h * h / 6.0;
  };
  const double fp = peak.frequency;
  const double half = 0.5 * power(fp);
  double lower = 0;
  for (double f = fp; f - kQStepHz > fa; f -= kQStepHz) {
    if (power(f) <= half) {
      lower = f;
      break;
    }
  }
  double upper = 0;
  for (double f = fp; f + kQStepHz < fb; f += kQStepHz) {
    if (power(f) <= half) {
      upper = f;
      break;
    }
  }
  result.peakHz = static_cast<float>(fp);
  result.bandwidthHz = static_cast<float>(upper - lower);
  result.q = result.bandwidthHz > 0 ? static_cast<float>(fp / result.bandwidthHz) : 0.f;
  return result;
}

std::string QualityMessage(const TQualityFactor& first, const TQualityFactor* second) {
  auto text = [](const TQualityFactor& r) {
    return Format("Peak Frequency = %6.3f Hz\rBandwidth = %6.3f Hz\rQuality Factor = %6.3f",
                  r.peakHz, r.bandwidthHz, r.q);
  };
  return second ? text(first) + "\r\r" + text(*second) : text(first);
}

}  // namespace orvanix
