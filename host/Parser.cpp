#include "host/Parser.h"

#include <algorithm>
#include <array>
#include <span>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/TextCodec.h"
#include "control/MemberTable.h"
#include "host/Lexer.h"

namespace vellumark::host {

namespace {

using TKind = EScriptError::TKind;

// Words that cannot name a variable.
constexpr std::u16string_view kReserved[] = {
    u"and", u"byref", u"byval", u"call", u"case", u"class", u"const", u"dim", u"do",
    u"each", u"else", u"elseif", u"empty", u"end", u"eqv", u"erase", u"exit", u"false",
    u"for", u"function", u"goto", u"if", u"imp", u"in", u"is", u"let", u"loop",
    u"me", u"mod", u"new", u"next", u"not", u"nothing", u"null", u"on", u"option",
    u"or", u"preserve", u"private", u"public", u"redim", u"select", u"set", u"sub", u"then",
    u"true", u"until", u"wend", u"while", u"with", u"xor",
};

// Statements of the full language that scripts for this host cannot use.
constexpr std::u16string_view kUnsupported[] = {
    u"do", u"while", u"sub", u"function", u"select", u"with", u"class", u"redim",
    u"erase", u"goto", u"private", u"public", u"property", u"stop", u"randomize", u"execute",
};

bool InList(std::u16string_view lower, std::span<const std::u16string_view> list) {
    return std::find(list.begin(), list.end(), lower) != list.end();
}

bool IsReserved(std::u16string_view lower) {
    return InList(lower, kReserved) || lower == u"wscript" || lower == u"err";
}

struct TBuiltinInfo {
    std::u16string_view name;
    TBuiltin builtin;
    size_t minArgs;
    size_t maxArgs;
};

constexpr TBuiltinInfo kBuiltins[] = {
    {u"createobject", TBuiltin::CreateObject, 1, 1},
    {u"readbytes", TBuiltin::ReadBytes, 1, 1},
    {u"bitmaphandle", TBuiltin::BitmapHandle, 1, 1},
    {u"packeddibhandle", TBuiltin::PackedDIBHandle, 1, 1},
    {u"chr", TBuiltin::Chr, 1, 1},
    {u"chrw", TBuiltin::ChrW, 1, 1},
    {u"len", TBuiltin::Len, 1, 1},
    {u"cstr", TBuiltin::CStr, 1, 1},
    {u"clng", TBuiltin::CLng, 1, 1},
    {u"cdbl", TBuiltin::CDbl, 1, 1},
    {u"cbool", TBuiltin::CBool, 1, 1},
    {u"int", TBuiltin::Int, 1, 1},
    {u"fix", TBuiltin::Fix, 1, 1},
    {u"abs", TBuiltin::Abs, 1, 1},
    {u"round", TBuiltin::Round, 1, 2},
    {u"sqr", TBuiltin::Sqr, 1, 1},
    {u"sin", TBuiltin::Sin, 1, 1},
    {u"cos", TBuiltin::Cos, 1, 1},
    {u"tan", TBuiltin::Tan, 1, 1},
    {u"atn", TBuiltin::Atn, 1, 1},
    {u"rgb", TBuiltin::RGB, 3, 3},
};

const TBuiltinInfo* FindBuiltin(std::u16string_view lower) {
    for (const TBuiltinInfo& b : kBuiltins)
        if (b.name == lower) return &b;
    return nullptr;
}

// The language's named constants and the type library's enumeration values.
std::optional<TVariant> FindConstant(std::u16string_view lower) {
    struct TStringConst {
        std::u16string_view name;
        std::u16string_view value;
    };
    static constexpr std::array<TStringConst, 7> kStrings = {{
        {u"vbcr", u"\r"},
        {u"vblf", u"\n"},
        {u"vbcrlf", u"\r\n"},
        {u"vbnewline", u"\r\n"},
        {u"vbtab", u"\t"},
        {u"vbnullstring", u""},
        {u"vbnullchar", std::u16string_view(u"\0", 1)},
    }};
    struct TLongConst {
        std::u16string_view name;
        int32_t value;
    };
    static constexpr std::array<TLongConst, 10> kLongs = {{
        {u"vbblack", 0x000000},
        {u"vbred", 0x0000FF},
        {u"vbgreen", 0x00FF00},
        {u"vbyellow", 0x00FFFF},
        {u"vbblue", 0xFF0000},
        {u"vbmagenta", 0xFF00FF},
        {u"vbcyan", 0xFFFF00},
        {u"vbwhite", 0xFFFFFF},
        {u"vbtrue", -1},
        {u"vbfalse", 0},
    }};
    for (const TStringConst& c : kStrings)
        if (c.name == lower) return TVariant::String(std::u16string(c.value));
    for (const TLongConst& c : kLongs)
        if (c.name == lower) return TVariant::Long(c.value);
    if (std::optional<int32_t> v = FindEnumValue(lower)) return TVariant::Long(*v);
    return std::nullopt;
}

std::string Quoted(std::u16string_view name) { return "'" + Utf16ToUtf8(name) + "'"; }

std::string Unsupported(std::u16string_view name) { return "Unsupported statement: " + Quoted(name); }

std::string NoSuchMember(std::u16string_view name) {
    return "Object doesn't support this property or method: " + Quoted(name);
}

std::string WrongArgCount(std::u16string_view name) {
    return "Wrong number of arguments or invalid property assignment: " + Quoted(name);
}

enum class TBlockKind { TopLevel, For, If };

class TParser {
public:
    explicit TParser(std::vector<TToken> tokens) : toks_(std::move(tokens)) {}

