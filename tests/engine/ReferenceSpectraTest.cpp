// The engine against its stored reference output (tests/data/reference-spectra.bin, made by
// tools/MakeReferenceSpectra.cpp before the engine was reworked for speed): every window,
// every channel-processing mode on linear, logarithmic and fractional-octave axes, the
// averaging types, sample widths, decimation, calibration, weighting, FFT sizes 32 ... 2^20,
// and the transforms themselves at every size.
//
// What must match, per quantity:
//  - bit for bit: everything (averaged power and complex values, displayed values, band
//    values, peak bin and count, decimated samples, peak levels, impulse responses, the
//    transforms), except
//  - linear averaging over a ring of blocks: its mean may be summed in another order (a
//    running sum instead of a re-sum of the K slots), so power and complex averages, band
//    values and displayed values are compared within the rounding of a K-term float sum:
//    relative (K + 2) eps for sums of non-negative terms (powers, cross-spectrum magnitudes,
//    band sums, and so their dB values), (K + 2) eps times the bin's magnitude for complex
//    parts, and what follows from those bounds for coherence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <tuple>

#include "ReferenceSpectraHelpers.h"
#include "engine/Fft.h"
#include "engine/ProcessingSettings.h"

namespace orvanix::reference {
namespace {

const std::string kReferencePath = std::string(ORVANIX_TEST_DATA_DIR) + "/reference-spectra.bin";

const std::vector<ReferenceRecord>& Stored() {
  static std::vector<ReferenceRecord> records;
  static const bool read = ReadReferenceFile(kReferencePath, records);
  (void)read;
  return records;
}

const ReferenceRecord* FindStored(const std::string& name) {
  for (const ReferenceRecord& r : Stored()) {
    if (r.caseName == name) return &r;
  }
  return nullptr;
}

const ReferenceArray* FindArray(const ReferenceRecord& r, const std::string& name) {
  for (const ReferenceArray& a : r.arrays) {
    if (a.name == name) return &a;
  }
  return nullptr;
}

float Ulp(float v) {
  const float a = std::fabs(v);
  return std::nextafter(a, INFINITY) - a;
}

// Bit-for-bit: the hashes; on a mismatch the stored sample of values says where.
void ExpectIdentical(const std::string& where, const ReferenceArray& expected,
                     const ReferenceArray& actual) {
  ASSERT_EQ(expected.length, actual.length) << where;
  if (expected.hash == actual.hash) return;
  std::string detail;
  int shown = 0;
  for (size_t k = 0; k < expected.values.size() && k < actual.values.size() && shown < 5; ++k) {
    if (std::memcmp(&expected.values[k], &actual.values[k], sizeof(float)) != 0) {
      char line[160];
      std::snprintf(line, sizeof line, "\n  [%zu] stored %.9g, now %.9g", k * expected.stride,
                    expected.values[k], actual.values[k]);
      detail += line;
      ++shown;
    }
  }
  ADD_FAILURE() << where << ": not bit-identical to the stored output"
                << (shown ? detail : std::string(" (the stored sample of values agrees)"));
}

// Within a bound per index: |actual - expected| <= bound(i).
void ExpectWithin(const std::string& where, const ReferenceArray& expected,
                  const ReferenceArray& actual, const std::function<double(size_t)>& bound) {
  ASSERT_EQ(expected.length, actual.length) << where;
  ASSERT_EQ(expected.values.size(), expected.length) << where << ": stored in full";
  ASSERT_EQ(actual.values.size(), actual.length) << where;
  int failures = 0;
  for (size_t i = 0; i < expected.length && failures < 5; ++i) {
    const double e = expected.values[i], a = actual.values[i];
    const double allowed = bound(i);
    if (!(std::fabs(a - e) <= allowed)) {
      ADD_FAILURE() << where << "[" << i << "]: stored " << e << ", now " << a << ", allowed "
                    << allowed;
      ++failures;
    }
  }
}

// Tolerances of a linear-averaging case, from the stored values themselves.
class LinearBounds {
 public:
  LinearBounds(const ReferenceCase& c, const ReferenceRecord& stored) : c_(c), stored_(stored) {
    const ReferenceArray* stats = FindArray(stored, "left.stats");
    const double filled = stats ? stats->values[1] : c.averageBlocks;
    delta_ = 2.0 * (std::min<double>(filled, c.averageBlocks) + 2.0) * FLT_EPSILON;
  }

  // Relative error of an average of non-negative terms.
  double Relative() const { return delta_; }

  std::function<double(size_t)> For(const std::string& spectrum, const std::string& kind) const {
    const std::vector<float>& power = Values(spectrum + ".power");
    const bool coherence = spectrum == "dual" && c_.mode == kCoherence;
    const bool cross = spectrum == "dual" && c_.mode >= kRealTransferLR;
    if (kind == "power") {
      if (coherence) {
        // gamma^2 = |C|^2 / (Px Py), with |dC| <= delta sqrt(Px Py) and Px, Py relative delta.
        return [this, &power](size_t i) { return 5.0 * delta_ + Ulp(power[i]); };
      }
      return [this, &power](size_t i) { return delta_ * power[i] + Ulp(power[i]); };
    }
    if (kind == "complex") {
      // Mean |z| of the bin: the stored magnitude average of a cross spectrum, else at most
      // the root of the mean power (of both channels for the coherence's cross spectrum).
      const std::vector<float>& left = Values("left.power");
      const std::vector<float>& right = Values("right.power");
      const std::vector<float>& complex = Values(spectrum + ".complex");
      return [=, this, &power, &left, &right, &complex](size_t k) {
        const size_t i = k / 2;
        double magnitude = std::sqrt(std::max(0.f, power[i]));
        if (coherence) magnitude = std::sqrt(double{left[i]} * right[i]);
        if (cross && !coherence) magnitude = power[i];
        return delta_ * magnitude + Ulp(complex[k]);
      };
    }
    // Displayed values and bands in dB: relative error of the power times 10 / ln 10, plus
    // the band sum's own rounding (at most one eps per bin summed).
    const std::vector<float>& shown = Values(spectrum + "." + kind);
    const double bins = static_cast<double>(Values(spectrum + ".power").size());
    if (coherence && kind == "values") {
      // sqrt(gamma^2): |sqrt a - sqrt b| <= min(sqrt |a - b|, |a - b| / sqrt a).
      return [this, &shown](size_t i) {
        const double t = 5.0 * delta_;
        const double v = shown[i];
        return std::min(std::sqrt(t), v > 0 ? t / v : t) + 2 * Ulp(shown[i]);
      };
    }
    return [this, bins, &shown](size_t i) {
      return 10.0 / std::log(10.0) * (delta_ + bins * FLT_EPSILON) + 2 * Ulp(shown[i]);
    };
  }

