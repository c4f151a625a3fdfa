// The macro processor's own texts.
#pragma once

namespace orvanix {

inline constexpr const char* kMacroUnrecognized =
    "Macro Command Processor: Unrecognized command \"%s\" at line %d";
inline constexpr const char* kMacroExecuteRefused =
    "Macro Command Processor: DDE Execute command \"%s\" at line %d cannot be processed";
inline constexpr const char* kMacroUnknownItem =
    "Macro Command Processor: DDE Request item \"%s\" at line %d is unrecognized";
inline constexpr const char* kMacroOpenFailed = "Failure opening macro file: %s";
inline constexpr const char* kMacroDefaultOutput = "macro_output.txt";

}  // namespace orvanix
