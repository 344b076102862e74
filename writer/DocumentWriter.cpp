#include "writer/DocumentWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include <zlib.h>

#include "base/FlateWriter.h"
#include "base/FormatReal.h"
#include "base/TextCodec.h"
#include "model/TextLayout.h"
#include "writer/ContentWriter.h"
#include "writer/Link.h"
#include "writer/PDFString.h"

namespace vellumark {

namespace {

const char* const kIndexingError = "Error indexing PDF contents.";

const char* const kStandardFontNames[kStandardFontCount + 1] = {
    "",          "Courier",          "Courier-Bold",        "Courier-BoldOblique",   "Courier-Oblique",
    "Helvetica", "Helvetica-Bold",   "Helvetica-BoldOblique", "Helvetica-Oblique", "Times-Roman",
    "Times-Bold", "Times-Italic",    "Times-BoldItalic",    "Symbol",                "ZapfDingbats"};

// A font that placed text uses, in order of first use.
struct TFontRecord {
    int32_t FontNumber = 0;
    int32_t ObjectNumber = 0;
    bool Embed = false;
    const TPDFFontRes* Font = nullptr;  // the document's entry, for TrueType fonts
};


class TDocumentWriter {
public:
    TDocumentWriter(TPDFDocument& doc, TOutputBuffer& out, std::time_t created)
        : doc_(doc), out_(out), created_(created) {}

    void Write() {
        NumberObjects();
        AppendText(out_, "%PDF-1.2\r");
        WriteCatalog();
        WritePageTree();
        counter_ = 3;
        for (TPDFPage& page : doc_.Pages()) WritePageGroup(page);
        WriteInfo();
        WriteXref();
    }

private:
    // --- numbering pass ---------------------------------------------------

    TFontRecord* FontRecord(int32_t fontNumber) {
        if (fontNumber < 1 || static_cast<std::size_t>(fontNumber) >= fontIndex_.size()) return nullptr;
        int32_t i = fontIndex_[static_cast<std::size_t>(fontNumber)];
        return i < 0 ? nullptr : &fonts_[static_cast<std::size_t>(i)];
    }

    static int32_t ImageObjectCount(const TPDFImageRes& image) { return image.Indexed ? 3 : 1; }

    void NumberObjects() {
        for (TPDFResource& res : doc_.Resources()) res.ObjectNumber = 0;
        fonts_.clear();
        fontIndex_.assign(static_cast<std::size_t>(kStandardFontCount + doc_.Fonts().Count() + 1), -1);
        int32_t counter = 3;
        for (TPDFPage& page : doc_.Pages()) {
            page.ObjectNumber = counter;
            page.AnnotationCount = 0;
            if (page.Placements.Empty()) {
                ++counter;
                page.FirstAnnotation = counter;
                continue;
            }
            counter += 3;
            for (const TPDFObj& obj : page.Placements) {
                if (obj.Kind != okImage) continue;
                auto* image = dynamic_cast<TPDFImageRes*>(doc_.Resource(obj.Resource));
                if (image && image->ObjectNumber == 0) {
                    image->ObjectNumber = counter;
                    counter += ImageObjectCount(*image);
                }
            }
            for (const TPDFObj& obj : page.Placements) {
                if (obj.Kind == okImage) {
                    if (!obj.Link.empty() && obj.Angle == 0) ++page.AnnotationCount;
                } else if (obj.Kind == okText) {
                    auto* text = dynamic_cast<TPDFTextRes*>(doc_.Resource(obj.Resource));
                    if (!text) continue;
                    // One annotation per laid-out run that carries a link.
                    if (obj.Angle == 0) page.AnnotationCount += LinkedRuns(*text, obj.Scale);
                    for (const TTextLine& line : text->Lines) NumberFont(line.FontNumber, counter);
                }
            }
            page.FirstAnnotation = counter;
            counter += page.AnnotationCount;
        }
        offsets_.assign(static_cast<std::size_t>(counter) + 1, 0);
    }

