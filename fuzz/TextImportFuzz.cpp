// Feeds arbitrary bytes, as a text file, to the ASCII import: mono or stereo, integer or real,
// with or without header lines (the first input byte chooses).
#include "fuzz/ImportFuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvanix;
  static fuzz::Scratch scratch;
  const uint8_t choice = size ? data[0] : 0;
  fuzz::WriteInput(scratch.input, data + (size ? 1 : 0), size ? size - 1 : 0);
  TImportOptions options;
  options.sourceType = (choice & 1) ? kAsciiReal : kAsciiInteger;
  options.channels = (choice & 2) ? 2 : 1;
  options.headerPresent = (choice & 4) != 0;
  options.headerSize = (choice >> 3) & 7;
  options.scaling = (choice >> 6) % 3;
  options.bytesPerSample = 1 + (choice >> 4) % 3;
  fuzz::ImportBoth(scratch, options);
  return 0;
}
