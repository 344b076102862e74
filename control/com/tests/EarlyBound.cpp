// An early-bound client of VellumarkX.dll, run under Wine by
// scripts/test-windows.sh: the module exports, the function table slot by
// slot against the member table and the type library, results and errors of
// typed calls, IDispatch by name, and bitmap handles.
//   EarlyBound <path of VellumarkX.dll> <folder for a saved PDF>
#include <windows.h>
#include <oleauto.h>
#include <objsafe.h>
#include <olectl.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "control/MemberTable.h"
#include "control/com/ComUtil.h"
#include "control/com/Guids.h"
#include "control/com/tests/EarlyBound.h"

using namespace vellumark;
using namespace vellumark::com;
using namespace vellumark::com::early;

namespace {

int gFailures = 0;

// A small 24-bit Windows bitmap file, 2 x 2 pixels.
std::vector<uint8_t> BitmapFile() {
    const uint8_t bytes[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,
                             1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0,
                             0, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0};
    return std::vector<uint8_t>(std::begin(bytes), std::end(bytes));
}

void TestTypeLibrary(const wchar_t* dll) {
    TComPtr<ITypeLib> lib;
    Expect(SUCCEEDED(LoadTypeLibEx(dll, REGKIND_NONE, lib.Put())), "the module's type library loads");
    if (!lib) return;
    // IPDFDoc holds the members up to its last slot, IPDFDoc2 the others.
    TComPtr<ITypeInfo> sides[2];
    const GUID* const iids[2] = {&kIID_IPDFDoc, &kIID_IPDFDoc2};
    for (int i = 0; i < 2; ++i) {
        TComPtr<ITypeInfo> dispatchSide;
        HREFTYPE ref = 0;
        if (FAILED(lib->GetTypeInfoOfGuid(*iids[i], dispatchSide.Put())) ||
            FAILED(dispatchSide->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) ||
            FAILED(dispatchSide->GetRefTypeInfo(ref, sides[i].Put()))) {
            Expect(false, i == 0 ? "IPDFDoc's function table side in the type library"
                                 : "IPDFDoc2's function table side in the type library");
            return;
        }
    }
    int mismatches = 0;
    UINT indexes[2] = {0, 0};
    for (const TMemberInfo& m : MemberTable()) {
        const int side = m.slot <= kLastIPDFDocSlot ? 0 : 1;
        ITypeInfo* info = sides[side].Get();
        UINT& index = indexes[side];
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(index++, &f))) {
            ++mismatches;
            continue;
        }
        const int slot = f->oVft / static_cast<int>(sizeof(void*));
        const int params = m.paramCount + (m.result != TParamType::None ? 1 : 0);
        if (slot != m.slot || f->memid != m.dispid || f->cParams != params) {
            std::printf("  slot %d id %ld: type library gives slot %d id %ld\n", m.slot, static_cast<long>(m.dispid),
                        slot, static_cast<long>(f->memid));
            ++mismatches;
        }
        info->ReleaseFuncDesc(f);
    }
    Expect(mismatches == 0, "every slot, dispatch id and parameter count agrees with the member table");
    TYPEATTR* attr = nullptr;
    Expect(SUCCEEDED(sides[0]->GetTypeAttr(&attr)) && attr->cFuncs == kLastIPDFDocSlot - 6,
           "IPDFDoc keeps its 126 members");
    if (attr) sides[0]->ReleaseTypeAttr(attr);
}

