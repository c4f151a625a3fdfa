// Every signal type saved as a wave file by the program (`tessiva --headless --generate ...
// --output`), then measured without our code: numpy and scipy (tests/tools/signal_check.py,
// reading the file with Python's own `wave` module), and for the tones also our own analyzer
// run on the file. Frequencies to 0.01 Hz, levels to 0.05 dB; sweeps at their start, middle
// and end; bursts, pulses and DTMF to the sample; the noises in 1/3-octave bands.
//
// Levels: the common sample rule plays a level L at L + 20 log10(0.99) = L - 0.087 dB.
#include <gtest/gtest.h>
#include <stdio.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/acquisition/RunLoopTestSupport.h"

namespace orvanix {
namespace {

namespace fs = std::filesystem;

const double kRule = 20.0 * std::log10(0.99);

fs::path BuildDir() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : self.parent_path().parent_path();
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string Capture(const std::string& command, int* status = nullptr) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int code = ::pclose(pipe);
    if (status) *status = WIFEXITED(code) ? WEXITSTATUS(code) : -1;
  }
  return out;
}

const std::string& Python() {
  static const std::string found = [] {
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
      const std::string probe =
          std::string(candidate) + " -c 'import numpy, scipy.signal' >/dev/null 2>&1";
      if (std::system(probe.c_str()) == 0) return std::string(candidate);
    }
    return std::string();
  }();
  return found;
}

// Lines "tag a b ..." of the script's output, as numbers, by tag.
std::multimap<std::string, std::vector<double>> Parse(const std::string& text) {
  std::multimap<std::string, std::vector<double>> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string tag;
    fields >> tag;
    std::vector<double> values;
    for (double v; fields >> v;) values.push_back(v);
    lines.emplace(tag, values);
  }
  return lines;
}

class GeneratorCrossCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = BuildDir() / "app" / "tessiva";
    if (!fs::exists(program_)) GTEST_SKIP() << "tessiva is not built at " << program_;
    ASSERT_FALSE(Python().empty()) << "python3 with numpy and scipy is needed (install-deps.sh)";
  }

  // Runs the program headless with its own settings folders; returns stdout, status in `code`.
  std::string Tessiva(const std::vector<std::string>& args, int* code) {
    std::string command = "env XDG_CONFIG_HOME=" + Quote(scratch_.File("config")) +
                          " XDG_DATA_HOME=" + Quote(scratch_.File("data")) + " LC_ALL=C " +
                          Quote(program_.string()) + " --headless";
    for (const std::string& a : args) command += " " + Quote(a);
    return Capture(command + " 2>" + Quote(scratch_.File("stderr.txt")), code);
  }

  // Generates into NAME.wav: `args` after --generate; the analyzer format by --rate etc.
  std::string Generate(const std::string& name, std::vector<std::string> args) {
    const std::string path = scratch_.File(name + ".wav");
    args.insert(args.begin(), "--generate");
    args.push_back("--output");
    args.push_back(path);
    int code = -1;
    const std::string out = Tessiva(args, &code);
    EXPECT_EQ(code, 0) << out << Capture("cat " + Quote(scratch_.File("stderr.txt")));
    EXPECT_NE(out.find("Generated: "), std::string::npos) << out;
    return path;
  }

  std::multimap<std::string, std::vector<double>> Check(const std::string& arguments) {
    const std::string text = Capture(Python() + " " + std::string(ORVANIX_SOURCE_DIR) +
                                     "/tests/tools/signal_check.py " + arguments + " 2>&1");
    auto lines = Parse(text);
    EXPECT_FALSE(lines.empty()) << text;
    return lines;
  }

  // Our analyzer over the whole file: the "Left: peak ..." line.
  std::string Analyse(const std::string& path, const std::vector<std::string>& settings) {
    std::vector<std::string> args = settings;
    args.push_back(path);
    int code = -1;
    const std::string out = Tessiva(args, &code);
    EXPECT_EQ(code, 0) << out;
    const size_t at = out.find("Left:");
    return at == std::string::npos ? out : out.substr(at, out.find('\n', at) - at);
  }

  void ExpectTone(const std::string& path, double hz, double db, int channel = 0,
                  const std::string& range = "0 0") {
    const auto lines = Check("tone " + path + " " + std::to_string(channel) + " " + range + " " +
                             std::to_string(hz));
    ASSERT_EQ(lines.count("tone"), 1u);
    const std::vector<double>& t = lines.find("tone")->second;
    EXPECT_NEAR(t[0], hz, 0.01) << path;
    EXPECT_NEAR(t[1], db, 0.05) << path;
  }

  fs::path program_;
  test::TScratchFolder scratch_;
};

