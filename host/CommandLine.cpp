#include "host/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "control/MemberReference.h"
#include "base/TextCodec.h"
#include "host/ImagesCommand.h"
#include "host/Interpreter.h"
#include "host/Parser.h"

namespace vellumark::host {

namespace {

constexpr const char* kUsage =
    "Usage: vellumark run [--warnings] SCRIPT [ARGUMENT...]\n"
    "       vellumark images [OPTIONS] -o OUT IMAGE...\n"
    "       vellumark help [MEMBER | --markdown]\n"
    "       vellumark --help\n"
    "       vellumark --version\n";

constexpr const char* kHelp =
    "\n"
    "Runs SCRIPT, a script of automation calls in a subset of VBScript that\n"
    "creates VellumarkX.PDFDoc objects with CreateObject and saves PDF files.\n"
    "SCRIPT is a file name, or - to read the script from standard input; the\n"
    "arguments after it are the script's WScript.Arguments.\n"
    "\n"
    "Exit status:\n"
    "  0  the script ran to its end\n"
    "  n  the script ended with WScript.Quit n\n"
    "  1  a call failed while no On Error Resume Next was in force\n"
    "  2  a syntax error, an unknown member or bad usage\n"
    "\n"
    "Errors are reported on standard error as SCRIPT(LINE, COLUMN) MESSAGE.\n"
    "\n"
    "--warnings also reports there, as SCRIPT(LINE, COLUMN) warning: MEMBER: TEXT,\n"
    "the calls that the control answers silently: a page, placement, resource\n"
    "or font number that does not exist, a value a property ignores, a character\n"
    "that the code page cannot hold and that becomes \"?\", AddFont answering 0\n"
    "(and why), SaveToFile on a document without pages. The script runs as it\n"
    "would without the option.\n"
    "\n"
    "vellumark help lists the members of VellumarkX.PDFDoc and the enumerations;\n"
    "vellumark help MEMBER describes one member; --markdown prints the whole\n"
    "reference.\n";


// Bytes in pages mapped for them alone rather than taken from the heap: the
// script's bytes, which go once the script is parsed, give their memory
// straight back and leave the heap as the document will grow it.
class TPageBuffer {
public:
    TPageBuffer() = default;
    ~TPageBuffer() { Release(); }
    TPageBuffer(const TPageBuffer&) = delete;
    TPageBuffer& operator=(const TPageBuffer&) = delete;

    void Reserve(std::size_t capacity) {
        if (capacity <= capacity_) return;
        void* grown = data_ ? ::mremap(data_, capacity_, capacity, MREMAP_MAYMOVE)
                            : ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (grown == MAP_FAILED) throw std::bad_alloc();
        data_ = grown;
        capacity_ = capacity;
    }
    void Append(const char* bytes, std::size_t n) {
        if (n > capacity_ - size_) {
            if (n > SIZE_MAX / 2 - size_) throw std::bad_alloc();
            Reserve(std::max(size_ + n, capacity_ * 2));
        }
        std::memcpy(static_cast<char*>(data_) + size_, bytes, n);
        size_ += n;
    }
    // Reads what is left of the file straight into the room reserved; past
    // it, through a buffer. False on a read error.
    bool ReadAll(int fd) {
        char buffer[1 << 16];
        for (;;) {
            const bool room = size_ < capacity_;
            char* to = room ? static_cast<char*>(data_) + size_ : buffer;
            const ssize_t n = ::read(fd, to, room ? capacity_ - size_ : sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return false;
            if (n == 0) return true;
            if (room)
                size_ += static_cast<std::size_t>(n);
            else
                Append(buffer, static_cast<std::size_t>(n));
        }
    }
    std::string_view View() const { return {static_cast<const char*>(data_), size_}; }
    void Release() {
        if (data_) ::munmap(data_, capacity_);
        data_ = nullptr;
        size_ = capacity_ = 0;
    }

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// Appends what is left of `in` to `data`.
bool ReadAll(std::istream& in, TPageBuffer& data) {
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) data.Append(buffer, static_cast<std::size_t>(in.gcount()));
    return !in.bad();
}

}  // namespace

int RunCommandLine(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kUsage;
        return kExitUsage;
    }
    const std::string_view command = args[0];
    if (command == "help") {
        if (args.size() == 1) {
            out << ReferenceOverview();
            return kExitSuccess;
        }
        if (args.size() == 2 && args[1] == "--markdown") {
            out << ReferenceMarkdown();
            return kExitSuccess;
        }
        if (args.size() == 2 && !args[1].starts_with("-")) {
            if (std::optional<std::string> topic = ReferenceTopic(args[1])) {
                out << *topic;
                return kExitSuccess;
            }
            err << "vellumark: no member or enumeration named '" << args[1] << "'\n";
            return kExitUsage;
        }
        err << kUsage;
        return kExitUsage;
    }
    if (command == "--help" || command == "-h") {
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
    TRunOptions options;
    if (args.size() >= 2 && args[1] == "--warnings") {
        options.warnings = true;
        args = args.subspan(1);
    }
    if (args.size() < 2) {
        err << "vellumark: run takes one script\n" << kUsage;
        return kExitUsage;
    }

    const std::string scriptName(args[1]);
    TPageBuffer data;
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
        // Room for the file's size is made before reading.
        const std::uintmax_t size = std::filesystem::file_size(scriptName, ec);
        if (!ec && size > 0 && size < SIZE_MAX / 2) data.Reserve(static_cast<std::size_t>(size));
        const int fd = ::open(scriptName.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            err << "vellumark: cannot open '" << scriptName << "': " << std::strerror(errno) << "\n";
            return kExitUsage;
        }
        const bool read = data.ReadAll(fd);
        ::close(fd);
        if (!read) {
            err << "vellumark: cannot read '" << scriptName << "'\n";
            return kExitUsage;
        }
    }
    const TParseResult parsed = ParseScriptBytes(data.View());
    data.Release();
    for (std::string_view argument : args.subspan(2)) options.arguments.push_back(Utf8ToUtf16(argument));
    return RunParsed(parsed, scriptName, out, err, options);
}

}  // namespace vellumark::host
