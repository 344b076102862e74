// The writer's output buffer: in memory and streaming to a file give the same
// bytes and positions whatever the sizes of the pieces, copied or kept; write
// errors are kept.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "base/OutputBuffer.h"
#include "writer/TargetFile.h"

using namespace vellumark;
using namespace vellumark::test;

namespace {

// Writes to a file descriptor.
class TFdSink : public TOutputSink {
public:
    explicit TFdSink(int fd) : fd_(fd) {}
    int Write(const char* data, std::size_t size) override {
        while (size > 0) {
            const ssize_t n = ::write(fd_, data, size);
            if (n <= 0) return n < 0 ? errno : EIO;
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return 0;
    }

private:
    int fd_;
};

}  // namespace

TEST(WriterOutputBuffer, StreamingGivesTheBytesAndPositionsOfMemory) {
    // Through a sink that writes piece by piece, and through the save's
    // target file, which gathers the pieces into one write.
    for (const bool target : {false, true}) {
        SCOPED_TRACE(target ? "target file" : "file descriptor");
        TempDir dir;
        const std::string path = (dir / "out.bin").string();
        std::string expected;
        {
            std::optional<TTargetFile> file;
            std::optional<TFdSink> fdSink;
            int fd = -1;
            if (target) {
                file.emplace(path);
            } else {
                fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                ASSERT_GE(fd, 0);
                fdSink.emplace(fd);
            }
            TOutputSink& sink = target ? static_cast<TOutputSink&>(*file) : *fdSink;
            TOutputBuffer memory;
            TOutputBuffer stream(sink);
            std::vector<std::unique_ptr<std::string>> kept;  // alive until the flush
            std::mt19937 rng(7);
            // Small pieces, pieces that straddle blocks, and pieces large
            // enough to be written directly, about 5 MB in all; half of
            // them kept where they are.
            const std::size_t sizes[] = {0,
                                         1,
                                         17,
                                         4096,
                                         70000,
                                         TOutputBuffer::kDirectWrite - 1,
                                         TOutputBuffer::kDirectWrite,
                                         TOutputBuffer::kBlockSize + 3};
            for (int i = 0; i < 300; ++i) {
                auto piece = std::make_unique<std::string>(sizes[rng() % (i < 280 ? 5 : std::size(sizes))], '\0');
                for (char& c : *piece) c = static_cast<char>('a' + rng() % 26);
                if (rng() % 2) {
                    memory.AppendKept(*piece);
                    stream.AppendKept(*piece);
                } else {
                    memory.append(*piece);
                    stream.append(*piece);
                }
                expected += *piece;
                kept.push_back(std::move(piece));
                ASSERT_EQ(stream.Position(), expected.size());
                ASSERT_EQ(memory.Position(), expected.size());
            }
            EXPECT_TRUE(stream.Flush());
            EXPECT_EQ(stream.Position(), expected.size());
            EXPECT_EQ(memory.ToString(), expected);
            if (file) file->Commit();
            if (fd >= 0) ::close(fd);
        }
        EXPECT_EQ(ReadFile(path), expected);
    }
}

TEST(WriterOutputBuffer, WriteErrorsAreKeptUntilTheFlush) {
    const int fd = ::open("/dev/full", O_WRONLY);
    if (fd < 0) GTEST_SKIP() << "/dev/full is not available";
    TFdSink sink(fd);
    TOutputBuffer stream(sink);
    stream.append(std::string(TOutputBuffer::kBlockSize + 10, 'x'));
    stream.append("tail");
    EXPECT_EQ(stream.Position(), TOutputBuffer::kBlockSize + 14);
    EXPECT_FALSE(stream.Flush());
    EXPECT_EQ(stream.Error(), ENOSPC);
    ::close(fd);
}
