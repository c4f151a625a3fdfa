// Writes the demo recording that the run script analyses: 5 s of 44.1 kHz 16-bit stereo,
// a 1 kHz tone at -6 dBFS on the left, 440 Hz at -10 dBFS plus 3 kHz at -20 dBFS on the
// right, both over white noise at -80 dBFS rms. Deterministic: the same bytes every build.
//
// Usage: orvanix-make-demo-wave OUTPUT.wav
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kSeconds = 5;
constexpr uint32_t kFrames = kRate * kSeconds;
constexpr uint16_t kChannels = 2;
constexpr uint16_t kBytes = 2;

// A small linear congruential generator keeps the noise identical on every platform
// (std::normal_distribution is not specified bit for bit).
class Noise {
 public:
  // Uniform in [-1, 1).
  double Next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(state_ >> 11) * (2.0 / 9007199254740992.0) - 1.0;
  }

 private:
  uint64_t state_ = 0x5eed5eed5eedull;
};

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}
void PutTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

int16_t ToSample(double value) {
  const double scaled = std::round(value * 32767.0);
  if (scaled > 32767.0) return 32767;
  if (scaled < -32767.0) return -32767;
  return static_cast<int16_t>(scaled);
}

double DbToAmplitude(double db) {
  return std::pow(10.0, db / 20.0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.wav\n", argv[0]);
    return 2;
  }
  const uint32_t dataBytes = kFrames * kChannels * kBytes;
  std::vector<uint8_t> file;
  file.reserve(44 + dataBytes);
  PutTag(file, "RIFF");
  Put32(file, 36 + dataBytes);
  PutTag(file, "WAVE");
  PutTag(file, "fmt ");
  Put32(file, 16);
  Put16(file, 1);  // PCM
  Put16(file, kChannels);
  Put32(file, kRate);
  Put32(file, kRate * kChannels * kBytes);
  Put16(file, kChannels * kBytes);
  Put16(file, 8 * kBytes);
  PutTag(file, "data");
  Put32(file, dataBytes);

  // Uniform noise of peak a has rms a / sqrt(3).
  const double noisePeak = DbToAmplitude(-80.0) * std::sqrt(3.0);
  const double twoPi = 2.0 * std::numbers::pi;
  Noise noise;
  for (uint32_t i = 0; i < kFrames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double left =
        DbToAmplitude(-6.0) * std::sin(twoPi * 1000.0 * t) + noisePeak * noise.Next();
    const double right = DbToAmplitude(-10.0) * std::sin(twoPi * 440.0 * t) +
                         DbToAmplitude(-20.0) * std::sin(twoPi * 3000.0 * t) +
                         noisePeak * noise.Next();
    Put16(file, static_cast<uint16_t>(ToSample(left)));
    Put16(file, static_cast<uint16_t>(ToSample(right)));
  }

  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  if (std::fclose(out) != 0 || !written) {
    std::fprintf(stderr, "%s: write failed\n", argv[1]);
    std::remove(argv[1]);
    return 1;
  }
  return 0;
}
