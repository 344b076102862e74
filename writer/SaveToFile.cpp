#include "writer/SaveToFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/EPDFError.h"
#include "engine/TextCodec.h"
#include "engine/Vellumark.h"
#include "writer/DocumentWriter.h"
#include "writer/OutputBuffer.h"

namespace vellumark {

namespace {

bool IsSeparator(char16_t c) {
#ifdef _WIN32
    return c == u'/' || c == u'\\' || c == u':';
#else
    return c == u'/';
#endif
}

std::string Reason(int err) { return std::strerror(err); }

[[noreturn]] void CannotCreate(const std::string& name, int err) {
    throw EFCreateError("Cannot create file \"" + name + "\". " + Reason(err));
}

[[noreturn]] void CannotWrite(const std::string& name, int err) {
    throw EFCreateError("Cannot write file \"" + name + "\". " + Reason(err));
}

// A temporary file in the target's folder that is removed unless committed.
class TTempFile {
public:
    explicit TTempFile(const std::string& target) {
        std::string dir = ".";
        std::string base = target;
        if (auto slash = target.rfind('/'); slash != std::string::npos) {
            dir = slash == 0 ? "/" : target.substr(0, slash);
            base = target.substr(slash + 1);
        }
        std::random_device rd;
        for (int attempt = 0; attempt < 100; ++attempt) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "%08x", rd());
            std::string candidate = (dir == "/" ? "" : dir) + "/." + base + "." + suffix + ".tmp";
            fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0) {
                path_ = candidate;
                return;
            }
            if (errno != EEXIST) CannotCreate(target, errno);
        }
        CannotCreate(target, EEXIST);
    }
    ~TTempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    int Fd() const { return fd_; }
    const std::string& Path() const { return path_; }
    // Closes the file; errno is set when it returns false.
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }
    void Committed() { path_.clear(); }

private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace

std::u16string PDFFileName(const std::u16string& fileName) {
    std::u16string ext;
    for (std::size_t i = fileName.size(); i-- > 0;) {
        if (IsSeparator(fileName[i])) break;
        if (fileName[i] == u'.') {
            ext = fileName.substr(i);
            break;
        }
    }
    for (char16_t& c : ext)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return ext == u".pdf" ? fileName : fileName + u".pdf";
}

void SaveDocumentToFile(TVellumark& engine, const std::u16string& fileName) {
    const std::string name = Utf16ToUtf8(PDFFileName(fileName));
    if (engine.Pages().Empty()) return;

    // Write through a link to the file it names, as opening it would.
    std::string target = name;
    struct stat st{};
    if (::lstat(name.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(name.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    bool existed = ::stat(target.c_str(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode)) CannotCreate(name, EISDIR);

    TTempFile temp(target);
    // The document goes to the temporary file as it is written.
    TOutputBuffer buffer(temp.Fd());
    WriteDocument(engine, buffer, std::time(nullptr));
    if (!buffer.Flush()) CannotWrite(name, buffer.Error());
    if (existed) ::fchmod(temp.Fd(), st.st_mode & 07777);
    if (!temp.Close()) CannotWrite(name, errno);
    if (::rename(temp.Path().c_str(), target.c_str()) != 0) CannotCreate(name, errno);
    temp.Committed();
}

}  // namespace vellumark
