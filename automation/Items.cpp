#include "automation/Items.h"

#include <array>
#include <cctype>

#include "automation/AutomationTexts.h"

namespace orvanix {

namespace {

constexpr std::array<std::string_view, kItemSlots> kNames = {
    "Peak Frequency",
    "Peak Amplitude",
    "Total Power",
    "Total Power A",
    "Total Power B",
    "Total Power C",
    "THD",
    "THD+N",
    "IMD",
    "SNR",
    "Spectrum",
    "Phase",
    "Time Series",
    "Marker1 Amplitude",
    "Marker2 Amplitude",
    "Marker3 Amplitude",
    "Marker4 Amplitude",
    "Marker5 Amplitude",
    "Marker6 Amplitude",
    "Overload Status",
    "Overload Count",
    "FFT Count",
    "Current Time",
    "Total Time",
    "Logging Status",
    "Peak Hold",
    "FFT Overlap",
    "FFT Size",
    "Average Size",
    "Smoothing Window",
    "Peak1 Frequency",
    "Peak2 Frequency",
    "Peak3 Frequency",
    "Peak4 Frequency",
    "Peak5 Frequency",
    "Peak6 Frequency",
    "Peak1 Amplitude",
    "Peak2 Amplitude",
    "Peak3 Amplitude",
    "Peak4 Amplitude",
    "Peak5 Amplitude",
    "Peak6 Amplitude",
    "Total Power in Time Segment",
    "Zoomed Spectrum",
    "Zoomed Phase",
    "Marked Spectrum",
    "Marked Phase",
    "Zoomed Time Series",
    "Keldor Marine Event",
    "Keldor Tone Mask Event",
    "Total Power Flat",
    "SINAD",
    "SFDR",
    "NF",
    "Delay Finder",
    "",
    "",
    "Macro Status",
    "File Closed",
    "",
    "",
    "Version Number",
};

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace

std::string_view ItemName(int32_t index) {
  if (index < 0 || index >= kItemSlots) return {};
  return kNames[static_cast<size_t>(index)];
}

std::optional<int32_t> FindItem(std::string_view text) {
  text = Trimmed(text);
  if (text.empty()) return std::nullopt;
  if (text.size() <= 2 && std::isdigit(static_cast<unsigned char>(text[0]))) {
    int32_t index = 0;
    for (char c : text) {
      if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
      index = index * 10 + (c - '0');
    }
    if (ItemName(index).empty()) return std::nullopt;
    return index;
  }
  for (int32_t i = 0; i < kItemSlots; ++i) {
    if (!kNames[static_cast<size_t>(i)].empty() && SameName(text, kNames[static_cast<size_t>(i)])) {
      return i;
    }
  }
  return std::nullopt;
}

bool AdviseOnly(int32_t index) {
  return index == kItemMarineEvent || index == kItemToneMaskEvent;
}

}  // namespace orvanix
