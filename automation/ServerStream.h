// The server's side of the automation line protocol as a client reads it: a byte stream cut
// into messages ("hello", "answer", "error", "bye", "changed", and "value"/"update" with
// their counted data). Standard C++ only; bounded, so that a server that sends garbage or
// floods a client cannot make it hold more than one message's worth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace orvanix {

// Longest header line a client waits for; the longest data a message may announce.
inline constexpr size_t kMaxServerHeaderBytes = 4096;
inline constexpr size_t kMaxServerDataBytes = 16u << 20;

struct TServerMessage {
  enum class Kind { Hello, Answer, Value, Update, Changed, Error, Bye };
  Kind kind = Kind::Answer;
  std::string text;   // the greeting, the answer word, the error text, or the data
  int32_t item = -1;  // update and changed: the item's index
};

class TServerStream {
 public:
  enum class Fault { None, Garbage, TooLarge };

  // Adds received bytes; whole messages queue up for Take. After a fault nothing more is
  // read (the connection is of no further use).
  void Feed(std::string_view bytes);
  bool HasMessage() const { return !messages_.empty(); }
  size_t Queued() const { return messages_.size(); }
  TServerMessage Take();
  Fault Failed() const { return fault_; }
  // Bytes held for a message not yet complete.
  size_t Pending() const { return partial_.size(); }

 private:
  bool ParseHeader(std::string_view line);

  std::string partial_;
  std::deque<TServerMessage> messages_;
  // A value or update whose data are still arriving.
  bool inData_ = false;
  size_t dataBytes_ = 0;
  TServerMessage current_;
  Fault fault_ = Fault::None;
};

}  // namespace orvanix
