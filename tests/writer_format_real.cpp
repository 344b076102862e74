// FormatReal and the colour writers.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "base/ColorWriter.h"
#include "base/FormatReal.h"

using vellumark::FormatReal;

namespace {

// The obviously correct reference: printf's exact 15-digit rounding, then
// plain notation.
std::string Reference(double v) {
    if (!(std::fabs(v) >= 0.0001)) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    std::string s = buf;
    bool neg = s[0] == '-';
    if (neg) s.erase(0, 1);
    std::size_t epos = s.find('e');
    int exp10 = std::stoi(s.substr(epos + 1));
    std::string digits = s.substr(0, 1) + s.substr(2, epos - 2);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out;
    if (exp10 < 0) {
        out = "0." + std::string(static_cast<std::size_t>(-exp10 - 1), '0') + digits;
    } else if (static_cast<int>(digits.size()) <= exp10 + 1) {
        out = digits + std::string(static_cast<std::size_t>(exp10 + 1) - digits.size(), '0');
    } else {
        out = digits.substr(0, static_cast<std::size_t>(exp10 + 1)) + "." +
              digits.substr(static_cast<std::size_t>(exp10 + 1));
    }
    return neg ? "-" + out : out;
}

}  // namespace

TEST(WriterFormatReal, Examples) {
    EXPECT_EQ(FormatReal(0.5), "0.5");
    EXPECT_EQ(FormatReal(12.0), "12");
    EXPECT_EQ(FormatReal(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FormatReal(-0.5), "-0.5");
    EXPECT_EQ(FormatReal(0.00004), "0");
    EXPECT_EQ(FormatReal(-0.00009999), "0");
    EXPECT_EQ(FormatReal(0.0001), "0.0001");
    EXPECT_EQ(FormatReal(-0.0), "0");
    EXPECT_EQ(FormatReal(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatReal(595.0 / 72 * 25.4), "209.902777777778");
    EXPECT_EQ(FormatReal(100 + 50 * 0.55516572), "127.758286");
    EXPECT_EQ(FormatReal(123456789012345.0), "123456789012345");
    EXPECT_EQ(FormatReal(999999999999999.4), "999999999999999");
    EXPECT_EQ(FormatReal(1e15), "1000000000000000");
    EXPECT_EQ(FormatReal(1.5e20), "150000000000000000000");
    EXPECT_EQ(FormatReal(std::nan("")), "0");
    EXPECT_EQ(FormatReal(std::cos(M_PI / 2)), "0");
}

TEST(WriterFormatReal, MatchesExactRoundingOnManyValues) {
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> unit(0, 1);
    std::uniform_int_distribution<int> expo(-6, 16);
    int checked = 0;
    for (int i = 0; i < 300000; ++i) {
        double v;
        switch (i % 4) {
            case 0: v = unit(rng) * std::pow(10.0, expo(rng)); break;
            case 1: v = std::round(unit(rng) * 1e9) / 1e6; break;          // 6 decimals
            case 2: v = std::cos(unit(rng) * 7) * 500 + 0.5; break;
            default: v = static_cast<double>(rng() >> 11) * 0x1p-53 * 1e15; break;
        }
        if (i & 1) v = -v;
        ASSERT_EQ(FormatReal(v), Reference(v)) << std::hexfloat << v;
        ++checked;
    }
    // Halfway cases: values exactly representable with a 5 in the 16th digit.
    for (double v : {0.5000000000000005, 1.0000000000000025, 2.5, 1125899906842624.5,
                     0.12345678901234550, 1234567.89012345, 9.99999999999999949}) {
        EXPECT_EQ(FormatReal(v), Reference(v)) << std::hexfloat << v;
    }
    EXPECT_EQ(checked, 300000);
}

TEST(WriterFormatReal, MatchesExactRoundingAtTheEdges) {
    std::vector<double> values = {0.0001, std::nextafter(0.0001, 0.0), std::nextafter(0.0001, 1.0),
                                  0.00010000000000000049, 0.99999999999999994, 0.99999999999999950,
                                  0.9999999999999995, 9.999999999999995, 99.99999999999995,
                                  999999999999999.5, 999999999999999.9, std::nextafter(1e15, 0.0),
                                  123456789012345.5, 123456789012346.5, 0.1000000000000005,
                                  0.0001000000000000005, 1e-4 * 1.5, 4503599627370495.5};
    for (int k = -5; k <= 16; ++k) {
        const double p = std::pow(10.0, k);
        for (double f : {1.0, 1.5, 2.5, 1 - 1e-15, 1 + 1e-15, 1 - 5e-16, 1 + 5e-16, 1.000000000000005})
            values.push_back(p * f);
        values.push_back(std::nextafter(p, 0.0));
        values.push_back(std::nextafter(p, 1e300));
    }
    // A 5 in the 16th significant digit: exact halves where the binary value
    // allows, and values just either side of one.
    for (int e = -4; e <= 14; ++e) {
        const double scale = std::pow(10.0, e - 14);
        for (double digits : {100000000000000.5, 123456789012345.5, 999999999999999.5, 500000000000000.5}) {
            const double v = digits * scale;
            values.push_back(v);
            values.push_back(std::nextafter(v, 0.0));
            values.push_back(std::nextafter(v, 1e300));
        }
    }
    // Few decimals, the common case in drawing.
    std::mt19937_64 rng(777);
    for (int i = 0; i < 20000; ++i) {
        const double whole = static_cast<double>(rng() % 100000);
        values.push_back(whole + static_cast<double>(rng() % 100) / 100);
        values.push_back(whole / 1000 + static_cast<double>(rng() % 1000) / 1e7);
    }
    for (double v : values) {
        EXPECT_EQ(FormatReal(v), Reference(v)) << std::hexfloat << v;
        EXPECT_EQ(FormatReal(-v), Reference(-v)) << std::hexfloat << -v;
    }
}

TEST(WriterFormatReal, IgnoresTheProcessLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        EXPECT_EQ(FormatReal(2.5), "2.5");
        std::setlocale(LC_NUMERIC, saved.c_str());
    } else {
        GTEST_SKIP() << "no comma-decimal locale installed";
    }
}

TEST(WriterColor, ComponentsAndOperators) {
    std::string s;
    vellumark::WriteFillColor(s, 0);
    vellumark::WriteStrokeColor(s, 0xFFFFFF);
    vellumark::WriteFillColor(s, 0x00FF80);  // red 0x80, green 0xFF, blue 0
    EXPECT_EQ(s, "0 0 0 rg\r1 1 1 RG\r0.501960784313725 1 0 rg\r");
    for (int c = 0; c < 256; ++c) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", c / 255.0);
        EXPECT_EQ(vellumark::ColorComponentText(static_cast<uint8_t>(c)), buf) << c;
    }
}

TEST(WriterColor, SystemColourIndexesUseTheSameArithmetic) {
    std::string s;
    vellumark::WriteFillColor(s, 0x80000005);
    EXPECT_EQ(s, "0.0196078431372549 0 128.501960784314 rg\r");
}
