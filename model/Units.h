// Units of measure and the page-size table.
#pragma once

#include <cstdint>

namespace vellumark {

enum TUnitsMeas : uint8_t { umPoints = 0, umInches = 1, umCentimeters = 2, umMillimeters = 3 };

enum TPageSize : uint8_t {
    psCustom = 0,
    psA4_P, psA4_L, psLetter_P, psLetter_L, psA3_P, psA3_L, psA5_P, psA5_L,
    psTabloid_P, psTabloid_L, psLegal_P, psLegal_L, psStatement_P, psStatement_L,
    psExecutive_P, psExecutive_L
};

struct TPageDimensions {
    int32_t width;
    int32_t height;
};

// Width and height in points of the codes 1..16; false for any other code
// (an enumeration of one byte holds any byte the host stored).
bool PageSizeDimensions(TPageSize code, TPageDimensions& out) noexcept;

// Conversions between the host's unit and points. A unit outside 0..3 makes
// both return 0.
double ToPoints(TUnitsMeas units, double value) noexcept;
double FromPoints(TUnitsMeas units, double value) noexcept;

}  // namespace vellumark