    std::unique_ptr<TProgram> Run() {
        prog_ = std::make_unique<TProgram>();
        prog_->statements = ParseBlock(TBlockKind::TopLevel);
        return std::move(prog_);
    }

private:
    std::vector<TToken> toks_;
    size_t p_ = 0;
    std::unique_ptr<TProgram> prog_;
    std::unordered_map<std::u16string, int> slots_;
    int nesting_ = 0;
    int singleLineIf_ = 0;
    int forDepth_ = 0;
    int statementsSeen_ = 0;
    TBlockKind blockKind_ = TBlockKind::TopLevel;

    // Counts one level of recursion for the guard's lifetime.
    class TNest {
    public:
        TNest(TParser& parser, TSourcePos pos) : parser_(parser) {
            if (++parser_.nesting_ > kMaxNesting) parser_.Fail(pos, "Nesting too deep");
        }
        ~TNest() { --parser_.nesting_; }
        TNest(const TNest&) = delete;
        TNest& operator=(const TNest&) = delete;

    private:
        TParser& parser_;
    };

    // ---- tokens ----

    const TToken& Peek(size_t ahead = 0) const {
        size_t i = p_ + ahead;
        return i < toks_.size() ? toks_[i] : toks_.back();
    }
    const TToken& Take() {
        const TToken& t = Peek();
        if (p_ < toks_.size() - 1) ++p_;
        return t;
    }

    [[noreturn]] void Fail(TSourcePos pos, const std::string& message) const {
        throw EScriptError(TKind::Syntax, pos, message);
    }
    [[noreturn]] void FailCompile(TSourcePos pos, const std::string& message) const {
        throw EScriptError(TKind::Compile, pos, message);
    }

    void ExpectSymbol(std::u16string_view symbol) {
        if (!Peek().IsSymbol(symbol)) Fail(Peek().pos, "Expected '" + Utf16ToUtf8(symbol) + "'");
        Take();
    }
    void ExpectKeyword(std::u16string_view lower, const char* message) {
        if (!Peek().IsName(lower)) Fail(Peek().pos, message);
        Take();
    }

    // The end of a statement: a line end, a colon, the source's end, or the
    // Else of a single-line If.
    bool AtStatementEnd() const { return Peek().EndsStatement() || (singleLineIf_ > 0 && Peek().IsName(u"else")); }

    void ExpectStatementEnd() {
        if (!AtStatementEnd()) Fail(Peek().pos, "Expected end of statement");
    }

    // ---- names ----

    int SlotOf(const TToken& name) {
        auto [it, inserted] = slots_.try_emplace(name.lower, static_cast<int>(prog_->variables.size()));
        if (inserted) prog_->variables.push_back({name.text, false});
        return it->second;
    }

    // A name that may be assigned to.
    int AssignableSlot() {
        const TToken& t = Peek();
        if (t.kind != TTokenKind::Name) Fail(t.pos, "Expected identifier");
        if (IsReserved(t.lower)) Fail(t.pos, "Expected identifier");
        if (FindConstant(t.lower) || FindBuiltin(t.lower)) Fail(t.pos, "Illegal assignment: " + Quoted(t.text));
        Take();
        return SlotOf(t);
    }

