// Stub: replaced by the About box work.
#include "control/com/AboutBox.h"

namespace vellumark::com {

void ShowAboutBox(HWND) noexcept {}

}  // namespace vellumark::com
