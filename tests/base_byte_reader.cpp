// The checked byte reader every parser uses.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>

#include "base/ByteReader.h"

namespace vellumark {
namespace {

struct EMine : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const uint8_t kBytes[] = {0x12, 0x34, 0x56, 0x78, 0x9A};

TEST(BaseByteReader, ReadsBothByteOrdersAtOffsetsAndFromTheCursor) {
    TByteReader in(kBytes, "short");
    EXPECT_EQ(in.U16LE(0), 0x3412);
    EXPECT_EQ(in.U16BE(0), 0x1234);
    EXPECT_EQ(in.U32LE(1), 0x9A785634u);
    EXPECT_EQ(in.U32(1, true), 0x3456789Au);
    EXPECT_EQ(in.ReadU8(), 0x12);
    EXPECT_EQ(in.ReadU16BE(), 0x3456);
    EXPECT_EQ(in.Take(2).size(), 2u);
    EXPECT_TRUE(in.AtEnd());
}

TEST(BaseByteReader, EveryReadPastTheEndRaisesTheCallersErrorAndMessage) {
    constexpr uint64_t kHuge = std::numeric_limits<uint64_t>::max();
    TByteReader in(kBytes, "first", &Raise<EMine>);
    const auto expectShort = [&](auto read, const char* message) {
        try {
            read();
            ADD_FAILURE() << "accepted";
        } catch (const EMine& e) {
            EXPECT_STREQ(e.what(), message);
        }
    };
    expectShort([&] { in.U32LE(2); }, "first");
    expectShort([&] { in.Bytes(kHuge - 1, 4); }, "first");  // offset + count overflows
    expectShort([&] { in.Bytes(1, kHuge); }, "first");
    in.SetShortRead("second");
    expectShort([&] { in.Seek(6); }, "second");
    in.Seek(4);
    expectShort([&] { in.ReadU16LE(); }, "second");
    EXPECT_EQ(in.Position(), 4u);  // a failed read moves nothing
    EXPECT_TRUE(in.Has(5, 0));
    EXPECT_FALSE(in.Has(6, 0));
}

}  // namespace
}  // namespace vellumark