    // ---- blocks and statements ----

    TBlock ParseBlock(TBlockKind kind) {
        TBlockKind outer = blockKind_;
        blockKind_ = kind;
        TBlock block;
        for (;;) {
            while (Peek().kind == TTokenKind::Newline || Peek().kind == TTokenKind::Colon) Take();
            const TToken& t = Peek();
            if (t.kind == TTokenKind::End) {
                if (kind == TBlockKind::For) Fail(t.pos, "Expected 'Next'");
                if (kind == TBlockKind::If) Fail(t.pos, "Expected 'End If'");
                break;
            }
            if (kind == TBlockKind::For && t.IsName(u"next")) break;
            if (kind == TBlockKind::If && (t.IsName(u"elseif") || t.IsName(u"else") || t.IsName(u"end"))) break;
            ParseStatement(block);
            ExpectStatementEnd();
        }
        blockKind_ = outer;
        return block;
    }

    // Statements that may stand on the rest of a single-line If's line,
    // separated by colons.
    TBlock ParseSingleLineStatements() {
        TBlock block;
        for (;;) {
            while (Peek().kind == TTokenKind::Colon) Take();
            if (AtStatementEnd()) break;
            ParseStatement(block);
            ExpectStatementEnd();
        }
        return block;
    }

    std::unique_ptr<TStmt> NewStmt(TStmtKind kind, TSourcePos pos) {
        auto s = std::make_unique<TStmt>();
        s->kind = kind;
        s->pos = pos;
        return s;
    }

    void ParseStatement(TBlock& out) {
        const TToken& t = Peek();
        if (t.kind != TTokenKind::Name) Fail(t.pos, "Expected statement");
        const TSourcePos pos = t.pos;
        const std::u16string lower = t.lower;
        const bool first = statementsSeen_++ == 0;

        if (lower == u"dim") {
            Take();
            for (;;) {
                int slot = AssignableSlot();
                prog_->variables[static_cast<size_t>(slot)].declared = true;
                if (Peek().IsSymbol(u"(")) Fail(Peek().pos, "Arrays are not supported");
                if (!Peek().IsSymbol(u",")) break;
                Take();
            }
        } else if (lower == u"const") {
            Take();
            for (;;) {
                TSourcePos itemPos = Peek().pos;
                if (Peek().kind == TTokenKind::Name && FindEnumValue(Peek().lower)) {
                    ParseLibraryConstant();
                    if (!Peek().IsSymbol(u",")) break;
                    Take();
                    continue;
                }
                int slot = AssignableSlot();
                prog_->variables[static_cast<size_t>(slot)].declared = true;
                ExpectSymbol(u"=");
                auto s = NewStmt(TStmtKind::Assign, itemPos);
                s->slot = slot;
                s->value = ParseExpr();
                out.push_back(std::move(s));
                if (!Peek().IsSymbol(u",")) break;
                Take();
            }
        } else if (lower == u"option") {
            Take();
            ExpectKeyword(u"explicit", "Expected 'Explicit'");
            if (!first || blockKind_ != TBlockKind::TopLevel || singleLineIf_ > 0)
                Fail(pos, "Option Explicit must come before any other statement");
            prog_->optionExplicit = true;
        } else if (lower == u"set") {
            Take();
            auto s = NewStmt(TStmtKind::SetAssign, pos);
            s->slot = AssignableSlot();
            ExpectSymbol(u"=");
            s->value = ParseExpr();
            out.push_back(std::move(s));
        } else if (lower == u"let") {
            Take();
            auto s = NewStmt(TStmtKind::Assign, pos);
            s->slot = AssignableSlot();
            ExpectSymbol(u"=");
            s->value = ParseExpr();
            out.push_back(std::move(s));
        } else if (lower == u"call") {
            Take();
            out.push_back(ParseCallStatement(pos));
        } else if (lower == u"on") {
            Take();
            ExpectKeyword(u"error", "Expected 'Error'");
            if (Peek().IsName(u"resume")) {
                Take();
                ExpectKeyword(u"next", "Expected 'Next'");
                out.push_back(NewStmt(TStmtKind::OnErrorResumeNext, pos));
            } else if (Peek().IsName(u"goto")) {
                Take();
                const TToken& zero = Peek();
                if (zero.kind != TTokenKind::Number || zero.number.vt != TVarType::I4 || zero.number.lVal != 0)
                    Fail(zero.pos, "Only 'On Error GoTo 0' is supported");
                Take();
                out.push_back(NewStmt(TStmtKind::OnErrorGoto0, pos));
            } else {
                Fail(Peek().pos, "Expected 'Resume Next' or 'GoTo 0'");
            }
        } else if (lower == u"if") {
            out.push_back(ParseIf());
        } else if (lower == u"for") {
            out.push_back(ParseFor());
        } else if (lower == u"exit") {
            Take();
            if (!Peek().IsName(u"for")) Fail(Peek().pos, "Expected 'For'");
            if (forDepth_ == 0) Fail(pos, "Invalid 'Exit For' outside a For loop");
            Take();
            out.push_back(NewStmt(TStmtKind::ExitFor, pos));
        } else if (lower == u"wscript" || lower == u"err") {
            out.push_back(ParseObjectStatement(pos, false));
        } else if (lower == u"next" || lower == u"else" || lower == u"elseif" || lower == u"end" ||
                   lower == u"loop" || lower == u"wend") {
            if (blockKind_ == TBlockKind::For) Fail(pos, "Expected 'Next'");
            if (blockKind_ == TBlockKind::If) Fail(pos, "Expected 'End If'");
            Fail(pos, "Unexpected " + Quoted(t.text));
        } else if (InList(lower, kUnsupported)) {
            Fail(pos, Unsupported(t.text));
        } else if (IsReserved(lower)) {
            Fail(pos, "Expected statement");
        } else if (Peek(1).IsSymbol(u".")) {
            out.push_back(ParseObjectStatement(pos, false));
        } else if (Peek(1).IsSymbol(u"=")) {
            auto s = NewStmt(TStmtKind::Assign, pos);
            s->slot = AssignableSlot();
            ExpectSymbol(u"=");
            s->value = ParseExpr();
            out.push_back(std::move(s));
        } else {
            Fail(pos, "Expected statement");
        }
    }

