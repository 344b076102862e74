// TPDFGraphicRes: vector drawing in page coordinates (points), kept as a
// compact list of drawing operations with their numbers as given, and written
// out as PDF operator text (every operator line ends with CR) when the page
// contents are made. The text is the same as if each operation had been
// written out at the moment it was recorded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/FormatReal.h"
#include "model/Resource.h"

namespace vellumark {

class TPDFGraphicRes final : public TPDFResource {
public:
    TPDFGraphicRes();

    // Coordinates and lengths in points; the angle in degrees.
    void DrawLine(double x1, double y1, double x2, double y2);
    void Rectangle(double x1, double y1, double x2, double y2);
    void Ellipse(double x, double y, double rx, double ry, double angleDegrees);
    void Circle(double x, double y, double r);

    int32_t LineWidth() const noexcept { return lineWidth_; }
    void SetLineWidth(int32_t width);
    uint32_t LineColor() const noexcept { return lineColor_; }
    void SetLineColor(uint32_t color);
    uint32_t FillColor() const noexcept { return fillColor_; }
    void SetFillColor(uint32_t color);
    bool Fill() const noexcept { return fill_; }
    void SetFill(bool fill) noexcept { fill_ = fill; }

    // Appends the operator text to a byte sink with append(const char*,
    // size_t), a piece at a time.
    template <class Out>
    void WriteContent(Out& out) const {
        char piece[kPieceRoom];
        for (std::size_t at = 0; at < ops_.size();) {
            std::size_t size = 0;
            at = FormatOps(at, piece, size);
            out.append(piece, size);
        }
    }

    // The operator text as a whole.
    std::string Content() const;

private:
    // A piece of text ends once it has this many bytes ...
    static constexpr std::size_t kPieceBytes = 16 * 1024;
    // ... and one operation adds at most this many (an ellipse: 26 numbers).
    static constexpr std::size_t kMaxOperationText = 26 * (kMaxRealText + 1) + 64;
    static constexpr std::size_t kPieceRoom = kPieceBytes + kMaxOperationText;

    // Writes the text of the operations from byte `at` of ops_ on into
    // piece (kPieceRoom bytes), some kilobytes of it, and its length into
    // size; answers where the next operation starts.
    std::size_t FormatOps(std::size_t at, char* piece, std::size_t& size) const;

    void Record(uint8_t op, const double* values, std::size_t count);

    std::string ops_;  // operation codes, each followed by its numbers' bytes
    int32_t lineWidth_ = 1;
    uint32_t lineColor_ = 0;
    uint32_t fillColor_ = 0xFFFFFF;
    bool fill_ = true;
};

}  // namespace vellumark
