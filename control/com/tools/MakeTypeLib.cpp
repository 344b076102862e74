// Writes the control's type library from the member table through
// ICreateTypeLib2, or dumps a type library as text.
//
//   MakeTypeLib <out.tlb> win32|win64   writes the library for that bitness
//   MakeTypeLib --dump <file>           prints a .tlb, or a module's TYPELIB 1
//
// The library holds, in this order: the dual interface IPDFDoc, the dual
// interface IPDFDoc2 that extends it with the members after its last slot,
// the empty dispinterface IPDFDocEvents, the coclass PDFDoc (IPDFDoc2 its
// default interface) and the four enumerations.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "control/MemberTable.h"
#include "control/com/ComUtil.h"
#include "control/com/Guids.h"

using namespace vellumark;
using namespace vellumark::com;

namespace {

// {66504301-BE0F-101A-8BBB-00AA00300CAB}: OLE_COLOR in stdole2.
constexpr GUID kGuidOleColor = {0x66504301, 0xBE0F, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

struct TFailure {
    const char* what;
    HRESULT hr;
};

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw TFailure{what, hr};
}

std::wstring WideOf(const char* text) { return text ? Wide(std::string_view(text)) : std::wstring(); }

GUID GuidOf(const char* text) {
    GUID guid{};
    std::wstring wide = WideOf(text);
    Check(CLSIDFromString(wide.c_str(), &guid), "CLSIDFromString");
    return guid;
}

// The type descriptions the members refer to.
struct TRefs {
    HREFTYPE oleColor = 0;
    HREFTYPE enums[4] = {};
};

int EnumIndex(TParamType type) {
    switch (type) {
        case TParamType::CompressFormat: return 0;
        case TParamType::PageSize: return 1;
        case TParamType::UnitsMeas: return 2;
        case TParamType::TextAlign: return 3;
        default: return -1;
    }
}

TYPEDESC DescOf(TParamType type, const TRefs& refs) {
    TYPEDESC d{};
    switch (type) {
        case TParamType::Long: d.vt = VT_I4; break;
        case TParamType::Double: d.vt = VT_R8; break;
        case TParamType::Bool: d.vt = VT_BOOL; break;
        case TParamType::BStr: d.vt = VT_BSTR; break;
        case TParamType::Variant: d.vt = VT_VARIANT; break;
        case TParamType::Color:
            d.vt = VT_USERDEFINED;
            d.hreftype = refs.oleColor;
            break;
        default:
            d.vt = VT_USERDEFINED;
            d.hreftype = refs.enums[EnumIndex(type)];
            break;
    }
    return d;
}

INVOKEKIND InvokeKindOf(TInvokeKind kind) {
    switch (kind) {
        case TInvokeKind::PropertyGet: return INVOKE_PROPERTYGET;
        case TInvokeKind::PropertyPut: return INVOKE_PROPERTYPUT;
        default: return INVOKE_FUNC;
    }
}

// The members in slots first..last, in slot order.
void AddMembers(ICreateTypeInfo* info, const TRefs& refs, SYSKIND sys, int first, int last) {
    const short pointer = sys == SYS_WIN64 ? 8 : 4;
    UINT index = 0;
    for (const TMemberInfo& m : MemberTable()) {
        if (m.slot < first || m.slot > last) continue;
        const bool hasResult = m.result != TParamType::None;
        std::vector<TYPEDESC> resultDesc(1);
        std::vector<ELEMDESC> params(m.paramCount + (hasResult ? 1 : 0));
        for (int i = 0; i < m.paramCount; ++i) {
            params[i].tdesc = DescOf(m.params[i].type, refs);
            params[i].paramdesc.wParamFlags = PARAMFLAG_FIN;
        }
        if (hasResult) {
            resultDesc[0] = DescOf(m.result, refs);
            ELEMDESC& r = params.back();
            r.tdesc.vt = VT_PTR;
            r.tdesc.lptdesc = resultDesc.data();
            r.paramdesc.wParamFlags = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
        }
        FUNCDESC f{};
        f.memid = m.dispid;
        f.funckind = FUNC_PUREVIRTUAL;
        f.invkind = InvokeKindOf(m.kind);
        f.callconv = CC_STDCALL;
        f.cParams = static_cast<SHORT>(params.size());
        f.oVft = static_cast<SHORT>(m.slot * pointer);
        f.elemdescFunc.tdesc.vt = VT_HRESULT;
        f.lprgelemdescParam = params.data();
        Check(info->AddFuncDesc(index, &f), "AddFuncDesc");

        // The member's name and its parameters' names; a put's value and a
        // result go unnamed in the names list, as the system expects.
        std::vector<std::wstring> names{WideOf(m.name)};
        const int named = m.kind == TInvokeKind::PropertyPut ? m.paramCount - 1 : m.paramCount;
        for (int i = 0; i < named; ++i) names.push_back(WideOf(m.params[i].name));
        std::vector<LPOLESTR> pointers;
        for (std::wstring& n : names) pointers.push_back(n.data());
        Check(info->SetFuncAndParamNames(index, pointers.data(), static_cast<UINT>(pointers.size())),
              "SetFuncAndParamNames");
        if (m.help) {
            std::wstring help = WideOf(m.help);
            Check(info->SetFuncDocString(index, help.data()), "SetFuncDocString");
        }
        ++index;
    }
}

TComPtr<ICreateTypeInfo> NewType(ICreateTypeLib2* lib, const wchar_t* name, TYPEKIND kind) {
    TComPtr<ICreateTypeInfo> info;
    Check(lib->CreateTypeInfo(const_cast<LPOLESTR>(name), kind, info.Put()), "CreateTypeInfo");
    return info;
}

void SetDoc(ICreateTypeInfo* info, const GUID& guid, const wchar_t* help, UINT flags) {
    Check(info->SetGuid(guid), "SetGuid");
    Check(info->SetDocString(const_cast<LPOLESTR>(help)), "SetDocString");
    Check(info->SetTypeFlags(flags), "SetTypeFlags");
}

HREFTYPE RefTo(ICreateTypeInfo* from, ICreateTypeInfo* to) {
    TComPtr<ITypeInfo> target;
    Check(to->QueryInterface(IID_ITypeInfo, reinterpret_cast<void**>(target.Put())), "QueryInterface ITypeInfo");
    HREFTYPE ref = 0;
    Check(from->AddRefTypeInfo(target.Get(), &ref), "AddRefTypeInfo");
    return ref;
}

HREFTYPE RefTo(ICreateTypeInfo* from, ITypeInfo* target) {
    HREFTYPE ref = 0;
    Check(from->AddRefTypeInfo(target, &ref), "AddRefTypeInfo");
    return ref;
}

void Make(const wchar_t* file, SYSKIND sys) {
    TComPtr<ICreateTypeLib2> lib;
    Check(CreateTypeLib2(sys, file, lib.Put()), "CreateTypeLib2");
    Check(lib->SetName(const_cast<LPOLESTR>(L"VellumarkX")), "SetName");
    Check(lib->SetGuid(kLibId), "SetGuid");
    Check(lib->SetVersion(kLibMajor, kLibMinor), "SetVersion");
    Check(lib->SetLcid(kLibLcid), "SetLcid");
    Check(lib->SetDocString(const_cast<LPOLESTR>(L"VellumarkX Library")), "SetDocString");
    Check(lib->SetLibFlags(LIBFLAG_FCONTROL), "SetLibFlags");

    TComPtr<ITypeLib> stdole;
    Check(LoadTypeLib(L"stdole2.tlb", stdole.Put()), "LoadTypeLib stdole2");
    TComPtr<ITypeInfo> dispatch, oleColor;
    Check(stdole->GetTypeInfoOfGuid(IID_IDispatch, dispatch.Put()), "IDispatch in stdole2");
    Check(stdole->GetTypeInfoOfGuid(kGuidOleColor, oleColor.Put()), "OLE_COLOR in stdole2");

    // Created in library order; filled afterwards, as the interface refers
    // to the enumerations that follow it.
    TComPtr<ICreateTypeInfo> iface = NewType(lib.Get(), L"IPDFDoc", TKIND_INTERFACE);
    TComPtr<ICreateTypeInfo> iface2 = NewType(lib.Get(), L"IPDFDoc2", TKIND_INTERFACE);
    TComPtr<ICreateTypeInfo> events = NewType(lib.Get(), L"IPDFDocEvents", TKIND_DISPATCH);
    TComPtr<ICreateTypeInfo> coclass = NewType(lib.Get(), L"PDFDoc", TKIND_COCLASS);
    std::vector<TComPtr<ICreateTypeInfo>> enums;
    for (const TEnumInfo& e : TypeLibEnums()) enums.push_back(NewType(lib.Get(), WideOf(e.name).c_str(), TKIND_ENUM));

    for (size_t i = 0; i < enums.size(); ++i) {
        const TEnumInfo& e = TypeLibEnums()[i];
        ICreateTypeInfo* info = enums[i].Get();
        SetDoc(info, GuidOf(e.guid), WideOf(e.help).c_str(), 0);
        UINT index = 0;
        for (const TEnumValue& v : e.values) {
            VARIANT value;
            VariantInit(&value);
            V_VT(&value) = VT_I4;
            V_I4(&value) = v.value;
            VARDESC d{};
            d.memid = static_cast<MEMBERID>(0x40000000 + index);
            d.lpvarValue = &value;
            d.varkind = VAR_CONST;
            d.elemdescVar.tdesc.vt = VT_I4;
            Check(info->AddVarDesc(index, &d), "AddVarDesc");
            std::wstring name = WideOf(v.name), help = WideOf(v.help);
            Check(info->SetVarName(index, name.data()), "SetVarName");
            Check(info->SetVarDocString(index, help.data()), "SetVarDocString");
            ++index;
        }
    }

    SetDoc(iface.Get(), kIID_IPDFDoc, L"Dispatch interface for PDFDoc Control",
           TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE);
    Check(iface->AddImplType(0, RefTo(iface.Get(), dispatch.Get())), "AddImplType IDispatch");
    TRefs refs;
    refs.oleColor = RefTo(iface.Get(), oleColor.Get());
    for (size_t i = 0; i < enums.size(); ++i) refs.enums[i] = RefTo(iface.Get(), enums[i].Get());
    AddMembers(iface.Get(), refs, sys, MemberTable().front().slot, kLastIPDFDocSlot);

    SetDoc(iface2.Get(), kIID_IPDFDoc2, L"Dispatch interface for PDFDoc Control, version 2",
           TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE);
    Check(iface2->AddImplType(0, RefTo(iface2.Get(), iface.Get())), "AddImplType IPDFDoc");
    TRefs refs2;
    refs2.oleColor = RefTo(iface2.Get(), oleColor.Get());
    for (size_t i = 0; i < enums.size(); ++i) refs2.enums[i] = RefTo(iface2.Get(), enums[i].Get());
    AddMembers(iface2.Get(), refs2, sys, kLastIPDFDocSlot + 1, MemberTable().back().slot);

    SetDoc(events.Get(), kIID_IPDFDocEvents, L"Events interface for PDFDoc Control", 0);
    Check(events->AddImplType(0, RefTo(events.Get(), dispatch.Get())), "AddImplType events");

    SetDoc(coclass.Get(), kCLSID_PDFDoc, L"PDFDoc Control", TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL);
    Check(coclass->AddImplType(0, RefTo(coclass.Get(), iface2.Get())), "AddImplType IPDFDoc2");
    Check(coclass->SetImplTypeFlags(0, IMPLTYPEFLAG_FDEFAULT), "SetImplTypeFlags");
    Check(coclass->AddImplType(1, RefTo(coclass.Get(), iface.Get())), "AddImplType IPDFDoc");
    Check(coclass->AddImplType(2, RefTo(coclass.Get(), events.Get())), "AddImplType IPDFDocEvents");
    Check(coclass->SetImplTypeFlags(2, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE), "SetImplTypeFlags");

    Check(lib->SaveAllChanges(), "SaveAllChanges");
}

// --- dump --------------------------------------------------------------------

std::string Narrow(const wchar_t* text) {
    std::string out;
    for (; text && *text; ++text) out += *text < 128 ? static_cast<char>(*text) : '?';
    return out;
}

std::string Quoted(BSTR text) { return text ? "\"" + Narrow(text) + "\"" : "(none)"; }

std::string GuidText(const GUID& guid) {
    wchar_t buffer[64] = {};
    StringFromGUID2(guid, buffer, 64);
    return Narrow(buffer);
}

std::string Hex(unsigned long value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%lX", value);
    return buffer;
}

std::string TypeText(ITypeInfo* info, const TYPEDESC& d) {
    switch (d.vt) {
        case VT_PTR: return TypeText(info, *d.lptdesc) + "*";
        case VT_USERDEFINED: {
            TComPtr<ITypeInfo> ref;
            if (FAILED(info->GetRefTypeInfo(d.hreftype, ref.Put()))) return "?";
            TBStr name;
            ref->GetDocumentation(MEMBERID_NIL, name.Put(), nullptr, nullptr, nullptr);
            return Narrow(name.Get());
        }
        case VT_I4: return "long";
        case VT_R8: return "double";
        case VT_BOOL: return "VARIANT_BOOL";
        case VT_BSTR: return "BSTR";
        case VT_VARIANT: return "VARIANT";
        case VT_HRESULT: return "HRESULT";
        case VT_VOID: return "void";
        default: return "vt" + std::to_string(d.vt);
    }
}

const char* KindText(TYPEKIND kind) {
    switch (kind) {
        case TKIND_ENUM: return "enum";
        case TKIND_INTERFACE: return "interface";
        case TKIND_DISPATCH: return "dispinterface";
        case TKIND_COCLASS: return "coclass";
        default: return "other";
    }
}

const char* InvokeText(INVOKEKIND kind) {
    switch (kind) {
        case INVOKE_PROPERTYGET: return "propget";
        case INVOKE_PROPERTYPUT: return "propput";
        case INVOKE_PROPERTYPUTREF: return "propputref";
        default: return "method";
    }
}

template <class T, class Release>
struct TAttrHolder {
    T* attr = nullptr;
    Release release;
    ~TAttrHolder() {
        if (attr) release(attr);
    }
};

void DumpType(ITypeInfo* info, int pointer, std::string& out) {
    TYPEATTR* attr = nullptr;
    Check(info->GetTypeAttr(&attr), "GetTypeAttr");
    auto releaseType = [info](TYPEATTR* a) { info->ReleaseTypeAttr(a); };
    TAttrHolder<TYPEATTR, decltype(releaseType)> typeAttr{attr, releaseType};
    TBStr name, help;
    info->GetDocumentation(MEMBERID_NIL, name.Put(), help.Put(), nullptr, nullptr);
    out += std::string(KindText(attr->typekind)) + " " + Narrow(name.Get()) + " " + GuidText(attr->guid) +
           " flags=" + Hex(attr->wTypeFlags) + " help=" + Quoted(help.Get()) + "\n";
    for (UINT i = 0; i < attr->cImplTypes; ++i) {
        HREFTYPE ref = 0;
        INT flags = 0;
        info->GetRefTypeOfImplType(i, &ref);
        info->GetImplTypeFlags(i, &flags);
        TComPtr<ITypeInfo> base;
        TBStr baseName;
        if (SUCCEEDED(info->GetRefTypeInfo(ref, base.Put())))
            base->GetDocumentation(MEMBERID_NIL, baseName.Put(), nullptr, nullptr, nullptr);
        out += "  implements " + Narrow(baseName.Get()) + " flags=" + Hex(static_cast<unsigned long>(flags)) + "\n";
    }
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        Check(info->GetFuncDesc(i, &f), "GetFuncDesc");
        auto releaseFunc = [info](FUNCDESC* d) { info->ReleaseFuncDesc(d); };
        TAttrHolder<FUNCDESC, decltype(releaseFunc)> funcAttr{f, releaseFunc};
        TBStr funcName, funcHelp;
        info->GetDocumentation(f->memid, funcName.Put(), funcHelp.Put(), nullptr, nullptr);
        out += "  slot " + std::to_string(f->oVft / pointer) + " id " + std::to_string(f->memid) + " " +
               InvokeText(f->invkind) + " " + Narrow(funcName.Get()) + " flags=" + Hex(f->wFuncFlags) +
               " returns " + TypeText(info, f->elemdescFunc.tdesc) + "\n";
        for (SHORT p = 0; p < f->cParams; ++p) {
            const ELEMDESC& e = f->lprgelemdescParam[p];
            out += "    param " + TypeText(info, e.tdesc) + " flags=" + Hex(e.paramdesc.wParamFlags) + "\n";
        }
        if (funcHelp.Get()) out += "    help " + Quoted(funcHelp.Get()) + "\n";
    }
    for (UINT i = 0; i < attr->cVars; ++i) {
        VARDESC* v = nullptr;
        Check(info->GetVarDesc(i, &v), "GetVarDesc");
        auto releaseVar = [info](VARDESC* d) { info->ReleaseVarDesc(d); };
        TAttrHolder<VARDESC, decltype(releaseVar)> varAttr{v, releaseVar};
        TBStr varName, varHelp;
        info->GetDocumentation(v->memid, varName.Put(), varHelp.Put(), nullptr, nullptr);
        const long value = v->varkind == VAR_CONST && v->lpvarValue ? V_I4(v->lpvarValue) : 0;
        out += "  const " + Narrow(varName.Get()) + " = " + std::to_string(value) + " id " + Hex(v->memid) +
               " help=" + Quoted(varHelp.Get()) + "\n";
    }
}