    // "Const psA4_L = 2": scripts that also run where the control's type
    // library is not loaded declare the enumeration values they use. Such a
    // declaration must give the library's own value, and changes nothing.
    void ParseLibraryConstant() {
        const TToken name = Take();
        ExpectSymbol(u"=");
        TExprPtr value = ParseExpr();
        const int32_t expected = FindEnumValue(name.lower).value_or(0);
        if (value->kind != TExprKind::Literal || value->literal.vt != TVarType::I4 || value->literal.lVal != expected)
            Fail(name.pos, "Name redefined: " + Quoted(name.text));
    }

    std::unique_ptr<TStmt> ParseCallStatement(TSourcePos pos) {
        const TToken& t = Peek();
        if (t.kind != TTokenKind::Name || !Peek(1).IsSymbol(u".")) Fail(t.pos, "Expected object and member after 'Call'");
        if (IsReserved(t.lower) && t.lower != u"wscript" && t.lower != u"err") Fail(t.pos, "Expected identifier");
        return ParseObjectStatement(pos, true);
    }

    // Arguments of a call statement: either "(ARGS)" after Call, or a list
    // without parentheses.
    std::vector<TExprPtr> ParseCallArguments(bool withCall) {
        std::vector<TExprPtr> args;
        if (withCall) {
            if (Peek().IsSymbol(u"(")) args = ParseParenArguments();
            return args;
        }
        if (AtStatementEnd()) return args;
        if (Peek().IsSymbol(u"(") && ParenthesesHoldList()) Fail(Peek().pos, "Cannot use parentheses when calling a Sub");
        for (;;) {
            args.push_back(ParseExpr());
            if (!Peek().IsSymbol(u",")) break;
            Take();
        }
        return args;
    }

    // True when the parenthesised group starting here holds a top-level comma
    // and ends the statement: "D.M(a, b)" written without Call.
    bool ParenthesesHoldList() const {
        int depth = 0;
        bool comma = false;
        for (size_t i = p_; i < toks_.size(); ++i) {
            const TToken& t = toks_[i];
            if (t.EndsStatement()) return false;
            if (t.IsSymbol(u"(")) {
                ++depth;
            } else if (t.IsSymbol(u")")) {
                if (--depth == 0) {
                    const TToken& after = i + 1 < toks_.size() ? toks_[i + 1] : toks_.back();
                    return comma && (after.EndsStatement() || (singleLineIf_ > 0 && after.IsName(u"else")));
                }
            } else if (t.IsSymbol(u",") && depth == 1) {
                comma = true;
            }
        }
        return false;
    }

