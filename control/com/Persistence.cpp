// Stub: replaced by the persistence work.
#include "control/com/ComControl.h"
#include "control/com/Guids.h"

namespace vellumark::com {

STDMETHODIMP TComControl::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = kCLSID_PDFDoc;
    return S_OK;
}
STDMETHODIMP TComControl::IsDirty() { return E_NOTIMPL; }
STDMETHODIMP TComControl::Load(LPSTREAM stream) { return E_NOTIMPL; }
STDMETHODIMP TComControl::Save(LPSTREAM stream, BOOL clearDirty) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetSizeMax(ULARGE_INTEGER* size) { return E_NOTIMPL; }
STDMETHODIMP TComControl::InitNew() { return E_NOTIMPL; }
STDMETHODIMP TComControl::InitNew(IStorage* storage) { return E_NOTIMPL; }
STDMETHODIMP TComControl::Load(IStorage* storage) { return E_NOTIMPL; }
STDMETHODIMP TComControl::Save(IStorage* storage, BOOL sameAsLoad) { return E_NOTIMPL; }
STDMETHODIMP TComControl::SaveCompleted(IStorage* storage) { return E_NOTIMPL; }
STDMETHODIMP TComControl::HandsOffStorage() { return E_NOTIMPL; }
STDMETHODIMP TComControl::Load(IPropertyBag* bag, IErrorLog* log) { return E_NOTIMPL; }
STDMETHODIMP TComControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) { return E_NOTIMPL; }

void TComControl::ResetProperties() noexcept {}

}  // namespace vellumark::com
