// PackBits decoding: literals, runs, the no-op header, and data that is cut
// short or would overrun the output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoders/PackBits.h"

using namespace vellumark;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> v) {
    std::vector<uint8_t> b;
    for (int x : v) b.push_back(static_cast<uint8_t>(x));
    return b;
}

}  // namespace

TEST(ImagesPackBits, DecodesTheTiffExample) {
    // The sample of the TIFF 6.0 description of PackBits.
    const auto in = Bytes({0xFE, 0xAA, 0x02, 0x80, 0x00, 0x2A, 0xFD, 0xAA, 0x03, 0x80, 0x00, 0x2A, 0x22, 0xF7, 0xAA});
    const auto want = Bytes({0xAA, 0xAA, 0xAA, 0x80, 0x00, 0x2A, 0xAA, 0xAA, 0xAA, 0xAA, 0x80, 0x00, 0x2A, 0x22,
                             0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA});
    std::vector<uint8_t> out(want.size());
    EXPECT_EQ(UnpackBits(in, out), want.size());
    EXPECT_EQ(out, want);
}

TEST(ImagesPackBits, SkipsTheNoOpHeaderAndStopsWhenTheOutputIsFull) {
    std::vector<uint8_t> out(3);
    EXPECT_EQ(UnpackBits(Bytes({0x80, 0x81, 0x07}), out), 3u);  // a run of 128 cut at 3
    EXPECT_EQ(out, Bytes({7, 7, 7}));
    EXPECT_EQ(UnpackBits(Bytes({0x7F, 1, 2, 3, 4}), out), 3u);  // a literal cut at 3
    EXPECT_EQ(out, Bytes({1, 2, 3}));
}

TEST(ImagesPackBits, ReportsDataThatEndsEarly) {
    std::vector<uint8_t> out(8, 0xEE);
    EXPECT_EQ(UnpackBits(Bytes({0x05, 1, 2}), out), 2u);  // literal of 6 with 2 bytes left
    EXPECT_EQ(UnpackBits(Bytes({0xFD}), out), 0u);        // run without its byte
    EXPECT_EQ(UnpackBits({}, out), 0u);
    EXPECT_EQ(UnpackBits(Bytes({0x80, 0x80}), out), 0u);
}
