// The control's component stream: its bytes, round trips, and refusal of
// damaged or truncated streams.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "control/ComponentStream.h"

namespace vellumark {
namespace {

using TBytes = std::vector<uint8_t>;

void AppendU32(TBytes& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(v >> shift));
}

// One record: name, type, value length and value.
TBytes Record(std::string_view name, uint8_t type, const TBytes& value) {
    TBytes out{uint8_t(name.size())};
    for (char c : name) out.push_back(uint8_t(c));
    out.push_back(type);
    AppendU32(out, uint32_t(value.size()));
    for (uint8_t b : value) out.push_back(b);
    return out;
}

TBytes Int32(int32_t v) {
    TBytes out;
    AppendU32(out, uint32_t(v));
    return out;
}

// A stream of version 1 around `records`.
TBytes Stream(const std::vector<TBytes>& records) {
    TBytes body;
    for (const TBytes& r : records)
        for (uint8_t b : r) body.push_back(b);
    TBytes out{'V', 'M', 'C', 'S', 1, 0};
    AppendU32(out, uint32_t(body.size()));
    for (uint8_t b : body) out.push_back(b);
    return out;
}

// The records a new control writes.
std::vector<TBytes> PlaceRecords() {
    return {Record("Left", 1, Int32(0)), Record("Top", 1, Int32(0)), Record("Width", 1, Int32(32)),
            Record("Height", 1, Int32(32))};
}

TComponentProperties Changed() {
    TComponentProperties p;
    p.DefaultPageSize = 3;
    p.Units = 2;
    p.Tag = -7;
    p.Left = 10;
    p.Top = -20;
    p.Width = 640;
    p.Height = 480;
    p.Cursor = -11;
    p.Hint = u"A hint \u00e9\u4e2d";
    p.HelpType = 1;
    p.HelpKeyword = u"Keyword";
    p.HelpContext = 0x12345678;
    return p;
}

TEST(ControlComponentStream, NewControlWritesOnlyPositionAndSize) {
    const TComponentProperties p;
    const TBytes bytes = EncodeComponentStream(p);
    EXPECT_EQ(bytes, Stream(PlaceRecords()));
    EXPECT_EQ(ComponentStreamSize(p), bytes.size());
}

TEST(ControlComponentStream, ExactBytesOfAMovedControl) {
    TComponentProperties p;
    p.Left = 0x12345678;
    const TBytes expected = {
        'V', 'M', 'C', 'S', 1, 0, 58, 0, 0, 0,  // signature, version 1, 58 bytes of records
        4, 'L', 'e', 'f', 't', 1, 4, 0, 0, 0, 0x78, 0x56, 0x34, 0x12,
        3, 'T', 'o', 'p', 1, 4, 0, 0, 0, 0, 0, 0, 0,
        5, 'W', 'i', 'd', 't', 'h', 1, 4, 0, 0, 0, 32, 0, 0, 0,
        6, 'H', 'e', 'i', 'g', 'h', 't', 1, 4, 0, 0, 0, 32, 0, 0, 0};
    EXPECT_EQ(EncodeComponentStream(p), expected);
    EXPECT_EQ(DecodeComponentStream(expected), p);
}

TEST(ControlComponentStream, ChangedPropertiesAreWrittenAndReadBack) {
    const TComponentProperties p = Changed();
    const TBytes bytes = EncodeComponentStream(p);
    EXPECT_EQ(ComponentStreamSize(p), bytes.size());
    const std::optional<TComponentProperties> back = DecodeComponentStream(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, p);
}

TEST(ControlComponentStream, UnitsAloneIsWrittenAfterTheDefaults) {
    TComponentProperties p;
    p.Units = 1;
    std::vector<TBytes> records = PlaceRecords();
    records.insert(records.begin(), Record("Units", 1, Int32(1)));
    EXPECT_EQ(EncodeComponentStream(p), Stream(records));
}

TEST(ControlComponentStream, TextIsUtf16LittleEndian) {
    TComponentProperties p;
    p.Hint = u"A\u4e2d";
    std::vector<TBytes> records = PlaceRecords();
    records.push_back(Record("Hint", 3, {'A', 0, 0x2d, 0x4e}));
    EXPECT_EQ(EncodeComponentStream(p), Stream(records));
}

TEST(ControlComponentStream, MissingRecordsGiveNewControlValues) {
    const std::optional<TComponentProperties> p = DecodeComponentStream(Stream({}));
    ASSERT_TRUE(p);
    EXPECT_EQ(*p, TComponentProperties{});
    EXPECT_EQ(p->DefaultPageSize, psA4_P);
    EXPECT_EQ(p->Units, umPoints);
}

TEST(ControlComponentStream, UnknownNamesAreSkippedWhateverTheirType) {
    const TBytes bytes = Stream({Record("Future", 3, {'x', 0}), Record("Units", 1, Int32(3)),
                                 Record("Later", 200, {1, 2, 3}), Record("Tag", 1, Int32(5)),
                                 Record("Width2", 1, Int32(9)), Record("Empty", 77, {})});
    const std::optional<TComponentProperties> p = DecodeComponentStream(bytes);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Units, 3);
    EXPECT_EQ(p->Tag, 5);
    EXPECT_EQ(p->Width, 32);
}

