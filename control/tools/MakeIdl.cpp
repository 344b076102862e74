// Writes the control's IDL file (control/VellumarkX.idl) from the member table,
// or checks that a file is what it would write.
//
//   MakeIdl <out.idl>            writes the file
//   MakeIdl --check <file.idl>   exits with 1 when the file differs
//
// The IDL describes the same library as the type libraries MakeTypeLib writes:
// the four enumerations, the dual interface IPDFDoc with its members in
// function table order, the dual interface IPDFDoc2 that extends it with the
// members after IPDFDoc's last slot, the empty event dispinterface
// IPDFDocEvents and the coclass PDFDoc, whose default interface is IPDFDoc2. widl compiles it into the C++ header of the Windows build.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

#include "control/MemberTable.h"
#include "control/tools/GeneratedFile.h"

using namespace vellumark;

namespace {

// The identifiers of control/com/Guids.h, as IDL writes them.
constexpr const char* kLibId = "E29C4F99-D821-46DD-AFAD-277E33F52812";
constexpr const char* kIIDPDFDoc = "D2E997D2-4E0C-432C-9F7B-6C62201D75CA";
constexpr const char* kIIDPDFDoc2 = "01C86105-3461-444B-936C-8F27C3370EF5";
constexpr const char* kIIDPDFDocEvents = "D5B6374A-7816-4EE4-9569-3370DC965C5A";
constexpr const char* kCLSIDPDFDoc = "628DB55E-78CB-46D6-99C9-F65EC47FE138";

std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// A GUID without its braces.
std::string_view Bare(std::string_view guid) {
    if (guid.size() > 2 && guid.front() == '{' && guid.back() == '}') return guid.substr(1, guid.size() - 2);
    return guid;
}

std::string EnumName(TParamType type) {
    int index = 0;
    switch (type) {
        case TParamType::CompressFormat: index = 0; break;
        case TParamType::PageSize: index = 1; break;
        case TParamType::UnitsMeas: index = 2; break;
        case TParamType::TextAlign: index = 3; break;
        default: return "?";
    }
    return TypeLibEnums()[index].name;
}

std::string TypeName(TParamType type) {
    switch (type) {
        case TParamType::Long: return "long";
        case TParamType::Double: return "double";
        case TParamType::Bool: return "VARIANT_BOOL";
        case TParamType::Color: return "OLE_COLOR";
        case TParamType::BStr: return "BSTR";
        case TParamType::Variant: return "VARIANT";
        default: return EnumName(type);
    }
}

// The values' help strings are comments: widl takes no attributes on them.
void WriteEnum(std::ostream& out, const TEnumInfo& e) {
    out << "    typedef [uuid(" << Bare(e.guid) << "), helpstring(" << Quoted(e.help) << ")]\n";
    out << "    enum " << e.name << " {\n";
    const size_t count = e.values.size();
    for (size_t i = 0; i < count; ++i) {
        const TEnumValue& v = e.values[i];
        out << "        " << v.name << " = " << v.value << (i + 1 < count ? "," : "") << "  // " << v.help << "\n";
    }
    out << "    } " << e.name << ";\n\n";
}

// One member: its attributes, then the method with its [in] parameters and
// its result. The table leaves a result unnamed; IDL calls a property's
// value Value and a method's result Result.
void WriteMember(std::ostream& out, const TMemberInfo& m) {
    out << "        [";
    if (m.kind == TInvokeKind::PropertyGet) out << "propget, ";
    if (m.kind == TInvokeKind::PropertyPut) out << "propput, ";
    out << "id(" << m.dispid << ")";
    if (m.help) out << ", helpstring(" << Quoted(m.help) << ")";
    out << "]\n        HRESULT " << m.name << "(";
    for (int i = 0; i < m.paramCount; ++i)
        out << (i ? ", " : "") << "[in] " << TypeName(m.params[i].type) << " " << m.params[i].name;
    if (m.result != TParamType::None)
        out << (m.paramCount ? ", " : "") << "[out, retval] " << TypeName(m.result) << "* "
            << (m.kind == TInvokeKind::PropertyGet ? "Value" : "Result");
    out << ");\n";
}

std::string Idl() {
    std::ostringstream out;
    out << "// The type library of the VellumarkX control, for C and C++ programs (compile\n"
           "// it with MIDL or widl for a header) and for tools that read IDL.\n"
           "//\n"
           "// Written by control/tools/MakeIdl.cpp from the member table; do not edit it,\n"
           "// write it again from the source folder with build/MakeIdl control/VellumarkX.idl\n"
           "// (MakeIdl is built with the tests).\n"
           "\n"
           "import \"oaidl.idl\";\n"
           "import \"ocidl.idl\";\n"
           "\n"
           "[\n"
           "    uuid("
        << kLibId
        << "),\n"
           "    version(2.3),\n"
           "    lcid(0x0409),\n"
           "    helpstring(\"VellumarkX Library\"),\n"
           "    control\n"
           "]\n"
           "library VellumarkX\n"
           "{\n"
           "    importlib(\"stdole2.tlb\");\n"
           "\n";
    for (const TEnumInfo& e : TypeLibEnums()) WriteEnum(out, e);

    out << "    [\n"
           "        object,\n"
           "        uuid("
        << kIIDPDFDoc
        << "),\n"
           "        dual,\n"
           "        oleautomation,\n"
           "        helpstring(\"Dispatch interface for PDFDoc Control\")\n"
           "    ]\n"
           "    interface IPDFDoc : IDispatch\n"
           "    {\n"
           "        // In function table order: the first member is at slot "
        << MemberTable().front().slot << ", the last at slot " << kLastIPDFDocSlot << ".\n";
    for (const TMemberInfo& m : MemberTable())
        if (m.slot <= kLastIPDFDocSlot) WriteMember(out, m);
    out << "    };\n"
           "\n"
           "    [\n"
           "        object,\n"
           "        uuid("
        << kIIDPDFDoc2
        << "),\n"
           "        dual,\n"
           "        oleautomation,\n"
           "        helpstring(\"Dispatch interface for PDFDoc Control, version 2\")\n"
           "    ]\n"
           "    interface IPDFDoc2 : IPDFDoc\n"
           "    {\n"
           "        // IPDFDoc's function table, then these: the first at slot "
        << kLastIPDFDocSlot + 1 << ", the last at slot " << MemberTable().back().slot << ".\n";
    for (const TMemberInfo& m : MemberTable())
        if (m.slot > kLastIPDFDocSlot) WriteMember(out, m);
    out << "    };\n"
           "\n"
           "    [\n"
           "        uuid("
        << kIIDPDFDocEvents
        << "),\n"
           "        helpstring(\"Events interface for PDFDoc Control\")\n"
           "    ]\n"
           "    dispinterface IPDFDocEvents\n"
           "    {\n"
           "    properties:\n"
           "    methods:\n"
           "    };\n"
           "\n"
           "    [\n"
           "        uuid("
        << kCLSIDPDFDoc
        << "),\n"
           "        helpstring(\"PDFDoc Control\"),\n"
           "        control\n"
           "    ]\n"
           "    coclass PDFDoc\n"
           "    {\n"
           "        [default] interface IPDFDoc2;\n"
           "        interface IPDFDoc;\n"
           "        [default, source] dispinterface IPDFDocEvents;\n"
           "    };\n"
           "};\n";
    return out.str();
}

}  // namespace

int main(int argc, char** argv) {
    using vellumark::tools::WriteOrCheck;
    if (argc == 2) return WriteOrCheck("MakeIdl", argv[1], Idl(), false, argv[1]);
    if (argc == 3 && std::string_view(argv[1]) == "--check") return WriteOrCheck("MakeIdl", argv[2], Idl(), true, argv[2]);
    std::cerr << "usage: MakeIdl <out.idl> | MakeIdl --check <file.idl>\n";
    return 2;
}