void TestCalls(IUnknown* doc, const std::wstring& folder) {
    LONG n = 0;
    Expect(Slot<PLong>(doc, 7)(doc, 0) == S_OK, "slot 7 AddPage");
    Expect(Slot<PLongOut>(doc, 13)(doc, &n) == S_OK && n == 1, "slot 13 CreateGraphic gives resource 1");
    Expect(Slot<P3Double>(doc, 103)(doc, 300, 400, 50) == S_OK, "slot 103 Circle");
    Slot<PColor>(doc, 32)(doc, 0x0000FF);
    OLE_COLOR color = 0;
    Expect(Slot<PColorOut>(doc, 31)(doc, &color) == S_OK && color == 0x0000FF, "FillColor put and get");
    VARIANT_BOOL b = 0;
    Slot<PBool>(doc, 132)(doc, 1);
    Expect(Slot<PBoolOut>(doc, 131)(doc, &b) == S_OK && b == VARIANT_TRUE, "Fill put with 1 reads back as -1");
    // IPDFDoc2's slots follow IPDFDoc's in the same function table.
    TComPtr<IUnknown> doc2;
    Expect(SUCCEEDED(doc->QueryInterface(kIID_IPDFDoc2, reinterpret_cast<void**>(doc2.Put()))) && doc2.Get() == doc,
           "QueryInterface for IPDFDoc2 gives the same function table");
    Expect(Slot<PBoolOut>(doc, 133)(doc, &b) == S_OK && b == VARIANT_FALSE, "slot 133 UnicodeText is off by default");
    Slot<PBool>(doc, 136)(doc, 1);
    Expect(Slot<PBoolOut>(doc, 135)(doc, &b) == S_OK && b == VARIANT_TRUE, "slots 136 and 135 SubsetFonts put and get");
    Slot<PBool>(doc, 136)(doc, 0);
    Slot<PLong>(doc, 52)(doc, 257);
    Expect(Slot<PLongOut>(doc, 51)(doc, &n) == S_OK && n == 1, "DefaultPageSize put 257 stores psA4_P");
    Slot<PLong>(doc, 54)(doc, 256);
    Expect(Slot<PLongOut>(doc, 53)(doc, &n) == S_OK && n == 0, "Units put 256 stores umPoints");
    BSTR text = reinterpret_cast<BSTR>(1);
    Expect(Slot<PBStrOut>(doc, 83)(doc, &text) == S_OK && text == nullptr, "Title never set is a null BSTR");
    TBStr title(L"A title");
    Slot<PBStr>(doc, 84)(doc, title.Get());
    TBStr back;
    Expect(Slot<PBStrOut>(doc, 83)(doc, back.Put()) == S_OK && back.Get() && std::wcscmp(back.Get(), L"A title") == 0,
           "Title put and get");
    Expect(Slot<PLong2LongOut>(doc, 10)(doc, 1, 1, &n) == S_OK && n == 1, "slot 10 ApplyResource");

    // A failed member: E_UNEXPECTED with the thread's error information.
    TBStr missing(L"Z:\\no\\such\\image.png");
    n = 77;
    Expect(Slot<PBStrLongOut>(doc, 8)(doc, missing.Get(), &n) == E_UNEXPECTED && n == 77,
           "AddImageFile of a missing file fails with E_UNEXPECTED, result untouched");
    TComPtr<IErrorInfo> error;
    TBStr description, source;
    GUID guid{};
    if (GetErrorInfo(0, error.Put()) == S_OK && error) {
        error->GetDescription(description.Put());
        error->GetSource(source.Put());
        error->GetGUID(&guid);
    }
    Expect(Narrow(description.Get()) == "File not found", "error description \"File not found\"");
    Expect(Narrow(source.Get()) == "VellumarkX.PDFDoc" && IsEqualGUID(guid, kIID_IPDFDoc),
           "error source VellumarkX.PDFDoc and interface IPDFDoc");
    TComPtr<ISupportErrorInfo> support;
    Expect(SUCCEEDED(doc->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(support.Put()))) &&
               support->InterfaceSupportsErrorInfo(kIID_IPDFDoc) == S_OK &&
               support->InterfaceSupportsErrorInfo(IID_IClassFactory) == S_FALSE,
           "ISupportErrorInfo: S_OK for IPDFDoc, S_FALSE for another interface");

    // Object safety: supported 3, enabled as last set, for implemented interfaces only.
    TComPtr<IObjectSafety> safety;
    DWORD supported = 9, enabled = 9;
    Expect(SUCCEEDED(doc->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(safety.Put()))) &&
               safety->GetInterfaceSafetyOptions(kIID_IPDFDoc, &supported, &enabled) == S_OK && supported == 3 &&
               enabled == 0,
           "GetInterfaceSafetyOptions for IPDFDoc on a new control: 3 and 0");
    Expect(safety && safety->SetInterfaceSafetyOptions(kIID_IPDFDoc, 3, 1) == S_OK &&
               safety->GetInterfaceSafetyOptions(kIID_IPDFDoc, &supported, &enabled) == S_OK && enabled == 1,
           "after SetInterfaceSafetyOptions with mask 3 and options 1, enabled is 1");
    Expect(safety && safety->GetInterfaceSafetyOptions(IID_IClassFactory, &supported, &enabled) == E_NOINTERFACE &&
               supported == 0 && enabled == 0 && safety->SetInterfaceSafetyOptions(IID_IClassFactory, 3, 3) == E_NOINTERFACE,
           "object safety for an interface the control does not implement: E_NOINTERFACE, 0 and 0");

    // AddImageBytes leaves the caller's VARIANT as it was.
    const std::vector<uint8_t> file = BitmapFile();
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(file.size()));
    std::memcpy(array->pvData, file.data(), file.size());
    VARIANT bytes;
    VariantInit(&bytes);
    V_VT(&bytes) = VT_ARRAY | VT_UI1;
    V_ARRAY(&bytes) = array;
    n = 0;
    Expect(Slot<PVariantLongOut>(doc, 78)(doc, bytes, &n) == S_OK && n == 2, "AddImageBytes with a byte array");
    Expect(V_VT(&bytes) == (VT_ARRAY | VT_UI1) && V_ARRAY(&bytes) == array &&
               std::memcmp(array->pvData, file.data(), file.size()) == 0,
           "the caller's VARIANT is untouched");
    VariantClear(&bytes);
    double width = 0;
    Expect(Slot<PLongDoubleOut>(doc, 76)(doc, 2, &width) == S_OK && width > 0, "ImageWidth of the new image");

    // A GDI bitmap stays the caller's while ReleaseBMPHandle is true, and is
    // deleted otherwise; a packed bitmap in global memory is always consumed.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biHeight = 4;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* pixels = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    std::memset(pixels, 0x80, 4 * 12);
    const auto handle = static_cast<LONG>(reinterpret_cast<intptr_t>(section));
    Expect(Slot<PLongOut>(doc, 20) != nullptr, "slot 20 present");
    using PLongLongOut = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, LONG, LONG*);
    Expect(Slot<PLongLongOut>(doc, 20)(doc, handle, &n) == S_OK && n == 3, "AddImageBMPHandle with a DIB section");
    Expect(GetObjectType(section) == OBJ_BITMAP, "the bitmap stays with ReleaseBMPHandle true");
    Slot<PBool>(doc, 50)(doc, VARIANT_FALSE);
    Expect(Slot<PLongLongOut>(doc, 20)(doc, handle, &n) == S_OK && n == 4, "AddImageBMPHandle again");
    Expect(GetObjectType(section) == 0, "the bitmap is deleted with ReleaseBMPHandle false");
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, file.size() - 14);
    std::memcpy(GlobalLock(memory), file.data() + 14, file.size() - 14);
    GlobalUnlock(memory);
    const auto memoryHandle = static_cast<LONG>(reinterpret_cast<intptr_t>(memory));
    Expect(Slot<PLongLongOut>(doc, 20)(doc, memoryHandle, &n) == S_OK && n == 5,
           "AddImageBMPHandle with a packed bitmap in global memory");

    // IDispatch by name: AddPage, and a put made by reference.
    TComPtr<IDispatch> dispatch;
    doc->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.Put()));
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"addpage");
    Expect(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 1033, &id) == S_OK && id == 201, "GetIDsOfNames addpage is 201");
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_I2;
    V_I2(&arg) = 0;
    DISPPARAMS params{&arg, nullptr, 1, 0};
    Expect(dispatch->Invoke(201, IID_NULL, 1033, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr) == S_OK,
           "Invoke AddPage");

    // Named arguments: ApplyResource(Page, Resource) called as
    // ApplyResource Resource:=1, Page:=2.
    LPOLESTR apply[] = {const_cast<LPOLESTR>(L"ApplyResource"), const_cast<LPOLESTR>(L"resource"),
                        const_cast<LPOLESTR>(L"PAGE")};
    DISPID applyIds[3] = {};
    Expect(dispatch->GetIDsOfNames(IID_NULL, apply, 3, 1033, applyIds) == S_OK && applyIds[0] == 204 &&
               applyIds[1] == 1 && applyIds[2] == 0,
           "GetIDsOfNames gives the member and its parameters' positions");
    LPOLESTR wrong[] = {const_cast<LPOLESTR>(L"ApplyResource"), const_cast<LPOLESTR>(L"Colour")};
    DISPID wrongIds[2] = {};
    Expect(dispatch->GetIDsOfNames(IID_NULL, wrong, 2, 1033, wrongIds) == DISP_E_UNKNOWNNAME &&
               wrongIds[0] == 204 && wrongIds[1] == DISPID_UNKNOWN,
           "an unknown parameter name: DISP_E_UNKNOWNNAME and DISPID_UNKNOWN");
    VARIANT namedArgs[2];
    VariantInit(&namedArgs[0]);
    VariantInit(&namedArgs[1]);
    V_VT(&namedArgs[0]) = VT_I4;
    V_I4(&namedArgs[0]) = 1;  // Resource
    V_VT(&namedArgs[1]) = VT_I4;
    V_I4(&namedArgs[1]) = 2;  // Page
    DISPID positions[2] = {1, 0};
    DISPPARAMS namedParams{namedArgs, positions, 2, 2};
    VARIANT placed;
    VariantInit(&placed);
    Expect(dispatch->Invoke(204, IID_NULL, 1033, DISPATCH_METHOD, &namedParams, &placed, nullptr, nullptr) == S_OK &&
               V_VT(&placed) == VT_I4 && V_I4(&placed) == 1,
           "Invoke with named arguments in another order places resource 1 on page 2");
    DISPID beyond[2] = {1, 5};
    DISPPARAMS beyondParams{namedArgs, beyond, 2, 2};
    UINT bad = 99;
    Expect(dispatch->Invoke(204, IID_NULL, 1033, DISPATCH_METHOD, &beyondParams, &placed, nullptr, &bad) ==
                   DISP_E_PARAMNOTFOUND && bad == 1,
           "a named argument without its parameter: DISP_E_PARAMNOTFOUND");
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(L"Put by reference");
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put{&value, &named, 1, 1};
    Expect(dispatch->Invoke(251, IID_NULL, 1033, DISPATCH_PROPERTYPUTREF, &put, nullptr, nullptr, nullptr) == S_OK,
           "Invoke Title as a put by reference");
    VariantClear(&value);
    TBStr again;
    Slot<PBStrOut>(doc, 83)(doc, again.Put());
    Expect(Narrow(again.Get()) == "Put by reference", "the put by reference was made as a put");
    EXCEPINFO excep{};
    VARIANT file2;
    VariantInit(&file2);
    V_VT(&file2) = VT_BSTR;
    V_BSTR(&file2) = SysAllocString(L"Z:\\no\\such\\image.png");
    DISPPARAMS fileParams{&file2, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    Expect(dispatch->Invoke(202, IID_NULL, 1033, DISPATCH_METHOD, &fileParams, &result, &excep, nullptr) ==
                   DISP_E_EXCEPTION &&
               excep.scode == E_UNEXPECTED && Narrow(excep.bstrDescription) == "File not found",
           "Invoke of a failing member gives DISP_E_EXCEPTION with the message");
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    VariantClear(&file2);

    TComPtr<ITypeInfo> typeInfo;
    Expect(dispatch->GetTypeInfo(0, 1033, typeInfo.Put()) == S_OK && typeInfo, "GetTypeInfo");

    const std::wstring out = folder + L"\\earlybound";
    TBStr outName(out.c_str());
    using PBStrIn = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, BSTR);
    Expect(Slot<PBStrIn>(doc, 9)(doc, outName.Get()) == S_OK &&
               GetFileAttributesW((out + L".pdf").c_str()) != INVALID_FILE_ATTRIBUTES,
           "SaveToFile writes earlybound.pdf");
}

}  // namespace

