// The documentation of the members of IPDFDoc: one entry per member name
// (its get, put and method forms together), beside the member table that
// gives the signatures. The reference (docs/reference.md, `vellumark help`)
// is written from these entries and the table by control/MemberReference.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vellumark {

// The groups of the reference, in the order it shows them.
enum class TMemberGroup : uint8_t { Pages, Placements, Graphics, Text, Links, Fonts, Images, Document, Window };

struct TMemberGroupDoc {
    TMemberGroup group;
    const char* title;
    const char* text;
};

struct TParamDoc {
    const char* name = nullptr;  // as in the member table
    const char* text = nullptr;  // meaning, unit, range
};

// Every text is Markdown. A member needs a text, its errors and an example;
// a property also its default; every parameter of the member table but the
// value of a put needs an entry in params.
struct TMemberDoc {
    const char* name = nullptr;
    TMemberGroup group = TMemberGroup::Pages;
    const char* text = nullptr;        // what it does; for a property what the value means and its unit
    TParamDoc params[5] = {};          // the parameters, in the member table's order
    const char* result = nullptr;      // what a method's result means (methods with a result)
    const char* defaultValue = nullptr;  // a property's value on a new object and what sets it back
    const char* resets = nullptr;      // the settings the call changes besides its own
    const char* errors = nullptr;      // the exact messages, or "None."
    const char* example = nullptr;     // one line of script, the document being D
};

// Notes shown under an enumeration of the type library.
struct TEnumDoc {
    const char* name;
    const char* text;
};

std::span<const TMemberGroupDoc> MemberGroupDocs();
std::span<const TMemberDoc> MemberDocs();
std::span<const TEnumDoc> EnumDocs();
// The reference's general part: what every member has in common.
std::string_view ReferenceConventions();

}  // namespace vellumark
