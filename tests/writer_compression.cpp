// Whole-buffer compression and the content streams made on several threads:
// every zlib stream gives its input back through zlib, and a save is the same
// bytes whatever the number of threads.
#include <gtest/gtest.h>

#include <zlib.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <utility>

#include "TestUtil.h"
#include "base/Deflate.h"
#include "engine/Vellumark.h"
#include "writer/DocumentWriter.h"
#include "writer/PageStreams.h"

using namespace vellumark;
using namespace vellumark::test;
namespace fs = std::filesystem;

namespace {

constexpr std::time_t kDate = 1709629622;

std::string Save(TVellumark& e, unsigned threads) {
    e.SaveThreads = threads;
    TOutputBuffer out;
    WriteDocument(e, out, kDate);
    return out.ToString();
}

std::string Noise(std::size_t size, uint64_t seed) {
    TRandom rng(seed);
    std::string s(size, '\0');
    for (char& c : s) c = static_cast<char>(rng.Next());
    return s;
}

}  // namespace

TEST(WriterCompression, EveryLevelInflatesThroughZlib) {
    const std::string text = [] {
        std::string s;
        for (int i = 0; i < 20000; ++i) s += "q 1 0 0 1 " + std::to_string(i % 97) + " 0 cm Q\r";
        return s;
    }();
    const std::string inputs[] = {"", "x", std::string(1 << 20, '\0'), Noise(1 << 18, 7), text};
    for (const int level : {0, 1, 6, 12}) {
        TDeflater deflater(level);
        for (const std::string& input : inputs) {
            SCOPED_TRACE("level " + std::to_string(level) + ", " + std::to_string(input.size()) + " bytes");
            std::string out = "kept";
            const std::size_t n = deflater.Compress(input.data(), input.size(), out);
            ASSERT_EQ(out.size(), 4 + n);
            EXPECT_EQ(out.substr(0, 4), "kept");
            EXPECT_EQ(Inflate(out.substr(4)), input);
        }
    }
    EXPECT_THROW(TDeflater(13), EPDFError);
}

