#include "writer/ContentWriter.h"

#include <cmath>
#include <numbers>
#include <string_view>

#include "base/ColorWriter.h"
#include "base/FormatReal.h"
#include "base/TextCodec.h"
#include "model/TextLayout.h"
#include "writer/PDFString.h"

namespace vellumark {

namespace {

int32_t Trunc(double v) {
    double t = std::trunc(v);
    if (!(t > -2147483648.0)) return INT32_MIN;  // also NaN
    if (t > 2147483647.0) return INT32_MAX;
    return static_cast<int32_t>(t);
}

// The numbers separated by spaces, made in place and appended at once.
template <class Out, class... TReal>
void AppendReals(Out& out, TReal... values) {
    char text[sizeof...(values) * (kMaxRealText + 1)];
    TTextCursor cursor{text};
    bool first = true;
    auto one = [&](double v) {
        if (!first) *cursor.At++ = ' ';
        AppendReal(cursor, v);
        first = false;
    };
    (one(values), ...);
    out.append(text, static_cast<std::size_t>(cursor.At - text));
}

// The rotation about the origin that turns a placement counterclockwise.
template <class Out>
void WriteRotation(Out& out, double c, double s) {
    AppendReals(out, c, s, -s, c);
    AppendText(out, " 0 0 cm\r");
}

}  // namespace

TContentWriter::TContentWriter(const TPDFDocument& doc, std::string& out, std::vector<TLink>& links,
                               TTextLayout& layout, const std::vector<bool>& wideFonts)
    : doc_(doc), out_(out), links_(links), layout_(layout), wideFonts_(wideFonts) {}

void TContentWriter::AddLink(TLink link) {
    // The table has exactly the room the numbering pass counted; a surplus
    // link has no annotation object to go to and is dropped.
    if (linkCount_ + 1 >= static_cast<int32_t>(links_.size())) return;
    links_[static_cast<std::size_t>(++linkCount_)] = std::move(link);
}

void TContentWriter::WritePlacement(const TPDFObj& obj, const TPDFResource* res) {
    if (!res) return;
    switch (obj.Kind) {
        case okGraphic:
            if (auto* g = dynamic_cast<const TPDFGraphicRes*>(res)) g->WriteContent(out_);
            break;
        case okImage:
            if (auto* image = dynamic_cast<const TPDFImageRes*>(res)) WriteImage(obj, *image);
            break;
        default:
            if (auto* text = dynamic_cast<const TPDFTextRes*>(res)) WriteText(obj, *text);
            break;
    }
}

void TContentWriter::WriteImage(const TPDFObj& obj, const TPDFImageRes& image) {
    const double w = image.Width * 72.0 * obj.Scale / (image.XResolution * 100.0);
    const double h = image.Height * 72.0 * obj.Scale / (image.YResolution * 100.0);
    double e = obj.X;
    double f = obj.Y - h;
    AppendText(out_, "q\rq\r");
    if (obj.Angle != 0) {
        const double c = std::cos(obj.Angle), s = std::sin(obj.Angle);
        WriteRotation(out_, c, s);
        e = obj.X * c + obj.Y * s;
        f = obj.Y * c - obj.X * s - h;
    }
    AppendReals(out_, w);
    AppendText(out_, " 0 0 ");
    AppendReals(out_, h, e, f);
    AppendText(out_, " cm\r/Im");
    AppendInt(out_, obj.Resource);
    AppendText(out_, " Do\r\rQ\rQ\r");
    if (!obj.Link.empty() && obj.Angle == 0) {
        TLink link;
        link.URI = obj.Link;
        link.Border = obj.LinkBorder;
        link.Left = Trunc(obj.X + 0.5);
        link.Top = Trunc(obj.Y + 0.5);
        link.Width = Trunc(w + 0.5);
        link.Bottom = Trunc(f + 0.5);
        AddLink(std::move(link));
    }
}

void TContentWriter::WriteText(const TPDFObj& obj, const TPDFTextRes& text) {
    AppendText(out_, "q\rq\rBT\r");
    double e = obj.X;
    double f = obj.Y;
    const bool turned = obj.Angle != 0;
    if (turned) {
        const double c = std::cos(obj.Angle), s = std::sin(obj.Angle);
        WriteRotation(out_, c, s);
        e = obj.X * c + obj.Y * s;
        f = obj.Y * c - obj.X * s;
    }
    LayoutText(text, doc_.Fonts(), obj.Scale, layout_);
    const std::vector<TTextRun>& runs = layout_.Runs;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const TTextRun& run = runs[r];
        const TTextLine& line = text.LineOf(run);
        if (r == 0 || line.FontNumber != text.LineOf(runs[r - 1]).FontNumber) {
            if (line.FontNumber > kStandardFontCount) {
                AppendText(out_, "/TT");
                AppendInt(out_, line.FontNumber - kStandardFontCount);
            } else {
                AppendText(out_, "/SF");
                AppendInt(out_, line.FontNumber);
            }
            AppendText(out_, " 1 Tf\r");
        }
        const double size = obj.Scale * line.Size / 100;
        const double kx = std::tan(line.SkewX * std::numbers::pi / 180) * size;
        const double ky = std::tan(line.SkewY * std::numbers::pi / 180) * size;
        WriteFillColor(out_, line.Color);
        double align = 0;
        if (text.Align == taCenter)
            align = -run.VisualLineWidth / 2;
        else if (text.Align == taRight)
            align = -run.VisualLineWidth;
        const double x = e + run.XOffset + align;
        const double baseline = f - run.BaselineOffset;
        if (!line.Link.empty() && !turned) {
            TLink link;
            link.URI = line.Link;
            link.Border = line.LinkBorder;
            link.Left = Trunc(x + 0.5);
            link.Width = Trunc(run.RunWidth + 0.5);
            link.Top = Trunc(baseline + size + 0.5);
            link.Bottom = Trunc(baseline - 0.25 * size + 0.5);
            AddLink(std::move(link));
        }
        AppendReals(out_, size, kx, ky, size, x, baseline);
        AppendText(out_, " Tm\r");
        if (line.Underline && !turned)
            underlines_.push_back({x, baseline - 0.15 * size, run.RunWidth, 0.05 * size, line.Color});
        const auto fontNumber = static_cast<std::size_t>(line.FontNumber);
        const TPDFFontRes* font = line.FontNumber > kStandardFontCount && fontNumber < wideFonts_.size() &&
                                          wideFonts_[fontNumber]
                                      ? doc_.Fonts().Get(line.FontNumber - kStandardFontCount)
                                      : nullptr;
        if (font) {
            // Glyph ids, two bytes each; the second unit of a pair adds none.
            static const char* const hex = "0123456789ABCDEF";
            auto glyph = [&](uint32_t codePoint) {
                const uint16_t g = font->Reader.GlyphOf(codePoint);
                const char digits[4] = {hex[g >> 12], hex[(g >> 8) & 15], hex[(g >> 4) & 15], hex[g & 15]};
                out_.append(digits, 4);
            };
            AppendText(out_, "<");
            if (run.Joined || line.IsWide) {
                const std::u16string_view wide =
                    run.Joined ? std::u16string_view(layout_.JoinedWideTexts[run.Start])
                               : std::u16string_view(line.Wide).substr(run.Start, run.Length);
                for (std::size_t i = 0; i < wide.size(); ++i) {
                    const TWideChar ch = WideCharAt(wide, i);
                    if (ch.Starts) glyph(ch.CodePoint);
                }
            } else {
                // Code page text: every byte is one character of the BMP.
                for (const char c : layout_.TextOf(text, run)) glyph(FromAnsiChar(static_cast<unsigned char>(c)));
            }
            AppendText(out_, ">Tj\r");
        } else {
            AppendText(out_, "(");
            AppendEscaped(out_, layout_.TextOf(text, run));
            AppendText(out_, ")Tj\r");
        }
    }
    AppendText(out_, "ET\rQ\rQ\r");
}

void TContentWriter::WriteUnderlines() {
    for (std::size_t i = 0; i < underlines_.size(); ++i) {
        const TUnderline& u = underlines_[i];
        if (i == 0 || u.Color != underlines_[i - 1].Color) {
            WriteFillColor(out_, u.Color);
            WriteStrokeColor(out_, u.Color);
        }
        AppendReals(out_, u.X, u.Y, u.Width, u.Height);
        AppendText(out_, " re\rB\r");
    }
}

}  // namespace vellumark