    int32_t LinkedRuns(TPDFTextRes& text, double scale) {
        if (text.LinkCount == 0) return 0;
        LayoutText(text, doc_.Fonts(), scale);
        return static_cast<int32_t>(
            std::count_if(text.Runs.begin(), text.Runs.end(),
                          [&](const TTextRun& r) { return !text.LineOf(r).Link.empty(); }));
    }

    void NumberFont(int32_t fontNumber, int32_t& counter) {
        if (fontNumber < 1 || static_cast<std::size_t>(fontNumber) >= fontIndex_.size()) return;
        if (FontRecord(fontNumber)) return;
        TFontRecord rec;
        rec.FontNumber = fontNumber;
        rec.ObjectNumber = counter;
        if (fontNumber <= kStandardFontCount) {
            counter += 1;
        } else {
            rec.Font = doc_.Fonts().Get(fontNumber - kStandardFontCount);
            rec.Embed = rec.Font && rec.Font->Embed;
            counter += rec.Embed ? 3 : 2;
            if (!usedCharsKnown_) MarkUsedCharacters();
        }
        fontIndex_[static_cast<std::size_t>(fontNumber)] = static_cast<int32_t>(fonts_.size());
        fonts_.push_back(rec);
    }

    // --- objects ------------------------------------------------------------

    void BeginObject(int32_t number) {
        offsets_[static_cast<std::size_t>(number)] = out_.Position();
        AppendInt(out_, number);
        AppendText(out_, " 0 obj\r");
    }
    void EndObject() { AppendText(out_, "endobj\r"); }

    void WriteCatalog() {
        BeginObject(1);
        AppendText(out_, "<<\r/Type /Catalog\r/Pages 2 0 R >>\r");
        EndObject();
    }

    void WritePageTree() {
        BeginObject(2);
        AppendText(out_, "<<\r/Type /Pages\r/Kids [");
        for (const TPDFPage& page : doc_.Pages()) {
            AppendInt(out_, page.ObjectNumber);
            AppendText(out_, " 0 R ");
        }
        AppendText(out_, "]\r/Count ");
        AppendInt(out_, doc_.Pages().Count());
        AppendText(out_, "\r>>\rendobj\r");
    }

    void WritePageObject(const TPDFPage& page) {
        BeginObject(page.ObjectNumber);
        AppendText(out_, "<<\r/Type /Page\r/Parent 2 0 R \r/MediaBox [ 0 0 ");
        AppendInt(out_, page.Width);
        AppendText(out_, " ");
        AppendInt(out_, page.Height);
        AppendText(out_, "]\r");
        if (!page.Placements.Empty()) {
            AppendText(out_, "/Resources \r<<\r");
            if (page.Placements.ImageCount > 0) {
                AppendText(out_, "/XObject <<\r");
                // Each image once, even when the page places it several times:
                // a dictionary must not repeat a key.
                std::vector<int32_t> named;
                for (const TPDFObj& obj : page.Placements) {
                    if (obj.Kind != okImage) continue;
                    if (std::find(named.begin(), named.end(), obj.Resource) != named.end()) continue;
                    named.push_back(obj.Resource);
                    const TPDFResource* image = doc_.Resource(obj.Resource);
                    AppendText(out_, "/Im");
                    AppendInt(out_, obj.Resource);
                    AppendText(out_, " ");
                    AppendInt(out_, image ? image->ObjectNumber : 0);
                    AppendText(out_, " 0 R \r");
                }
                AppendText(out_, ">>\r");
            }
            AppendText(out_, "/ProcSet [ /PDF /ImageC ]\r");
            if (page.Placements.TextCount > 0) WriteFontResources(page);
            AppendText(out_, ">>\r/Contents ");
            AppendInt(out_, page.ObjectNumber + 1);
            AppendText(out_, " 0 R\r");
        }
        if (page.AnnotationCount != 0) {
            AppendText(out_, "/Annots [ ");
            for (int32_t i = 0; i < page.AnnotationCount; ++i) {
                AppendInt(out_, page.FirstAnnotation + i);
                AppendText(out_, " 0 R ");
            }
            AppendText(out_, "]\r");
        }
        AppendText(out_, ">>\r");
        EndObject();
    }