TEST_F(GeneratorCrossCheckTest, OneKilohertzToneWithNumpyAndOurAnalyzer) {
  // 32 kHz and FFT 32768 put 1000 Hz on bin 1024, where our analyzer reads it exactly.
  const std::string path =
      Generate("tone", {"1 kHz Tone", "--level", "-6", "--rate", "32000", "--bits", "24"});
  ExpectTone(path, 1000.0, -6.0 + kRule);
  const std::string ours =
      Analyse(path, {"--fft", "32768", "--window", "2", "--average", "infinite"});
  EXPECT_NE(ours.find("peak 1000.00 Hz (bin 1024): -6.09 dB"), std::string::npos) << ours;
}

TEST_F(GeneratorCrossCheckTest, MultipleTonesWithNumpyAndOurAnalyzer) {
  const std::string path =
      Generate("tones", {"Multiple Tones", "--param", "ToneEnable1=1", "--param", "FreqHz0=1500",
                         "--param", "FreqHz1=3000", "--param", "PwrDB1=-20", "--rate", "48000"});
  const double half = 20.0 * std::log10(0.5) + kRule;
  ExpectTone(path, 1500.0, half);
  ExpectTone(path, 3000.0, half - 20.0);
  // FFT 16384 at 48 kHz: 1500 Hz is bin 512.
  const std::string ours =
      Analyse(path, {"--fft", "16384", "--window", "2", "--average", "infinite"});
  EXPECT_NE(ours.find("peak 1500.00 Hz (bin 512): -6.11 dB"), std::string::npos) << ours;
}

TEST_F(GeneratorCrossCheckTest, ImdStandardSetOne) {
  const std::string path = Generate("imd", {"IMD Test Tones", "--rate", "48000"});
  const double low = 20.0 * std::log10(0.5) + kRule;
  ExpectTone(path, 250.0, low);
  ExpectTone(path, 8020.0, low + 20.0 * std::log10(0.25));
}

TEST_F(GeneratorCrossCheckTest, SweepsAtTheirStartMiddleAndEnd) {
  const std::string path = Generate("sweep", {"Freq Sweep", "--rate", "48000"});  // 1 -> 2 kHz, 1 s
  const auto lines = Check("inst " + path + " 0 240 480 24000 47520");
  std::vector<double> measured;
  for (auto [it, end] = lines.equal_range("inst"); it != end; ++it)
    measured.push_back(it->second[1]);
  ASSERT_EQ(measured.size(), 3u);
  auto law = [](double g) { return 1000.0 + (2.0 * g + 1.0) * 1000.0 / 96000.0; };
  EXPECT_NEAR(measured[0], law(480), 0.5);
  EXPECT_NEAR(measured[1], law(24000), 0.5);
  EXPECT_NEAR(measured[2], law(47520), 0.5);

  // Logarithmic 100 Hz -> 10 kHz over 2 s: start, geometric middle, end.
  const std::string log = Generate(
      "logsweep", {"Freq Sweep", "--param", "FStartHz=100", "--param", "FStopHz=10000", "--param",
                   "SweepType=2", "--param", "TimeMSec=2000", "--rate", "48000"});
  const auto at = Check("inst " + log + " 0 200 200 95600");
  std::vector<double> f;
  for (auto [it, end] = at.equal_range("inst"); it != end; ++it) f.push_back(it->second[1]);
  ASSERT_EQ(f.size(), 2u);
  EXPECT_NEAR(f[0] / 100.0, 1.0, 0.03);
  EXPECT_NEAR(f[1] / 10000.0, 1.0, 0.02);

  // Level sweep -20 -> 0 dB over 500 ms at 44100: three ramps per buffer.
  const std::string level =
      Generate("levelsweep", {"Level Sweep", "--param", "TimeMSec=500", "--rate", "44100"});
  const auto env = Check("envelope " + level + " 0 441 1000 11025 21000 23050 33075");
  std::vector<double> e;
  for (auto [it, end] = env.equal_range("envelope"); it != end; ++it) e.push_back(it->second[1]);
  ASSERT_EQ(e.size(), 5u);
  auto ramp = [](double g) { return -20.0 + g * 20.0 / 22050.0 + 20.0 * std::log10(0.99); };
  EXPECT_NEAR(e[0], ramp(1000), 0.05);
  EXPECT_NEAR(e[1], ramp(11025), 0.05);
  EXPECT_NEAR(e[2], ramp(21000), 0.05);
  EXPECT_NEAR(e[3], ramp(1000), 0.05);  // the second ramp
  EXPECT_NEAR(e[4], ramp(11025), 0.05);
}

