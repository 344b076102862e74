#include "TestUtil.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <sys/wait.h>

namespace vellumark::test {

TempDir::TempDir() {
    std::random_device rd;
    for (;;) {
        path_ = std::filesystem::temp_directory_path() /
                ("vellumark-test-" + std::to_string(rd()) + std::to_string(rd()));
        if (std::filesystem::create_directory(path_)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary);
    out << data;
}

std::string ShellQuote(const std::string& s) {
    std::string q(1, '\'');
    for (char c : s) {
        if (c == '\'')
            q.append("'\\''");
        else
            q.push_back(c);
    }
    q.push_back('\'');
    return q;
}

CommandResult RunCommand(const std::string& command) {
    CommandResult r;
    std::FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) r.output.append(buf.data(), n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

::testing::AssertionResult QpdfCheck(const std::filesystem::path& pdf) {
    CommandResult r = RunCommand("qpdf --check " + ShellQuote(pdf.string()));
    if (r.status != 0)
        return ::testing::AssertionFailure() << "qpdf --check exit " << r.status << ":\n" << r.output;
    if (r.output.find("WARNING") != std::string::npos || r.output.find("warning") != std::string::npos)
        return ::testing::AssertionFailure() << "qpdf --check warned:\n" << r.output;
    if (r.output.find("No syntax or stream encoding errors found") == std::string::npos)
        return ::testing::AssertionFailure() << "qpdf --check did not confirm the file:\n" << r.output;
    return ::testing::AssertionSuccess();
}

std::string MaskCreationDate(std::string pdf) {
    const std::string key = "/CreationDate (D:";
    for (std::size_t at = pdf.find(key); at != std::string::npos; at = pdf.find(key, at + 1)) {
        std::size_t digits = at + key.size();
        for (std::size_t i = digits; i < digits + 14 && i < pdf.size(); ++i)
            if (pdf[i] >= '0' && pdf[i] <= '9') pdf[i] = '0';
    }
    return pdf;
}

std::string Inflate(const std::string& data) {
    z_stream zs{};
    inflateInit(&zs);
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    std::string out;
    std::array<char, 65536> buf;
    int rc;
    do {
        zs.next_out = reinterpret_cast<Bytef*>(buf.data());
        zs.avail_out = buf.size();
        rc = inflate(&zs, Z_NO_FLUSH);
        out.append(buf.data(), buf.size() - zs.avail_out);
    } while (rc == Z_OK);
    inflateEnd(&zs);
    EXPECT_EQ(rc, Z_STREAM_END) << "not a complete zlib stream";
    return out;
}

std::string StreamData(const std::string& pdf, int number) {
    std::string head(1, '\r');
    head.append(std::to_string(number)).append(" 0 obj\r");
    std::size_t at = pdf.find(head);
    if (at == std::string::npos) return {};
    std::size_t s = pdf.find("stream\r\n", at);
    std::size_t e = pdf.find("endstream\r", s);
    if (s == std::string::npos || e == std::string::npos) return {};
    s += 8;
    return pdf.substr(s, e - s);
}

uint32_t Raster::At(int x, int y) const {
    std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    auto b = [&](std::size_t k) { return static_cast<uint32_t>(static_cast<unsigned char>(rgb[k])); };
    return (b(i) << 16) | (b(i + 1) << 8) | b(i + 2);
}

Raster RenderPage(const std::filesystem::path& pdf, int page, int dpi) {
    TempDir dir;
    const std::string prefix = (dir / "page").string();
    CommandResult r = RunCommand("pdftoppm -r " + std::to_string(dpi) + " -f " + std::to_string(page) +
                                 " -l " + std::to_string(page) + " -singlefile " +
                                 ShellQuote(pdf.string()) + " " + ShellQuote(prefix));
    Raster raster;
    if (r.status != 0) {
        ADD_FAILURE() << "pdftoppm failed: " << r.output;
        return raster;
    }
    std::string ppm = ReadFile(prefix + ".ppm");
    std::istringstream in(ppm);
    std::string magic;
    int maxval = 0;
    in >> magic >> raster.width >> raster.height >> maxval;
    in.get();
    if (magic != "P6" || maxval != 255) {
        ADD_FAILURE() << "unexpected pdftoppm output";
        return raster;
    }
    raster.rgb = ppm.substr(static_cast<std::size_t>(in.tellg()));
    return raster;
}

std::string PackBitString(const std::string& bits) {
    std::string out;
    int n = 0;
    unsigned acc = 0;
    for (char c : bits) {
        if (c != '0' && c != '1') continue;
        acc = (acc << 1) | (c == '1' ? 1u : 0u);
        if (++n == 8) {
            out += static_cast<char>(acc);
            acc = 0;
            n = 0;
        }
    }
    if (n > 0) out += static_cast<char>(acc << (8 - n));
    return out;
}

std::vector<double> FontToolsAdvances(const std::string& font, const std::vector<uint32_t>& chars) {
    std::string args;
    for (const uint32_t c : chars) args.append(" ").append(std::to_string(c));
    const CommandResult r = RunCommand(
        "/usr/bin/python3 -c " +
        ShellQuote("import sys\nfrom fontTools.ttLib import TTFont\n"
                   "f = TTFont(sys.argv[1])\ncmap = f.getBestCmap()\n"
                   "print(f['head'].unitsPerEm, *(f['hmtx'][cmap[int(c)]][0] for c in sys.argv[2:]))") +
        " " + ShellQuote(font) + args);
    std::vector<double> v;
    EXPECT_EQ(r.status, 0) << r.output;
    std::istringstream in(r.output);
    for (double x; in >> x;) v.push_back(x);
    EXPECT_EQ(v.size(), chars.size() + 1) << r.output;
    return v;
}

std::vector<TWordBox> PdftotextWords(const std::filesystem::path& pdf) {
    const CommandResult r = RunCommand("pdftotext -bbox " + ShellQuote(pdf.string()) + " -");
    EXPECT_EQ(r.status, 0) << r.output;
    std::vector<TWordBox> words;
    std::size_t at = 0;
    while ((at = r.output.find("<word ", at)) != std::string::npos) {
        const auto attr = [&](const std::string& key) {
            const std::size_t p = r.output.find(key + "=\"", at);
            return std::stod(r.output.substr(p + key.size() + 2));
        };
        TWordBox w;
        w.xMin = attr("xMin");
        w.xMax = attr("xMax");
        const std::size_t open = r.output.find('>', at) + 1;
        const std::size_t close = r.output.find("</word>", open);
        w.text = r.output.substr(open, close - open);
        words.push_back(w);
        at = close;
    }
    return words;
}

namespace {

bool Remembered(std::map<std::string, bool>& cache, const std::string& key, const std::string& command) {
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.emplace(key, RunCommand(command).status == 0).first;
    return it->second;
}

}  // namespace

bool HasTool(const std::string& name) {
    static std::map<std::string, bool> cache;
    return Remembered(cache, name, "command -v " + ShellQuote(name) + " >/dev/null");
}

bool HavePython(const std::string& modules) {
    static std::map<std::string, bool> cache;
    return Remembered(cache, modules, "/usr/bin/python3 -c " + ShellQuote("import " + modules));
}

std::string PillowRGB(const std::filesystem::path& file) {
    const auto out = file.string() + ".pil.rgb";
    const auto r = RunCommand("/usr/bin/python3 -c " +
                              ShellQuote("import sys\nfrom PIL import Image\n"
                                         "open(sys.argv[2], 'wb').write(Image.open(sys.argv[1]).convert('RGB').tobytes())") +
                              " " + ShellQuote(file.string()) + " " + ShellQuote(out));
    EXPECT_EQ(r.status, 0) << r.output;
    return std::filesystem::exists(out) ? ReadFile(out) : std::string();
}

std::string MagickRGB(const std::filesystem::path& file) {
    const auto out = file.string() + ".im.rgb";
    const auto r = RunCommand("convert " + ShellQuote(file.string() + "[0]") + " -alpha off -depth 8 " +
                              ShellQuote("rgb:" + out));
    EXPECT_EQ(r.status, 0) << r.output;
    return std::filesystem::exists(out) ? ReadFile(out) : std::string();
}

}  // namespace vellumark::test
