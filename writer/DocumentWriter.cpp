#include "writer/DocumentWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <span>
#include <string>

#include "base/Deflate.h"
#include "base/FormatReal.h"
#include "base/TextCodec.h"
#include "model/TextLayout.h"
#include "truetype/Subset.h"
#include "writer/ContentWriter.h"
#include "writer/Link.h"
#include "writer/PageStreams.h"
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
    // Written as a Type 0 font over a CIDFontType2 (glyph ids as codes),
    // because wide text uses it.
    bool Wide = false;
    const TPDFFontRes* Font = nullptr;  // the document's entry, for TrueType fonts
};

// The code point kept for a glyph that no character of the document uses.
constexpr uint32_t kUnusedGlyph = 0xFFFFFFFF;

// What the numbering pass decided for one page.
struct TPagePlan {
    int32_t ObjectNumber = 0;     // the page object; its content stream and length follow
    int32_t AnnotationCount = 0;  // link annotations, numbered from FirstAnnotation
    int32_t FirstAnnotation = 0;
    std::vector<int32_t> Images;     // resource numbers of the images written with this page, in order
    std::vector<std::size_t> Fonts;  // font records written with this page, in order
};

// The plan of one save: the number of every object the file will hold,
// worked out by the numbering pass before anything is written, and the
// offset table the writing pass fills. The document is only read.
class TWritePlan {
public:
    // The numbering pass. `layout` is scratch for counting linked runs.
    TWritePlan(const TPDFDocument& doc, TTextLayout& layout) {
        resources_.push_back(nullptr);  // resource numbers start at 1
        for (const TPDFResource& res : doc.Resources()) resources_.push_back(&res);
        resourceObjects_.assign(resources_.size(), 0);
        fontIndex_.assign(static_cast<std::size_t>(kStandardFontCount + doc.Fonts().Count() + 1), -1);
        MarkWideFonts(doc);
        pages_.reserve(static_cast<std::size_t>(doc.Pages().Count()));
        int32_t counter = 3;
        for (const TPDFPage& page : doc.Pages()) {
            TPagePlan& plan = pages_.emplace_back();
            plan.ObjectNumber = counter;
            if (page.Placements.Empty()) {
                ++counter;
                plan.FirstAnnotation = counter;
                continue;
            }
            counter += 3;
            for (const TPDFObj& obj : page.Placements) {
                if (obj.Kind != okImage) continue;
                auto* image = dynamic_cast<const TPDFImageRes*>(Resource(obj.Resource));
                if (image && resourceObjects_[static_cast<std::size_t>(obj.Resource)] == 0) {
                    resourceObjects_[static_cast<std::size_t>(obj.Resource)] = counter;
                    plan.Images.push_back(obj.Resource);
                    counter += image->Indexed ? 3 : 1;
                }
            }
            for (const TPDFObj& obj : page.Placements) {
                if (obj.Kind == okImage) {
                    if (!obj.Link.empty() && obj.Angle == 0) ++plan.AnnotationCount;
                } else if (obj.Kind == okText) {
                    auto* text = dynamic_cast<const TPDFTextRes*>(Resource(obj.Resource));
                    if (!text) continue;
                    // One annotation per laid-out run that carries a link.
                    if (obj.Angle == 0) plan.AnnotationCount += LinkedRuns(doc, *text, obj.Scale, layout);
                    for (const TTextLine& line : text->Lines) NumberFont(doc, line.FontNumber, plan, counter);
                }
            }
            plan.FirstAnnotation = counter;
            counter += plan.AnnotationCount;
        }
        infoObject_ = counter;
        offsets_.assign(static_cast<std::size_t>(counter) + 1, 0);
    }