namespace vellumark::com::early {

void Expect(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok:  " : "FAIL:", what.c_str());
    if (!ok) ++gFailures;
}

int Failures() { return gFailures; }

TComPtr<IUnknown> NewControl() {
    using PGetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    TComPtr<IUnknown> control;
    HMODULE module = GetModuleHandleW(L"VellumarkX.dll");
    auto getClassObject = module ? reinterpret_cast<PGetClassObject>(reinterpret_cast<void (*)()>(
                                       GetProcAddress(module, "DllGetClassObject")))
                                 : nullptr;
    TComPtr<IClassFactory> factory;
    if (getClassObject && SUCCEEDED(getClassObject(kCLSID_PDFDoc, IID_IClassFactory,
                                                   reinterpret_cast<void**>(factory.Put()))))
        factory->CreateInstance(nullptr, kIID_IPDFDoc, reinterpret_cast<void**>(control.Put()));
    return control;
}

}  // namespace vellumark::com::early

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: EarlyBound <VellumarkX.dll> <folder>\n", stderr);
        return 2;
    }
    CoInitialize(nullptr);
    HMODULE module = LoadLibraryW(argv[1]);
    Expect(module != nullptr, "the module loads");
    if (!module) return 1;
    using PGetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using PCanUnload = HRESULT(STDAPICALLTYPE*)();
    auto getClassObject = reinterpret_cast<PGetClassObject>(reinterpret_cast<void (*)()>(GetProcAddress(module, "DllGetClassObject")));
    auto canUnload = reinterpret_cast<PCanUnload>(reinterpret_cast<void (*)()>(GetProcAddress(module, "DllCanUnloadNow")));
    Expect(getClassObject && canUnload, "the exports are found by their plain names");
    if (!getClassObject || !canUnload) return 1;

    void* object = reinterpret_cast<void*>(1);
    Expect(getClassObject(IID_IClassFactory, IID_IClassFactory, &object) == CLASS_E_CLASSNOTAVAILABLE &&
               object == nullptr,
           "DllGetClassObject with another class id: CLASS_E_CLASSNOTAVAILABLE and null");
    Expect(canUnload() == S_OK, "DllCanUnloadNow before use: S_OK");

    TComPtr<IClassFactory> factory;
    Expect(getClassObject(kCLSID_PDFDoc, IID_IClassFactory, reinterpret_cast<void**>(factory.Put())) == S_OK,
           "DllGetClassObject for PDFDoc");
    TComPtr<IUnknown> doc;
    if (factory) factory->CreateInstance(nullptr, kIID_IPDFDoc, reinterpret_cast<void**>(doc.Put()));
    Expect(doc.Get() != nullptr, "CreateInstance for IPDFDoc");
    if (doc) TestCalls(doc.Get(), argv[2]);
    using TPart = void (*)(IUnknown*);
    for (TPart part : {TPart{&TestConnectionPoints}, TPart{&TestEmbedding}, TPart{&TestPersistence},
                       TPart{&TestAboutBox}, TPart{&TestGeneratedHeader}}) {
        // Each part runs on a control object of its own.
        TComPtr<IUnknown> partDoc = NewControl();
        if (partDoc) part(partDoc.Get());
    }
    factory.Reset();
    Expect(canUnload() == S_FALSE, "DllCanUnloadNow while an object lives: S_FALSE");
    doc.Reset();
    Expect(canUnload() == S_OK, "DllCanUnloadNow after the last release: S_OK");
    TestTypeLibrary(argv[1]);

    CoUninitialize();
    std::printf("%d failure(s)\nEND OF TEST\n", Failures());
    return Failures() == 0 ? 0 : 1;
}
