// `tessiva --headless` with --measure and --log, run as a child process on wave files made
// here: total power against sox's RMS level, the data log of a run, appending, and a log
// that cannot be written.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/gui/GuiTestHelpers.h"

namespace orvanix {
namespace {

namespace fs = std::filesystem;

struct TRun {
  int status = -1;
  std::string out;
  std::string err;
};

class MeasureHeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvanix-headless-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string File(const std::string& name) const { return dir_ + "/" + name; }

  // The program beside this test's folder in the build tree, with a settings file and home
  // of its own.
  TRun Run(const std::string& args) {
    const fs::path program =
        fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "app" / "tessiva";
    const std::string command = "cd '" + dir_ + "' && HOME='" + dir_ + "' XDG_CONFIG_HOME='" +
                                dir_ + "' LC_ALL=C '" + program.string() +
                                "' --headless --settings '" + File("tessiva.ini") + "' " + args +
                                " >out.txt 2>err.txt";
    TRun run;
    const int status = std::system(command.c_str());
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = Read(File("out.txt"));
    run.err = Read(File("err.txt"));
    return run;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // The number after `label` in `text`, NaN when absent.
  static double After(const std::string& text, const std::string& label) {
    const size_t at = text.find(label);
    if (at == std::string::npos) return std::nan("");
    return std::strtod(text.c_str() + at + label.size(), nullptr);
  }
  // sox's "RMS lev dB" of a mono file.
  double SoxRmsDb(const std::string& path) {
    const std::string command = "sox '" + path + "' -n stats 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return std::nan("");
    std::string text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    ::pclose(pipe);
    return After(text, "RMS lev dB");
  }

  std::string dir_;
};

TEST_F(MeasureHeadlessTest, TotalPowerAgreesWithSoxRmsLevel) {
  // Three tones off the bin centres and a little noise: the power of everything between
  // bin 3 and 0.99 x Nyquist, averaged over the whole file. A full-scale sine reads 0 dB
  // here and -3.01 dB RMS in sox.
  struct TCase {
    std::vector<test::Tone> tones;
    double noise;
    const char* window;
  } cases[] = {
      {{{440.3, 0.3}, {2511.7, 0.1}, {9876.5, 0.05}}, 0.001, "4"},
      {{{1000.0, 0.5}}, 0.02, "2"},
      {{{123.4, 0.7}, {15000.0, 0.2}}, 0.0, "8"},
  };
  for (const TCase& c : cases) {
    const std::string wave = File("tones.wav");
    test::WriteToneWave(wave, 48000, 1, 48000 * 10, c.tones, c.noise);
    const TRun run =
        Run("tones.wav --fft 4096 --overlap 50 --average infinite --average-type "
            "linear --amp log --window " +
            std::string(c.window) + " --measure power");
    ASSERT_EQ(run.status, 0) << run.err;
    const double ours = After(run.out, "Total Pwr: ");
    const double sox = SoxRmsDb(wave);
    ASSERT_FALSE(std::isnan(sox)) << "sox stats failed";
    EXPECT_NEAR(ours, sox + 3.0103, 0.05) << "window " << c.window << "\n" << run.out;
  }
}

TEST_F(MeasureHeadlessTest, MeasureListPrintsEachReadoutAndRefusesUnknownNames) {
  test::WriteToneWave(File("stereo.wav"), 48000, 2, 48000,
                      {{1000.0, 0.5, 0}, {2000.0, 0.005, 0}, {3000.0, 0.25, 1}});
  const TRun run =
      Run("stereo.wav --fft 4096 --window 2 --channel-mode 2 --measure "
          "thd,peakfreq,nf");
  ASSERT_EQ(run.status, 0) << run.err;
  // Two lines per kind in "Both Left and Right", one for the noise figure.
  EXPECT_NEAR(After(run.out, "THD (1): "), 1.0, 0.01) << run.out;
  EXPECT_NE(run.out.find("THD (2): "), std::string::npos);
  EXPECT_NE(run.out.find("Peak Frequency (1): 996.09 Hz\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Peak Frequency (2): 3000.00 Hz\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Noise Figure: "), std::string::npos);
  EXPECT_EQ(run.out.find("Noise Figure (2)"), std::string::npos);

  const TRun wrong = Run("stereo.wav --measure thd,loudness");
  EXPECT_EQ(wrong.status, 2);
  EXPECT_NE(wrong.err.find("unknown measurement \"loudness\""), std::string::npos) << wrong.err;

  // A file that cannot be read, or holds less than one block, measures nothing: no readouts
  // of zero that a script would take for results.
  { std::ofstream(File("text.wav")) << "not a wave file"; }
  test::WriteToneWave(File("short.wav"), 48000, 1, 1000, {{1000.0, 0.5, 0}});
  for (const char* name : {"text.wav", "short.wav", "absent.wav"}) {
    const TRun failed = Run(std::string(name) + " --fft 4096 --measure thd,peakfreq");
    EXPECT_EQ(failed.status, 1) << name;
    EXPECT_EQ(failed.out.find("THD"), std::string::npos) << name << ":\n" << failed.out;
    EXPECT_EQ(failed.out.find("Peak Frequency"), std::string::npos) << name;
    EXPECT_NE(failed.err.find("nothing was measured"), std::string::npos) << failed.err;
  }
}

TEST_F(MeasureHeadlessTest, LogRecordsEveryBlockAndAppendKeepsEarlierRuns) {
  test::WriteToneWave(File("tone.wav"), 48000, 1, 48000, {{1500.0, 0.25}});
  const std::string args =
      "tone.wav --fft 4096 --overlap 0 --log log.txt --log-type 0 --log-interval 0";
  TRun first = Run(args);
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.out.find("Data log: 11 record(s) in " + File("log.txt")), std::string::npos)
      << first.out;
  const std::string once = Read(File("log.txt"));
  TRun second = Run(args + " --log-append --log-interval 0.25");
  ASSERT_EQ(second.status, 0) << second.err;
  const std::string twice = Read(File("log.txt"));
  ASSERT_EQ(twice.rfind(once, 0), 0u) << "the first run's records were lost";
  const std::string added = twice.substr(once.size());
  EXPECT_EQ(added.rfind("\r\nData Logging On: ", 0), 0u);
  // 0.256, 0.512, 0.768: one record per quarter second, none at the start.
  EXPECT_NE(added.find("\r\n0.256\t1500.0000\r\n0.512\t"), std::string::npos) << added;
  // Without --log-append the file starts afresh.
  TRun third = Run(args);
  ASSERT_EQ(third.status, 0);
  const std::string again = Read(File("log.txt"));
  EXPECT_EQ(again.find("Data Logging On"), again.rfind("Data Logging On"));
  EXPECT_EQ(again.size(), once.size());
}

TEST_F(MeasureHeadlessTest, TheTimeDelayLogHoldsTheDelayFindersReadings) {
  // White noise, the right channel 24 samples (0.5 ms at 48 kHz) behind the left, made by
  // sox; the first half second is silence on the right, which the finder must not trust.
  const std::string make = "cd '" + dir_ +
                           "' && sox -n -r 48000 -b 16 -c 1 n.wav synth 3 whitenoise vol 0.3"
                           " && sox n.wav late.wav pad 24s"
                           " && sox -n -r 48000 -b 16 -c 1 quiet.wav trim 0 0.5"
                           " && sox quiet.wav n.wav left.wav"
                           " && sox quiet.wav late.wav right.wav"
                           " && sox -M left.wav right.wav delayed.wav";
  ASSERT_EQ(std::system(make.c_str()), 0) << "sox failed";
  const TRun run =
      Run("delayed.wav --fft 4096 --overlap 0 --delay --log log.txt --log-type 11 "
          "--log-interval 0");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string log = Read(File("log.txt"));
  ASSERT_NE(log.find("Time\tDelay\r\n"), std::string::npos) << log;
  // Every record is the delay in milliseconds (the window's default unit), right late.
  std::istringstream lines(log.substr(log.find("Time\tDelay\r\n") + 12));
  std::string line;
  int records = 0;
  while (std::getline(lines, line)) {
    if (line.empty() || line == "\r" || line[0] == '-') continue;
    const size_t tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos) << line;
    EXPECT_EQ(line.substr(tab + 1), "-0.500000\r") << line;
    ++records;
  }
  // 41 blocks of 85 ms; until the finder's own (longer) block has left the silence it
  // trusts nothing and nothing is written.
  EXPECT_GE(records, 10) << log;
  EXPECT_LT(records, 30) << log;
}

