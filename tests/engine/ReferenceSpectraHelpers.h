// Stored reference output of the engine: a table of configurations, each run over a few
// blocks of a fixed synthetic signal the way the run loop drives the engine (fill the block
// buffers, decimate, peak level, processing step), with everything the displays read
// captured afterwards. tools/MakeReferenceSpectra.cpp writes the capture to
// tests/data/reference-spectra.bin; ReferenceSpectraTest.cpp runs the same table and
// compares. The file format is below (all little-endian).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvanix::reference {

// One configuration of the engine.
struct ReferenceCase {
  std::string name;
  uint16_t channels = 1;
  uint16_t bytesPerSample = 2;
  uint32_t rateHz = 48000;
  int32_t fftSize = 256;
  uint16_t decimation = 1;
  int32_t lowPass = 1;
  uint16_t window = 4;
  uint16_t averageType = 0;
  int32_t averageBlocks = 8;
  int32_t peakHold = 0;
  uint16_t mode = 0;
  uint16_t ampScale = 1;
  uint16_t freqScale = 0;
  uint16_t octaveNumber = 3;
  uint16_t weighting = 0;
  int32_t density = 0;
  uint16_t densityType = 0;
  bool calibrated = false;  // SPL in air, rms labels, ratios 3.5 (left) and 0.8 (right)
  uint32_t blocks = 5;      // blocks run, each half a block (N x D / 2 samples) after the last
  bool silentRightFirst = false;  // the right channel is digital silence in the first block
  bool impulse = false;           // also capture the primary result's impulse response
};

// Every configuration, in file order.
const std::vector<ReferenceCase>& ReferenceCases();

// Linear averaging over a ring of blocks: its sums may be formed in another order, so its
// spectra are compared within a bound rather than bit for bit, and stored in full.
bool NeedsTolerance(const ReferenceCase& c);

// One captured quantity: the FNV-1a hash of its bytes, and its values, all of them or (for
// a quantity compared bit for bit, or one above kFullArrayLimit floats) every `stride`-th.
struct ReferenceArray {
  std::string name;     // e.g. "left.power", "dual.complex", "series.left.raw"
  uint32_t length = 0;  // floats in the array
  uint64_t hash = 0;    // FNV-1a 64 over the floats' little-endian bytes
  uint32_t stride = 1;  // spacing of the stored values (1: the whole array)
  std::vector<float> values;
};
inline constexpr uint32_t kFullArrayLimit = 2048;

struct ReferenceRecord {
  std::string caseName;
  std::vector<ReferenceArray> arrays;
};

// Runs one configuration and captures, for each spectrum present (left, right, dual,
// dual2): power, complex, Value() of every index, band values (fractional octave), peak
// index and count; for each block buffer its raw samples after the last Decimate and the
// peak level of every block; the impulse response when asked. `ok` false when the engine
// objects could not be built.
ReferenceRecord RunReferenceCase(const ReferenceCase& c, bool& ok);

// Direct transforms: RealFft and ComplexFft forward and inverse of a fixed input at every
// size 2 ... 2^20 (complex up to 2^20 points, real 2^1 ... 2^21 samples).
ReferenceRecord RunTransformCases();

// Packs a captured array: the hash, and every value when `full` (up to kFullArrayLimit) or
// the array is short, else a sample of them.
ReferenceArray MakeArray(const std::string& name, const std::vector<float>& data, bool full);
uint64_t HashFloats(const float* data, size_t count);

// File: "ORVREF01", u32 record count; per record: string case name, u32 array count; per
// array: string name, u32 length, u64 hash, u32 stride, u32 stored count, floats. A string
// is a u32 byte count and the bytes.
bool WriteReferenceFile(const std::string& path, const std::vector<ReferenceRecord>& records);
bool ReadReferenceFile(const std::string& path, std::vector<ReferenceRecord>& records);

}  // namespace orvanix::reference
