// Stub.
#include "control/com/ComControl.h"

namespace vellumark::com {

HRESULT TComControl::CreateEngineWindow(HWND, const RECT&) noexcept { return E_NOTIMPL; }
void TComControl::DestroyEngineWindow() noexcept {}
void TComControl::Paint(HDC, int, int) noexcept {}
bool TComControl::DecideDesignMode() noexcept { return false; }

}  // namespace vellumark::com
