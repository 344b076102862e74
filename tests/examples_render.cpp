// The bundled examples render without complaint in two independent PDF
// renderers, and their first pages are not blank.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestUtil.h"

using namespace vellumark::test;
namespace fs = std::filesystem;

namespace {


int DarkPixels(const Raster& r) {
    int dark = 0;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            if (r.At(x, y) != 0xFFFFFFu) ++dark;
    return dark;
}

}  // namespace

TEST(ExamplesRender, EveryExampleRendersInTwoRenderers) {
    if (!HasTool("mutool")) GTEST_SKIP() << "mutool (mupdf-tools) is not installed";
    std::vector<fs::path> scripts;
    for (const auto& entry : fs::directory_iterator(fs::path(SOURCE_DIR) / "examples"))
        if (entry.path().extension() == ".vbs") scripts.push_back(entry.path());
    ASSERT_FALSE(scripts.empty());
    for (const fs::path& script : scripts) {
        SCOPED_TRACE(script.filename().string());
        TempDir dir;
        fs::copy(fs::path(SOURCE_DIR) / "examples" / "data", dir / "data");
        CommandResult run = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " +
                                       ShellQuote(VELLUMARK_BIN) + " run " + ShellQuote(script.string()));
        ASSERT_EQ(run.status, 0) << run.output;
        const fs::path pdf = dir / (script.stem().string() + ".pdf");
        ASSERT_TRUE(fs::exists(pdf));
        ASSERT_TRUE(QpdfCheck(pdf));

        CommandResult mu = RunCommand("mutool draw -q -r 36 -o " + ShellQuote((dir / "mu-%d.png").string()) + " " +
                                      ShellQuote(pdf.string()));
        EXPECT_EQ(mu.status, 0) << mu.output;
        // Debian's mutool says once that it was built without colour
        // management; anything else is about the file.
        std::string said = mu.output;
        const std::string icc = "warning: ICC support is not available\n";
        if (said.rfind(icc, 0) == 0) said.erase(0, icc.size());
        EXPECT_EQ(said, "") << "mutool complained";
        EXPECT_TRUE(fs::exists(dir / "mu-1.png"));

        CommandResult pp = RunCommand("pdftoppm -r 36 -png " + ShellQuote(pdf.string()) + " " +
                                      ShellQuote((dir / "pp").string()));
        EXPECT_EQ(pp.status, 0) << pp.output;
        EXPECT_EQ(pp.output, "") << "pdftoppm complained";

        Raster first = RenderPage(pdf, 1, 36);
        EXPECT_GT(DarkPixels(first), 100) << "first page is blank";
    }
}
