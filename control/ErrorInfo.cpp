#include "control/ErrorInfo.h"

#include <utility>

namespace vellumark {

namespace {
// The error information of the calling thread, as the automation error
// convention keeps it: one slot per thread, replaced by every SetErrorInfo.
thread_local std::optional<TErrorInfo> tErrorInfo;
}  // namespace

void SetErrorInfo(std::optional<TErrorInfo> info) { tErrorInfo = std::move(info); }

std::optional<TErrorInfo> GetErrorInfo() {
    std::optional<TErrorInfo> taken = std::move(tErrorInfo);
    tErrorInfo.reset();
    return taken;
}

}  // namespace vellumark
