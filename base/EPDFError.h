// Exception classes raised inside the engine.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vellumark {

// The engine's own checks raise EPDFError with a message text.
class EPDFError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that cannot be created or written: carries the platform's reason in
// its message.
class EFCreateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An operating-system error that carries its own negative HRESULT; the
// automation layer reports that code instead of E_UNEXPECTED.
class EOleSysError : public std::runtime_error {
public:
    EOleSysError(const std::string& message, int32_t hresult)
        : std::runtime_error(message), hresult_(hresult) {}
    int32_t HResult() const noexcept { return hresult_; }

private:
    int32_t hresult_;
};

// Reading past the end of a stream.
class EReadError : public std::runtime_error {
public:
    EReadError() : std::runtime_error("Stream read error") {}
};

// A file that cannot be opened or read.
class EFOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace vellumark
