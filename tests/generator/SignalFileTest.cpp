// Writing the buffer to a wave file: the frames "Save Signal" writes, timed files of exact
// length, signals that play once, and a failed write that keeps the old file.
#include <sys/resource.h>

#include <csignal>
#include <cstring>

#include <fstream>
#include <iterator>

#include "files/WaveTexts.h"
#include "generator/GeneratorTestSupport.h"
#include "generator/SignalFile.h"

namespace orvanix::test {
namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) |
         (uint32_t{b[at + 3]} << 24);
}

class SignalFileTest : public ::testing::Test {
 protected:
  TScratch scratch_;
  TRecordingSink sink_;
  TScopedMessageSink scoped_{&sink_};
};

TEST_F(SignalFileTest, PeriodicTypesAreSavedAsAboutASecondOfWholeBuffers) {
  const TBuildResult saw = Build(Settings(kSignalSawtooth), 44100);
  ASSERT_TRUE(saw.buffer);
  // 44132 frames: 44100 / 44132 + 1 = one buffer.
  EXPECT_EQ(SavedSignalFrames(*saw.buffer, kSignalSawtooth), 44132u);
  EXPECT_EQ(SavedSignalFrames(*saw.buffer, kSignalTone1k), 44132u);
  TGeneratorSettings g = Settings(kSignalPulse);
  g.left.pulse = {200, 2000000, 0};  // 2 s: 44100 / 88200 + 1 = one buffer
  const TBuildResult pulse = Build(g, 44100);
  EXPECT_EQ(SavedSignalFrames(*pulse.buffer, kSignalPulse), 88200u);
  // A buffer shorter than a second would only come from a rate change; the rule still holds.
  TWaveData small(1000, MakeWaveFormat(1, 44100, 2));
  EXPECT_EQ(SavedSignalFrames(small, kSignalSquare), 1000u * 45u);
  EXPECT_EQ(SavedSignalFrames(small, kSignalMultipleTones), 1000u);
}

TEST_F(SignalFileTest, WritesExactlyTheFramesAskedForLoopedOrOnce) {
  const TBuildResult r = Build(Settings(kSignalSquare), 8000, 2, 2);  // period 4
  ASSERT_TRUE(r.buffer);
  ASSERT_EQ(r.buffer->CapacityFrames(), 8004u);
  const std::string looped = scratch_.File("looped.wav");
  ASSERT_TRUE(WriteSignalWave(looped, *r.buffer, 20001, true));
  std::vector<uint8_t> bytes = ReadAll(looped);
  ASSERT_EQ(bytes.size(), 44u + 20001u * 4u);
  EXPECT_EQ(U32(bytes, 40), 20001u * 4u);
  EXPECT_EQ(U32(bytes, 24), 8000u);
  EXPECT_EQ(bytes[22], 2);
  // Frame 8004 + 1 is frame 1 of the buffer again.
  EXPECT_EQ(std::memcmp(&bytes[44 + 8005 * 4], r.buffer->Memory() + 4, 4), 0);
  EXPECT_EQ(std::memcmp(&bytes[44 + 16008 * 4], r.buffer->Memory(), 4), 0);

  const std::string once = scratch_.File("once.wav");
  ASSERT_TRUE(WriteSignalWave(once, *r.buffer, 9000, false));
  bytes = ReadAll(once);
  ASSERT_EQ(bytes.size(), 44u + 9000u * 4u);
  EXPECT_EQ(std::memcmp(&bytes[44], r.buffer->Memory(), 8004 * 4), 0);
  for (size_t i = 44 + 8004 * 4; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 0) << i;

  // 8-bit silence is 127; an odd data size gets its pad byte.
  const TBuildResult eight = Build(Settings(kSignalPulse), 8000, 1, 1);
  const std::string odd = scratch_.File("odd.wav");
  ASSERT_TRUE(WriteSignalWave(odd, *eight.buffer, 8081, false));
  bytes = ReadAll(odd);
  ASSERT_EQ(bytes.size(), 44u + 8081u + 1u);
  EXPECT_EQ(U32(bytes, 4), 36u + 8082u);
  EXPECT_EQ(bytes[44 + 8080], 127);
}

TEST_F(SignalFileTest, AFailedWriteKeepsTheOldFileAndSaysWhy) {
  const TBuildResult r = Build(Settings(kSignalTone1k), 8000);
  const std::string path = scratch_.File("kept.wav");
  {
    std::ofstream old(path);
    old << "the user's file";
  }
  // A file size limit stands in for a full disk (and holds for root too).
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = saved;
  limit.rlim_cur = 4096;
  ::setrlimit(RLIMIT_FSIZE, &limit);
  const bool written = WriteSignalWave(path, *r.buffer, 8000, true);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadAll(path).size(), 15u);
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text, kFailureWritingWaveFile);
  // A folder that does not exist cannot take the file.
  EXPECT_FALSE(WriteSignalWave(scratch_.File("no/such.wav"), *r.buffer, 10, true));
}

}  // namespace
}  // namespace orvanix::test
