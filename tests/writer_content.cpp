// Page content streams: image and text placements, links and underlines.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "engine/Vellumark.h"
#include "writer/DocumentWriter.h"

using namespace vellumark;
using namespace vellumark::test;

namespace {

std::string Build(TVellumark& e) {
    TOutputBuffer out;
    WriteDocument(e, out, 0);
    return out.ToString();
}

// The uncompressed content of the first page.
std::string FirstPageContent(TVellumark& e) { return Inflate(StreamData(Build(e), 4)); }

std::unique_ptr<TPDFImageRes> Image(uint32_t w, uint32_t h, uint32_t dpi) {
    auto img = std::make_unique<TPDFImageRes>();
    img->Width = w;
    img->Height = h;
    img->XResolution = img->YResolution = dpi;
    img->Compression = cfNone;
    img->BitsPerComponent = 8;
    img->ImageStream = std::string(static_cast<std::size_t>(w) * h * 3, '\0');
    return img;
}

TTextLine MakeRun(const std::string& text, int32_t font, uint32_t size) {
    TTextLine r;
    r.Text = text;
    r.FontNumber = font;
    r.Size = size;
    return r;
}

}  // namespace

TEST(WriterContent, ImagePlacementMatrix) {
    TVellumark e;
    e.AddPage(0);
    e.AddResource(Image(300, 150, 150));
    e.ApplyResource(1, 1);
    e.Locate(1, 1, 72, 720);
    EXPECT_EQ(FirstPageContent(e), "q\rq\r144 0 0 72 72 648 cm\r/Im1 Do\r\rQ\rQ\r");
}

TEST(WriterContent, RotatedImage) {
    TVellumark e;
    e.AddPage(0);
    e.AddResource(Image(300, 150, 150));
    e.ApplyResource(1, 1);
    e.Locate(1, 1, 72, 720);
    e.Rotate(1, 1, 90);
    EXPECT_EQ(FirstPageContent(e), "q\rq\r0 1 -1 0 0 0 cm\r144 0 0 72 720 -144 cm\r/Im1 Do\r\rQ\rQ\r");
}

TEST(WriterContent, ScaledImage) {
    TVellumark e;
    e.AddPage(0);
    e.AddResource(Image(100, 100, 72));
    e.ApplyResource(1, 1);
    e.ScaleObject(1, 1, 50);
    EXPECT_EQ(FirstPageContent(e), "q\rq\r50 0 0 50 0 792 cm\r/Im1 Do\r\rQ\rQ\r");
}

TEST(WriterContent, GraphicsAreCopiedAsRecorded) {
    TVellumark e;
    e.AddPage(0);
    e.CreateGraphic();
    e.SetLineWidth(4);
    e.DrawLine(0, 0, 10, 10);
    e.CreateGraphic();
    e.Circle(50, 50, 10);
    e.ApplyResource(1, 2);
    e.ApplyResource(1, 1);
    e.Locate(1, 2, 300, 300);  // no effect on graphics
    e.Rotate(1, 2, 45);
    const auto* g1 = dynamic_cast<TPDFGraphicRes*>(e.Resource(1));
    const auto* g2 = dynamic_cast<TPDFGraphicRes*>(e.Resource(2));
    EXPECT_EQ(FirstPageContent(e), g2->Content() + g1->Content());
}

TEST(WriterContent, TextRunsFontsColoursAndEscapes) {
    TVellumark e;
    e.AddPage(0);
    e.CreateText();
    auto* t = e.CurrentTextRes();
    TTextLine a = MakeRun("a(b)\\c", 5, 10);
    a.BaselineOffset = 10;
    TTextLine b = MakeRun("", 5, 10);
    b.BaselineOffset = 21.5;
    b.Color = 0x0000FF;
    TTextLine c = MakeRun("x", 9, 10);
    c.BaselineOffset = 33;
    c.SkewX = 45;
    t->Runs = {a, b, c};
    e.ApplyResource(1, 1);
    e.Locate(1, 1, 72, 720);
    e.ScaleObject(1, 1, 200);
    EXPECT_EQ(FirstPageContent(e),
              "q\rq\rBT\r"
              "/SF5 1 Tf\r0 0 0 rg\r20 0 0 20 72 710 Tm\r(a\\(b\\)\\\\c)Tj\r"
              "1 0 0 rg\r20 0 0 20 72 698.5 Tm\r()Tj\r"
              "/SF9 1 Tf\r0 0 0 rg\r20 20 0 20 72 687 Tm\r(x)Tj\r"
              "ET\rQ\rQ\r");
}

