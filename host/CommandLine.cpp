#include "host/CommandLine.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <system_error>
#include <utility>

#include <unistd.h>

#include "host/ImagesCommand.h"
#include "host/Interpreter.h"

namespace vellumark::host {

namespace {

constexpr const char* kUsage =
    "Usage: vellumark run SCRIPT\n"
    "       vellumark images [OPTIONS] -o OUT IMAGE...\n"
    "       vellumark --help\n"
    "       vellumark --version\n";

constexpr const char* kHelp =
    "\n"
    "Runs SCRIPT, a script of automation calls in a subset of VBScript that\n"
    "creates VellumarkX.PDFDoc objects with CreateObject and saves PDF files.\n"
    "SCRIPT is a file name, or - to read the script from standard input.\n"
    "\n"
    "Exit status:\n"
    "  0  the script ran to its end\n"
    "  n  the script ended with WScript.Quit n\n"
    "  1  a call failed while no On Error Resume Next was in force\n"
    "  2  a syntax error, an unknown member or bad usage\n"
    "\n"
    "Errors are reported on standard error as SCRIPT(LINE, COLUMN) MESSAGE.\n";

// Appends what is left of `in` to `data`.
bool ReadAll(std::istream& in, std::string& data) {
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) data.append(buffer, static_cast<std::size_t>(in.gcount()));
    return !in.bad();
}

}  // namespace

int RunCommandLine(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kUsage;
        return kExitUsage;
    }
    const std::string_view command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        if (args.size() != 1) {
            err << kUsage;
            return kExitUsage;
        }
        out << kUsage << kHelp;
        return kExitSuccess;
    }
    if (command == "--version") {
        if (args.size() != 1) {
            err << kUsage;
            return kExitUsage;
        }
        out << "vellumark " << VELLUMARK_VERSION << "\n";
        return kExitSuccess;
    }
    if (command == "images")
        return RunImagesCommand(args.subspan(1), out, err, ::isatty(STDERR_FILENO) == 1 && &err == &std::cerr);
    if (command != "run") {
        err << "vellumark: unknown command '" << command << "'\n" << kUsage;
        return kExitUsage;
    }
    if (args.size() != 2) {
        err << "vellumark: run takes one script\n" << kUsage;
        return kExitUsage;
    }

    const std::string scriptName(args[1]);
    std::string data;
    if (scriptName == "-") {
        if (!ReadAll(in, data)) {
            err << "vellumark: cannot read the script from standard input\n";
            return kExitUsage;
        }
    } else {
        std::error_code ec;
        if (std::filesystem::is_directory(scriptName, ec)) {
            err << "vellumark: cannot read '" << scriptName << "': Is a directory\n";
            return kExitUsage;
        }
        // The file is held once: room for its size is made before reading.
        const std::uintmax_t size = std::filesystem::file_size(scriptName, ec);
        if (!ec && size < data.max_size()) data.reserve(static_cast<std::size_t>(size));
        std::ifstream file(scriptName, std::ios::binary);
        if (!file) {
            err << "vellumark: cannot open '" << scriptName << "': " << std::strerror(errno) << "\n";
            return kExitUsage;
        }
        if (!ReadAll(file, data)) {
            err << "vellumark: cannot read '" << scriptName << "'\n";
            return kExitUsage;
        }
    }
    return RunScriptBytes(std::move(data), scriptName, out, err);
}

}  // namespace vellumark::host
