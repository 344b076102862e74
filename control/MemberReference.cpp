#include "control/MemberReference.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/NoCase.h"
#include "control/MemberDocs.h"
#include "control/MemberTable.h"
#include "model/Units.h"

namespace vellumark {

namespace {

// The forms of one member name in the table.
struct TForms {
    const TMemberInfo* get = nullptr;
    const TMemberInfo* put = nullptr;
    const TMemberInfo* method = nullptr;

    const TMemberInfo* First() const { return method ? method : get ? get : put; }
};

TForms FormsOf(const char* name) {
    TForms f;
    for (const TMemberInfo& m : MemberTable()) {
        if (std::strcmp(m.name, name) != 0) continue;
        if (m.kind == TInvokeKind::Method) f.method = &m;
        if (m.kind == TInvokeKind::PropertyGet) f.get = &m;
        if (m.kind == TInvokeKind::PropertyPut) f.put = &m;
    }
    return f;
}

const char* TypeName(TParamType t) {
    switch (t) {
        case TParamType::None: return "none";
        case TParamType::Long: return "Long";
        case TParamType::Double: return "Double";
        case TParamType::Bool: return "Boolean";
        case TParamType::Color: return "OLE colour";
        case TParamType::BStr: return "String";
        case TParamType::Variant: return "Variant";
        case TParamType::CompressFormat: return "TxCompressFormat";
        case TParamType::PageSize: return "TxPageSize";
        case TParamType::UnitsMeas: return "TxUnitsMeas";
        case TParamType::TextAlign: return "TxTextAlign";
    }
    return "?";
}

const char* KindName(const TForms& f) {
    if (f.method) return "method";
    if (f.get && f.put) return "property, read and write";
    return f.get ? "property, read only" : "property, write only";
}

// The parameters before a put's value, or all of a method's.
int IndexCount(const TMemberInfo& m) {
    return m.kind == TInvokeKind::PropertyPut ? m.paramCount - 1 : m.paramCount;
}

std::string ArgList(const TMemberInfo& m) {
    std::string s;
    for (int i = 0; i < IndexCount(m); ++i) {
        if (i) s += ", ";
        s += m.params[i].name;
    }
    return s;
}

std::string Usage(const TForms& f) {
    std::string s;
    if (const TMemberInfo* m = f.method) {
        const std::string args = ArgList(*m);
        if (m->result == TParamType::None)
            s += "    D." + std::string(m->name) + (args.empty() ? "" : " " + args) + "\n";
        else
            s += "    result = D." + std::string(m->name) + (args.empty() ? "" : "(" + args + ")") + "\n";
        return s;
    }
    if (const TMemberInfo* m = f.get) {
        const std::string args = ArgList(*m);
        s += "    value = D." + std::string(m->name) + (args.empty() ? "" : "(" + args + ")") + "\n";
    }
    if (const TMemberInfo* m = f.put) {
        const std::string args = ArgList(*m);
        s += "    D." + std::string(m->name) + (args.empty() ? "" : "(" + args + ")") + " = value\n";
    }
    return s;
}

TParamType ValueType(const TForms& f) {
    if (f.method) return f.method->result;
    if (f.get) return f.get->result;
    return f.put->params[f.put->paramCount - 1].type;
}

const char* ParamText(const TMemberDoc& d, const char* name) {
    for (const TParamDoc& p : d.params)
        if (p.name && std::strcmp(p.name, name) == 0) return p.text;
    return "";
}

std::string Anchor(std::string_view heading) {
    std::string s;
    for (char c : heading) {
        if (c == ' ') s += '-';
        else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')
            s += AsciiLower(c);
    }
    return s;
}

// A paragraph broken at spaces into lines of at most kWidth characters (a
// longer word stands alone), the lines after the first indented by `indent`.
constexpr std::size_t kWidth = 100;

std::string Wrap(std::string_view text, std::string_view indent = {}) {
    std::string s;
    std::size_t column = 0;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
        if (word.empty()) continue;
        if (column > 0 && column + 1 + word.size() > kWidth) {
            s.append("\n").append(indent);
            column = indent.size();
        } else if (column > 0) {
            s += ' ';
            ++column;
        }
        s += word;
        column += word.size();
    }
    return s + "\n";
}

std::string MemberSection(const TMemberDoc& d) {
    const TForms f = FormsOf(d.name);
    const TMemberInfo* first = f.First();
    std::string s = "### " + std::string(d.name) + "\n\n";
    s += std::string(KindName(f)) + ", dispatch id " + std::to_string(first->dispid);
    if (!f.method) s += ", value of type " + std::string(TypeName(ValueType(f)));
    s += "\n\n" + Usage(f) + "\n";
    if (first->help) s += "*" + std::string(first->help) + "*\n\n";
    s += Wrap(d.text) + "\n";
    if (IndexCount(*first) > 0) {
        s += "| Parameter | Type | Meaning |\n|---|---|---|\n";
        for (int i = 0; i < IndexCount(*first); ++i)
            s += "| " + std::string(first->params[i].name) + " | " + TypeName(first->params[i].type) + " | " +
                 ParamText(d, first->params[i].name) + " |\n";
        s += "\n";
    }
    if (f.method)
        s += Wrap("- **Result:** " + (f.method->result == TParamType::None
                                          ? std::string("none.")
                                          : std::string(TypeName(f.method->result)) + ": " + (d.result ? d.result : "")),
                  "  ");
    if (d.defaultValue) s += Wrap("- **Default:** " + std::string(d.defaultValue), "  ");
    if (d.resets) s += Wrap("- **Resets:** " + std::string(d.resets), "  ");
    s += Wrap("- **Errors:** " + std::string(d.errors ? d.errors : ""), "  ");
    s += "- **Example:** `" + std::string(d.example ? d.example : "") + "`\n\n";
    return s;
}

// The first sentence of a text.
std::string FirstSentence(std::string_view text) {
    const std::size_t end = text.find(". ");
    return std::string(end == std::string_view::npos ? text : text.substr(0, end + 1));
}

std::string GroupIndex() {
    std::string s = "## Members by group\n\n";
    for (const TMemberGroupDoc& g : MemberGroupDocs()) {
        s += Wrap("**" + std::string(g.title) + "** — " + g.text) + "\n| Member | Kind | Summary |\n|---|---|---|\n";
        for (const TMemberDoc& d : MemberDocs()) {
            if (d.group != g.group) continue;
            const TForms f = FormsOf(d.name);
            const TMemberInfo* first = f.First();
            if (!first) continue;
            s += "| [" + std::string(d.name) + "](#" + Anchor(d.name) + ") | " + KindName(f) + " | " +
                 (first->help ? std::string(first->help) : FirstSentence(d.text)) + " |\n";
        }
        s += "\n";
    }
    return s;
}

std::string EnumSection(const TEnumInfo& e) {
    const bool pages = std::strcmp(e.name, "TxPageSize") == 0;
    std::string s = "### " + std::string(e.name) + "\n\n*" + e.help + "*\n\n";
    s += pages ? "| Value | Name | Meaning | Width × height, points |\n|---|---|---|---|\n"
               : "| Value | Name | Meaning |\n|---|---|---|\n";
    for (const TEnumValue& v : e.values) {
        s += "| " + std::to_string(v.value) + " | " + v.name + " | " + v.help + " |";
        if (pages) {
            TPageDimensions dims{};
            if (PageSizeDimensions(static_cast<TPageSize>(v.value), dims))
                s.append(" ").append(std::to_string(dims.width)).append(" × ").append(std::to_string(dims.height)).append(" |");
            else
                s += " set by PageWidth and PageHeight |";
        }
        s += "\n";
    }
    s += "\n";
    for (const TEnumDoc& n : EnumDocs())
        if (std::strcmp(n.name, e.name) == 0) s += Wrap(n.text) + "\n";
    return s;
}

std::string Enumerations() {
    std::string s = "## Enumerations\n\n"
                    "Scripts use the names as constants; the values are what the properties read back.\n\n";
    for (const TEnumInfo& e : TypeLibEnums()) s += EnumSection(e);
    return s;
}

constexpr const char* kTitle = "# Vellumark member reference\n\n";

std::string Overview() {
    return kTitle + std::string(ReferenceConventions()) + "\n" + GroupIndex() + Enumerations();
}

}  // namespace

