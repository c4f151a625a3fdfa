// The edit module's clipboard on the desktop's: a complete wave file image offered as
// "audio/wav" and "audio/x-wav", so that other programs can paste it and ours can paste
// theirs.
#pragma once

#include "app/edit/EditServices.h"

namespace orvanix {

inline constexpr const char* kWaveMimeType = "audio/wav";
inline constexpr const char* kWaveMimeTypeX = "audio/x-wav";

class TQtWaveClipboard : public TWaveClipboard {
 public:
  void SetWave(const uint8_t* bytes, size_t size) override;
  bool HasWave() const override;
  std::vector<uint8_t> Wave() const override;
};

}  // namespace orvanix
