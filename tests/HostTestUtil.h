// What the script host's tests share: a script run in this process, with what
// it wrote to each stream.
#pragma once

#include <sstream>
#include <string>

#include "base/TextCodec.h"
#include "host/Interpreter.h"

namespace vellumark::test {

struct TOutcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `script` (UTF-8) as "t.vbs".
inline TOutcome RunText(const std::string& script, const host::TRunOptions& options = {}) {
    std::ostringstream out, err;
    TOutcome r;
    r.status = host::RunScript(Utf8ToUtf16(script), "t.vbs", out, err, options);
    r.out = out.str();
    r.err = err.str();
    return r;
}

}  // namespace vellumark::test
