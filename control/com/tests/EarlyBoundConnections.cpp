// The control's connection points: the events point takes one IPDFDocEvents
// sink, the property notification point any number of sinks, and neither is
// ever fired.
#include <ocidl.h>
#include <olectl.h>

#include "control/com/ComUtil.h"
#include "control/com/Guids.h"
#include "control/com/tests/EarlyBound.h"

namespace vellumark::com::early {

namespace {

// A sink that answers IUnknown, IDispatch and one more interface, and counts
// its references and the notifications it gets.
class TSink final : public IPropertyNotifySink {
public:
    explicit TSink(const IID& answers) : answers_(answers) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, answers_)) {
            *object = static_cast<IPropertyNotifySink*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    STDMETHODIMP OnChanged(DISPID) override {
        ++notifications_;
        return S_OK;
    }
    STDMETHODIMP OnRequestEdit(DISPID) override {
        ++notifications_;
        return S_OK;
    }

    ULONG refs_ = 1;
    int notifications_ = 0;

private:
    IID answers_;
};

int CountPoints(IConnectionPointContainer* container, IID* first, IID* second) {
    TComPtr<IEnumConnectionPoints> points;
    if (FAILED(container->EnumConnectionPoints(points.Put()))) return -1;
    int count = 0;
    IConnectionPoint* point = nullptr;
    while (points->Next(1, &point, nullptr) == S_OK) {
        IID iid{};
        point->GetConnectionInterface(&iid);
        if (count == 0) *first = iid;
        if (count == 1) *second = iid;
        point->Release();
        ++count;
    }
    return count;
}

}  // namespace

void TestConnectionPoints(IUnknown* doc) {
    TComPtr<IConnectionPointContainer> container;
    Expect(SUCCEEDED(doc->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.Put()))),
           "IConnectionPointContainer");
    if (!container) return;
    IID first{}, second{};
    Expect(CountPoints(container.Get(), &first, &second) == 2 && IsEqualIID(first, kIID_IPDFDocEvents) &&
               IsEqualIID(second, IID_IPropertyNotifySink),
           "two connection points: IPDFDocEvents, then IPropertyNotifySink");
    TComPtr<IConnectionPoint> events, notify, none;
    Expect(container->FindConnectionPoint(kIID_IPDFDocEvents, events.Put()) == S_OK &&
               container->FindConnectionPoint(IID_IPropertyNotifySink, notify.Put()) == S_OK,
           "FindConnectionPoint finds both");
    Expect(container->FindConnectionPoint(IID_IDispatch, none.Put()) == CONNECT_E_NOCONNECTION && !none,
           "FindConnectionPoint of another interface: CONNECT_E_NOCONNECTION");
    if (!events || !notify) return;
    TComPtr<IConnectionPointContainer> back;
    TComPtr<IUnknown> identityA, identityB;
    events->GetConnectionPointContainer(back.Put());
    back->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identityA.Put()));
    doc->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identityB.Put()));
    Expect(identityA.Get() == identityB.Get(), "a point's container is the control");

    // The events point: one sink that answers IPDFDocEvents.
    TSink sink(kIID_IPDFDocEvents), other(kIID_IPDFDocEvents), stranger(IID_IPropertyNotifySink);
    DWORD cookie = 0, cookie2 = 7;
    Expect(events->Advise(&stranger, &cookie2) == CONNECT_E_CANNOTCONNECT && stranger.refs_ == 1,
           "a sink without IPDFDocEvents cannot connect and is not kept");
    Expect(events->Advise(&sink, &cookie) == S_OK && cookie != 0 && sink.refs_ > 1, "an IPDFDocEvents sink connects");
    Expect(events->Advise(&other, &cookie2) == CONNECT_E_ADVISELIMIT && other.refs_ == 1,
           "a second events sink: CONNECT_E_ADVISELIMIT");
    TComPtr<IEnumConnections> connections;
    CONNECTDATA data{};
    ULONG fetched = 0;
    if (SUCCEEDED(events->EnumConnections(connections.Put())) &&
        connections->Next(1, &data, &fetched) == S_OK) {
        Expect(fetched == 1 && data.dwCookie == cookie, "EnumConnections gives the sink and its cookie");
        data.pUnk->Release();
    } else {
        Expect(false, "EnumConnections");
    }
    connections.Reset();
    Expect(events->Unadvise(cookie) == S_OK && sink.refs_ == 1, "Unadvise lets the sink go");
    Expect(events->Unadvise(cookie) == CONNECT_E_NOCONNECTION, "Unadvise twice: CONNECT_E_NOCONNECTION");

    // The property notification point takes several sinks and never calls them.
    TSink a(IID_IPropertyNotifySink), b(IID_IPropertyNotifySink);
    DWORD ca = 0, cb = 0;
    Expect(notify->Advise(&a, &ca) == S_OK && notify->Advise(&b, &cb) == S_OK && ca != cb,
           "two property notification sinks connect");
    TBStr title(L"Changed");
    Slot<PBStr>(doc, 84)(doc, title.Get());
    Slot<PLong>(doc, 54)(doc, 2);
    Expect(a.notifications_ == 0 && b.notifications_ == 0, "no property change is notified");
    Expect(notify->Unadvise(ca) == S_OK && notify->Unadvise(cb) == S_OK && a.refs_ == 1 && b.refs_ == 1,
           "both disconnect and are released");
}

}  // namespace vellumark::com::early