TEST_F(GeneratorCrossCheckTest, BurstsAndPulsesToTheSample) {
  // Noise Burst 1000 / 2000 ms at 44100: 44100 silent samples then 44100 of noise.
  const std::string noise =
      Generate("noiseburst", {"Noise Burst", "--param", "Type=0", "--rate", "44100"});
  auto runs = Check("runs " + noise + " 0 0");
  ASSERT_GE(runs.count("run"), 1u);
  EXPECT_EQ(runs.find("run")->second[0], 44100.0);  // the first nonzero sample
  // (A noise sample may be 0 by itself, so the end is the last nonzero sample's.)
  EXPECT_LE(std::prev(runs.upper_bound("run"))->second[1], 88200.0);
  EXPECT_GT(std::prev(runs.upper_bound("run"))->second[1], 88190.0);

  // Tone Burst 250 / 1000 ms at 8000: silence to 6000, tone to 8000, the tone's phase
  // counted from the buffer's start.
  const std::string tone =
      Generate("toneburst", {"Tone Burst", "--param", "BurstTimeMsec=250", "--param",
                             "CycleTimeMsec=1000", "--rate", "8000"});
  runs = Check("runs " + tone + " 0 0");
  ASSERT_EQ(runs.count("run"), 1u);
  EXPECT_EQ(runs.find("run")->second[0], 6000.0);
  EXPECT_EQ(runs.find("run")->second[1], 8000.0);
  ExpectTone(tone, 1000.0, kRule, 0, "6000 2000");

  // Pulse 200 us every 10 ms at 48 kHz: 9 samples of full scale every 480.
  const std::string pulse = Generate("pulse", {"Pulse", "--rate", "48000"});
  runs = Check("runs " + pulse + " 0 0");
  ASSERT_EQ(runs.count("run"), 101u);
  int k = 0;
  for (auto [it, end] = runs.equal_range("run"); it != end; ++it, ++k) {
    ASSERT_EQ(it->second[0], 480.0 * k);
    ASSERT_EQ(it->second[1], 480.0 * k + 9);
  }
}

