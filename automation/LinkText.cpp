#include "automation/LinkText.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "automation/AutomationTexts.h"

namespace orvanix {

namespace {

bool IsNumberChar(char c) {
  return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'E' || c == 'e';
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A whole token as a finite real; from_chars reads the C locale's form whatever the
// program's locale is, and takes no leading '+'.
std::optional<double> TokenValue(std::string_view token) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || end != token.data() + token.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

// Fills `link` from server|topic!item; false (link left empty) without both separators.
bool ParseAddress(std::string_view text, TLinkAddress& link) {
  const size_t bar = text.find('|');
  if (bar == std::string_view::npos) return false;
  const size_t bang = text.find('!', bar + 1);
  if (bang == std::string_view::npos) return false;
  const std::string_view server = Trimmed(text.substr(0, bar));
  const std::string_view topic = Trimmed(text.substr(bar + 1, bang - bar - 1));
  const std::string_view item = Trimmed(text.substr(bang + 1));
  if (server.size() > kLinkNameLength || topic.size() > kLinkNameLength ||
      item.size() > kLinkNameLength) {
    return false;
  }
  link = {std::string(server), std::string(topic), std::string(item)};
  return true;
}

}  // namespace

std::optional<TLinkAddress> ParseLinkFormat(std::string_view bytes) {
  std::array<std::string, 3> parts;
  size_t at = 0;
  for (std::string& part : parts) {
    if (at > bytes.size()) return std::nullopt;
    size_t end = bytes.find('\0', at);
    if (end == std::string_view::npos) end = bytes.size();
    if (end - at > kLinkNameLength) return std::nullopt;
    part.assign(bytes.substr(at, end - at));
    at = end + 1;
  }
  if (parts[0].empty()) return std::nullopt;
  return TLinkAddress{parts[0], parts[1], parts[2]};
}

std::string MakeLinkFormat(const TLinkAddress& link) {
  std::string bytes;
  for (const std::string* part : {&link.server, &link.topic, &link.item}) {
    bytes += *part;
    bytes += '\0';
  }
  return bytes;
}

bool ParseMultiLinkText(std::string_view text, TMultiLink& multi) {
  multi = TMultiLink{};
  constexpr std::string_view kHead = "<<ZAVO>>";
  if (text.size() < 10 || !SameName(text.substr(0, kHead.size()), kHead)) return false;
  std::string_view rest = text.substr(kHead.size());
  bool secondChannel = false;
  for (int field = 0; field < 3 && !rest.empty(); ++field) {
    const size_t semicolon = rest.find(';');
    const std::string_view piece = rest.substr(0, semicolon);
    rest = semicolon == std::string_view::npos ? std::string_view{} : rest.substr(semicolon + 1);
    const std::string_view body = Trimmed(piece);
    if (body.size() < 5) continue;
    const std::string_view tag = body.substr(0, 5);
    int index = -1;
    if (SameName(tag, "RPM>>")) index = 0;
    if (SameName(tag, "Ch1>>")) index = 1;
    if (SameName(tag, "Ch2>>")) index = 2;
    if (index < 0) continue;
    // The channel count follows the field's presence, as the external program writes it.
    if (index == 2) secondChannel = true;
    ParseAddress(body.substr(5), multi.links[static_cast<size_t>(index)]);
  }
  multi.channels = secondChannel ? 2 : 1;
  return true;
}

std::string PropertyName(std::string_view item, std::string_view property) {
  const size_t dot = item.rfind('.');
  std::string name(dot == std::string_view::npos ? item : item.substr(0, dot));
  name += property;
  return name;
}

TLinkedBlock DeriveLinkedBlock(double points, double rateSecs) {
  TLinkedBlock block;
  const double samples = 2.0 * points;
  // Sizes beyond any FFT size stay as they are (the FFT size falls back); only what cannot
  // be held is replaced.
  block.blockLength = std::isfinite(samples) && samples >= 1 && samples < 9.0e18
                          ? static_cast<int64_t>(samples)
                          : 128;
  const double rate = samples / rateSecs;
  block.sampleRateHz = std::isfinite(rate) && rate >= 1 && rate < 4.0e9
                           ? static_cast<uint32_t>(std::lround(rate))
                           : 11025u;
  return block;
}

int32_t LinkedFftSize(int64_t blockLength) {
  const bool power = blockLength > 0 && (blockLength & (blockLength - 1)) == 0;
  return power && blockLength >= 32 && blockLength <= 32768 ? static_cast<int32_t>(blockLength)
                                                            : 1024;
}

std::optional<double> ParseLinkReal(std::string_view text) {
  text = Trimmed(text);
  size_t end = 0;
  while (end < text.size() && IsNumberChar(text[end])) ++end;
  return TokenValue(text.substr(0, end));
}

std::vector<float> ParseSpectrumText(std::string_view text, size_t maxLines) {
  std::vector<float> lines;
  size_t count = 0;
  size_t i = 0;
  while (i < text.size() && lines.size() < maxLines) {
    if (!IsNumberChar(text[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && IsNumberChar(text[end])) ++end;
    const std::optional<double> value = TokenValue(text.substr(i, end - i));
    i = end;
    // A value a float cannot hold is no amplitude either.
    if (!value || std::fabs(*value) > std::numeric_limits<float>::max()) continue;
    if (count++ % 2 == 0) lines.push_back(static_cast<float>(*value));
  }
  return lines;
}

TRpmSweep MakeRpmSweep(double startingTrigger, double triggerIncrement) {
  if (triggerIncrement == 0) return TRpmSweep{};
  return {startingTrigger, triggerIncrement};
}

double TraceRpm(const TRpmSweep& sweep, double lastRpm, size_t traceCount) {
  if (lastRpm >= sweep.startRpm) return lastRpm;
  return sweep.startRpm + static_cast<double>(traceCount) * sweep.incrementRpm;
}

}  // namespace orvanix
