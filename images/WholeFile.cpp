// ReadWholeFile: a file's bytes in one string, read straight into the memory
// that keeps them (a JPEG passed through takes the string over).
#include "images/ImageImport.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#ifdef _WIN32
#include <windows.h>

#include "base/TextCodec.h"
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "base/EPDFError.h"

namespace vellumark {

#ifdef _WIN32

std::string ReadWholeFile(const std::string& path, const std::string& notFound) {
    const std::u16string wide16 = Utf8ToUtf16(path);
    const std::wstring wide(wide16.begin(), wide16.end());
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) throw EPDFError(notFound);
    // Others may read the file meanwhile, not write it.
    HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw EFOpenError("Cannot open file \"" + path + "\"");
    struct TClose {
        HANDLE h;
        ~TClose() { ::CloseHandle(h); }
    } closer{file};
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0) throw EReadError();
    if (static_cast<uint64_t>(size.QuadPart) > std::string().max_size()) throw EReadError();
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const DWORD want = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!::ReadFile(file, bytes.data() + done, want, &got, nullptr)) throw EReadError();
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

#else

namespace {

// Fresh memory for a file's bytes is faulted in with one call rather than
// one trap per page, which is what dominates reading many files.
void PrefaultPages(char* data, std::size_t size) {
#ifdef MADV_POPULATE_WRITE
    static const auto kPage = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    if (size < 4 * kPage) return;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kPage - 1) & ~(kPage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(kPage - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)size;
#endif
}

}  // namespace

std::string ReadWholeFile(const std::string& path, const std::string& notFound) {
    // Opened first, and looked at only when it does not open: a file that
    // is not there (or a folder) is not found, any other failure is one to
    // open it.
    struct stat st{};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) throw EPDFError(notFound);
        throw EFOpenError("Cannot open file \"" + path + "\". " + std::strerror(error));
    }
    struct TClose {
        int fd;
        ~TClose() { ::close(fd); }
    } closer{fd};
    std::string bytes;
    if (::fstat(fd, &st) != 0) throw EReadError();
    if (S_ISDIR(st.st_mode)) throw EPDFError(notFound);
    if (st.st_size > 0) {
        const auto size = static_cast<std::size_t>(st.st_size);
        bytes.reserve(size);
        PrefaultPages(bytes.data(), size);
        bytes.resize(size);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::read(fd, bytes.data() + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw EReadError();
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
    }
    return bytes;
}

#endif

}  // namespace vellumark
