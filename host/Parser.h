// Parses a whole script into its statement tree and checks, before anything
// runs, that every member named on an object exists.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "host/Ast.h"

namespace vellumark::host {

// Limits that keep hostile input from exhausting the stack: nesting of
// parentheses, unary operators and blocks, and the height of one expression.
inline constexpr int kMaxNesting = 100;
inline constexpr int kMaxExpressionDepth = 256;

struct TDiagnostic {
    enum class TKind { Syntax, Compile };
    TKind kind = TKind::Syntax;
    TSourcePos pos;
    std::string message;  // UTF-8
};

struct TParseResult {
    std::unique_ptr<TProgram> program;  // set when the script is valid
    std::optional<TDiagnostic> error;   // the first error otherwise
};

TParseResult ParseScript(std::u16string_view source);

// The same for the bytes of a script file (see DecodeScript): UTF-8 is read
// as it stands, without a decoded copy.
TParseResult ParseScriptBytes(std::string_view bytes);

}  // namespace vellumark::host
