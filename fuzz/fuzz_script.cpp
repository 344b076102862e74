// libFuzzer target: runs arbitrary bytes as a script file in sandbox mode (no
// files read or written, a bounded number of steps, output discarded), as
// "vellumark run" reads them: UTF-8 directly, UTF-16 after its byte order
// mark.
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "host/Interpreter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::ostream sink(nullptr);  // a stream without a buffer drops everything
    vellumark::host::TRunOptions options;
    options.sandbox = true;
    options.maxSteps = 20000;
    options.maxStringLength = 1 << 16;
    vellumark::host::RunScriptBytes(std::string(reinterpret_cast<const char*>(data), size), "fuzz.vbs", sink, sink,
                                    options);
    return 0;
}
