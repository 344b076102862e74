// libFuzzer target: runs arbitrary bytes as a script in sandbox mode (no
// files read or written, a bounded number of steps, output discarded).
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "host/Interpreter.h"
#include "host/ScriptSource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string source =
        vellumark::host::DecodeScript(std::string_view(reinterpret_cast<const char*>(data), size));
    std::ostream sink(nullptr);  // a stream without a buffer drops everything
    vellumark::host::TRunOptions options;
    options.sandbox = true;
    options.maxSteps = 20000;
    options.maxStringLength = 1 << 16;
    vellumark::host::RunScript(source, "fuzz.vbs", sink, sink, options);
    return 0;
}