    // The resource with that number, or nullptr.
    const TPDFResource* Resource(int32_t number) const {
        if (number < 1 || static_cast<std::size_t>(number) >= resources_.size()) return nullptr;
        return resources_[static_cast<std::size_t>(number)];
    }
    // The number of the resource's first object, 0 when it has none.
    int32_t ResourceObject(int32_t number) const {
        if (number < 1 || static_cast<std::size_t>(number) >= resourceObjects_.size()) return 0;
        return resourceObjects_[static_cast<std::size_t>(number)];
    }
    // The record of a font number that placed text uses, or nullptr.
    const TFontRecord* FontRecord(int32_t fontNumber) const {
        if (fontNumber < 1 || static_cast<std::size_t>(fontNumber) >= fontIndex_.size()) return nullptr;
        const int32_t i = fontIndex_[static_cast<std::size_t>(fontNumber)];
        return i < 0 ? nullptr : &fonts_[static_cast<std::size_t>(i)];
    }
    const TFontRecord& Font(std::size_t index) const { return fonts_[index]; }
    // Whether a font number is written as a Type 0 font.
    bool WideFont(int32_t fontNumber) const {
        return fontNumber >= 1 && static_cast<std::size_t>(fontNumber) < wideFonts_.size() &&
               wideFonts_[static_cast<std::size_t>(fontNumber)];
    }
    const std::vector<bool>& WideFonts() const noexcept { return wideFonts_; }
    // For a Type 0 font: the code point of each glyph the document shows in
    // it (kUnusedGlyph for the others), by glyph id.
    const std::vector<uint32_t>& GlyphChars(int32_t fontNumber) const {
        return glyphChars_[static_cast<std::size_t>(fontNumber)];
    }
    std::size_t FontNumbers() const noexcept { return fontIndex_.size(); }
    const TPagePlan& Page(std::size_t index) const { return pages_[index]; }
    // The information dictionary, the last object.
    int32_t InfoObject() const noexcept { return infoObject_; }

    // The used-character table that every TrueType font of the save shares.
    bool Used(int c) const { return usedChars_[static_cast<std::size_t>(c)]; }
    int FirstChar() const noexcept { return firstChar_; }
    int LastChar() const noexcept { return lastChar_; }

    // Byte offset of each object, by number (entry 0 unused).
    std::vector<uint64_t>& Offsets() noexcept { return offsets_; }

private:
    static int32_t LinkedRuns(const TPDFDocument& doc, const TPDFTextRes& text, double scale, TTextLayout& layout) {
        if (text.LinkCount == 0) return 0;
        LayoutText(text, doc.Fonts(), scale, layout);
        return static_cast<int32_t>(
            std::count_if(layout.Runs.begin(), layout.Runs.end(),
                          [&](const TTextRun& r) { return !text.LineOf(r).Link.empty(); }));
    }

    void NumberFont(const TPDFDocument& doc, int32_t fontNumber, TPagePlan& plan, int32_t& counter) {
        if (fontNumber < 1 || static_cast<std::size_t>(fontNumber) >= fontIndex_.size()) return;
        if (FontRecord(fontNumber)) return;
        TFontRecord rec;
        rec.FontNumber = fontNumber;
        rec.ObjectNumber = counter;
        if (fontNumber <= kStandardFontCount) {
            counter += 1;
        } else {
            rec.Font = doc.Fonts().Get(fontNumber - kStandardFontCount);
            rec.Embed = rec.Font && rec.Font->Embed;
            rec.Wide = rec.Font && WideFont(fontNumber);
            if (rec.Wide)
                counter += rec.Embed ? 5 : 4;  // Type 0, CID font, descriptor, ToUnicode, file
            else
                counter += rec.Embed ? 3 : 2;
            if (!usedCharsKnown_) MarkUsedCharacters(doc);
        }
        fontIndex_[static_cast<std::size_t>(fontNumber)] = static_cast<int32_t>(fonts_.size());
        plan.Fonts.push_back(fonts_.size());
        fonts_.push_back(rec);
    }

