#include "base/NoCase.h"
#include "base/TextCodec.h"
#include "host/Lexer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

namespace vellumark::host {

namespace {

// Character classes on code units: UTF-16 units, or UTF-8 bytes, whose
// values past ASCII (negative as char) never fall in an ASCII class.
template <typename Char>
bool IsLetter(Char c) { return (c >= Char('a') && c <= Char('z')) || (c >= Char('A') && c <= Char('Z')); }
template <typename Char>
bool IsDigit(Char c) { return c >= Char('0') && c <= Char('9'); }
template <typename Char>
bool IsNameChar(Char c) { return IsLetter(c) || IsDigit(c) || c == Char('_'); }
template <typename Char>
bool IsBlank(Char c) { return c == Char(' ') || c == Char('\t') || c == Char('\v') || c == Char('\f'); }
template <typename Char>
bool IsLineBreak(Char c) { return c == Char('\r') || c == Char('\n'); }

template <typename Char>
int HexValue(Char c) {
    if (IsDigit(c)) return c - Char('0');
    if (c >= Char('a') && c <= Char('f')) return c - Char('a') + 10;
    if (c >= Char('A') && c <= Char('F')) return c - Char('A') + 10;
    return -1;
}

enum : uint8_t { kReserved = 1, kUnsupported = 2 };

struct TKeywordInfo {
    std::u16string_view word;  // lower case
    TKeyword keyword;
    uint8_t flags;
};

// In order of the words, for a binary search.
constexpr TKeywordInfo kKeywords[] = {
    {u"and", TKeyword::And, kReserved},
    {u"byref", TKeyword::ByRef, kReserved},
    {u"byval", TKeyword::ByVal, kReserved},
    {u"call", TKeyword::Call, kReserved},
    {u"case", TKeyword::Case, kReserved},
    {u"class", TKeyword::Class, kReserved | kUnsupported},
    {u"clear", TKeyword::Clear, 0},
    {u"const", TKeyword::Const, kReserved},
    {u"description", TKeyword::Description, 0},
    {u"dim", TKeyword::Dim, kReserved},
    {u"do", TKeyword::Do, kReserved},
    {u"each", TKeyword::Each, kReserved},
    {u"echo", TKeyword::Echo, 0},
    {u"else", TKeyword::Else, kReserved},
    {u"elseif", TKeyword::ElseIf, kReserved},
    {u"empty", TKeyword::Empty, kReserved},
    {u"end", TKeyword::End, kReserved},
    {u"eqv", TKeyword::Eqv, kReserved},
    {u"erase", TKeyword::Erase, kReserved | kUnsupported},
    {u"err", TKeyword::Err, kReserved},
    {u"error", TKeyword::Error, 0},
    {u"execute", TKeyword::Execute, kUnsupported},
    {u"exit", TKeyword::Exit, kReserved},
    {u"explicit", TKeyword::Explicit, 0},
    {u"false", TKeyword::False, kReserved},
    {u"for", TKeyword::For, kReserved},
    {u"function", TKeyword::Function, kReserved},
    {u"goto", TKeyword::GoTo, kReserved | kUnsupported},
    {u"if", TKeyword::If, kReserved},
    {u"imp", TKeyword::Imp, kReserved},
    {u"in", TKeyword::In, kReserved},
    {u"is", TKeyword::Is, kReserved},
    {u"let", TKeyword::Let, kReserved},
    {u"loop", TKeyword::Loop, kReserved},
    {u"me", TKeyword::Me, kReserved},
    {u"mod", TKeyword::Mod, kReserved},
    {u"new", TKeyword::New, kReserved},
    {u"next", TKeyword::Next, kReserved},
    {u"not", TKeyword::Not, kReserved},
    {u"nothing", TKeyword::Nothing, kReserved},
    {u"null", TKeyword::Null, kReserved},
    {u"number", TKeyword::Number, 0},
    {u"on", TKeyword::On, kReserved},
    {u"option", TKeyword::Option, kReserved},
    {u"or", TKeyword::Or, kReserved},
    {u"preserve", TKeyword::Preserve, kReserved},
    {u"private", TKeyword::Private, kReserved | kUnsupported},
    {u"property", TKeyword::Property, kUnsupported},
    {u"public", TKeyword::Public, kReserved | kUnsupported},
    {u"quit", TKeyword::Quit, 0},
    {u"raise", TKeyword::Raise, 0},
    {u"randomize", TKeyword::Randomize, kUnsupported},
    {u"redim", TKeyword::ReDim, kReserved},
    {u"rem", TKeyword::Rem, 0},
    {u"resume", TKeyword::Resume, 0},
    {u"select", TKeyword::Select, kReserved},
    {u"set", TKeyword::Set, kReserved},
    {u"source", TKeyword::Source, 0},
    {u"step", TKeyword::Step, 0},
    {u"stop", TKeyword::Stop, kUnsupported},
    {u"sub", TKeyword::Sub, kReserved},
    {u"then", TKeyword::Then, kReserved},
    {u"to", TKeyword::To, 0},
    {u"true", TKeyword::True, kReserved},
    {u"until", TKeyword::Until, kReserved},
    {u"wend", TKeyword::Wend, kReserved},
    {u"while", TKeyword::While, kReserved},
    {u"with", TKeyword::With, kReserved | kUnsupported},
    {u"wscript", TKeyword::WScript, kReserved},
    {u"xor", TKeyword::Xor, kReserved},
};

constexpr std::size_t kLongestKeyword = 11;  // "description"

// The words in order, each at the place of its keyword (TKeyword::None
// being 0).
constexpr bool KeywordsInOrder() {
    for (std::size_t i = 1; i < std::size(kKeywords); ++i)
        if (!(kKeywords[i - 1].word < kKeywords[i].word)) return false;
    for (std::size_t i = 0; i < std::size(kKeywords); ++i)
        if (static_cast<std::size_t>(kKeywords[i].keyword) != i + 1) return false;
    for (const TKeywordInfo& k : kKeywords)
        if (k.word.size() > kLongestKeyword) return false;
    return true;
}
static_assert(KeywordsInOrder());

// Where the words of each first letter begin in kKeywords ('a' to 'z', and
// the end).
constexpr auto kFirstOfLetter = [] {
    std::array<uint8_t, 27> first{};
    std::size_t k = 0;
    for (std::size_t letter = 0; letter <= 26; ++letter) {
        while (k < std::size(kKeywords) && static_cast<std::size_t>(kKeywords[k].word[0] - u'a') < letter) ++k;
        first[letter] = static_cast<uint8_t>(k);
    }
    return first;
}();

// The keyword a name is, if any. Names start with a letter.
template <typename Char>
const TKeywordInfo* FindKeyword(std::basic_string_view<Char> name) {
    if (name.size() > kLongestKeyword) return nullptr;
    const std::size_t letter = static_cast<std::size_t>(AsciiLower(name[0]) - Char('a'));
    if (letter >= 26) return nullptr;
    for (std::size_t k = kFirstOfLetter[letter]; k < kFirstOfLetter[letter + 1]; ++k)
        if (EqualsNoCase(name, kKeywords[k].word)) return &kKeywords[k];
    return nullptr;
}

uint8_t FlagsOf(TKeyword word) {
    const auto i = static_cast<std::size_t>(word);
    return i >= 1 && i <= std::size(kKeywords) ? kKeywords[i - 1].flags : 0;
}

}  // namespace

bool IsReservedWord(TKeyword word) { return (FlagsOf(word) & kReserved) != 0; }
bool IsUnsupportedWord(TKeyword word) { return (FlagsOf(word) & kUnsupported) != 0; }

template <typename Char>
void TLexer<Char>::Start(TToken<Char>& t, TTokenKind kind) const {
    t.kind = kind;
    t.pos = Pos();
}

template <typename Char>
void TLexer<Char>::Fail(TSourcePos pos, const std::string& message) const {
    throw EScriptError(EScriptError::TKind::Lexical, pos, message);
}

// UTF-8: counts the code units from `begin` to i_ that are more than the
// UTF-16 units they decode to. Text outside ASCII only ever stands in
// strings and comments, and decodes there as it does in the whole source: an
// ASCII character is never part of a longer sequence.
template <typename Char>
void TLexer<Char>::Passed(std::size_t begin) {
    if constexpr (sizeof(Char) == 1) {
        const TText part = src_.substr(begin, i_ - begin);
        if (std::any_of(part.begin(), part.end(), [](Char c) { return static_cast<unsigned char>(c) >= 0x80; }))
            extraUnits_ += part.size() - Utf8ToUtf16(part).size();
    } else {
        static_cast<void>(begin);
    }
}

template <typename Char>
void TLexer<Char>::SkipLineBreak() {
    if (src_[i_] == Char('\r') && i_ + 1 < src_.size() && src_[i_ + 1] == Char('\n')) ++i_;
    ++i_;
    ++line_;
    lineStart_ = i_;
    extraUnits_ = 0;
}

template <typename Char>
void TLexer<Char>::SkipToLineEnd() {
    const std::size_t begin = i_;
    while (i_ < src_.size() && !IsLineBreak(src_[i_])) ++i_;
    Passed(begin);
}

// Blank lines and comment lines add no Newline.
template <typename Char>
bool TLexer<Char>::NewlineDue() const { return any_ && lastKind_ != TTokenKind::Newline; }

// An underscore continues the line when blanks (or the line's start) come
// before it and only blanks follow it up to the line's end.
template <typename Char>
bool TLexer<Char>::IsContinuation() const {
    if (i_ > lineStart_ && !IsBlank(src_[i_ - 1])) return false;
    for (std::size_t j = i_ + 1; j < src_.size() && !IsLineBreak(src_[j]); ++j)
        if (!IsBlank(src_[j])) return false;
    return true;
}

// Rem is a comment where a statement may begin.
template <typename Char>
bool TLexer<Char>::AtStatementStart() const {
    if (!any_) return true;
    return lastKind_ == TTokenKind::Newline || lastKind_ == TTokenKind::Colon ||
           (lastKind_ == TTokenKind::Name && (lastKeyword_ == TKeyword::Then || lastKeyword_ == TKeyword::Else));
}

// The token is made in place: the one returned, filled by the function that
// reads its kind.
template <typename Char>
TToken<Char> TLexer<Char>::Next() {
    TToken<Char> t;
    Next(t);
    return t;
}

template <typename Char>
void TLexer<Char>::Next(TToken<Char>& t) {
    t = TToken<Char>();
    Scan(t);
    any_ = true;
    lastKind_ = t.kind;
    lastKeyword_ = t.keyword;
}

template <typename Char>
void TLexer<Char>::Scan(TToken<Char>& t) {
    while (i_ < src_.size()) {
        const Char c = src_[i_];
        if (IsBlank(c)) {
            ++i_;
        } else if (IsLineBreak(c)) {
            if (NewlineDue()) {
                Start(t, TTokenKind::Newline);
                SkipLineBreak();
                return;
            }
            SkipLineBreak();
        } else if (c == u'\'') {
            SkipToLineEnd();
        } else if (c == u'_' && IsContinuation()) {
            // " _" at the end of a line: the statement goes on on the next.
            SkipToLineEnd();
            if (i_ < src_.size()) SkipLineBreak();
        } else if (IsLetter(c)) {
            Start(t, TTokenKind::Name);
            const std::size_t begin = i_;
            while (i_ < src_.size() && IsNameChar(src_[i_])) ++i_;
            t.text = src_.substr(begin, i_ - begin);
            if (const TKeywordInfo* k = FindKeyword(t.text)) t.keyword = k->keyword;
            if (t.keyword == TKeyword::Rem && AtStatementStart()) {
                t = TToken<Char>();
                SkipToLineEnd();
                continue;
            }
            return;
        } else if (IsDigit(c) || (c == u'.' && i_ + 1 < src_.size() && IsDigit(src_[i_ + 1]))) {
            LexNumber(t);
            return;
        } else if (c == u'"') {
            LexString(t);
            return;
        } else if (c == u'&' && i_ + 1 < src_.size() && (src_[i_ + 1] == u'H' || src_[i_ + 1] == u'h')) {
            LexHex(t);
            return;
        } else if (c == u':') {
            Start(t, TTokenKind::Colon);
            ++i_;
            return;
        } else {
            LexSymbol(t);
            return;
        }
    }
    Start(t, NewlineDue() ? TTokenKind::Newline : TTokenKind::End);
}

template <typename Char>
void TLexer<Char>::LexNumber(TToken<Char>& t) {
    Start(t, TTokenKind::Number);
    const std::size_t begin = i_;
    const Char* const data = src_.data();
    const std::size_t size = src_.size();
    // One pass over the digits: the integer digits after leading zeros, and
    // the value of the significant digits (exact while there are at most 15
    // of them; the value is used only then).
    std::size_t at = i_;
    while (at < size && data[at] == Char('0')) ++at;
    const std::size_t intBegin = at;
    uint64_t mantissa = 0;
    for (; at < size && IsDigit(data[at]); ++at) mantissa = mantissa * 10 + static_cast<uint64_t>(data[at] - Char('0'));
    const std::size_t intDigits = at - intBegin;
    std::size_t significant = intDigits;
    i_ = at;
    const bool point = at < size && data[at] == Char('.');
    std::size_t fractionDigits = 0;
    if (point) {
        const std::size_t fractionBegin = ++at;
        // Zeros before the first significant digit only scale the value.
        if (significant == 0)
            while (at < size && data[at] == Char('0')) ++at;
        const std::size_t significantBegin = at;
        for (; at < size && IsDigit(data[at]); ++at)
            mantissa = mantissa * 10 + static_cast<uint64_t>(data[at] - Char('0'));
        significant += at - significantBegin;
        fractionDigits = at - fractionBegin;
    }
    const bool exponentFollows = [&] {
        std::size_t k = at;
        if (k >= size || (data[k] != Char('e') && data[k] != Char('E'))) return false;
        ++k;
        if (k < size && (data[k] == Char('+') || data[k] == Char('-'))) ++k;
        return k < size && IsDigit(data[k]);
    }();
    // A plain integer that fits 32 bits is a Long.
    if (!point && !exponentFollows && intDigits <= 10 && mantissa <= std::numeric_limits<int32_t>::max()) {
        t.lval = static_cast<int32_t>(mantissa);
        return;
    }
    // A decimal of at most 15 significant digits and no exponent is their
    // whole value divided by a power of ten: both are exact doubles, so the
    // one division rounds as reading the text would.
    if (!exponentFollows && significant <= 15 && fractionDigits <= 22) {
        static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        i_ = at;
        t.real = true;
        t.dval = static_cast<double>(mantissa) / kPowers[fractionDigits];
        return;
    }

    // Otherwise the number is read as a Double from its digits.
    std::string ascii;
    for (std::size_t j = begin; j < i_; ++j) ascii += static_cast<char>(src_[j]);
    std::size_t fractionZeros = 0;  // zeros after the point before the first other digit
    bool fractionSignificant = false;
    if (point) {
        ascii += '.';
        ++i_;
        while (i_ < src_.size() && IsDigit(src_[i_])) {
            if (!fractionSignificant && src_[i_] == u'0')
                ++fractionZeros;
            else
                fractionSignificant = true;
            ascii += static_cast<char>(src_[i_++]);
        }
    }
    int64_t exponent = 0;
    if (exponentFollows) {
        std::size_t j = i_ + 1;
        bool negative = false;
        if (src_[j] == u'+' || src_[j] == u'-') negative = src_[j++] == u'-';
        ascii += negative ? "e-" : "e";
        i_ = j;
        while (i_ < src_.size() && IsDigit(src_[i_])) {
            if (exponent < 100000) exponent = exponent * 10 + (src_[i_] - u'0');
            ascii += static_cast<char>(src_[i_++]);
        }
        if (negative) exponent = -exponent;
    }
    if (ascii.front() == '.') ascii.insert(ascii.begin(), '0');

    double value = 0;
    auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Decimal magnitude of the first significant digit tells overflow
        // from underflow (which reads as 0).
        int64_t magnitude = intDigits > 0 ? static_cast<int64_t>(intDigits) - 1 + exponent
                                          : -static_cast<int64_t>(fractionZeros) - 1 + exponent;
        if (magnitude > 0) Fail(t.pos, "Overflow");
        value = 0;
    } else if (ec != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value)) {
        Fail(t.pos, "Invalid number");
    }
    t.real = true;
    t.dval = value;
    return;
}

