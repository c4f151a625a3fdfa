// Durations as the plot axes and readouts show them. The views cannot reach the analyzer
// core's own routine (they sit below it), so they carry this one, kept to the same rules.
#pragma once

#include <string>

namespace orvanix::views {

// Seconds as "%d:%02d:%02d.%03d" (with hours), "%d:%02d.%03d" (with minutes) or "%d.%03d";
// without milliseconds "%d:%02d:%02d", "%d:%02d" or "%d". Milliseconds are truncated, a
// negative value gets a leading "-", values above one day (86400 s) wrap around it, and a
// value that is not finite shows as zero.
std::string TimeText(double seconds, bool withMillis);

}  // namespace orvanix::views
