// TPDFDoc: the control class behind IPDFDoc. It holds one engine and turns
// every member into one engine call, converting arguments and results and
// translating errors into HRESULTs with error information.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "control/HResult.h"
#include "control/MemberTable.h"
#include "control/Variant.h"
#include "engine/Vellumark.h"

namespace vellumark {

// State of the control's window object (the visual side of the control).
struct TControlWindow {
    bool DoubleBuffered = false;
    bool Enabled = true;
    bool Visible = true;
    bool SubComponent = false;
    bool RightToLeft = false;  // the bidirectional mode; never set on this platform
};

// What Invoke reports for a failed member (EXCEPINFO).
struct TExcepInfo {
    HRESULT scode = 0;
    std::u16string source;
    std::u16string description;
};

class TPDFDoc {
public:
    TPDFDoc();
    ~TPDFDoc();
    TPDFDoc(const TPDFDoc&) = delete;
    TPDFDoc& operator=(const TPDFDoc&) = delete;

    TVellumark& Engine() noexcept { return *engine_; }
    TControlWindow& Window() noexcept { return window_; }

    // The About box: shown by the platform's control through the hook it
    // installs; without one the member reports that it is not implemented.
    void SetAboutBox(std::function<void()> show) { aboutBox_ = std::move(show); }
    void AboutBox();

    // Early-bound call through the function table: args in declaration order
    // (an indexed put takes the index, then the value). Returns S_OK or the
    // translated error; the result is written only on success.
    HRESULT CallSlot(int slot, std::span<const TVariant> args, TVariant* result);

    // IDispatch, answered from the member table. Arguments come in declaration
    // order (not reversed as in DISPPARAMS). A failed member gives
    // DISP_E_EXCEPTION with excep filled; a failed argument conversion
    // DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW with argErr set to the index of
    // the argument (declaration order).
    HRESULT GetIDsOfNames(std::u16string_view name, int32_t& dispid) const;
    HRESULT Invoke(int32_t dispid, uint16_t flags, std::span<const TVariant> args, TVariant* result,
                   TExcepInfo* excep = nullptr, uint32_t* argErr = nullptr);

    // ISupportErrorInfo: S_OK for IPDFDoc (and the other interfaces the
    // control implements), S_FALSE otherwise.
    HRESULT InterfaceSupportsErrorInfo(std::string_view iid) const;

private:
    std::unique_ptr<TVellumark> engine_;
    TControlWindow window_;
    std::function<void()> aboutBox_;
};

}  // namespace vellumark