    // Position of the ")" matching the "(" at the current token, if any on
    // this statement.
    std::optional<size_t> MatchingParen() const {
        int depth = 0;
        for (size_t i = p_; i < toks_.size(); ++i) {
            const TToken& t = toks_[i];
            if (t.EndsStatement()) return std::nullopt;
            if (t.IsSymbol(u"(")) ++depth;
            if (t.IsSymbol(u")") && --depth == 0) return i;
        }
        return std::nullopt;
    }

    // OBJECT.MEMBER ... as a statement: a call, a property put, WScript.Echo,
    // WScript.Quit, Err.Clear or Err.Raise.
    std::unique_ptr<TStmt> ParseObjectStatement(TSourcePos pos, bool withCall) {
        const TToken object = Take();
        Take();  // "."
        const TToken member = Peek();
        if (member.kind != TTokenKind::Name) Fail(member.pos, "Expected identifier");
        Take();

        if (object.lower == u"wscript") {
            if (member.lower == u"echo") {
                auto s = NewStmt(TStmtKind::Echo, pos);
                s->args = ParseCallArguments(withCall);
                return s;
            }
            if (member.lower == u"quit") {
                auto s = NewStmt(TStmtKind::Quit, pos);
                s->args = ParseCallArguments(withCall);
                if (s->args.size() > 1) Fail(member.pos, WrongArgCount(member.text));
                return s;
            }
            FailCompile(member.pos, NoSuchMember(member.text));
        }
        if (object.lower == u"err") {
            if (member.lower == u"clear" || member.lower == u"raise") {
                bool clear = member.lower == u"clear";
                auto s = NewStmt(clear ? TStmtKind::ErrClear : TStmtKind::ErrRaise, pos);
                s->args = ParseCallArguments(withCall);
                if (clear ? !s->args.empty() : (s->args.empty() || s->args.size() > 5))
                    Fail(member.pos, WrongArgCount(member.text));
                return s;
            }
            if (member.lower == u"number" || member.lower == u"description" || member.lower == u"source")
                Fail(member.pos, "Err." + Utf16ToUtf8(member.text) + " cannot be set or called here");
            FailCompile(member.pos, NoSuchMember(member.text));
        }

        std::optional<int32_t> dispid = FindDispId(member.text);
        if (!dispid) FailCompile(member.pos, NoSuchMember(member.text));
        const int slot = SlotOf(object);

        if (!withCall) {
            // D.Prop = v, D.Prop(i) = v
            bool put = Peek().IsSymbol(u"=");
            if (!put && Peek().IsSymbol(u"(")) {
                std::optional<size_t> close = MatchingParen();
                put = close && *close + 1 < toks_.size() && toks_[*close + 1].IsSymbol(u"=");
            }
            if (put) {
                auto s = NewStmt(TStmtKind::PropertyPut, pos);
                s->slot = slot;
                s->name = member.text;
                s->dispid = *dispid;
                if (Peek().IsSymbol(u"(")) s->args = ParseParenArguments();
                ExpectSymbol(u"=");
                s->value = ParseExpr();
                return s;
            }
        }
        auto s = NewStmt(TStmtKind::Call, pos);
        s->slot = slot;
        s->name = member.text;
        s->dispid = *dispid;
        s->args = ParseCallArguments(withCall);
        return s;
    }