// The names of each function: its name, then its parameters'.
void DumpNames(ITypeInfo* info, std::string& out) {
    TYPEATTR* attr = nullptr;
    Check(info->GetTypeAttr(&attr), "GetTypeAttr");
    const UINT funcs = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < funcs; ++i) {
        FUNCDESC* f = nullptr;
        Check(info->GetFuncDesc(i, &f), "GetFuncDesc");
        // Asked by member id, the names are those of the first function with
        // that id (a property's get).
        BSTR names[8] = {};
        UINT count = 0;
        info->GetNames(f->memid, names, 8, &count);
        out += "  names " + std::to_string(f->memid) + ":";
        for (UINT n = 0; n < count; ++n) {
            out += " " + Narrow(names[n]);
            SysFreeString(names[n]);
        }
        out += "\n";
        info->ReleaseFuncDesc(f);
    }
}

int Dump(const wchar_t* file) {
    TComPtr<ITypeLib> lib;
    Check(LoadTypeLibEx(file, REGKIND_NONE, lib.Put()), "LoadTypeLibEx");
    TLIBATTR* attr = nullptr;
    Check(lib->GetLibAttr(&attr), "GetLibAttr");
    // The system gives function table offsets in this process's pointer
    // size, whatever the library's bitness.
    const int pointer = static_cast<int>(sizeof(void*));
    TBStr name, help;
    lib->GetDocumentation(-1, name.Put(), help.Put(), nullptr, nullptr);
    std::string out = "library " + Narrow(name.Get()) + " " + GuidText(attr->guid) + " version " +
                      std::to_string(attr->wMajorVerNum) + "." + std::to_string(attr->wMinorVerNum) + " lcid " +
                      std::to_string(attr->lcid) + " flags=" + Hex(attr->wLibFlags) + " syskind " +
                      std::to_string(attr->syskind) + " help=" + Quoted(help.Get()) + "\n";
    lib->ReleaseTLibAttr(attr);
    const UINT count = lib->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        TComPtr<ITypeInfo> info;
        Check(lib->GetTypeInfo(i, info.Put()), "GetTypeInfo");
        // A dual interface is shown by its function table side.
        HREFTYPE vtableSide = 0;
        TComPtr<ITypeInfo> iface;
        if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableSide)) &&
            SUCCEEDED(info->GetRefTypeInfo(vtableSide, iface.Put())))
            info = iface;
        out += std::to_string(i) + ": ";
        DumpType(info.Get(), pointer, out);
        DumpNames(info.Get(), out);
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (FAILED(CoInitialize(nullptr))) return 3;
    int status = 2;
    try {
        if (argc == 3 && std::wcscmp(argv[1], L"--dump") == 0) {
            status = Dump(argv[2]);
        } else if (argc == 3 && (std::wcscmp(argv[2], L"win32") == 0 || std::wcscmp(argv[2], L"win64") == 0)) {
            Make(argv[1], std::wcscmp(argv[2], L"win64") == 0 ? SYS_WIN64 : SYS_WIN32);
            status = 0;
        } else {
            std::fputs("usage: MakeTypeLib <out.tlb> win32|win64 | MakeTypeLib --dump <file>\n", stderr);
        }
    } catch (const TFailure& f) {
        std::fprintf(stderr, "MakeTypeLib: %s failed (0x%08lX)\n", f.what, static_cast<unsigned long>(f.hr));
        status = 1;
    }
    CoUninitialize();
    return status;
}
