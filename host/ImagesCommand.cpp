#include "host/ImagesCommand.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/TextCodec.h"
#include "engine/Vellumark.h"
#include "images/ImageImport.h"

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
    "                          copying their data\n"
    "  --no-png-passthrough    decode PNG images and compress them again instead\n"
    "                          of copying their compressed data\n";

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

}  // namespace

int RunImagesCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err,
                     bool progress) {
    TVellumark engine;
    engine.PassPNGData = true;
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
        } else if (a == "--no-png-passthrough") {
            engine.PassPNGData = false;
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
    const TImportSettings settings = engine.ImportSettings();
    for (std::size_t n = 0; n < inputs.size(); ++n) {
        const std::string& name = inputs[n];
        if (progress) err << "\r[" << n + 1 << "/" << inputs.size() << "] " << name << "\x1b[K" << std::flush;
        // Each file is read once; a TIFF file gives one page per image in it,
        // its directories walked once.
        std::optional<TImageFileReader> file;
        int32_t images = 1;
        for (int32_t image = 1; image <= images; ++image) {
            int32_t resource = 0;
            try {
                if (!file) {
                    file.emplace(ReadWholeFile(name, "File not found"));
                    images = file->Count();
                }
                resource = engine.AddResource(file->Next(settings));
            } catch (const std::exception& ex) {
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