 private:
  const std::vector<float>& Values(const std::string& name) const {
    static const std::vector<float> none;
    const ReferenceArray* a = FindArray(stored_, name);
    return a ? a->values : none;
  }
  const ReferenceCase& c_;
  const ReferenceRecord& stored_;
  double delta_ = 0.0;
};

TEST(ReferenceSpectra, StoredFileReadsBackCompletely) {
  ASSERT_FALSE(Stored().empty()) << "cannot read " << kReferencePath;
  EXPECT_EQ(Stored().size(), ReferenceCases().size() + 1);
  // Every case appears once, with every quantity an engine of its configuration produces.
  std::map<std::string, int> seen;
  for (const ReferenceRecord& r : Stored()) ++seen[r.caseName];
  for (const auto& [name, count] : seen) EXPECT_EQ(count, 1) << name;
}

// The second parameter runs the case on a baseline (SSE2 or portable) kernel: the averaging
// has AVX2 loops of its own that run only beside the AVX2 transform, and the baseline ones
// must match the stored output just as well.
class ReferenceCaseTest : public testing::TestWithParam<std::tuple<size_t, bool>> {
 protected:
  void SetUp() override {
    if (!std::get<1>(GetParam())) return;
    for (FftKernel k : {FftKernel::kSse2, FftKernel::kPortable}) {
      if (SelectFftKernel(k)) break;
    }
  }
  void TearDown() override { SelectFftKernel(active_); }

 private:
  const FftKernel active_ = ActiveFftKernel();
};

TEST_P(ReferenceCaseTest, MatchesStoredOutput) {
  const ReferenceCase& c = ReferenceCases()[std::get<0>(GetParam())];
  const ReferenceRecord* stored = FindStored(c.name);
  ASSERT_NE(stored, nullptr) << c.name << " is not in " << kReferencePath;
  bool ok = false;
  const ReferenceRecord now = RunReferenceCase(c, ok);
  ASSERT_TRUE(ok) << c.name;
  ASSERT_EQ(now.arrays.size(), stored->arrays.size()) << c.name;
  const bool tolerance = NeedsTolerance(c);
  const LinearBounds bounds(c, *stored);
  for (size_t k = 0; k < now.arrays.size(); ++k) {
    const ReferenceArray& expected = stored->arrays[k];
    const ReferenceArray& actual = now.arrays[k];
    ASSERT_EQ(expected.name, actual.name) << c.name;
    const std::string where = c.name + ": " + actual.name;
    const size_t dot = actual.name.find('.');
    const std::string spectrum = actual.name.substr(0, dot);
    const std::string kind = actual.name.substr(dot + 1);
    const bool averaged =
        kind == "power" || kind == "complex" || kind == "values" || kind == "bands";
    if (tolerance && averaged && spectrum != "series") {
      ExpectWithin(where, expected, actual, bounds.For(spectrum, kind));
    } else {
      ExpectIdentical(where, expected, actual);
    }
  }
}

std::string CaseName(const testing::TestParamInfo<std::tuple<size_t, bool>>& info) {
  std::string name = ReferenceCases()[std::get<0>(info.param)].name;
  for (char& ch : name) {
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  }
  return std::get<1>(info.param) ? name + "_baseline" : name;
}

INSTANTIATE_TEST_SUITE_P(AllCases, ReferenceCaseTest,
                         testing::Combine(testing::Range(size_t{0}, ReferenceCases().size()),
                                          testing::Bool()),
                         CaseName);

// Every vector kernel of this build and processor (scalar, portable, SSE2, AVX2) against
// the same stored output.
TEST(ReferenceSpectra, TransformsMatchStoredOutputAtEverySizeWithEveryKernel) {
  const ReferenceRecord* stored = FindStored("transforms");
  ASSERT_NE(stored, nullptr);
  const FftKernel active = ActiveFftKernel();
  int kernels = 0;
  for (FftKernel kernel :
       {FftKernel::kScalar, FftKernel::kPortable, FftKernel::kSse2, FftKernel::kAvx2}) {
    if (!SelectFftKernel(kernel)) continue;
    ++kernels;
    const ReferenceRecord now = RunTransformCases();
    ASSERT_EQ(now.arrays.size(), stored->arrays.size());
    for (size_t k = 0; k < now.arrays.size(); ++k) {
      ASSERT_EQ(now.arrays[k].name, stored->arrays[k].name);
      ExpectIdentical(
          std::string("transforms, ") + FftKernelName(kernel) + ": " + now.arrays[k].name,
          stored->arrays[k], now.arrays[k]);
    }
  }
  SelectFftKernel(active);
  EXPECT_GE(kernels, 2) << "the scalar kernel and at least one vector kernel";
}

}  // namespace
}  // namespace orvanix::reference
