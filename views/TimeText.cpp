#include "views/TimeText.h"

#include <cmath>
#include <cstdint>

#include "views/TextFormat.h"

namespace orvanix::views {

std::string TimeText(double seconds, bool withMillis) {
  if (!std::isfinite(seconds)) seconds = 0.0;
  const bool negative = seconds < 0.0;
  double magnitude = std::fabs(seconds);
  if (magnitude > 86400.0) magnitude = std::fmod(magnitude, 86400.0);
  // The tiny nudge keeps 1.001 s (stored as 1.000999...) from truncating to 1.000.
  const int64_t totalMs = static_cast<int64_t>(std::floor(magnitude * 1000.0 + 1e-6));
  const int ms = static_cast<int>(totalMs % 1000);
  const int64_t totalSeconds = totalMs / 1000;
  const int s = static_cast<int>(totalSeconds % 60);
  const int m = static_cast<int>((totalSeconds / 60) % 60);
  const int h = static_cast<int>(totalSeconds / 3600);
  std::string text = negative && totalMs > 0 ? "-" : "";
  if (withMillis) {
    if (h > 0) return text + CFormat("%d:%02d:%02d.%03d", h, m, s, ms);
    if (m > 0) return text + CFormat("%d:%02d.%03d", m, s, ms);
    return text + CFormat("%d.%03d", s, ms);
  }
  if (h > 0) return text + CFormat("%d:%02d:%02d", h, m, s);
  if (m > 0) return text + CFormat("%d:%02d", m, s);
  return text + CFormat("%d", s);
}

}  // namespace orvanix::views
