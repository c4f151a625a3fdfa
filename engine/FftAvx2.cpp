// The eight-wide AVX2 transform kernel. This file alone is built with AVX2 enabled (see
// engine/CMakeLists.txt); engine/Fft.cpp calls into it only after checking that the
// processor has AVX2 (and sends it no transform below its smallest size).
#include "engine/FftKernelOps.h"

#if defined(__AVX2__)

#include "engine/FftKernels.h"
#include "engine/FftVectorAvx2.h"

namespace orvanix::fft_detail {

namespace {

constexpr KernelOps kAvx2 = {"avx2",
                             Kernel<Avx2>::kMinLog2,
                             &Kernel<Avx2>::Complex,
                             &Kernel<Avx2>::Ready,
                             &Kernel<Avx2>::Prepared,
                             &Kernel<Avx2>::SplitPrepared,
                             &Kernel<Avx2>::Split};

}  // namespace

const KernelOps* Avx2Kernel() {
  return &kAvx2;
}

}  // namespace orvanix::fft_detail

#else

namespace orvanix::fft_detail {

const KernelOps* Avx2Kernel() {
  return nullptr;
}

}  // namespace orvanix::fft_detail

#endif