    void WriteFontResources(const TPDFPage& page) {
        AppendText(out_, "/Font <<\r");
        std::vector<bool> listed(fontIndex_.size(), false);
        for (const TPDFObj& obj : page.Placements) {
            if (obj.Kind != okText) continue;
            auto* text = dynamic_cast<const TPDFTextRes*>(doc_.Resource(obj.Resource));
            if (!text) continue;
            for (const TTextLine& line : text->Lines) {
                const TFontRecord* rec = FontRecord(line.FontNumber);
                if (!rec || listed[static_cast<std::size_t>(line.FontNumber)]) continue;
                listed[static_cast<std::size_t>(line.FontNumber)] = true;
                if (line.FontNumber > kStandardFontCount) {
                    AppendText(out_, "/TT");
                    AppendInt(out_, line.FontNumber - kStandardFontCount);
                } else {
                    AppendText(out_, "/SF");
                    AppendInt(out_, line.FontNumber);
                }
                AppendText(out_, " ");
                AppendInt(out_, rec->ObjectNumber);
                AppendText(out_, " 0 R \r");
            }
        }
        AppendText(out_, ">>\r");
    }

    void WritePageGroup(const TPDFPage& page) {
        if (page.ObjectNumber != counter_) throw EPDFError(kIndexingError);
        WritePageObject(page);
        ++counter_;
        std::vector<TLink> links(static_cast<std::size_t>(page.AnnotationCount) + 1);
        if (!page.Placements.Empty()) {
            WriteContents(page, links);
            counter_ += 2;
            for (const TPDFObj& obj : page.Placements) {
                if (obj.Kind != okImage) continue;
                auto* image = dynamic_cast<const TPDFImageRes*>(doc_.Resource(obj.Resource));
                if (image && image->ObjectNumber == counter_) WriteImageObjects(*image);
            }
            for (const TPDFObj& obj : page.Placements) {
                if (obj.Kind != okText) continue;
                auto* text = dynamic_cast<const TPDFTextRes*>(doc_.Resource(obj.Resource));
                if (!text) continue;
                for (const TTextLine& line : text->Lines) {
                    const TFontRecord* rec = FontRecord(line.FontNumber);
                    if (rec && rec->ObjectNumber == counter_) WriteFontObjects(*rec);
                }
            }
        }
        if (page.AnnotationCount != 0) {
            if (page.FirstAnnotation != counter_) throw EPDFError(kIndexingError);
            for (int32_t i = 1; i <= page.AnnotationCount; ++i) WriteAnnotation(links[static_cast<std::size_t>(i)]);
        }
    }

    void WriteContents(const TPDFPage& page, std::vector<TLink>& links) {
        const int32_t n = counter_;
        BeginObject(n);
        AppendText(out_, "<< /Length ");
        AppendInt(out_, n + 1);
        AppendText(out_, " 0 R /Filter /FlateDecode >>\rstream\r\n");
        if (!flate_) flate_ = std::make_unique<TFlateWriter>(out_, doc_.CompressContents ? -1 : 0);
        TContentWriter content(doc_, *flate_, links);
        for (const TPDFObj& obj : page.Placements) content.WritePlacement(obj);
        content.WriteUnderlines();
        const uint64_t length = flate_->Finish();
        AppendText(out_, "endstream\r");
        EndObject();
        BeginObject(n + 1);
        AppendInt(out_, static_cast<long long>(length));
        AppendText(out_, "\r");
        EndObject();
    }

    void WriteStreamBody(const std::string& data) {
        AppendText(out_, "/Length ");
        AppendInt(out_, static_cast<long long>(data.size()) + 1);
        AppendText(out_, " >>\rstream\r\n");
        out_.append(data.data(), data.size());
        AppendText(out_, "\rendstream\r");
    }