    // The fonts that wide text uses, and the glyphs each of them shows: every
    // character of a placed text that has a line in such a font counts for
    // that font (a joined run is drawn in its first line's font).
    void MarkWideFonts(const TPDFDocument& doc) {
        wideFonts_.assign(fontIndex_.size(), false);
        glyphChars_.resize(fontIndex_.size());
        std::vector<bool> seen(resources_.size(), false);
        std::vector<const TPDFFontRes*> inText;
        for (const TPDFPage& page : doc.Pages())
            for (const TPDFObj& obj : page.Placements) {
                if (obj.Kind != okText || obj.Resource < 1 ||
                    static_cast<std::size_t>(obj.Resource) >= resources_.size() ||
                    seen[static_cast<std::size_t>(obj.Resource)])
                    continue;
                seen[static_cast<std::size_t>(obj.Resource)] = true;
                auto* text = dynamic_cast<const TPDFTextRes*>(Resource(obj.Resource));
                if (!text) continue;
                inText.clear();
                std::vector<int32_t> numbers;
                for (const TTextLine& line : text->Lines) {
                    const int32_t f = line.FontNumber;
                    if (!line.IsWide || f <= kStandardFontCount || static_cast<std::size_t>(f) >= fontIndex_.size())
                        continue;
                    const TPDFFontRes* font = doc.Fonts().Get(f - kStandardFontCount);
                    if (!font) continue;
                    wideFonts_[static_cast<std::size_t>(f)] = true;
                    if (std::find(inText.begin(), inText.end(), font) != inText.end()) continue;
                    inText.push_back(font);
                    numbers.push_back(f);
                }
                for (std::size_t k = 0; k < inText.size(); ++k) {
                    std::vector<uint32_t>& chars = glyphChars_[static_cast<std::size_t>(numbers[k])];
                    if (chars.empty()) chars.assign(0x10000, kUnusedGlyph);
                    auto mark = [&](uint32_t cp) {
                        const uint16_t g = inText[k]->Reader.GlyphOf(cp);
                        if (chars[g] == kUnusedGlyph) chars[g] = cp;
                    };
                    for (const TTextLine& line : text->Lines) {
                        if (line.IsWide) {
                            for (std::size_t i = 0; i < line.Wide.size(); ++i) {
                                const TWideChar ch = WideCharAt(line.Wide, i);
                                if (ch.Starts) mark(ch.CodePoint);
                            }
                        } else {
                            for (const char c : line.Text) mark(FromAnsiChar(static_cast<unsigned char>(c)));
                        }
                    }
                }
            }
    }

