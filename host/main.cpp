// vellumark: runs automation scripts that build PDF documents.
#include <iostream>
#include <string_view>
#include <vector>

#include "host/CommandLine.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string_view> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    int status = vellumark::host::RunCommandLine(args, std::cin, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
