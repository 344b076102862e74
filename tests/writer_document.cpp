// The file structure: object numbering, page objects, cross-reference table,
// trailer and information dictionary.
#include <gtest/gtest.h>

#include <ctime>

#include "TestUtil.h"
#include "engine/Vellumark.h"
#include "writer/DocumentWriter.h"

using namespace vellumark;
using namespace vellumark::test;

namespace {

// 5 March 2024, 09:07:02 UTC.
constexpr std::time_t kDate = 1709629622;

std::string Build(TVellumark& e) {
    TOutputBuffer out;
    WriteDocument(e, out, kDate);
    return out.ToString();
}

// Offsets the cross-reference table gives, checked against where each
// object really starts.
void ExpectConsistentXref(const std::string& pdf) {
    std::size_t xref = pdf.rfind("\rxref\r");
    ASSERT_NE(xref, std::string::npos);
    ++xref;
    std::size_t sx = pdf.rfind("startxref\r");
    EXPECT_EQ(std::stoull(pdf.substr(sx + 10)), xref);
    std::size_t p = pdf.find('\r', xref + 5);
    int size = std::stoi(pdf.substr(xref + 7, p - xref - 7));
    ++p;
    EXPECT_EQ(pdf.substr(p, 20), "0000000000 65535 f \r");
    for (int i = 1; i < size; ++i) {
        std::string entry = pdf.substr(p + 20 * static_cast<std::size_t>(i), 20);
        ASSERT_EQ(entry.substr(10), " 00000 n \r") << i;
        std::size_t off = std::stoull(entry.substr(0, 10));
        EXPECT_EQ(pdf.compare(off, std::to_string(i).size() + 7, std::to_string(i) + " 0 obj\r"), 0)
            << "object " << i << " at " << off;
    }
}

}  // namespace

TEST(WriterDocument, OneEmptyPageByteForByte) {
    TVellumark e;
    e.AddPage(0);
    const std::string pdf = Build(e);
    const std::string expected =
        "%PDF-1.2\r"
        "1 0 obj\r<<\r/Type /Catalog\r/Pages 2 0 R >>\rendobj\r"
        "2 0 obj\r<<\r/Type /Pages\r/Kids [3 0 R ]\r/Count 1\r>>\rendobj\r"
        "3 0 obj\r<<\r/Type /Page\r/Parent 2 0 R \r/MediaBox [ 0 0 595 842]\r>>\rendobj\r"
        "4 0 obj\r<< \r/Producer (Tarnwick VellumarkX 2.3)\r/CreationDate (D:20240305090702Z)\r>> \rendobj\r"
        "xref\r0 5\r"
        "0000000000 65535 f \r"
        "0000000009 00000 n \r"
        "0000000058 00000 n \r"
        "0000000116 00000 n \r"
        "0000000189 00000 n \r"
        "trailer\r<< \r/Size 5\r/Info 4 0 R\r/Root 1 0 R\r>> \rstartxref\r"
        "282\r%%EOF\r";
    EXPECT_EQ(pdf, expected);
    ExpectConsistentXref(pdf);
}

