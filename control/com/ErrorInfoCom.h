// The error information of a failed member as the system keeps it.
#pragma once

#include <windows.h>

#include <string_view>

namespace vellumark::com {

// The system's HRESULT, not the portable one of the automation layer.
using ::HRESULT;

// Installs the calling thread's error information (CreateErrorInfo and
// SetErrorInfo) with IPDFDoc's interface id, the control's ProgID as source,
// the description and help context 0. False when it could not be built; the
// thread's error information is then left empty.
bool InstallErrorInfo(std::u16string_view description) noexcept;

// Moves the error information that the member table's frame left for this
// thread into the system's; clears the system's when there is none.
void PublishPendingErrorInfo() noexcept;

}  // namespace vellumark::com
