#include "control/com/ConnectionPoints.h"

#include <algorithm>

#include "control/com/ComControl.h"
#include "control/com/Enumerator.h"

namespace vellumark::com {

STDMETHODIMP TConnectionPoint::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TConnectionPoint::AddRef() { return owner_.AddRef(); }

STDMETHODIMP_(ULONG) TConnectionPoint::Release() { return owner_.Release(); }

STDMETHODIMP TConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP TConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    *container = &owner_;
    owner_.AddRef();
    return S_OK;
}

STDMETHODIMP TConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    TComPtr<IUnknown> asked;
    if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(asked.Put())))) return CONNECT_E_CANNOTCONNECT;
    return Connect(asked.Get(), cookie);
}

HRESULT TConnectionPoint::Connect(IUnknown* sink, DWORD* cookie) noexcept {
    // The events point keeps one sink: the control has room for one.
    if (kind_ == Kind::Events && !connections_.empty()) return CONNECT_E_ADVISELIMIT;
    try {
        connections_.push_back({nextCookie_, TComPtr<IUnknown>::Share(sink)});
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    *cookie = nextCookie_++;
    if (kind_ == Kind::Events) owner_.SetEventSink(sink);
    return S_OK;
}

STDMETHODIMP TConnectionPoint::Unadvise(DWORD cookie) {
    const auto found = std::find_if(connections_.begin(), connections_.end(),
                                    [cookie](const TConnection& c) { return c.cookie == cookie; });
    if (found == connections_.end()) return CONNECT_E_NOCONNECTION;
    // The sink is released after the control has let go of it.
    TComPtr<IUnknown> sink = std::move(found->sink);
    connections_.erase(found);
    if (kind_ == Kind::Events) owner_.SetEventSink(nullptr);
    return S_OK;
}

STDMETHODIMP TConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (!connections) return E_POINTER;
    *connections = nullptr;
    try {
        std::vector<CONNECTDATA> items;
        for (const TConnection& c : connections_) items.push_back({c.sink.Get(), c.cookie});
        return TEnumerator<IEnumConnections, CONNECTDATA>::Create(std::move(items), connections);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP TComControl::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (!points) return E_POINTER;
    *points = nullptr;
    try {
        std::vector<IConnectionPoint*> items{eventsPoint_.get(), propertyNotifyPoint_.get()};
        return TEnumerator<IEnumConnectionPoints, IConnectionPoint*>::Create(std::move(items), points);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP TComControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    for (TConnectionPoint* p : {eventsPoint_.get(), propertyNotifyPoint_.get()}) {
        if (IsEqualIID(iid, p->Interface())) {
            *point = p;
            p->AddRef();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

void TComControl::SetEventSink(IUnknown* sink) noexcept {
    eventSink_ = TComPtr<IUnknown>::Share(sink);
}

}  // namespace vellumark::com
