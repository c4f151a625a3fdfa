// The macro interpreter on its own: a fake server that records what it is sent and answers
// items from a table, and a clock the test moves.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "automation/Macro.h"

namespace orvanix {
namespace {

class FakeServer : public TMacroServer {
 public:
  bool Execute(const std::string& command) override {
    sent.push_back(command);
    return command.rfind("[Bad", 0) != 0;
  }
  std::optional<int32_t> FindItem(const std::string& name) override {
    const auto found = items.find(name);
    if (found == items.end()) return std::nullopt;
    return found->second.first;
  }
  std::string ItemText(int32_t item) override {
    for (const auto& [name, entry] : items) {
      if (entry.first == item) return entry.second;
    }
    return {};
  }
  std::vector<std::string> sent;
  std::map<std::string, std::pair<int32_t, std::string>> items{{"FFT Size", {27, "4096"}},
                                                               {"FFT Count", {21, "7"}}};
};

class MacroRun : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvanix-macro-XXXXXX";
    folder_ = ::mkdtemp(pattern);
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    macro_.SetFolder(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Local calendar time for a date and clock time (the test runs in UTC).
  static std::time_t At(int year, int month, int day, int hour, int minute) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_isdst = -1;
    return std::mktime(&t);
  }
  // Runs `text` until it stops or `limit` steps have passed; returns the steps taken.
  int RunText(const std::string& text, int limit = 100000) {
    macro_.SetText(text);
    macro_.Run();
    int steps = 0;
    while (macro_.Running() && steps < limit) {
      macro_.Step();
      ++steps;
    }
    return steps;
  }
  // Starts `text` (a wait, then Send) at `start` on 5 March: nothing is sent at 23:59, and
  // `sent` goes out once the clock reaches midnight.
  void ExpectWaitEndsAtMidnight(std::time_t start, const std::string& text, const char* sent) {
    now_ = start;
    macro_.SetText(text);
    macro_.Run();
    macro_.Step();
    now_ = At(2026, 3, 5, 23, 59);
    macro_.Step();
    EXPECT_TRUE(server_.sent.empty());
    now_ = At(2026, 3, 6, 0, 0);
    macro_.Step();
    macro_.Step();
    EXPECT_EQ(server_.sent, (std::vector<std::string>{sent}));
  }
  std::vector<std::string> OutputLines(const std::string& path) const {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::string folder_;
  FakeServer server_;
  int64_t tick_ = 0;
  std::time_t now_ = At(2026, 3, 5, 14, 22);
  TMacro macro_{server_, TMacroClock{[this] { return tick_; }, [this] { return now_; }}};
};

TEST_F(MacroRun, KeywordsInAnyCaseLabelsCaseSensitive) {
  RunText(
      "goto x\nSend [A]\nLabel x\nGOTO x2\nLabel X\nSend [B]\nMacroEnd\nLabel x2\nGoTo X\n"
      "Send [C]\nreturn\n");
  // goto x skips [A]; GOTO x2 jumps to x2, GoTo X finds "Label X" (not "x"), then [B].
  EXPECT_EQ(server_.sent, (std::vector<std::string>{"[B]"}));
  EXPECT_TRUE(macro_.TakeError().empty());
}

TEST_F(MacroRun, MissingLabelAndEmptyReturnContinueWithoutError) {
  RunText("GoTo nowhere\nReturn\nSend [A]\n");
  EXPECT_EQ(server_.sent, (std::vector<std::string>{"[A]"}));
  EXPECT_TRUE(macro_.TakeError().empty());
}

TEST_F(MacroRun, CallAndReturnComeBackAfterTheCall) {
  RunText("GoTo sub\nSend [after]\nMacroEnd\nLabel sub\nSend [in]\nReturn\n");
  EXPECT_EQ(server_.sent, (std::vector<std::string>{"[in]", "[after]"}));
}

TEST_F(MacroRun, EleventhCallOverwritesTheOldestReturn) {
  // The loop calls "sub" eleven times without returning: the return stack of ten wraps, so
  // only one return is left to come back through "[ret]".
  RunText("Loop 11\nGoTo sub\nSend [ret]\nReturn\nLabel sub\nLoopEnd\nReturn\n", 1000);
  EXPECT_EQ(server_.sent, (std::vector<std::string>{"[ret]"}));
  EXPECT_FALSE(macro_.Running());
}

TEST_F(MacroRun, TextChangedWhileRunningStopsTheRun) {
  macro_.SetText("WaitSeconds 10\nSend [a]\nSend [b]\nSend [c]\n");
  macro_.Run();
  macro_.Step();
  tick_ += 20000;
  macro_.Step();
  macro_.SetText("Send [x]\n");
  EXPECT_FALSE(macro_.Running());
  EXPECT_FALSE(macro_.Step());
  EXPECT_TRUE(server_.sent.empty());
}

TEST_F(MacroRun, LoopRunsItsBodyTheCountedTimes) {
  RunText("Loop 3\nSend [body]\nLoopEnd\nLoopEnd\nSend [end]\n");
  EXPECT_EQ(server_.sent, (std::vector<std::string>{"[body]", "[body]", "[body]", "[end]"}));
}

TEST_F(MacroRun, LastLineEndsTheRun) {
  RunText("Send [only]");
  EXPECT_FALSE(macro_.Running());
  EXPECT_EQ(server_.sent.size(), 1u);
}

TEST_F(MacroRun, WaitSecondsRepeatsUntilItsTick) {
  macro_.SetText("WaitSeconds 1.5\nSend [after]\n");
  macro_.Run();
  for (int i = 0; i < 10; ++i) macro_.Step();
  EXPECT_TRUE(server_.sent.empty());
  EXPECT_TRUE(macro_.Waiting());
  tick_ += 1499;
  macro_.Step();
  EXPECT_TRUE(server_.sent.empty());
  tick_ += 1;
  macro_.Step();
  macro_.Step();
  EXPECT_EQ(server_.sent, (std::vector<std::string>{"[after]"}));
}

TEST_F(MacroRun, WaitClockAcrossMidnight) {
  ExpectWaitEndsAtMidnight(At(2026, 3, 5, 23, 50), "WaitClock 0000\nSend [midnight]\n",
                           "[midnight]");
}

TEST_F(MacroRun, WaitTopOfHourLateInTheDayWaitsForMidnight) {
  ExpectWaitEndsAtMidnight(At(2026, 3, 5, 23, 10), "WaitTopOfHour\nSend [top]\n", "[top]");
}

TEST_F(MacroRun, WaitDateNormalisesAndRefusesShortForms) {
  now_ = At(2025, 3, 1, 12, 0);
  macro_.SetText("WaitDate 02/30/2025\nSend [march 2]\n");
  macro_.Run();
  macro_.Step();
  macro_.Step();
  EXPECT_TRUE(server_.sent.empty());
  now_ = At(2025, 3, 2, 0, 0);
  macro_.Step();
  macro_.Step();
  EXPECT_EQ(server_.sent, (std::vector<std::string>{"[march 2]"}));
  RunText("; a comment\nWaitDate 2/3/2025\n");
  EXPECT_EQ(macro_.TakeError(),
            "Macro Command Processor: Unrecognized command \"WaitDate 2/3/2025\" at line 1");
}

TEST_F(MacroRun, ErrorsStopTheRunWithTheirLine) {
  RunText("Send [A]\nFrobnicate now\nSend [B]\n");
  EXPECT_EQ(macro_.TakeError(),
            "Macro Command Processor: Unrecognized command \"Frobnicate now\" at line 1");
  EXPECT_EQ(server_.sent.size(), 1u);
  RunText("\n  Send [Bad thing]  \n");
  EXPECT_EQ(macro_.TakeError(),
            "Macro Command Processor: DDE Execute command \"Send [Bad thing]\" at line 1 cannot "
            "be processed");
  RunText("Output No Such Item\n");
  EXPECT_EQ(macro_.TakeError(),
            "Macro Command Processor: DDE Request item \"Output No Such Item\" at line 0 is "
            "unrecognized");
  EXPECT_FALSE(macro_.Running());
}

TEST_F(MacroRun, OutputFileGetsItemsAndComments) {
  const std::string out = folder_ + "/log.txt";
  RunText(
      "SetOutputFile log.txt\nOutput FFT Size\nOutputComment run AutoDateTime  \n"
      "Output FFT Count\n");
  EXPECT_EQ(OutputLines(out), (std::vector<std::string>{"4096", "run 2026_03_05_142200  ", "7"}));
  // A path stays as given.
  const std::string absolute = folder_ + "/sub.txt";
  RunText("SetOutputFile " + absolute + "\nOutput FFT Size\n");
  EXPECT_EQ(OutputLines(absolute), (std::vector<std::string>{"4096"}));
}

TEST_F(MacroRun, OutputIsOnDiskLineByLineDuringALongLoop) {
  const std::string out = folder_ + "/long.txt";
  macro_.SetText("SetOutputFile long.txt\nLoop 5000\nOutput FFT Count\nLoopEnd\n");
  macro_.Run();
  int steps = 0;
  while (macro_.Running() && steps < 100000) {
    macro_.Step();
    ++steps;
    // Whatever moment the program were killed at, the file holds every line written.
    if (steps == 1001) EXPECT_EQ(OutputLines(out).size(), 500u);
  }
  EXPECT_EQ(OutputLines(out).size(), 5000u);
}

TEST_F(MacroRun, OverwriteDeletesTheOldOutputAppendKeepsIt) {
  const std::string out = folder_ + "/keep.txt";
  std::ofstream(out) << "old\n";
  macro_.SetOverwrite(false);
  RunText("SetOutputFile keep.txt\nOutput FFT Size\n");
  EXPECT_EQ(OutputLines(out), (std::vector<std::string>{"old", "4096"}));
  macro_.SetOverwrite(true);
  RunText("SetOutputFile keep.txt\nOutput FFT Size\n");
  EXPECT_EQ(OutputLines(out), (std::vector<std::string>{"4096"}));
}

TEST(MacroLanguage, PreparedLinesAndAutoDateTime) {
  EXPECT_EQ(PrepareMacroLine("   Send [Run]  \t\r\n"), "Send [Run]");
  EXPECT_EQ(ParseMacroLine("outputcomment  x ").argument, " x ");
  EXPECT_EQ(ParseMacroLine("Loopy").kind, MacroLine::Loop);
  EXPECT_EQ(ParseMacroLine("WaitForever").kind, MacroLine::Wait);
  EXPECT_EQ(ParseMacroLine("Sendx").kind, MacroLine::Unrecognized);
  std::tm t{};
  t.tm_year = 124;
  t.tm_mon = 2;
  t.tm_mday = 5;
  t.tm_hour = 14;
  t.tm_min = 22;
  t.tm_sec = 33;
  EXPECT_EQ(ExpandAutoDateTime("runAutoDateTime.txt AutoDateTime", t),
            "run2024_03_05_142233.txt AutoDateTime");
}

TEST(MacroLanguage, EleventhLabelOverwritesTheFirst) {
  std::vector<std::string> lines;
  for (int i = 0; i < 11; ++i) lines.push_back("Label L" + std::to_string(i));
  const TMacroLabels labels = BuildMacroLabels(lines);
  EXPECT_FALSE(labels.Find("L0"));
  EXPECT_EQ(labels.Find("L10"), 10);
  EXPECT_EQ(labels.Find("L1"), 1);
}

}  // namespace
}  // namespace orvanix
