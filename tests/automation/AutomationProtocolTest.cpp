// The line protocol, the item table and the execute-command matcher, without a socket.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/ExecuteCommands.h"
#include "automation/Items.h"
#include "automation/Protocol.h"

namespace orvanix {
namespace {

TEST(ClientLine, VerbsAnyCaseWithTheirArgument) {
  TClientMessage m = ParseClientLine("REQUEST Peak Frequency\r");
  EXPECT_EQ(m.verb, ClientVerb::Request);
  EXPECT_EQ(m.argument, "Peak Frequency");
  m = ParseClientLine("execute [Set FFT Size 4096]");
  EXPECT_EQ(m.verb, ClientVerb::Execute);
  EXPECT_EQ(m.argument, "[Set FFT Size 4096]");
  EXPECT_EQ(ParseClientLine("quit").verb, ClientVerb::Quit);
  EXPECT_EQ(ParseClientLine("   ").verb, ClientVerb::Empty);
}

TEST(ClientLine, MalformedLinesSayWhy) {
  EXPECT_EQ(ParseClientLine("request").verb, ClientVerb::Malformed);
  EXPECT_EQ(ParseClientLine("request").error, "missing argument");
  EXPECT_EQ(ParseClientLine("requests x").verb, ClientVerb::Malformed);
  EXPECT_EQ(ParseClientLine(std::string("\0\xff poke", 7)).verb, ClientVerb::Malformed);
}

TEST(LineAssembler, JoinsPiecesAndSplitsLines) {
  TLineAssembler a;
  std::vector<std::string> lines;
  EXPECT_EQ(a.Feed("requ", lines), 0u);
  EXPECT_TRUE(lines.empty());
  a.Feed("est 1\nexecute [Run]\npo", lines);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "request 1");
  EXPECT_EQ(lines[1], "execute [Run]");
  a.Feed("ke 1\n", lines);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], "poke 1");
}

TEST(LineAssembler, OverlongLineIsDroppedAsItArrivesAndCountedOnce) {
  TLineAssembler a;
  std::vector<std::string> lines;
  const std::string chunk(1 << 20, 'x');
  size_t errors = 0;
  for (int i = 0; i < 10; ++i) {
    errors += a.Feed(chunk, lines);
    EXPECT_LE(a.Pending(), kMaxLineBytes);
  }
  EXPECT_EQ(errors, 1u);
  EXPECT_EQ(a.Pending(), 0u);  // nothing of it is held
  errors += a.Feed("tail of it\nrequest 27\n", lines);
  EXPECT_EQ(errors, 1u);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "request 27");
}

TEST(LineAssembler, LineOfExactlyTheLimitPasses) {
  TLineAssembler a;
  std::vector<std::string> lines;
  EXPECT_EQ(a.Feed(std::string(kMaxLineBytes, 'p') + "\n", lines), 0u);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(a.Feed(std::string(kMaxLineBytes + 1, 'p') + "\n", lines), 1u);
  EXPECT_EQ(lines.size(), 1u);
}

TEST(Framing, LengthPrefixedDataMayHoldLineBreaks) {
  EXPECT_EQ(FrameValue("1\t2\r\n3\t4\r\n"), "value 10\n1\t2\r\n3\t4\r\n\n");
  EXPECT_EQ(FrameUpdate(21, "17"), "update 21 2\n17\n");
  EXPECT_EQ(FrameChanged(57), "changed 57\n");
  EXPECT_EQ(FrameError("a\nb"), "error a b\n");
}

TEST(SampleText, AnythingButNumberCharactersSeparates) {
  std::vector<int32_t> s;
  std::string error;
  ASSERT_TRUE(ParseSampleText("1,2;-3\t4.6 x+5 1e2", -32767, 32767, 100, s, error)) << error;
  EXPECT_EQ(s, (std::vector<int32_t>{1, 2, -3, 5, 5, 100}));
}

TEST(SampleText, MalformedOrOutOfRangeValuesAreRefused) {
  std::vector<int32_t> s;
  std::string error;
  EXPECT_FALSE(ParseSampleText("1 2 --3", -32767, 32767, 100, s, error));
  EXPECT_NE(error.find("--3"), std::string::npos);
  EXPECT_FALSE(ParseSampleText("1 40000", -32767, 32767, 100, s, error));
  EXPECT_NE(error.find("range"), std::string::npos);
  EXPECT_FALSE(ParseSampleText("1e999", -32767, 32767, 100, s, error));
  EXPECT_FALSE(ParseSampleText("no numbers here", -32767, 32767, 100, s, error));
  EXPECT_TRUE(ParseSampleText("32767 -32767", -32767, 32767, 100, s, error));
}

