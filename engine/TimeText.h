// Durations as the program shows them everywhere (status bar, views, positions).
#pragma once

#include <string>

namespace orvanix {

// Seconds as "%d:%02d:%02d.%03d" (with hours), "%d:%02d.%03d" (with minutes) or "%d.%03d";
// without milliseconds "%d:%02d:%02d", "%d:%02d" or "%d". Milliseconds are truncated, a
// negative value gets a leading "-", and values above one day (86400 s) wrap around it.
// A value that is not finite shows as zero.
std::string TimeText(double seconds, bool withMilliseconds = true);

}  // namespace orvanix
