// The texts the data links read: the clipboard's "Link" format, the multi-link text, the
// channel items' properties and the spectra of the advise data.
#include "automation/LinkText.h"

#include <gtest/gtest.h>

#include <string>

namespace orvanix {
namespace {

using namespace std::string_literals;

TEST(LinkFormat, ThreeNulTerminatedStrings) {
  const auto link = ParseLinkFormat("Tessiva\0Data\0Spectrum\0\0"s);
  ASSERT_TRUE(link);
  EXPECT_EQ(link->server, "Tessiva");
  EXPECT_EQ(link->topic, "Data");
  EXPECT_EQ(link->item, "Spectrum");
  // The last NUL may be missing; what comes after the third string is not read.
  EXPECT_EQ(ParseLinkFormat("A\0B\0C"s)->item, "C");
  EXPECT_EQ(ParseLinkFormat(MakeLinkFormat({"ZAVO", "Signals", "Sine"}))->topic, "Signals");
}

TEST(LinkFormat, RefusesMissingPartsAndOverlongNames) {
  EXPECT_FALSE(ParseLinkFormat(""));
  EXPECT_FALSE(ParseLinkFormat("\0Data\0Item\0"s));  // no application
  EXPECT_FALSE(ParseLinkFormat("Tessiva\0Data"s));   // no item
  EXPECT_FALSE(ParseLinkFormat(std::string(256, 'a') + "\0t\0i\0"s));
  EXPECT_TRUE(ParseLinkFormat(std::string(255, 'a') + "\0t\0i\0"s));
}

TEST(MultiLinkText, FillsTheLinksByTag) {
  TMultiLink multi;
  ASSERT_TRUE(ParseMultiLinkText(
      "<<zavo>>rpm>>ZAVO|Test 1!RPM;CH1>>ZAVO|Test 1!Ch1.Spectrum;Ch2>>Other|T!Ch2.Spectrum\r\n",
      multi));
  EXPECT_EQ(multi.links[0], (TLinkAddress{"ZAVO", "Test 1", "RPM"}));
  EXPECT_EQ(multi.links[1], (TLinkAddress{"ZAVO", "Test 1", "Ch1.Spectrum"}));
  EXPECT_EQ(multi.links[2], (TLinkAddress{"Other", "T", "Ch2.Spectrum"}));
  EXPECT_EQ(multi.channels, 2);
}

TEST(MultiLinkText, TopicEndsAtTheFirstBangAfterTheBar) {
  TMultiLink multi;
  ASSERT_TRUE(ParseMultiLinkText("<<ZAVO>>Ch1>>S|a|b!c!d", multi));
  EXPECT_EQ(multi.links[1], (TLinkAddress{"S", "a|b", "c!d"}));
  EXPECT_EQ(multi.channels, 1);
}

TEST(MultiLinkText, WithoutChannelTwoRunsOneChannel) {
  TMultiLink multi;
  multi.channels = 2;
  multi.links[2] = {"stale", "stale", "stale"};
  ASSERT_TRUE(ParseMultiLinkText("<<ZAVO>>Ch1>>ZAVO|T!A;RPM>>ZAVO|T!R", multi));
  EXPECT_EQ(multi.channels, 1);
  EXPECT_EQ(multi.links[2], TLinkAddress{});  // emptied first
  EXPECT_EQ(multi.links[0].item, "R");
}

TEST(MultiLinkText, RefusesOtherTexts) {
  TMultiLink multi;
  multi.links[0] = {"stale", "", ""};
  EXPECT_FALSE(ParseMultiLinkText("<ZAVO>>RPM>>ZAVO|T!R", multi));
  EXPECT_EQ(multi.links[0], TLinkAddress{});
  EXPECT_FALSE(ParseMultiLinkText("<<ZAVO>>R", multi));  // shorter than 10 bytes
  EXPECT_FALSE(ParseMultiLinkText("RPM>>ZAVO|T!R", multi));
  // A field without its separators, and a fourth field, leave their links alone.
  ASSERT_TRUE(ParseMultiLinkText("<<ZAVO>>RPM>>ZAVO T R;Ch1>>A|B!C;Ch1>>X|Y!Z;Ch2>>P|Q!R", multi));
  EXPECT_EQ(multi.links[0], TLinkAddress{});
  EXPECT_EQ(multi.links[1], (TLinkAddress{"X", "Y", "Z"}));
  EXPECT_EQ(multi.channels, 1);
}

TEST(LinkProperties, NamedAfterTheItemUpToItsLastDot) {
  // The dot itself is not part of the name.
  EXPECT_EQ(PropertyName("Ch1.Spectrum", "points"), "Ch1points");
  EXPECT_EQ(PropertyName("a.b.Spectrum", "rate"), "a.brate");
  EXPECT_EQ(PropertyName("Spectrum", "xUnits"), "SpectrumxUnits");
}

TEST(LinkProperties, BlockAndRateFromPointsAndSpan) {
  const TLinkedBlock block = DeriveLinkedBlock(512, 0.0232);
  EXPECT_EQ(block.blockLength, 1024);
  EXPECT_EQ(block.sampleRateHz, 44138u);  // 1024 / 0.0232 = 44137.93
  EXPECT_EQ(DeriveLinkedBlock(0, 0.1).blockLength, 128);
  EXPECT_EQ(DeriveLinkedBlock(0.4, 1).blockLength, 128);  // 0.8 samples: below 1
  EXPECT_EQ(DeriveLinkedBlock(0.5, 2).sampleRateHz, 11025u);
  // A span of 0 or none at all: no rate can be derived.
  EXPECT_EQ(DeriveLinkedBlock(512, 0).sampleRateHz, 11025u);
  EXPECT_EQ(DeriveLinkedBlock(512, -1).sampleRateHz, 11025u);
  EXPECT_EQ(LinkedFftSize(1024), 1024);
  EXPECT_EQ(LinkedFftSize(32768), 32768);
  EXPECT_EQ(LinkedFftSize(32), 32);
  EXPECT_EQ(LinkedFftSize(16), 1024);
  EXPECT_EQ(LinkedFftSize(65536), 1024);
  EXPECT_EQ(LinkedFftSize(1000), 1024);
}

TEST(LinkProperties, RealsAtTheStartOfATextInAnyLocale) {
  EXPECT_DOUBLE_EQ(*ParseLinkReal(" 0.0232\r\n"), 0.0232);
  EXPECT_DOUBLE_EQ(*ParseLinkReal("+1500 rpm"), 1500);
  EXPECT_DOUBLE_EQ(*ParseLinkReal("-2.5e3"), -2500);
  EXPECT_FALSE(ParseLinkReal("rpm 1500"));
  EXPECT_FALSE(ParseLinkReal(""));
  EXPECT_FALSE(ParseLinkReal("1e999"));
}

TEST(SpectrumText, EveryOtherNumberIsALine) {
  const auto lines = ParseSpectrumText("0.5\t0\r\n1.25\t43.1\r\n-3e-1\t86.2\r\n", 10);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_FLOAT_EQ(lines[0], 0.5f);
  EXPECT_FLOAT_EQ(lines[1], 1.25f);
  EXPECT_FLOAT_EQ(lines[2], -0.3f);
  // Words are separators, and the 'e' left of a word is no number.
  const auto named = ParseSpectrumText("Level: 2 Frequency: 100 Level: 4 Frequency: 200", 10);
  ASSERT_EQ(named.size(), 2u);
  EXPECT_FLOAT_EQ(named[1], 4.f);
  // At most as many lines as the spectrum has.
  EXPECT_EQ(ParseSpectrumText("1 0 2 0 3 0 4 0", 2).size(), 2u);
  EXPECT_TRUE(ParseSpectrumText("no numbers here", 10).empty());
  // A number no float holds is not counted either.
  EXPECT_EQ(ParseSpectrumText("1e300 7 0 9", 10), (std::vector<float>{7.f, 9.f}));
}

TEST(RpmSweep, IncrementZeroMeansSixHundredInStepsOfOneHundred) {
  const TRpmSweep zero = MakeRpmSweep(1234, 0);
  EXPECT_EQ(zero.startRpm, 600);
  EXPECT_EQ(zero.incrementRpm, 100);
  const TRpmSweep given = MakeRpmSweep(800, 50);
  EXPECT_EQ(given.startRpm, 800);
  EXPECT_EQ(given.incrementRpm, 50);
  // The RPM received counts once it reaches the start; before, the step count does.
  EXPECT_EQ(TraceRpm(given, 1000, 3), 1000);
  EXPECT_EQ(TraceRpm(given, 800, 3), 800);
  EXPECT_EQ(TraceRpm(given, 799, 3), 950);
  EXPECT_EQ(TraceRpm(given, 0, 0), 800);
}

}  // namespace
}  // namespace orvanix
