// The control's connection points: one for its (empty) event interface
// IPDFDocEvents, which holds at most one sink and hands it to the control,
// and one for IPropertyNotifySink, which holds any number of sinks and is
// never fired. A point lives inside its control and counts its references
// there.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "control/com/ComUtil.h"

namespace vellumark::com {

class TComControl;

class TConnectionPoint final : public IConnectionPoint {
public:
    enum class Kind { Events, PropertyNotify };

    TConnectionPoint(TComControl& owner, const IID& iid, Kind kind) : owner_(owner), iid_(iid), kind_(kind) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

    const IID& Interface() const noexcept { return iid_; }
    // Connects or disconnects a sink already asked for this point's interface.
    HRESULT Connect(IUnknown* sink, DWORD* cookie) noexcept;

private:
    struct TConnection {
        DWORD cookie;
        TComPtr<IUnknown> sink;
    };

    TComControl& owner_;
    const IID iid_;
    const Kind kind_;
    std::vector<TConnection> connections_;
    DWORD nextCookie_ = 1;
};

}  // namespace vellumark::com
