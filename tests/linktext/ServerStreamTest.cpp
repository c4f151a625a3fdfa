// A client's reading of the server's messages, whole or in pieces, and its bounds.
#include "automation/ServerStream.h"

#include <gtest/gtest.h>

#include <string>

namespace orvanix {
namespace {

using Kind = TServerMessage::Kind;

TEST(ServerStream, MessagesWholeAndByteByByte) {
  const std::string bytes =
      "hello ZAVO Main\nanswer ok\r\nvalue 5\n1\n2\r\n\nupdate 3 2\n42\nchanged 7\nerror no\nbye\n"
      "value 0\n\n";
  for (const bool pieces : {false, true}) {
    TServerStream stream;
    if (pieces) {
      for (const char c : bytes) stream.Feed(std::string_view(&c, 1));
    } else {
      stream.Feed(bytes);
    }
    ASSERT_EQ(stream.Failed(), TServerStream::Fault::None);
    const Kind kinds[] = {Kind::Hello,   Kind::Answer, Kind::Value, Kind::Update,
                          Kind::Changed, Kind::Error,  Kind::Bye,   Kind::Value};
    std::vector<TServerMessage> got;
    while (stream.HasMessage()) got.push_back(stream.Take());
    ASSERT_EQ(got.size(), std::size(kinds));
    for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].kind, kinds[i]) << i;
    EXPECT_EQ(got[0].text, "ZAVO Main");
    EXPECT_EQ(got[1].text, "ok");
    EXPECT_EQ(got[2].text, "1\n2\r\n");  // counted data keep their line breaks
    EXPECT_EQ(got[3].item, 3);
    EXPECT_EQ(got[3].text, "42");
    EXPECT_EQ(got[4].item, 7);
    EXPECT_EQ(got[5].text, "no");
    EXPECT_EQ(got[7].text, "");
    EXPECT_EQ(stream.Pending(), 0u);
  }
}

TEST(ServerStream, GarbageEndsTheReading) {
  for (const char* bad : {"\x01\x02 what\n", "update x 2\nab\n", "value 2\nabc\n", "value -1\n",
                          "changed\n", "update 1\n"}) {
    TServerStream stream;
    stream.Feed(std::string("answer ok\n") + bad + "answer ok\n");
    EXPECT_EQ(stream.Failed(), TServerStream::Fault::Garbage) << bad;
    ASSERT_TRUE(stream.HasMessage());
    stream.Take();
    EXPECT_FALSE(stream.HasMessage()) << "nothing is read after the fault: " << bad;
  }
}

TEST(ServerStream, FloodsAreRefusedWithoutHoldingThem) {
  TServerStream stream;
  const std::string chunk(1000, 'x');
  for (int i = 0; i < 100; ++i) stream.Feed(chunk);
  EXPECT_EQ(stream.Failed(), TServerStream::Fault::TooLarge);
  EXPECT_LE(stream.Pending(), kMaxServerHeaderBytes);

  TServerStream big;
  big.Feed("value " + std::to_string(kMaxServerDataBytes + 1) + "\n");
  EXPECT_EQ(big.Failed(), TServerStream::Fault::TooLarge);
  TServerStream largest;
  largest.Feed("value " + std::to_string(kMaxServerDataBytes) + "\n");
  EXPECT_EQ(largest.Failed(), TServerStream::Fault::None);
}

}  // namespace
}  // namespace orvanix
