// An ALSA configuration of silent devices with the given names (and a silent default), for
// tests that make PortAudio find, lose and find again devices of their own.
#pragma once

#include <fstream>
#include <string>
#include <vector>

namespace orvanix::test {

inline void WriteNullDevices(const std::string& path, const std::vector<std::string>& names) {
  std::ofstream config(path, std::ios::trunc);
  for (const std::string& name : names) {
    config << "pcm." << name << " {\n  type null\n  hint.description \"" << name << "\"\n}\n";
  }
  config << "pcm.!default { type null }\n";
}

}  // namespace orvanix::test
