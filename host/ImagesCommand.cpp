#include "host/ImagesCommand.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <exception>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/NoCase.h"
#include "base/OutputSink.h"
#include "base/TextCodec.h"
#include "base/Threads.h"
#include "engine/Vellumark.h"
#include "images/ImageImport.h"
#include "writer/PageStreams.h"
#include "writer/SaveToFile.h"

namespace vellumark::host {

const char* const kImagesUsage =
    "Usage: vellumark images [OPTIONS] -o OUT IMAGE...\n"
    "\n"
    "Makes OUT (\".pdf\" is added unless present; - writes the PDF to standard\n"
    "output) with one page per image (a page for every image of a TIFF file).\n"
    "Without --pagesize each page is the image's own size (plus the margins),\n"
    "the image at scale 100. Transparent parts of an image are merged over the\n"
    "background colour (white unless --background says otherwise).\n"
    "\n"
    "Options:\n"
    "  -o, --output OUT        the PDF file to write, or - for standard output\n"
    "  --pagesize SIZE         every page this size, the image centred on it:\n"
    "                          A3, A4, A5, Letter, Legal, Tabloid, Statement or\n"
    "                          Executive (portrait; add _L for landscape, e.g.\n"
    "                          A4_L), or WxH with a unit pt, mm, cm or in (points\n"
    "                          without one), e.g. 210x297mm or 8.5x11in\n"
    "  --fit MODE              how the image meets a --pagesize page:\n"
    "                            into    as large as fits inside, keeping its\n"
    "                                    shape (the default)\n"
    "                            fill    covers the whole page, keeping its shape;\n"
    "                                    the page cuts off what is outside it\n"
    "                            exact   stretched to the page\n"
    "                            shrink  as into, but never enlarged\n"
    "  --margin LENGTH         room left free on every side (a unit as above;\n"
    "                          not with --fit fill). Without --pagesize the page\n"
    "                          grows by the margins\n"
    "  --background COLOR      the colour transparent parts are merged over:\n"
    "                          #RRGGBB, white, black, gray, red, green or blue\n"
    "  --bw none|g4|zip        black-and-white images (default g4)\n"
    "  --gray none|zip|jpeg    grayscale images (default zip)\n"
    "  --indexed none|zip      palette images (default zip)\n"
    "  --rgb none|zip|jpeg     full-colour images (default zip)\n"
    "  --no-source-compression decode JPEG and Group 4 sources instead of\n"
    "                          copying their data\n"
    "  --no-png-passthrough    decode PNG images and compress them again instead\n"
    "                          of copying their compressed data\n"
    "  -v, --verbose           one line per page on standard error: file, page,\n"
    "                          size and compression\n"
    "  -h, --help              this text\n"
    "\n"
    "On a terminal a progress line is shown on standard error. An image that\n"
    "cannot be read stops the run (exit status 1), naming the file and, for a\n"
    "TIFF file, the page; nothing is written then. Bad usage gives status 2.\n";

namespace {

constexpr int kExitOk = 0;
constexpr int kExitInput = 1;
constexpr int kExitUsage = 2;

// The longest page side --pagesize takes, in points (200 inches).
constexpr double kMaxPageSide = 14400;

enum class TFit { Into, Fill, Exact, Shrink };

struct TSettings {
    std::string output;
    std::vector<std::string> inputs;
    bool pageSize = false;  // --pagesize given
    TPageSize pageCode = psCustom;
    double pageWidth = 0;  // points, with pageCode psCustom
    double pageHeight = 0;
    TFit fit = TFit::Into;
    double margin = 0;  // points
    uint32_t background = 0xFFFFFF;
    bool verbose = false;
};

bool ParseCompression(std::string_view value, std::string_view allowed, TxCompressFormat& out) {
    static const std::map<std::string_view, TxCompressFormat> names = {
        {"none", cfNone}, {"g4", cfGroup4}, {"zip", cfZIP}, {"jpeg", cfJPEG}};
    auto it = names.find(value);
    if (it == names.end()) return false;
    // `allowed` lists the names this option takes, separated by "|".
    std::string_view rest = allowed;
    while (!rest.empty()) {
        const std::size_t bar = rest.find('|');
        if (rest.substr(0, bar) == value) {
            out = it->second;
            return true;
        }
        if (bar == std::string_view::npos) break;
        rest.remove_prefix(bar + 1);
    }
    return false;
}

// A length with an optional unit (pt, mm, cm, in; points without one), in
// points; false for anything else or a value that is not finite.
bool ParseLength(std::string_view text, double& points) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data()) return false;
    const std::string_view unit(end, static_cast<std::size_t>(text.data() + text.size() - end));
    double factor = 0;
    if (unit.empty() || unit == "pt")
        factor = 1;
    else if (unit == "mm")
        factor = 72 / 25.4;
    else if (unit == "cm")
        factor = 72 / 2.54;
    else if (unit == "in")
        factor = 72;
    else
        return false;
    points = value * factor;
    return std::isfinite(points);
}

