// Writes the library's public interface from the member table, or checks
// that the committed files are what it would write:
//
//   include/vellumark/vellumark.h     the C interface
//   include/vellumark/vellumark.hpp   the C++ interface
//   api/Members.cpp                   both interfaces' member functions
//   python/vellumark/_members.py      the Python package's members
//
//   MakeApi SOURCE_DIR             writes the four files
//   MakeApi --check SOURCE_DIR     exits with 1 when a file differs
//
// Every member of the table becomes one C function (vm_Name for a method,
// vm_get_Name and vm_set_Name for a property), one C++ method (Name, GetName,
// SetName; a UTF-16 overload where strings are involved) and one Python
// method or property (snake_case names).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "control/MemberTable.h"
#include "control/tools/GeneratedFile.h"

using namespace vellumark;

namespace {

// --- the table's shapes ---------------------------------------------------------

const TEnumInfo& EnumOf(TParamType t) {
    switch (t) {
        case TParamType::CompressFormat: return TypeLibEnums()[0];
        case TParamType::PageSize: return TypeLibEnums()[1];
        case TParamType::UnitsMeas: return TypeLibEnums()[2];
        default: return TypeLibEnums()[3];
    }
}

// An enumeration's name in C++ and Python: the type library's without "Tx"
// (the engine's own enumerations keep the type library's names).
std::string PublicName(const TEnumInfo& e) {
    const std::string_view name = e.name;
    return std::string(name.substr(0, 2) == "Tx" ? name.substr(2) : name);
}

// The enumerations must be the ones the switch above names.
bool EnumsAsExpected() {
    const auto e = TypeLibEnums();
    return e.size() == 4 && std::string_view(e[0].name) == "TxCompressFormat" &&
           std::string_view(e[1].name) == "TxPageSize" && std::string_view(e[2].name) == "TxUnitsMeas" &&
           std::string_view(e[3].name) == "TxTextAlign";
}

const char* TypeConstant(TParamType t) {
    switch (t) {
        case TParamType::None: return "None";
        case TParamType::Long: return "Long";
        case TParamType::Double: return "Double";
        case TParamType::Bool: return "Bool";
        case TParamType::Color: return "Color";
        case TParamType::BStr: return "BStr";
        case TParamType::Variant: return "Variant";
        case TParamType::CompressFormat: return "CompressFormat";
        case TParamType::PageSize: return "PageSize";
        case TParamType::UnitsMeas: return "UnitsMeas";
        case TParamType::TextAlign: return "TextAlign";
    }
    return "None";
}

const char* KindConstant(TInvokeKind k) {
    switch (k) {
        case TInvokeKind::Method: return "Method";
        case TInvokeKind::PropertyGet: return "PropertyGet";
        case TInvokeKind::PropertyPut: return "PropertyPut";
    }
    return "Method";
}

// A member's parameters split as the interfaces see them: the index
// parameters of a property (or a method's parameters), the value of a put,
// and the result.
struct TShape {
    std::vector<TParamInfo> in;  // what the caller passes, in order (a put's value last)
    TParamType result;
    bool hasStringParam = false;
};

TShape ShapeOf(const TMemberInfo& m) {
    TShape s;
    for (int i = 0; i < m.paramCount; ++i) {
        s.in.push_back(m.params[i]);
        if (m.params[i].type == TParamType::BStr) s.hasStringParam = true;
    }
    s.result = m.result;
    return s;
}

// AddImageBMPHandle -> add_image_bmp_handle, TextSkewX -> text_skew_x.
std::string Snake(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool upper = c >= 'A' && c <= 'Z';
        if (upper && i > 0) {
            const char prev = name[i - 1];
            const bool prevLower = (prev >= 'a' && prev <= 'z') || (prev >= '0' && prev <= '9');
            const bool nextLower = i + 1 < name.size() && name[i + 1] >= 'a' && name[i + 1] <= 'z';
            if (prevLower || ((prev >= 'A' && prev <= 'Z') && nextLower)) out += '_';
        }
        out += upper ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

// A C or C++ parameter name: FileName -> fileName (C++), file_name (C).
std::string Camel(std::string_view name) {
    std::string out(name);
    size_t i = 0;
    while (i < out.size() && out[i] >= 'A' && out[i] <= 'Z' &&
           (i == 0 || i + 1 >= out.size() || !(out[i + 1] >= 'a' && out[i + 1] <= 'z'))) {
        out[i] = static_cast<char>(out[i] - 'A' + 'a');
        ++i;
    }
    return out;
}

std::string CString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string Help(const TMemberInfo& m) { return m.help ? m.help : "(no help text)"; }

// --- the C header ---------------------------------------------------------------

std::string CIn(TParamType t, const std::string& name) {
    switch (t) {
        case TParamType::Long: return "int32_t " + name;
        case TParamType::Double: return "double " + name;
        case TParamType::Bool: return "int " + name;
        case TParamType::Color: return "uint32_t " + name;
        case TParamType::BStr: return "const char* " + name;
        case TParamType::Variant: return "const void* " + name + ", size_t " + name + "_size";
        default: return "int32_t " + name;  // an enumeration
    }
}

std::string COut(TParamType t) {
    switch (t) {
        case TParamType::Long: return "int32_t*";
        case TParamType::Double: return "double*";
        case TParamType::Bool: return "int*";
        case TParamType::Color: return "uint32_t*";
        case TParamType::BStr: return "const char**";
        default: return "int32_t*";  // an enumeration
    }
}

std::string CName(const TMemberInfo& m) {
    if (m.kind == TInvokeKind::PropertyGet) return std::string("vm_get_") + m.name;
    if (m.kind == TInvokeKind::PropertyPut) return std::string("vm_set_") + m.name;
    return std::string("vm_") + m.name;
}

const char* ResultName(const TMemberInfo& m) { return m.kind == TInvokeKind::PropertyGet ? "value" : "result"; }

std::string CSignature(const TMemberInfo& m) {
    std::string s = "vm_status " + CName(m) + "(vm_doc* doc";
    for (const TParamInfo& p : ShapeOf(m).in) s += ", " + CIn(p.type, Snake(p.name));
    if (m.result != TParamType::None) s += ", " + COut(m.result) + " " + ResultName(m);
    return s + ")";
}

std::string CHeader() {
    std::ostringstream out;
    out << R"(/* vellumark.h: the C interface of the Vellumark PDF library.
 *
 * Written by api/tools/MakeApi.cpp from the member table; do not edit it, write it
 * again from the source folder with build/MakeApi . (MakeApi is built with the tests).
 *
 * A document is an opaque handle made by vm_create and released by vm_destroy.
 * Every member of the automation interface is one function:
 *   a method              vm_Name(doc, arguments..., result)
 *   a property get        vm_get_Name(doc, index..., value)
 *   a property put        vm_set_Name(doc, index..., value)
 * Every function returns a status: VM_OK; VM_FAILED when the member raised an
 * error, whose message (UTF-8) vm_last_error(doc) gives; VM_INVALID for a null
 * handle or result pointer, or bytes without a length; VM_NO_MEMORY. A result
 * is written only on success. No exception or signal leaves the library.
 *
 * Types: integers are int32_t; booleans int (non-zero is true, results are 1 or
 * 0); colours OLE colours 0x00BBGGRR (vm_rgb); enumerations int32_t, of which the
 * low 8 bits count; strings UTF-8, NUL-terminated, a null pointer being the empty
 * string. A string result belongs to the document and stays valid until the
 * next call on it. Lengths are in the document's Units.
 *
 * A document is used by one thread at a time; separate documents are
 * independent of each other.
 */
#ifndef VELLUMARK_H
#define VELLUMARK_H

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define VM_API __attribute__((visibility("default")))
#else
#define VM_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct vm_doc vm_doc;

typedef int vm_status;
#define VM_OK 0
#define VM_FAILED 1
#define VM_INVALID 2
#define VM_NO_MEMORY 3

/* The library's version, "MAJOR.MINOR.PATCH". */
VM_API const char* vm_version(void);

/* A new, empty document in *doc; VM_NO_MEMORY when it cannot be made. */
VM_API vm_status vm_create(vm_doc** doc);
/* Releases the document and everything it holds; a null handle is ignored. */
VM_API void vm_destroy(vm_doc* doc);
/* The message of the last call on doc that failed (UTF-8), "" when none did.
 * Valid until the next failed call on doc. */
VM_API const char* vm_last_error(const vm_doc* doc);

/* The document as a PDF file in memory: the bytes vm_SaveToFile writes. *data
 * is allocated by the library and released with vm_free_buffer; a document
 * without pages gives *data NULL and *size 0. */
VM_API vm_status vm_save_to_memory(vm_doc* doc, unsigned char** data, size_t* size);
VM_API void vm_free_buffer(void* data);

/* The OLE colour of red, green and blue (0 to 255 each). */
VM_API uint32_t vm_rgb(int red, int green, int blue);

/* Enumerations. */
)";
    for (const TEnumInfo& e : TypeLibEnums()) {
        out << "/* " << e.name << ": " << e.help << " */\n";
        out << "typedef enum vm_" << e.name << " {\n";
        for (size_t i = 0; i < e.values.size(); ++i)
            out << "    vm_" << e.values[i].name << " = " << e.values[i].value << (i + 1 < e.values.size() ? "," : "")
                << " /* " << e.values[i].help << " */\n";
        out << "} vm_" << e.name << ";\n\n";
    }
    out << "/* The members, in the automation interface's order. */\n\n";
    for (const TMemberInfo& m : MemberTable()) {
        out << "/* " << Help(m) << " */\n";
        out << "VM_API " << CSignature(m) << ";\n";
    }
    out << R"(
#ifdef __cplusplus
}
#endif

#endif /* VELLUMARK_H */
)";
    return out.str();
}

