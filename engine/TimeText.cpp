#include "engine/TimeText.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace orvanix {

namespace {
constexpr double kSecondsPerDay = 86400.0;
}

std::string TimeText(double seconds, bool withMilliseconds) {
  if (!std::isfinite(seconds)) seconds = 0.0;
  const bool negative = seconds < 0.0;
  double magnitude = negative ? -seconds : seconds;
  if (magnitude > kSecondsPerDay) magnitude = std::fmod(magnitude, kSecondsPerDay);
  // Times are sums of frame counts divided by a rate, so 1.001 s may arrive as
  // 1.000999...; the small bias keeps such values from losing a whole millisecond
  // while true truncation of the digits beyond it is kept.
  const int64_t totalMsec = static_cast<int64_t>(std::floor(magnitude * 1000.0 + 1e-6));
  const int hours = static_cast<int>(totalMsec / 3600000);
  const int minutes = static_cast<int>((totalMsec / 60000) % 60);
  const int secs = static_cast<int>((totalMsec / 1000) % 60);
  const int msec = static_cast<int>(totalMsec % 1000);

  char text[48];
  const char* sign = negative && totalMsec > 0 ? "-" : "";
  if (withMilliseconds) {
    if (hours > 0) {
      std::snprintf(text, sizeof text, "%s%d:%02d:%02d.%03d", sign, hours, minutes, secs, msec);
    } else if (minutes > 0) {
      std::snprintf(text, sizeof text, "%s%d:%02d.%03d", sign, minutes, secs, msec);
    } else {
      std::snprintf(text, sizeof text, "%s%d.%03d", sign, secs, msec);
    }
  } else {
    if (hours > 0) {
      std::snprintf(text, sizeof text, "%s%d:%02d:%02d", sign, hours, minutes, secs);
    } else if (minutes > 0) {
      std::snprintf(text, sizeof text, "%s%d:%02d", sign, minutes, secs);
    } else {
      std::snprintf(text, sizeof text, "%s%d", sign, secs);
    }
  }
  return text;
}

}  // namespace orvanix
