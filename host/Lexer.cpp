#include "base/NoCase.h"
#include "host/Lexer.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace vellumark::host {

namespace {

bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsNameChar(char16_t c) { return IsLetter(c) || IsDigit(c) || c == u'_'; }
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; }
bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

int HexValue(char16_t c) {
    if (IsDigit(c)) return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

class TLexer {
public:
    explicit TLexer(std::u16string_view src) : src_(src) {}

    std::vector<TToken> Run() {
        while (i_ < src_.size()) {
            char16_t c = src_[i_];
            if (IsBlank(c)) {
                ++i_;
            } else if (IsLineBreak(c)) {
                EmitNewline();
                SkipLineBreak();
            } else if (c == u'\'') {
                SkipToLineEnd();
            } else if (c == u'_' && IsContinuation()) {
                // " _" at the end of a line: the statement goes on on the next.
                while (i_ < src_.size() && !IsLineBreak(src_[i_])) ++i_;
                if (i_ < src_.size()) SkipLineBreak();
            } else if (IsLetter(c)) {
                LexName();
            } else if (IsDigit(c) || (c == u'.' && i_ + 1 < src_.size() && IsDigit(src_[i_ + 1]))) {
                LexNumber();
            } else if (c == u'"') {
                LexString();
            } else if (c == u'&' && i_ + 1 < src_.size() && (src_[i_ + 1] == u'H' || src_[i_ + 1] == u'h')) {
                LexHex();
            } else if (c == u':') {
                TToken t = Start(TTokenKind::Colon);
                ++i_;
                tokens_.push_back(std::move(t));
            } else {
                LexSymbol();
            }
        }
        EmitNewline();
        TToken end = Start(TTokenKind::End);
        tokens_.push_back(std::move(end));
        return std::move(tokens_);
    }

private:
    std::u16string_view src_;
    size_t i_ = 0;
    size_t lineStart_ = 0;
    int line_ = 1;
    std::vector<TToken> tokens_;

    TSourcePos Pos() const { return {line_, static_cast<int>(i_ - lineStart_) + 1}; }

    TToken Start(TTokenKind kind) const {
        TToken t;
        t.kind = kind;
        t.pos = Pos();
        return t;
    }

    [[noreturn]] void Fail(TSourcePos pos, const std::string& message) const {
        throw EScriptError(EScriptError::TKind::Syntax, pos, message);
    }

    void SkipLineBreak() {
        if (src_[i_] == u'\r' && i_ + 1 < src_.size() && src_[i_ + 1] == u'\n') ++i_;
        ++i_;
        ++line_;
        lineStart_ = i_;
    }

    void SkipToLineEnd() {
        while (i_ < src_.size() && !IsLineBreak(src_[i_])) ++i_;
    }

    void EmitNewline() {
        // Blank lines and comment lines add nothing.
        if (tokens_.empty() || tokens_.back().kind == TTokenKind::Newline) return;
        tokens_.push_back(Start(TTokenKind::Newline));
    }

    // An underscore continues the line when blanks (or the line's start) come
    // before it and only blanks follow it up to the line's end.
    bool IsContinuation() const {
        if (i_ > lineStart_ && !IsBlank(src_[i_ - 1])) return false;
        for (size_t j = i_ + 1; j < src_.size() && !IsLineBreak(src_[j]); ++j)
            if (!IsBlank(src_[j])) return false;
        return true;
    }

    // Rem is a comment where a statement may begin.
    bool AtStatementStart() const {
        if (tokens_.empty()) return true;
        const TToken& last = tokens_.back();
        return last.kind == TTokenKind::Newline || last.kind == TTokenKind::Colon || last.IsName(u"then") ||
               last.IsName(u"else");
    }

    void LexName() {
        TToken t = Start(TTokenKind::Name);
        size_t begin = i_;
        while (i_ < src_.size() && IsNameChar(src_[i_])) ++i_;
        t.text = std::u16string(src_.substr(begin, i_ - begin));
        t.lower = LowerName(t.text);
        if (t.lower == u"rem" && AtStatementStart()) {
            SkipToLineEnd();
            return;
        }
        tokens_.push_back(std::move(t));
    }

    void LexNumber() {
        TToken t = Start(TTokenKind::Number);
        std::string ascii;
        bool real = false;
        size_t intDigits = 0;         // integer digits after leading zeros
        size_t fractionZeros = 0;     // zeros after the point before the first other digit
        bool fractionSignificant = false;
        while (i_ < src_.size() && IsDigit(src_[i_])) {
            if (intDigits > 0 || src_[i_] != u'0') ++intDigits;
            ascii += static_cast<char>(src_[i_++]);
        }
        if (i_ < src_.size() && src_[i_] == u'.') {
            real = true;
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
        if (i_ < src_.size() && (src_[i_] == u'e' || src_[i_] == u'E')) {
            size_t j = i_ + 1;
            bool negative = false;
            if (j < src_.size() && (src_[j] == u'+' || src_[j] == u'-')) negative = src_[j++] == u'-';
            if (j < src_.size() && IsDigit(src_[j])) {
                real = true;
                ascii += negative ? "e-" : "e";
                i_ = j;
                while (i_ < src_.size() && IsDigit(src_[i_])) {
                    if (exponent < 100000) exponent = exponent * 10 + (src_[i_] - u'0');
                    ascii += static_cast<char>(src_[i_++]);
                }
                if (negative) exponent = -exponent;
            }
        }
        if (ascii.front() == '.') ascii.insert(ascii.begin(), '0');

        if (!real && intDigits <= 10) {
            int64_t v = 0;
            for (char ch : ascii) v = v * 10 + (ch - '0');
            if (v <= std::numeric_limits<int32_t>::max()) {
                t.number = TVariant::Long(static_cast<int32_t>(v));
                tokens_.push_back(std::move(t));
                return;
            }
        }
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
        t.number = TVariant::Double(value);
        tokens_.push_back(std::move(t));
    }

    void LexHex() {
        TToken t = Start(TTokenKind::Number);
        i_ += 2;  // &H
        uint64_t v = 0;
        size_t digits = 0;
        while (i_ < src_.size() && HexValue(src_[i_]) >= 0) {
            v = v * 16 + static_cast<uint64_t>(HexValue(src_[i_]));
            if (v > 0xFFFFFFFFu) Fail(t.pos, "Overflow");
            ++digits;
            ++i_;
        }
        if (digits == 0) Fail(t.pos, "Expected hexadecimal digits");
        // 32-bit two's complement: &HFFFFFFFF is -1.
        t.number = TVariant::Long(static_cast<int32_t>(static_cast<uint32_t>(v)));
        tokens_.push_back(std::move(t));
    }

    void LexString() {
        TToken t = Start(TTokenKind::String);
        ++i_;
        for (;;) {
            if (i_ >= src_.size() || IsLineBreak(src_[i_])) Fail(t.pos, "Unterminated string constant");
            char16_t c = src_[i_++];
            if (c == u'"') {
                if (i_ < src_.size() && src_[i_] == u'"') {
                    t.text += u'"';
                    ++i_;
                    continue;
                }
                break;
            }
            t.text += c;
        }
        tokens_.push_back(std::move(t));
    }

    void LexSymbol() {
        TToken t = Start(TTokenKind::Symbol);
        char16_t c = src_[i_];
        char16_t next = i_ + 1 < src_.size() ? src_[i_ + 1] : u'\0';
        if ((c == u'<' && (next == u'>' || next == u'=')) || (c == u'>' && next == u'=')) {
            t.text = {c, next};
            i_ += 2;
        } else if (std::u16string_view(u"(),.=<>+-*/\\^&").find(c) != std::u16string_view::npos) {
            t.text = {c};
            ++i_;
        } else {
            Fail(t.pos, "Invalid character");
        }
        tokens_.push_back(std::move(t));
    }
};

}  // namespace

std::u16string LowerName(std::u16string_view name) { return LowerAscii(name); }

std::vector<TToken> Tokenize(std::u16string_view source) { return TLexer(source).Run(); }

}  // namespace vellumark::host