// --- the C++ header ---------------------------------------------------------------

// How strings cross a C++ method: UTF-8 or UTF-16.
enum class TFlavor { Plain, Utf8, Utf16 };

std::vector<TFlavor> Flavors(const TMemberInfo& m) {
    const TShape s = ShapeOf(m);
    if (s.hasStringParam || s.result == TParamType::BStr) return {TFlavor::Utf8, TFlavor::Utf16};
    return {TFlavor::Plain};
}

std::string CppIn(TParamType t, TFlavor f) {
    switch (t) {
        case TParamType::Long: return "std::int32_t";
        case TParamType::Double: return "double";
        case TParamType::Bool: return "bool";
        case TParamType::Color: return "Color";
        case TParamType::BStr: return f == TFlavor::Utf16 ? "std::u16string_view" : "std::string_view";
        case TParamType::Variant: return "ByteSpan";
        default: return PublicName(EnumOf(t));
    }
}

std::string CppOut(TParamType t, TFlavor f) {
    switch (t) {
        case TParamType::None: return "void";
        case TParamType::Long: return "std::int32_t";
        case TParamType::Double: return "double";
        case TParamType::Bool: return "bool";
        case TParamType::Color: return "Color";
        case TParamType::BStr: return f == TFlavor::Utf16 ? "std::u16string" : "std::string";
        default: return PublicName(EnumOf(t));
    }
}