TEST(ControlComponentStream, NamesAreCaseSensitive) {
    const std::optional<TComponentProperties> p = DecodeComponentStream(Stream({Record("units", 1, Int32(3))}));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Units, umPoints);
}

TEST(ControlComponentStream, EveryTruncationIsRefused) {
    const TBytes bytes = EncodeComponentStream(Changed());
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(DecodeComponentStream(std::span(bytes).first(n))) << n << " bytes";
}

TEST(ControlComponentStream, TrailingBytesAreRefused) {
    TBytes bytes = EncodeComponentStream(Changed());
    bytes.push_back(0);
    EXPECT_FALSE(DecodeComponentStream(bytes));
}

TEST(ControlComponentStream, DamagedHeadersAreRefused) {
    const TBytes good = EncodeComponentStream(Changed());
    ASSERT_TRUE(DecodeComponentStream(good));
    for (size_t i : {0, 1, 2, 3, 4, 5, 6, 9}) {
        TBytes bytes = good;
        bytes[i] ^= 0x40;
        EXPECT_FALSE(DecodeComponentStream(bytes)) << "byte " << i;
    }
}

TEST(ControlComponentStream, MalformedRecordsAreRefused) {
    const std::vector<std::vector<TBytes>> bad = {
        {Record("Units", 2, {1, 0})},                 // a known name with another type
        {Record("Hint", 1, Int32(1))},                // a text given as a number
        {Record("Units", 1, {1, 0, 0})},              // a 32-bit integer of 3 bytes
        {Record("Cursor", 2, {1, 0, 0, 0})},          // a 16-bit integer of 4 bytes
        {Record("Hint", 3, {'a', 0, 'b'})},           // an odd text length
        {Record("Future", 1, {1, 0})},                // a known type of the wrong length, unknown name
        {Record("", 1, Int32(1))},                    // no name
        {Record("Tag", 1, Int32(1)), Record("Tag", 1, Int32(2))},  // a name given twice
    };
    for (const std::vector<TBytes>& records : bad) EXPECT_FALSE(DecodeComponentStream(Stream(records)));
}

TEST(ControlComponentStream, ValueLengthBeyondTheRecordsIsRefused) {
    TBytes record = Record("Future", 3, {'x', 0});
    record[1 + 6 + 1] = 0xFF;  // the value length's low byte
    EXPECT_FALSE(DecodeComponentStream(Stream({record})));
    TBytes huge = Record("Future", 3, {});
    for (size_t i = 0; i < 4; ++i) huge[1 + 6 + 1 + i] = 0xFF;
    EXPECT_FALSE(DecodeComponentStream(Stream({huge})));
}

TEST(ControlComponentStream, HeaderGivesTheWholeLength) {
    const TBytes bytes = EncodeComponentStream(Changed());
    EXPECT_EQ(ComponentStreamLength(std::span(bytes).first(kComponentStreamHeaderSize)), bytes.size());
    EXPECT_EQ(ComponentStreamLength(std::span(bytes).first(kComponentStreamHeaderSize - 1)), std::nullopt);
    TBytes later = bytes;
    later[4] = 2;
    EXPECT_EQ(ComponentStreamLength(later), std::nullopt);
    const TBytes longest = {'V', 'M', 'C', 'S', 1, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(ComponentStreamLength(longest), kComponentStreamHeaderSize + 0xFFFFFFFFull);
    EXPECT_FALSE(DecodeComponentStream(longest));
}

TEST(ControlComponentStream, ExtremeValuesRoundTrip) {
    TComponentProperties p;
    p.Tag = INT32_MIN;
    p.Left = INT32_MAX;
    p.Cursor = INT16_MIN;
    p.HelpKeyword = std::u16string(70000, u'\xFFFF');
    const TBytes bytes = EncodeComponentStream(p);
    EXPECT_EQ(ComponentStreamSize(p), bytes.size());
    EXPECT_EQ(DecodeComponentStream(bytes), p);
}

}  // namespace
}  // namespace vellumark