// A page size name (A4, A4_L, psA4_P, letter-l, ...) or WxH with a unit.
bool ParsePageSize(std::string_view text, TSettings& s) {
    static const std::pair<std::string_view, TPageSize> names[] = {{"A3", psA3_P},
                                                                   {"A4", psA4_P},
                                                                   {"A5", psA5_P},
                                                                   {"Letter", psLetter_P},
                                                                   {"Legal", psLegal_P},
                                                                   {"Tabloid", psTabloid_P},
                                                                   {"Statement", psStatement_P},
                                                                   {"Executive", psExecutive_P}};
    std::string_view name = text;
    if (name.size() > 2 && EqualsNoCase(name.substr(0, 2), std::string_view("ps"))) name.remove_prefix(2);
    bool landscape = false;
    if (name.size() > 2 && (name[name.size() - 2] == '_' || name[name.size() - 2] == '-')) {
        const char o = name.back();
        if (o == 'L' || o == 'l')
            landscape = true;
        else if (o != 'P' && o != 'p')
            return false;
        name.remove_suffix(2);
    }
    for (const auto& [n, code] : names)
        if (EqualsNoCase(name, n)) {
            s.pageCode = static_cast<TPageSize>(code + (landscape ? 1 : 0));
            return true;
        }
    // WxH: the unit after the height applies to both; one after the width
    // as well is allowed.
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos) return false;
    std::string width(text.substr(0, x));
    const std::string_view height = text.substr(x + 1);
    std::size_t unitAt = height.size();
    while (unitAt > 0 && std::isalpha(static_cast<unsigned char>(height[unitAt - 1]))) --unitAt;
    if (!width.empty() && !std::isalpha(static_cast<unsigned char>(width.back()))) width += height.substr(unitAt);
    double w = 0, h = 0;
    if (!ParseLength(width, w) || !ParseLength(height, h)) return false;
    if (!(w >= 1 && h >= 1 && w <= kMaxPageSide && h <= kMaxPageSide)) return false;
    s.pageCode = psCustom;
    s.pageWidth = w;
    s.pageHeight = h;
    return true;
}

// #RRGGBB or a colour name, as an OLE colour (0x00BBGGRR).
bool ParseColor(std::string_view text, uint32_t& color) {
    static const std::pair<std::string_view, uint32_t> names[] = {
        {"white", 0xFFFFFF}, {"black", 0x000000}, {"gray", 0x808080}, {"grey", 0x808080},
        {"red", 0x0000FF},   {"green", 0x008000}, {"blue", 0xFF0000}};
    for (const auto& [n, value] : names)
        if (EqualsNoCase(text, n)) {
            color = value;
            return true;
        }
    if (text.size() != 7 || text[0] != '#') return false;
    uint32_t rgb = 0;
    const auto [end, ec] = std::from_chars(text.data() + 1, text.data() + 7, rgb, 16);
    if (ec != std::errc() || end != text.data() + 7) return false;
    color = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
    return true;
}

