// libtiff reading and writing a TIFF file held in memory, for the benchmarks
// that measure libtiff as their baseline.
#pragma once

#include <tiffio.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace vellumark::bench {

struct TMemoryTiff {
    std::vector<uint8_t> bytes;
    std::size_t pos = 0;
    // Reading hands libtiff the whole file as a mapping, so that it takes
    // strips from memory without copying them.
    bool map = false;
};

namespace memory_tiff {

inline tsize_t Read(thandle_t h, tdata_t buf, tsize_t size) {
    auto& f = *static_cast<TMemoryTiff*>(h);
    const std::size_t left = f.pos < f.bytes.size() ? f.bytes.size() - f.pos : 0;
    const std::size_t n = std::min(left, static_cast<std::size_t>(size));
    if (n > 0) std::memcpy(buf, f.bytes.data() + f.pos, n);
    f.pos += n;
    return static_cast<tsize_t>(n);
}

inline tsize_t Write(thandle_t h, tdata_t buf, tsize_t size) {
    auto& f = *static_cast<TMemoryTiff*>(h);
    const auto n = static_cast<std::size_t>(size);
    if (f.pos + n > f.bytes.size()) f.bytes.resize(f.pos + n);
    std::memcpy(f.bytes.data() + f.pos, buf, n);
    f.pos += n;
    return size;
}

inline toff_t Seek(thandle_t h, toff_t off, int whence) {
    auto& f = *static_cast<TMemoryTiff*>(h);
    toff_t to = off;
    if (whence == SEEK_CUR) to = f.pos + off;
    else if (whence == SEEK_END) to = f.bytes.size() + off;
    f.pos = static_cast<std::size_t>(to);
    return to;
}

inline int Close(thandle_t) { return 0; }
inline toff_t Size(thandle_t h) { return static_cast<toff_t>(static_cast<TMemoryTiff*>(h)->bytes.size()); }

inline int Map(thandle_t h, tdata_t* base, toff_t* size) {
    auto& f = *static_cast<TMemoryTiff*>(h);
    if (!f.map) return 0;
    *base = f.bytes.data();
    *size = static_cast<toff_t>(f.bytes.size());
    return 1;
}
inline void Unmap(thandle_t, tdata_t, toff_t) {}

}  // namespace memory_tiff

// Opens the memory file from its start; mode as TIFFOpen's.
inline TIFF* OpenMemoryTiff(TMemoryTiff& f, const char* mode) {
    f.pos = 0;
    return TIFFClientOpen("memory", mode, &f, memory_tiff::Read, memory_tiff::Write, memory_tiff::Seek,
                          memory_tiff::Close, memory_tiff::Size, memory_tiff::Map, memory_tiff::Unmap);
}

}  // namespace vellumark::bench
