// Lookups over the member table of IPDFDoc (control/MemberTableData.h) and
// the type library's enumerations.
#include "control/MemberTable.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "base/NoCase.h"
#include "control/MemberTableData.h"

namespace vellumark {

namespace {

using member_data::kFirstSlot;
using member_data::kMemberCount;
using member_data::kMembers;
static_assert(std::size(kMembers) == kMemberCount);

constexpr bool SlotsInOrder() {
    for (int i = 0; i < kMemberCount; ++i)
        if (kMembers[i].slot != kFirstSlot + i) return false;
    return true;
}
static_assert(SlotsInOrder(), "every member sits at its function-table slot");

bool SameNameNoCase(std::u16string_view a, const char* b) { return EqualsNoCase(a, std::string_view(b)); }

// --- properties kept in a property bag ------------------------------------

constexpr bool IsPersistentGet(const TMemberInfo& get) {
    if (get.kind != TInvokeKind::PropertyGet || get.paramCount != 0) return false;
    for (const TMemberInfo& m : kMembers)
        if (m.kind == TInvokeKind::PropertyPut && m.dispid == get.dispid && m.paramCount == 1) return true;
    return false;
}

constexpr size_t CountPersistent() {
    size_t n = 0;
    for (const TMemberInfo& m : kMembers)
        if (IsPersistentGet(m)) ++n;
    return n;
}

constexpr auto kPersistent = [] {
    std::array<const TMemberInfo*, CountPersistent()> list{};
    size_t i = 0;
    for (const TMemberInfo& m : kMembers)
        if (IsPersistentGet(m)) list[i++] = &m;
    return list;
}();

// --- type library enumerations ---------------------------------------------

constexpr TEnumValue kCompressFormatValues[] = {
    {"cfNone", 0, "Uncompressed."},
    {"cfGroup4", 1, "CCITT Group 4 Fax compression."},
    {"cfZIP", 2, "ZIP (Flate) compression."},
    {"cfJPEG", 3, "JPEG compression."},
};

constexpr TEnumValue kPageSizeValues[] = {
    {"psCustom", 0, "Custom page size."},
    {"psA4_P", 1, "A4 (Portrait)."},
    {"psA4_L", 2, "A4 (Landscape)."},
    {"psLetter_P", 3, "Letter (Portrait)."},
    {"psLetter_L", 4, "Letter (Landscape)."},
    {"psA3_P", 5, "A3 (Portrait)."},
    {"psA3_L", 6, "A3 (Landscape)."},
    {"psA5_P", 7, "A5 (Portrait)."},
    {"psA5_L", 8, "A5 (Landscape)."},
    {"psTabloid_P", 9, "Tabloid (Portrait)."},
    {"psTabloid_L", 10, "Tabloid (Landscape)."},
    {"psLegal_P", 11, "Legal (Portrait)."},
    {"psLegal_L", 12, "Legal (Landscape)."},
    {"psStatement_P", 13, "Statement (Portrait)."},
    {"psStatement_L", 14, "Statement (Landscape)."},
    {"psExecutive_P", 15, "Executive (Portrait)."},
    {"psExecutive_L", 16, "Executive (Landscape)."},
};

constexpr TEnumValue kUnitsMeasValues[] = {
    {"umPoints", 0, "Points."},
    {"umInches", 1, "Inches."},
    {"umCentimeters", 2, "Centimeters."},
    {"umMillimeters", 3, "Millimeters."},
};

constexpr TEnumValue kTextAlignValues[] = {
    {"taLeft", 0, "Left-justified text."},
    {"taCenter", 1, "Centred text."},
    {"taRight", 2, "Right-justified text."},
};

constexpr TEnumInfo kEnums[] = {
    {"TxCompressFormat", "{CD3113B7-01DE-49F7-9DE8-CE305FF0FC1C}", "Image compression format.",
     kCompressFormatValues},
    {"TxPageSize", "{F9E35828-474E-4B15-8BEA-D184A02E0600}", "Page Size.", kPageSizeValues},
    {"TxUnitsMeas", "{EC6F23B7-198A-49C9-9239-824D5ED9CFC5}", "Units of measure.", kUnitsMeasValues},
    {"TxTextAlign", "{BD7226CD-6B6E-4561-9012-AC0A95BE7AB8}", "Alignment of text.", kTextAlignValues},
};

}  // namespace

std::span<const TMemberInfo> MemberTable() { return kMembers; }

const TMemberInfo* FindMemberBySlot(int slot) {
    if (slot < kFirstSlot || slot >= kFirstSlot + kMemberCount) return nullptr;
    return &kMembers[slot - kFirstSlot];
}

const TMemberInfo* FindMember(int32_t dispid, TInvokeKind kind) {
    auto it = std::find_if(std::begin(kMembers), std::end(kMembers),
                           [&](const TMemberInfo& m) { return m.dispid == dispid && m.kind == kind; });
    return it == std::end(kMembers) ? nullptr : &*it;
}

std::optional<int32_t> FindDispId(std::u16string_view name) {
    for (const TMemberInfo& m : kMembers)
        if (SameNameNoCase(name, m.name)) return m.dispid;
    return std::nullopt;
}

std::optional<int32_t> FindParamIndex(int32_t dispid, std::u16string_view name) {
    for (const TMemberInfo& m : kMembers) {
        if (m.dispid != dispid) continue;
        for (int i = 0; i < m.paramCount; ++i)
            if (SameNameNoCase(name, m.params[i].name)) return i;
    }
    return std::nullopt;
}

std::span<const TMemberInfo* const> PersistentProperties() { return kPersistent; }

std::span<const TEnumInfo> TypeLibEnums() { return kEnums; }

std::optional<int32_t> FindEnumValue(std::u16string_view name) {
    for (const TEnumInfo& e : kEnums)
        for (const TEnumValue& v : e.values)
            if (SameNameNoCase(name, v.name)) return v.value;
    return std::nullopt;
}

}  // namespace vellumark