TEST_F(GeneratorCrossCheckTest, ClassicWavesPlayTheirWholeSamplePeriods) {
  // 1000 Hz at 44100: 44 samples, 1002.27 Hz.
  const std::string saw = Generate("saw", {"Sawtooth", "--rate", "44100"});
  auto t = Check("tone " + saw + " 0 0 44100 1002.27");
  ASSERT_EQ(t.count("tone"), 1u);
  EXPECT_NEAR(t.find("tone")->second[0], 44100.0 / 44.0, 0.01);
  // A sawtooth from -FS to FS: fundamental 2/pi of full scale.
  EXPECT_NEAR(t.find("tone")->second[1], 20.0 * std::log10(2.0 / M_PI), 0.1);

  const std::string tri =
      Generate("tri", {"Triangular", "--param", "FreqHz=480", "--rate", "48000"});
  t = Check("tone " + tri + " 0 0 48000 480");
  EXPECT_NEAR(t.find("tone")->second[0], 480.0, 0.01);
  EXPECT_NEAR(t.find("tone")->second[1], 20.0 * std::log10(8.0 / (M_PI * M_PI)), 0.05);

  // Square 2000 Hz, 25 %, 44100: 5 high of 22, high 0.99 of full scale.
  const std::string square =
      Generate("square", {"Square", "--param", "DutyCyclePct=25", "--rate", "44100"});
  auto runs = Check("high " + square + " 0 32438");
  ASSERT_GT(runs.count("run"), 2000u);
  int k = 0;
  for (auto [it, end] = runs.equal_range("run"); it != end && k < 100; ++it, ++k) {
    ASSERT_EQ(it->second[0], 22.0 * k);
    ASSERT_EQ(it->second[1], 22.0 * k + 5);
  }
}

TEST_F(GeneratorCrossCheckTest, DtmfKeysAndTiming) {
  const std::string path = Generate(
      "dtmf", {"DTMF", "--param", "KeyString=12", "--param", "TwistDB=0", "--rate", "8000"});
  const auto runs = Check("runs " + path + " 0 1.5");
  std::vector<std::vector<double>> r;
  for (auto [it, end] = runs.equal_range("run"); it != end; ++it) r.push_back(it->second);
  ASSERT_EQ(r.size(), 6u);  // three strings of two keys in 9600 samples
  // Tone edges to the sample (a tone crossing zero between samples may start a sample late).
  for (int key = 0; key < 6; ++key) {
    EXPECT_NEAR(r[key][0], 1600.0 * key, 1.0);
    EXPECT_NEAR(r[key][1], 1600.0 * key + 800.0, 1.0);
  }
  const auto first = Check("pair " + path + " 0 0 800");
  const auto second = Check("pair " + path + " 0 1600 800");
  EXPECT_EQ(first.find("pair")->second, (std::vector<double>{697, 1209}));
  EXPECT_EQ(second.find("pair")->second, (std::vector<double>{697, 1336}));
}

TEST_F(GeneratorCrossCheckTest, NoisesInThirdOctaveBands) {
  // White: one loop (44402 samples at its own 44100 Hz) is the whole buffer.
  const std::string white = Generate("white", {"White Noise", "--rate", "44100"});
  auto bands = Check("bands " + white + " 0 44402 100 16000");
  double lowest = 1e9, highest = -1e9;
  std::vector<double> levels;
  for (auto [it, end] = bands.equal_range("band"); it != end; ++it) levels.push_back(it->second[1]);
  ASSERT_GE(levels.size(), 22u);
  // Constant power per Hz: a 1/3-octave band holds 1 dB (10 log10 2^(1/3)) more than the one
  // below it; with that taken out, the bands agree within 1 dB.
  for (size_t i = 0; i < levels.size(); ++i) {
    const double flat = levels[i] - 10.0 * std::log10(std::pow(2.0, i / 3.0));
    lowest = std::min(lowest, flat);
    highest = std::max(highest, flat);
  }
  EXPECT_LT(highest - lowest, 1.0);
  EXPECT_NEAR(bands.find("slope")->second[0], 0.0, 0.3);

  // Pink: -3.01 dB per octave over 50 Hz - 16 kHz (one loop of 181224 samples).
  const std::string pink = Generate("pink", {"Pink Noise", "--rate", "44100"});
  bands = Check("bands " + pink + " 0 181224 50 16000");
  EXPECT_NEAR(bands.find("slope")->second[0], -3.01, 0.3);
}

