// Image import: formats, failures, resolutions, pass-through, handles, and
// pixels that come back exactly from the saved file.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "base/InvalidGraphic.h"
#include "base/TextCodec.h"
#include "control/ErrorInfo.h"
#include "control/PDFDocImpl1.h"
#include "decoders/JPEGImage.h"
#include "engine/Vellumark.h"
#include "images/Handles.h"
#include "images/ImageImport.h"

using namespace vellumark;
using namespace vellumark::test;

namespace {

// A 24-bit bottom-up Windows bitmap file whose pixel (x, y) is Colour(x, y).
uint32_t Colour(uint32_t x, uint32_t y) { return ((x * 37) & 0xFF) << 16 | ((y * 53) & 0xFF) << 8 | ((x ^ y) & 0xFF); }

std::string BitmapFile(uint32_t w, uint32_t h, uint32_t xppm = 2835, uint32_t yppm = 2835) {
    const uint32_t stride = (w * 3 + 3) & ~3u;
    std::string s = "BM";
    Put32(s, 54 + stride * h);
    Put32(s, 0);
    Put32(s, 54);
    Put32(s, 40);
    Put32(s, w);
    Put32(s, h);
    Put16(s, 1);
    Put16(s, 24);
    Put32(s, 0);
    Put32(s, stride * h);
    Put32(s, xppm);
    Put32(s, yppm);
    Put32(s, 0);
    Put32(s, 0);
    for (uint32_t row = 0; row < h; ++row) {
        const uint32_t y = h - 1 - row;
        std::string line;
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t c = Colour(x, y);
            line += static_cast<char>(c & 0xFF);
            line += static_cast<char>((c >> 8) & 0xFF);
            line += static_cast<char>(c >> 16);
        }
        line.resize(stride, '\0');
        s += line;
    }
    return s;
}

std::span<const uint8_t> Span(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

std::string JPEGFile(uint32_t w, uint32_t h, bool gray) {
    TBMPImage b;
    b.SetSize(w, h, 24);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = b.Row(y) + 3 * x;
            p[0] = p[1] = p[2] = static_cast<uint8_t>(x * 4);
            if (!gray) p[2] = static_cast<uint8_t>(y * 4);
        }
    const std::vector<uint8_t> bytes = TJPEGImageExtra::Encode(b, gray, 90);
    return std::string(bytes.begin(), bytes.end());
}

const TPDFImageRes& Image(const TVellumark& e, int32_t n) { return dynamic_cast<const TPDFImageRes&>(*e.Resource(n)); }

std::string Message(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& ex) {
        return ex.what();
    }
    return "(nothing raised)";
}

}  // namespace

TEST(ImagesImport, FailuresAddNothing) {
    TempDir dir;
    TVellumark e;
    e.CreateGraphic();
    EXPECT_EQ(Message([&] { e.AddImageFile(Utf8ToUtf16((dir / "missing.bmp").string())); }), "File not found");
    EXPECT_EQ(Message([&] { e.AddImageBytes(Span(std::string("\x01\x02\x03"))); }),
              "File is not a supported image format");
    EXPECT_EQ(Message([&] { e.AddImageBytes(Span(std::string("\x0A\x04xx"))); }),
              "File is not a supported image format");
    EXPECT_EQ(Message([&] { e.AddImageBytes(Span(std::string("B"))); }), "Stream read error");
    EXPECT_EQ(Message([&] { e.AddImageBytes({}); }), "Stream read error");
    EXPECT_THROW(e.AddImageBytes(Span(std::string("BM\x10\0\0\0"))), EInvalidGraphic);
    EXPECT_THROW(e.AddImageBytes(Span(std::string("\xFF\xD8\xFF\xE0 broken"))), EInvalidGraphic);
    EXPECT_EQ(e.Resources().Count(), 1);
}

