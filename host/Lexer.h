// Splits script source into tokens: names, numbers, strings, operators and
// statement ends. Comments (' and Rem) and line continuations ( _) are
// consumed here and never reach the parser. The lexer hands out one token at
// a time; tokens are small and refer to the source text, which must outlive
// them. The source is UTF-16 text, or UTF-8 bytes read as they stand (names,
// numbers and operators are ASCII; columns still count UTF-16 units).
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "host/Ast.h"

namespace vellumark::host {

enum class TTokenKind : uint8_t {
    Name,     // text as written, keyword when it is one of the words below
    Number,   // lval (Long) or dval (Double, when real)
    String,   // text between the quotes, inner quotes still doubled
    Symbol,   // symbol: ( ) , . = <> < > <= >= + - * / \ ^ &
    Newline,  // end of a line
    Colon,    // statement separator
    End,      // end of the source
};

enum class TSymbol : uint8_t {
    None, LParen, RParen, Comma, Dot, Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual,
    Plus, Minus, Star, Slash, Backslash, Caret, Ampersand,
};

// The words the parser tells apart: the reserved words, the statements it
// refuses, and the names it looks for in statements and on WScript and Err.
enum class TKeyword : uint8_t {
    None,
    And, ByRef, ByVal, Call, Case, Class, Clear, Const, Description, Dim, Do, Each, Echo, Else, ElseIf,
    Empty, End, Eqv, Erase, Err, Error, Execute, Exit, Explicit, False, For, Function, GoTo, If, Imp, In,
    Is, Let, Loop, Me, Mod, New, Next, Not, Nothing, Null, Number, On, Option, Or, Preserve, Private,
    Property, Public, Quit, Raise, Randomize, ReDim, Rem, Resume, Select, Set, Source, Step, Stop, Sub,
    Then, To, True, Until, Wend, While, With, WScript, Xor,
};

// Words that cannot name a variable.
bool IsReservedWord(TKeyword word);
// Statements of the full language that scripts for this host cannot use.
bool IsUnsupportedWord(TKeyword word);

template <typename Char>
struct TToken {
    TTokenKind kind = TTokenKind::End;
    TSymbol symbol = TSymbol::None;
    TKeyword keyword = TKeyword::None;
    bool real = false;  // a Number that is a Double
    bool plain = false;  // a String of ASCII characters without doubled quotes
    TSourcePos pos;
    std::basic_string_view<Char> text;
    int32_t lval = 0;
    double dval = 0;

    bool IsSymbol(TSymbol s) const { return kind == TTokenKind::Symbol && symbol == s; }
    bool IsName(TKeyword k) const { return kind == TTokenKind::Name && keyword == k; }
    bool EndsStatement() const {
        return kind == TTokenKind::Newline || kind == TTokenKind::Colon || kind == TTokenKind::End;
    }
};

// A source error found before anything runs: a syntax error, or (compile)
// a use of a member that the object does not have. Lexical errors are syntax
// errors found while reading tokens.
class EScriptError : public std::runtime_error {
public:
    enum class TKind { Syntax, Compile, Lexical };
    EScriptError(TKind kind, TSourcePos pos, const std::string& message)
        : std::runtime_error(message), kind_(kind), pos_(pos) {}
    TKind Kind() const noexcept { return kind_; }
    TSourcePos Pos() const noexcept { return pos_; }

private:
    TKind kind_;
    TSourcePos pos_;
};

// Reads tokens from the source, one per Next(); after the last one every
// call gives End. A copy reads on independently from the same place.
// Next() raises EScriptError (lexical) for an invalid character, an
// unterminated string or a malformed number. Char is char16_t (UTF-16) or
// char (UTF-8).
template <typename Char>
class TLexer {
public:
    using TText = std::basic_string_view<Char>;

    explicit TLexer(TText source) : src_(source) {}

    TToken<Char> Next();
    // The same into `t`.
    void Next(TToken<Char>& t);

private:
    TText src_;
    std::size_t i_ = 0;
    std::size_t lineStart_ = 0;
    // UTF-8: the code units of this line up to i_ that are more than its
    // UTF-16 units.
    std::size_t extraUnits_ = 0;
    int line_ = 1;
    // The previous token, for the rules that depend on it: blank lines give
    // no Newline, and Rem is a comment where a statement may begin.
    bool any_ = false;
    TTokenKind lastKind_ = TTokenKind::Newline;
    TKeyword lastKeyword_ = TKeyword::None;
    bool ended_ = false;

    TSourcePos Pos() const { return {line_, static_cast<int>(i_ - lineStart_ - extraUnits_) + 1}; }
    void Start(TToken<Char>& t, TTokenKind kind) const;
    void Scan(TToken<Char>& t);
    [[noreturn]] void Fail(TSourcePos pos, const std::string& message) const;
    void Passed(std::size_t begin);
    void SkipLineBreak();
    void SkipToLineEnd();
    bool NewlineDue() const;
    bool IsContinuation() const;
    bool AtStatementStart() const;
    void LexNumber(TToken<Char>& t);
    void LexHex(TToken<Char>& t);
    void LexString(TToken<Char>& t);
    void LexSymbol(TToken<Char>& t);
};

extern template class TLexer<char16_t>;
extern template class TLexer<char>;

// ASCII lower case of a name.
std::u16string LowerName(std::u16string_view name);

}  // namespace vellumark::host
