// zlib on its own on the engine's page contents, the baseline of the save
// benchmarks (bench_save, bench_libharu): each page's content as one zlib
// stream with the writer's parameters.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Vellumark.h"

namespace vellumark::bench {

// The contents of the engine's graphic resources, and their total size.
inline std::vector<std::string> GraphicContents(const TVellumark& engine, uint64_t& bytes) {
    std::vector<std::string> contents;
    contents.reserve(static_cast<std::size_t>(engine.Pages().Count()));
    for (const TPDFResource& res : engine.Resources()) {
        if (auto* g = dynamic_cast<const TPDFGraphicRes*>(&res)) {
            contents.push_back(g->Content());
            bytes += contents.back().size();
        }
    }
    return contents;
}

// Each content as one zlib stream (default level, a 32 KB window, memory
// level 8, the default strategy: the writer's parameters) into a scratch
// buffer. Returns the compressed size, 0 when zlib fails.
inline uint64_t DeflatePages(const std::vector<std::string>& contents) {
    static unsigned char out[64 * 1024];
    uint64_t total = 0;
    for (const std::string& text : contents) {
        const std::string* content = &text;
        z_stream zs{};
        if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return 0;
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content->data()));
        zs.avail_in = static_cast<uInt>(content->size());
        int rc;
        do {
            zs.next_out = out;
            zs.avail_out = sizeof out;
            rc = deflate(&zs, Z_FINISH);
            total += sizeof out - zs.avail_out;
        } while (rc == Z_OK);
        deflateEnd(&zs);
        if (rc != Z_STREAM_END) return 0;
    }
    return total;
}

}  // namespace vellumark::bench
