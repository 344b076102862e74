// TTargetFile on Windows: a temporary file through the wide API in the
// target's folder, MoveFileExW over the target.
#ifdef _WIN32

#include "writer/TargetFile.h"

#include <windows.h>

#include <cstdio>
#include <random>

#include "base/EPDFError.h"
#include "base/TextCodec.h"

namespace vellumark {

namespace {

std::string SystemMessage(DWORD code) {
    char buffer[512];
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                               sizeof buffer, nullptr);
    while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n' || buffer[n - 1] == ' ')) --n;
    return std::string(buffer, n);
}

std::wstring Wide(const std::string& utf8) {
    const std::u16string s = Utf8ToUtf16(utf8);
    return std::wstring(s.begin(), s.end());
}

}  // namespace

struct TTargetFile::TImpl {
    std::string name;
    std::wstring target;
    std::wstring temp;  // empty once committed
    HANDLE file = INVALID_HANDLE_VALUE;

    ~TImpl() {
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
        if (!temp.empty()) ::DeleteFileW(temp.c_str());
    }
};

TTargetFile::TTargetFile(const std::string& name) : impl_(std::make_unique<TImpl>()) {
    TImpl& f = *impl_;
    f.name = name;
    f.target = Wide(name);
    const DWORD attributes = ::GetFileAttributesW(f.target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        CannotCreate(name, SystemMessage(ERROR_ACCESS_DENIED));
    std::wstring dir = L".";
    std::wstring base = f.target;
    if (auto slash = f.target.find_last_of(L"\\/:"); slash != std::wstring::npos) {
        dir = f.target.substr(0, slash + 1);
        base = f.target.substr(slash + 1);
    } else {
        dir = L".\\";
    }
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[16];
        std::swprintf(suffix, 16, L"%08x", rd());
        std::wstring candidate = dir + L"~" + base + L"." + suffix + L".tmp";
        f.file = ::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f.file != INVALID_HANDLE_VALUE) {
            f.temp = candidate;
            return;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) CannotCreate(name, SystemMessage(error));
    }
    CannotCreate(name, SystemMessage(ERROR_FILE_EXISTS));
}

TTargetFile::~TTargetFile() = default;

int TTargetFile::WriteGather(std::span<const TOutputPiece> pieces) { return TOutputSink::WriteGather(pieces); }

int TTargetFile::Write(const char* data, std::size_t size) {
    while (size > 0) {
        const DWORD want = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(impl_->file, data, want, &written, nullptr) || written == 0) return EIO;
        data += written;
        size -= written;
    }
    return 0;
}

void TTargetFile::Commit() {
    TImpl& f = *impl_;
    HANDLE file = f.file;
    f.file = INVALID_HANDLE_VALUE;
    if (!::CloseHandle(file)) CannotWrite(f.name, SystemMessage(::GetLastError()));
    if (!::MoveFileExW(f.temp.c_str(), f.target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        CannotCreate(f.name, SystemMessage(::GetLastError()));
    f.temp.clear();
}

}  // namespace vellumark

#endif  // _WIN32