TEST(ImagesImport, ResolutionRules) {
    EXPECT_EQ(DotsPerInch(2835), 72u);
    EXPECT_EQ(DotsPerInch(3780), 96u);
    EXPECT_EQ(DotsPerInch(11811), 300u);
    EXPECT_EQ(DotsPerInch(0), 0u);
    TVellumark e;
    e.AddImageBytes(Span(BitmapFile(600, 2, 11811, 11811)));
    EXPECT_EQ(Image(e, 1).XResolution, 300u);
    EXPECT_DOUBLE_EQ(e.ImageWidth(1), 144);
    e.AddImageBytes(Span(BitmapFile(4, 4, 0, 11811)));
    EXPECT_EQ(Image(e, 2).XResolution, 72u);
    EXPECT_EQ(Image(e, 2).YResolution, 300u);
    e.AddImageBytes(Span(BitmapFile(4, 4, 2835, 0)));
    EXPECT_EQ(Image(e, 3).YResolution, 72u);
    e.AddImageBytes(Span(BitmapFile(4, 4, 0, 0)));
    EXPECT_EQ(Image(e, 4).XResolution, 72u);
    e.Units = umInches;
    EXPECT_DOUBLE_EQ(e.ImageHeight(1), 2.0 / 300);
    e.CreateGraphic();
    EXPECT_EQ(e.ImageWidth(5), 0);
    EXPECT_EQ(e.ImageWidth(99), 0);
}

TEST(ImagesImport, JPEGPassThroughRules) {
    const std::string colour = JPEGFile(16, 8, false);
    const std::string gray = JPEGFile(16, 8, true);
    TVellumark e;
    e.AddImageBytes(Span(colour));
    EXPECT_EQ(Image(e, 1).Compression, cfJPEG);
    EXPECT_EQ(Image(e, 1).ImageStream, colour);  // unchanged
    e.UseSourceCompression = false;
    e.AddImageBytes(Span(colour));
    EXPECT_EQ(Image(e, 2).Compression, cfZIP);
    EXPECT_FALSE(Image(e, 2).Indexed);
    e.SetCompressionRGB(cfJPEG);
    e.AddImageBytes(Span(colour));
    EXPECT_EQ(Image(e, 3).ImageStream, colour);
    e.SetCompressionGray(cfZIP);
    e.AddImageBytes(Span(gray));  // RGB JPEG does not reuse a gray image
    EXPECT_EQ(Image(e, 4).Compression, cfZIP);
    EXPECT_TRUE(Image(e, 4).Indexed);
    e.SetCompressionGray(cfJPEG);
    e.AddImageBytes(Span(gray));
    EXPECT_EQ(Image(e, 5).ImageStream, gray);
    EXPECT_TRUE(Image(e, 5).GrayJPEG);
}

// Data that stops before the end marker reaches the file with one, so that
// PDF readers built on libjpeg (qpdf among them) can decode it; the decoded
// path shows what djpeg shows, the missing blocks gray.
TEST(ImagesImport, JPEGCutShortIsCompletedWithAnEndMarker) {
    const std::string whole = JPEGFile(48, 32, false);
    const std::size_t sos = whole.find("\xFF\xDA");
    ASSERT_NE(sos, std::string::npos);
    TempDir dir;
    for (const std::size_t cut : {sos + 40, whole.size() - 2, whole.size() - 1}) {
        SCOPED_TRACE(cut);
        const std::string part = whole.substr(0, cut);
        TVellumark e;
        e.AddPage(0);
        e.ApplyResource(1, e.AddImageBytes(Span(part)));
        EXPECT_EQ(Image(e, 1).ImageStream, part + "\xFF\xD9");
        e.UseSourceCompression = false;
        e.ApplyResource(1, e.AddImageBytes(Span(part)));
        EXPECT_EQ(Image(e, 2).Compression, cfZIP);
        const auto out = dir / "cut.pdf";
        e.SaveToFile(Utf8ToUtf16(out.string()));
        EXPECT_TRUE(QpdfCheck(out));
    }
}

TEST(ImagesImport, ImageCount) {
    TempDir dir;
    TVellumark e;
    const std::string missing = (dir / "none.tif").string();
    EXPECT_EQ(Message([&] { e.ImageCount(Utf8ToUtf16(missing)); }), "File not found: " + missing);
    WriteFile(dir / "a.pcx", std::string("\x0A\x04 junk", 7));
    EXPECT_EQ(e.ImageCount(Utf8ToUtf16((dir / "a.pcx").string())), 1);
    WriteFile(dir / "x.bin", "XYZ");
    EXPECT_EQ(Message([&] { e.ImageCount(Utf8ToUtf16((dir / "x.bin").string())); }),
              "File is not a supported graphics format");
    WriteFile(dir / "i.bin", "Ixxxxxxx");
    EXPECT_EQ(Message([&] { e.ImageCount(Utf8ToUtf16((dir / "i.bin").string())); }), "Data is not in TIFF format");
}

