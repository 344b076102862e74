// Stub: replaced by the About box work.
#include "control/com/AboutBox.h"

namespace vellumark::com {

bool ShowAboutBox(HWND) noexcept { return false; }

}  // namespace vellumark::com
