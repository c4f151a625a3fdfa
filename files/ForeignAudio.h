// Audio files that our RIFF reader does not take, read through libsndfile: FLAC, Ogg Vorbis,
// Opus, AIFF, CAF, W64, RF64, MP3, and the WAV files outside our reader's integer mono and
// stereo (32-bit integer, 32 and 64-bit float, more than two channels, A-law, mu-law). Each
// becomes an untitled 16 or 24-bit document. Our own RIFF code stays the reader and writer of
// the .wav files it takes (it carries the calibration chunk).
//
// Integer samples keep their bits (16-bit to a 16-bit document exactly; 24 and 32-bit to
// 24 bits, the lowest bits of 32-bit samples dropped). Float samples (and the lossy codecs,
// which decode to float) map 1.0 to full scale and are clipped beyond it, or, when the map
// says so, the largest magnitude in the file becomes full scale.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "files/Importer.h"  // TWaveTarget
#include "files/StepJob.h"
#include "files/WaveFile.h"

namespace orvanix {

struct TForeignInfo {
  uint32_t channels = 0;
  uint32_t sampleRateHz = 0;
  uint64_t frames = 0;      // as the file says (an estimate for some compressed formats)
  bool isFloat = false;     // 32 or 64-bit float samples: the user chooses the map
  bool lossy = false;       // a compressed format that decodes to float
  uint32_t bits = 16;       // integer precision of the samples (16 for float and lossy)
  std::string description;  // libsndfile's name of the format, e.g. "FLAC 24 bit"
};

// How the file's channels and levels become the document's.
struct TChannelMap {
  int32_t left = 0;
  int32_t right = -1;           // -1: a mono document
  uint32_t bytesPerSample = 2;  // 2 or 3
  bool normalise = false;       // the largest magnitude to full scale
};

// What libsndfile makes of the file; false with `message` (kForeignUnreadable) when it
// cannot read it.
bool ProbeForeignFile(const std::string& path, TForeignInfo& info, std::string& message);
// Float samples or more than two channels: the user should choose the map.
bool NeedsChannelMap(const TForeignInfo& info);
// The map used without asking: the first two channels, 16 bits for up to 16-bit integer
// samples and 24 bits otherwise, 1.0 as full scale.
TChannelMap DefaultChannelMap(const TForeignInfo& info);

// Reads a foreign file into a new document in ticks of kTickFrames frames (a first pass
// finds the peak when the map normalises).
class TForeignImporter : public TStepJob {
 public:
  TForeignImporter(const std::string& path, const TChannelMap& map, const TWaveTarget& target);
  ~TForeignImporter() override;

  bool Step() override;
  int Percent() const override;
  std::string StatusText() const override;
  bool Failed() const override { return failed_; }
  void Cancel() override;
  const TForeignInfo& Info() const { return info_; }
  // The document (after the run; a stopped one keeps what was read).
  std::unique_ptr<TWaveFile> TakeDocument();

 private:
  bool Begin();
  bool PeakTick();
  bool ConvertTick();
  bool Fail(const std::string& message);
  void Settle();

  std::string path_;
  TChannelMap map_;
  TWaveTarget target_;
  TForeignInfo info_;
  struct Handle;
  std::unique_ptr<Handle> file_;
  bool begun_ = false;
  bool peakPass_ = false;
  bool done_ = false;
  bool failed_ = false;
  double peak_ = 0.0;
  uint64_t read_ = 0;
  std::vector<int32_t> ints_;
  std::vector<double> reals_;
  std::vector<uint8_t> block_;
  std::unique_ptr<TWaveFile> document_;
};

}  // namespace orvanix
