// The data items of the automation server: their names and index numbers. The index is
// also the advise number other subsystems post ("Macro Status" is 57). Names are looked up
// without regard to case, as string handles of the classic exchange were compared.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvanix {

enum AutomationItem : int32_t {
  kItemPeakFrequency = 0,
  kItemPeakAmplitude = 1,
  kItemTotalPower = 2,
  kItemTotalPowerA = 3,
  kItemTotalPowerB = 4,
  kItemTotalPowerC = 5,
  kItemThd = 6,
  kItemThdN = 7,
  kItemImd = 8,
  kItemSnr = 9,
  kItemSpectrum = 10,
  kItemPhase = 11,
  kItemTimeSeries = 12,
  kItemMarker1Amplitude = 13,  // ... 18: Marker6
  kItemOverloadStatus = 19,
  kItemOverloadCount = 20,
  kItemFftCount = 21,
  kItemCurrentTime = 22,
  kItemTotalTime = 23,
  kItemLoggingStatus = 24,
  kItemPeakHold = 25,
  kItemFftOverlap = 26,
  kItemFftSize = 27,
  kItemAverageSize = 28,
  kItemSmoothingWindow = 29,
  kItemPeak1Frequency = 30,  // ... 35: Peak6
  kItemPeak1Amplitude = 36,  // ... 41: Peak6
  kItemTotalPowerInSegment = 42,
  kItemZoomedSpectrum = 43,
  kItemZoomedPhase = 44,
  kItemMarkedSpectrum = 45,
  kItemMarkedPhase = 46,
  kItemZoomedTimeSeries = 47,
  kItemMarineEvent = 48,
  kItemToneMaskEvent = 49,
  kItemTotalPowerFlat = 50,
  kItemSinad = 51,
  kItemSfdr = 52,
  kItemNf = 53,
  kItemDelayFinder = 54,
  kItemMacroStatus = 57,
  kItemFileClosed = 58,
  kItemVersionNumber = 61,
  kItemSlots = 62,  // index numbers 0 ... 61; 55, 56, 59 and 60 name no item
};

// The item's name ("Peak Frequency"), or empty for an index without an item.
std::string_view ItemName(int32_t index);
// The index of an item named `text` (any case, surrounding blanks ignored) or given by its
// index number in decimal ("27"); nothing for an unknown name or an unused index.
std::optional<int32_t> FindItem(std::string_view text);
// Items that only advise and give no data on request.
bool AdviseOnly(int32_t index);

}  // namespace orvanix