template <typename Char>
void TLexer<Char>::LexHex(TToken<Char>& t) {
    Start(t, TTokenKind::Number);
    i_ += 2;  // &H
    uint64_t v = 0;
    std::size_t digits = 0;
    while (i_ < src_.size() && HexValue(src_[i_]) >= 0) {
        v = v * 16 + static_cast<uint64_t>(HexValue(src_[i_]));
        if (v > 0xFFFFFFFFu) Fail(t.pos, "Overflow");
        ++digits;
        ++i_;
    }
    if (digits == 0) Fail(t.pos, "Expected hexadecimal digits");
    // 32-bit two's complement: &HFFFFFFFF is -1.
    t.lval = static_cast<int32_t>(static_cast<uint32_t>(v));
    return;
}

template <typename Char>
void TLexer<Char>::LexString(TToken<Char>& t) {
    Start(t, TTokenKind::String);
    const std::size_t begin = ++i_;
    const Char* const data = src_.data();
    const std::size_t size = src_.size();
    std::size_t i = i_;
    unsigned units = 0;  // the code units seen, or'ed: past ASCII when >= 0x80
    bool doubled = false;
    for (;;) {
        // The quote, or the line's end, runs in plain characters; UTF-8 text
        // goes by eight bytes while they are plain ASCII.
        if constexpr (sizeof(Char) == 1) {
            constexpr uint64_t kOnes = 0x0101010101010101ULL;
            constexpr uint64_t kHigh = 0x8080808080808080ULL;
            while (size - i >= 8) {
                uint64_t word;
                std::memcpy(&word, data + i, sizeof word);
                // A byte that is '"', CR or LF becomes zero in one of these.
                const uint64_t quote = word ^ (kOnes * '"');
                const uint64_t cr = word ^ (kOnes * '\r');
                const uint64_t lf = word ^ (kOnes * '\n');
                const uint64_t zero = ((quote - kOnes) & ~quote) | ((cr - kOnes) & ~cr) | ((lf - kOnes) & ~lf);
                if (((zero | word) & kHigh) != 0) break;
                i += 8;
            }
        }
        while (i < size) {
            const Char c = data[i];
            if (c == Char('"') || c == Char('\r') || c == Char('\n')) break;
            units |= static_cast<std::make_unsigned_t<Char>>(c);
            ++i;
        }
        if (i >= size || IsLineBreak(data[i])) {
            i_ = i;
            Fail(t.pos, "Unterminated string constant");
        }
        ++i;
        if (i < size && data[i] == Char('"')) {
            ++i;
            doubled = true;
            continue;
        }
        break;
    }
    i_ = i;
    t.text = src_.substr(begin, i_ - 1 - begin);
    t.plain = units < 0x80 && !doubled;
    if (units >= 0x80) Passed(begin);
    return;
}