    std::unique_ptr<TStmt> ParseIf() {
        const TSourcePos pos = Take().pos;
        TNest nest(*this, pos);
        auto s = NewStmt(TStmtKind::If, pos);
        TIfBranch branch;
        branch.pos = pos;
        branch.condition = ParseExpr();
        ExpectKeyword(u"then", "Expected 'Then'");

        if (!Peek().EndsStatement()) {
            // Single-line form: the rest of the line.
            ++singleLineIf_;
            branch.body = ParseSingleLineStatements();
            s->branches.push_back(std::move(branch));
            if (Peek().IsName(u"else")) {
                Take();
                s->elseBlock = ParseSingleLineStatements();
            }
            --singleLineIf_;
            return s;
        }
        if (singleLineIf_ > 0) Fail(Peek().pos, "Expected statement");

        branch.body = ParseBlock(TBlockKind::If);
        s->branches.push_back(std::move(branch));
        for (;;) {
            const TToken& t = Peek();
            if (t.IsName(u"elseif")) {
                TIfBranch more;
                more.pos = Take().pos;
                more.condition = ParseExpr();
                ExpectKeyword(u"then", "Expected 'Then'");
                more.body = ParseBlock(TBlockKind::If);
                s->branches.push_back(std::move(more));
            } else if (t.IsName(u"else")) {
                Take();
                s->elseBlock = ParseBlock(TBlockKind::If);
                if (!Peek().IsName(u"end")) Fail(Peek().pos, "Expected 'End If'");
            } else {
                // ParseBlock stops only at ElseIf, Else or End.
                Take();
                ExpectKeyword(u"if", "Expected 'If'");
                break;
            }
        }
        return s;
    }

    std::unique_ptr<TStmt> ParseFor() {
        const TSourcePos pos = Take().pos;
        TNest nest(*this, pos);
        if (singleLineIf_ > 0) Fail(pos, "Expected statement");
        auto s = NewStmt(TStmtKind::For, pos);
        s->slot = AssignableSlot();
        ExpectSymbol(u"=");
        s->from = ParseExpr();
        ExpectKeyword(u"to", "Expected 'To'");
        s->to = ParseExpr();
        if (Peek().IsName(u"step")) {
            Take();
            s->step = ParseExpr();
        }
        ExpectStatementEnd();
        ++forDepth_;
        s->body = ParseBlock(TBlockKind::For);
        --forDepth_;
        Take();  // Next
        return s;
    }

    // ---- expressions ----

    TExprPtr NewExpr(TExprKind kind, TSourcePos pos) {
        auto e = std::make_unique<TExpr>();
        e->kind = kind;
        e->pos = pos;
        return e;
    }

    // Sets a node's height from its operands and enforces the limit.
    TExprPtr Seal(TExprPtr e) {
        int depth = 0;
        for (const TExprPtr& a : e->args) depth = std::max(depth, a->depth);
        e->depth = depth + 1;
        if (e->depth > kMaxExpressionDepth) Fail(e->pos, "Expression too complex");
        return e;
    }

    TExprPtr Binary(TBinaryOp op, TSourcePos pos, TExprPtr left, TExprPtr right) {
        auto e = NewExpr(TExprKind::Binary, pos);
        e->binaryOp = op;
        e->args.push_back(std::move(left));
        e->args.push_back(std::move(right));
        return Seal(std::move(e));
    }

    TExprPtr Unary(TUnaryOp op, TSourcePos pos, TExprPtr operand) {
        auto e = NewExpr(TExprKind::Unary, pos);
        e->unaryOp = op;
        e->args.push_back(std::move(operand));
        return Seal(std::move(e));
    }

    TExprPtr ParseExpr() {
        TNest nest(*this, Peek().pos);
        return ParseXor();
    }

    TExprPtr ParseXor() {
        TExprPtr left = ParseOr();
        while (Peek().IsName(u"xor")) {
            TSourcePos pos = Take().pos;
            left = Binary(TBinaryOp::Xor, pos, std::move(left), ParseOr());
        }
        return left;
    }

    TExprPtr ParseOr() {
        TExprPtr left = ParseAnd();
        while (Peek().IsName(u"or")) {
            TSourcePos pos = Take().pos;
            left = Binary(TBinaryOp::Or, pos, std::move(left), ParseAnd());
        }
        return left;
    }

    TExprPtr ParseAnd() {
        TExprPtr left = ParseNot();
        while (Peek().IsName(u"and")) {
            TSourcePos pos = Take().pos;
            left = Binary(TBinaryOp::And, pos, std::move(left), ParseNot());
        }
        return left;
    }

    TExprPtr ParseNot() {
        if (Peek().IsName(u"not")) {
            TSourcePos pos = Take().pos;
            TNest nest(*this, pos);
            return Unary(TUnaryOp::Not, pos, ParseNot());
        }
        return ParseComparison();
    }

