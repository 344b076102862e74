// TOutputSink: where a streaming TOutputBuffer sends its bytes.
#pragma once

#include <cstddef>

namespace vellumark {

class TOutputSink {
public:
    virtual ~TOutputSink() = default;
    // Writes all of the bytes; returns 0, or the errno value of the failure.
    virtual int Write(const char* data, std::size_t size) = 0;
};

}  // namespace vellumark
