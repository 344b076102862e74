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

namespace {

// An added font whose characters are all 600 thousandths wide.
void AddTestFont(TVellumark& e) {
    auto f = std::make_unique<TPDFFontRes>();
    f->Widths.fill(600);
    e.AddFontResource(std::move(f));
}

}  // namespace

TEST(WriterContent, TextRunsFontsColoursAndEscapes) {
    TVellumark e;
    e.AddPage(0);
    e.CreateText();
    e.WriteText(u"a(b)\\c");
    e.SetTextColor(0x0000FF);
    e.WriteText(u"");
    e.SetTextFont(9);
    e.SetTextColor(0);
    e.SetTextSkewX(45);
    e.WriteText(u"x");
    e.ApplyResource(1, 1);
    e.Locate(1, 1, 72, 720);
    e.ScaleObject(1, 1, 200);
    TOutputBuffer out;
    WriteDocument(e, out, 0);
    const std::string pdf = out.ToString();
    // Baselines come from the unscaled sizes: 10, 21.5, 33 below the top.
    EXPECT_EQ(Inflate(StreamData(pdf, 4)),
              "q\rq\rBT\r"
              "/SF5 1 Tf\r0 0 0 rg\r20 0 0 20 72 710 Tm\r(a\\(b\\)\\\\c)Tj\r"
              "1 0 0 rg\r20 0 0 20 72 698.5 Tm\r()Tj\r"
              "/SF9 1 Tf\r0 0 0 rg\r20 20 0 20 72 687 Tm\r(x)Tj\r"
              "ET\rQ\rQ\r");
    EXPECT_NE(pdf.find("/Font <<\r/SF5 6 0 R \r/SF9 7 0 R \r>>\r"), std::string::npos);
    EXPECT_NE(pdf.find("6 0 obj\r<< /Type /Font\r/Subtype /Type1\r/Name /SF5\r/BaseFont /Helvetica\r"
                       "/Encoding /WinAnsiEncoding\r>>\rendobj\r"),
              std::string::npos);
    EXPECT_NE(pdf.find("/BaseFont /Times-Roman\r"), std::string::npos);
}

TEST(WriterContent, AlignmentUnderlinesAndLinks) {
    TVellumark e;
    AddTestFont(e);
    e.AddPage(0);
    e.CreateText();
    e.SetTextFont(15);
    e.SetTextAlign(taCenter);
    e.SetTextUnderline(true);
    e.LinkStandardFormat = false;
    e.WriteLink(u"Go", u"http://x");
    e.AppendText = true;
    e.WriteText(u"on");
    e.ApplyResource(1, 1);
    e.Locate(1, 1, 100, 500);
    TOutputBuffer out;
    WriteDocument(e, out, 0);
    const std::string pdf = out.ToString();
    // Two runs of 12 points on one visual line of 24, centred on x = 100.
    EXPECT_EQ(Inflate(StreamData(pdf, 4)),
              "q\rq\rBT\r"
              "/TT1 1 Tf\r0 0 0 rg\r10 0 0 10 88 490 Tm\r(Go)Tj\r"
              "0 0 0 rg\r10 0 0 10 100 490 Tm\r(on)Tj\r"
              "ET\rQ\rQ\r"
              "0 0 0 rg\r0 0 0 RG\r88 488.5 12 0.5 re\rB\r100 488.5 12 0.5 re\rB\r");
    // left 88, width 12, top 490 + 10, bottom 490 - 2.5 rounded.
    EXPECT_NE(pdf.find("/Rect [ 88 488 100 500 ] "), std::string::npos);
}

TEST(WriterContent, RotatedTextHasNoLinksOrUnderlines) {
    TVellumark e;
    AddTestFont(e);
    e.AddPage(0);
    e.CreateText();
    e.SetTextFont(15);
    e.SetTextUnderline(true);
    e.WriteLink(u"Go", u"http://x");
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

TEST(WriterContent, EveryLinkedRunGetsAnAnnotation) {
    TVellumark e;
    AddTestFont(e);
    e.AddPage(0);
    e.CreateText();
    e.SetTextFont(15);
    e.SetTextMaxWidth(20);  // wraps the link onto three runs
    e.WriteLink(u"aaa bbb ccc", u"http://1");
    e.WriteLink(u"d", u"http://1");  // the same link again: counted once as written
    EXPECT_EQ(e.CurrentTextRes()->LinkCount, 1);
    e.ApplyResource(1, 1);
    TOutputBuffer out;
    WriteDocument(e, out, 0);
    const std::string pdf = out.ToString();
    // 6 and 7 are the font and its descriptor.
    EXPECT_NE(pdf.find("/Annots [ 8 0 R 9 0 R 10 0 R 11 0 R ]"), std::string::npos);
    EXPECT_NE(pdf.find("/Widths [ 600 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "
                       "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 600 600 600 600 ]"),
              std::string::npos);
    std::size_t count = 0;
    for (std::size_t at = pdf.find("/URI (http://1)"); at != std::string::npos; at = pdf.find("/URI (http://1)", at + 1))
        ++count;
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(pdf.find("/URI ()"), std::string::npos);
}
