#include "host/ImagesCommand.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "base/TextCodec.h"
#include "engine/Vellumark.h"

namespace vellumark::host {

const char* const kImagesUsage =
    "Usage: vellumark images [OPTIONS] -o OUT IMAGE...\n"
    "\n"
    "Makes OUT (\".pdf\" is added unless present) with one page per image (a\n"
    "page for every image of a TIFF file), each page the image's own size, the\n"
    "image at scale 100.\n"
    "\n"
    "Options:\n"
    "  --bw none|g4|zip        black-and-white images (default g4)\n"
    "  --gray none|zip|jpeg    grayscale images (default zip)\n"
    "  --indexed none|zip      palette images (default zip)\n"
    "  --rgb none|zip|jpeg     full-colour images (default zip)\n"
    "  --no-source-compression decode JPEG and Group 4 sources instead of\n"
    "                          copying their data\n";

namespace {

constexpr int kExitOk = 0;
constexpr int kExitInput = 1;
constexpr int kExitUsage = 2;

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

// Pages of a TIFF file ("II" or "MM" at its start); 1 for any other file, and
// for a TIFF file that cannot be counted, so that adding it reports why.
int32_t PagesOf(const TVellumark& engine, const std::string& name) {
    char head[2] = {};
    std::ifstream in(name, std::ios::binary);
    if (!in.read(head, 2)) return 1;
    if (!((head[0] == 'I' && head[1] == 'I') || (head[0] == 'M' && head[1] == 'M'))) return 1;
    try {
        return std::max(engine.ImageCount(Utf8ToUtf16(name)), int32_t{1});
    } catch (const std::exception&) {
        return 1;
    }
}

}  // namespace

int RunImagesCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err,
                     bool progress) {
    TVellumark engine;
    std::string output;
    std::vector<std::string> inputs;
    struct Option {
        const char* allowed;
        void (TVellumark::*set)(TxCompressFormat) noexcept;
    };
    const std::map<std::string_view, Option> options = {
        {"--bw", {"none|g4|zip", &TVellumark::SetCompressionBW}},
        {"--gray", {"none|zip|jpeg", &TVellumark::SetCompressionGray}},
        {"--indexed", {"none|zip", &TVellumark::SetCompressionIndexed}},
        {"--rgb", {"none|zip|jpeg", &TVellumark::SetCompressionRGB}},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (a == "-o" || a == "--output") {
            if (i + 1 >= args.size()) {
                err << "vellumark images: " << a << " needs a file name\n" << kImagesUsage;
                return kExitUsage;
            }
            output = args[++i];
        } else if (a == "--no-source-compression") {
            engine.UseSourceCompression = false;
        } else if (auto it = options.find(a); it != options.end()) {
            TxCompressFormat value = cfNone;
            if (i + 1 >= args.size() || !ParseCompression(args[i + 1], it->second.allowed, value)) {
                err << "vellumark images: " << a << " takes " << it->second.allowed << "\n";
                return kExitUsage;
            }
            (engine.*(it->second.set))(value);
            ++i;
        } else if (a == "-h" || a == "--help") {
            out << kImagesUsage;
            return kExitOk;
        } else if (a.size() > 1 && a[0] == '-') {
            err << "vellumark images: unknown option '" << a << "'\n" << kImagesUsage;
            return kExitUsage;
        } else {
            inputs.emplace_back(a);
        }
    }
    if (output.empty() || inputs.empty()) {
        err << "vellumark images: " << (output.empty() ? "no output file (-o OUT)" : "no image files") << "\n"
            << kImagesUsage;
        return kExitUsage;
    }

    engine.DefaultPageSize = psCustom;
    for (std::size_t n = 0; n < inputs.size(); ++n) {
        const std::string& name = inputs[n];
        if (progress) err << "\r[" << n + 1 << "/" << inputs.size() << "] " << name << "\x1b[K" << std::flush;
        // A TIFF file gives one page per image in it.
        const int32_t images = PagesOf(engine, name);
        const int32_t readNumber = engine.GetImageReadNumber();
        for (int32_t image = 1; image <= images; ++image) {
            engine.SetImageReadNumber(image);
            int32_t resource = 0;
            try {
                resource = engine.AddImageFile(Utf8ToUtf16(name));
            } catch (const std::exception& ex) {
                engine.SetImageReadNumber(readNumber);
                if (progress) err << "\n";
                err << "vellumark images: " << name;
                if (images > 1) err << " (page " << image << ")";
                err << ": " << ex.what() << "\n";
                err << "vellumark images: nothing written\n";
                return kExitInput;
            }
            engine.AddPage(0);
            const int32_t page = engine.Pages().Count();
            // The page takes the image's size in whole points (at least 1).
            engine.SetPageWidth(page, engine.ImageWidth(resource));
            engine.SetPageHeight(page, engine.ImageHeight(resource));
            engine.ApplyResource(page, resource);
        }
        engine.SetImageReadNumber(readNumber);
    }
    if (progress) err << "\n";
    try {
        engine.SaveToFile(Utf8ToUtf16(output));
    } catch (const std::exception& ex) {
        err << "vellumark images: " << ex.what() << "\n";
        return kExitInput;
    }
    return kExitOk;
}

}  // namespace vellumark::host
