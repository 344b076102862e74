// The About box of the control: a modal dialog of the window class
// "TPDFDocAbout" made from the module's form resource "TPDFDOCABOUT".
// The resource script includes this header for the ids of the form's
// controls and strings.
#pragma once

#include <windows.h>

// The controls of the form resource (OK is IDOK).
#define VMX_ABOUT_PICTURE 101
#define VMX_ABOUT_NAME 102
#define VMX_ABOUT_DESCRIPTION 103
#define VMX_ABOUT_NOTICE 104
#define VMX_ABOUT_LINK 105

// The web address the link label opens.
#define VMX_ABOUT_ADDRESS 1001

#ifndef RC_INVOKED

namespace vellumark::com {

// Shows the About box modally and returns after it has closed. Its owner is
// the top-level window of `owner`, or when `owner` is null the calling
// thread's active window (if any); the owner is disabled while the box is
// open. False when the box could not be shown (no display).
bool ShowAboutBox(HWND owner) noexcept;

}  // namespace vellumark::com

#endif  // RC_INVOKED
