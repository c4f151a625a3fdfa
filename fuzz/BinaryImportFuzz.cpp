// Feeds arbitrary bytes, as a file, to the binary imports (8, 16, 32-bit, float) and to the
// WFT reader (the first input byte chooses the format, channels and header size).
#include "fuzz/ImportFuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvanix;
  static fuzz::Scratch scratch;
  const uint8_t choice = size ? data[0] : 0;
  fuzz::WriteInput(scratch.input, data + (size ? 1 : 0), size ? size - 1 : 0);
  TImportOptions options;
  options.sourceType = kBinary8 + choice % 5;  // 2 ... 6, WFT last
  options.channels = (choice & 8) ? 2 : 1;
  options.headerPresent = (choice & 16) != 0;
  options.headerSize = (choice >> 5) * 3;
  options.scaling = (choice >> 3) % 3;
  fuzz::ImportBoth(scratch, options);
  return 0;
}
