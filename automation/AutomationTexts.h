// The automation server's own names and texts, shared by the server, the clients and the
// tests.
#pragma once

#include <cctype>
#include <string_view>

namespace orvanix {

inline constexpr const char* kServiceName = "Tessiva";
inline constexpr const char* kTopicName = "Data";
inline constexpr const char* kSocketFileName = "tessiva.sock";
// The environment variable that names another socket (clients and `--serve`).
inline constexpr const char* kSocketEnvironment = "TESSIVA_SOCKET";

// Answer words.
inline constexpr const char* kAnswerOk = "ok";
inline constexpr const char* kAnswerProcessed = "processed";
inline constexpr const char* kAnswerNotProcessed = "not-processed";
inline constexpr const char* kAnswerBusy = "busy";

// Error lines.
inline constexpr const char* kRefusedOtherUser = "refused: the server belongs to another user";
inline constexpr const char* kRefusedNoSlot = "refused: all 20 conversations are in use";
inline constexpr const char* kErrorLineTooLong = "line too long";
inline constexpr const char* kErrorUnknownItem = "unknown item";
inline constexpr const char* kErrorNoData = "no data for this item";
inline constexpr const char* kErrorNoLink = "no advise link on this item";
inline constexpr const char* kErrorUnknownTopic = "unknown service or topic";

// Data links (messages shown without a title).
inline constexpr const char* kLinkFailure = "Failure linking to %s";
inline constexpr const char* kLinkItemMissing =
    "The following DDE data is not available:\rServer: %s\rTopic: %s\rItem: %s";
inline constexpr const char* kLinkToItself =
    "Failure linking to %s: that is this analyzer's own automation service. Its data would be "
    "analysed again and sent back to it without end.";
inline constexpr const char* kLinkPropertyMissing = "DDE item not available:Item: %s";
inline constexpr const char* kLinkEndedClosed =
    "The data link to %s ended: the server closed the connection.";
inline constexpr const char* kLinkEndedGarbage =
    "The data link to %s ended: the server sent data that could not be read.";
inline constexpr const char* kLinkEndedTooLarge =
    "The data link to %s ended: the server sent more than the analyzer takes at once.";
inline constexpr const char* kLinkEndedSamples =
    "The data link to %s ended: its data are not sample values (%s).";
// Formatted for diagnostics only.
inline constexpr const char* kLinkTraceDiagnostic = "rpm = %f, trace = %d";

// Names in the exchange (service, topic, items, macro words) compare without regard to case.
inline bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace orvanix