std::string CppName(const TMemberInfo& m, TFlavor f) {
    std::string name = m.name;
    if (m.kind == TInvokeKind::PropertyGet) name = "Get" + name;
    if (m.kind == TInvokeKind::PropertyPut) name = "Set" + name;
    // A UTF-16 string result without string parameters cannot be told apart by
    // its parameters.
    if (f == TFlavor::Utf16 && m.result == TParamType::BStr && !ShapeOf(m).hasStringParam) name += "Utf16";
    return name;
}

std::string CppParams(const TMemberInfo& m, TFlavor f) {
    std::string s;
    for (const TParamInfo& p : ShapeOf(m).in) {
        if (!s.empty()) s += ", ";
        s += CppIn(p.type, f) + " " + Camel(p.name);
    }
    return s;
}

bool IsConst(const TMemberInfo& m) { return m.kind == TInvokeKind::PropertyGet; }

std::string CppDeclaration(const TMemberInfo& m, TFlavor f) {
    return CppOut(m.result, f) + " " + CppName(m, f) + "(" + CppParams(m, f) + ")" + (IsConst(m) ? " const" : "");
}

std::string CppHeader() {
    std::ostringstream out;
    out << R"(// vellumark.hpp: the C++ interface of the Vellumark PDF library (C++17 or later).
//
// Written by api/tools/MakeApi.cpp from the member table; do not edit it, write it
// again from the source folder with build/MakeApi . (MakeApi is built with the tests).
//
// vellumark::Document holds one engine. Every member of the automation interface
// is a method: a method under its own name, a property as GetName and SetName
// (an indexed property takes the index first). Strings are UTF-8 (std::string_view
// in, std::string out) or, through the overloads, UTF-16; colours are OLE colours
// 0x00BBGGRR (vellumark::Rgb); image bytes are a ByteSpan; lengths are in the
// document's Units. A failed member raises vellumark::Error with its message.
//
//     vellumark::Document doc;
//     doc.AddPage(0);
//     doc.CreateText();
//     doc.SetTextSize(14);
//     doc.WriteText("Hello");
//     doc.ApplyResource(1, 1);
//     doc.SaveToFile("hello.pdf");
//
// A Document is used by one thread at a time; separate documents are
// independent of each other.
#ifndef VELLUMARK_HPP
#define VELLUMARK_HPP

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "vellumark/vellumark.h"

namespace vellumark {

// An OLE colour, 0x00BBGGRR: red in the low byte.
using Color = std::uint32_t;
constexpr Color Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) noexcept {
    return static_cast<Color>(red) | static_cast<Color>(green) << 8 | static_cast<Color>(blue) << 16;
}

)";
    for (const TEnumInfo& e : TypeLibEnums()) {
        out << "// " << e.help << "\n";
        out << "enum class " << PublicName(e) << " : std::int32_t {\n";
        for (const TEnumValue& v : e.values) out << "    " << v.name << " = " << v.value << ",  // " << v.help << "\n";
        out << "};\n\n";
    }
    out << R"(// The error of a failed member; what() is its message, UTF-8.
