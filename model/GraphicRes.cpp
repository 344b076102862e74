#include "model/GraphicRes.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <string_view>
#include <utility>

#include "base/ColorWriter.h"
#include "base/FormatReal.h"

namespace vellumark {

namespace {
// The curve constant of the four Bezier quarters.
constexpr double kCurve = 0.55516572;

// Operation codes in ops_, each followed by its operands: doubles for the
// shapes, an int32 for a line width, a uint32 for a colour.
enum TOp : uint8_t {
    opLine,           // x1 y1 x2 y2
    opRectStroke,     // x y width height
    opRectFill,       //
    opEllipseStroke,  // x y rx ry angle (degrees)
    opEllipseFill,    //
    opCircleStroke,   // x y r
    opCircleFill,     //
    opLineWidth,      // int32
    opStrokeColor,    // uint32
    opFillColor,      // uint32
};

using TOut = TTextCursor;

void Text(TOut& out, std::string_view text) { out.append(text.data(), text.size()); }

void Point(TOut& out, double x, double y) {
    AppendReal(out, x);
    *out.At++ = ' ';
    AppendReal(out, y);
}

void PaintOperator(TOut& out, bool fill) { Text(out, fill ? "B\r" : "S\r"); }

void WriteEllipse(TOut& out, double x, double y, double rx, double ry, double angleDegrees) {
    const double theta = angleDegrees * std::numbers::pi / 180;
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    const double k = kCurve;
    // Products held as doubles before they are added, as each term is used.
    const double rxc = rx * c, rxs = rx * s, ryc = ry * c, rys = ry * s;
    const double krxc = k * rx * c, krxs = k * rx * s, kryc = k * ry * c, krys = k * ry * s;

    auto curve = [&out](double ax, double ay, double bx, double by, double ex, double ey) {
        Point(out, ax, ay);
        *out.At++ = ' ';
        Point(out, bx, by);
        *out.At++ = ' ';
        Point(out, ex, ey);
        Text(out, " c\r");
    };

    Point(out, x + rxc, y + rxs);
    Text(out, " m\r");
    curve(x + rxc - krys, y + rxs + kryc, x - rys + krxc, y + ryc + krxs, x - rys, y + ryc);
    curve(x - rys - krxc, y + ryc - krxs, x - rxc - krys, y - rxs + kryc, x - rxc, y - rxs);
    curve(x - rxc + krys, y - rxs - kryc, x + rys - krxc, y - ryc - krxs, x + rys, y - ryc);
    curve(x + rys + krxc, y - ryc + krxs, x + rxc + krys, y + rxs - kryc, x + rxc, y + rxs);
}

template <class T>
T Read(const std::string& ops, std::size_t& at) {
    T v;
    std::memcpy(&v, ops.data() + at, sizeof v);
    at += sizeof v;
    return v;
}

template <class T>
void Write(std::string& ops, uint8_t op, T value) {
    char bytes[1 + sizeof value];
    bytes[0] = static_cast<char>(op);
    std::memcpy(bytes + 1, &value, sizeof value);
    ops.append(bytes, sizeof bytes);
}
}  // namespace

TPDFGraphicRes::TPDFGraphicRes() {
    SetFillColor(0xFFFFFF);
    SetLineColor(0);
}

void TPDFGraphicRes::Record(uint8_t op, const double* values, std::size_t count) {
    char bytes[1 + 5 * sizeof(double)];
    bytes[0] = static_cast<char>(op);
    std::memcpy(bytes + 1, values, count * sizeof(double));
    ops_.append(bytes, 1 + count * sizeof(double));
}

void TPDFGraphicRes::DrawLine(double x1, double y1, double x2, double y2) {
    const double v[] = {x1, y1, x2, y2};
    Record(opLine, v, 4);
}

void TPDFGraphicRes::Rectangle(double x1, double y1, double x2, double y2) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    const double v[] = {x1, y1, x2 - x1, y2 - y1};
    Record(fill_ ? opRectFill : opRectStroke, v, 4);
}

void TPDFGraphicRes::Ellipse(double x, double y, double rx, double ry, double angleDegrees) {
    const double v[] = {x, y, rx, ry, angleDegrees};
    Record(fill_ ? opEllipseFill : opEllipseStroke, v, 5);
}

void TPDFGraphicRes::Circle(double x, double y, double r) {
    const double v[] = {x, y, r};
    Record(fill_ ? opCircleFill : opCircleStroke, v, 3);
}

void TPDFGraphicRes::SetLineWidth(int32_t width) {
    if (width < 0 || width == lineWidth_) return;
    lineWidth_ = width;
    Write(ops_, opLineWidth, width);
}

void TPDFGraphicRes::SetLineColor(uint32_t color) {
    lineColor_ = color;
    Write(ops_, opStrokeColor, color);
}

void TPDFGraphicRes::SetFillColor(uint32_t color) {
    fillColor_ = color;
    Write(ops_, opFillColor, color);
}

std::size_t TPDFGraphicRes::FormatOps(std::size_t at, char* piece, std::size_t& size) const {
    TOut out{piece};
    const char* const full = piece + kPieceBytes;
    double v[5];
    auto take = [&](std::size_t count) {
        std::memcpy(v, ops_.data() + at, count * sizeof(double));
        at += count * sizeof(double);
    };
    while (at < ops_.size() && out.At < full) {
        const auto op = static_cast<uint8_t>(ops_[at++]);
        switch (op) {
            case opLine:
                take(4);
                Point(out, v[0], v[1]);
                Text(out, " m\r");
                Point(out, v[2], v[3]);
                Text(out, " l\rS\r");
                break;
            case opRectStroke:
            case opRectFill:
                take(4);
                Point(out, v[0], v[1]);
                *out.At++ = ' ';
                Point(out, v[2], v[3]);
                Text(out, " re\r");
                PaintOperator(out, op == opRectFill);
                break;
            case opEllipseStroke:
            case opEllipseFill:
                take(5);
                WriteEllipse(out, v[0], v[1], v[2], v[3], v[4]);
                PaintOperator(out, op == opEllipseFill);
                break;
            case opCircleStroke:
            case opCircleFill:
                take(3);
                WriteEllipse(out, v[0], v[1], v[2], v[2], 0);
                PaintOperator(out, op == opCircleFill);
                break;
            case opLineWidth:
                AppendInt(out, Read<int32_t>(ops_, at));
                Text(out, " w\r");
                break;
            case opStrokeColor: WriteStrokeColor(out, Read<uint32_t>(ops_, at)); break;
            default: WriteFillColor(out, Read<uint32_t>(ops_, at)); break;
        }
    }
    size = static_cast<std::size_t>(out.At - piece);
    return at;
}

std::string TPDFGraphicRes::Content() const {
    std::string text;
    WriteContent(text);
    return text;
}

}  // namespace vellumark
