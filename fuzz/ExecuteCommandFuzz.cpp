// Feeds arbitrary text to the execute-command matcher: a match must name a command of the
// table, its argument must come from the text, and the argument helpers must accept it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "automation/ExecuteCommands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvanix;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto match = MatchExecuteCommand(text);
  if (!match) return 0;
  if (match->id < 0 || match->id >= kExecuteCount) std::abort();
  if (text.size() > kMaxExecuteBytes || match->argument.size() >= text.size()) std::abort();
  if (!match->argument.empty() && text.find(match->argument) == std::string_view::npos) {
    std::abort();
  }
  (void)LeadingInteger(match->argument);
  (void)LeadingReal(match->argument);
  return 0;
}
