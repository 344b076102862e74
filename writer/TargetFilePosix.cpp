// TTargetFile on POSIX systems: open(O_EXCL) in the target's folder, rename.
#ifndef _WIN32

#include "writer/TargetFile.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "base/EPDFError.h"

namespace vellumark {

namespace {

// splitmix64's finaliser: every input bit reaches every output bit.
uint64_t Mix(uint64_t x) {
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return x ^ (x >> 31);
}

}  // namespace

struct TTargetFile::TImpl {
    std::string name;    // as the caller gave it, for messages
    std::string target;  // the file replaced, links followed
    std::string temp;    // empty once committed
    int fd = -1;
    bool existed = false;
    mode_t mode = 0;

    ~TImpl() {
        if (fd >= 0) ::close(fd);
        if (!temp.empty()) ::unlink(temp.c_str());
    }
};

TTargetFile::TTargetFile(const std::string& name) : impl_(std::make_unique<TImpl>()) {
    TImpl& f = *impl_;
    f.name = name;
    f.target = name;
    // Write through a link to the file it names, as opening it would.
    // A name that is no link was looked at once.
    struct stat st{};
    f.existed = ::lstat(name.c_str(), &st) == 0;
    if (f.existed && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(name.c_str(), nullptr)) {
            f.target = real;
            std::free(real);
        }
        f.existed = ::stat(f.target.c_str(), &st) == 0;
    }
    if (f.existed && S_ISDIR(st.st_mode)) CannotCreate(name, std::strerror(EISDIR));
    f.mode = st.st_mode & 07777;

    std::string dir = ".";
    std::string base = f.target;
    if (auto slash = f.target.rfind('/'); slash != std::string::npos) {
        dir = slash == 0 ? "/" : f.target.substr(0, slash);
        base = f.target.substr(slash + 1);
    }
    // A name no other save uses now: the process, this object (no two live
    // at one address) and the clock, mixed; O_EXCL turns away a name that a
    // save which died left behind, and the next attempt's clock differs.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        const uint64_t mixed =
            Mix((uint64_t{static_cast<uint32_t>(::getpid())} << 32 | attempt) ^ reinterpret_cast<uintptr_t>(&f) ^
                (static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec)));
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(mixed));
        std::string candidate = (dir == "/" ? "" : dir) + "/." + base + "." + suffix + ".tmp";
        f.fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (f.fd >= 0) {
            f.temp = candidate;
            return;
        }
        if (errno != EEXIST) CannotCreate(name, std::strerror(errno));
    }
    CannotCreate(name, std::strerror(EEXIST));
}

TTargetFile::~TTargetFile() = default;

int TTargetFile::Write(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(impl_->fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

int TTargetFile::WriteGather(std::span<const TOutputPiece> pieces) {
    constexpr std::size_t kBatch = 64;  // well below IOV_MAX
    while (!pieces.empty()) {
        iovec io[kBatch];
        std::size_t count = 0, used = 0;
        for (; used < pieces.size() && count < kBatch; ++used)
            if (pieces[used].Size > 0) io[count++] = {const_cast<char*>(pieces[used].Data), pieces[used].Size};
        pieces = pieces.subspan(used);
        // A short write goes on from where it stopped.
        for (std::size_t first = 0; first < count;) {
            const ssize_t n = ::writev(impl_->fd, io + first, static_cast<int>(count - first));
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            if (n == 0) return EIO;
            auto done = static_cast<std::size_t>(n);
            while (first < count && done >= io[first].iov_len) done -= io[first++].iov_len;
            if (first < count) {
                io[first].iov_base = static_cast<char*>(io[first].iov_base) + done;
                io[first].iov_len -= done;
            }
        }
    }
    return 0;
}

void TTargetFile::Commit() {
    TImpl& f = *impl_;
    if (f.existed) ::fchmod(f.fd, f.mode);
    const int fd = f.fd;
    f.fd = -1;
    if (::close(fd) != 0) CannotWrite(f.name, std::strerror(errno));
    if (::rename(f.temp.c_str(), f.target.c_str()) != 0) CannotCreate(f.name, std::strerror(errno));
    f.temp.clear();
}

}  // namespace vellumark

#endif  // !_WIN32
