// The calling thread's error information, as the automation error convention
// sets it: interface id, source, description and help context.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vellumark {

struct TErrorInfo {
    std::string guid;  // interface id, "{...}"
    std::u16string source;
    std::u16string description;
    uint32_t helpContext = 0;
};

// Installs (or, with nullopt, removes) the thread's current error information.
void SetErrorInfo(std::optional<TErrorInfo> info);
// Takes the thread's error information; it is cleared afterwards, as
// GetErrorInfo does.
std::optional<TErrorInfo> GetErrorInfo();

}  // namespace vellumark
