// Stub.
#include "control/com/ComControl.h"

namespace vellumark::com {

STDMETHODIMP TComControl::Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDevice, HDC dc, LPCRECTL bounds, LPCRECTL windowBounds, BOOL(STDMETHODCALLTYPE* proceed)(ULONG_PTR), ULONG_PTR proceedArg) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDevice, LOGPALETTE** colors) { return E_NOTIMPL; }
STDMETHODIMP TComControl::Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) { return E_NOTIMPL; }
STDMETHODIMP TComControl::Unfreeze(DWORD freeze) { return E_NOTIMPL; }
STDMETHODIMP TComControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetData(FORMATETC* format, STGMEDIUM* medium) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetDataHere(FORMATETC* format, STGMEDIUM* medium) { return E_NOTIMPL; }
STDMETHODIMP TComControl::QueryGetData(FORMATETC* format) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) { return E_NOTIMPL; }
STDMETHODIMP TComControl::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) { return E_NOTIMPL; }
STDMETHODIMP TComControl::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) { return E_NOTIMPL; }
STDMETHODIMP TComControl::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) { return E_NOTIMPL; }
STDMETHODIMP TComControl::DUnadvise(DWORD connection) { return E_NOTIMPL; }
STDMETHODIMP TComControl::EnumDAdvise(IEnumSTATDATA** advise) { return E_NOTIMPL; }

}  // namespace vellumark::com