TEST(ImagesImport, TiffPagesAreCounted) {
    // Two directories, each with one strip of 10 bytes; the second ends the
    // chain. Then the same with the second pointing back at itself: the
    // chain is cut there, and both directories count.
    auto tiff = [](bool loop) {
        std::string s = "II";
        Put16(s, 42);
        Put32(s, 8);
        auto ifd = [&](uint32_t next) {
            Put16(s, 1);
            Put16(s, 279);
            Put16(s, 4);
            Put32(s, 1);
            Put32(s, 10);
            Put32(s, next);
        };
        ifd(26);
        ifd(loop ? 26 : 0);
        s += std::string(40, '\0');
        return s;
    };
    EXPECT_EQ(CountTiffImages(Span(tiff(false))), 2);
    EXPECT_EQ(CountTiffImages(Span(tiff(true))), 2);
}

TEST(ImagesImport, BitmapHandles) {
    TVellumark e;
    EXPECT_EQ(e.AddImageBMPHandle(0), 0);
    EXPECT_EQ(e.Resources().Count(), 0);

    TBMPImage b;
    b.LoadFromStream(Span(BitmapFile(5, 3)));
    const handles::THandle kept = handles::CreateBitmapHandle(b);
    EXPECT_EQ(e.AddImageBMPHandle(static_cast<int32_t>(kept)), 1);
    EXPECT_TRUE(handles::IsValid(kept));  // ReleaseBMPHandle: the caller keeps it
    e.ReleaseBMPHandle = false;
    EXPECT_EQ(e.AddImageBMPHandle(static_cast<int32_t>(kept)), 2);
    EXPECT_FALSE(handles::IsValid(kept));
    EXPECT_EQ(Image(e, 2).Width, 5u);

    const std::string file = BitmapFile(7, 2);
    const handles::THandle memory = handles::CreateMemoryHandle(std::vector<uint8_t>(file.begin() + 14, file.end()));
    e.ReleaseBMPHandle = true;
    EXPECT_EQ(e.AddImageBMPHandle(static_cast<int32_t>(memory)), 3);
    EXPECT_FALSE(handles::IsValid(memory));  // memory handles are always consumed
    EXPECT_EQ(Image(e, 3).Width, 7u);
    EXPECT_EQ(Image(e, 3).XResolution, 72u);

    EXPECT_EQ(Message([&] { e.AddImageBMPHandle(static_cast<int32_t>(memory)); }), "Invalid bitmap handle");
    EXPECT_EQ(e.Resources().Count(), 3);
}