TEST_F(GeneratorCrossCheckTest, UserDefinedFileAndDigitalZero) {
  // A file sox made: 440 Hz at half scale, 22050 Hz, 1.5 s.
  const std::string source = scratch_.File("sox.wav");
  ASSERT_EQ(std::system(("sox -n -r 22050 -b 16 -c 1 " + Quote(source) +
                         " synth 1.5 sine 440 vol 0.5 2>/dev/null")
                            .c_str()),
            0)
      << "sox is needed (install-deps.sh)";
  const std::string path = Generate("user", {"User Defined", "--param", "WaveFileName=" + source,
                                             "--level", "-6", "--rate", "48000"});
  int code = -1;
  const std::string info = Capture("soxi -r " + Quote(path), &code);
  EXPECT_EQ(std::atoi(info.c_str()), 22050);  // the file's rate takes over
  ExpectTone(path, 440.0, 20.0 * std::log10(0.5 * std::pow(10.0, -6.0 / 20.0)), 0, "0 22050");

  const std::string zero =
      Generate("zero", {"Digital Zero", "--rate", "48000", "--seconds", "2.5"});
  const auto runs = Check("runs " + zero + " 0 0");
  EXPECT_EQ(runs.find("count")->second[0], 0.0);
  EXPECT_EQ(Capture("soxi -s " + Quote(zero)), "120000\n");  // exactly 2.5 s x 48000
}

// The headless interface itself: refusals, a configuration as the source, timed files of
// signals that play once, and playing while analysing on the Loopback device.
TEST_F(GeneratorCrossCheckTest, HeadlessRefusalsSayWhy) {
  int code = -1;
  Tessiva({"--generate", "1 kHz Tone"}, &code);
  EXPECT_EQ(code, 2);
  EXPECT_NE(Capture("cat " + Quote(scratch_.File("stderr.txt"))).find("--generate needs --output"),
            std::string::npos);
  Tessiva({"--generate", "Chirp", "--output", scratch_.File("x.wav")}, &code);
  EXPECT_EQ(code, 1);
  EXPECT_NE(Capture("cat " + Quote(scratch_.File("stderr.txt"))).find("\"Freq Sweep\""),
            std::string::npos);
  // Out of the dialog's range: the dialog's message.
  Tessiva(
      {"--generate", "Square", "--param", "DutyCyclePct=100", "--output", scratch_.File("x.wav")},
      &code);
  EXPECT_EQ(code, 1);
  EXPECT_NE(Capture("cat " + Quote(scratch_.File("stderr.txt")))
                .find("Duty cycle must be between 1 and 99 Percent."),
            std::string::npos);
  EXPECT_FALSE(fs::exists(scratch_.File("x.wav")));
}

TEST_F(GeneratorCrossCheckTest, ConfigurationAsTheSourceAndSignalsThatPlayOnce) {
  const std::string cfg = scratch_.File("dtmf.cfg");
  {
    std::ofstream out(cfg);
    out << "[Main]\nSigType=14\n[DTMF]\nKeyString=5\nPulseWidthMsec=100\nPulseSpacingMsec=100\n"
           "RepeatFlag=0\n[Settings]\nGeneratorSamplingRate=8000\n";
  }
  // One key: 1600 samples, made 9600 by the one-second rule; played once, then silence.
  const std::string path = Generate("once", {cfg, "--seconds", "2"});
  EXPECT_EQ(Capture("soxi -s " + Quote(path)), "16000\n");
  const auto runs = Check("runs " + path + " 0 1.5");
  EXPECT_EQ(runs.find("count")->second[0], 6.0);  // six keys in the buffer, none after it
  EXPECT_LE(std::prev(runs.upper_bound("run"))->second[1], 9600.0);
}

TEST_F(GeneratorCrossCheckTest, PlaysWhileAnalysingOnLoopback) {
  int code = -1;
  const std::string out =
      Tessiva({"--generate", "1 kHz Tone", "--level", "-6", "--device", "Loopback", "--rate",
               "48000", "--fft", "16384", "--window", "2", "--realtime-seconds", "2"},
              &code);
  EXPECT_EQ(code, 0) << out;
  EXPECT_NE(out.find("Generator: 1 kHz Tone on Loopback"), std::string::npos) << out;
  // The flat-top window reads the tone between bins at its level, -6 dB less the 0.99.
  EXPECT_NE(out.find(": -6.0"), std::string::npos) << out;
}

}  // namespace
}  // namespace orvanix