// Gives the image resource resolutions whose ratio makes its natural size
// the shape of `width` x `height`, and answers the scale in percent at which
// it is that size. A placement has one scale for both directions; the
// resolutions carry the stretch, to within a few hundred-thousandths.
double StretchTo(TPDFImageRes& image, double width, double height) {
    // The smaller resolution is 20000 where the larger stays within 32 bits.
    constexpr double kBase = 20000, kLargest = 4e9;
    const double ratio = (width * image.Height) / (height * image.Width);  // yRes / xRes
    const double spread = std::max(ratio, 1 / ratio);
    const double larger = std::min(kLargest, kBase * spread);
    const double smaller = std::max(1.0, std::round(larger / spread));
    image.XResolution = static_cast<uint32_t>(ratio < 1 ? std::round(larger) : smaller);
    image.YResolution = static_cast<uint32_t>(ratio < 1 ? smaller : std::round(larger));
    return width * 100 * image.XResolution / (image.Width * 72.0);
}

// The colour class and compression of an image resource, for -v.
std::string Describe(const TPDFImageRes& image) {
    std::string s = std::to_string(image.Width) + "x" + std::to_string(image.Height) + " px, ";
    switch (image.Compression) {
        case cfGroup4: return s + "black and white, Group 4";
        case cfJPEG: return s + (image.JPEGComponents == 4 ? "CMYK" : image.GrayJPEG ? "gray" : "RGB") + ", JPEG";
        case cfZIP:
        case cfNone: break;
    }
    if (image.Indexed)
        s += std::to_string(image.PaletteSize) + " colours (" + std::to_string(image.BitsPerComponent) + " bit)";
    else
        s += "RGB";
    return s + (image.Compression == cfZIP ? ", Flate" : ", uncompressed");
}

const char* FitName(TFit fit) {
    switch (fit) {
        case TFit::Into: return "into";
        case TFit::Fill: return "fill";
        case TFit::Exact: return "exact";
        case TFit::Shrink: return "shrink";
    }
    return "";
}

// Places image resource `resource` on a new last page as the settings say.
void AddImagePage(TVellumark& engine, const TSettings& s, int32_t resource) {
    const double imageWidth = engine.ImageWidth(resource);
    const double imageHeight = engine.ImageHeight(resource);
    const double m = s.margin;
    if (!s.pageSize) {
        // The page takes the image's size in whole points (at least 1), and
        // the margins.
        engine.AddPage(0);
        const int32_t page = engine.Pages().Count();
        engine.SetPageWidth(page, imageWidth + 2 * m);
        engine.SetPageHeight(page, imageHeight + 2 * m);
        const int32_t index = engine.ApplyResource(page, resource);
        if (m > 0) engine.Locate(page, index, m, engine.GetPageHeight(page) - m);
        return;
    }
    engine.AddPage(0);
    const int32_t page = engine.Pages().Count();
    if (s.pageCode == psCustom) {
        engine.SetPageWidth(page, s.pageWidth);
        engine.SetPageHeight(page, s.pageHeight);
    }
    const double pageWidth = engine.GetPageWidth(page);
    const double pageHeight = engine.GetPageHeight(page);
    const int32_t index = engine.ApplyResource(page, resource);
    if (!(imageWidth > 0 && imageHeight > 0)) return;
    const double boxWidth = pageWidth - 2 * m, boxHeight = pageHeight - 2 * m;
    double scale = 1;
    switch (s.fit) {
        case TFit::Into: scale = std::min(boxWidth / imageWidth, boxHeight / imageHeight); break;
        case TFit::Shrink: scale = std::min({1.0, boxWidth / imageWidth, boxHeight / imageHeight}); break;
        case TFit::Fill: scale = std::max(pageWidth / imageWidth, pageHeight / imageHeight); break;
        case TFit::Exact: scale = 0; break;
    }
    double width = imageWidth * scale, height = imageHeight * scale;
    double percent = scale * 100;
    if (s.fit == TFit::Exact) {
        width = boxWidth;
        height = boxHeight;
        percent = StretchTo(dynamic_cast<TPDFImageRes&>(*engine.Resource(resource)), width, height);
    }
    engine.ScaleObject(page, index, percent);
    engine.Locate(page, index, (pageWidth - width) / 2, (pageHeight + height) / 2);
}

