// Splits script source into tokens: names, numbers, strings, operators and
// statement ends. Comments (' and Rem) and line continuations ( _) are
// consumed here and never reach the parser.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "control/Variant.h"
#include "host/Ast.h"

namespace vellumark::host {

enum class TTokenKind : uint8_t {
    Name,     // text as written, lower in lower case
    Number,   // number (I4 or R8)
    String,   // text holds the value, quotes removed
    Symbol,   // text: ( ) , . = <> < > <= >= + - * / \ ^ &
    Newline,  // end of a line
    Colon,    // statement separator
    End,      // end of the source
};

struct TToken {
    TTokenKind kind = TTokenKind::End;
    TSourcePos pos;
    std::u16string text;
    std::u16string lower;
    TVariant number;

    bool Is(TTokenKind k, std::u16string_view t) const { return kind == k && text == t; }
    bool IsSymbol(std::u16string_view t) const { return kind == TTokenKind::Symbol && text == t; }
    bool IsName(std::u16string_view lowerName) const { return kind == TTokenKind::Name && lower == lowerName; }
    bool EndsStatement() const {
        return kind == TTokenKind::Newline || kind == TTokenKind::Colon || kind == TTokenKind::End;
    }
};

// A source error found before anything runs: a syntax error, or (compile)
// a use of a member that the object does not have.
class EScriptError : public std::runtime_error {
public:
    enum class TKind { Syntax, Compile };
    EScriptError(TKind kind, TSourcePos pos, const std::string& message)
        : std::runtime_error(message), kind_(kind), pos_(pos) {}
    TKind Kind() const noexcept { return kind_; }
    TSourcePos Pos() const noexcept { return pos_; }

private:
    TKind kind_;
    TSourcePos pos_;
};

// The whole source as tokens, ending with one End token. Raises EScriptError
// (syntax) for an invalid character, an unterminated string or a malformed
// number.
std::vector<TToken> Tokenize(std::u16string_view source);

// ASCII lower case of a name.
std::u16string LowerName(std::u16string_view name);

}  // namespace vellumark::host
