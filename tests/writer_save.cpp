// SaveToFile: file names, replacing files safely, failures, and what viewers
// make of the result.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "TestUtil.h"
#include "base/TextCodec.h"
#include "engine/Vellumark.h"
#include "writer/SaveToFile.h"

using namespace vellumark;
using namespace vellumark::test;
namespace fs = std::filesystem;

namespace {

std::u16string U16(const fs::path& p) { return Utf8ToUtf16(p.string()); }

void OneGraphicPage(TVellumark& e) {
    e.AddPage(0);
    e.CreateGraphic();
    e.SetFillColor(0x0000FF);  // red
    e.Rectangle(100, 100, 300, 200);
    e.ApplyResource(1, 1);
}

std::vector<std::string> Entries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(WriterSave, ExtensionRules) {
    EXPECT_EQ(PDFFileName(u"out"), u"out.pdf");
    EXPECT_EQ(PDFFileName(u"out.Pdf"), u"out.Pdf");
    EXPECT_EQ(PDFFileName(u"out.PDF"), u"out.PDF");
    EXPECT_EQ(PDFFileName(u"a.b"), u"a.b.pdf");
    EXPECT_EQ(PDFFileName(u"a.txt"), u"a.txt.pdf");
    EXPECT_EQ(PDFFileName(u"dir.pdf/out"), u"dir.pdf/out.pdf");
    EXPECT_EQ(PDFFileName(u"x.pdfx"), u"x.pdfx.pdf");
    EXPECT_EQ(PDFFileName(u""), u".pdf");
}

TEST(WriterSave, WritesAValidFileAndLeavesNoTemporaries) {
    TempDir dir;
    TVellumark e;
    OneGraphicPage(e);
    e.SaveToFile(U16(dir / "out"));
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"out.pdf"});
    EXPECT_TRUE(QpdfCheck(dir / "out.pdf"));
    const std::string pdf = ReadFile(dir / "out.pdf");
    EXPECT_EQ(pdf.substr(0, 9), "%PDF-1.2\r");
    EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\r");
    EXPECT_EQ(pdf.find('\n'), pdf.find("stream\r\n") + 7);  // the one line feed
}

TEST(WriterSave, RendersWhatWasDrawn) {
    TempDir dir;
    TVellumark e;
    OneGraphicPage(e);
    e.SaveToFile(U16(dir / "red.pdf"));
    ASSERT_TRUE(QpdfCheck(dir / "red.pdf"));
    Raster r = RenderPage(dir / "red.pdf", 1, 36);  // half a pixel per point
    ASSERT_EQ(r.width, 298);
    ASSERT_EQ(r.height, 421);
    // Rectangle 100..300 x 100..200 points, y up: rows 321..371 from the top.
    EXPECT_EQ(r.At(100, 346), 0xFF0000u);
    EXPECT_EQ(r.At(20, 20), 0xFFFFFFu);
    EXPECT_EQ(r.At(100, 300), 0xFFFFFFu);
}

TEST(WriterSave, NoPagesWritesNothing) {
    TempDir dir;
    WriteFile(dir / "keep.pdf", "old");
    TVellumark e;
    e.SaveToFile(U16(dir / "keep.pdf"));
    e.SaveToFile(U16(dir / "new"));
    EXPECT_EQ(ReadFile(dir / "keep.pdf"), "old");
    EXPECT_FALSE(fs::exists(dir / "new.pdf"));
}

TEST(WriterSave, ReplacesAnExistingFileKeepingItsMode) {
    TempDir dir;
    WriteFile(dir / "doc.pdf", "old contents");
    ::chmod((dir / "doc.pdf").c_str(), 0640);
    TVellumark e;
    OneGraphicPage(e);
    e.SaveToFile(U16(dir / "doc.pdf"));
    EXPECT_TRUE(QpdfCheck(dir / "doc.pdf"));
    struct stat st{};
    ASSERT_EQ(::stat((dir / "doc.pdf").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"doc.pdf"});
}

