// Argument coercion and value text of the automation layer.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "control/Convert.h"

namespace vellumark {
namespace {

using P = TParamType;

// The HRESULT a coercion raises, or S_OK.
HRESULT CoerceFailure(const TVariant& v, P type) {
    try {
        CoerceArgument(v, type);
        return hr::kOk;
    } catch (const ECoerceError& e) {
        return e.HResult();
    }
}

int32_t AsLong(const TVariant& v, P type = P::Long) {
    TVariant r = CoerceArgument(v, type);
    EXPECT_EQ(r.vt, TVarType::I4);
    return r.lVal;
}

TVariant Str(const char16_t* s) { return TVariant::String(s); }

std::string Ascii(std::u16string_view s) { return std::string(s.begin(), s.end()); }

TEST(ControlConvert, RealsRoundHalfToEven) {
    EXPECT_EQ(AsLong(TVariant::Double(2.5)), 2);
    EXPECT_EQ(AsLong(TVariant::Double(3.5)), 4);
    EXPECT_EQ(AsLong(TVariant::Double(-2.5)), -2);
    EXPECT_EQ(AsLong(TVariant::Double(-3.5)), -4);
    EXPECT_EQ(AsLong(TVariant::Double(0.5)), 0);
    EXPECT_EQ(AsLong(TVariant::Double(2.4999)), 2);
    EXPECT_EQ(AsLong(TVariant::Double(2.5001)), 3);
    EXPECT_EQ(AsLong(TVariant::Double(-0.7)), -1);
    EXPECT_EQ(AsLong(Str(u"2.5")), 2);
    EXPECT_EQ(AsLong(Str(u"3.5")), 4);
}

TEST(ControlConvert, LongFromOtherTypes) {
    EXPECT_EQ(AsLong(Str(u"12")), 12);
    EXPECT_EQ(AsLong(Str(u"  -12 ")), -12);
    EXPECT_EQ(AsLong(Str(u"+7")), 7);
    EXPECT_EQ(AsLong(Str(u"1,234")), 1234);  // thousands separator
    EXPECT_EQ(AsLong(Str(u"1.5E2")), 150);
    EXPECT_EQ(AsLong(Str(u"&HFF")), 255);
    EXPECT_EQ(AsLong(Str(u"&hFFFFFFFF")), -1);
    EXPECT_EQ(AsLong(Str(u"&O17")), 15);
    EXPECT_EQ(AsLong(TVariant::Bool(true)), -1);
    EXPECT_EQ(AsLong(TVariant::Bool(false)), 0);
    EXPECT_EQ(AsLong(TVariant{}), 0);
    EXPECT_EQ(AsLong(TVariant::Double(2147483647.0)), 2147483647);
    EXPECT_EQ(AsLong(TVariant::Double(-2147483648.5)), std::numeric_limits<int32_t>::min());
}

TEST(ControlConvert, LongFailures) {
    for (const char16_t* s : {u"abc", u"", u"   ", u"12abc", u"1e", u"1.2.3", u"&H", u"&HG1", u"--1", u",5"})
        EXPECT_EQ(CoerceFailure(Str(s), P::Long), hr::kTypeMismatch) << Ascii(s);
    EXPECT_EQ(CoerceFailure(TVariant::NullValue(), P::Long), hr::kTypeMismatch);
    EXPECT_EQ(CoerceFailure(TVariant::Bytes({1, 2}), P::Long), hr::kTypeMismatch);

    EXPECT_EQ(CoerceFailure(TVariant::Double(3e10), P::Long), hr::kOverflow);
    EXPECT_EQ(CoerceFailure(TVariant::Double(-3e10), P::Long), hr::kOverflow);
    EXPECT_EQ(CoerceFailure(TVariant::Double(2147483647.5), P::Long), hr::kOverflow);
    EXPECT_EQ(CoerceFailure(TVariant::Double(std::nan("")), P::Long), hr::kOverflow);
    EXPECT_EQ(CoerceFailure(Str(u"3000000000"), P::Long), hr::kOverflow);
    EXPECT_EQ(CoerceFailure(Str(u"&H100000000"), P::Long), hr::kOverflow);

    try {
        CoerceArgument(Str(u"abc"), P::Long);
        ADD_FAILURE();
    } catch (const ECoerceError& e) {
        EXPECT_STREQ(e.what(), "Type mismatch");
    }
    try {
        CoerceArgument(TVariant::Double(3e10), P::Long);
        ADD_FAILURE();
    } catch (const ECoerceError& e) {
        EXPECT_STREQ(e.what(), "Overflow");
    }
}

TEST(ControlConvert, Doubles) {
    auto d = [](const TVariant& v) {
        TVariant r = CoerceArgument(v, P::Double);
        EXPECT_EQ(r.vt, TVarType::R8);
        return r.dblVal;
    };
    EXPECT_EQ(d(TVariant::Double(0.1)), 0.1);
    EXPECT_EQ(d(TVariant::Long(-7)), -7.0);
    EXPECT_EQ(d(TVariant::Bool(true)), -1.0);
    EXPECT_EQ(d(TVariant{}), 0.0);
    EXPECT_EQ(d(Str(u" -0.25 ")), -0.25);
    EXPECT_EQ(d(Str(u"1.5e3")), 1500.0);
    EXPECT_EQ(d(Str(u".5")), 0.5);
    EXPECT_EQ(d(Str(u"1,000.5")), 1000.5);
    EXPECT_EQ(d(Str(u"209.90277777777777")), 209.90277777777777);
    EXPECT_EQ(CoerceFailure(Str(u"1e400"), P::Double), hr::kOverflow);
    EXPECT_EQ(CoerceFailure(Str(u"-0.001e312"), P::Double), hr::kOverflow);
    EXPECT_EQ(d(Str(u"123e-400")), 0.0);
    EXPECT_EQ(d(Str(u"0.000000000000000000001e-340")), 0.0);
    EXPECT_EQ(CoerceFailure(Str(u"0,5x"), P::Double), hr::kTypeMismatch);
    EXPECT_EQ(CoerceFailure(TVariant::NullValue(), P::Double), hr::kTypeMismatch);
}

TEST(ControlConvert, Booleans) {
    auto b = [](const TVariant& v) {
        TVariant r = CoerceArgument(v, P::Bool);
        EXPECT_EQ(r.vt, TVarType::Bool);
        return r.boolVal;
    };
    EXPECT_TRUE(b(TVariant::Long(1)));
    EXPECT_TRUE(b(TVariant::Long(-1)));
    EXPECT_FALSE(b(TVariant::Long(0)));
    EXPECT_TRUE(b(TVariant::Double(0.1)));
    EXPECT_FALSE(b(TVariant{}));
    EXPECT_TRUE(b(Str(u"True")));
    EXPECT_TRUE(b(Str(u" tRUE ")));
    EXPECT_FALSE(b(Str(u"FALSE")));
    EXPECT_FALSE(b(Str(u"0")));
    EXPECT_TRUE(b(Str(u"-1")));
    EXPECT_EQ(CoerceFailure(Str(u"yes"), P::Bool), hr::kTypeMismatch);
    EXPECT_EQ(CoerceFailure(TVariant::NullValue(), P::Bool), hr::kTypeMismatch);
}

TEST(ControlConvert, ColoursAcceptUnsigned32Bits) {
    EXPECT_EQ(AsLong(TVariant::Double(4294967295.0), P::Color), -1);
    EXPECT_EQ(AsLong(TVariant::Long(-1), P::Color), -1);
    EXPECT_EQ(AsLong(TVariant::Long(0xFF0000), P::Color), 0xFF0000);
    EXPECT_EQ(AsLong(Str(u"&HFF0000"), P::Color), 0xFF0000);
    EXPECT_EQ(AsLong(Str(u"16777215"), P::Color), 0xFFFFFF);
    EXPECT_EQ(CoerceFailure(TVariant::Double(4294967296.0), P::Color), hr::kOverflow);
    EXPECT_EQ(CoerceFailure(TVariant::Double(4294967295.0), P::Long), hr::kOverflow);
}

TEST(ControlConvert, EnumerationsKeepTheLowByte) {
    for (P type : {P::CompressFormat, P::PageSize, P::UnitsMeas, P::TextAlign}) {
        EXPECT_EQ(AsLong(TVariant::Long(257), type), 1);
        EXPECT_EQ(AsLong(TVariant::Long(256), type), 0);
        EXPECT_EQ(AsLong(TVariant::Long(-1), type), 255);
        EXPECT_EQ(AsLong(TVariant::Double(2.5), type), 2);
        EXPECT_EQ(CoerceFailure(TVariant::Double(3e10), type), hr::kOverflow);
    }
}

TEST(ControlConvert, StringsAndVariants) {
    auto s = [](const TVariant& v) {
        TVariant r = CoerceArgument(v, P::BStr);
        EXPECT_EQ(r.vt, TVarType::BStr);
        return r.bstrVal;
    };
    EXPECT_EQ(s(Str(u" as is ")), u" as is ");
    EXPECT_EQ(s(TVariant::Long(-12)), u"-12");
    EXPECT_EQ(s(TVariant::Double(0.5)), u"0.5");
    EXPECT_EQ(s(TVariant::Bool(true)), u"True");
    EXPECT_EQ(s(TVariant{}), u"");
    EXPECT_EQ(s(TVariant::NullValue()), u"");
    EXPECT_EQ(CoerceFailure(TVariant::Bytes({1}), P::BStr), hr::kTypeMismatch);

    TVariant bytes = TVariant::Bytes({1, 2, 3});
    TVariant passed = CoerceArgument(bytes, P::Variant);
    EXPECT_EQ(passed.vt, TVarType::ByteArray);
    EXPECT_EQ(passed.bytes, bytes.bytes);
    EXPECT_EQ(CoerceArgument(TVariant::NullValue(), P::Variant).vt, TVarType::Null);
}

TEST(ControlConvert, TextOfDoubles) {
    struct {
        double value;
        const char16_t* text;
    } cases[] = {
        {0.5, u"0.5"},
        {595.0, u"595"},
        {209.90277777777777, u"209.902777777778"},
        {-0.25, u"-0.25"},
        {1.0 / 3, u"0.333333333333333"},
        {0.0, u"0"},
        {-0.0, u"0"},
        {0.0001, u"0.0001"},
        {0.00001, u"1E-05"},
        {1.5e-7, u"1.5E-07"},
        {123456789012345.0, u"123456789012345"},
        {1e15, u"1E+15"},
        {1e20, u"1E+20"},
        {-2.5e100, u"-2.5E+100"},
    };
    for (const auto& c : cases) EXPECT_EQ(VariantText(TVariant::Double(c.value)), c.text) << c.value;
}

TEST(ControlConvert, TextOfOtherValues) {
    EXPECT_EQ(VariantText(TVariant::Long(0)), u"0");
    EXPECT_EQ(VariantText(TVariant::Long(-2147483647 - 1)), u"-2147483648");
    EXPECT_EQ(VariantText(TVariant::Bool(true)), u"True");
    EXPECT_EQ(VariantText(TVariant::Bool(false)), u"False");
    EXPECT_EQ(VariantText(Str(u"text")), u"text");
    EXPECT_EQ(VariantText(TVariant{}), u"");
    EXPECT_EQ(VariantText(TVariant::NullValue()), u"Null");
}

}  // namespace
}  // namespace vellumark