class VM_API Error : public std::runtime_error {
public:
    explicit Error(const std::string& message);
    ~Error() override;
};

// Bytes in memory, not owned: a pointer and a length, or any contiguous
// container of bytes (std::vector<std::uint8_t>, std::vector<std::byte>,
// std::string, std::array, std::span).
class ByteSpan {
public:
    ByteSpan() noexcept = default;
    ByteSpan(const void* data, std::size_t size) noexcept : data_(data), size_(size) {}
    template <class Bytes, class = std::enable_if_t<sizeof(*std::data(std::declval<const Bytes&>())) == 1 &&
                                                    !std::is_pointer_v<std::decay_t<Bytes>>>>
    ByteSpan(const Bytes& bytes) noexcept : data_(std::data(bytes)), size_(std::size(bytes)) {}
    const void* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }

private:
    const void* data_ = nullptr;
    std::size_t size_ = 0;
};

class VM_API Document {
public:
    Document();
    ~Document();
    Document(Document&& other) noexcept;
    Document& operator=(Document&& other) noexcept;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // The document as a PDF file: the bytes SaveToFile writes; nothing for a
    // document without pages.
    std::vector<std::byte> SaveToMemory();
    void SaveToStream(std::ostream& out);

    // The members, in the automation interface's order.
)";
    for (const TMemberInfo& m : MemberTable()) {
        out << "\n    // " << Help(m) << "\n";
        for (TFlavor f : Flavors(m)) out << "    " << CppDeclaration(m, f) << ";\n";
    }
    out << R"(
private:
    struct Impl;
    Impl& State() const;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vellumark

#endif  // VELLUMARK_HPP
)";
    return out.str();
}

// --- the implementation ---------------------------------------------------------

std::string ArgExpr(TParamType t, const std::string& name, bool c) {
    switch (t) {
        case TParamType::Long: return "api::ArgLong(" + name + ")";
        case TParamType::Double: return "api::ArgDouble(" + name + ")";
        case TParamType::Bool: return c ? "api::ArgBool(" + name + " != 0)" : "api::ArgBool(" + name + ")";
        case TParamType::Color: return "api::ArgColor(" + name + ")";
        case TParamType::BStr: return "api::ArgText(" + name + ")";
        case TParamType::Variant:
            return c ? "api::ArgBytes(" + name + ", " + name + "_size)"
                     : "api::ArgBytes(" + name + ".data(), " + name + ".size())";
        default: return c ? "api::ArgOrdinal(" + name + ")" : "api::ArgOrdinal(static_cast<std::int32_t>(" + name + "))";
    }
}