    // Every character code of the written lines of all placed text, whatever
    // its font: the codes that get real widths in every TrueType font.
    void MarkUsedCharacters(const TPDFDocument& doc) {
        usedChars_.fill(false);
        for (const TPDFPage& page : doc.Pages())
            for (const TPDFObj& obj : page.Placements) {
                if (obj.Kind != okText) continue;
                auto* text = dynamic_cast<const TPDFTextRes*>(Resource(obj.Resource));
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

    std::vector<const TPDFResource*> resources_;  // by resource number
    std::vector<int32_t> resourceObjects_;        // by resource number
    std::vector<TPagePlan> pages_;                // in page order
    std::vector<TFontRecord> fonts_;              // in order of first use
    std::vector<int32_t> fontIndex_;  // font number -> index in fonts_, -1 when none
    std::vector<bool> wideFonts_;     // by font number
    std::vector<std::vector<uint32_t>> glyphChars_;  // by font number, for Type 0 fonts
    int32_t infoObject_ = 3;
    std::vector<uint64_t> offsets_;
    std::array<bool, 256> usedChars_{};
    bool usedCharsKnown_ = false;
    int firstChar_ = 255;
    int lastChar_ = 255;
};

class TDocumentWriter {
public:
    TDocumentWriter(const TPDFDocument& doc, TOutputBuffer& out, std::time_t created)
        : doc_(doc), out_(out), created_(created), plan_(doc, layout_) {}

    void Write() {
        AppendText(out_, "%PDF-1.2\r");
        WriteCatalog();
        WritePageTree();
        counter_ = 3;
        std::vector<const TPDFPage*> pages;
        pages.reserve(static_cast<std::size_t>(doc_.Pages().Count()));
        for (const TPDFPage& page : doc_.Pages()) pages.push_back(&page);
        // Unless the number of threads is set, the processors are counted
        // only if the workers start.
        const std::size_t threadBytes = SaveThreadThreshold(doc_);
        TPageStreams streams(
            pages.size(), threadBytes > 0 ? 0 : SaveThreadCount(doc_),
            doc_.CompressContents ? TDeflater::kDefaultLevel : 0,
            [&](std::size_t index, TPageScratch& scratch, TPageStream& out) {
                MakeContents(*pages[index], plan_.Page(index), scratch, out);
            },
            threadBytes);
        for (std::size_t index = 0; index < pages.size(); ++index)
            WritePageGroup(*pages[index], plan_.Page(index), streams.Next());
        WriteInfo();
        WriteXref();
    }

private:
    // --- objects ------------------------------------------------------------

    void BeginObject(int32_t number) {
        std::vector<uint64_t>& offsets = plan_.Offsets();
        if (number < 1 || static_cast<std::size_t>(number) >= offsets.size()) throw EPDFError(kIndexingError);
        offsets[static_cast<std::size_t>(number)] = out_.Position();
        AppendInt(out_, number);
        AppendText(out_, " 0 obj\r");
    }
    void EndObject() { AppendText(out_, "endobj\r"); }

    // The writing pass meets every object where the plan numbered it.
    void ExpectObject(int32_t planned) const {
        if (planned != counter_) throw EPDFError(kIndexingError);
    }

    void WriteCatalog() {
        BeginObject(1);
        AppendText(out_, "<<\r/Type /Catalog\r/Pages 2 0 R >>\r");
        EndObject();
    }

    void WritePageTree() {
        BeginObject(2);
        AppendText(out_, "<<\r/Type /Pages\r/Kids [");
        const auto pages = static_cast<std::size_t>(doc_.Pages().Count());
        for (std::size_t i = 0; i < pages; ++i) {
            AppendInt(out_, plan_.Page(i).ObjectNumber);
            AppendText(out_, " 0 R ");
        }
        AppendText(out_, "]\r/Count ");
        AppendInt(out_, doc_.Pages().Count());
        AppendText(out_, "\r>>\rendobj\r");
    }

    void WritePageObject(const TPDFPage& page, const TPagePlan& plan) {
        BeginObject(plan.ObjectNumber);
        AppendText(out_, "<<\r/Type /Page\r/Parent 2 0 R \r/MediaBox [ 0 0 ");
        AppendInt(out_, page.Width);
        AppendText(out_, " ");
        AppendInt(out_, page.Height);
        AppendText(out_, "]\r");
        if (!page.Placements.Empty()) {
            AppendText(out_, "/Resources \r<<\r");
            if (page.Placements.ImageCount() > 0) {
                AppendText(out_, "/XObject <<\r");
                // Each image once, even when the page places it several times:
                // a dictionary must not repeat a key.
                std::vector<int32_t> named;
                for (const TPDFObj& obj : page.Placements) {
                    if (obj.Kind != okImage) continue;
                    if (std::find(named.begin(), named.end(), obj.Resource) != named.end()) continue;
                    named.push_back(obj.Resource);
                    AppendText(out_, "/Im");
                    AppendInt(out_, obj.Resource);
                    AppendText(out_, " ");
                    AppendInt(out_, plan_.ResourceObject(obj.Resource));
                    AppendText(out_, " 0 R \r");
                }
                AppendText(out_, ">>\r");
            }
            AppendText(out_, "/ProcSet [ /PDF /ImageC ]\r");
            if (page.Placements.TextCount() > 0) WriteFontResources(page);
            AppendText(out_, ">>\r/Contents ");
            AppendInt(out_, plan.ObjectNumber + 1);
            AppendText(out_, " 0 R\r");
        }
        if (plan.AnnotationCount != 0) {
            AppendText(out_, "/Annots [ ");
            for (int32_t i = 0; i < plan.AnnotationCount; ++i) {
                AppendInt(out_, plan.FirstAnnotation + i);
                AppendText(out_, " 0 R ");
            }
            AppendText(out_, "]\r");
        }
        AppendText(out_, ">>\r");
        EndObject();
    }

    void WriteFontResources(const TPDFPage& page) {
        AppendText(out_, "/Font <<\r");
        std::vector<bool> listed(plan_.FontNumbers(), false);
        for (const TPDFObj& obj : page.Placements) {
            if (obj.Kind != okText) continue;
            auto* text = dynamic_cast<const TPDFTextRes*>(plan_.Resource(obj.Resource));
            if (!text) continue;
            for (const TTextLine& line : text->Lines) {
                const TFontRecord* rec = plan_.FontRecord(line.FontNumber);
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

    void WritePageGroup(const TPDFPage& page, const TPagePlan& plan, TPageStream contents) {
        ExpectObject(plan.ObjectNumber);
        WritePageObject(page, plan);
        ++counter_;
        const std::vector<TLink>& links = contents.Links;
        if (!page.Placements.Empty()) {
            WriteContents(contents.Data);
            counter_ += 2;
            for (const int32_t number : plan.Images) {
                ExpectObject(plan_.ResourceObject(number));
                WriteImageObjects(dynamic_cast<const TPDFImageRes&>(*plan_.Resource(number)));
            }
            for (const std::size_t font : plan.Fonts) {
                ExpectObject(plan_.Font(font).ObjectNumber);
                WriteFontObjects(plan_.Font(font));
            }
        }
        if (plan.AnnotationCount != 0) {
            ExpectObject(plan.FirstAnnotation);
            for (int32_t i = 1; i <= plan.AnnotationCount; ++i) WriteAnnotation(links[static_cast<std::size_t>(i)]);
        }
    }

    // The page's content stream and its links; called on any thread, so it
    // only reads the document and the plan.
    void MakeContents(const TPDFPage& page, const TPagePlan& plan, TPageScratch& scratch, TPageStream& out) const {
        out.Links.assign(static_cast<std::size_t>(plan.AnnotationCount) + 1, TLink{});
        if (page.Placements.Empty()) return;
        scratch.Content.clear();
        TContentWriter content(doc_, scratch.Content, out.Links, scratch.Layout, plan_.WideFonts());
        for (const TPDFObj& obj : page.Placements) content.WritePlacement(obj, plan_.Resource(obj.Resource));
        content.WriteUnderlines();
        scratch.Deflater.Compress(scratch.Content.data(), scratch.Content.size(), out.Data);
    }

    void WriteContents(const std::string& data) {
        const int32_t n = counter_;
        BeginObject(n);
        AppendText(out_, "<< /Length ");
        AppendInt(out_, n + 1);
        AppendText(out_, " 0 R /Filter /FlateDecode >>\rstream\r\n");
        out_.append(data.data(), data.size());
        AppendText(out_, "endstream\r");
        EndObject();
        BeginObject(n + 1);
        AppendInt(out_, static_cast<long long>(data.size()));
        AppendText(out_, "\r");
        EndObject();
    }

    void WriteStreamBody(std::string_view data) {
        AppendText(out_, "/Length ");
        AppendInt(out_, static_cast<long long>(data.size()) + 1);
        AppendText(out_, " >>\rstream\r\n");
        out_.AppendKept(data);  // the document's, which outlives the save
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
                if (image.PredictorColors != 0) {
                    AppendText(out_, "/DecodeParms << /Predictor 15 /Colors ");
                    AppendInt(out_, image.PredictorColors);
                    AppendText(out_, " /BitsPerComponent ");
                    AppendInt(out_, image.BitsPerComponent);
                    AppendText(out_, " /Columns ");
                    AppendInt(out_, image.Width);
                    AppendText(out_, " >>\r");
                }
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
        WriteStreamBody(image.StreamBytes());
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
        const TEmbeddedFile file = EmbeddedFile(rec, reader);
        if (rec.Wide) {
            WriteType0Objects(rec, reader, file);
            return;
        }
        AppendText(out_, "<< /Type /Font\r/Subtype /TrueType\r/FirstChar ");
        AppendInt(out_, plan_.FirstChar());
        AppendText(out_, "\r/LastChar ");
        AppendInt(out_, plan_.LastChar());
        AppendText(out_, "\r/Widths [ ");
        for (int c = plan_.FirstChar(); c <= plan_.LastChar(); ++c) {
            if (plan_.Used(c) && rec.Font)
                AppendInt(out_, static_cast<uint16_t>(rec.Font->Widths[static_cast<std::size_t>(c)]));
            else
                AppendText(out_, "0");
            AppendText(out_, " ");
        }
        AppendText(out_, "]\r/Encoding /WinAnsiEncoding\r/BaseFont /");
        AppendFontName(file, reader);
        AppendText(out_, "\r/FontDescriptor ");
        AppendInt(out_, n + 1);
        AppendText(out_, " 0 R\r>>\r");
        EndObject();
        ++counter_;

        WriteFontDescriptor(rec, reader, file, n + 1, 32, n + 2);
        if (rec.Embed) WriteFontFile(file, reader, n + 2);
    }

    // The font file an embedded font gets: the whole file, or its subset
    // (with the subset's tag) when SubsetFonts is on and the font's licence
    // bits allow it.
    struct TEmbeddedFile {
        std::vector<uint8_t> Subset;  // empty: the whole file
        std::string Tag;              // "ABCDEF+" for a subset
    };

    TEmbeddedFile EmbeddedFile(const TFontRecord& rec, const TvkFont& reader) const {
        TEmbeddedFile file;
        if (!rec.Embed || !doc_.SubsetFonts || !reader.Loaded() || ForbidsSubsetting(reader)) return file;
        std::vector<uint16_t> glyphs;
        std::vector<TCmapEntry> cmap;
        if (rec.Wide) {
            const std::vector<uint32_t>& chars = plan_.GlyphChars(rec.FontNumber);
            for (std::size_t g = 0; g < chars.size(); ++g) {
                if (chars[g] == kUnusedGlyph) continue;
                glyphs.push_back(static_cast<uint16_t>(g));
                if (g != 0 && chars[g] <= 0xFFFF) cmap.emplace_back(static_cast<uint16_t>(chars[g]), static_cast<uint16_t>(g));
            }
        } else {
            for (int c = 0; c < 256; ++c) {
                if (!plan_.Used(c)) continue;
                const uint16_t g = reader.GlyphOfByte(static_cast<uint8_t>(c));
                glyphs.push_back(g);
                const uint16_t code = reader.UnicodeMap() ? FromAnsiChar(static_cast<unsigned char>(c))
                                                          : static_cast<uint16_t>(c);
                if (g != 0) cmap.emplace_back(code, g);
            }
            std::sort(glyphs.begin(), glyphs.end());
            glyphs.erase(std::unique(glyphs.begin(), glyphs.end()), glyphs.end());
        }
        file.Subset = SubsetTrueType(reader, glyphs, cmap);
        if (!file.Subset.empty()) file.Tag = SubsetTag(reader.PostScriptName(), glyphs) + "+";
        return file;
    }

    void AppendFontName(const TEmbeddedFile& file, const TvkFont& reader) {
        AppendText(out_, file.Tag);
        AppendName(out_, reader.PostScriptName());
    }

    void WriteFontDescriptor(const TFontRecord& rec, const TvkFont& reader, const TEmbeddedFile& file, int32_t n,
                             int flags, int32_t fileObject) {
        BeginObject(n);
        AppendText(out_, "<< /Type /FontDescriptor\r/Ascent ");
        AppendInt(out_, static_cast<int16_t>(reader.Ascent()));
        AppendText(out_, "\r/CapHeight 0\r/Descent ");
        AppendInt(out_, static_cast<int16_t>(reader.Descent()));
        AppendText(out_, "\r/Flags ");
        AppendInt(out_, flags);
        AppendText(out_, "\r/FontBBox [ ");
        AppendInt(out_, static_cast<int16_t>(reader.BBoxXMin()));
        AppendText(out_, " ");
        AppendInt(out_, static_cast<int16_t>(reader.BBoxYMin()));
        AppendText(out_, " ");
        AppendInt(out_, static_cast<int16_t>(reader.BBoxXMax()));
        AppendText(out_, " ");
        AppendInt(out_, static_cast<int16_t>(reader.BBoxYMax()));
        AppendText(out_, " ]\r/FontName /");
        AppendFontName(file, reader);
        AppendText(out_, "\r/ItalicAngle ");
        const double angle = reader.ItalicAngle();
        AppendInt(out_, static_cast<long long>(std::trunc(angle >= 0 ? angle + 0.5 : angle - 0.5)));
        AppendText(out_, "\r/StemV 0\r");
        if (rec.Embed) {
            AppendText(out_, "/FontFile2 ");
            AppendInt(out_, fileObject);
            AppendText(out_, " 0 R\r");
        }
        AppendText(out_, ">>\r");
        EndObject();
        ++counter_;
    }

    void WriteFontFile(const TEmbeddedFile& file, const TvkFont& reader, int32_t n) {
        const std::span<const uint8_t> bytes = file.Subset.empty() ? reader.Data().Bytes()
                                                                   : std::span<const uint8_t>(file.Subset);
        const std::string compressed = Compress(bytes);
        BeginObject(n);
        AppendText(out_, "<< /Filter /FlateDecode\r/Length ");
        AppendInt(out_, static_cast<long long>(compressed.size()));
        AppendText(out_, " /Length1 ");
        AppendInt(out_, static_cast<long long>(bytes.size()));
        AppendText(out_, " >>\rstream\r\n");
        out_.append(compressed.data(), compressed.size());
        AppendText(out_, "endstream\r");
        EndObject();
        ++counter_;
    }

    // A Type 0 font (Identity-H) over a CIDFontType2 whose CIDs are the
    // font's glyph ids, with the widths of the glyphs used and a ToUnicode
    // map back to the characters.
    void WriteType0Objects(const TFontRecord& rec, const TvkFont& reader, const TEmbeddedFile& file) {
        const int32_t n = counter_;
        AppendText(out_, "<< /Type /Font\r/Subtype /Type0\r/BaseFont /");
        AppendFontName(file, reader);
        AppendText(out_, "\r/Encoding /Identity-H\r/DescendantFonts [ ");
        AppendInt(out_, n + 1);
        AppendText(out_, " 0 R ]\r/ToUnicode ");
        AppendInt(out_, n + 3);
        AppendText(out_, " 0 R\r>>\r");
        EndObject();
        ++counter_;

        const std::vector<uint32_t>& chars = plan_.GlyphChars(rec.FontNumber);
        BeginObject(n + 1);
        AppendText(out_, "<< /Type /Font\r/Subtype /CIDFontType2\r/BaseFont /");
        AppendFontName(file, reader);
        AppendText(out_, "\r/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>\r/FontDescriptor ");
        AppendInt(out_, n + 2);
        AppendText(out_, " 0 R\r/W [");
        // Runs of consecutive glyphs: first [ w1 w2 ... ].
        for (std::size_t g = 0; g < chars.size();) {
            if (chars[g] == kUnusedGlyph) {
                ++g;
                continue;
            }
            AppendText(out_, " ");
            AppendInt(out_, static_cast<long long>(g));
            AppendText(out_, " [");
            for (; g < chars.size() && chars[g] != kUnusedGlyph; ++g) {
                AppendText(out_, " ");
                AppendInt(out_, reader.GlyphWidth(static_cast<uint16_t>(g)));
            }
            AppendText(out_, " ]");
        }
        AppendText(out_, " ]\r/CIDToGIDMap /Identity\r>>\r");
        EndObject();
        ++counter_;

        WriteFontDescriptor(rec, reader, file, n + 2, 4, n + 4);

        std::string cmap =
            "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
            "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
            "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
            "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
        std::vector<std::size_t> mapped;
        for (std::size_t g = 1; g < chars.size(); ++g)
            if (chars[g] != kUnusedGlyph) mapped.push_back(g);
        for (std::size_t i = 0; i < mapped.size(); i += 100) {
            const std::size_t end = std::min(mapped.size(), i + 100);
            cmap += std::to_string(end - i);
            cmap += " beginbfchar\n";
            for (std::size_t k = i; k < end; ++k) {
                cmap += '<';
                cmap += Hex4(static_cast<uint16_t>(mapped[k]));
                cmap += "> <";
                const uint32_t cp = chars[mapped[k]];
                if (cp > 0xFFFF) {
                    cmap += Hex4(static_cast<uint16_t>(0xD800 + ((cp - 0x10000) >> 10)));
                    cmap += Hex4(static_cast<uint16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
                } else {
                    cmap += Hex4(static_cast<uint16_t>(cp));
                }
                cmap += ">\n";
            }
            cmap += "endbfchar\n";
        }
        cmap += "endcmap\nCMapName currentdict /CIDInit /ProcSet findresource defineresource pop\nend\nend\n";
        const std::string compressed =
            Compress(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(cmap.data()), cmap.size()));
        BeginObject(n + 3);
        AppendText(out_, "<< /Filter /FlateDecode\r/Length ");
        AppendInt(out_, static_cast<long long>(compressed.size()));
        AppendText(out_, " >>\rstream\r\n");
        out_.append(compressed.data(), compressed.size());
        AppendText(out_, "endstream\r");
        EndObject();
        ++counter_;

        if (rec.Embed) WriteFontFile(file, reader, n + 4);
    }

    static std::string Hex4(uint16_t v) {
        static const char* const hex = "0123456789ABCDEF";
        return {hex[v >> 12], hex[(v >> 8) & 15], hex[(v >> 4) & 15], hex[v & 15]};
    }

    // Bytes as one zlib stream at the default level.
    static std::string Compress(std::span<const uint8_t> bytes) {
        std::string out;
        TDeflater().Compress(bytes.data(), bytes.size(), out);
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
        const std::string narrow = ToAnsi(value);
        if (doc_.UnicodeText && FromAnsi(narrow) != value) {
            // Characters outside Windows-1252: a UTF-16BE text string with
            // its byte-order mark, in hexadecimal. The key ends in "(".
            const std::string_view name(key);
            AppendText(out_, name.substr(0, name.size() - 1));
            AppendText(out_, "<FEFF");
            for (const char16_t c : value) AppendText(out_, Hex4(c));
            AppendText(out_, ">\r");
            return;
        }
        AppendText(out_, key);
        AppendEscaped(out_, narrow);
        AppendText(out_, ")\r");
    }

    void WriteInfo() {
        ExpectObject(plan_.InfoObject());
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
        for (int32_t i = 1; i < size; ++i) WriteXrefEntry(plan_.Offsets()[static_cast<std::size_t>(i)]);
        AppendText(out_, "trailer\r<< \r/Size ");
        AppendInt(out_, size);
        AppendText(out_, "\r/Info ");
        AppendInt(out_, size - 1);
        AppendText(out_, " 0 R\r/Root 1 0 R\r>> \rstartxref\r");
        AppendInt(out_, static_cast<long long>(xref));
        AppendText(out_, "\r%%EOF\r");
    }

    const TPDFDocument& doc_;
    TOutputBuffer& out_;
    std::time_t created_;
    TTextLayout layout_;  // the text layout's storage, reused for every text
    TWritePlan plan_;
    int32_t counter_ = 3;
};

}  // namespace

void WriteDocument(const TPDFDocument& doc, TOutputBuffer& out, std::time_t created) {
    TDocumentWriter(doc, out, created).Write();
}

}  // namespace vellumark
