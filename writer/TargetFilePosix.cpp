// TTargetFile on POSIX systems: open(O_EXCL) in the target's folder, rename.
#ifndef _WIN32

#include "writer/TargetFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/EPDFError.h"

namespace vellumark {

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
    struct stat st{};
    if (::lstat(name.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(name.c_str(), nullptr)) {
            f.target = real;
            std::free(real);
        }
    }
    f.existed = ::stat(f.target.c_str(), &st) == 0;
    if (f.existed && S_ISDIR(st.st_mode)) CannotCreate(name, std::strerror(EISDIR));
    f.mode = st.st_mode & 07777;

    std::string dir = ".";
    std::string base = f.target;
    if (auto slash = f.target.rfind('/'); slash != std::string::npos) {
        dir = slash == 0 ? "/" : f.target.substr(0, slash);
        base = f.target.substr(slash + 1);
    }
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", rd());
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
