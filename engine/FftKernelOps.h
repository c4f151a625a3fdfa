// The entry points of one transform kernel (a vector width and instruction set), as
// engine/Fft.cpp chooses among them. Internal to the transform code.
#pragma once

#include <cstdint>

namespace orvanix::fft_detail {

struct KernelOps {
  const char* name;
  // Smallest complex transform handled, as log2 of its points.
  unsigned minLog2;
  // Complex transform in place of 2^log2n points, inputs times `scale`, conjugated in and
  // out when `inverse`. With `scatter` (2^(log2n+1) floats) the bins land there in natural
  // order and `data` is left as scratch. False, data untouched, when a table is missing.
  bool (*complex)(float* data, unsigned log2n, bool inverse, float scale, float* scatter);
  // Whether the tables of a complex transform of 2^log2n points can be had.
  bool (*ready)(unsigned log2n);
  // An inverse complex transform whose inputs the split step already conjugated and scaled
  // (see `splitPrepared`): the rest of `complex`.
  bool (*prepared)(float* data, unsigned log2n, float* scatter);
  // The inverse split step followed by the complex transform's scaling (a power of two)
  // and conjugation of its inputs.
  void (*splitPrepared)(const float* source, float* target, uint32_t n, const float* table,
                        float scale);
  // The real transform's split step of n real points, `source` to `target` (may be the same
  // array); forward bins then times binScale[k] when binScale is not null.
  void (*split)(const float* source, float* target, uint32_t n, bool inverse, const float* table,
                const float* binScale);
};

// The kernels of this build; nullptr where the build has none.
const KernelOps* ScalarKernel();
const KernelOps* PortableKernel();  // the compiler's generic vectors: NEON on ARM64
const KernelOps* Sse2Kernel();
const KernelOps* Avx2Kernel();  // usable only where the processor has AVX2

}  // namespace orvanix::fft_detail
