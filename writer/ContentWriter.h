// TContentWriter: draws a page's placements into its content stream, in
// placement order, then the underlines of its text; collects the page's link
// annotations on the way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/Document.h"
#include "model/GraphicRes.h"
#include "model/PDFImageRes.h"
#include "model/TextRes.h"
#include "writer/Link.h"

namespace vellumark {

class TContentWriter {
public:
    // links has room for the page's annotations at 1..size-1 (entry 0 unused);
    // texts are laid out into `layout`, the writer's own storage. Text in the
    // fonts marked in wideFonts (by font number) is shown as two-byte glyph
    // ids, for a Type 0 font with Identity-H.
    TContentWriter(const TPDFDocument& doc, std::string& out, std::vector<TLink>& links, TTextLayout& layout,
                   const std::vector<bool>& wideFonts);

    // Draws obj, whose resource is `res` (nullptr: nothing to draw).
    void WritePlacement(const TPDFObj& obj, const TPDFResource* res);
    void WriteUnderlines();

private:
    void WriteImage(const TPDFObj& obj, const TPDFImageRes& image);
    void WriteText(const TPDFObj& obj, const TPDFTextRes& text);
    void AddLink(TLink link);

    const TPDFDocument& doc_;
    std::string& out_;  // the uncompressed content
    std::vector<TLink>& links_;
    TTextLayout& layout_;
    const std::vector<bool>& wideFonts_;
    int32_t linkCount_ = 0;
    std::vector<TUnderline> underlines_;
};

}  // namespace vellumark