// Writes to a standard stream.
class TStreamSink : public TOutputSink {
public:
    explicit TStreamSink(std::ostream& out) : out_(out) {}
    int Write(const char* data, std::size_t size) override {
        out_.write(data, static_cast<std::streamsize>(size));
        return out_ ? 0 : EIO;
    }

private:
    std::ostream& out_;
};

// The options, one entry each: its names, whether it takes a value, and what
// it does with it (false: the value is not one it takes).
struct TOption {
    std::vector<std::string_view> names;
    const char* value;  // the value's form for messages; null: takes none
    std::function<bool(std::string_view, TSettings&, TVellumark&)> apply;
};

std::vector<TOption> Options() {
    auto compression = [](void (TVellumark::*set)(TxCompressFormat) noexcept, std::string_view allowed) {
        return [set, allowed](std::string_view v, TSettings&, TVellumark& e) {
            TxCompressFormat value = cfNone;
            if (!ParseCompression(v, allowed, value)) return false;
            (e.*set)(value);
            return true;
        };
    };
    return {
        {{"-o", "--output"},
         "a file name",
         [](std::string_view v, TSettings& s, TVellumark&) {
             s.output = v;
             return !v.empty();
         }},
        {{"--bw"}, "none|g4|zip", compression(&TVellumark::SetCompressionBW, "none|g4|zip")},
        {{"--gray"}, "none|zip|jpeg", compression(&TVellumark::SetCompressionGray, "none|zip|jpeg")},
        {{"--indexed"}, "none|zip", compression(&TVellumark::SetCompressionIndexed, "none|zip")},
        {{"--rgb"}, "none|zip|jpeg", compression(&TVellumark::SetCompressionRGB, "none|zip|jpeg")},
        {{"--no-source-compression"},
         nullptr,
         [](std::string_view, TSettings&, TVellumark& e) {
             e.UseSourceCompression = false;
             return true;
         }},
        {{"--no-png-passthrough"},
         nullptr,
         [](std::string_view, TSettings&, TVellumark& e) {
             e.PassPNGData = false;
             return true;
         }},
        {{"--pagesize"},
         "a page size name or WxH with a unit (e.g. A4, Letter_L, 210x297mm)",
         [](std::string_view v, TSettings& s, TVellumark&) { return s.pageSize = ParsePageSize(v, s); }},
        {{"--fit"},
         "into|fill|exact|shrink",
         [](std::string_view v, TSettings& s, TVellumark&) {
             for (TFit f : {TFit::Into, TFit::Fill, TFit::Exact, TFit::Shrink})
                 if (v == FitName(f)) {
                     s.fit = f;
                     return true;
                 }
             return false;
         }},
        {{"--margin"},
         "a length of 0 or more with a unit (e.g. 10mm)",
         [](std::string_view v, TSettings& s, TVellumark&) {
             return ParseLength(v, s.margin) && s.margin >= 0 && s.margin <= kMaxPageSide;
         }},
        {{"--background"},
         "#RRGGBB or white, black, gray, red, green, blue",
         [](std::string_view v, TSettings& s, TVellumark&) { return ParseColor(v, s.background); }},
        {{"-v", "--verbose"},
         nullptr,
         [](std::string_view, TSettings& s, TVellumark&) {
             s.verbose = true;
             return true;
         }},
    };
}

// The image resources of one file, or what stopped its reading.
struct TFileImages {
    std::vector<std::unique_ptr<TPDFImageRes>> images;
    bool tiff = false;
    std::exception_ptr error;  // raised reading image number images.size() + 1
};

// Reads every image of a file: each file is read once, and a TIFF file gives
// one image per page, its directories walked once.
TFileImages ReadFileImages(const std::string& name, const TImportSettings& settings) {
    TFileImages result;
    try {
        TImageFileReader file(ReadWholeFile(name, "File not found"));
        result.tiff = file.IsTiff();
        const int32_t count = file.Count();
        for (int32_t image = 1; image <= count; ++image) result.images.push_back(file.Next(settings));
    } catch (...) {
        result.error = std::current_exception();
    }
    return result;
}