std::string CppResult(TParamType t, TFlavor f) {
    switch (t) {
        case TParamType::Long: return "ret.lVal";
        case TParamType::Double: return "ret.dblVal";
        case TParamType::Bool: return "ret.boolVal";
        case TParamType::Color: return "static_cast<Color>(ret.lVal)";
        case TParamType::BStr: return f == TFlavor::Utf16 ? "std::move(ret.bstrVal)" : "Utf16ToUtf8(ret.bstrVal)";
        default: return "static_cast<" + PublicName(EnumOf(t)) + ">(ret.lVal)";
    }
}

std::string CResult(TParamType t, const char* out) {
    const std::string o = std::string("*") + out;
    switch (t) {
        case TParamType::Long: return o + " = ret.lVal;";
        case TParamType::Double: return o + " = ret.dblVal;";
        case TParamType::Bool: return o + " = ret.boolVal ? 1 : 0;";
        case TParamType::Color: return o + " = static_cast<uint32_t>(ret.lVal);";
        case TParamType::BStr: return "s.text = Utf16ToUtf8(ret.bstrVal);\n        " + o + " = s.text.c_str();";
        default: return o + " = ret.lVal;";
    }
}

std::string PutExpr(TParamType t, const std::string& slot, const std::string& name, bool c) {
    switch (t) {
        case TParamType::Long: return "api::PutLong(" + slot + ", " + name + ");";
        case TParamType::Double: return "api::PutDouble(" + slot + ", " + name + ");";
        case TParamType::Bool: return "api::PutBool(" + slot + ", " + name + (c ? " != 0);" : ");");
        case TParamType::Color: return "api::PutColor(" + slot + ", " + name + ");";
        case TParamType::BStr: return "api::PutText(" + slot + ", " + name + ");";
        default:
            return "api::PutOrdinal(" + slot + ", " + (c ? name : "static_cast<std::int32_t>(" + name + ")") + ");";
    }
}

// The arguments and the call of the member at its slot. Arguments go into the
// document's slots; those of a member with a VARIANT (image bytes) are values
// of the call's own, released when it returns.
std::string Invocation(const TMemberInfo& m, bool c) {
    const TShape shape = ShapeOf(m);
    bool variant = false;
    for (const TParamInfo& p : shape.in) variant = variant || p.type == TParamType::Variant;
    std::string s;
    if (variant) {
        std::string args;
        for (const TParamInfo& p : shape.in) {
            if (!args.empty()) args += ", ";
            args += ArgExpr(p.type, c ? Snake(p.name) : Camel(p.name), c);
        }
        s += "const TVariant a[] = {" + args + "};\n        ";
    } else if (!shape.in.empty()) {
        s += "TVariant* a = s.args;\n        ";
        for (size_t i = 0; i < shape.in.size(); ++i)
            s += PutExpr(shape.in[i].type, "a[" + std::to_string(i) + "]",
                         c ? Snake(shape.in[i].name) : Camel(shape.in[i].name), c) +
                 "\n        ";
    }
    if (m.result != TParamType::None) s += "TVariant ret = ";
    s += "api::Run<" + std::to_string(m.slot) + ">(s.control, " + (shape.in.empty() ? "nullptr" : "a") + ");";
    return s;
}