std::string ReferenceMarkdown() {
    std::string s = "<!-- Written by `vellumark help --markdown` from the member table and "
                    "control/MemberDocs.cpp: edit those, not this file. -->\n" +
                    Overview();
    for (const TMemberGroupDoc& g : MemberGroupDocs()) {
        s += "## " + std::string(g.title) + "\n\n";
        for (const TMemberDoc& d : MemberDocs())
            if (d.group == g.group && FormsOf(d.name).First()) s += MemberSection(d);
    }
    while (s.size() >= 2 && s[s.size() - 1] == '\n' && s[s.size() - 2] == '\n') s.pop_back();
    return s;
}

std::string ReferenceOverview() {
    std::string s = Overview();
    s += "`vellumark help MEMBER` shows one member, `vellumark help ENUMERATION` one enumeration.\n";
    return s;
}

std::optional<std::string> ReferenceTopic(std::string_view name) {
    for (const TMemberDoc& d : MemberDocs())
        if (EqualsNoCase<char, char>(name, std::string_view(d.name)) && FormsOf(d.name).First()) {
            std::string s = MemberSection(d);
            s.pop_back();
            return s;
        }
    for (const TEnumInfo& e : TypeLibEnums()) {
        bool match = EqualsNoCase<char, char>(name, std::string_view(e.name));
        for (const TEnumValue& v : e.values) match = match || EqualsNoCase<char, char>(name, std::string_view(v.name));
        if (match) {
            std::string s = EnumSection(e);
            s.pop_back();
            return s;
        }
    }
    return std::nullopt;
}

}  // namespace vellumark