    void WriteImageObjects(const TPDFImageRes& image) {
        const int32_t n = counter_;
        BeginObject(n);
        AppendText(out_, "<<\r/Type /XObject\r/Subtype /Image\r");
        auto size = [&] {
            AppendText(out_, "/Width ");
            AppendInt(out_, image.Width);
            AppendText(out_, "\r/Height ");
            AppendInt(out_, image.Height);
            AppendText(out_, "\r");
        };
        auto colorSpace = [&] {
            if (image.Indexed) {
                AppendText(out_, "/ColorSpace ");
                AppendInt(out_, n + 1);
                AppendText(out_, " 0 R \r");
            } else {
                AppendText(out_, "/ColorSpace /DeviceRGB\r");
            }
        };
        auto depth = [&] {
            AppendText(out_, "/BitsPerComponent ");
            AppendInt(out_, image.BitsPerComponent);
            AppendText(out_, "\r");
        };
        switch (image.Compression) {
            case cfGroup4:
                AppendText(out_, "/Filter /CCITTFaxDecode\r/DecodeParms \r<<\r/K -1 /Columns ");
                AppendInt(out_, image.Width);
                if (image.G4BlackIs1) AppendText(out_, " /BlackIs1 true");
                AppendText(out_, ">>\r");
                size();
                AppendText(out_, "/BitsPerComponent 1\r/ColorSpace /DeviceGray\r");
                break;
            case cfZIP:
                AppendText(out_, "/Filter /FlateDecode\r");
                size();
                depth();
                colorSpace();
                break;
            case cfJPEG:
                AppendText(out_, "/Filter /DCTDecode\r");
                size();
                if (image.JPEGComponents == 4) {
                    // CMYK data; most writers store it inverted and say so
                    // with an Adobe marker.
                    AppendText(out_, "/BitsPerComponent 8\r/ColorSpace /DeviceCMYK\r");
                    if (image.JPEGInverted) AppendText(out_, "/Decode [1 0 1 0 1 0 1 0]\r");
                } else {
                    AppendText(out_, image.GrayJPEG ? "/BitsPerComponent 8\r/ColorSpace /DeviceGray\r"
                                                    : "/BitsPerComponent 8\r/ColorSpace /DeviceRGB\r");
                }
                break;
            case cfNone:
                size();
                depth();
                colorSpace();
                break;
            default:
                break;
        }
        WriteStreamBody(image.ImageStream);
        EndObject();
        ++counter_;
        if (!image.Indexed) return;

        BeginObject(n + 1);
        AppendText(out_, "[/Indexed /DeviceRGB ");
        AppendInt(out_, static_cast<int32_t>(image.PaletteSize) - 1);
        AppendText(out_, "\r");
        AppendInt(out_, n + 2);
        AppendText(out_, " 0 R ]\r");
        EndObject();
        ++counter_;

        BeginObject(n + 2);
        AppendText(out_, "<<\r");
        if (image.Compression == cfZIP) AppendText(out_, "/Filter /FlateDecode\r");
        WriteStreamBody(image.PaletteStream);
        EndObject();
        ++counter_;
    }

    // Every character code of the written lines of all placed text, whatever
    // its font: the codes that get real widths in every TrueType font.
    void MarkUsedCharacters() {
        usedChars_.fill(false);
        for (const TPDFPage& page : doc_.Pages())
            for (const TPDFObj& obj : page.Placements) {
                if (obj.Kind != okText) continue;
                auto* text = dynamic_cast<const TPDFTextRes*>(doc_.Resource(obj.Resource));
                if (!text) continue;
                for (const TTextLine& line : text->Lines)
                    for (char c : line.Text) usedChars_[static_cast<unsigned char>(c)] = true;
            }
        firstChar_ = 255;
        for (int c = 0; c <= 254; ++c)
            if (usedChars_[static_cast<std::size_t>(c)]) {
                firstChar_ = c;
                break;
            }
        lastChar_ = 0;
        for (int c = 255; c >= 1; --c)
            if (usedChars_[static_cast<std::size_t>(c)]) {
                lastChar_ = c;
                break;
            }
        if (lastChar_ < firstChar_) lastChar_ = firstChar_;
        usedCharsKnown_ = true;
    }

