// `tessiva --headless` with the edit options, as a batch user runs it: import, cut, gain,
// filter, merge, decimate and export into files that sox and numpy then read; the user's
// own file is never written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "EditTestHelpers.h"

namespace orvanix {
namespace {

namespace fs = std::filesystem;

class EditHeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The build tree holds this test in tests/ and the program in app/.
    std::error_code error;
    program_ =
        (fs::read_symlink("/proc/self/exe", error).parent_path().parent_path() / "app" / "tessiva")
            .string();
    ASSERT_TRUE(fs::exists(program_)) << "tessiva is not built at " << program_;
    // Disk mode editing files in place, the riskiest setting for a batch edit.
    settings_ = scratch_.File("tessiva.ini");
    std::ofstream ini(settings_);
    ini << "[Paths]\nWav=" << scratch_.Path() << "\nTmp=" << scratch_.Path()
        << "\n[FileIO]\nWaveFileMode=1\nMakeBackup=0\n";
  }

  // Runs tessiva with `args`; the exit status, with stdout and stderr kept.
  int Run(const std::string& args) {
    const std::string command = "cd '" + scratch_.Path() + "' && XDG_CONFIG_HOME='" +
                                scratch_.File("config") + "' LC_ALL=C '" + program_ +
                                "' --headless --settings '" + settings_ + "' " + args + " >'" +
                                scratch_.File("out.txt") + "' 2>'" + scratch_.File("err.txt") + "'";
    const int status = std::system(command.c_str());
    out_ = Text(scratch_.File("out.txt"));
    err_ = Text(scratch_.File("err.txt"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  static std::string Text(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string Noise(const std::string& name, uint32_t rate, uint32_t channels, uint32_t frames,
                    uint32_t seed) {
    const std::string path = scratch_.File(name);
    uint32_t state = seed;
    test::WriteWave16(path, rate, channels, frames, [&state](uint32_t, uint32_t) {
      state = state * 1664525u + 1013904223u;
      return static_cast<int16_t>(static_cast<int32_t>(state >> 16) - 32768);
    });
    return path;
  }

  test::TScratchFolder scratch_;
  std::string program_, settings_, out_, err_;
};

TEST_F(EditHeadlessTest, CutGainAndFilterWriteTheOutputAndLeaveTheSource) {
  const std::string in = Noise("five.wav", 8000, 2, 40000, 3);
  const std::vector<uint8_t> original = test::FileFrames(in);
  ASSERT_EQ(Run("'" + in + "' --select 1 2 --cut --output cut.wav"), 0) << err_;
  EXPECT_NE(out_.find("Cut 1.000 ... 2.000 s"), std::string::npos) << out_;
  const std::vector<uint8_t> cut = test::FileFrames(scratch_.File("cut.wav"));
  ASSERT_EQ(cut.size(), 32000u * 4);
  EXPECT_TRUE(std::equal(cut.begin(), cut.begin() + 8000 * 4, original.begin()));
  EXPECT_TRUE(std::equal(cut.begin() + 8000 * 4, cut.end(), original.begin() + 16000 * 4));
  EXPECT_TRUE(test::FileFrames(in) == original);

  ASSERT_EQ(Run("'" + in +
                "' --select 0.5 1 --gain -60 --filter lowpass:1000 --taps 39 "
                "--mute --output g.wav"),
            0)
      << err_;
  const std::vector<uint8_t> edited = test::FileFrames(scratch_.File("g.wav"));
  ASSERT_EQ(edited.size(), original.size());
  EXPECT_TRUE(std::equal(edited.begin(), edited.begin() + 4000 * 4, original.begin()));
  for (size_t i = 4000 * 4; i < 8000 * 4; ++i) ASSERT_EQ(edited[i], 0) << i;
  EXPECT_TRUE(std::equal(edited.begin() + 8000 * 4, edited.end(), original.begin() + 8000 * 4));
  EXPECT_TRUE(test::FileFrames(in) == original);
  // sox reads what we wrote.
  EXPECT_EQ(test::Capture("soxi -s '" + scratch_.File("g.wav") + "'"), "40000");
}

TEST_F(EditHeadlessTest, ImportMergeDecimateAndExport) {
  {
    std::ofstream text(scratch_.File("in.txt"));
    text << "sample\n";
    for (int i = 0; i < 1000; ++i) text << (i * 37 % 2001) - 1000 << "\n";
  }
  ASSERT_EQ(Run("--import ascii-int in.txt --import-header 1 --import-scaling truncate "
                "--rate 8000 --output imported.wav"),
            0)
      << err_;
  EXPECT_EQ(test::Capture("soxi -r '" + scratch_.File("imported.wav") + "'"), "8000");
  const std::vector<uint8_t> imported = test::FileFrames(scratch_.File("imported.wav"));
  ASSERT_EQ(imported.size(), 2000u);
  EXPECT_EQ(static_cast<int16_t>(imported[2] | imported[3] << 8), 37 - 1000);

  const std::string left = Noise("l.wav", 44100, 1, 441000, 1);
  const std::string right = Noise("r.wav", 44100, 1, 308700, 2);
  ASSERT_EQ(Run("--merge l.wav r.wav --output m.wav"), 0) << err_;
  EXPECT_EQ(test::Capture("soxi -c '" + scratch_.File("m.wav") + "'"), "2");
  EXPECT_EQ(test::Capture("soxi -D '" + scratch_.File("m.wav") + "'"), "7.000000");

  ASSERT_EQ(Run("m.wav --decimate 3 --output d.wav"), 0) << err_;
  EXPECT_EQ(test::Capture("soxi -r '" + scratch_.File("d.wav") + "'"), "14700");
  EXPECT_EQ(test::Capture("soxi -s '" + scratch_.File("d.wav") + "'"), "102900");

  ASSERT_EQ(Run("m.wav --export bin16 m.16 --export-channels right"), 0) << err_;
  ASSERT_FALSE(test::Python().empty());
  const std::vector<uint8_t> merged = test::FileFrames(scratch_.File("m.wav"));
  const std::string script = scratch_.File("check.py");
  std::ofstream(script) << "import numpy, sys\n"
                           "a = numpy.fromfile(sys.argv[1], dtype='<i2')\n"
                           "w = numpy.fromfile(sys.argv[2], dtype='<i2')[22:].reshape(-1, 2)\n"
                           "print('same' if (a == w[:, 1]).all() else 'differ')\n";
  EXPECT_EQ(test::Capture(test::Python() + " " + script + " '" + scratch_.File("m.16") + "' '" +
                          scratch_.File("m.wav") + "'"),
            "same");
}

TEST_F(EditHeadlessTest, AudioFilesImportAndFlacExportThroughLibsndfile) {
  const std::string wav = Noise("n.wav", 44100, 2, 20000, 3);
  ASSERT_EQ(Run("n.wav --export flac n.flac"), 0) << err_;
  EXPECT_EQ(test::Capture("soxi -t '" + scratch_.File("n.flac") + "'"), "flac");
  // sox decodes our FLAC to the same samples ...
  ASSERT_EQ(
      std::system(
          ("sox '" + scratch_.File("n.flac") + "' '" + scratch_.File("sox.wav") + "'").c_str()),
      0);
  EXPECT_TRUE(test::FileFrames(scratch_.File("sox.wav")) == test::FileFrames(wav));
  // ... and importing it gives them back as a wave file.
  ASSERT_EQ(Run("--import audio n.flac --output back.wav"), 0) << err_;
  EXPECT_TRUE(test::FileFrames(scratch_.File("back.wav")) == test::FileFrames(wav));
}

TEST_F(EditHeadlessTest, MistakesAreToldAndWriteNothing) {
  const std::string in = Noise("a.wav", 8000, 1, 8000, 5);
  EXPECT_EQ(Run("'" + in + "' --cut --output x.wav"), 1);
  EXPECT_NE(err_.find("need --select"), std::string::npos) << err_;
  EXPECT_EQ(Run("'" + in + "' --select 0 1 --mute"), 1);
  EXPECT_NE(err_.find("the edits would be lost"), std::string::npos) << err_;
  EXPECT_EQ(Run("--import nope x.txt"), 2);
  EXPECT_NE(err_.find("--import: unknown format nope"), std::string::npos) << err_;
  EXPECT_EQ(Run("--import ascii-int missing.txt --output x.wav"), 1);
  EXPECT_NE(err_.find("Failure Opening file: missing.txt"), std::string::npos) << err_;
  EXPECT_EQ(Run("'" + in + "' --select 0 1 --filter bandpass:1000 --output x.wav"), 2);
  EXPECT_FALSE(fs::exists(scratch_.File("x.wav")));
}

}  // namespace
}  // namespace orvanix