    TExprPtr ParseComparison() {
        TExprPtr left = ParseConcat();
        for (;;) {
            const TToken& t = Peek();
            TBinaryOp op;
            if (t.IsSymbol(u"="))
                op = TBinaryOp::Equal;
            else if (t.IsSymbol(u"<>"))
                op = TBinaryOp::NotEqual;
            else if (t.IsSymbol(u"<"))
                op = TBinaryOp::Less;
            else if (t.IsSymbol(u">"))
                op = TBinaryOp::Greater;
            else if (t.IsSymbol(u"<="))
                op = TBinaryOp::LessEqual;
            else if (t.IsSymbol(u">="))
                op = TBinaryOp::GreaterEqual;
            else
                return left;
            TSourcePos pos = Take().pos;
            left = Binary(op, pos, std::move(left), ParseConcat());
        }
    }

    TExprPtr ParseConcat() {
        TExprPtr left = ParseAdditive();
        while (Peek().IsSymbol(u"&")) {
            TSourcePos pos = Take().pos;
            left = Binary(TBinaryOp::Concat, pos, std::move(left), ParseAdditive());
        }
        return left;
    }

    TExprPtr ParseAdditive() {
        TExprPtr left = ParseMod();
        for (;;) {
            TBinaryOp op;
            if (Peek().IsSymbol(u"+"))
                op = TBinaryOp::Add;
            else if (Peek().IsSymbol(u"-"))
                op = TBinaryOp::Subtract;
            else
                return left;
            TSourcePos pos = Take().pos;
            left = Binary(op, pos, std::move(left), ParseMod());
        }
    }

    TExprPtr ParseMod() {
        TExprPtr left = ParseIntDivide();
        while (Peek().IsName(u"mod")) {
            TSourcePos pos = Take().pos;
            left = Binary(TBinaryOp::Mod, pos, std::move(left), ParseIntDivide());
        }
        return left;
    }

    TExprPtr ParseIntDivide() {
        TExprPtr left = ParseMultiplicative();
        while (Peek().IsSymbol(u"\\")) {
            TSourcePos pos = Take().pos;
            left = Binary(TBinaryOp::IntDivide, pos, std::move(left), ParseMultiplicative());
        }
        return left;
    }

    TExprPtr ParseMultiplicative() {
        TExprPtr left = ParseUnary();
        for (;;) {
            TBinaryOp op;
            if (Peek().IsSymbol(u"*"))
                op = TBinaryOp::Multiply;
            else if (Peek().IsSymbol(u"/"))
                op = TBinaryOp::Divide;
            else
                return left;
            TSourcePos pos = Take().pos;
            left = Binary(op, pos, std::move(left), ParseUnary());
        }
    }

    // Unary minus binds less tightly than "^": -2 ^ 2 is -4.
    TExprPtr ParseUnary() {
        if (Peek().IsSymbol(u"-") || Peek().IsSymbol(u"+")) {
            const TToken& t = Take();
            TSourcePos pos = t.pos;
            bool negate = t.text == u"-";
            TNest nest(*this, pos);
            TExprPtr operand = ParseUnary();
            if (!negate) return operand;
            return Unary(TUnaryOp::Negate, pos, std::move(operand));
        }
        return ParsePower();
    }

    TExprPtr ParsePower() {
        TExprPtr left = ParsePrimary();
        while (Peek().IsSymbol(u"^")) {
            TSourcePos pos = Take().pos;
            TExprPtr right;
            if (Peek().IsSymbol(u"-") || Peek().IsSymbol(u"+"))
                right = ParseUnary();  // 2 ^ -1
            else
                right = ParsePrimary();
            left = Binary(TBinaryOp::Power, pos, std::move(left), std::move(right));
        }
        return left;
    }

    std::vector<TExprPtr> ParseParenArguments() {
        std::vector<TExprPtr> args;
        ExpectSymbol(u"(");
        if (Peek().IsSymbol(u")")) {
            Take();
            return args;
        }
        for (;;) {
            args.push_back(ParseExpr());
            if (!Peek().IsSymbol(u",")) break;
            Take();
        }
        ExpectSymbol(u")");
        return args;
    }

    TExprPtr Literal(TSourcePos pos, TVariant value) {
        auto e = NewExpr(TExprKind::Literal, pos);
        e->literal = std::move(value);
        return e;
    }

