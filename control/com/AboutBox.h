// The About box of the control: a modal dialog made from the module's form
// resource "TPDFDOCABOUT".
#pragma once

#include <windows.h>

namespace vellumark::com {

// Shows the About box modally over `owner` (may be null) and returns after it
// has closed; false when it could not be shown (no display).
bool ShowAboutBox(HWND owner) noexcept;

}  // namespace vellumark::com