    void WriteFontObjects(const TFontRecord& rec) {
        const int32_t n = counter_;
        BeginObject(n);
        if (rec.FontNumber <= kStandardFontCount) {
            AppendText(out_, "<< /Type /Font\r/Subtype /Type1\r/Name /SF");
            AppendInt(out_, rec.FontNumber);
            AppendText(out_, "\r/BaseFont /");
            AppendText(out_, kStandardFontNames[rec.FontNumber]);
            AppendText(out_, "\r/Encoding /WinAnsiEncoding\r>>\r");
            EndObject();
            ++counter_;
            return;
        }
        static const TvkFont kEmpty;
        const TvkFont& reader = rec.Font ? rec.Font->Reader : kEmpty;
        AppendText(out_, "<< /Type /Font\r/Subtype /TrueType\r/FirstChar ");
        AppendInt(out_, firstChar_);
        AppendText(out_, "\r/LastChar ");
        AppendInt(out_, lastChar_);
        AppendText(out_, "\r/Widths [ ");
        for (int c = firstChar_; c <= lastChar_; ++c) {
            if (usedChars_[static_cast<std::size_t>(c)] && rec.Font)
                AppendInt(out_, static_cast<uint16_t>(rec.Font->Widths[static_cast<std::size_t>(c)]));
            else
                AppendText(out_, "0");
            AppendText(out_, " ");
        }
        AppendText(out_, "]\r/Encoding /WinAnsiEncoding\r/BaseFont /");
        AppendName(out_, reader.PostScriptName());
        AppendText(out_, "\r/FontDescriptor ");
        AppendInt(out_, n + 1);
        AppendText(out_, " 0 R\r>>\r");
        EndObject();
        ++counter_;

        BeginObject(n + 1);
        AppendText(out_, "<< /Type /FontDescriptor\r/Ascent ");
        AppendInt(out_, static_cast<int16_t>(reader.Ascent()));
        AppendText(out_, "\r/CapHeight 0\r/Descent ");
        AppendInt(out_, static_cast<int16_t>(reader.Descent()));
        AppendText(out_, "\r/Flags 32\r/FontBBox [ ");
        AppendInt(out_, static_cast<int16_t>(reader.BBoxXMin()));
        AppendText(out_, " ");
        AppendInt(out_, static_cast<int16_t>(reader.BBoxYMin()));
        AppendText(out_, " ");
        AppendInt(out_, static_cast<int16_t>(reader.BBoxXMax()));
        AppendText(out_, " ");
        AppendInt(out_, static_cast<int16_t>(reader.BBoxYMax()));
        AppendText(out_, " ]\r/FontName /");
        AppendName(out_, reader.PostScriptName());
        AppendText(out_, "\r/ItalicAngle ");
        const double angle = reader.ItalicAngle();
        AppendInt(out_, static_cast<long long>(std::trunc(angle >= 0 ? angle + 0.5 : angle - 0.5)));
        AppendText(out_, "\r/StemV 0\r");
        if (rec.Embed) {
            AppendText(out_, "/FontFile2 ");
            AppendInt(out_, n + 2);
            AppendText(out_, " 0 R\r");
        }
        AppendText(out_, ">>\r");
        EndObject();
        ++counter_;
        if (!rec.Embed) return;

        const std::string compressed = CompressFontFile(reader);
        BeginObject(n + 2);
        AppendText(out_, "<< /Filter /FlateDecode\r/Length ");
        AppendInt(out_, static_cast<long long>(compressed.size()));
        AppendText(out_, " /Length1 ");
        AppendInt(out_, static_cast<long long>(reader.DataSize()));
        AppendText(out_, " >>\rstream\r\n");
        out_.append(compressed.data(), compressed.size());
        AppendText(out_, "endstream\r");
        EndObject();
        ++counter_;
    }

    // The whole font file as one zlib stream at the default level.
    static std::string CompressFontFile(const TvkFont& reader) {
        const auto bytes = reader.Data().Bytes();
        std::string out;
        TFlateWriter flate(out, Z_DEFAULT_COMPRESSION);
        flate.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        flate.Finish();
        return out;
    }