    TExprPtr ParsePrimary() {
        const TToken& t = Peek();
        const TSourcePos pos = t.pos;
        switch (t.kind) {
            case TTokenKind::Number: return Literal(pos, Take().number);
            case TTokenKind::String: return Literal(pos, TVariant::String(Take().text));
            case TTokenKind::Symbol:
                if (t.IsSymbol(u"(")) {
                    Take();
                    TExprPtr inner = ParseExpr();
                    ExpectSymbol(u")");
                    return inner;
                }
                Fail(pos, "Expected expression");
            case TTokenKind::Name: break;
            default: Fail(pos, "Expected expression");
        }

        const TToken name = Take();
        const std::u16string& lower = name.lower;
        if (lower == u"true") return Literal(pos, TVariant::Bool(true));
        if (lower == u"false") return Literal(pos, TVariant::Bool(false));
        if (lower == u"empty") return Literal(pos, TVariant{});
        if (lower == u"nothing") return NewExpr(TExprKind::Nothing, pos);
        if (lower == u"err") return ParseErrRead(pos);
        if (lower == u"wscript") {
            if (!Peek().IsSymbol(u".")) Fail(pos, "Expected expression");
            Take();
            const TToken member = Peek();
            if (member.kind != TTokenKind::Name) Fail(member.pos, "Expected identifier");
            if (member.lower == u"echo" || member.lower == u"quit")
                Fail(member.pos, "WScript." + Utf16ToUtf8(member.text) + " has no value");
            FailCompile(member.pos, NoSuchMember(member.text));
        }
        if (IsReserved(lower)) Fail(pos, "Expected expression");
        if (const TBuiltinInfo* builtin = FindBuiltin(lower)) {
            if (!Peek().IsSymbol(u"(")) Fail(Peek().pos, "Expected '('");
            auto e = NewExpr(TExprKind::Builtin, pos);
            e->builtin = builtin->builtin;
            e->name = name.text;
            e->args = ParseParenArguments();
            if (e->args.size() < builtin->minArgs || e->args.size() > builtin->maxArgs)
                Fail(pos, WrongArgCount(name.text));
            return Seal(std::move(e));
        }
        if (std::optional<TVariant> constant = FindConstant(lower)) return Literal(pos, std::move(*constant));

        if (Peek().IsSymbol(u".")) {
            Take();
            const TToken member = Peek();
            if (member.kind != TTokenKind::Name) Fail(member.pos, "Expected identifier");
            Take();
            std::optional<int32_t> dispid = FindDispId(member.text);
            if (!dispid) FailCompile(member.pos, NoSuchMember(member.text));
            auto e = NewExpr(TExprKind::Member, pos);
            e->slot = SlotOf(name);
            e->name = member.text;
            e->dispid = *dispid;
            if (Peek().IsSymbol(u"(")) e->args = ParseParenArguments();
            return Seal(std::move(e));
        }
        if (Peek().IsSymbol(u"(")) FailCompile(pos, "Unknown function: " + Quoted(name.text));
        auto e = NewExpr(TExprKind::Variable, pos);
        e->slot = SlotOf(name);
        return e;
    }

    // Err alone reads Err.Number, its default property.
    TExprPtr ParseErrRead(TSourcePos pos) {
        auto e = NewExpr(TExprKind::ErrProperty, pos);
        e->errProperty = TErrProperty::Number;
        if (!Peek().IsSymbol(u".")) return e;
        Take();
        const TToken member = Peek();
        if (member.kind != TTokenKind::Name) Fail(member.pos, "Expected identifier");
        Take();
        if (member.lower == u"number")
            e->errProperty = TErrProperty::Number;
        else if (member.lower == u"description")
            e->errProperty = TErrProperty::Description;
        else if (member.lower == u"source")
            e->errProperty = TErrProperty::Source;
        else if (member.lower == u"clear" || member.lower == u"raise")
            Fail(member.pos, "Err." + Utf16ToUtf8(member.text) + " has no value");
        else
            FailCompile(member.pos, NoSuchMember(member.text));
        return e;
    }
};

}  // namespace

TParseResult ParseScript(std::u16string_view source) {
    TParseResult result;
    try {
        result.program = TParser(Tokenize(source)).Run();
    } catch (const EScriptError& e) {
        TDiagnostic d;
        d.kind = e.Kind() == EScriptError::TKind::Compile ? TDiagnostic::TKind::Compile : TDiagnostic::TKind::Syntax;
        d.pos = e.Pos();
        d.message = e.what();
        result.error = std::move(d);
        result.program.reset();
    }
    return result;
}

}  // namespace vellumark::host
