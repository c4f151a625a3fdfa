// The spectrum view's options and markers are the configuration records "SpectrumOpts"
// (TSpectrumPlotOptions) and "Markers" (TMarkerSettings); this header adds what the view
// itself fixes about them.
#pragma once

#include <cstdint>

#include "files/SettingsRecords.h"

namespace orvanix {

inline constexpr int kOverlaySlots = 4;  // per pane, numbered 1 ... 4
inline constexpr size_t kMaxCustomLabel = 30;
// The legend width in characters ("OverlayLegendSize") the view accepts.
inline constexpr int kMinLegendSize = 4;
inline constexpr int kMaxLegendSize = 24;

// Label types of a marker ("Label Type" of the "Markers" dialog).
enum MarkerLabelType : int32_t {
  kLabelNone = 0,
  kLabelFrequency = 1,
  kLabelAmplitude = 2,
  kLabelFrequencyAmplitude = 3,
  kLabelCustom = 4,
};

}  // namespace orvanix
