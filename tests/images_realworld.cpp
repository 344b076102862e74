// Image files made by other programs: the test images of Debian's source
// packages pillow (Tests/images), tiff (test/images), libpng1.6
// (contrib/testpngs) and giflib (pic), fetched into a cache outside the
// repository by scripts/fetch-realworld-images.sh.
//
// Every file whose first two bytes choose one of our readers is added twice:
// with the default settings, and decoded (no source compression, every
// compression Flate). For each file that Pillow reads as the same format,
// the decoded image must show Pillow's pixels (16-bit samples within 1; GIF
// pixels of the transparent index excepted), unless the table
// tests/data/realworld/expected.txt says otherwise: that the file is refused
// (with which message, by which adds, and why), that another file shows what
// it should look like where Pillow is wrong, or that its pixels differ from
// Pillow's and why. A file that behaves otherwise than the table says, in
// either direction, fails the test. Every other file (one Pillow cannot read,
// or another format with the same first bytes) only has to be read or
// refused cleanly. Each set of pages is saved as one PDF that qpdf must check
// without a warning.
//
// Environment:
//   CI=true                     missing files or tools fail the test instead
//                               of skipping it
//   VELLUMARK_REALWORLD_DIR     the cache (default
//                               ${XDG_CACHE_HOME:-$HOME/.cache}/vellumark/realworld)
//   VELLUMARK_REALWORLD_WRITE=F writes the table as this run observes it to
//                               F, keeping the reasons of known entries ("?"
//                               for new ones): the way to update the table
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "engine/Vellumark.h"