template <typename Char>
void TLexer<Char>::LexSymbol(TToken<Char>& t) {
    Start(t, TTokenKind::Symbol);
    const Char c = src_[i_];
    const Char next = i_ + 1 < src_.size() ? src_[i_ + 1] : Char(0);
    if (c == u'<' && next == u'>') {
        t.symbol = TSymbol::NotEqual;
    } else if (c == u'<' && next == u'=') {
        t.symbol = TSymbol::LessEqual;
    } else if (c == u'>' && next == u'=') {
        t.symbol = TSymbol::GreaterEqual;
    } else {
        switch (c) {
            case u'(': t.symbol = TSymbol::LParen; break;
            case u')': t.symbol = TSymbol::RParen; break;
            case u',': t.symbol = TSymbol::Comma; break;
            case u'.': t.symbol = TSymbol::Dot; break;
            case u'=': t.symbol = TSymbol::Equal; break;
            case u'<': t.symbol = TSymbol::Less; break;
            case u'>': t.symbol = TSymbol::Greater; break;
            case u'+': t.symbol = TSymbol::Plus; break;
            case u'-': t.symbol = TSymbol::Minus; break;
            case u'*': t.symbol = TSymbol::Star; break;
            case u'/': t.symbol = TSymbol::Slash; break;
            case u'\\': t.symbol = TSymbol::Backslash; break;
            case u'^': t.symbol = TSymbol::Caret; break;
            case u'&': t.symbol = TSymbol::Ampersand; break;
            default: Fail(t.pos, "Invalid character");
        }
        t.text = src_.substr(i_, 1);
        ++i_;
        return;
    }
    t.text = src_.substr(i_, 2);
    i_ += 2;
    return;
}

std::u16string LowerName(std::u16string_view name) { return LowerAscii(name); }

template class TLexer<char16_t>;
template class TLexer<char>;

}  // namespace vellumark::host
