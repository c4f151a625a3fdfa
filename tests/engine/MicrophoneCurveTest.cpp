// Reading microphone compensation files: format, limits, refusals and their messages.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/Messages.h"
#include "engine/MicrophoneCurve.h"

namespace orvanix {
namespace {

class MicrophoneFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(::testing::TempDir()) /
           ("mic-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Write(const std::string& content) {
    const std::string path = (dir_ / "curve.mic").string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  std::filesystem::path dir_;
  TRecordingSink sink_;
  TScopedMessageSink scope_{&sink_};
};

TEST_F(MicrophoneFile, CommentsCrLfAndByteOrderMark) {
  const std::string path = Write(
      "\xEF\xBB\xBF; microphone 1234\r\n;freq\tdB\r\n20\t-1.5\r\n1000\t0\r\n; middle\r\n"
      "20000.5\t+2.25e0\r\n");
  std::vector<CurvePoint> points;
  ASSERT_TRUE(LoadMicrophoneFile(path, points));
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0].frequency, 20.f);
  EXPECT_EQ(points[0].value, -1.5f);
  EXPECT_EQ(points[2].frequency, 20000.5f);
  EXPECT_EQ(points[2].value, 2.25f);
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_F(MicrophoneFile, ClampsLevelsAndStopsAtTheFirstLineWithoutTwoNumbers) {
  std::vector<CurvePoint> points;
  ASSERT_TRUE(
      LoadMicrophoneFile(Write("10\t500\n100 -500\n1000\t3\tnote\n2000\n5000\t4\n"), points));
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0].value, 120.f);
  EXPECT_EQ(points[1].value, -120.f);
  EXPECT_EQ(points[2].value, 3.f);

  // NaN and infinity are not numbers: reading ends there.
  ASSERT_TRUE(LoadMicrophoneFile(Write("10\t1\n100\t2\n1000\t3\n2000\tnan\n3000\t4\n"), points));
  EXPECT_EQ(points.size(), 3u);
  ASSERT_TRUE(LoadMicrophoneFile(Write("10\t1\n100\t2\n1000\t3\ninf\t4\n3000\t4\n"), points));
  EXPECT_EQ(points.size(), 3u);
  // An empty line also ends the data.
  ASSERT_TRUE(LoadMicrophoneFile(Write("10\t1\n100\t2\n1000\t3\n\n3000\t4\n"), points));
  EXPECT_EQ(points.size(), 3u);
}

TEST_F(MicrophoneFile, TooFewEntriesAreRefused) {
  const std::string path = Write("20\t1\n1000\t0\n");
  std::vector<CurvePoint> points = {{1.f, 1.f}};
  EXPECT_FALSE(LoadMicrophoneFile(path, points));
  EXPECT_TRUE(points.empty());
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text,
            "file: " + path + " must contain at least 3 entries.  File will not be used.");
  EXPECT_EQ(sink_.Entries()[0].caption, "");
  EXPECT_EQ(sink_.Entries()[0].icon, MessageIcon::Error);

  sink_.Clear();
  EXPECT_FALSE(LoadMicrophoneFile(Write("20\tnan\n1000\t0\n2000\t0\n"), points));
  EXPECT_TRUE(sink_.Contains(Format(kMicTooFewEntries, (dir_ / "curve.mic").c_str())));
}

TEST_F(MicrophoneFile, DecreasingOrNegativeFrequenciesAreRefused) {
  const std::string message = "Frequency terms in file: " + (dir_ / "curve.mic").string() +
                              " are not in ascending order.  File will not be used.";
  std::vector<CurvePoint> points;
  EXPECT_FALSE(LoadMicrophoneFile(Write("20\t1\n1000\t0\n500\t0\n"), points));
  EXPECT_TRUE(points.empty());
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text, message);
  EXPECT_EQ(sink_.Entries()[0].caption, "");
  EXPECT_EQ(sink_.Entries()[0].icon, MessageIcon::Error);

  sink_.Clear();
  EXPECT_FALSE(LoadMicrophoneFile(Write("-20\t1\n1000\t0\n5000\t0\n"), points));
  EXPECT_TRUE(sink_.Contains(message));
  // Equal neighbours are allowed.
  EXPECT_TRUE(LoadMicrophoneFile(Write("0\t1\n1000\t0\n1000\t2\n"), points));
}

TEST_F(MicrophoneFile, MissingFileReportsTheOpenFailure) {
  const std::string path = (dir_ / "absent.mic").string();
  std::vector<CurvePoint> points;
  EXPECT_FALSE(LoadMicrophoneFile(path, points));
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text, "Failure opening Microphone Compensation file: " + path);
  EXPECT_EQ(sink_.Entries()[0].caption, kProgramTitle);
  EXPECT_EQ(sink_.Entries()[0].icon, MessageIcon::Error);
}

TEST_F(MicrophoneFile, MegabyteLines) {
  const std::string huge(1 << 20, '7');
  std::vector<CurvePoint> points;
  // A long comment is skipped like any other.
  ASSERT_TRUE(LoadMicrophoneFile(Write("20\t1\n;" + huge + "\n100\t2\n1000\t3\n"), points));
  EXPECT_EQ(points.size(), 3u);
  // A data line of a megabyte is not a pair of numbers: the data end before it.
  ASSERT_TRUE(
      LoadMicrophoneFile(Write("20\t1\n100\t2\n1000\t3\n5000\t" + huge + "\n6000\t1\n"), points));
  EXPECT_EQ(points.size(), 3u);
  // The same without a final line end.
  ASSERT_TRUE(LoadMicrophoneFile(Write("20\t1\n100\t2\n1000\t3\n" + huge), points));
  EXPECT_EQ(points.size(), 3u);
}

TEST_F(MicrophoneFile, AtMostTheEntryLimitIsRead) {
  std::string content;
  content.reserve((kMaxMicrophoneEntries + 10) * 10);
  for (uint32_t i = 0; i < kMaxMicrophoneEntries + 10; ++i) {
    content += std::to_string(i) + "\t0.5\n";
  }
  std::vector<CurvePoint> points;
  ASSERT_TRUE(LoadMicrophoneFile(Write(content), points));
  ASSERT_EQ(points.size(), kMaxMicrophoneEntries);
  EXPECT_EQ(points.back().frequency, static_cast<float>(kMaxMicrophoneEntries - 1));
}

TEST_F(MicrophoneFile, CommaDecimalLocaleDoesNotChangeParsing) {
  const char* chosen = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  ASSERT_NE(chosen, nullptr) << "no comma-decimal locale; run scripts/install-deps.sh";
  // Proof that the locale took effect: the C library now stops at the '.'.
  const double probe = std::strtod("1.5", nullptr);
  std::vector<CurvePoint> points;
  const bool loaded = LoadMicrophoneFile(Write("20.5\t-1.25\n100\t2.5\n1000.75\t3\n"), points);
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(probe, 1.0) << chosen;
  ASSERT_TRUE(loaded);
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0].frequency, 20.5f);
  EXPECT_EQ(points[0].value, -1.25f);
  EXPECT_EQ(points[2].frequency, 1000.75f);
}

}  // namespace
}  // namespace orvanix