namespace vellumark {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::RunCommand;
using test::ShellQuote;

const fs::path kTable = fs::path(TEST_DATA_DIR) / "realworld" / "expected.txt";
const fs::path kReference = fs::path(TEST_DATA_DIR) / "realworld" / "pillow_reference.py";

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

bool InCI() { return Env("CI") == "true"; }

fs::path CacheDir() {
    if (!Env("VELLUMARK_REALWORLD_DIR").empty()) return Env("VELLUMARK_REALWORLD_DIR");
    const fs::path base = !Env("XDG_CACHE_HOME").empty() ? fs::path(Env("XDG_CACHE_HOME"))
                                                           : fs::path(Env("HOME")) / ".cache";
    return base / "vellumark" / "realworld";
}

// The reader the engine chooses by the first two bytes, and the formats
// Pillow gives the files that reader is meant for.
struct TFamily {
    uint8_t first, second;
    const char* reader;
    std::vector<std::string> pillowFormats;
};
const std::vector<TFamily> kFamilies = {
    {0x00, 0x00, "WBMP", {"WBMP"}}, {0x0A, 0x05, "PCX", {"PCX"}}, {'8', 'B', "PSD", {"PSD"}},
    {'G', 'I', "GIF", {"GIF"}},     {'I', 'I', "TIFF", {"TIFF"}}, {'M', 'M', "TIFF", {"TIFF"}},
    {'B', 'M', "BMP", {"BMP"}},     {0x89, 'P', "PNG", {"PNG"}},  {0xFF, 0xD8, "JPEG", {"JPEG", "MPO"}},
};

struct TFile {
    std::string name;  // package/path inside its folder
    fs::path path;
    const TFamily* family = nullptr;
};

// Every file of the sets that one of our readers takes, in name order.
std::vector<TFile> Collect(const std::vector<fs::path>& sets) {
    std::vector<TFile> files;
    for (const fs::path& set : sets) {
        const std::string folder = set.filename().string();
        const std::string package = folder.substr(0, folder.find('_'));
        for (const auto& entry : fs::recursive_directory_iterator(set)) {
            if (!entry.is_regular_file() || entry.path().filename().string().starts_with(".")) continue;
            char head[2] = {};
            std::ifstream in(entry.path(), std::ios::binary);
            if (!in.read(head, 2)) continue;
            for (const TFamily& f : kFamilies)
                if (static_cast<uint8_t>(head[0]) == f.first && static_cast<uint8_t>(head[1]) == f.second)
                    files.push_back({package + "/" + fs::relative(entry.path(), set).generic_string(), entry.path(), &f});
        }
    }
    std::sort(files.begin(), files.end(), [](const TFile& a, const TFile& b) { return a.name < b.name; });
    return files;
}

// What Pillow made of a file (see pillow_reference.py).
struct TReference {
    bool read = false;
    std::string error;
    std::string format, mode;
    uint32_t width = 0, height = 0;
    int tolerance = -1;  // for each sample; -1: there are no reference pixels
    bool keyed = false;
    int channels = 0;  // of the reference pixels: 3 (red, green, blue) or 1 (grey)
};

std::vector<std::string> Split(const std::string& line, char sep) {
    std::vector<std::string> fields;
    std::stringstream ss(line);
    for (std::string f; std::getline(ss, f, sep);) fields.push_back(f);
    return fields;
}

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    const auto e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

std::vector<TReference> RunPillow(const std::vector<TFile>& files, const fs::path& out) {
    std::ofstream list(out / "list");
    for (const TFile& f : files) {
        std::string formats = f.family ? "" : "*";
        if (f.family)
            for (const std::string& format : f.family->pillowFormats) formats += (formats.empty() ? "" : ",") + format;
        list << f.path.string() << "\t" << formats << "\n";
    }
    list.close();
    const auto r = RunCommand("/usr/bin/python3 " + ShellQuote(kReference.string()) + " " +
                              ShellQuote(out.string()) + " " + ShellQuote((out / "list").string()) + " >/dev/null");
    EXPECT_EQ(r.status, 0) << r.output;
    std::vector<TReference> refs(files.size());
    std::ifstream info(out / "info");
    for (std::string line; std::getline(info, line);) {
        const auto f = Split(line, '\t');
        const std::size_t i = std::stoul(f.at(0));
        TReference& ref = refs.at(i);
        if (f.at(1) == "error") {
            ref.error = f.size() > 2 ? f[2] : "";
            continue;
        }
        ref.read = true;
        ref.format = f.at(2);
        ref.mode = f.at(3);
        ref.width = static_cast<uint32_t>(std::stoul(f.at(4)));
        ref.height = static_cast<uint32_t>(std::stoul(f.at(5)));
        ref.tolerance = f.at(6) == "-" ? -1 : std::stoi(f.at(6));
        ref.keyed = f.at(7) == "1";
        ref.channels = std::stoi(f.at(8));
    }
    return refs;
}

// The table: "file | kind | detail | reason" a line. Kinds:
//   both, decoded, default  refused by both adds, or only by the decoded
//                  one (the default add reuses the source data), or only by
//                  the default one; detail: the message
//   reference      read; the detail names the file (of the same sets) whose
//                  Pillow reading shows what it should look like
//   differs        read, and its pixels differ from Pillow's; detail: -
struct TEntry {
    std::string kind, detail, reason;
    bool seen = false;
};

std::map<std::string, TEntry> ReadTable() {
    std::map<std::string, TEntry> table;
    std::ifstream in(kTable);
    for (std::string line; std::getline(in, line);) {
        if (Trim(line).empty() || Trim(line)[0] == '#') continue;
        const auto f = Split(line, '|');
        EXPECT_EQ(f.size(), 4u) << "malformed line in " << kTable << ": " << line;
        if (f.size() != 4) continue;
        const std::string kind = Trim(f[1]);
        EXPECT_TRUE(kind == "both" || kind == "decoded" || kind == "default" || kind == "reference" ||
                    kind == "differs")
            << line;
        EXPECT_TRUE(table.emplace(Trim(f[0]), TEntry{kind, Trim(f[2]), Trim(f[3])}).second)
            << "listed twice: " << f[0];
    }
    return table;
}

// The result of one add.
struct TOutcome {
    int32_t resource = 0;  // 0: refused
    std::string message;
};

TOutcome Add(TVellumark& engine, const std::string& data) {
    TOutcome o;
    try {
        o.resource = engine.AddImageBytes({reinterpret_cast<const uint8_t*>(data.data()), data.size()});
        engine.AddPage(0);
        engine.ApplyResource(engine.Pages().Count(), o.resource);
    } catch (const std::exception& e) {
        o.message = e.what();
    }
    return o;
}

// The pixels of a Flate-compressed or uncompressed image resource as 8-bit
// red, green, blue.
std::string ResourcePixels(const TPDFImageRes& image) {
    const std::string data = image.Compression == cfZIP ? test::Inflate(image.ImageStream) : image.ImageStream;
    if (!image.Indexed) return data;
    const std::string palette = image.Compression == cfZIP ? test::Inflate(image.PaletteStream) : image.PaletteStream;
    const unsigned bits = image.BitsPerComponent;
    const std::size_t rowBytes = (std::size_t{image.Width} * bits + 7) / 8;
    std::string rgb;
    rgb.reserve(std::size_t{image.Width} * image.Height * 3);
    for (std::size_t y = 0; y < image.Height; ++y)
        for (std::size_t x = 0; x < image.Width; ++x) {
            const std::size_t bit = x * bits;
            const std::size_t at = y * rowBytes + bit / 8;
            const unsigned byte = at < data.size() ? static_cast<uint8_t>(data[at]) : 0;
            const unsigned index = (byte >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
            for (unsigned c = 0; c < 3; ++c)
                rgb += 3 * index + c < palette.size() ? palette[3 * index + c] : '\0';
        }
    return rgb;
}

// "" when our pixels (red, green, blue) agree with Pillow's (red, green, blue,
// or grey when `channels` is 1) within `tolerance`, pixels where `skip`
// holds 1 excepted; else where and how they differ. `maxDiff` gets the
// largest difference of a sample.
std::string Compare(const std::string& ours, const std::string& theirs, int channels, const std::string& skip,
                    uint32_t width, int tolerance, int& maxDiff) {
    maxDiff = 0;
    const std::size_t pixels = ours.size() / 3;
    if (channels < 1 || ours.size() % 3 != 0 || theirs.size() != pixels * static_cast<std::size_t>(channels))
        return std::to_string(ours.size()) + " bytes of pixels against Pillow's " + std::to_string(theirs.size());
    auto sample = [&](std::size_t p, std::size_t c) {
        return static_cast<uint8_t>(theirs[channels == 1 ? p : 3 * p + c]);
    };
    std::size_t bad = 0, first = 0;
    for (std::size_t p = 0; p < pixels; ++p) {
        if (!skip.empty() && skip[p] == 1) continue;
        for (std::size_t c = 0; c < 3; ++c) {
            const int d = std::abs(static_cast<uint8_t>(ours[3 * p + c]) - sample(p, c));
            maxDiff = std::max(maxDiff, d);
            if (d > tolerance && bad++ == 0) first = p;
        }
    }
    if (bad == 0) return "";
    char buf[160];
    std::snprintf(buf, sizeof buf, "%zu samples differ, the first at (%zu, %zu): ours %02x%02x%02x, Pillow's %02x%02x%02x",
                  bad, first % width, first / width, static_cast<uint8_t>(ours[3 * first]),
                  static_cast<uint8_t>(ours[3 * first + 1]), static_cast<uint8_t>(ours[3 * first + 2]),
                  sample(first, 0), sample(first, 1), sample(first, 2));
    return buf;
}

std::vector<fs::path> ReadSets(const fs::path& cache) {
    std::vector<fs::path> sets;
    std::ifstream in(cache / "sets");
    for (std::string line; std::getline(in, line);)
        if (!Trim(line).empty()) sets.emplace_back(Trim(line));
    return sets;
}

TEST(ImagesRealWorld, FilesOfOtherProjectsDecodeAsPillowDoesOrAsTheTableSays) {
    const fs::path cache = CacheDir();
    const std::vector<fs::path> sets = ReadSets(cache);
    const bool present = !sets.empty() && std::all_of(sets.begin(), sets.end(), [](const fs::path& p) {
        return fs::is_directory(p);
    });
    if (!present) {
        const std::string why = "the test images are not in " + cache.string() +
                                " (scripts/fetch-realworld-images.sh fetches them)";
        if (InCI()) FAIL() << why;
        GTEST_SKIP() << why;
    }
    if (!test::HavePython("PIL.Image, numpy") || !test::HasTool("qpdf")) {
        if (InCI()) FAIL() << "/usr/bin/python3 with PIL and numpy, and qpdf, are needed";
        GTEST_SKIP() << "/usr/bin/python3 with PIL and numpy, and qpdf, are needed";
    }

    const std::vector<TFile> files = Collect(sets);
    ASSERT_GT(files.size(), 500u) << "the sets in " << cache << " look incomplete";
    std::map<std::string, TEntry> table = ReadTable();

    // Pillow reads the files, then the other references the table names.
    std::vector<TFile> readByPillow = files;
    std::map<std::string, std::size_t> otherReference;
    for (const auto& [name, entry] : table) {
        if (entry.kind != "reference") continue;
        const std::string package = entry.detail.substr(0, entry.detail.find('/'));
        for (const fs::path& set : sets)
            if (set.filename().string().starts_with(package + "_")) {
                otherReference[entry.detail] = readByPillow.size();
                readByPillow.push_back({entry.detail, set / entry.detail.substr(package.size() + 1), nullptr});
            }
    }
    test::TempDir dir;
    const std::vector<TReference> refs = RunPillow(readByPillow, dir.Path());

    TVellumark plain;  // the defaults: JPEG and Group 4 data reused
    TVellumark decoded;
    decoded.UseSourceCompression = false;
    decoded.SetCompressionBW(cfZIP);
    decoded.SetCompressionGray(cfZIP);
    decoded.SetCompressionIndexed(cfZIP);
    decoded.SetCompressionRGB(cfZIP);

    struct TCounts {
        int files = 0, exact = 0, withinOne = 0, otherReference = 0, differs = 0, noPixels = 0;
        int otherFormat = 0, unreadable = 0, unreadableRead = 0;
        std::map<std::string, int> refused;  // by reason
        std::map<std::string, int> byReader;
    } n;
    std::ostringstream observed;  // the table as this run sees it
    auto note = [&](const std::string& name, const std::string& kind, const std::string& detail) {
        auto it = table.find(name);
        std::string reason = it != table.end() ? it->second.reason : "?";
        observed << name << " | " << kind << " | " << detail << " | " << reason << "\n";
        if (it == table.end()) {
            ADD_FAILURE() << "not in the table: " << kind << " (" << detail << ")\n  a line for "
                          << kTable.filename() << ": " << name << " | " << kind << " | " << detail << " | <reason>";
            return reason;
        }
        it->second.seen = true;
        EXPECT_EQ(it->second.kind + " " + it->second.detail, kind + " " + detail) << "the table says otherwise";
        return reason;
    };

    for (std::size_t i = 0; i < files.size(); ++i) {
        const TFile& file = files[i];
        const TReference& ref = refs[i];
        SCOPED_TRACE(file.name);
        ++n.files;
        ++n.byReader[file.family->reader];
        const std::string data = ReadFile(file.path);
        const TOutcome a = Add(plain, data);
        const TOutcome b = Add(decoded, data);

        // A file with a reference of its own is compared with it even when
        // Pillow cannot read the file itself.
        const auto entry = table.find(file.name);
        const bool ownReference = entry != table.end() && entry->second.kind == "reference";
        const auto& formats = file.family->pillowFormats;
        if (!ownReference && !ref.read) {
            ++n.unreadable;
            n.unreadableRead += b.resource != 0;
            continue;
        }
        if (!ownReference && std::find(formats.begin(), formats.end(), ref.format) == formats.end()) {
            ++n.otherFormat;
            continue;
        }

        if (a.resource == 0 || b.resource == 0) {
            const std::string kind = b.resource != 0 ? "default" : a.resource != 0 ? "decoded" : "both";
            const std::string message = b.resource == 0 ? b.message : a.message;
            if (kind == "both" && a.message != b.message)
                ADD_FAILURE() << "the default add says \"" << a.message << "\", the decoded one \"" << b.message << "\"";
            ++n.refused[note(file.name, kind, message)];
            continue;
        }

        auto* image = dynamic_cast<const TPDFImageRes*>(decoded.Resource(b.resource));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->Compression, cfZIP);
        std::size_t r = i;  // the reference reading
        if (ownReference) {
            const auto other = otherReference.find(entry->second.detail);
            if (other == otherReference.end()) {
                ADD_FAILURE() << "no such reference: " << entry->second.detail;
                continue;
            }
            r = other->second;
            ++n.otherReference;
        }
        if (refs[r].tolerance < 0) {
            ++n.noPixels;  // Pillow has no 8-bit RGB reading of it
            continue;
        }
        const std::string key = refs[r].keyed ? ReadFile(dir / (std::to_string(r) + ".key")) : std::string();
        int maxDiff = 0;
        const std::string diff =
            image->Width != refs[r].width || image->Height != refs[r].height
                ? std::to_string(image->Width) + " x " + std::to_string(image->Height) + " pixels, Pillow's " +
                      std::to_string(refs[r].width) + " x " + std::to_string(refs[r].height)
                : Compare(ResourcePixels(*image), ReadFile(dir / (std::to_string(r) + ".pixels")), refs[r].channels,
                          key, refs[r].width, refs[r].tolerance, maxDiff);
        if (r != i) {
            EXPECT_EQ(diff, "") << "against " << entry->second.detail;
            note(file.name, "reference", entry->second.detail);
        } else if (!diff.empty()) {
            ++n.differs;
            const std::string reason = note(file.name, "differs", "-");
            if (reason == "?") ADD_FAILURE() << diff << " (Pillow reads it as " << ref.format << " " << ref.mode << ")";
        } else {
            ++(maxDiff == 0 ? n.exact : n.withinOne);
        }
    }

    for (const auto& [name, entry] : table)
        if (!entry.seen)
            ADD_FAILURE() << name << " is listed as \"" << entry.kind << "\", but its file no longer behaves so (or "
                          << "no longer exists): " << entry.reason;

    // One PDF a setting, every image on a page of its own.
    for (auto* engine : {&plain, &decoded}) {
        const fs::path pdf = dir / (engine == &plain ? "default.pdf" : "decoded.pdf");
        engine->SaveToFile(pdf.u16string());
        EXPECT_TRUE(test::QpdfCheck(pdf)) << pdf.filename();
    }

    if (!Env("VELLUMARK_REALWORLD_WRITE").empty())
        std::ofstream(Env("VELLUMARK_REALWORLD_WRITE")) << observed.str();

    int refused = 0;
    for (const auto& [reason, count] : n.refused) refused += count;
    std::cout << "[ realworld ] " << n.files << " files for our readers. "
              << n.files - n.unreadable - n.otherFormat
              << " of them Pillow reads as the same format, or have a reference of their own: " << n.exact
              << " pixel-exact, " << n.withinOne << " within 1, " << n.otherReference
              << " against another reference, " << n.differs << " different, " << n.noPixels
              << " without reference pixels, " << refused << " refused. " << n.otherFormat
              << " are another format with the same first bytes; " << n.unreadable << " Pillow cannot read ("
              << n.unreadableRead << " of them we read).\n[ realworld ]  by reader:";
    for (const auto& [reader, count] : n.byReader) std::cout << " " << reader << " " << count;
    std::cout << "\n";
    for (const auto& [reason, count] : n.refused) std::cout << "[ realworld ]   " << count << " refused: " << reason << "\n";
}

}  // namespace
}  // namespace vellumark