// Pages of graphics, texts with links and images, some pages empty: the
// streams made ahead on worker threads come back in page order with their
// links.
TEST(WriterCompression, ThreadsDoNotChangeTheFile) {
    TVellumark e;
    auto img = std::make_unique<TPDFImageRes>();
    img->Width = img->Height = 4;
    img->XResolution = img->YResolution = 72;
    img->Compression = cfZIP;
    img->BitsPerComponent = 8;
    const std::string pixels = Noise(4 * 4 * 3, 3);
    img->ImageStream = DeflateBuffer(pixels.data(), pixels.size());
    e.AddResource(std::move(img));
    const int32_t font = e.AddFont(u"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    ASSERT_GT(font, 0);
    e.SetEmbedFont(font, true);
    for (int page = 1; page <= 41; ++page) {
        e.AddPage(0);
        if (page % 7 == 0) continue;
        e.CreateGraphic();
        for (int i = 0; i < page * 3; ++i) e.Circle(10 + i, 20 + page, 5 + i % 11);
        e.ApplyResource(page, e.Resources().Count());
        e.CreateText();
        e.SetTextFont(font);
        e.WriteText(u"Page " + std::u16string(static_cast<std::size_t>(page % 5 + 1), u'x'));
        e.WriteLink(u"link", u"http://example.com/" + std::u16string(1, static_cast<char16_t>(u'a' + page % 26)));
        e.ApplyResource(page, e.Resources().Count());
        if (page % 3 == 0) e.ApplyResource(page, 1);
    }
    const std::string one = Save(e, 1);
    EXPECT_NE(one.find("/URI (http://example.com/z)"), std::string::npos);
    EXPECT_NE(one.find("/FontFile2"), std::string::npos);
    for (const unsigned threads : {2u, 3u, 8u}) EXPECT_EQ(Save(e, threads), one) << threads << " threads";
    TempDir dir;
    WriteFile(dir / "threads.pdf", one);
    EXPECT_TRUE(QpdfCheck(dir / "threads.pdf"));
}

TEST(WriterCompression, ThreadCountComesFromTheSettingThenTheEnvironment) {
    TVellumark e;
    e.SaveThreads = 3;
    EXPECT_EQ(SaveThreadCount(e), 3u);
    e.SaveThreads = 100;
    EXPECT_EQ(SaveThreadCount(e), kMaxSaveThreads);
    e.SaveThreads = 0;
    ::setenv("VELLUMARK_THREADS", "1", 1);
    EXPECT_EQ(SaveThreadCount(e), 1u);
    ::setenv("VELLUMARK_THREADS", "2", 1);
    EXPECT_EQ(SaveThreadCount(e), 2u);
    ::unsetenv("VELLUMARK_THREADS");
    EXPECT_GE(SaveThreadCount(e), 1u);
    EXPECT_LE(SaveThreadCount(e), kMaxSaveThreads);
}

// The examples saved on one thread and on four are the same file but for the
// date, pass qpdf --check, and every compressed stream zlib inflates is the
// stream qpdf decodes.
TEST(WriterCompression, ExamplesAreTheSameOnOneThreadAndFour) {
    for (const auto& entry : fs::directory_iterator(fs::path(SOURCE_DIR) / "examples")) {
        if (entry.path().extension() != ".vbs") continue;
        const fs::path& script = entry.path();
        SCOPED_TRACE(script.filename().string());
        std::string saved[2];
        TempDir dir;
        fs::copy(fs::path(SOURCE_DIR) / "examples" / "data", dir / "data");
        const fs::path pdf = dir / (script.stem().string() + ".pdf");
        for (int i = 0; i < 2; ++i) {
            CommandResult run = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && VELLUMARK_THREADS=" +
                                           (i == 0 ? "1 " : "4 ") + ShellQuote(VELLUMARK_BIN) + " run " +
                                           ShellQuote(script.string()));
            ASSERT_EQ(run.status, 0) << run.output;
            saved[i] = MaskCreationDate(ReadFile(pdf));
        }
        EXPECT_EQ(saved[0], saved[1]);
        ASSERT_TRUE(QpdfCheck(pdf));
        // Every object that is a Flate stream.
        for (int number = 1;; ++number) {
            const std::string head = "\r" + std::to_string(number) + " 0 obj\r";
            const std::size_t at = saved[0].find(head);
            if (at == std::string::npos) break;
            const std::size_t end = saved[0].find("endobj\r", at);
            const std::string object = saved[0].substr(at, end - at);
            if (object.find("/FlateDecode") == std::string::npos || object.find("stream\r\n") == std::string::npos)
                continue;
            SCOPED_TRACE("object " + std::to_string(number));
            const fs::path decoded = dir / "decoded";
            CommandResult show = RunCommand("qpdf --show-object=" + std::to_string(number) +
                                            " --filtered-stream-data " + ShellQuote(pdf.string()) + " > " +
                                            ShellQuote(decoded.string()));
            ASSERT_EQ(show.status, 0) << show.output;
            EXPECT_EQ(Inflate(StreamData(saved[0], number)), ReadFile(decoded));
        }
    }
}

// A page whose making fails raises its error when the writer takes it, after
// the pages before it; the pages made ahead are dropped and the workers
// joined when the save ends there. So also with workers that start once
// some pages were made (a processor's worth of them: threads 0).
TEST(WriterCompression, AnErrorComesOutWithItsPage) {
    const std::pair<unsigned, std::size_t> cases[] = {{1u, 0}, {4u, 0}, {0u, 20000}};
    for (const auto& [threads, threadBytes] : cases) {
        TPageStreams streams(
            200, threads, 6,
            [](std::size_t index, TPageScratch& scratch, TPageStream& out) {
                if (index == 17) throw EPDFError("page 17");
                scratch.Content.assign(5000, static_cast<char>('a' + index % 26));
                scratch.Deflater.Compress(scratch.Content.data(), scratch.Content.size(), out.Data);
            },
            threadBytes);
        for (std::size_t i = 0; i < 17; ++i)
            EXPECT_EQ(Inflate(streams.Next().Data), std::string(5000, static_cast<char>('a' + i % 26)));
        EXPECT_THROW(streams.Next(), EPDFError);
    }
}
