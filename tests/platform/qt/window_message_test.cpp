// Registered window messages and the packing of two words into a message's
// parameter.
#include <gtest/gtest.h>

#include <QEvent>

#include "platform/RegisteredMessage.h"
#include "platform/qt/WindowMessage.h"

namespace blastsearch {

namespace {

TEST(WindowMessageTest, RegisteredOncePerNameAboveQtsOwnEvents) {
  const int notify = RegisterWindowMessage("a window message of the test");
  EXPECT_EQ(RegisterWindowMessage("a window message of the test"), notify);
  EXPECT_NE(RegisterWindowMessage("another message"), notify);
  EXPECT_GE(notify, QEvent::User);
}

TEST(WindowMessageTest, WordsArePackedAndReadBackCutToSixteenBits) {
  const struct {
    unsigned low, high, wantLow, wantHigh;
  } cases[] = {
      {0, 0, 0, 0},
      {0x12345, 0xABCDE, 0x2345, 0xBCDE},
      {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},
      {1, 0x10000, 1, 0},
  };
  for (const auto& c : cases) {
    const LPARAM packed = MakeLParam(c.low, c.high);
    EXPECT_EQ(LoWord(packed), c.wantLow) << std::hex << c.low << ' ' << c.high;
    EXPECT_EQ(HiWord(packed), c.wantHigh) << std::hex << c.low << ' ' << c.high;
  }
}

}  // namespace

}  // namespace blastsearch
