// TPDFGraphicRes: vector drawing recorded at once as PDF operator text in
// page coordinates (points). Every operator line ends with CR.
#pragma once

#include <cstdint>
#include <string>

#include "model/Resource.h"

namespace vellumark {

class TPDFGraphicRes : public TPDFResource {
public:
    TPDFGraphicRes();

    // Coordinates and lengths in points; the angle in degrees.
    void DrawLine(double x1, double y1, double x2, double y2);
    void Rectangle(double x1, double y1, double x2, double y2);
    void Ellipse(double x, double y, double rx, double ry, double angleDegrees);
    void Circle(double x, double y, double r) { Ellipse(x, y, r, r, 0); }

    int32_t LineWidth() const noexcept { return lineWidth_; }
    void SetLineWidth(int32_t width);
    uint32_t LineColor() const noexcept { return lineColor_; }
    void SetLineColor(uint32_t color);
    uint32_t FillColor() const noexcept { return fillColor_; }
    void SetFillColor(uint32_t color);
    bool Fill() const noexcept { return fill_; }
    void SetFill(bool fill) noexcept { fill_ = fill; }

    // The recorded operators.
    const std::string& Content() const noexcept { return content_; }

private:
    void PaintOperator();

    std::string content_;
    int32_t lineWidth_ = 1;
    uint32_t lineColor_ = 0;
    uint32_t fillColor_ = 0xFFFFFF;
    bool fill_ = true;
};

}  // namespace vellumark