std::string Members() {
    std::ostringstream out;
    out << R"(// The members of the C and C++ interfaces: each runs the handler of one entry
// of the member table through the frame of api/Call.h.
//
// Written by api/tools/MakeApi.cpp from the member table; do not edit it, write it
// again from the source folder with build/MakeApi . (MakeApi is built with the tests).
#include <cstdint>
#include <string>
#include <utility>

#include "api/Call.h"

namespace vellumark {

// Each slot holds the member this file was written for.
)";
    for (const TMemberInfo& m : MemberTable()) {
        out << "static_assert(api::Matches(" << m.slot << ", " << CString(m.name) << ", TInvokeKind::"
            << KindConstant(m.kind) << ", {";
        for (int i = 0; i < m.paramCount; ++i) out << (i ? ", " : "") << "TParamType::" << TypeConstant(m.params[i].type);
        out << "}, TParamType::" << TypeConstant(m.result) << "));\n";
    }
    out << "\n// --- C++ ---\n";
    for (const TMemberInfo& m : MemberTable()) {
        for (TFlavor f : Flavors(m)) {
            out << "\n" << CppOut(m.result, f) << " Document::" << CppName(m, f) << "(" << CppParams(m, f) << ")"
                << (IsConst(m) ? " const" : "") << " {\n";
            out << "    return api::CallCpp([&] {\n        api::TDocState& s = State();\n        " << Invocation(m, false);
            if (m.result != TParamType::None) out << "\n        return " << CppResult(m.result, f) << ";";
            out << "\n    });\n}\n";
        }
    }
    out << "\n}  // namespace vellumark\n\n// --- C ---\n\nusing namespace vellumark;\n";
    for (const TMemberInfo& m : MemberTable()) {
        out << "\nextern \"C\" " << CSignature(m) << " {\n";
        std::string checks;
        for (const TParamInfo& p : ShapeOf(m).in)
            if (p.type == TParamType::Variant)
                checks.append("(!").append(Snake(p.name)).append(" && ").append(Snake(p.name)).append("_size != 0)");
        if (m.result != TParamType::None) checks.append(checks.empty() ? "!" : " || !").append(ResultName(m));
        if (!checks.empty()) out << "    if (" << checks << ") return VM_INVALID;\n";
        out << "    return api::CallC(doc, [&](api::TDocState& s) {\n        " << Invocation(m, true);
        if (m.result != TParamType::None) out << "\n        " << CResult(m.result, ResultName(m));
        out << "\n    });\n}\n";
    }
    return out.str();
}

// --- the Python members -----------------------------------------------------------

const char* PyCType(TParamType t) {
    switch (t) {
        case TParamType::Long: return "_c_int32";
        case TParamType::Double: return "_c_double";
        case TParamType::Bool: return "_c_int";
        case TParamType::Color: return "_c_uint32";
        case TParamType::BStr: return "_c_char_p";
        default: return "_c_int32";
    }
}

std::string PyArg(TParamType t, const std::string& name) {
    switch (t) {
        case TParamType::Bool: return "1 if " + name + " else 0";
        case TParamType::Color: return "_color(" + name + ")";
        case TParamType::BStr:  // str, the common case, without a call
            return name + ".encode(\"utf-8\", \"surrogateescape\") if " + name + ".__class__ is str else _text(" +
                   name + ")";
        case TParamType::Variant: return "*_bytes(" + name + ")";
        default: return name;
    }
}

std::string PyResult(TParamType t) {
    switch (t) {
        case TParamType::Bool: return "bool(r.value)";
        case TParamType::BStr: return "_from_text(r.value)";
        case TParamType::CompressFormat:
        case TParamType::PageSize:
        case TParamType::UnitsMeas:
        case TParamType::TextAlign: return "_enum(" + PublicName(EnumOf(t)) + ", r.value)";
        default: return "r.value";
    }
}

// The Python name of a member: a method's or an indexed property's snake
// name; an indexed put is set_<name>.
std::string PyName(const TMemberInfo& m) {
    if (m.kind == TInvokeKind::PropertyPut && m.paramCount > 1) return "set_" + Snake(m.name);
    return Snake(m.name);
}

// The body of a call: the arguments, the C function, the result.
std::string PyBody(const TMemberInfo& m, const std::vector<std::string>& names, const std::string& indent) {
    std::string s;
    std::string args = "self._doc";
    const TShape shape = ShapeOf(m);
    for (size_t i = 0; i < shape.in.size(); ++i) args += ", " + PyArg(shape.in[i].type, names[i]);
    if (m.result != TParamType::None) {
        s += indent + "r = " + PyCType(m.result) + "()\n";
        args += ", _byref(r)";
    }
    s += indent + "status = _lib." + CName(m) + "(" + args + ")\n";
    s += indent + "if status:\n" + indent + "    self._raise(status)\n";
    if (m.result != TParamType::None) s += indent + "return " + PyResult(m.result) + "\n";
    return s;
}