    void WriteAnnotation(const TLink& link) {
        BeginObject(counter_);
        AppendText(out_, "<< \r/A << /URI (");
        AppendEscaped(out_, link.URI);
        AppendText(out_, ")/S /URI >> \r/Type /Annot \r/Subtype /Link \r/Rect [ ");
        AppendInt(out_, link.Left);
        AppendText(out_, " ");
        AppendInt(out_, link.Bottom);
        AppendText(out_, " ");
        AppendInt(out_, static_cast<long long>(link.Left) + link.Width);
        AppendText(out_, " ");
        AppendInt(out_, link.Top);
        AppendText(out_, " ] \r/C [ 0 0 0 ] \r");
        AppendText(out_, link.Border ? "/Border [ 0 0 1 ] \r" : "/Border [ 0 0 0 ] \r");
        AppendText(out_, "/H /I \r>> \r");
        EndObject();
        ++counter_;
    }

    void WriteInfoString(const char* key, const std::u16string& value) {
        if (value.empty()) return;
        AppendText(out_, key);
        AppendEscaped(out_, ToAnsi(value));
        AppendText(out_, ")\r");
    }

    void WriteInfo() {
        BeginObject(counter_);
        AppendText(out_, "<< \r/Producer (Tarnwick VellumarkX 2.3)\r");
        WriteInfoString("/Title (", doc_.Title);
        WriteInfoString("/Subject (", doc_.Subject);
        WriteInfoString("/Author (", doc_.Author);
        WriteInfoString("/Keywords (", doc_.Keywords);
        std::tm utc{};
#ifdef _WIN32
        gmtime_s(&utc, &created_);
#else
        gmtime_r(&created_, &utc);
#endif
        char date[32];
        std::snprintf(date, sizeof date, "%04d%02d%02d%02d%02d%02d", utc.tm_year + 1900, utc.tm_mon + 1,
                      utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
        AppendText(out_, "/CreationDate (D:");
        AppendText(out_, date);
        AppendText(out_, "Z)\r>> \r");
        EndObject();
        ++counter_;
    }

    // "oooooooooo 00000 n \r": the offset in ten digits (in full when longer).
    void WriteXrefEntry(uint64_t offset) {
        char line[48];
        char* end = line + sizeof line;
        std::memcpy(end - 10, " 00000 n \r", 10);
        char* p = end - 10;
        int digits = 0;
        do {
            *--p = static_cast<char>('0' + offset % 10);
            offset /= 10;
            ++digits;
        } while (offset != 0 && p > line);
        while (digits++ < 10) *--p = '0';
        out_.append(p, static_cast<std::size_t>(end - p));
    }

    void WriteXref() {
        const int32_t size = counter_;
        const uint64_t xref = out_.Position();
        AppendText(out_, "xref\r0 ");
        AppendInt(out_, size);
        AppendText(out_, "\r0000000000 65535 f \r");
        for (int32_t i = 1; i < size; ++i) WriteXrefEntry(offsets_[static_cast<std::size_t>(i)]);
        AppendText(out_, "trailer\r<< \r/Size ");
        AppendInt(out_, size);
        AppendText(out_, "\r/Info ");
        AppendInt(out_, size - 1);
        AppendText(out_, " 0 R\r/Root 1 0 R\r>> \rstartxref\r");
        AppendInt(out_, static_cast<long long>(xref));
        AppendText(out_, "\r%%EOF\r");
    }

    TPDFDocument& doc_;
    TOutputBuffer& out_;
    std::time_t created_;
    int32_t counter_ = 3;
    std::vector<uint64_t> offsets_;
    std::vector<TFontRecord> fonts_;
    std::vector<int32_t> fontIndex_;  // font number -> index in fonts_, -1 when none
    std::unique_ptr<TFlateWriter> flate_;  // made with the first content stream
    std::array<bool, 256> usedChars_{};
    bool usedCharsKnown_ = false;
    int firstChar_ = 255;
    int lastChar_ = 255;
};

}  // namespace

void WriteDocument(TPDFDocument& doc, TOutputBuffer& out, std::time_t created) {
    TDocumentWriter(doc, out, created).Write();
}

}  // namespace vellumark
