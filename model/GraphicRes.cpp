#include "model/GraphicRes.h"

#include <cmath>
#include <numbers>
#include <utility>

#include "base/ColorWriter.h"
#include "base/FormatReal.h"

namespace vellumark {

namespace {
// The curve constant of the four Bezier quarters.
constexpr double kCurve = 0.55516572;

void Point(std::string& out, double x, double y) {
    AppendReal(out, x);
    out += ' ';
    AppendReal(out, y);
}
}  // namespace

TPDFGraphicRes::TPDFGraphicRes() {
    SetFillColor(0xFFFFFF);
    SetLineColor(0);
}

void TPDFGraphicRes::PaintOperator() { content_ += fill_ ? "B\r" : "S\r"; }

void TPDFGraphicRes::DrawLine(double x1, double y1, double x2, double y2) {
    Point(content_, x1, y1);
    content_ += " m\r";
    Point(content_, x2, y2);
    content_ += " l\rS\r";
}

void TPDFGraphicRes::Rectangle(double x1, double y1, double x2, double y2) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    Point(content_, x1, y1);
    content_ += ' ';
    Point(content_, x2 - x1, y2 - y1);
    content_ += " re\r";
    PaintOperator();
}

void TPDFGraphicRes::Ellipse(double x, double y, double rx, double ry, double angleDegrees) {
    const double theta = angleDegrees * std::numbers::pi / 180;
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    const double k = kCurve;
    // Products held as doubles before they are added, as each term is used.
    const double rxc = rx * c, rxs = rx * s, ryc = ry * c, rys = ry * s;
    const double krxc = k * rx * c, krxs = k * rx * s, kryc = k * ry * c, krys = k * ry * s;

    auto curve = [this](double ax, double ay, double bx, double by, double ex, double ey) {
        Point(content_, ax, ay);
        content_ += ' ';
        Point(content_, bx, by);
        content_ += ' ';
        Point(content_, ex, ey);
        content_ += " c\r";
    };

    Point(content_, x + rxc, y + rxs);
    content_ += " m\r";
    curve(x + rxc - krys, y + rxs + kryc, x - rys + krxc, y + ryc + krxs, x - rys, y + ryc);
    curve(x - rys - krxc, y + ryc - krxs, x - rxc - krys, y - rxs + kryc, x - rxc, y - rxs);
    curve(x - rxc + krys, y - rxs - kryc, x + rys - krxc, y - ryc - krxs, x + rys, y - ryc);
    curve(x + rys + krxc, y - ryc + krxs, x + rxc + krys, y + rxs - kryc, x + rxc, y + rxs);
    PaintOperator();
}

void TPDFGraphicRes::SetLineWidth(int32_t width) {
    if (width < 0 || width == lineWidth_) return;
    lineWidth_ = width;
    AppendInt(content_, width);
    content_ += " w\r";
}

void TPDFGraphicRes::SetLineColor(uint32_t color) {
    lineColor_ = color;
    WriteStrokeColor(content_, color);
}

void TPDFGraphicRes::SetFillColor(uint32_t color) {
    fillColor_ = color;
    WriteFillColor(content_, color);
}

}  // namespace vellumark
