// Helpers shared by the tests: temporary folders, files, PDF checks.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vellumark::test {

// A fresh folder below the system's temporary folder, removed at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& path);

// Little-endian integers appended to a byte string (building test files).
inline void Put16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}
void WriteFile(const std::filesystem::path& path, const std::string& data);

// Result of running a shell command: exit status and everything it printed.
struct CommandResult {
    int status = -1;
    std::string output;  // standard output and standard error together
};
CommandResult RunCommand(const std::string& command);
std::string ShellQuote(const std::string& s);

// Runs qpdf --check on the file; the assertion fails on errors or warnings.
::testing::AssertionResult QpdfCheck(const std::filesystem::path& pdf);

// The file with the creation date's digits replaced by zeros.
std::string MaskCreationDate(std::string pdf);

// Decompresses a zlib stream (the content streams the writer produces).
std::string Inflate(const std::string& data);

// The data of stream object `number` of a PDF written by our writer.
std::string StreamData(const std::string& pdf, int number);

// Renders page `page` with pdftoppm at `dpi` into an 8-bit RGB raster.
struct Raster {
    int width = 0;
    int height = 0;
    std::string rgb;  // width * height * 3 bytes
    // The pixel at (x, y), top-left origin, as 0xRRGGBB.
    uint32_t At(int x, int y) const;
};
Raster RenderPage(const std::filesystem::path& pdf, int page, int dpi);

// splitmix64: the same pseudo-random pictures on every run.
class TRandom {
public:
    explicit TRandom(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform integer in [0, n).
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>((Next() >> 32) % n); }

private:
    uint64_t state_;
};

// Packs a string of '0' and '1' (other characters ignored) into bytes, most
// significant bit first, the last byte padded with 0 bits.
std::string PackBitString(const std::string& bits);

// Independent tools the tests compare with; each answer is remembered.
// A program on the PATH:
bool HasTool(const std::string& name);
// Python modules importable by the system interpreter (/usr/bin/python3),
// e.g. "PIL.Image" or "PIL.Image, numpy":
bool HavePython(const std::string& modules);
inline bool HavePillow() { return HavePython("PIL.Image"); }
inline bool HaveConvert() { return HasTool("convert"); }

// The 8-bit RGB pixels of an image file as Pillow decodes it (empty on a
// failure, which is also reported to the test).
std::string PillowRGB(const std::filesystem::path& file);
// The same as ImageMagick decodes it, alpha dropped; the first image of a
// file holding several.
std::string MagickRGB(const std::filesystem::path& file);

// fontTools' advance widths of the characters (code points) in font units,
// after the font's unitsPerEm, which comes first.
std::vector<double> FontToolsAdvances(const std::string& font, const std::vector<uint32_t>& chars);

struct TWordBox {
    std::string text;
    double xMin = 0, xMax = 0;
};
// The words of page 1 as pdftotext -bbox finds them, in reading order.
std::vector<TWordBox> PdftotextWords(const std::filesystem::path& pdf);

}  // namespace vellumark::test
