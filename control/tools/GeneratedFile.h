// What the generators (MakeIdl, MakeApi) share: a file written from the member
// table is either written again or checked against the committed copy.
#pragma once

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace vellumark::tools {

// Writes `text` to `path`, or with `check` compares it with the file there and
// says from which line it differs. The exit status of a generator: 0 when
// written or equal, 1 otherwise.
inline int WriteOrCheck(const char* tool, const std::string& path, const std::string& text, bool check,
                        const std::string& rerun) {
    if (check) {
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            std::cerr << tool << ": cannot read " << path << "\n";
            return 1;
        }
        const std::string committed{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (committed == text) return 0;
        int line = 1;
        for (size_t i = 0; i < committed.size() && i < text.size() && committed[i] == text[i]; ++i)
            if (committed[i] == '\n') ++line;
        std::cerr << path << " differs from the member table from line " << line << "; run " << tool << " "
                  << rerun << " to write it again\n";
        return 1;
    }
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file.flush()) {
        std::cerr << tool << ": cannot write " << path << "\n";
        return 1;
    }
    return 0;
}

}  // namespace vellumark::tools