TEST(WriterContent, AlignmentUnderlinesAndLinks) {
    TVellumark e;
    e.AddPage(0);
    e.CreateText();
    auto* t = e.CurrentTextRes();
    t->Align = taCenter;
    t->LinkCount = 1;
    TTextLine a = MakeRun("Go", 15, 10);
    a.BaselineOffset = 10;
    a.RunWidth = 12.3;
    a.VisualLineWidth = 40;
    a.Underline = true;
    a.Link = "http://x";
    TTextLine b = MakeRun("on", 15, 10);
    b.Continues = true;
    b.BaselineOffset = 10;
    b.XOffset = 12.3;
    b.RunWidth = 27.7;
    b.VisualLineWidth = 40;
    b.Underline = true;
    t->Runs = {a, b};
    e.ApplyResource(1, 1);
    e.Locate(1, 1, 100, 500);
    TOutputBuffer out;
    WriteDocument(e, out, 0);
    const std::string pdf = out.ToString();
    EXPECT_EQ(Inflate(StreamData(pdf, 4)),
              "q\rq\rBT\r"
              "/TT1 1 Tf\r0 0 0 rg\r10 0 0 10 80 490 Tm\r(Go)Tj\r"
              "0 0 0 rg\r10 0 0 10 92.3 490 Tm\r(on)Tj\r"
              "ET\rQ\rQ\r"
              "0 0 0 rg\r0 0 0 RG\r80 488.5 12.3 0.5 re\rB\r92.3 488.5 27.7 0.5 re\rB\r");
    // left 80, width 12, top 490 + 10, bottom 490 - 2.5 rounded.
    EXPECT_NE(pdf.find("/Rect [ 80 488 92 500 ] "), std::string::npos);
}

TEST(WriterContent, RotatedTextHasNoLinksOrUnderlines) {
    TVellumark e;
    e.AddPage(0);
    e.CreateText();
    auto* t = e.CurrentTextRes();
    t->LinkCount = 1;
    TTextLine a = MakeRun("Go", 15, 10);
    a.Underline = true;
    a.Link = "http://x";
    a.RunWidth = 10;
    t->Runs = {a};
    e.ApplyResource(1, 1);
    e.Rotate(1, 1, 90);
    TOutputBuffer out;
    WriteDocument(e, out, 0);
    const std::string pdf = out.ToString();
    const std::string content = Inflate(StreamData(pdf, 4));
    EXPECT_EQ(content.find(" re\r"), std::string::npos);
    EXPECT_EQ(content.substr(0, 23), "q\rq\rBT\r0 1 -1 0 0 0 cm\r");
    EXPECT_EQ(pdf.find("/Annots"), std::string::npos);
}

TEST(WriterContent, SurplusLinksAreDroppedNotWrittenPastTheTable) {
    TVellumark e;
    e.AddPage(0);
    e.CreateText();
    auto* t = e.CurrentTextRes();
    t->LinkCount = 1;  // fewer than the linked runs below
    TTextLine a = MakeRun("a", 15, 10);
    a.Link = "http://1";
    TTextLine b = a;
    b.Link = "http://2";
    t->Runs = {a, b};
    e.ApplyResource(1, 1);
    TOutputBuffer out;
    WriteDocument(e, out, 0);
    const std::string pdf = out.ToString();
    EXPECT_NE(pdf.find("/URI (http://1)"), std::string::npos);
    EXPECT_EQ(pdf.find("/URI (http://2)"), std::string::npos);
}