// Reads the files in order, on the calling thread and, when there is more
// than one file and threads are allowed, on one more thread: while the
// caller adds the images of one file, the next is read, decoded and
// compressed. The thread starts only once a file has taken kSlowRead to
// read, or at once when the number of threads was chosen: files that are
// only copied (JPEG, Group 4 strips) cost less than handing them between
// threads. At most kWindow files are read and not yet
// taken, so memory stays bounded; the thread is stopped and joined when this
// goes. Each file's images depend only on the file and the settings, so the
// document is the same whichever thread read them.
class TFileReadAhead {
public:
    static constexpr std::size_t kWindow = 2;
    static constexpr std::chrono::microseconds kSlowRead{1000};

    TFileReadAhead(const std::vector<std::string>& names, const TImportSettings& settings, bool threaded,
                   bool atOnce)
        : names_(names), settings_(settings), results_(names.size()), threaded_(threaded && names.size() > 1),
          slow_(atOnce) {}
    ~TFileReadAhead() {
        {
            TLockGuard lock(mutex_);
            stop_ = true;
        }
        changed_.NotifyAll();
        worker_.reset();  // joined here, before the members it uses go
    }
    TFileReadAhead(const TFileReadAhead&) = delete;
    TFileReadAhead& operator=(const TFileReadAhead&) = delete;

    // The images of file n; files are taken in order, each once.
    TFileImages Take(std::size_t n) {
        if (threaded_ && slow_ && !worker_) {
            threaded_ = false;
            try {
                worker_.emplace([this] { Work(); });
            } catch (const std::exception&) {
                // No thread to be had: every file is read by the caller.
            }
        }
        for (;;) {
            std::size_t claimed = 0;
            {
                TLockGuard lock(mutex_);
                for (;;) {
                    if (results_[n]) {
                        TFileImages result = std::move(*results_[n]);
                        results_[n].reset();
                        taken_ = n + 1;
                        changed_.NotifyAll();
                        return result;
                    }
                    // While the other thread reads file n, the caller
                    // reads the next one, within the window.
                    if (claimed_ < names_.size() && claimed_ < taken_ + kWindow) break;
                    changed_.Wait(mutex_);
                }
                claimed = claimed_++;
            }
            const auto start = std::chrono::steady_clock::now();
            Read(claimed);
            if (std::chrono::steady_clock::now() - start >= kSlowRead) slow_ = true;
        }
    }

private:
    void Work() {
        for (;;) {
            std::size_t n = 0;
            {
                TLockGuard lock(mutex_);
                while (!stop_ && claimed_ < names_.size() && claimed_ >= taken_ + kWindow) changed_.Wait(mutex_);
                if (stop_ || claimed_ == names_.size()) return;
                n = claimed_++;
            }
            Read(n);
        }
    }
    void Read(std::size_t n) {
        TFileImages result = ReadFileImages(names_[n], settings_);
        TLockGuard lock(mutex_);
        results_[n] = std::move(result);
        changed_.NotifyAll();
    }

    const std::vector<std::string>& names_;
    const TImportSettings settings_;
    TMutex mutex_;
    TCondition changed_;
    std::vector<std::optional<TFileImages>> results_;  // read and not yet taken
    std::size_t claimed_ = 0;  // files a thread has begun to read
    std::size_t taken_ = 0;    // files taken
    bool stop_ = false;
    bool threaded_;      // a thread may still be started (the caller's only)
    bool slow_;          // a file took the caller kSlowRead (the caller's only)
    std::optional<TThread> worker_;  // last: it goes first
};

}  // namespace

int RunImagesCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err, bool progress) {
    TVellumark engine;
    TSettings s;
    const std::vector<TOption> options = Options();
    engine.PassPNGData = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (a == "-h" || a == "--help") {
            out << kImagesUsage;
            return kExitOk;
        }
        const auto option = std::find_if(options.begin(), options.end(), [&](const TOption& o) {
            return std::find(o.names.begin(), o.names.end(), a) != o.names.end();
        });
        if (option != options.end()) {
            if (option->value && i + 1 >= args.size()) {
                err << "vellumark images: " << a << " needs " << option->value << "\n" << kImagesUsage;
                return kExitUsage;
            }
            const std::string_view value = option->value ? args[++i] : std::string_view();
            if (!option->apply(value, s, engine)) {
                err << "vellumark images: " << a << " takes " << option->value << ", not '" << value << "'\n";
                return kExitUsage;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            err << "vellumark images: unknown option '" << a << "'\n" << kImagesUsage;
            return kExitUsage;
        } else {
            s.inputs.emplace_back(a);
        }
    }
    if (s.output.empty() || s.inputs.empty()) {
        err << "vellumark images: " << (s.output.empty() ? "no output file (-o OUT)" : "no image files") << "\n"
            << kImagesUsage;
        return kExitUsage;
    }
    if (s.fit == TFit::Fill && s.margin > 0) {
        err << "vellumark images: --margin does not go with --fit fill, which covers the whole page\n";
        return kExitUsage;
    }
    if (s.pageSize && s.pageCode != psCustom) {
        TPageDimensions dims{};
        PageSizeDimensions(s.pageCode, dims);
        s.pageWidth = dims.width;
        s.pageHeight = dims.height;
    }
    if (s.pageSize && !(2 * s.margin < std::min(s.pageWidth, s.pageHeight))) {
        err << "vellumark images: the margins leave no room on the page\n";
        return kExitUsage;
    }

    engine.DefaultPageSize = s.pageSize ? s.pageCode : psCustom;
    // PDF pages of this version have no transparency: it is merged over the
    // background colour as the image is read.
    engine.MergeAlpha = true;
    engine.MergeAlphaColor = s.background;
    // Threads as the save would use them: VELLUMARK_THREADS=1 keeps the
    // reading on this thread too, a number chosen starts the thread at once.
    TFileReadAhead files(s.inputs, engine.ImportSettings(), SaveThreadCount(engine) > 1,
                         SaveThreadThreshold(engine) == 0);
    for (std::size_t n = 0; n < s.inputs.size(); ++n) {
        const std::string& name = s.inputs[n];
        if (progress) err << "\r[" << n + 1 << "/" << s.inputs.size() << "] " << name << "\x1b[K" << std::flush;
        TFileImages file = files.Take(n);
        const std::size_t images = file.images.size() + (file.error ? 1 : 0);
        for (std::size_t i = 0; i < images; ++i) {
            const std::size_t image = i + 1;
            int32_t resource = 0;
            try {
                if (i == file.images.size()) std::rethrow_exception(file.error);
                resource = engine.AddResource(std::move(file.images[i]));
            } catch (const std::exception& ex) {
                if (progress) err << "\n";
                err << "vellumark images: " << name;
                if (file.tiff) err << " (page " << image << ")";
                err << ": " << ex.what() << "\n";
                err << "vellumark images: nothing written\n";
                return kExitInput;
            }
            AddImagePage(engine, s, resource);
            if (s.verbose) {
                const int32_t page = engine.Pages().Count();
                if (progress) err << "\r\x1b[K";
                err << name;
                if (file.tiff) err << " (page " << image << ")";
                err << ": " << Describe(dynamic_cast<const TPDFImageRes&>(*engine.Resource(resource))) << "; page "
                    << page << ", " << engine.GetPageWidth(page) << "x" << engine.GetPageHeight(page) << " pt\n";
                if (progress) err << "[" << n + 1 << "/" << s.inputs.size() << "] " << name << "\x1b[K" << std::flush;
            }
        }
    }
    if (progress) err << "\n";
    try {
        if (s.output == "-") {
            TStreamSink sink(out);
            SaveDocumentToSink(engine, sink);
            out.flush();
            if (!out) throw EPDFError("Stream write error. " + std::string(std::strerror(EIO)));
        } else {
            engine.SaveToFile(Utf8ToUtf16(s.output));
        }
    } catch (const std::exception& ex) {
        err << "vellumark images: " << ex.what() << "\n";
        return kExitInput;
    }
    return kExitOk;
}

}  // namespace vellumark::host
