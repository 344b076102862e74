// The member reference, written from the member table and the members'
// documentation: docs/reference.md and the text of `vellumark help`.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vellumark {

// The whole reference in Markdown, exactly as docs/reference.md holds it.
std::string ReferenceMarkdown();
// Its general part: the conventions, the members by group and the
// enumerations.
std::string ReferenceOverview();
// One member's section, or one enumeration's (named by the enumeration or by
// one of its values); names compare without regard to case.
std::optional<std::string> ReferenceTopic(std::string_view name);

}  // namespace vellumark
