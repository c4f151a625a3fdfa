// `tessiva --headless` as a child process: the demo recording, a disk recording killed
// with SIGKILL, and a recording that runs into a file-size limit (a full disk).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/RunLoopTypes.h"
#include "app/core/Headless.h"
#include "files/WaveTexts.h"
#include "tests/acquisition/RunLoopTestSupport.h"

namespace orvanix {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The build tree holds this test in tests/ and the program in app/.
fs::path BuildDir() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : self.parent_path().parent_path();
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Child {
  pid_t pid = -1;
  std::string out;
  std::string err;
};

// Starts the program with its output in files. `fileLimitBytes` > 0 limits the size of
// any file it writes (and makes it get errors instead of SIGXFSZ when it tries).
Child Spawn(const std::vector<std::string>& args, const test::TScratchFolder& scratch,
            long fileLimitBytes = 0) {
  Child child;
  child.out = scratch.File("stdout.txt");
  child.err = scratch.File("stderr.txt");
  const std::string config = scratch.File("config");
  const std::string data = scratch.File("data");
  std::vector<std::string> env = {"XDG_CONFIG_HOME=" + config, "XDG_DATA_HOME=" + data,
                                  "HOME=" + scratch.Path(), "LC_ALL=C", "PATH=/usr/bin:/bin"};
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  const int out = ::open(child.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const int err = ::open(child.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  child.pid = ::fork();
  if (child.pid == 0) {
    // Only async-signal-safe calls from here to exec.
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::signal(SIGXFSZ, SIG_IGN);
    if (fileLimitBytes > 0) {
      rlimit limit{static_cast<rlim_t>(fileLimitBytes), static_cast<rlim_t>(fileLimitBytes)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(out);
  ::close(err);
  return child;
}

// Waits for the child; kills it after `seconds`. Returns the exit status or -1.
int Wait(const Child& child, double seconds) {
  const auto until = Clock::now() + std::chrono::duration<double>(seconds);
  int status = 0;
  while (Clock::now() < until) {
    if (::waitpid(child.pid, &status, WNOHANG) == child.pid) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(child.pid, SIGKILL);
  ::waitpid(child.pid, &status, 0);
  return -1;
}

// sox's own idea of a file's duration, or -1 when it cannot read it.
double SoxDuration(const std::string& path) {
  const std::string command = "soxi -D '" + path + "' 2>/dev/null";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return -1;
  char line[64] = {};
  const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
  const int status = ::pclose(pipe);
  return got && status == 0 ? std::atof(line) : -1;
}

// sox's count of the samples per channel in a file, or -1.
long SoxSamples(const std::string& path) {
  std::FILE* pipe = ::popen(("soxi -s '" + path + "' 2>/dev/null").c_str(), "r");
  if (!pipe) return -1;
  char line[64] = {};
  const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
  const int status = ::pclose(pipe);
  return got && status == 0 ? std::atol(line) : -1;
}

bool SoxReadsWhole(const std::string& path) {
  return std::system(("sox '" + path + "' -n stat 2>/dev/null").c_str()) == 0;
}

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = BuildDir() / "app" / "tessiva";
    if (!fs::exists(program_)) GTEST_SKIP() << "tessiva is not built at " << program_;
    fs::create_directories(scratch_.File("rec"));
  }

  // A program settings file: recordings and temporary files in rec/, disk mode, 48 kHz mono.
  std::string Settings() {
    const std::string path = scratch_.File("tessiva.ini");
    std::ofstream ini(path);
    ini << "[Paths]\nWav=" << scratch_.File("rec") << "\nTmp=" << scratch_.File("rec")
        << "\n[FileIO]\nWaveFileMode=1\nMakeBackup=0\n"
        << "[Settings]\nSamplingRate=48000\nNumChannels=1\nBytesPerSample=2\n";
    return path;
  }

  std::vector<fs::path> WaveFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(scratch_.File("rec")))
      files.push_back(entry.path());
    return files;
  }

  fs::path program_;
  test::TScratchFolder scratch_;
};

TEST_F(HeadlessTest, AnalysesTheDemoRecording) {
  const fs::path demo = BuildDir() / "demo" / "orvanix-demo.wav";
  if (!fs::exists(demo)) GTEST_SKIP() << "the demo recording is not built";
  const Child child = Spawn(
      {program_.string(), "--headless", "--average", "infinite", "--window", "2", demo.string()},
      scratch_);
  ASSERT_EQ(Wait(child, 60), 0) << ReadAll(child.err);
  const std::string out = ReadAll(child.out);
  // 5 s at 44.1 kHz in blocks of 4096.
  EXPECT_NE(out.find("Blocks processed: 53 "), std::string::npos) << out;
  // 1 kHz at -6 dBFS on the left, 440 Hz at -10 dBFS the strongest on the right: a flat-top
  // window reads both within a tenth of a dB.
  EXPECT_NE(out.find("Left:  peak 1001.29 Hz (bin 93): -6.0"), std::string::npos) << out;
  EXPECT_NE(out.find("Right: peak 441.43 Hz (bin 41): -10.0"), std::string::npos) << out;
}

TEST_F(HeadlessTest, DiskRecordingKilledWithSigkillStaysReadable) {
  const Child child = Spawn({program_.string(), "--headless", "--settings", Settings(), "--device",
                             "Loopback", "--loopback-tone", "1000", "--record-seconds", "60"},
                            scratch_);
  // Wait for the recording to begin; it names its working file.
  std::string path;
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (path.empty() && Clock::now() < deadline) {
    const std::string out = ReadAll(child.out);
    const size_t at = out.find("Recording into ");
    const size_t end = out.find('\n', at);
    if (at != std::string::npos && end != std::string::npos)
      path = out.substr(at + 15, end - at - 15);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_FALSE(path.empty()) << ReadAll(child.err);
  const auto started = Clock::now();
  std::this_thread::sleep_for(std::chrono::milliseconds(3500));
  ::kill(child.pid, SIGKILL);
  const double elapsed = std::chrono::duration<double>(Clock::now() - started).count();
  int status = 0;
  ::waitpid(child.pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));

  // Everything but at most the last second is there, and sox reads it as it is.
  const double duration = SoxDuration(path);
  EXPECT_GE(duration, elapsed - 1.0) << path;
  EXPECT_LE(duration, elapsed + 0.5) << path;
  EXPECT_TRUE(SoxReadsWhole(path));
}

TEST_F(HeadlessTest, FullDiskStopsTheRecordingAndKeepsWhatWasWritten) {
  // 200 kB at 96 kB/s: the limit is reached after about two seconds of a ten-second run.
  const long limit = 200000;
  const Child child = Spawn({program_.string(), "--headless", "--settings", Settings(), "--device",
                             "Loopback", "--loopback-tone", "1000", "--record-seconds", "10"},
                            scratch_, limit);
  const int code = Wait(child, 30);
  const std::string err = ReadAll(child.err);
  EXPECT_NE(code, -1) << "the program did not finish";
  // The wave document names the failure (a full disk, or here a file too large for the
  // limit), then the run loop says the recording stopped.
  EXPECT_NE(err.find(kFailureWritingWaveFile, 0, 25), std::string::npos) << err;
  EXPECT_NE(err.find("Recording has stopped because the wave file could not be written"),
            std::string::npos)
      << err;

  // The recording is a valid file holding what fitted.
  std::vector<fs::path> files = WaveFiles();
  ASSERT_EQ(files.size(), 1u) << err;
  const double duration = SoxDuration(files[0].string());
  EXPECT_TRUE(SoxReadsWhole(files[0].string()));
  EXPECT_LE(fs::file_size(files[0]), static_cast<uintmax_t>(limit));
  EXPECT_GT(duration, 1.5);
  EXPECT_LE(duration, limit / 96000.0);
}

TEST_F(HeadlessTest, AnUnreadableWaveFileSaysWhyAndACutOffOneIsAnalysedAsFarAsItGoes) {
  // A data chunk with nothing in it: refused, and the reason printed.
  const std::string empty = scratch_.File("empty.wav");
  ASSERT_TRUE(test::WriteWave16(empty, 44100, 1, 0, [](uint32_t, uint32_t) { return int16_t{0}; }));
  const Child refused = Spawn({program_.string(), "--headless", empty}, scratch_);
  EXPECT_EQ(Wait(refused, 30), 1);
  const std::string why = ReadAll(refused.err);
  EXPECT_NE(why.find(Format(kEmptyDataChunk, empty.c_str())), std::string::npos) << why;

  // One second of 1 kHz cut off after half a second and a byte, its sizes left at the
  // placeholder a streaming writer puts there.
  const std::string cut = scratch_.File("cut.wav");
  ASSERT_TRUE(test::WriteWave16(cut, 44100, 1, 44100, [](uint32_t i, uint32_t) {
    return static_cast<int16_t>(
        std::lround(16383.0 * std::sin(2.0 * std::numbers::pi * 1000.0 * i / 44100.0)));
  }));
  {
    std::string bytes = ReadAll(cut);
    bytes.resize(44 + 2 * 22050 + 1);
    for (size_t at : {size_t{4}, size_t{40}}) bytes.replace(at, 4, "\xFF\xFF\xFF\xFF");
    std::ofstream(cut, std::ios::binary | std::ios::trunc) << bytes;
  }
  const Child analysed = Spawn({program_.string(), "--headless", cut}, scratch_);
  ASSERT_EQ(Wait(analysed, 30), 0) << ReadAll(analysed.err);
  const std::string out = ReadAll(analysed.out);
  const std::string err = ReadAll(analysed.err);
  EXPECT_NE(err.find(Format(kWaveTruncated, cut.c_str(), 22050u, "0.500")), std::string::npos)
      << err;
  EXPECT_NE(out.find("(44100 Hz, 16 bit, mono, 0.500 s)"), std::string::npos) << out;
  EXPECT_NE(out.find("Blocks processed: 5 "), std::string::npos) << out;  // 22050 / 4096
  EXPECT_NE(out.find("Left:  peak 1001.29 Hz (bin 93)"), std::string::npos) << out;
}

TEST_F(HeadlessTest, TimedRunsLastExactlyTheirSampleCount) {
  const std::string output = scratch_.File("timed.wav");
  Child child =
      Spawn({program_.string(), "--headless", "--settings", Settings(), "--device", "Loopback",
             "--loopback-tone", "1000", "--record-seconds", "1.5", "--output", output},
            scratch_);
  ASSERT_EQ(Wait(child, 30), 0) << ReadAll(child.err);
  // 1.5 s at 48 kHz, to the sample, as sox counts them.
  EXPECT_EQ(SoxSamples(output), 72000) << ReadAll(child.out);
  EXPECT_NE(ReadAll(child.out).find("Recorded 1.500 s (72000 frames)"), std::string::npos)
      << ReadAll(child.out);

  child = Spawn({program_.string(), "--headless", "--settings", Settings(), "--device", "Loopback",
                 "--loopback-tone", "1000", "--realtime-seconds", "1"},
                scratch_);
  ASSERT_EQ(Wait(child, 30), 0) << ReadAll(child.err);
  EXPECT_NE(ReadAll(child.out).find("Input analysed: 48000 frames (1.000 s)"), std::string::npos)
      << ReadAll(child.out);
}

TEST_F(HeadlessTest, ARecordingThatReachesItsSizeLimitGoesOnInTheNextFile) {
  // The smallest limit a settings file may give, 1 MB, at 2.3 MB/s (384 kHz, stereo, 24 bit):
  // three files or more in 1.5 s.
  const std::string settings = Settings();
  std::string text = ReadAll(settings);
  text.replace(text.find("MakeBackup=0\n"), 13,
               "MakeBackup=0\nMaxDiskRecordingSizeBytes=1000000\n");
  std::ofstream(settings) << text;
  const std::string output = scratch_.File("last.wav");
  const Child child =
      Spawn({program_.string(), "--headless", "--settings", settings, "--device", "Loopback",
             "--loopback-tone", "1000", "--rate", "384000", "--channels", "2", "--bits", "24",
             "--record-seconds", "1.5", "--output", output},
            scratch_);
  ASSERT_EQ(Wait(child, 60), 0) << ReadAll(child.err);
  const std::string err = ReadAll(child.err);
  long total = SoxSamples(output);
  int saved = 0;
  for (const fs::path& file : WaveFiles()) {
    if (file.filename().string().rfind("recording_", 0) != 0) continue;
    ++saved;
    total += SoxSamples(file.string());
    EXPECT_TRUE(SoxReadsWhole(file.string())) << file;
    // Each is told by name, without stopping the recording.
    EXPECT_NE(err.find("saved as " + file.string()), std::string::npos) << err;
  }
  EXPECT_GE(saved, 3) << err;
  // Every sample of the timed run is in one file or another, none twice.
  EXPECT_EQ(total, 576000) << err;
}

TEST(HeadlessOptionsTest, ACommandLineGoesToTheWindowOnlyWithADisplayAndNothingHeadlessAsked) {
  auto call = [](std::vector<std::string> words, bool display) {
    words.insert(words.begin(), "tessiva");
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    return CallOf(static_cast<int>(argv.size()), argv.data(), display);
  };
  EXPECT_EQ(call({"take.wav"}, true), ProgramCall::kWindow);
  EXPECT_EQ(call({"--demo"}, true), ProgramCall::kWindow);
  EXPECT_EQ(call({"take.wav"}, false), ProgramCall::kHeadless);
  for (const char* headless : {"--headless", "--version"}) {
    EXPECT_EQ(call({headless, "take.wav"}, true), ProgramCall::kHeadless) << headless;
  }
  // Help describes both option sets unless it is the headless program's that is asked for,
  // with or without a display.
  EXPECT_EQ(call({"--help"}, false), ProgramCall::kBothHelps);
  EXPECT_EQ(call({"-h"}, true), ProgramCall::kBothHelps);
  EXPECT_EQ(call({"--headless", "--help"}, true), ProgramCall::kHeadless);
}

TEST(HeadlessOptionsTest, ReadsOptionsAndRefusesWhatWouldMisconfigureTheEngine) {
  THeadlessOptions o = ParseCommandLine({"--headless", "--fft", "8192", "--average", "infinite",
                                         "--amp", "lin", "--blocks", "5", "file.wav"});
  EXPECT_TRUE(o.error.empty()) << o.error;
  EXPECT_TRUE(o.headless);
  EXPECT_EQ(o.fftSize, 8192);
  EXPECT_EQ(o.averageBlocks, kInfiniteAverages);
  EXPECT_EQ(o.ampScale, 0);
  EXPECT_EQ(o.blocks, 5u);
  EXPECT_EQ(o.argument, "file.wav");

  for (const std::vector<std::string>& bad : {std::vector<std::string>{"--fft", "1000"},
                                              {"--fft"},
                                              {"--window", "10"},
                                              {"--overlap", "100"},
                                              {"--channel-mode", "13"},
                                              {"--bits", "12"},
                                              {"--blocks", "0"},
                                              {"--realtime-seconds", "x"},
                                              {"--unknown"},
                                              {"a.wav", "b.wav"}}) {
    EXPECT_FALSE(ParseCommandLine(bad).error.empty()) << bad[0];
  }
}

}  // namespace
}  // namespace orvanix
