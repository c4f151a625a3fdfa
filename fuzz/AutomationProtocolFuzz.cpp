// Feeds arbitrary bytes to the automation server's input side as a client would send them:
// split at the first byte's choice of chunk size into the line assembler, every line parsed,
// and each argument given to the item lookup and the sample parser. Lines must never exceed
// the bound, and parsed arguments must lie inside their line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "automation/Items.h"
#include "automation/Protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvanix;
  if (size == 0) return 0;
  const size_t chunk = 1 + data[0] % 64;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  TLineAssembler assembler;
  std::vector<std::string> lines;
  for (size_t at = 0; at < bytes.size(); at += chunk) {
    assembler.Feed(bytes.substr(at, chunk), lines);
    if (assembler.Pending() > kMaxLineBytes) std::abort();
  }
  for (const std::string& line : lines) {
    if (line.size() > kMaxLineBytes || line.find('\n') != std::string::npos) std::abort();
    const TClientMessage message = ParseClientLine(line);
    const std::string_view whole(line);
    if (!message.argument.empty() &&
        (message.argument.data() < whole.data() ||
         message.argument.data() + message.argument.size() > whole.data() + whole.size())) {
      std::abort();
    }
    if (const auto item = FindItem(message.argument)) {
      if (ItemName(*item).empty()) std::abort();
    }
    std::vector<int32_t> samples;
    std::string error;
    if (ParseSampleText(message.argument, -32767, 32767, 4096, samples, error)) {
      if (samples.empty() || samples.size() > 4096) std::abort();
      for (int32_t s : samples) {
        if (s < -32767 || s > 32767) std::abort();
      }
    }
    (void)FrameValue(message.argument);
  }
  return 0;
}
