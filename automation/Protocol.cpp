#include "automation/Protocol.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace orvanix {

namespace {

struct TVerbName {
  std::string_view name;
  ClientVerb verb;
  bool needsArgument;
};

constexpr std::array<TVerbName, 8> kVerbs = {{
    {"connect", ClientVerb::Connect, true},
    {"request", ClientVerb::Request, true},
    {"advise", ClientVerb::Advise, true},
    {"warm", ClientVerb::Warm, true},
    {"unadvise", ClientVerb::Unadvise, true},
    {"execute", ClientVerb::Execute, true},
    {"poke", ClientVerb::Poke, true},
    {"quit", ClientVerb::Quit, false},
}};

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
  }
  return true;
}

bool IsNumberChar(char c) {
  return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'E' || c == 'e';
}

}  // namespace

TClientMessage ParseClientLine(std::string_view line) {
  TClientMessage message;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  size_t start = 0;
  while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
  line.remove_prefix(start);
  if (line.empty()) return message;
  const size_t blank = line.find(' ');
  const std::string_view word = line.substr(0, blank);
  const std::string_view rest =
      blank == std::string_view::npos ? std::string_view{} : line.substr(blank + 1);
  for (const TVerbName& verb : kVerbs) {
    if (!SameWord(word, verb.name)) continue;
    if (verb.needsArgument && rest.empty()) {
      message.verb = ClientVerb::Malformed;
      message.error = "missing argument";
      return message;
    }
    message.verb = verb.verb;
    message.argument = rest;
    return message;
  }
  message.verb = ClientVerb::Malformed;
  message.error = "unknown verb";
  return message;
}

size_t TLineAssembler::Feed(std::string_view bytes, std::vector<std::string>& lines) {
  size_t overlong = 0;
  while (!bytes.empty()) {
    const size_t newline = bytes.find('\n');
    const std::string_view piece = bytes.substr(0, newline);
    if (discarding_) {
      if (newline == std::string_view::npos) return overlong;
      discarding_ = false;
    } else if (partial_.size() + piece.size() > kMaxLineBytes) {
      partial_.clear();
      partial_.shrink_to_fit();
      discarding_ = newline == std::string_view::npos;
      ++overlong;
    } else if (newline == std::string_view::npos) {
      partial_.append(piece);
    } else {
      partial_.append(piece);
      lines.push_back(std::move(partial_));
      partial_.clear();
    }
    if (newline == std::string_view::npos) break;
    bytes.remove_prefix(newline + 1);
  }
  return overlong;
}

std::string FrameValue(std::string_view data) {
  std::string text = "value " + std::to_string(data.size()) + "\n";
  text.append(data);
  text += '\n';
  return text;
}

std::string FrameUpdate(int32_t item, std::string_view data) {
  std::string text = "update " + std::to_string(item) + " " + std::to_string(data.size()) + "\n";
  text.append(data);
  text += '\n';
  return text;
}

std::string FrameChanged(int32_t item) {
  return "changed " + std::to_string(item) + "\n";
}

std::string FrameAnswer(std::string_view word) {
  return "answer " + std::string(word) + "\n";
}

std::string FrameError(std::string_view text) {
  std::string line = "error ";
  for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
  return line + "\n";
}

bool ParseSampleText(std::string_view text, double minimum, double maximum, size_t limit,
                     std::vector<int32_t>& samples, std::string& error) {
  samples.clear();
  size_t count = 0;
  size_t i = 0;
  std::string token;
  while (i < text.size()) {
    if (!IsNumberChar(text[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && IsNumberChar(text[end])) ++end;
    token.assign(text.substr(i, end - i));
    i = end;
    char* stop = nullptr;
    const double value = std::strtod(token.c_str(), &stop);
    if (stop != token.c_str() + token.size() || !std::isfinite(value)) {
      error = "not a number: " + token.substr(0, 40);
      return false;
    }
    if (value < minimum || value > maximum) {
      error = "sample out of range: " + token.substr(0, 40);
      return false;
    }
    if (count++ < limit) samples.push_back(static_cast<int32_t>(std::lround(value)));
  }
  if (count == 0) {
    error = "no sample values";
    return false;
  }
  return true;
}

}  // namespace orvanix
