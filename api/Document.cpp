// The parts of the C and C++ interfaces that are not members of the
// automation interface: making and releasing documents, errors, saving to
// memory and to streams, the version and colours.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <ostream>
#include <vector>

#include "api/Call.h"
#include "base/OutputSink.h"
#include "writer/SaveToFile.h"

namespace vellumark {

namespace {

// Collects the saved file in memory.
class TMemorySink : public TOutputSink {
public:
    explicit TMemorySink(std::vector<std::byte>& bytes) : bytes_(bytes) {}
    int Write(const char* data, std::size_t size) override {
        try {
            const auto* p = reinterpret_cast<const std::byte*>(data);
            bytes_.insert(bytes_.end(), p, p + size);
            return 0;
        } catch (const std::bad_alloc&) {
            return ENOMEM;
        }
    }

private:
    std::vector<std::byte>& bytes_;
};

// Collects the saved file in memory that the C interface's caller releases
// with free (vm_free_buffer), grown by doubling.
class TMallocSink : public TOutputSink {
public:
    int Write(const char* data, std::size_t size) override {
        if (size > capacity_ - size_) {
            if (size > SIZE_MAX / 2 - size_) return ENOMEM;
            const std::size_t want = std::max(capacity_ * 2, size_ + size);
            void* grown = std::realloc(data_.get(), want);
            if (!grown) return ENOMEM;
            (void)data_.release();  // realloc took it
            data_.reset(static_cast<unsigned char*>(grown));
            capacity_ = want;
        }
        std::memcpy(data_.get() + size_, data, size);
        size_ += size;
        return 0;
    }
    std::size_t Size() const noexcept { return size_; }
    unsigned char* Release() noexcept { return data_.release(); }

private:
    struct TFree {
        void operator()(unsigned char* p) const noexcept { std::free(p); }
    };
    std::unique_ptr<unsigned char, TFree> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// Hands the saved file to a stream as it is written.
class TStreamSink : public TOutputSink {
public:
    explicit TStreamSink(std::ostream& out) : out_(out) {}
    int Write(const char* data, std::size_t size) override {
        try {
            out_.write(data, static_cast<std::streamsize>(size));
        } catch (...) {
            return EIO;
        }
        return out_ ? 0 : EIO;
    }

private:
    std::ostream& out_;
};

std::vector<std::byte> SaveToBytes(api::TDocState& state) {
    std::vector<std::byte> bytes;
    TMemorySink sink(bytes);
    SaveDocumentToSink(state.control.Engine(), sink);
    return bytes;
}

}  // namespace

// --- C++ ----------------------------------------------------------------------

Error::Error(const std::string& message) : std::runtime_error(message) {}
Error::~Error() = default;

Document::Document() : impl_(std::make_unique<Impl>()) {}
Document::~Document() = default;
Document::Document(Document&& other) noexcept = default;
Document& Document::operator=(Document&& other) noexcept = default;

Document::Impl& Document::State() const {
    if (!impl_) throw Error("The document was moved to another Document");
    return *impl_;
}

std::vector<std::byte> Document::SaveToMemory() {
    return api::CallCpp([&] { return SaveToBytes(State()); });
}

void Document::SaveToStream(std::ostream& out) {
    api::CallCpp([&] {
        TStreamSink sink(out);
        SaveDocumentToSink(State().control.Engine(), sink);
    });
}

}  // namespace vellumark

// --- C -------------------------------------------------------------------------

using namespace vellumark;

extern "C" VM_API const char* vm_version(void) { return VELLUMARK_VERSION; }

extern "C" VM_API vm_status vm_create(vm_doc** doc) {
    if (!doc) return VM_INVALID;
    *doc = nullptr;
    try {
        *doc = new vm_doc();
        return VM_OK;
    } catch (...) {
        return VM_NO_MEMORY;
    }
}

// The handle is the one owner the C interface has: vm_create hands out what
// new made, vm_destroy takes it back.
extern "C" VM_API void vm_destroy(vm_doc* doc) { delete doc; }

extern "C" VM_API const char* vm_last_error(const vm_doc* doc) { return doc ? doc->lastError.c_str() : ""; }

extern "C" VM_API vm_status vm_save_to_memory(vm_doc* doc, unsigned char** data, size_t* size) {
    if (!data || !size) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TMallocSink sink;
        SaveDocumentToSink(s.control.Engine(), sink);
        *size = sink.Size();
        *data = sink.Release();
    });
}

extern "C" VM_API void vm_free_buffer(void* data) { std::free(data); }

extern "C" VM_API uint32_t vm_rgb(int red, int green, int blue) {
    const auto byte = [](int v) { return static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
    return byte(red) | byte(green) << 8 | byte(blue) << 16;
}
