// The JSON text of the batch lines: any file name or message gives valid JSON.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "automation/JsonText.h"

namespace orvanix {
namespace {

TEST(JsonText, StringsAreEscapedAndBadUtf8Replaced) {
  EXPECT_EQ(JsonString("a\"b\\c"), R"("a\"b\\c")");
  EXPECT_EQ(JsonString("tab\there\nline\x01"), R"("tab\there\nline\u0001")");
  EXPECT_EQ(JsonString("b\xc3\xa9 \xe2\x82\xac"), "\"b\xc3\xa9 \xe2\x82\xac\"");  // é, €
  // A lone continuation byte, a cut sequence, an overlong '/', a surrogate: each byte
  // that is not part of a whole character becomes U+FFFD.
  EXPECT_EQ(JsonString("x\x80y"), R"("x\ufffdy")");
  EXPECT_EQ(JsonString("\xe2\x82"), R"("\ufffd\ufffd")");
  EXPECT_EQ(JsonString("\xc0\xaf"), R"("\ufffd\ufffd")");
  EXPECT_EQ(JsonString("\xed\xa0\x80"), R"("\ufffd\ufffd\ufffd")");
}

TEST(JsonText, NumbersReadBackExactlyAndNonFiniteIsNull) {
  EXPECT_EQ(JsonNumber(0.1), "0.1");
  EXPECT_EQ(JsonNumber(-999.9), "-999.9");
  EXPECT_EQ(JsonNumber(1001.2939453125), "1001.2939453125");
  EXPECT_EQ(JsonNumber(std::nan("")), "null");
  EXPECT_EQ(JsonNumber(-std::numeric_limits<double>::infinity()), "null");
  TJsonObject o;
  o.String("file", "x.wav");
  o.Number("blocks", 21);
  o.Number("seconds", 2.5);
  o.Bool("ok", false);
  o.Null("error");
  o.Raw("list", JsonStringArray({"a", "b"}));
  EXPECT_EQ(
      o.Text(),
      R"({"file":"x.wav","blocks":21,"seconds":2.5,"ok":false,"error":null,"list":["a","b"]})");
}

}  // namespace
}  // namespace orvanix
