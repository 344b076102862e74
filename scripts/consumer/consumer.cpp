// Writes a one-page PDF through the installed C++ interface: a circle, a
// line of text, saved to the file named by the argument and checked against
// the bytes of a save to memory.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include <vellumark/vellumark.hpp>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: consumer OUT.pdf\n";
        return 2;
    }
    try {
        vellumark::Document doc;
        doc.AddPage(0);
        doc.CreateGraphic();
        doc.SetFillColor(vellumark::Rgb(255, 0, 0));
        doc.SetFill(true);
        doc.Circle(300, 500, 80);
        doc.ApplyResource(1, 1);
        doc.CreateText();
        doc.SetTextSize(24);
        doc.WriteText("Made by an installed libvellumark");
        doc.Locate(1, doc.ApplyResource(1, 2), 72, 770);
        doc.SaveToFile(argv[1]);
        const std::vector<std::byte> memory = doc.SaveToMemory();
        std::ifstream in(argv[1], std::ios::binary);
        const std::string file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (file.size() != memory.size()) {
            std::cerr << "consumer: the saves differ in size\n";
            return 1;
        }
        doc.AddImageFile("/nonexistent.png");
        std::cerr << "consumer: no error for a missing image\n";
        return 1;
    } catch (const vellumark::Error& e) {
        if (std::string(e.what()) != "File not found") {
            std::cerr << "consumer: " << e.what() << "\n";
            return 1;
        }
    }
    return 0;
}
