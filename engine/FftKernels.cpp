// The four-wide transform kernels: plain arrays, the compiler's generic vectors, SSE2.
#include "engine/FftKernels.h"

#include "engine/FftKernelOps.h"
#include "engine/FftVector.h"

namespace orvanix::fft_detail {

namespace {

template <class V>
constexpr KernelOps MakeOps(const char* name) {
  return {name,
          Kernel<V>::kMinLog2,
          &Kernel<V>::Complex,
          &Kernel<V>::Ready,
          &Kernel<V>::Prepared,
          &Kernel<V>::SplitPrepared,
          &Kernel<V>::Split};
}

constexpr KernelOps kScalar = MakeOps<Scalar4>("scalar");
#if defined(ORVANIX_FFT_HAS_PORTABLE)
constexpr KernelOps kPortable = MakeOps<Portable4>("portable");
#endif
#if defined(ORVANIX_FFT_HAS_SSE2)
constexpr KernelOps kSse2 = MakeOps<Sse2>("sse2");
#endif

}  // namespace

const KernelOps* ScalarKernel() {
  return &kScalar;
}

const KernelOps* PortableKernel() {
#if defined(ORVANIX_FFT_HAS_PORTABLE)
  return &kPortable;
#else
  return nullptr;
#endif
}

const KernelOps* Sse2Kernel() {
#if defined(ORVANIX_FFT_HAS_SSE2)
  return &kSse2;
#else
  return nullptr;
#endif
}

}  // namespace orvanix::fft_detail
