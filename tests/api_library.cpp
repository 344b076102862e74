// The library's C and C++ interfaces: the same document through the C
// interface, the C++ interface and the script host gives the same file;
// saving to memory and to a stream gives the file's bytes; errors carry the
// member's message; strings cross as UTF-8 and UTF-16; the shared library
// exports only the public interfaces; the C and C++ examples run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "vellumark/vellumark.h"
#include "vellumark/vellumark.hpp"

namespace vellumark {
namespace {

using test::MaskCreationDate;
using test::QpdfCheck;
using test::ReadFile;
using test::RunCommand;
using test::ShellQuote;
using test::TempDir;
using test::WriteFile;

const char* const kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const std::string kImage = SOURCE_DIR "/examples/data/badge.png";

std::string AsString(const std::vector<std::byte>& bytes) {
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// One document, as the script host writes it...
const std::string kScript = R"(Set D = CreateObject("VellumarkX.PDFDoc")
D.Units = umMillimeters
D.Title = "Grüße"
D.AddPage 0
D.AddPage 1
D.PageSize(2) = psLetter_L
F = D.AddFont(")" + std::string(kFont) + R"(")
D.EmbedFont(F) = True
T = D.CreateText
D.TextFont = F
D.TextSize = 13
D.TextColor = &H336699
D.TextMaxWidth = 60
D.TextAlign = taCenter
D.WriteText "Wrapped text of a few words, in a column of sixty millimetres."
D.WriteLink "a link", "https://example.org/"
I = D.ApplyResource(1, T)
D.Locate 1, I, 20, 250
D.Rotate 1, I, 10
G = D.CreateGraphic
D.LineWidth = 2
D.LineColor = &H0000FF
D.FillColor = &HCCFFCC
D.Fill = True
D.Rectangle 10, 10, 60, 40
D.Ellipse 100, 100, 30, 15, 20
D.Circle 150, 200, 12
D.DrawLine 0, 0, 210, 297
D.ApplyResource 2, G
P = D.AddImageFile(")" + kImage + R"(")
I = D.ApplyResource(2, P)
D.ScaleObject 2, I, 50
D.Locate 2, I, 120, 150
D.SetImageLink 2, I, "https://example.org/image"
D.SaveToFile ")";

// ...through the C++ interface...
void BuildCpp(Document& d) {
    d.SetUnits(UnitsMeas::umMillimeters);
    d.SetTitle(u"Grüße");
    d.AddPage(0);
    d.AddPage(1);
    d.SetPageSize(2, PageSize::psLetter_L);
    const std::int32_t f = d.AddFont(kFont);
    d.SetEmbedFont(f, true);
    const std::int32_t t = d.CreateText();
    d.SetTextFont(f);
    d.SetTextSize(13);
    d.SetTextColor(Rgb(0x99, 0x66, 0x33));
    d.SetTextMaxWidth(60);
    d.SetTextAlign(TextAlign::taCenter);
    d.WriteText("Wrapped text of a few words, in a column of sixty millimetres.");
    d.WriteLink(u"a link", u"https://example.org/");
    std::int32_t i = d.ApplyResource(1, t);
    d.Locate(1, i, 20, 250);
    d.Rotate(1, i, 10);
    const std::int32_t g = d.CreateGraphic();
    d.SetLineWidth(2);
    d.SetLineColor(0x0000FF);
    d.SetFillColor(0xCCFFCC);
    d.SetFill(true);
    d.Rectangle(10, 10, 60, 40);
    d.Ellipse(100, 100, 30, 15, 20);
    d.Circle(150, 200, 12);
    d.DrawLine(0, 0, 210, 297);
    d.ApplyResource(2, g);
    const std::string image = ReadFile(kImage);
    const std::int32_t p = d.AddImageBytes(image);
    i = d.ApplyResource(2, p);
    d.ScaleObject(2, i, 50);
    d.Locate(2, i, 120, 150);
    d.SetImageLink(2, i, "https://example.org/image");
}

// ...and through the C interface; false on the first failed call.
bool BuildC(vm_doc* d) {
    int32_t f = 0, t = 0, i = 0, g = 0, p = 0;
    const std::string image = ReadFile(kImage);
    return vm_set_Units(d, vm_umMillimeters) == VM_OK && vm_set_Title(d, "Grüße") == VM_OK &&
           vm_AddPage(d, 0) == VM_OK && vm_AddPage(d, 1) == VM_OK && vm_set_PageSize(d, 2, vm_psLetter_L) == VM_OK &&
           vm_AddFont(d, kFont, &f) == VM_OK && vm_set_EmbedFont(d, f, 1) == VM_OK && vm_CreateText(d, &t) == VM_OK &&
           vm_set_TextFont(d, f) == VM_OK && vm_set_TextSize(d, 13) == VM_OK &&
           vm_set_TextColor(d, vm_rgb(0x99, 0x66, 0x33)) == VM_OK && vm_set_TextMaxWidth(d, 60) == VM_OK &&
           vm_set_TextAlign(d, vm_taCenter) == VM_OK &&
           vm_WriteText(d, "Wrapped text of a few words, in a column of sixty millimetres.") == VM_OK &&
           vm_WriteLink(d, "a link", "https://example.org/") == VM_OK && vm_ApplyResource(d, 1, t, &i) == VM_OK &&
           vm_Locate(d, 1, i, 20, 250) == VM_OK && vm_Rotate(d, 1, i, 10) == VM_OK && vm_CreateGraphic(d, &g) == VM_OK &&
           vm_set_LineWidth(d, 2) == VM_OK && vm_set_LineColor(d, 0x0000FF) == VM_OK &&
           vm_set_FillColor(d, 0xCCFFCC) == VM_OK && vm_set_Fill(d, 1) == VM_OK &&
           vm_Rectangle(d, 10, 10, 60, 40) == VM_OK && vm_Ellipse(d, 100, 100, 30, 15, 20) == VM_OK &&
           vm_Circle(d, 150, 200, 12) == VM_OK && vm_DrawLine(d, 0, 0, 210, 297) == VM_OK &&
           vm_ApplyResource(d, 2, g, &i) == VM_OK &&
           vm_AddImageBytes(d, image.data(), image.size(), &p) == VM_OK && vm_ApplyResource(d, 2, p, &i) == VM_OK &&
           vm_ScaleObject(d, 2, i, 50) == VM_OK && vm_Locate(d, 2, i, 120, 150) == VM_OK &&
           vm_SetImageLink(d, 2, i, "https://example.org/image") == VM_OK;
}

TEST(ApiLibrary, CCppAndScriptHostWriteTheSameFile) {
    TempDir dir;
    const std::string scripted = (dir / "script.pdf").string();
    WriteFile(dir / "t.vbs", kScript + scripted + "\"\n");
    const test::CommandResult run = RunCommand(std::string(VELLUMARK_BIN) + " run " + ShellQuote((dir / "t.vbs").string()));
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_TRUE(QpdfCheck(scripted));
    const std::string expected = MaskCreationDate(ReadFile(scripted));

    // C++: to a file, to memory and to a stream.
    Document cpp;
    BuildCpp(cpp);
    cpp.SaveToFile((dir / "cpp").string());  // ".pdf" is added
    EXPECT_EQ(MaskCreationDate(ReadFile(dir / "cpp.pdf")), expected);
    EXPECT_EQ(MaskCreationDate(AsString(cpp.SaveToMemory())), expected);
    std::ostringstream stream;
    cpp.SaveToStream(stream);
    EXPECT_EQ(MaskCreationDate(stream.str()), expected);

    // C: to a file and to memory.
    vm_doc* c = nullptr;
    ASSERT_EQ(vm_create(&c), VM_OK);
    ASSERT_TRUE(BuildC(c)) << vm_last_error(c);
    ASSERT_EQ(vm_SaveToFile(c, (dir / "c.pdf").string().c_str()), VM_OK);
    unsigned char* data = nullptr;
    size_t size = 0;
    ASSERT_EQ(vm_save_to_memory(c, &data, &size), VM_OK);
    const std::string memory(reinterpret_cast<const char*>(data), size);
    vm_free_buffer(data);
    vm_destroy(c);
    EXPECT_EQ(MaskCreationDate(ReadFile(dir / "c.pdf")), expected);
    EXPECT_EQ(MaskCreationDate(memory), expected);
}

TEST(ApiLibrary, DocumentWithoutPagesSavesNothing) {
    Document d;
    d.CreateText();
    EXPECT_TRUE(d.SaveToMemory().empty());
    vm_doc* c = nullptr;
    ASSERT_EQ(vm_create(&c), VM_OK);
    unsigned char* data = reinterpret_cast<unsigned char*>(&c);
    size_t size = 1;
    EXPECT_EQ(vm_save_to_memory(c, &data, &size), VM_OK);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
    vm_destroy(c);
}

// A failed member: the C status and message, and the C++ exception.
struct TFailure {
    const char* what;
    std::function<vm_status(vm_doc*)> c;
    std::function<void(Document&)> cpp;
    vm_status status;
    std::string message;  // of VM_FAILED and vellumark::Error
};

TEST(ApiLibrary, FailuresCarryTheMessage) {
    int32_t n = 0;
    const TFailure failures[] = {
        {"missing image", [&](vm_doc* d) { return vm_AddImageFile(d, "/nonexistent/a.png", &n); },
         [](Document& d) { d.AddImageFile("/nonexistent/a.png"); }, VM_FAILED, "File not found"},
        {"image count", [&](vm_doc* d) { return vm_get_ImageCount(d, "/nonexistent/ä.tif", &n); },
         [](Document& d) { d.GetImageCount(u"/nonexistent/ä.tif"); }, VM_FAILED, "File not found: /nonexistent/ä.tif"},
        {"not an image", [&](vm_doc* d) { return vm_AddImageBytes(d, "abc", 3, &n); },
         [](Document& d) { d.AddImageBytes(std::string("abc")); }, VM_FAILED, "File is not a supported image format"},
        {"about box", [](vm_doc* d) { return vm_AboutBox(d); }, [](Document& d) { d.AboutBox(); }, VM_FAILED,
         "Not implemented: AboutBox"},
        {"unwritable file", [](vm_doc* d) { vm_AddPage(d, 0); return vm_SaveToFile(d, "/nonexistent/x"); },
         [](Document& d) { d.AddPage(0); d.SaveToFile("/nonexistent/x"); }, VM_FAILED,
         "Cannot create file \"/nonexistent/x.pdf\". No such file or directory"},
        {"null result", [](vm_doc* d) { return vm_CreateText(d, nullptr); }, nullptr, VM_INVALID, ""},
        {"bytes without data", [&](vm_doc* d) { return vm_AddImageBytes(d, nullptr, 10, &n); }, nullptr,
         VM_INVALID, ""},
    };
    for (const TFailure& f : failures) {
        SCOPED_TRACE(f.what);
        vm_doc* c = nullptr;
        ASSERT_EQ(vm_create(&c), VM_OK);
        EXPECT_EQ(f.c(c), f.status);
        EXPECT_EQ(vm_last_error(c), f.message);
        vm_destroy(c);
        if (!f.cpp) continue;
        Document d;
        try {
            f.cpp(d);
            ADD_FAILURE() << "no exception";
        } catch (const Error& e) {
            EXPECT_EQ(e.what(), f.message);
        }
    }
    EXPECT_EQ(vm_AddPage(nullptr, 0), VM_INVALID);
    EXPECT_STREQ(vm_last_error(nullptr), "");
    Document moved;
    Document taker(std::move(moved));
    EXPECT_THROW(moved.AddPage(0), Error);  // NOLINT: the moved-from document is what is tested
}

TEST(ApiLibrary, StringsAsUtf8AndUtf16) {
    const std::string utf8 = "Überschrift – € ✓ 😀";
    Document d;
    d.SetTitle(utf8);
    EXPECT_EQ(d.GetTitle(), utf8);
    EXPECT_EQ(d.GetTitleUtf16(), u"Überschrift – € ✓ 😀");
    d.SetSubject(u"Grüße");
    EXPECT_EQ(d.GetSubject(), "Grüße");
    vm_doc* c = nullptr;
    ASSERT_EQ(vm_create(&c), VM_OK);
    const char* value = nullptr;
    ASSERT_EQ(vm_set_Keywords(c, utf8.c_str()), VM_OK);
    ASSERT_EQ(vm_get_Keywords(c, &value), VM_OK);
    EXPECT_EQ(value, utf8);
    ASSERT_EQ(vm_set_Keywords(c, nullptr), VM_OK);  // a null string is the empty one
    ASSERT_EQ(vm_get_Keywords(c, &value), VM_OK);
    EXPECT_STREQ(value, "");
    vm_destroy(c);
}

// The shared library has its SONAME and exports the C functions of the header
// and the C++ classes, nothing else.
TEST(ApiLibrary, SharedLibraryExportsOnlyThePublicInterfaces) {
    const test::CommandResult soname = RunCommand("readelf -d " + ShellQuote(VELLUMARK_SHARED_LIBRARY));
    ASSERT_EQ(soname.status, 0) << soname.output;
    EXPECT_NE(soname.output.find("Library soname: [libvellumark.so.2]"), std::string::npos) << soname.output;

    const test::CommandResult nm = RunCommand("nm -D --defined-only --format=posix " + ShellQuote(VELLUMARK_SHARED_LIBRARY));
    ASSERT_EQ(nm.status, 0) << nm.output;
    // Mangled names: the classes vellumark::Document and vellumark::Error, and
    // Error's type information and virtual table.
    const char* const kClasses[] = {"_ZN9vellumark8Document", "_ZNK9vellumark8Document", "_ZN9vellumark5Error", "_ZTIN9vellumark5ErrorE",
                                    "_ZTSN9vellumark5ErrorE", "_ZTVN9vellumark5ErrorE"};
    std::set<std::string> exported;
    std::istringstream lines(nm.output);
    for (std::string line; std::getline(lines, line);) {
        const std::string name = line.substr(0, std::min(line.find(' '), line.find('@')));
        if (name.rfind("vm_", 0) == 0) {
            exported.insert(name);
            continue;
        }
        bool known = name == "VELLUMARK_2";
        for (const char* prefix : kClasses) known = known || name.rfind(prefix, 0) == 0;
        if (!known) ADD_FAILURE() << "exported: " << line;
    }
    std::set<std::string> declared;
    std::istringstream header(ReadFile(SOURCE_DIR "/include/vellumark/vellumark.h"));
    for (std::string line; std::getline(header, line);) {
        if (line.rfind("VM_API ", 0) != 0) continue;
        const std::size_t open = line.find('(');
        const std::size_t start = line.rfind(' ', open) + 1;
        declared.insert(line.substr(start + (line[start] == '*' ? 1 : 0), open - start - (line[start] == '*' ? 1 : 0)));
    }
    EXPECT_EQ(exported, declared);
    EXPECT_GT(declared.size(), 126u);
}

// The examples, built against the shared library, write clean files; the
// invoice embeds subsets of its two fonts, not the whole files (738 KB).
TEST(ApiLibrary, ExamplesRun) {
    struct TExample {
        const char* program;
        const char* words;
        std::uintmax_t maxBytes;  // 0: any size
    } const examples[] = {{EXAMPLE_INVOICE, "Total EUR 564.40", 60 * 1024}, {EXAMPLE_REPORT, "Section 24.", 0}};
    TempDir dir;
    for (const TExample& e : examples) {
        SCOPED_TRACE(e.program);
        const std::string pdf = (dir / "out.pdf").string();
        const test::CommandResult run = RunCommand(ShellQuote(e.program) + " " + ShellQuote(pdf));
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_TRUE(QpdfCheck(pdf));
        const test::CommandResult text = RunCommand("pdftotext " + ShellQuote(pdf) + " -");
        EXPECT_NE(text.output.find(e.words), std::string::npos) << text.output;
        if (e.maxBytes != 0) {
            EXPECT_LE(std::filesystem::file_size(pdf), e.maxBytes);
        }
    }
}

}  // namespace
}  // namespace vellumark
