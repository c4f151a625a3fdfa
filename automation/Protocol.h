// The automation line protocol (docs/automation.md): what a client may send, how the
// server's answers are framed, and the assembly of lines from a byte stream with a bound
// on their length. Standard C++ only, so that it is fuzzed and tested without a socket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvanix {

// Longest line a client may send, newline excluded: room for a poke of a 2^19-sample
// block of 16-bit values. A longer line is refused and never held in memory.
inline constexpr size_t kMaxLineBytes = 4u << 20;

enum class ClientVerb {
  Connect,    // connect SERVICE TOPIC
  Request,    // request ITEM
  Advise,     // advise ITEM (hot link: every update carries the data)
  Warm,       // warm ITEM (warm link: updates say only that the item changed)
  Unadvise,   // unadvise ITEM
  Execute,    // execute [COMMAND]
  Poke,       // poke SAMPLES
  Quit,       // quit
  Empty,      // a blank line: ignored
  Malformed,  // anything else; `error` says why
};

struct TClientMessage {
  ClientVerb verb = ClientVerb::Empty;
  std::string_view argument;  // the rest of the line after the verb and one blank
  std::string_view error;     // for Malformed
};

// One line, without its newline (a trailing carriage return is dropped). Verbs are compared
// without regard to case; a verb that needs an argument and has none is malformed.
TClientMessage ParseClientLine(std::string_view line);

// Splits a byte stream into lines of at most kMaxLineBytes. Bytes of an overlong line are
// dropped as they arrive, so a client that never sends a newline costs nothing.
class TLineAssembler {
 public:
  // Adds received bytes; complete lines are appended to `lines`. Returns the number of
  // overlong lines that ended or began in these bytes (each gets one error answer).
  size_t Feed(std::string_view bytes, std::vector<std::string>& lines);
  size_t Pending() const { return partial_.size(); }

 private:
  std::string partial_;
  bool discarding_ = false;  // inside an overlong line
};

// ---- the server's messages ----
// "value N\n" + data + "\n".
std::string FrameValue(std::string_view data);
// "update INDEX N\n" + data + "\n" (hot link) and "changed INDEX\n" (warm link).
std::string FrameUpdate(int32_t item, std::string_view data);
std::string FrameChanged(int32_t item);
// "answer WORD\n" and "error TEXT\n" (line breaks in TEXT become blanks).
std::string FrameAnswer(std::string_view word);
std::string FrameError(std::string_view text);

// The sample values of a poke or of advise data: every character other than the digits,
// '+', '-', '.', 'E' and 'e' separates numbers. Each number must be a finite real within
// [minimum, maximum]; it is rounded to the nearest integer. At most `limit` values are
// kept (the rest are checked, then ignored). False with `error` set for a malformed number,
// one out of range, or no number at all.
bool ParseSampleText(std::string_view text, double minimum, double maximum, size_t limit,
                     std::vector<int32_t>& samples, std::string& error);

}  // namespace orvanix