TEST_F(MeasureHeadlessTest, AnUnwritableLogStopsLoggingButTheRunFinishes) {
  test::WriteToneWave(File("tone.wav"), 48000, 1, 48000, {{1500.0, 0.25}});
  const TRun full =
      Run("tone.wav --fft 4096 --overlap 0 --log /dev/full --log-interval 0 "
          "--measure peakfreq");
  EXPECT_EQ(full.status, 1);
  EXPECT_NE(full.err.find("Error writing to data log file."), std::string::npos) << full.err;
  EXPECT_NE(full.out.find("Blocks processed: 11"), std::string::npos) << full.out;
  EXPECT_NE(full.out.find("Peak Frequency: 1500.00 Hz"), std::string::npos) << full.out;
  EXPECT_NE(full.out.find("(stopped by a write error)"), std::string::npos);

  const TRun missing = Run("tone.wav --log no/such/folder/log.txt");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Failure opening log file: " + File("no/such/folder/log.txt")),
            std::string::npos)
      << missing.err;
}

TEST_F(MeasureHeadlessTest, SegmentOptionsPrintWhatThePopupCommandsReport) {
  // Half full scale for the first second, a tenth for the second.
  test::WriteToneWave(File("two.wav"), 48000, 1, 96000, {{1000.0, 0.5}});
  const TRun run =
      Run("two.wav --fft 1024 --segment 0.25 0.75 --rms --crest --leq --leq-time 1 "
          "--leq-weighting flat --average-spectrum --measure peakamp");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Segment: 0.2500 ... 0.7500 s\n"), std::string::npos) << run.out;
  EXPECT_NEAR(After(run.out, "RMS Level\n\t"), 0.3536, 0.0002) << run.out;
  EXPECT_NEAR(After(run.out, "Percent Full Scale\n\t"), -9.03, 0.01) << run.out;
  EXPECT_NEAR(After(run.out, "Crest Factor = "), 1.41, 0.01);
  EXPECT_NEAR(After(run.out, "Leq = "), -9.03, 0.05) << run.out;
  // --measure reads the segment's average, printed after it.
  EXPECT_GT(run.out.find("Peak Amplitude: "), run.out.find("Leq = "));

  const TRun alone = Run("two.wav --rms");
  EXPECT_EQ(alone.status, 1);
  EXPECT_NE(alone.err.find("need --segment START END"), std::string::npos) << alone.err;
  const TRun backwards = Run("two.wav --segment 2 1 --rms");
  EXPECT_EQ(backwards.status, 2);
}