std::string Python() {
    std::ostringstream out;
    out << R"(# The members of vellumark.Document, one for each member of the automation
# interface, over the C interface of libvellumark.
#
# Written by api/tools/MakeApi.cpp from the member table; do not edit it, write it
# again from the source folder with build/MakeApi . (MakeApi is built with the tests).
from ctypes import POINTER as _POINTER
from ctypes import byref as _byref
from ctypes import c_char_p as _c_char_p
from ctypes import c_double as _c_double
from ctypes import c_int as _c_int
from ctypes import c_int32 as _c_int32
from ctypes import c_size_t as _c_size_t
from ctypes import c_uint32 as _c_uint32
from ctypes import c_void_p as _c_void_p
from enum import IntEnum as _IntEnum

from ._lib import bytes_arg as _bytes
from ._lib import color_arg as _color
from ._lib import from_text as _from_text
from ._lib import lib as _lib
from ._lib import text_arg as _text

)";
    for (const TEnumInfo& e : TypeLibEnums()) {
        out << "\nclass " << PublicName(e) << "(_IntEnum):\n    \"\"\"" << e.help << "\"\"\"\n\n";
        for (const TEnumValue& v : e.values) out << "    " << v.name << " = " << v.value << "\n";
        out << "\n";
    }
    out << "\ndef _enum(kind, value):\n"
           "    try:\n"
           "        return kind(value)\n"
           "    except ValueError:\n"
           "        return value\n\n\n";
    // The C functions' prototypes.
    out << "_PROTOTYPES = {\n";
    for (const TMemberInfo& m : MemberTable()) {
        out << "    " << CString(CName(m)) << ": [_c_void_p";
        for (const TParamInfo& p : ShapeOf(m).in) {
            if (p.type == TParamType::Variant) out << ", _c_char_p, _c_size_t";
            else out << ", " << PyCType(p.type);
        }
        if (m.result != TParamType::None) out << ", _POINTER(" << PyCType(m.result) << ")";
        out << "],\n";
    }
    out << "}\nfor _name, _args in _PROTOTYPES.items():\n"
           "    _function = getattr(_lib, _name)\n"
           "    _function.argtypes = _args\n"
           "    _function.restype = _c_int\n\n\n";

    out << "class Members:\n"
           "    \"\"\"The members of the automation interface.\"\"\"\n\n"
           "    __slots__ = ()\n";
    std::set<std::string> names;
    for (const TMemberInfo& m : MemberTable()) {
        const std::string name = PyName(m);
        const TShape shape = ShapeOf(m);
        std::vector<std::string> params;
        for (const TParamInfo& p : shape.in) params.push_back(Snake(p.name));
        const bool property = (m.kind == TInvokeKind::PropertyGet && m.paramCount == 0) ||
                              (m.kind == TInvokeKind::PropertyPut && m.paramCount == 1);
        const std::string doc = m.help ? m.help : "";
        if (property && m.kind == TInvokeKind::PropertyPut) {
            out << "\n    @" << name << ".setter\n    def " << name << "(self, value):\n";
            out << PyBody(m, {"value"}, "        ");
            continue;
        }
        if (!names.insert(name).second) {
            std::cerr << "MakeApi: two members take the Python name " << name << "\n";
            std::exit(2);
        }
        if (property) out << "\n    @property";
        out << "\n    def " << name << "(self";
        for (const std::string& p : params) out << ", " << p;
        out << "):\n";
        if (!doc.empty()) out << "        \"\"\"" << doc << "\"\"\"\n";
        out << PyBody(m, params, "        ");
    }
    return out.str();
}

// --- files ---------------------------------------------------------------------

struct TFile {
    const char* path;
    std::string (*make)();
};

constexpr TFile kFiles[] = {
    {"include/vellumark/vellumark.h", CHeader},
    {"include/vellumark/vellumark.hpp", CppHeader},
    {"api/Members.cpp", Members},
    {"python/vellumark/_members.py", Python},
};

}  // namespace

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::string_view(argv[1]) == "--check";
    if (!(argc == 2 || check)) {
        std::cerr << "usage: MakeApi SOURCE_DIR | MakeApi --check SOURCE_DIR\n";
        return 2;
    }
    if (!EnumsAsExpected()) {
        std::cerr << "MakeApi: the enumerations are not the four it knows\n";
        return 2;
    }
    const std::string root = argv[argc - 1];
    int status = 0;
    for (const TFile& f : kFiles) {
        const std::string path = root + "/" + f.path;
        if (vellumark::tools::WriteOrCheck("MakeApi", path, f.make(), check, root) != 0) status = 1;
    }
    return status;
}
