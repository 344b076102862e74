// A multi-page report through the C++ interface: a heading and paragraphs of
// text wrapped at a column width, continued on as many pages as they need,
// with page numbers; a TrueType font when DejaVu Sans is installed.
//
//     c++ -std=c++17 report.cpp $(pkg-config --cflags --libs vellumark) -o report
//     ./report [OUT.pdf]
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include <vellumark/vellumark.hpp>

namespace {

const char* const kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr double kMargin = 56.7;  // 2 cm, in points
constexpr double kPageHeight = 842;
constexpr double kColumn = 595 - 2 * kMargin;

// Paragraphs of a made-up quarterly report.
std::vector<std::string> Paragraphs() {
    const std::vector<std::string> topics = {"revenue", "production", "deliveries", "inventory", "staffing",
                                             "maintenance", "customer service", "the regional offices"};
    std::vector<std::string> out;
    for (int i = 0; i < 24; ++i) {
        const std::string& t = topics[i % topics.size()];
        out.push_back("Section " + std::to_string(i + 1) + ". In the third quarter " + t +
                      " developed broadly as planned. The figures below the line were checked against the "
                      "ledger and the warehouse counts; where they differ, the notes explain why. Compared with "
                      "the same quarter last year, " + t + " improved in every month but August, when the "
                      "holidays and a late shipment from Rotterdam delayed the work by about ten days. The "
                      "committee recommends keeping the present arrangements until the end of the year.");
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string out = argc > 1 ? argv[1] : "report.pdf";
    try {
        vellumark::Document doc;
        doc.SetTitle("Quarterly report");
        doc.SetAuthor("examples/cpp/report.cpp");
        const std::int32_t font = doc.AddFont(kFont);  // 0 when the font cannot be read
        if (font) doc.SetEmbedFont(font, true);

        std::int32_t page = 0;
        double y = 0;
        // Starts a page with its number at the foot.
        auto newPage = [&] {
            doc.AddPage(0);
            ++page;
            const std::int32_t foot = doc.CreateText();
            doc.SetTextSize(8);
            doc.SetTextAlign(vellumark::TextAlign::taCenter);
            doc.WriteText("Page " + std::to_string(page));
            doc.Locate(page, doc.ApplyResource(page, foot), 595 / 2.0, kMargin / 2);
            y = kPageHeight - kMargin;
        };
        newPage();

        const std::int32_t heading = doc.CreateText();
        doc.SetTextFont(6);  // Helvetica-Bold
        doc.SetTextSize(18);
        doc.SetTextColor(vellumark::Rgb(30, 60, 120));
        doc.WriteText("Quarterly report, third quarter");
        doc.Locate(page, doc.ApplyResource(page, heading), kMargin, y);
        y -= doc.GetTextBlockHeight() + 12;

        for (const std::string& paragraph : Paragraphs()) {
            const std::int32_t text = doc.CreateText();
            if (font) doc.SetTextFont(font);
            doc.SetTextSize(11);
            doc.SetTextMaxWidth(kColumn);
            doc.WriteText(paragraph);
            const double height = doc.GetTextBlockHeight();
            if (y - height < kMargin) newPage();
            doc.Locate(page, doc.ApplyResource(page, text), kMargin, y);
            y -= height + 8;
        }
        doc.SaveToFile(out);
        std::cout << out << ": " << page << " pages\n";
    } catch (const vellumark::Error& e) {
        std::cerr << "report: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
