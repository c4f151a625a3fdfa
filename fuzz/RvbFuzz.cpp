// Fuzz target of the reverb file reader: any bytes as an .rvb file. Besides memory errors it
// checks that an accepted file has counts a measurement can make and writes back as the
// bytes it was read from (the header and the frames it announced).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "utilities/ReverbData.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvanix;
  TReverbData reverb;
  if (!reverb.FromBytes(data, size).empty()) {
    Check(!reverb.HasData());
    return 0;
  }
  Check(reverb.BandCount() >= 1 && reverb.BandCount() <= kReverbSlots);
  Check(reverb.FrameCount() >= 1 && reverb.MaxDecay() >= 1 && reverb.MaxDecay() <= 30);
  const std::vector<uint8_t> back = reverb.ToBytes();
  Check(back.size() <= size && std::memcmp(back.data(), data, back.size()) == 0);
  reverb.Smooth(kSmoothSchroeder, kRt30);
  for (const TBandDecayTimes& t : reverb.DecayTimes()) {
    for (float s : t.seconds) Check(!std::isnan(s));
  }
  return 0;
}