TEST(ImagesImport, LosslessPixelsComeBackFromTheSavedFile) {
    TempDir dir;
    const uint32_t w = 37, h = 23;
    WriteFile(dir / "in.bmp", BitmapFile(w, h));
    for (TxCompressFormat rgb : {cfZIP, cfNone}) {
        SCOPED_TRACE(int(rgb));
        TVellumark e;
        e.SetCompressionRGB(rgb);
        e.DefaultPageSize = psCustom;
        e.AddPage(0);
        e.SetPageWidth(1, w);
        e.SetPageHeight(1, h);
        ASSERT_EQ(e.AddImageFile(Utf8ToUtf16((dir / "in.bmp").string())), 1);
        e.ApplyResource(1, 1);
        const auto out = dir / "out.pdf";
        e.SaveToFile(Utf8ToUtf16(out.string()));
        ASSERT_TRUE(QpdfCheck(out));
        // Four times the image's resolution: the renderer then copies pixels
        // without smoothing, each source pixel a 4 x 4 block.
        Raster r = RenderPage(out, 1, 288);
        ASSERT_EQ(r.width, static_cast<int>(4 * w));
        ASSERT_EQ(r.height, static_cast<int>(4 * h));
        int wrong = 0;
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                if (r.At(static_cast<int>(4 * x + 2), static_cast<int>(4 * y + 2)) != Colour(x, y)) {
                    if (wrong < 3)
                        ADD_FAILURE() << x << "," << y << std::hex << " got " << r.At(static_cast<int>(4 * x + 2), static_cast<int>(4 * y + 2))
                                      << " want " << Colour(x, y);
                    ++wrong;
                }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(ImagesImport, ImagePlacedTwiceIsNamedOnceAndValid) {
    TempDir dir;
    TVellumark e;
    e.AddPage(0);
    e.AddImageBytes(Span(BitmapFile(8, 8)));
    e.ApplyResource(1, 1);
    e.ApplyResource(1, 1);
    e.Locate(1, 2, 100, 100);
    e.LinkBorder = true;
    e.SetImageLink(1, 2, u"https://example.org/(x)");
    const auto out = dir / "twice.pdf";
    e.SaveToFile(Utf8ToUtf16(out.string()));
    EXPECT_TRUE(QpdfCheck(out));
}

TEST(ImagesImport, CMYKJPEGShowsItsColoursPassedThroughOrDecoded) {
    TempDir dir;
    const std::string made = RunCommand("cd " + ShellQuote(dir.Path().string()) +
                                        " && /usr/bin/python3 -c \"from PIL import Image; "
                                        "Image.new('CMYK', (32, 32), (0, 255, 255, 0)).save('cmyk.jpg', quality=95)\"")
                                 .output;
    if (!std::filesystem::exists(dir / "cmyk.jpg")) GTEST_SKIP() << "python3-pil is needed to make a CMYK JPEG";
    TVellumark e;
    e.AddPage(0);
    e.ApplyResource(1, e.AddImageFile(Utf8ToUtf16((dir / "cmyk.jpg").string())));
    EXPECT_EQ(Image(e, 1).JPEGComponents, 4);
    e.UseSourceCompression = false;
    e.ApplyResource(1, e.AddImageFile(Utf8ToUtf16((dir / "cmyk.jpg").string())));
    e.Locate(1, 2, 100, 842);
    EXPECT_EQ(Image(e, 2).Compression, cfZIP);
    const auto out = dir / "cmyk.pdf";
    e.SaveToFile(Utf8ToUtf16(out.string()));
    ASSERT_TRUE(QpdfCheck(out));
    Raster r = RenderPage(out, 1, 72);
    for (int x : {10, 110}) {
        const uint32_t c = r.At(x, 10);
        EXPECT_GT(c >> 16, 200u) << std::hex << c;           // red
        EXPECT_LT((c >> 8) & 0xFF, 60u) << std::hex << c;    // little green
        EXPECT_LT(c & 0xFF, 60u) << std::hex << c;           // little blue
    }
}

TEST(ImagesImport, AddImageBytesTakesByteArraysAndStrings) {
    const std::string file = BitmapFile(3, 2);
    TPDFDoc doc;
    const TVariant bytes = TVariant::Bytes(std::vector<uint8_t>(file.begin(), file.end()));
    TVariant r;
    ASSERT_EQ(doc.CallSlot(78, std::vector<TVariant>{bytes}, &r), hr::kOk);
    EXPECT_EQ(r.lVal, 1);
    // A string's characters are taken as bytes in the narrow code page.
    ASSERT_EQ(doc.CallSlot(78, std::vector<TVariant>{TVariant::String(FromAnsi(file))}, &r), hr::kOk);
    EXPECT_EQ(r.lVal, 2);
    EXPECT_EQ(Image(doc.Engine(), 2).ImageStream, Image(doc.Engine(), 1).ImageStream);
    // The caller's value is left as it was, on success and on failure.
    EXPECT_EQ(bytes.bytes.size(), file.size());
    EXPECT_EQ(doc.CallSlot(78, std::vector<TVariant>{TVariant::Double(1.5)}, &r), hr::kUnexpected);
    EXPECT_EQ(doc.CallSlot(78, std::vector<TVariant>{TVariant::Bytes({})}, &r), hr::kUnexpected);
    EXPECT_EQ(GetErrorInfo()->description, u"Stream read error");
    EXPECT_EQ(doc.Engine().Resources().Count(), 2);
}