TEST(WriterSave, WritesThroughASymbolicLink) {
    TempDir dir;
    fs::create_directory(dir / "real");
    WriteFile(dir / "real" / "target.pdf", "old");
    fs::create_symlink(dir / "real" / "target.pdf", dir / "link.pdf");
    TVellumark e;
    OneGraphicPage(e);
    e.SaveToFile(U16(dir / "link.pdf"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.pdf"));
    EXPECT_TRUE(QpdfCheck(dir / "real" / "target.pdf"));
}

TEST(WriterSave, FailureNamesTheFileAndTouchesNothing) {
    TempDir dir;
    TVellumark e;
    OneGraphicPage(e);
    const fs::path missing = dir / "no-such-folder" / "x.pdf";
    try {
        e.SaveToFile(U16(missing));
        FAIL() << "saving into a missing folder succeeded";
    } catch (const std::exception& ex) {
        EXPECT_EQ(std::string(ex.what()),
                  "Cannot create file \"" + missing.string() + "\". No such file or directory");
    }
    // A folder in the way of the file.
    fs::create_directory(dir / "busy.pdf");
    EXPECT_THROW(e.SaveToFile(U16(dir / "busy.pdf")), EFCreateError);
    EXPECT_TRUE(fs::is_directory(dir / "busy.pdf"));
    // The model is intact and a later save works.
    e.SaveToFile(U16(dir / "ok.pdf"));
    EXPECT_TRUE(QpdfCheck(dir / "ok.pdf"));
}

TEST(WriterSave, WriteErrorLeavesTheOldFile) {
    TempDir dir;
    WriteFile(dir / "doc.pdf", "old contents");
    ::chmod(dir.Path().c_str(), 0555);
    // Root may write into read-only folders, so the save runs in a child that
    // is an unprivileged user (nobody) when the tests run as root.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        TVellumark e;
        OneGraphicPage(e);
        try {
            e.SaveToFile(U16(dir / "doc.pdf"));
        } catch (const EFCreateError&) {
            ::_exit(0);
        } catch (...) {
            ::_exit(3);
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(ReadFile(dir / "doc.pdf"), "old contents");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"doc.pdf"});
}

TEST(WriterSave, FullDiskLeavesTheOldFileAndNoPartialFile) {
    // /dev/full accepts opening but fails every write; a folder whose files
    // all land there is not available, so use a tiny tmpfs if we may mount.
    TempDir dir;
    const fs::path mnt = dir / "small";
    fs::create_directory(mnt);
    if (RunCommand("mount -t tmpfs -o size=64k tmpfs " + ShellQuote(mnt.string())).status != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    WriteFile(mnt / "doc.pdf", "old contents");
    TVellumark e;
    e.CompressContents = false;  // a large uncompressed page overflows 64 KB
    e.AddPage(0);
    e.CreateGraphic();
    for (int i = 0; i < 5000; ++i) e.DrawLine(i, i, i + 1.5, i + 2.25);
    e.ApplyResource(1, 1);
    std::string message;
    try {
        e.SaveToFile(U16(mnt / "doc.pdf"));
    } catch (const std::exception& ex) {
        message = ex.what();
    }
    EXPECT_NE(message.find("doc.pdf"), std::string::npos) << message;
    EXPECT_NE(message.find("No space left on device"), std::string::npos) << message;
    EXPECT_EQ(ReadFile(mnt / "doc.pdf"), "old contents");
    EXPECT_EQ(Entries(mnt), std::vector<std::string>{"doc.pdf"});
    RunCommand("umount " + ShellQuote(mnt.string()));
}

TEST(WriterSave, NonAsciiFileNamesArriveIntact) {
    TempDir dir;
    TVellumark e;
    OneGraphicPage(e);
    const std::u16string name = U16(dir.Path()) + u"/r\u00e9sum\u00e9 \u4e2d\u6587 \U0001F600";
    e.SaveToFile(name);
    const fs::path expected = dir.Path() / fs::u8path(Utf16ToUtf8(name) + ".pdf");
    EXPECT_TRUE(fs::exists(expected));
    EXPECT_TRUE(QpdfCheck(expected));
}
