#include "views/SpectrumSource.h"

namespace orvanix {

TShownSpectra SpectraForMode(uint16_t mode, const TSpectralData* left, const TSpectralData* right,
                             const TSpectralData* dual, const TSpectralData* dual2) {
  switch (mode) {
    case kLeftOnly:
      return {left, nullptr};
    case kRightOnly:
      return {right, nullptr};
    case kBothChannels:
      return {left, right};
    case kTransferAndCoherenceLR:
    case kTransferAndCoherenceRL:
      return {dual, dual2};
    default:
      if (mode < kChannelProcessingModes) return {dual, nullptr};
      return {left, nullptr};
  }
}

}  // namespace orvanix