TEST(WriterDocument, EmptyPageThenGraphicPage) {
    TVellumark e;
    e.AddPage(0);
    e.AddPage(0);
    e.CreateGraphic();
    e.Rectangle(10, 10, 20, 20);
    e.ApplyResource(2, 1);
    const std::string pdf = Build(e);
    EXPECT_NE(pdf.find("/Kids [3 0 R 4 0 R ]\r/Count 2\r"), std::string::npos);
    EXPECT_NE(pdf.find("4 0 obj\r<<\r/Type /Page\r/Parent 2 0 R \r/MediaBox [ 0 0 595 842]\r"
                       "/Resources \r<<\r/ProcSet [ /PDF /ImageC ]\r>>\r/Contents 5 0 R\r>>\rendobj\r"),
              std::string::npos);
    EXPECT_NE(pdf.find("5 0 obj\r<< /Length 6 0 R /Filter /FlateDecode >>\rstream\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("/Size 8\r/Info 7 0 R\r"), std::string::npos);
    ExpectConsistentXref(pdf);
    const std::string data = StreamData(pdf, 5);
    const std::string lengthObject = "\r6 0 obj\r" + std::to_string(data.size()) + "\rendobj\r";
    EXPECT_NE(pdf.find(lengthObject), std::string::npos);
    EXPECT_EQ(Inflate(data), e.CurrentGraphicRes()->Content());
}

TEST(WriterDocument, StoredBlocksWhenContentsAreNotCompressed) {
    TVellumark e;
    e.CompressContents = false;
    e.AddPage(0);
    e.CreateGraphic();
    e.DrawLine(1, 2, 3, 4);
    e.ApplyResource(1, 1);
    const std::string pdf = Build(e);
    // The operators are readable between the zlib header and trailer.
    EXPECT_NE(pdf.find("/Filter /FlateDecode"), std::string::npos);
    EXPECT_NE(pdf.find("1 2 m\r3 4 l\rS\r"), std::string::npos);
    EXPECT_EQ(Inflate(StreamData(pdf, 4)), e.CurrentGraphicRes()->Content());
}

TEST(WriterDocument, EmptyGraphicStillGetsAStream) {
    TVellumark e;
    e.AddPage(0);
    e.AddResource(std::make_unique<TPDFGraphicRes>());
    e.ApplyResource(1, 1);
    const std::string pdf = Build(e);
    EXPECT_NE(pdf.find("/Contents 4 0 R"), std::string::npos);
    EXPECT_FALSE(StreamData(pdf, 4).empty());
}

TEST(WriterDocument, ImagesAreNumberedWithTheirFirstPage) {
    TVellumark e;
    e.AddPage(0);
    e.AddPage(0);
    auto img = std::make_unique<TPDFImageRes>();
    img->Width = 2;
    img->Height = 2;
    img->XResolution = img->YResolution = 72;
    img->Compression = cfNone;
    img->BitsPerComponent = 8;
    img->ImageStream = std::string(12, '\x7f');
    e.AddResource(std::move(img));
    auto pal = std::make_unique<TPDFImageRes>();
    pal->Width = 8;
    pal->Height = 1;
    pal->XResolution = pal->YResolution = 96;
    pal->Compression = cfNone;
    pal->BitsPerComponent = 1;
    pal->Indexed = true;
    pal->PaletteSize = 2;
    pal->ImageStream = std::string(1, '\x55');
    pal->PaletteStream = std::string("\xff\0\0\0\0\xff", 6);
    e.AddResource(std::move(pal));
    e.ApplyResource(1, 1);
    e.ApplyResource(1, 1);
    e.ApplyResource(1, 2);
    e.ApplyResource(2, 1);
    e.ApplyResource(2, 2);
    const std::string pdf = Build(e);
    // Page 1: 3 page, 4 contents, 5 length, 6 image 1, 7-9 image 2 with its
    // colour space and palette; page 2: 10 page, 11 contents, 12 length.
    // Image 1 is placed twice on page 1 but named once.
    const std::size_t first = pdf.find("/XObject <<\r/Im1 6 0 R \r/Im2 7 0 R \r>>\r");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(pdf.find("/XObject <<\r/Im1 6 0 R \r/Im2 7 0 R \r>>\r", first + 1), std::string::npos);
    EXPECT_NE(pdf.find("6 0 obj\r<<\r/Type /XObject\r/Subtype /Image\r/Width 2\r/Height 2\r"
                       "/BitsPerComponent 8\r/ColorSpace /DeviceRGB\r/Length 13 >>\rstream\r\n"),
              std::string::npos);
    EXPECT_NE(pdf.find("/ColorSpace 8 0 R \r/Length 2 >>\r"), std::string::npos);
    EXPECT_NE(pdf.find("8 0 obj\r[/Indexed /DeviceRGB 1\r9 0 R ]\rendobj\r"), std::string::npos);
    EXPECT_NE(pdf.find("9 0 obj\r<<\r/Length 7 >>\rstream\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("10 0 obj\r<<\r/Type /Page"), std::string::npos);
    EXPECT_NE(pdf.find("/Size 14\r"), std::string::npos);
    ExpectConsistentXref(pdf);
    EXPECT_EQ(pdf.find("\r13 0 obj\r<<\r/Type /XObject"), std::string::npos);
}

TEST(WriterDocument, UnplacedResourcesTakeNoNumbers) {
    TVellumark e;
    e.AddPage(0);
    e.AddResource(std::make_unique<TPDFImageRes>());
    e.CreateGraphic();
    e.ApplyResource(1, 2);
    const std::string pdf = Build(e);
    EXPECT_NE(pdf.find("/Size 7\r"), std::string::npos);
    EXPECT_EQ(pdf.find("/Subtype /Image"), std::string::npos);
}

TEST(WriterDocument, InformationStringsAreEscaped) {
    TVellumark e;
    e.AddPage(0);
    e.Title = u"Report2024";
    e.Author = u"A (b) \\ c) \u00e9\u0416";
    e.Keywords = u"k";
    const std::string pdf = Build(e);
    EXPECT_NE(pdf.find("/Producer (Tarnwick VellumarkX 2.3)\r/Title (Report2024)\r"
                       "/Author (A \\(b\\) \\\\ c\\) \xe9?)\r/Keywords (k)\r/CreationDate"),
              std::string::npos);
    EXPECT_EQ(pdf.find("/Subject"), std::string::npos);
}

TEST(WriterDocument, SavingTwiceChangesOnlyTheDate) {
    TVellumark e;
    e.AddPage(0);
    e.CreateGraphic();
    e.Circle(100, 100, 20);
    e.ApplyResource(1, 1);
    TOutputBuffer a, b;
    WriteDocument(e, a, kDate);
    WriteDocument(e, b, kDate + 3600);
    EXPECT_NE(a.ToString(), b.ToString());
    EXPECT_EQ(MaskCreationDate(a.ToString()), MaskCreationDate(b.ToString()));
    EXPECT_EQ(e.Pages().Count(), 1);
    EXPECT_EQ(e.Page(1)->Placements.Count(), 1);
}

TEST(WriterDocument, ImageLinksBecomeAnnotations) {
    TVellumark e;
    e.AddPage(0);
    auto img = std::make_unique<TPDFImageRes>();
    img->Width = 300;
    img->Height = 150;
    img->XResolution = img->YResolution = 150;
    img->Compression = cfNone;
    img->BitsPerComponent = 8;
    img->ImageStream = std::string(300 * 150 * 3, '\0');
    e.AddResource(std::move(img));
    e.ApplyResource(1, 1);
    e.ApplyResource(1, 1);
    e.ApplyResource(1, 1);
    e.Locate(1, 1, 72, 720);
    e.LinkBorder = true;
    e.SetImageLink(1, 1, u"http://example.com/a(1)");
    e.LinkBorder = false;
    e.SetImageLink(1, 2, u"http://example.com/b");
    e.SetImageLink(1, 3, u"http://example.com/turned");
    e.Rotate(1, 3, 30);
    const std::string pdf = Build(e);
    // 3 page, 4 contents, 5 length, 6 image, 7 and 8 annotations, 9 info.
    EXPECT_NE(pdf.find("/Annots [ 7 0 R 8 0 R ]\r"), std::string::npos);
    EXPECT_NE(pdf.find("7 0 obj\r<< \r/A << /URI (http://example.com/a\\(1\\))/S /URI >> \r"
                       "/Type /Annot \r/Subtype /Link \r/Rect [ 72 648 216 720 ] \r/C [ 0 0 0 ] \r"
                       "/Border [ 0 0 1 ] \r/H /I \r>> \rendobj\r"),
              std::string::npos);
    EXPECT_NE(pdf.find("/Rect [ 0 770 144 842 ] \r/C [ 0 0 0 ] \r/Border [ 0 0 0 ] \r"), std::string::npos);
    EXPECT_NE(pdf.find("/Size 10\r"), std::string::npos);
    ExpectConsistentXref(pdf);
}

TEST(WriterDocument, PassedThroughCMYKJPEGIsDeclaredCMYK) {
    TVellumark e;
    e.AddPage(0);
    auto make = [](uint8_t components, bool inverted, bool gray) {
        auto img = std::make_unique<TPDFImageRes>();
        img->Width = img->Height = 1;
        img->XResolution = img->YResolution = 72;
        img->Compression = cfJPEG;
        img->JPEGComponents = components;
        img->JPEGInverted = inverted;
        img->GrayJPEG = gray;
        img->ImageStream = "jpeg";
        return img;
    };
    e.AddResource(make(4, true, false));
    e.AddResource(make(4, false, false));
    e.AddResource(make(1, false, true));
    e.AddResource(make(3, false, false));
    for (int r = 1; r <= 4; ++r) e.ApplyResource(1, r);
    const std::string pdf = Build(e);
    EXPECT_NE(pdf.find("6 0 obj\r<<\r/Type /XObject\r/Subtype /Image\r/Filter /DCTDecode\r/Width 1\r/Height 1\r"
                       "/BitsPerComponent 8\r/ColorSpace /DeviceCMYK\r/Decode [1 0 1 0 1 0 1 0]\r/Length 5 >>"),
              std::string::npos);
    EXPECT_NE(pdf.find("7 0 obj\r<<\r/Type /XObject\r/Subtype /Image\r/Filter /DCTDecode\r/Width 1\r/Height 1\r"
                       "/BitsPerComponent 8\r/ColorSpace /DeviceCMYK\r/Length 5 >>"),
              std::string::npos);
    EXPECT_NE(pdf.find("/ColorSpace /DeviceGray\r/Length 5 >>"), std::string::npos);
    EXPECT_NE(pdf.find("/ColorSpace /DeviceRGB\r/Length 5 >>"), std::string::npos);
}
