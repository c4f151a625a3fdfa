#include "automation/ServerStream.h"

#include <charconv>

namespace orvanix {

namespace {

bool StartsWith(std::string_view text, std::string_view head) {
  return text.substr(0, head.size()) == head;
}

// A decimal count without sign, all of `text`.
bool Count(std::string_view text, uint64_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool TServerStream::ParseHeader(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  TServerMessage message;
  if (StartsWith(line, "hello ")) {
    message.kind = TServerMessage::Kind::Hello;
    message.text = line.substr(6);
  } else if (StartsWith(line, "answer ")) {
    message.kind = TServerMessage::Kind::Answer;
    message.text = line.substr(7);
  } else if (StartsWith(line, "error ")) {
    message.kind = TServerMessage::Kind::Error;
    message.text = line.substr(6);
  } else if (line == "bye") {
    message.kind = TServerMessage::Kind::Bye;
  } else if (StartsWith(line, "changed ")) {
    uint64_t item = 0;
    if (!Count(line.substr(8), item) || item > INT32_MAX) return false;
    message.kind = TServerMessage::Kind::Changed;
    message.item = static_cast<int32_t>(item);
  } else if (StartsWith(line, "value ") || StartsWith(line, "update ")) {
    const bool update = line[0] == 'u';
    std::string_view rest = line.substr(update ? 7 : 6);
    uint64_t item = 0;
    if (update) {
      const size_t blank = rest.find(' ');
      if (blank == std::string_view::npos || !Count(rest.substr(0, blank), item) ||
          item > INT32_MAX) {
        return false;
      }
      rest = rest.substr(blank + 1);
    }
    uint64_t bytes = 0;
    if (!Count(rest, bytes)) return false;
    if (bytes > kMaxServerDataBytes) {
      fault_ = Fault::TooLarge;
      return false;
    }
    current_ = TServerMessage{};
    current_.kind = update ? TServerMessage::Kind::Update : TServerMessage::Kind::Value;
    current_.item = update ? static_cast<int32_t>(item) : -1;
    inData_ = true;
    dataBytes_ = static_cast<size_t>(bytes);
    return true;
  } else {
    return false;
  }
  messages_.push_back(std::move(message));
  return true;
}

void TServerStream::Feed(std::string_view bytes) {
  while (fault_ == Fault::None && !bytes.empty()) {
    if (inData_) {
      // The data and the newline after them.
      const size_t want = dataBytes_ + 1 - partial_.size();
      const size_t take = std::min(want, bytes.size());
      partial_.append(bytes.substr(0, take));
      bytes.remove_prefix(take);
      if (partial_.size() < dataBytes_ + 1) return;
      if (partial_.back() != '\n') {
        fault_ = Fault::Garbage;
        return;
      }
      partial_.pop_back();
      current_.text = std::move(partial_);
      partial_.clear();
      inData_ = false;
      messages_.push_back(std::move(current_));
      continue;
    }
    const size_t newline = bytes.find('\n');
    const size_t take = newline == std::string_view::npos ? bytes.size() : newline;
    if (partial_.size() + take > kMaxServerHeaderBytes) {
      fault_ = Fault::TooLarge;
      return;
    }
    partial_.append(bytes.substr(0, take));
    if (newline == std::string_view::npos) return;
    bytes.remove_prefix(newline + 1);
    const std::string line = std::move(partial_);
    partial_.clear();
    if (!ParseHeader(line) && fault_ == Fault::None) fault_ = Fault::Garbage;
  }
}

TServerMessage TServerStream::Take() {
  TServerMessage message = std::move(messages_.front());
  messages_.pop_front();
  return message;
}

}  // namespace orvanix