TEST(SampleText, KeepsAtMostTheBlockLength) {
  std::vector<int32_t> s;
  std::string error;
  ASSERT_TRUE(ParseSampleText("1 2 3 4 5", -10, 10, 3, s, error));
  EXPECT_EQ(s, (std::vector<int32_t>{1, 2, 3}));
}

TEST(Items, ByNameInAnyCaseOrByIndex) {
  EXPECT_EQ(FindItem("Peak Frequency"), 0);
  EXPECT_EQ(FindItem("  fft size "), kItemFftSize);
  EXPECT_EQ(FindItem("27"), kItemFftSize);
  EXPECT_EQ(FindItem("61"), kItemVersionNumber);
  EXPECT_EQ(FindItem("Peak6 Amplitude"), 41);
  EXPECT_EQ(FindItem("Marker6 Amplitude"), 18);
  EXPECT_EQ(FindItem("Macro Status"), 57);
  EXPECT_FALSE(FindItem("55"));  // an index without an item
  EXPECT_FALSE(FindItem("62"));
  EXPECT_FALSE(FindItem("-1"));
  EXPECT_FALSE(FindItem("Peak Frequencies"));
  EXPECT_FALSE(FindItem(""));
}

TEST(ExecuteMatch, CaseDoesNotMatterAndArgumentsLoseTheirBracket) {
  auto m = MatchExecuteCommand("[set fft size 4096]");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, kExSetFftSize);
  EXPECT_EQ(m->argument, "4096");
  m = MatchExecuteCommand("[Run 10]");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, kExRunCount);
  EXPECT_EQ(m->argument, "10");
  m = MatchExecuteCommand("[RUN]");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, kExRun);
}

TEST(ExecuteMatch, NamesWithoutTheirBlankTakeTheTextAfterOneBlank) {
  auto m = MatchExecuteCommand("[Set Channel Transfer LR+C]");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, kExSetChannel);
  EXPECT_EQ(m->argument, "Transfer LR+C");
  m = MatchExecuteCommand("[Marker3 2500]");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, kExMarker3);
  EXPECT_EQ(m->argument, "2500");
  m = MatchExecuteCommand("[File Open /tmp/a b.wav]");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, kExFileOpen);
  EXPECT_EQ(m->argument, "/tmp/a b.wav");
  m = MatchExecuteCommand("[Open Macro File /tmp/x.mac]");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, kExOpenMacroFile);
}

TEST(ExecuteMatch, OpenAndCloseCommandsAcceptALeadingPart) {
  auto m = MatchExecuteCommand("[Open Spec");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, kExOpenSpectrum);  // before Spectrogram in the order
  m = MatchExecuteCommand("[Close Phase]");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, kExClosePhase);
  EXPECT_FALSE(MatchExecuteCommand("[Open Spectrum]]"));
  // Full-match commands take no leading part.
  EXPECT_FALSE(MatchExecuteCommand("[Single Ste"));
  EXPECT_FALSE(MatchExecuteCommand("[Restore Phas"));
}

TEST(ExecuteMatch, UnknownEmptyAndOverlongTextsMatchNothing) {
  EXPECT_FALSE(MatchExecuteCommand(""));
  EXPECT_FALSE(MatchExecuteCommand("[Make Coffee]"));
  EXPECT_FALSE(MatchExecuteCommand("Run"));
  std::string longText = "[File Open " + std::string(300, 'a') + "]";
  EXPECT_FALSE(MatchExecuteCommand(longText));
  EXPECT_TRUE(MatchExecuteCommand("[File Open " + std::string(268, 'a') + "]"));
}

TEST(ExecuteMatch, EveryNameSelectsItsOwnCommand) {
  // Each command's own name (with an argument where it takes one) reaches that command and
  // not an earlier one: the order of the table is what makes the longer names reachable.
  for (int32_t id = 0; id < kExecuteCount; ++id) {
    std::string text(ExecuteCommandName(static_cast<ExecuteId>(id)));
    if (text.back() != ']') text += (text.back() == ' ' ? "1]" : " 1]");
    const auto m = MatchExecuteCommand(text);
    ASSERT_TRUE(m) << text;
    EXPECT_EQ(m->id, id) << text;
  }
}

TEST(ExecuteArguments, LeadingNumbersAsTheClassicConversionsRead) {
  EXPECT_EQ(LeadingInteger(" 42abc"), 42);
  EXPECT_EQ(LeadingInteger("x"), 0);
  EXPECT_EQ(LeadingInteger("-5"), -5);
  EXPECT_DOUBLE_EQ(LeadingReal("2.5 s"), 2.5);
  EXPECT_DOUBLE_EQ(LeadingReal("nan"), 0.0);
}

}  // namespace
}  // namespace orvanix
