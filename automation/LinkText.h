// What the data links read: the "Link" clipboard format, the multi-link text of the external
// acquisition program, the names and values of its channel items' properties, and the text
// of its advise data. Standard C++ only, so that it is fuzzed and tested without a socket.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvanix {

// The external program's name in the "Link" clipboard format; its link text is a multi-link.
inline constexpr const char* kMultiLinkApplication = "Morvik-Base";
// Service of the external program, and its topic that names the active test.
inline constexpr const char* kExternalService = "ZAVO";
inline constexpr const char* kExternalMainTopic = "Main";
// Server, topic and item texts hold at most this many characters (the classic 256-byte
// fields with their terminating NUL).
inline constexpr size_t kLinkNameLength = 255;
// Traces per channel kept in order tracking.
inline constexpr size_t kMaxRpmTraces = 1000;

struct TLinkAddress {
  std::string server;
  std::string topic;
  std::string item;
  bool operator==(const TLinkAddress&) const = default;
};

// The "Link" clipboard format: application, topic and item as NUL-terminated strings (the
// last NUL may be missing). Nothing when a part is missing or longer than kLinkNameLength, or
// the application is empty.
std::optional<TLinkAddress> ParseLinkFormat(std::string_view bytes);
// The same three strings, each with its NUL, as the views put them on the clipboard.
std::string MakeLinkFormat(const TLinkAddress& link);

// A multi-link: link 0 the RPM item, links 1 and 2 the channel items.
struct TMultiLink {
  std::array<TLinkAddress, 3> links;
  int channels = 1;
};

// The text "<<ZAVO>>" followed by up to three fields separated by ';', each a tag ("RPM>>",
// "Ch1>>", "Ch2>>", any case) and server|topic!item. Every link is emptied first; a field
// without both separators leaves its link empty, and trailing blanks and line breaks of a
// name are dropped. False (and every link empty) when the text is shorter than 10 bytes or
// does not begin with "<<ZAVO>>" in any case.
bool ParseMultiLinkText(std::string_view text, TMultiLink& multi);

// The name of a property of a channel item: the item up to its last '.' (the whole item
// without one), then `property` ("points", "rate", "xLabel", "xUnits", "yLabel", "yUnits").
std::string PropertyName(std::string_view item, std::string_view property);

// The block a channel item delivers, from its "points" (spectral lines) and "rate" (seconds
// one block spans): 2 x points samples (128 when that is below 1) at 2 x points / rate Hz
// rounded (11025 when below 1, and also when it is not a number or does not fit).
struct TLinkedBlock {
  int64_t blockLength = 128;
  uint32_t sampleRateHz = 11025;
};
TLinkedBlock DeriveLinkedBlock(double points, double rateSecs);

// The FFT size for linked spectra: the block length when it is a power of two from 32 to
// 32768, else 1024.
int32_t LinkedFftSize(int64_t blockLength);

// A real at the start of a property's or the RPM item's text (blanks before it allowed);
// nothing when the text holds no finite number there.
std::optional<double> ParseLinkReal(std::string_view text);

// A spectrum message: numbers are separated by every character other than the digits, '+',
// '-', '.', 'E' and 'e'; the 1st, 3rd, 5th ... number become the amplitudes of lines 0, 1,
// 2 ... (at most `maxLines`). A piece that is not a finite number (the 'e' of a word) is not
// counted.
std::vector<float> ParseSpectrumText(std::string_view text, size_t maxLines);

// Order tracking: the start and step of the RPM sweep ("StartingTrigger",
// "TriggerIncrement"); a step of 0 stands for a sweep from 600 in steps of 100.
struct TRpmSweep {
  double startRpm = 600;
  double incrementRpm = 100;
};
TRpmSweep MakeRpmSweep(double startingTrigger, double triggerIncrement);
// The RPM a new trace is stored with: the last RPM received when it is at least the start,
// else start + trace count x increment.
double TraceRpm(const TRpmSweep& sweep, double lastRpm, size_t traceCount);

}  // namespace orvanix
