// TOutputSink: where a streaming TOutputBuffer sends its bytes.
#pragma once

#include <cstddef>
#include <span>

namespace vellumark {

struct TOutputPiece {
    const char* Data;
    std::size_t Size;
};

class TOutputSink {
public:
    virtual ~TOutputSink() = default;
    // Writes all of the bytes; returns 0, or the errno value of the failure.
    virtual int Write(const char* data, std::size_t size) = 0;
    // Writes the pieces one after the other, the same way; a sink that can
    // hand them over in one call does.
    virtual int WriteGather(std::span<const TOutputPiece> pieces) {
        for (const TOutputPiece& piece : pieces)
            if (const int error = Write(piece.Data, piece.Size)) return error;
        return 0;
    }
};

}  // namespace vellumark
