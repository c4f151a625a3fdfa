// Loops compiled twice: for the baseline instruction set and, on x86-64, for AVX2, which
// runs where the transform runs its AVX2 kernel (one run-time check, and the tests that try
// every transform kernel try both kinds of loop). The loop itself is an always-inline
// function, so each copy is compiled for its own instruction set; neither contracts
// a * b + c into a fused multiply-add, so both round every operation alike and give the
// same results to the bit.
//
//   [[gnu::always_inline]] inline void Ratios(const float* a, double* out, size_t n) { ... }
//   RunWide<Ratios>(a, out, n);
#pragma once

#include "engine/Fft.h"

namespace orvanix::wide {

template <auto kLoop, class... Args>
void Baseline(Args... args) {
  kLoop(args...);
}

#if defined(__x86_64__) && defined(__GNUC__)
template <auto kLoop, class... Args>
__attribute__((target("avx2"))) void Avx2(Args... args) {
  kLoop(args...);
}
#endif

}  // namespace orvanix::wide

namespace orvanix {

template <auto kLoop, class... Args>
void RunWide(Args... args) {
#if defined(__x86_64__) && defined(__GNUC__)
  if (Avx2KernelActive()) {
    wide::Avx2<kLoop>(args...);
    return;
  }
#endif
  wide::Baseline<kLoop>(args...);
}

}  // namespace orvanix