TEST_F(MeasureHeadlessTest, RebuiltSlicesOfASegmentFollowItsTones) {
  // A second of 500 Hz; half a second of it rebuilt into ten slices.
  test::WriteToneWave(File("low.wav"), 48000, 1, 48000, {{500.0, 0.5}});
  const TRun run = Run("low.wav --fft 1024 --segment 0.25 0.75 --rebuild-slices 10");
  ASSERT_EQ(run.status, 0) << run.err;
  // Ten slices, the earliest at the segment's start, 0.05 s apart, each on the tone.
  std::istringstream lines(run.out);
  std::string line;
  int slices = 0;
  while (std::getline(lines, line)) {
    int index = -1;
    double secs = 0, hz = 0, level = 0;
    if (std::sscanf(line.c_str(), "Slice %d\t%lf s\t%lf Hz\t%lf", &index, &secs, &hz, &level) !=
        4) {
      continue;
    }
    EXPECT_EQ(index, slices);
    EXPECT_NEAR(secs, 0.25 + 0.05 * index, 1e-4) << line;
    EXPECT_NEAR(hz, 500.0, 47.0) << line;
    ++slices;
  }
  EXPECT_EQ(slices, 10) << run.out;
  const TRun refused = Run("low.wav --segment 0.25 0.75 --rebuild-slices 0");
  EXPECT_NE(refused.status, 0);
  EXPECT_NE(refused.err.find("--rebuild-slices needs"), std::string::npos) << refused.err;
}

}  // namespace
}  // namespace orvanix
