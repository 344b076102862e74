// The member reference: every member and parameter of the member table is
// documented, and docs/reference.md is what the reference writer makes of it.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "TestUtil.h"
#include "control/MemberDocs.h"
#include "control/MemberReference.h"
#include "control/MemberTable.h"

namespace vellumark {
namespace {

bool Empty(const char* text) { return !text || !*text; }

TEST(ControlMemberDocs, EveryMemberAndParameterIsDocumented) {
    std::set<std::string> names;
    for (const TMemberInfo& m : MemberTable()) names.insert(m.name);
    std::set<std::string> documented;
    for (const TMemberDoc& d : MemberDocs()) {
        EXPECT_TRUE(documented.insert(d.name).second) << d.name << " is documented twice";
        EXPECT_TRUE(names.count(d.name)) << d.name << " is documented but not a member";
        EXPECT_FALSE(Empty(d.text)) << d.name;
        EXPECT_FALSE(Empty(d.errors)) << d.name;
        EXPECT_FALSE(Empty(d.example)) << d.name;
    }
    for (const TMemberInfo& m : MemberTable()) {
        const TMemberDoc* doc = nullptr;
        for (const TMemberDoc& d : MemberDocs())
            if (std::strcmp(d.name, m.name) == 0) doc = &d;
        if (!doc) {
            ADD_FAILURE() << m.name << " has no documentation";
            continue;
        }
        if (m.kind != TInvokeKind::Method) {
            EXPECT_FALSE(Empty(doc->defaultValue)) << m.name << ": no default";
        }
        if (m.kind == TInvokeKind::Method && m.result != TParamType::None) {
            EXPECT_FALSE(Empty(doc->result)) << m.name << ": no result";
        }
        const int count = m.kind == TInvokeKind::PropertyPut ? m.paramCount - 1 : m.paramCount;
        for (int i = 0; i < count; ++i) {
            const TParamDoc& p = doc->params[i];
            EXPECT_TRUE(p.name && std::strcmp(p.name, m.params[i].name) == 0 && !Empty(p.text))
                << m.name << ": parameter " << m.params[i].name << " is not documented in its place";
        }
        for (std::size_t i = static_cast<std::size_t>(count); i < std::size(doc->params); ++i)
            EXPECT_EQ(doc->params[i].name, nullptr) << m.name << ": documents a parameter it does not have";
    }
}

TEST(ControlMemberDocs, ReferenceFileIsWhatTheWriterMakes) {
    const std::string committed = test::ReadFile(std::string(SOURCE_DIR) + "/docs/reference.md");
    EXPECT_TRUE(committed == ReferenceMarkdown())
        << "docs/reference.md is out of date: build/vellumark help --markdown > docs/reference.md";
}

}  // namespace
}  // namespace vellumark
