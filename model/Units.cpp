#include "model/Units.h"

namespace vellumark {

namespace {
constexpr TPageDimensions kPageSizes[17] = {
    {0, 0},       {595, 842},  {842, 595},  {612, 792},  {792, 612},  {842, 1191},
    {1191, 842},  {421, 595},  {595, 421},  {792, 1224}, {1224, 792}, {612, 1008},
    {1008, 612},  {396, 612},  {612, 396},  {522, 756},  {756, 522},
};
}  // namespace

bool PageSizeDimensions(TPageSize code, TPageDimensions& out) noexcept {
    if (code < 1 || code > 16) return false;
    out = kPageSizes[code];
    return true;
}

double ToPoints(TUnitsMeas units, double value) noexcept {
    switch (units) {
        case umPoints: return value;
        case umInches: return value * 72;
        case umCentimeters: return value * 72 / 2.54;
        case umMillimeters: return value * 72 / 25.4;
        default: return 0;
    }
}

double FromPoints(TUnitsMeas units, double value) noexcept {
    switch (units) {
        case umPoints: return value;
        case umInches: return value / 72;
        case umCentimeters: return value / 72 * 2.54;
        case umMillimeters: return value / 72 * 25.4;
        default: return 0;
    }
}

}  // namespace vellumark
