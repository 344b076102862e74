#include "host/Parser.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <deque>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/NoCase.h"
#include "base/TextCodec.h"
#include "control/MemberTable.h"
#include "host/Lexer.h"
#include "host/ScriptSource.h"

namespace vellumark::host {

namespace {

using TKind = EScriptError::TKind;

struct TBuiltinInfo {
    std::u16string_view name;
    TBuiltin builtin;
    uint32_t minArgs;
    uint32_t maxArgs;
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
    {u"left", TBuiltin::Left, 2, 2},
    {u"right", TBuiltin::Right, 2, 2},
    {u"mid", TBuiltin::Mid, 2, 3},
    {u"instr", TBuiltin::InStr, 2, 4},
    {u"instrrev", TBuiltin::InStrRev, 2, 4},
    {u"replace", TBuiltin::Replace, 3, 6},
    {u"split", TBuiltin::Split, 1, 4},
    {u"join", TBuiltin::Join, 1, 2},
    {u"trim", TBuiltin::Trim, 1, 1},
    {u"ltrim", TBuiltin::LTrim, 1, 1},
    {u"rtrim", TBuiltin::RTrim, 1, 1},
    {u"ucase", TBuiltin::UCase, 1, 1},
    {u"lcase", TBuiltin::LCase, 1, 1},
    {u"space", TBuiltin::Space, 1, 1},
    {u"string", TBuiltin::String, 2, 2},
    {u"strreverse", TBuiltin::StrReverse, 1, 1},
    {u"asc", TBuiltin::Asc, 1, 1},
    {u"ascw", TBuiltin::AscW, 1, 1},
    {u"cint", TBuiltin::CInt, 1, 1},
    {u"isnumeric", TBuiltin::IsNumeric, 1, 1},
    {u"isempty", TBuiltin::IsEmpty, 1, 1},
    {u"isarray", TBuiltin::IsArray, 1, 1},
    {u"formatnumber", TBuiltin::FormatNumber, 1, 5},
    {u"ubound", TBuiltin::UBound, 1, 2},
    {u"lbound", TBuiltin::LBound, 1, 2},
    {u"array", TBuiltin::Array, 0, UINT32_MAX},
    {u"now", TBuiltin::Now, 0, 0},
    {u"date", TBuiltin::Date, 0, 0},
    {u"time", TBuiltin::Time, 0, 0},
    {u"year", TBuiltin::Year, 1, 1},
    {u"month", TBuiltin::Month, 1, 1},
    {u"day", TBuiltin::Day, 1, 1},
    {u"hour", TBuiltin::Hour, 1, 1},
    {u"minute", TBuiltin::Minute, 1, 1},
    {u"second", TBuiltin::Second, 1, 1},
    {u"formatdatetime", TBuiltin::FormatDateTime, 1, 2},
};

// The members of the host's own objects, by name.
constexpr std::pair<std::u16string_view, THostMember> kHostMembers[] = {
    {u"count", THostMember::Count},
    {u"item", THostMember::Item},
    {u"length", THostMember::Length},
    {u"opentextfile", THostMember::OpenTextFile},
    {u"fileexists", THostMember::FileExists},
    {u"readline", THostMember::ReadLine},
    {u"readall", THostMember::ReadAll},
    {u"atendofstream", THostMember::AtEndOfStream},
    {u"close", THostMember::Close},
};

template <typename Char>
THostMember HostMemberOf(std::basic_string_view<Char> name) {
    for (const auto& [word, member] : kHostMembers)
        if (EqualsNoCase(name, word)) return member;
    return THostMember::None;
}

// The language's named string constants.
constexpr std::array<std::pair<std::u16string_view, std::u16string_view>, 7> kStringConstants = {{
    {u"vbcr", u"\r"},
    {u"vblf", u"\n"},
    {u"vbcrlf", u"\r\n"},
    {u"vbnewline", u"\r\n"},
    {u"vbtab", u"\t"},
    {u"vbnullstring", u""},
    {u"vbnullchar", std::u16string_view(u"\0", 1)},
}};

// The language's named numeric constants.
constexpr std::array<std::pair<std::u16string_view, int32_t>, 19> kLongConstants = {{
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
    {u"vbusedefault", -2},
    {u"vbbinarycompare", 0},
    {u"vbtextcompare", 1},
    {u"vbgeneraldate", 0},
    {u"vblongdate", 1},
    {u"vbshortdate", 2},
    {u"vblongtime", 3},
    {u"vbshorttime", 4},
    {u"forreading", 1},
}};

// What a name that is not a keyword stands for, found once per name: an
// intrinsic function, a named constant (the language's, then the type
// library's enumeration values), and the variable's slot once it is used as
// one.
struct TNameInfo {
    enum class TConstant : uint8_t { None, String, Long };
    const TBuiltinInfo* builtin = nullptr;
    TConstant constant = TConstant::None;
    int32_t value = 0;  // String: index in kStringConstants; Long: the value
    int32_t slot = -1;
    int32_t procedure = -1;  // the Sub or Function of that name
    bool topLevel = false;   // used as a variable outside procedures
};

// Names are ASCII in either source form.
template <typename Char>
std::u16string WidenName(std::basic_string_view<Char> name) {
    return std::u16string(name.begin(), name.end());
}

// A name as UTF-8, for messages.
template <typename Char>
std::string NameText(std::basic_string_view<Char> name) {
    if constexpr (sizeof(Char) == 1)
        return std::string(name);
    else
        return Utf16ToUtf8(name);
}

template <typename Char>
TNameInfo Classify(std::basic_string_view<Char> name) {
    TNameInfo info;
    for (const TBuiltinInfo& b : kBuiltins)
        if (EqualsNoCase(name, b.name)) {
            info.builtin = &b;
            break;
        }
    for (std::size_t i = 0; i < kStringConstants.size(); ++i)
        if (EqualsNoCase(name, kStringConstants[i].first)) {
            info.constant = TNameInfo::TConstant::String;
            info.value = static_cast<int32_t>(i);
            return info;
        }
    for (const auto& [word, value] : kLongConstants)
        if (EqualsNoCase(name, word)) {
            info.constant = TNameInfo::TConstant::Long;
            info.value = value;
            return info;
        }
    if (std::optional<int32_t> v = FindEnumValue(WidenName(name))) {
        info.constant = TNameInfo::TConstant::Long;
        info.value = *v;
    }
    return info;
}

// A table of names (UTF-16 keys, looked up with text of either source form):
// open addressing over a power-of-two array of entry numbers; entries stay
// where they are, so references to values last.
template <typename Value, bool NoCase>
class TNameTable {
public:
    template <typename Char>
    Value* Find(std::basic_string_view<Char> key) {
        if (entries_.empty()) return nullptr;
        const uint64_t hash = Hash(key);
        for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
            const uint32_t number = slots_[i];
            if (number == 0) return nullptr;
            TEntry& entry = entries_[number - 1];
            if (entry.hash == hash && Equal(std::u16string_view(entry.key), key)) return &entry.value;
        }
    }

    // Adds a key that is not in the table.
    Value& Insert(std::u16string key, Value value) {
        if (entries_.size() >= UINT32_MAX / 2) throw std::bad_alloc();
        if ((entries_.size() + 1) * 2 > slots_.size()) Grow();
        const uint64_t hash = Hash(std::u16string_view(key));
        entries_.push_back({std::move(key), hash, std::move(value)});
        Place(hash, static_cast<uint32_t>(entries_.size()));
        return entries_.back().value;
    }

private:
    struct TEntry {
        std::u16string key;
        uint64_t hash;
        Value value;
    };
    std::deque<TEntry> entries_;
    std::vector<uint32_t> slots_;  // entry number + 1, 0 when free
    std::size_t mask_ = 0;

    template <typename Char>
    static uint64_t Hash(std::basic_string_view<Char> text) {
        uint64_t h = 14695981039346656037ULL;
        for (Char c : text) {
            uint32_t unit = static_cast<std::make_unsigned_t<Char>>(c);
            if (NoCase) unit = AsciiLower(unit);
            h = (h ^ unit) * 1099511628211ULL;
        }
        return h ^ (h >> 29);
    }

    template <typename Char>
    static bool Equal(std::u16string_view a, std::basic_string_view<Char> b) {
        if constexpr (NoCase) {
            return EqualsNoCase(a, b);
        } else {
            if (a.size() != b.size()) return false;
            for (std::size_t i = 0; i < a.size(); ++i)
                if (a[i] != static_cast<std::make_unsigned_t<Char>>(b[i])) return false;
            return true;
        }
    }

    void Place(uint64_t hash, uint32_t number) {
        std::size_t i = hash & mask_;
        while (slots_[i] != 0) i = (i + 1) & mask_;
        slots_[i] = number;
    }

    void Grow() {
        const std::size_t size = std::max<std::size_t>(16, slots_.size() * 2);
        slots_.assign(size, 0);
        mask_ = size - 1;
        for (std::size_t k = 0; k < entries_.size(); ++k) Place(entries_[k].hash, static_cast<uint32_t>(k + 1));
    }
};

template <typename Char>
std::string Quoted(std::basic_string_view<Char> name) {
    return "'" + NameText(name) + "'";
}

template <typename Char>
std::string Unsupported(std::basic_string_view<Char> name) {
    return "Unsupported statement: " + Quoted(name);
}

template <typename Char>
std::string NoSuchMember(std::basic_string_view<Char> name) {
    return "Object doesn't support this property or method: " + Quoted(name);
}

template <typename Char>
std::string WrongArgCount(std::basic_string_view<Char> name) {
    return "Wrong number of arguments or invalid property assignment: " + Quoted(name);
}

const char* SymbolText(TSymbol symbol) {
    switch (symbol) {
        case TSymbol::LParen: return "(";
        case TSymbol::RParen: return ")";
        default: return "=";
    }
}

template <typename Char>
bool IsReserved(const TToken<Char>& t) {
    return IsReservedWord(t.keyword);
}

enum class TBlockKind { TopLevel, For, If, Do, While, Case, Procedure };

// An expression just parsed: its root node (the last one added) and its
// height.
struct TExprRef {
    uint32_t node = 0;
    int depth = 1;
};

// A list of expressions (arguments) once parsed: their roots stand together
// at [first, first + count).
struct TList {
    uint32_t first = 0;
    uint32_t count = 0;
    int depth = 0;  // the highest of them
};

template <typename Char>
class TParser {
    using TText = std::basic_string_view<Char>;
    using TTok = TToken<Char>;

public:
    explicit TParser(TText source) : lexer_(source) {}

    std::unique_ptr<TProgram> Run() {
        prog_ = std::make_unique<TProgram>();
        ParseBlock(TBlockKind::TopLevel);
        prog_->mainEnd = static_cast<uint32_t>(prog_->statements.size());
        ResolveNames();
        return std::move(prog_);
    }

    // The first lexical error from where the parser stopped to the end of the
    // source, if there is one.
    std::optional<EScriptError> LexicalErrorAhead() {
        try {
            while (lexer_.Next().kind != TTokenKind::End) {
            }
        } catch (const EScriptError& e) {
            return e;
        }
        return std::nullopt;
    }

private:
    TLexer<Char> lexer_;
    // Tokens read ahead: the current one and at most one more.
    static constexpr std::size_t kAhead = 4;
    std::array<TTok, kAhead> ahead_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;

    std::unique_ptr<TProgram> prog_;
    TNameTable<TNameInfo, true> names_;
    TNameTable<uint32_t, false> spellings_;  // index in names
    // Members by spelling: dispatch id, the spelling in names, and the call
    // sites made so far by object slot and form (slot * 2 + put).
    struct TMemberName {
        std::optional<int32_t> dispid;
        uint32_t name = 0;
        THostMember host = THostMember::None;
        std::vector<std::pair<uint64_t, uint32_t>> sites;
    };
    // The procedure being parsed: its locals by lower-case name (and whether
    // each one is made by its first use), and where its expressions begin.
    struct TScope {
        uint32_t procedure = 0;
        std::vector<std::u16string> names;
        std::vector<bool> implicit;
    };
    std::optional<TScope> scope_;
    // What ResolveNames needs of each procedure once parsed.
    struct TParsedProcedure {
        uint32_t exprFirst = 0;
        uint32_t exprEnd = 0;
        uint32_t siteFirst = 0;
        uint32_t siteEnd = 0;
        std::vector<bool> implicit;
    };
    std::vector<TParsedProcedure> parsed_;
    TNameTable<uint32_t, true> procedureNames_;
    std::vector<uint32_t> callStatements_;            // CallProc statements to resolve
    std::vector<std::pair<uint32_t, TSourcePos>> indexUses_;  // NAME(...) of script variables
    std::vector<bool> written_;                       // by slot: assigned somewhere
    int doDepth_ = 0;
    TNameTable<TMemberName, false> members_;
    std::vector<TExprNode> roots_;  // roots of the argument lists being parsed
    std::u16string text_;           // a string literal's value
    // Call sites of the main program by the spelling of object and member
    // (see ParseObjectStatement).
    struct TSiteMemo {
        TText object;
        TText member;
        uint32_t call = UINT32_MAX;
        uint32_t put = UINT32_MAX;
    };
    static constexpr std::size_t kSiteMemos = 16;
    // Names are short: compared in line.
    static bool SameText(TText a, TText b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (a[i] != b[i]) return false;
        return true;
    }
    std::array<TSiteMemo, kSiteMemos> siteMemo_{};

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

    // Reads the tokens from the current one to wherever the caller stops,
    // without consuming them.
    class TScan {
    public:
        explicit TScan(const TParser& parser) : parser_(parser), lexer_(parser.lexer_) {}
        TTok Next() {
            if (taken_ < parser_.count_) return parser_.ahead_[(parser_.head_ + taken_++) % kAhead];
            return lexer_.Next();
        }

    private:
        const TParser& parser_;
        TLexer<Char> lexer_;
        std::size_t taken_ = 0;
    };

    // ---- tokens ----

    const TTok& Peek(std::size_t ahead = 0) {
        while (count_ <= ahead) {
            lexer_.Next(ahead_[(head_ + count_) % kAhead]);
            ++count_;
        }
        return ahead_[(head_ + ahead) % kAhead];
    }
    // The current token; the source's end stays current.
    TTok Take() {
        TTok t = Peek();
        Skip();
        return t;
    }
    // Passes the current token.
    void Skip() {
        if (Peek().kind != TTokenKind::End) {
            head_ = (head_ + 1) % kAhead;
            --count_;
        }
    }

    [[noreturn]] void Fail(TSourcePos pos, const std::string& message) const {
        throw EScriptError(TKind::Syntax, pos, message);
    }
    [[noreturn]] void FailCompile(TSourcePos pos, const std::string& message) const {
        throw EScriptError(TKind::Compile, pos, message);
    }

    void ExpectSymbol(TSymbol symbol) {
        if (!Peek().IsSymbol(symbol)) Fail(Peek().pos, std::string("Expected '") + SymbolText(symbol) + "'");
        Skip();
    }
    void ExpectKeyword(TKeyword word, const char* message) {
        if (!Peek().IsName(word)) Fail(Peek().pos, message);
        Skip();
    }

    // The end of a statement: a line end, a colon, the source's end, or the
    // Else of a single-line If.
    bool AtStatementEnd() {
        const TTok& t = Peek();
        return t.EndsStatement() || (singleLineIf_ > 0 && t.IsName(TKeyword::Else));
    }

    void ExpectStatementEnd() {
        if (!AtStatementEnd()) Fail(Peek().pos, "Expected end of statement");
    }

    // ---- the program's arrays ----

    uint32_t AddStmt(TStmtKind kind, TSourcePos pos, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0) {
        if (prog_->statements.size() >= UINT32_MAX) throw std::bad_alloc();
        prog_->statements.push_back({kind, 0, pos, a, b, c});
        return static_cast<uint32_t>(prog_->statements.size() - 1);
    }
    uint32_t StmtCount() const { return static_cast<uint32_t>(prog_->statements.size()); }

    uint32_t AddExpr(TExprKind kind, uint8_t op = 0, uint32_t a = 0, uint32_t b = 0, uint32_t count = 0) {
        if (prog_->exprs.size() >= UINT32_MAX) throw std::bad_alloc();
        prog_->exprs.push_back({kind, op, static_cast<uint16_t>(std::min<uint32_t>(count, kManyArgs)), a, b});
        return static_cast<uint32_t>(prog_->exprs.size() - 1);
    }

    // Parses one expression of a list onto it. A number standing alone (the
    // most common argument) goes there directly, as ParseExpr would make it.
    void ParseListItem(TList& list) {
        if (nesting_ < kMaxNesting) {
            const TTok& t = Peek();
            if (t.kind == TTokenKind::Number) {
                const TTok& next = Peek(1);
                if (next.EndsStatement() || next.IsSymbol(TSymbol::Comma)) {
                    roots_.push_back(NumberNode(t));
                    Skip();
                    ++list.count;
                    list.depth = std::max(list.depth, 1);
                    return;
                }
            }
        }
        AddToList(ParseExpr(), list);
    }

    // Moves the expression just parsed (its root is the last node) onto the
    // list being built; EndList then puts the list's roots side by side.
    void AddToList(const TExprRef& e, TList& list) {
        roots_.push_back(prog_->exprs.back());
        prog_->exprs.pop_back();
        ++list.count;
        list.depth = std::max(list.depth, e.depth);
    }
    void EndList(TList& list) {
        const std::size_t from = roots_.size() - list.count;
        if (list.count >= kManyArgs) AddExpr(TExprKind::ArgCount, 0, list.count);
        list.first = static_cast<uint32_t>(prog_->exprs.size());
        for (std::size_t i = from; i < roots_.size(); ++i) {
            if (prog_->exprs.size() >= UINT32_MAX) throw std::bad_alloc();
            prog_->exprs.push_back(roots_[i]);
        }
        roots_.resize(from);
    }

    uint32_t NameIndex(TText spelling) {
        if (const uint32_t* index = spellings_.Find(spelling)) return *index;
        const auto index = static_cast<uint32_t>(prog_->names.size());
        prog_->names.push_back(WidenName(spelling));
        return spellings_.Insert(prog_->names.back(), index);
    }

    // ---- names ----

    TNameInfo& Info(TText name) {
        if (TNameInfo* info = names_.Find(name)) return *info;
        return names_.Insert(WidenName(name), Classify(name));
    }

    int SlotOf(const TTok& name) {
        TNameInfo& info = Info(name.text);
        if (info.slot < 0) {
            info.slot = static_cast<int32_t>(prog_->variables.size());
            prog_->variables.push_back({WidenName(name.text), false});
            written_.push_back(false);
        }
        return info.slot;
    }

    // The local of that name in the procedure being parsed, if any.
    std::optional<uint32_t> FindLocal(TText name) const {
        for (std::size_t i = 0; i < scope_->names.size(); ++i)
            if (EqualsNoCase(std::u16string_view(scope_->names[i]), name)) return static_cast<uint32_t>(i);
        return std::nullopt;
    }

    uint32_t AddLocal(TText name, bool implicit) {
        TProcedure& proc = prog_->procedures[scope_->procedure];
        if (proc.locals >= UINT32_MAX / 2) throw std::bad_alloc();
        scope_->names.push_back(LowerName(WidenName(name)));
        scope_->implicit.push_back(implicit);
        prog_->localNames.push_back(WidenName(name));
        return kLocalSlot | proc.locals++;
    }

    // The variable a name stands for where it is used. In a procedure: its
    // parameter or local; else the script's variable when the script declares
    // its variables, uses the name outside procedures before, or it names a
    // procedure; else a new local (which ShareScriptVariables makes the
    // script's variable if the main program uses the name further on).
    uint32_t VarSlot(const TTok& name, bool write = false) {
        if (scope_) {
            if (std::optional<uint32_t> local = FindLocal(name.text)) return kLocalSlot | *local;
            const TNameInfo& info = Info(name.text);
            if (!prog_->optionExplicit && !info.topLevel && info.procedure < 0) return AddLocal(name.text, true);
        } else {
            Info(name.text).topLevel = true;
        }
        const auto slot = static_cast<uint32_t>(SlotOf(name));
        if (write) written_[slot] = true;
        return slot;
    }

    // Declares a variable (Dim, Const, a procedure's parameters).
    uint32_t DeclareSlot(const TTok& name) {
        if (scope_) {
            if (std::optional<uint32_t> local = FindLocal(name.text)) {
                if (!scope_->implicit[*local]) Fail(name.pos, "Name redefined: " + Quoted(name.text));
                scope_->implicit[*local] = false;
                return kLocalSlot | *local;
            }
            return AddLocal(name.text, false);
        }
        const uint32_t slot = VarSlot(name, true);
        prog_->variables[slot].declared = true;
        return slot;
    }

    // The local that holds the result of the Function being parsed (none for a
    // Sub).
    uint32_t ResultLocal() const {
        const TProcedure& proc = prog_->procedures[scope_->procedure];
        return proc.function ? proc.params : UINT32_MAX;
    }

    // A name that may be declared.
    TTok DeclarableName() {
        const TTok t = Peek();
        if (t.kind != TTokenKind::Name || IsReserved(t)) Fail(t.pos, "Expected identifier");
        const TNameInfo& info = Info(t.text);
        if (info.constant != TNameInfo::TConstant::None || info.builtin)
            Fail(t.pos, "Illegal assignment: " + Quoted(t.text));
        Skip();
        return t;
    }

    // A name that may be assigned to.
    int AssignableSlot() {
        const TTok t = Peek();
        if (t.kind != TTokenKind::Name) Fail(t.pos, "Expected identifier");
        if (IsReserved(t)) Fail(t.pos, "Expected identifier");
        const TNameInfo& info = Info(t.text);
        if (info.constant != TNameInfo::TConstant::None || info.builtin)
            Fail(t.pos, "Illegal assignment: " + Quoted(t.text));
        Skip();
        return static_cast<int>(VarSlot(t, true));
    }

    // The member of the control that a name after "D." is, resolved once per
    // spelling: its dispatch id, else a compilation error.
    TMemberName& MemberOf(const TTok& member) {
        if (TMemberName* known = members_.Find(member.text)) return *known;
        std::u16string name = WidenName(member.text);
        std::optional<int32_t> dispid = FindDispId(name);
        const THostMember host = HostMemberOf(member.text);
        if (!dispid && host == THostMember::None) FailCompile(member.pos, NoSuchMember(member.text));
        return members_.Insert(std::move(name), TMemberName{dispid, NameIndex(member.text), host, {}});
    }

    // The call site of a member on an object variable, for a call (method,
    // else property get) or a property put.
    uint32_t Site(uint32_t slot, TMemberName& member, bool put) {
        // A local's slot means something else in each procedure.
        const uint64_t scope = (slot & kLocalSlot) != 0 ? uint64_t{scope_->procedure} + 1 : 0;
        const uint64_t key = (scope << 33) | (uint64_t{slot} << 1) | (put ? 1 : 0);
        for (const auto& [known, site] : member.sites)
            if (known == key) return site;
        TCallSite s;
        s.dispid = member.dispid.value_or(std::numeric_limits<int32_t>::min());
        s.slot = slot;
        s.name = member.name;
        s.put = put;
        s.host = static_cast<uint8_t>(member.host);
        if (!member.dispid) {
        } else if (put) {
            s.member = FindMember(*member.dispid, TInvokeKind::PropertyPut);
        } else {
            s.member = FindMember(*member.dispid, TInvokeKind::Method);
            if (!s.member) s.member = FindMember(*member.dispid, TInvokeKind::PropertyGet);
        }
        const auto site = static_cast<uint32_t>(prog_->sites.size());
        prog_->sites.push_back(s);
        member.sites.emplace_back(key, site);
        return site;
    }

    // ---- blocks and statements ----

    void ParseBlock(TBlockKind kind) {
        TBlockKind outer = blockKind_;
        blockKind_ = kind;
        for (;;) {
            while (Peek().kind == TTokenKind::Newline || Peek().kind == TTokenKind::Colon) Skip();
            const TTok& t = Peek();
            if (t.kind == TTokenKind::End) {
                if (kind != TBlockKind::TopLevel) FailUnclosed(t.pos);
                break;
            }
            if (kind == TBlockKind::For && t.IsName(TKeyword::Next)) break;
            if (kind == TBlockKind::If &&
                (t.IsName(TKeyword::ElseIf) || t.IsName(TKeyword::Else) || t.IsName(TKeyword::End)))
                break;
            if (kind == TBlockKind::Do && t.IsName(TKeyword::Loop)) break;
            if (kind == TBlockKind::While && t.IsName(TKeyword::Wend)) break;
            if (kind == TBlockKind::Case && (t.IsName(TKeyword::Case) || t.IsName(TKeyword::End))) break;
            if (kind == TBlockKind::Procedure && t.IsName(TKeyword::End)) break;
            ParseStatement();
            ExpectStatementEnd();
        }
        blockKind_ = outer;
    }

    // The error for a block that is not closed where `pos` is.
    [[noreturn]] void FailUnclosed(TSourcePos pos) {
        switch (blockKind_) {
            case TBlockKind::For: Fail(pos, "Expected 'Next'");
            case TBlockKind::If: Fail(pos, "Expected 'End If'");
            case TBlockKind::Do: Fail(pos, "Expected 'Loop'");
            case TBlockKind::While: Fail(pos, "Expected 'Wend'");
            case TBlockKind::Case: Fail(pos, "Expected 'End Select'");
            case TBlockKind::Procedure:
                Fail(pos, prog_->procedures[scope_->procedure].function ? "Expected 'End Function'" : "Expected 'End Sub'");
            case TBlockKind::TopLevel: break;
        }
        Fail(pos, "Expected statement");
    }

    // Statements that may stand on the rest of a single-line If's line,
    // separated by colons.
    void ParseSingleLineStatements() {
        for (;;) {
            while (Peek().kind == TTokenKind::Colon) Skip();
            if (AtStatementEnd()) break;
            ParseStatement();
            ExpectStatementEnd();
        }
    }

    void ParseAssignment(TStmtKind kind, TSourcePos pos) {
        const int slot = AssignableSlot();
        ExpectSymbol(TSymbol::Equal);
        const TExprRef value = ParseExpr();
        AddStmt(kind, pos, static_cast<uint32_t>(slot), value.node);
    }

    void ParseStatement() {
        const TTok t = Peek();
        if (t.kind != TTokenKind::Name) Fail(t.pos, "Expected statement");
        const TSourcePos pos = t.pos;
        const bool first = statementsSeen_++ == 0;

        switch (t.keyword) {
            case TKeyword::Dim:
                Skip();
                ParseDimList(pos);
                return;
            case TKeyword::Public:
            case TKeyword::Private:
                // Outside procedures and classes, the same as without them.
                if (scope_ || blockKind_ != TBlockKind::TopLevel || singleLineIf_ > 0) break;
                Skip();
                if (Peek().IsName(TKeyword::Sub) || Peek().IsName(TKeyword::Function))
                    ParseProcedure();
                else
                    ParseDimList(pos);
                return;
            case TKeyword::ReDim: {
                Skip();
                TDimKind kind = TDimKind::ReDim;
                if (Peek().IsName(TKeyword::Preserve)) {
                    Skip();
                    kind = TDimKind::ReDimPreserve;
                }
                for (;;) {
                    const TTok name = DeclarableName();
                    const uint32_t slot = VarSlot(name, true);
                    if (!Peek().IsSymbol(TSymbol::LParen)) Fail(Peek().pos, "Expected '('");
                    ParseBounds(pos, slot, kind);
                    if (!Peek().IsSymbol(TSymbol::Comma)) break;
                    Skip();
                }
                return;
            }
            case TKeyword::Sub:
            case TKeyword::Function: ParseProcedure(); return;
            case TKeyword::Do: ParseDo(); return;
            case TKeyword::While: ParseWhile(); return;
            case TKeyword::Select: ParseSelect(); return;
            case TKeyword::Const:
                Skip();
                for (;;) {
                    const TSourcePos itemPos = Peek().pos;
                    if (Peek().kind == TTokenKind::Name && FindEnumValue(WidenName(Peek().text))) {
                        ParseLibraryConstant();
                        if (!Peek().IsSymbol(TSymbol::Comma)) break;
                        Skip();
                        continue;
                    }
                    const uint32_t slot = DeclareSlot(DeclarableName());
                    ExpectSymbol(TSymbol::Equal);
                    const TExprRef value = ParseExpr();
                    AddStmt(TStmtKind::Assign, itemPos, static_cast<uint32_t>(slot), value.node);
                    if (!Peek().IsSymbol(TSymbol::Comma)) break;
                    Skip();
                }
                return;
            case TKeyword::Option:
                Skip();
                ExpectKeyword(TKeyword::Explicit, "Expected 'Explicit'");
                if (!first || blockKind_ != TBlockKind::TopLevel || singleLineIf_ > 0)
                    Fail(pos, "Option Explicit must come before any other statement");
                prog_->optionExplicit = true;
                return;
            case TKeyword::Set:
                Skip();
                ParseAssignment(TStmtKind::SetAssign, pos);
                return;
            case TKeyword::Let:
                Skip();
                ParseAssignment(TStmtKind::Assign, pos);
                return;
            case TKeyword::Call:
                Skip();
                ParseCallStatement(pos);
                return;
            case TKeyword::On:
                Skip();
                ExpectKeyword(TKeyword::Error, "Expected 'Error'");
                if (Peek().IsName(TKeyword::Resume)) {
                    Skip();
                    ExpectKeyword(TKeyword::Next, "Expected 'Next'");
                    AddStmt(TStmtKind::OnErrorResumeNext, pos);
                } else if (Peek().IsName(TKeyword::GoTo)) {
                    Skip();
                    const TTok zero = Peek();
                    if (zero.kind != TTokenKind::Number || zero.real || zero.lval != 0)
                        Fail(zero.pos, "Only 'On Error GoTo 0' is supported");
                    Skip();
                    AddStmt(TStmtKind::OnErrorGoto0, pos);
                } else {
                    Fail(Peek().pos, "Expected 'Resume Next' or 'GoTo 0'");
                }
                return;
            case TKeyword::If: ParseIf(); return;
            case TKeyword::For: ParseFor(); return;
            case TKeyword::Exit: ParseExit(pos); return;
            case TKeyword::WScript:
            case TKeyword::Err: ParseObjectStatement(pos, false); return;
            case TKeyword::Next:
            case TKeyword::Else:
            case TKeyword::ElseIf:
            case TKeyword::End:
            case TKeyword::Loop:
            case TKeyword::Wend:
            case TKeyword::Case:
                if (blockKind_ != TBlockKind::TopLevel) FailUnclosed(pos);
                Fail(pos, "Unexpected " + Quoted(t.text));
            default: break;
        }
        if (IsUnsupportedWord(t.keyword)) Fail(pos, Unsupported(t.text));
        if (IsReserved(t)) Fail(pos, "Expected statement");
        if (Peek(1).IsSymbol(TSymbol::Dot)) {
            ParseObjectStatement(pos, false);
        } else if (Peek(1).IsSymbol(TSymbol::Equal)) {
            ParseAssignment(TStmtKind::Assign, pos);
        } else if (Peek(1).IsSymbol(TSymbol::LParen) && ParenthesesThenEqual()) {
            ParseIndexAssignment(pos);
        } else {
            const TTok& next = Peek(1);
            if (next.kind == TTokenKind::Symbol && !next.IsSymbol(TSymbol::LParen) && !next.IsSymbol(TSymbol::Minus))
                Fail(pos, "Expected statement");
            const TNameInfo& info = Info(t.text);
            if (info.builtin || info.constant != TNameInfo::TConstant::None) Fail(pos, "Expected statement");
            ParseProcedureCall(pos, false);
        }
    }

    // The names (and bounds) after Dim.
    void ParseDimList(TSourcePos pos) {
        for (;;) {
            const TTok name = DeclarableName();
            const uint32_t slot = DeclareSlot(name);
            if (Peek().IsSymbol(TSymbol::LParen)) ParseBounds(pos, slot, TDimKind::Dim);
            if (!Peek().IsSymbol(TSymbol::Comma)) break;
            Skip();
        }
    }

    // NAME(INDEX, ...) = VALUE
    void ParseIndexAssignment(TSourcePos pos) {
        const TTok name = DeclarableName();
        const uint32_t slot = VarSlot(name, true);
        TList list;
        ParseParenArguments(list);
        ExpectSymbol(TSymbol::Equal);
        AddToList(ParseExpr(), list);
        EndList(list);
        if (list.count < 2) Fail(pos, "Expected expression");
        AddStmt(TStmtKind::IndexAssign, pos, slot, list.first, list.count);
    }

    // NAME ARGS, or Call NAME(ARGS): the procedure is found once the whole
    // script is read.
    void ParseProcedureCall(TSourcePos pos, bool withCall) {
        const TTok name = DeclarableName();
        TList list;
        ParseCallArguments(withCall, list);
        EndList(list);
        const uint32_t index = AddStmt(TStmtKind::CallProc, pos, NameIndex(name.text), list.first, list.count);
        prog_->statements[index].small = 1;
        callStatements_.push_back(index);
    }

    // (BOUND, ...) after the name of Dim or ReDim.
    void ParseBounds(TSourcePos pos, uint32_t slot, TDimKind kind) {
        TList list;
        ParseParenArguments(list);
        EndList(list);
        if (list.count == 0 && kind != TDimKind::Dim) Fail(Peek().pos, "Expected expression");
        if (list.count > 60) Fail(pos, "Too many array dimensions");
        const uint32_t index = AddStmt(TStmtKind::DimArray, pos, slot, list.first, list.count);
        prog_->statements[index].small = static_cast<uint8_t>(kind);
    }

    void ParseExit(TSourcePos pos) {
        Skip();
        const TTok t = Peek();
        if (t.IsName(TKeyword::For)) {
            if (forDepth_ == 0) Fail(pos, "Invalid 'Exit For' outside a For loop");
            Skip();
            AddStmt(TStmtKind::ExitFor, pos);
        } else if (t.IsName(TKeyword::Do)) {
            if (doDepth_ == 0) Fail(pos, "Invalid 'Exit Do' outside a Do loop");
            Skip();
            AddStmt(TStmtKind::ExitDo, pos);
        } else if (t.IsName(TKeyword::Sub) || t.IsName(TKeyword::Function)) {
            const bool function = t.IsName(TKeyword::Function);
            if (!scope_ || prog_->procedures[scope_->procedure].function != function)
                Fail(pos, function ? "Invalid 'Exit Function' outside a Function" : "Invalid 'Exit Sub' outside a Sub");
            Skip();
            AddStmt(TStmtKind::ExitProc, pos);
        } else {
            Fail(t.pos, "Expected 'For'");
        }
    }

    // Sub NAME[(PARAMS)] ... End Sub, Function NAME[(PARAMS)] ... End Function.
    void ParseProcedure() {
        const TTok word = Take();
        const TSourcePos pos = word.pos;
        const bool function = word.keyword == TKeyword::Function;
        if (scope_ || blockKind_ != TBlockKind::TopLevel || singleLineIf_ > 0) Fail(pos, "Unexpected " + Quoted(word.text));
        const TTok name = DeclarableName();
        TNameInfo& info = Info(name.text);
        if (info.procedure >= 0) Fail(name.pos, "Name redefined: " + Quoted(name.text));
        const auto procIndex = static_cast<uint32_t>(prog_->procedures.size());
        info.procedure = static_cast<int32_t>(procIndex);
        procedureNames_.Insert(WidenName(name.text), procIndex);
        TProcedure proc;
        proc.name = NameIndex(name.text);
        proc.function = function;
        proc.localNames = static_cast<uint32_t>(prog_->localNames.size());
        prog_->procedures.push_back(proc);
        scope_.emplace();
        scope_->procedure = procIndex;
        const uint32_t def = AddStmt(TStmtKind::ProcDef, pos, 0, procIndex);
        const auto exprFirst = static_cast<uint32_t>(prog_->exprs.size());
        const auto siteFirst = static_cast<uint32_t>(prog_->sites.size());

        if (Peek().IsSymbol(TSymbol::LParen)) {
            Skip();
            while (!Peek().IsSymbol(TSymbol::RParen)) {
                bool byRef = true;
                if (Peek().IsName(TKeyword::ByVal) || Peek().IsName(TKeyword::ByRef)) byRef = Take().keyword == TKeyword::ByRef;
                const TTok param = DeclarableName();
                if (prog_->procedures[procIndex].params >= kMaxParams) Fail(param.pos, "Too many parameters");
                DeclareSlot(param);
                if (byRef) prog_->procedures[procIndex].byRef |= uint64_t{1} << prog_->procedures[procIndex].params;
                ++prog_->procedures[procIndex].params;
                if (!Peek().IsSymbol(TSymbol::Comma)) break;
                Skip();
            }
            ExpectSymbol(TSymbol::RParen);
        }
        if (function) DeclareSlot(name);  // the result
        ExpectStatementEnd();
        {
            TNest nest(*this, pos);
            ParseBlock(TBlockKind::Procedure);
        }
        Skip();  // End
        ExpectKeyword(function ? TKeyword::Function : TKeyword::Sub, function ? "Expected 'Function'" : "Expected 'Sub'");
        TProcedure& done = prog_->procedures[procIndex];
        done.first = def + 1;
        done.end = StmtCount();
        prog_->statements[def].a = StmtCount();
        parsed_.push_back({exprFirst, static_cast<uint32_t>(prog_->exprs.size()), siteFirst,
                           static_cast<uint32_t>(prog_->sites.size()), std::move(scope_->implicit)});
        scope_.reset();
    }

    // Do [While|Until COND] ... Loop [While|Until COND]
    void ParseDo() {
        const TSourcePos pos = Take().pos;
        TNest nest(*this, pos);
        if (singleLineIf_ > 0) Fail(pos, "Expected statement");
        const uint32_t index = AddStmt(TStmtKind::Do, pos);
        TLoopTest test = TLoopTest::None;
        if (Peek().IsName(TKeyword::While) || Peek().IsName(TKeyword::Until)) {
            test = Take().keyword == TKeyword::While ? TLoopTest::WhileFirst : TLoopTest::UntilFirst;
            prog_->statements[index].b = ParseExpr().node;
        }
        ExpectStatementEnd();
        ++doDepth_;
        ParseBlock(TBlockKind::Do);
        --doDepth_;
        Skip();  // Loop
        if (Peek().IsName(TKeyword::While) || Peek().IsName(TKeyword::Until)) {
            if (test != TLoopTest::None) Fail(Peek().pos, "Expected end of statement");
            test = Take().keyword == TKeyword::While ? TLoopTest::WhileLast : TLoopTest::UntilLast;
            prog_->statements[index].b = ParseExpr().node;
        }
        prog_->statements[index].small = static_cast<uint8_t>(test);
        prog_->statements[index].a = StmtCount();
    }

    // While COND ... Wend
    void ParseWhile() {
        const TSourcePos pos = Take().pos;
        TNest nest(*this, pos);
        if (singleLineIf_ > 0) Fail(pos, "Expected statement");
        const uint32_t index = AddStmt(TStmtKind::Do, pos);
        prog_->statements[index].b = ParseExpr().node;
        prog_->statements[index].small = static_cast<uint8_t>(TLoopTest::Wend);
        ExpectStatementEnd();
        ParseBlock(TBlockKind::While);
        Skip();  // Wend
        prog_->statements[index].a = StmtCount();
    }

    // Select Case VALUE / Case A, B ... / Case Else ... / End Select
    void ParseSelect() {
        const TSourcePos pos = Take().pos;
        TNest nest(*this, pos);
        if (singleLineIf_ > 0) Fail(pos, "Expected statement");
        ExpectKeyword(TKeyword::Case, "Expected 'Case'");
        const uint32_t index = AddStmt(TStmtKind::Select, pos);
        prog_->statements[index].b = ParseExpr().node;
        ExpectStatementEnd();
        while (Peek().kind == TTokenKind::Newline || Peek().kind == TTokenKind::Colon) Skip();
        bool sawElse = false;
        while (Peek().IsName(TKeyword::Case)) {
            if (sawElse) Fail(Peek().pos, "Expected 'End Select'");
            const TSourcePos casePos = Take().pos;
            const uint32_t c = AddStmt(TStmtKind::Case, casePos);
            if (Peek().IsName(TKeyword::Else)) {
                Skip();
                sawElse = true;
                prog_->statements[c].small = 1;
            } else {
                TList list;
                for (;;) {
                    AddToList(ParseCaseValue(), list);
                    if (!Peek().IsSymbol(TSymbol::Comma)) break;
                    Skip();
                }
                EndList(list);
                prog_->statements[c].b = list.first;
                prog_->statements[c].c = list.count;
            }
            ParseBlock(TBlockKind::Case);
            prog_->statements[c].a = StmtCount();
        }
        if (!Peek().IsName(TKeyword::End)) {
            if (Peek().kind == TTokenKind::End) Fail(Peek().pos, "Expected 'End Select'");
            Fail(Peek().pos, "Expected 'Case'");
        }
        Skip();
        ExpectKeyword(TKeyword::Select, "Expected 'Select'");
        prog_->statements[index].a = StmtCount();
    }

    // A value of Case: an expression, or "Is" and a comparison with one.
    TExprRef ParseCaseValue() {
        if (!Peek().IsName(TKeyword::Is)) return ParseExpr();
        Skip();
        const TTok t = Peek();
        const std::optional<TBinaryOp> op = ComparisonOp(t);
        if (!op) Fail(t.pos, "Expected comparison operator");
        Skip();
        const TExprRef right = ParseExpr();
        const uint32_t node = AddExpr(TExprKind::Binary, static_cast<uint8_t>(*op), kTestedValue, right.node);
        return Seal(node, right.depth, t.pos);
    }

    // A name that a procedure uses without declaring it is the script's
    // variable when the main program uses it too, wherever that is.
    void ShareScriptVariables(uint32_t p) {
        TParsedProcedure& parsed = parsed_[p];
        const TProcedure& proc = prog_->procedures[p];
        std::vector<uint32_t> global(parsed.implicit.size(), UINT32_MAX);
        bool any = false;
        for (std::size_t i = 0; i < parsed.implicit.size(); ++i) {
            if (!parsed.implicit[i]) continue;
            const TNameInfo* info = names_.Find(std::u16string_view(prog_->localNames[proc.localNames + i]));
            if (!info || !info->topLevel || info->slot < 0) continue;
            global[i] = static_cast<uint32_t>(info->slot);
            parsed.implicit[i] = false;
            any = true;
        }
        if (!any) return;
        auto patch = [&](uint32_t& slot) {
            if ((slot & kLocalSlot) != 0 && global[slot & ~kLocalSlot] != UINT32_MAX) slot = global[slot & ~kLocalSlot];
        };
        for (uint32_t i = parsed.exprFirst; i < parsed.exprEnd; ++i) {
            TExprNode& e = prog_->exprs[i];
            if (e.kind == TExprKind::Variable || e.kind == TExprKind::Index) patch(e.a);
        }
        for (uint32_t i = proc.first; i < proc.end; ++i) {
            TStmtNode& st = prog_->statements[i];
            switch (st.kind) {
                case TStmtKind::Assign:
                case TStmtKind::SetAssign:
                case TStmtKind::For:
                case TStmtKind::ForEach:
                case TStmtKind::IndexAssign:
                case TStmtKind::DimArray: patch(st.a); break;
                default: break;
            }
        }
        for (uint32_t i = parsed.siteFirst; i < parsed.siteEnd; ++i) patch(prog_->sites[i].slot);
    }

    // Once the whole script is read: names used as values or with arguments
    // that name a procedure become calls of it, and calls find their
    // procedures.
    void ResolveNames() {
        for (uint32_t index : callStatements_) {
            TStmtNode& s = prog_->statements[index];
            if (const uint32_t* proc = procedureNames_.Find(std::u16string_view(prog_->names[s.a]))) {
                s.a = *proc;
                s.small = 0;
            }
        }
        if (prog_->procedures.empty() && indexUses_.empty()) return;
        for (std::size_t p = 0; p < parsed_.size(); ++p) ShareScriptVariables(static_cast<uint32_t>(p));
        // The procedure each script variable names, if any.
        std::vector<int32_t> procOf(prog_->variables.size(), -1);
        if (!prog_->procedures.empty())
            for (std::size_t slot = 0; slot < procOf.size(); ++slot)
                if (const uint32_t* proc = procedureNames_.Find(std::u16string_view(prog_->variables[slot].name)))
                    procOf[slot] = static_cast<int32_t>(*proc);
        for (const auto& [slot, pos] : indexUses_)
            if (!written_[slot] && procOf[slot] < 0)
                FailCompile(pos, "Unknown function: " + Quoted(std::u16string_view(prog_->variables[slot].name)));
        if (prog_->procedures.empty()) return;
        std::size_t p = 0;  // the procedure whose expressions come next
        const std::size_t size = prog_->exprs.size();
        for (std::size_t i = 0; i < size; ++i) {
            TExprNode& e = prog_->exprs[i];
            if (e.kind != TExprKind::Variable && e.kind != TExprKind::Index) continue;
            while (p < parsed_.size() && parsed_[p].exprEnd <= i) ++p;
            int32_t proc = -1;
            if ((e.a & kLocalSlot) == 0) {
                proc = procOf[e.a];
            } else if (p < parsed_.size() && parsed_[p].exprFirst <= i) {
                const uint32_t local = e.a & ~kLocalSlot;
                if (local < parsed_[p].implicit.size() && parsed_[p].implicit[local]) {
                    const std::u16string& name = prog_->localNames[prog_->procedures[p].localNames + local];
                    if (const uint32_t* found = procedureNames_.Find(std::u16string_view(name)))
                        proc = static_cast<int32_t>(*found);
                }
            }
            if (proc < 0) continue;
            if (e.kind == TExprKind::Variable) {
                e.b = 0;
                e.count = 0;
            }
            e.kind = TExprKind::ProcCall;
            e.a = static_cast<uint32_t>(proc);
        }
    }


    // "Const psA4_L = 2": scripts that also run where the control's type
    // library is not loaded declare the enumeration values they use. Such a
    // declaration must give the library's own value, and changes nothing.
    void ParseLibraryConstant() {
        const TTok name = Take();
        ExpectSymbol(TSymbol::Equal);
        const std::size_t mark = prog_->exprs.size();
        const TExprRef value = ParseExpr();
        const int32_t expected = FindEnumValue(WidenName(name.text)).value_or(0);
        const TExprNode& e = prog_->exprs[value.node];
        if (e.kind != TExprKind::LongLiteral || static_cast<int32_t>(e.a) != expected)
            Fail(name.pos, "Name redefined: " + Quoted(name.text));
        prog_->exprs.truncate(mark);
    }

    void ParseCallStatement(TSourcePos pos) {
        const TTok t = Peek();
        if (t.kind == TTokenKind::Name && !Peek(1).IsSymbol(TSymbol::Dot) && !IsReserved(t)) {
            ParseProcedureCall(pos, true);
            return;
        }
        if (t.kind != TTokenKind::Name || !Peek(1).IsSymbol(TSymbol::Dot))
            Fail(t.pos, "Expected object and member after 'Call'");
        if (IsReserved(t) && t.keyword != TKeyword::WScript && t.keyword != TKeyword::Err)
            Fail(t.pos, "Expected identifier");
        ParseObjectStatement(pos, true);
    }

    // Arguments of a call statement: either "(ARGS)" after Call, or a list
    // without parentheses.
    void ParseCallArguments(bool withCall, TList& list) {
        if (withCall) {
            if (Peek().IsSymbol(TSymbol::LParen)) ParseParenArguments(list);
            return;
        }
        if (AtStatementEnd()) return;
        if (Peek().IsSymbol(TSymbol::LParen) && ParenthesesHoldList())
            Fail(Peek().pos, "Cannot use parentheses when calling a Sub");
        for (;;) {
            ParseListItem(list);
            if (!Peek().IsSymbol(TSymbol::Comma)) break;
            Skip();
        }
    }

    // True when the parenthesised group starting here holds a top-level comma
    // and ends the statement: "D.M(a, b)" written without Call.
    bool ParenthesesHoldList() {
        int depth = 0;
        bool comma = false;
        TScan scan(*this);
        for (;;) {
            const TTok t = scan.Next();
            if (t.EndsStatement()) return false;
            if (t.IsSymbol(TSymbol::LParen)) {
                ++depth;
            } else if (t.IsSymbol(TSymbol::RParen)) {
                if (--depth == 0) {
                    const TTok after = scan.Next();
                    return comma && (after.EndsStatement() || (singleLineIf_ > 0 && after.IsName(TKeyword::Else)));
                }
            } else if (t.IsSymbol(TSymbol::Comma) && depth == 1) {
                comma = true;
            }
        }
    }

    // True when the ")" matching the "(" at the current token is followed by
    // "=" on this statement.
    bool ParenthesesThenEqual() {
        int depth = 0;
        TScan scan(*this);
        for (;;) {
            const TTok t = scan.Next();
            if (t.EndsStatement()) return false;
            if (t.IsSymbol(TSymbol::LParen)) ++depth;
            if (t.IsSymbol(TSymbol::RParen) && --depth == 0) return scan.Next().IsSymbol(TSymbol::Equal);
        }
    }

    // OBJECT.MEMBER ... as a statement: a call, a property put, WScript.Echo,
    // WScript.Quit, Err.Clear or Err.Raise.
    void ParseObjectStatement(TSourcePos pos, bool withCall) {
        const TTok object = Take();
        Skip();  // "."
        const TTok member = Peek();
        if (member.kind != TTokenKind::Name) Fail(member.pos, "Expected identifier");
        Skip();

        TList list;
        if (object.keyword == TKeyword::WScript) {
            if (member.keyword == TKeyword::Echo) {
                ParseCallArguments(withCall, list);
                EndList(list);
                AddStmt(TStmtKind::Echo, pos, 0, list.first, list.count);
                return;
            }
            if (member.keyword == TKeyword::Quit) {
                ParseCallArguments(withCall, list);
                EndList(list);
                if (list.count > 1) Fail(member.pos, WrongArgCount(member.text));
                AddStmt(TStmtKind::Quit, pos, 0, list.first, list.count);
                return;
            }
            FailCompile(member.pos, NoSuchMember(member.text));
        }
        if (object.keyword == TKeyword::Err) {
            if (member.keyword == TKeyword::Clear || member.keyword == TKeyword::Raise) {
                const bool clear = member.keyword == TKeyword::Clear;
                ParseCallArguments(withCall, list);
                EndList(list);
                if (clear ? list.count != 0 : (list.count == 0 || list.count > 5))
                    Fail(member.pos, WrongArgCount(member.text));
                AddStmt(clear ? TStmtKind::ErrClear : TStmtKind::ErrRaise, pos, 0, list.first, list.count);
                return;
            }
            if (member.keyword == TKeyword::Number || member.keyword == TKeyword::Description ||
                member.keyword == TKeyword::Source)
                Fail(member.pos, "Err." + NameText(member.text) + " cannot be set or called here");
            FailCompile(member.pos, NoSuchMember(member.text));
        }

        // The main program names the same few members of the same object
        // over and over: the site of a spelling seen last is taken again.
        TSiteMemo* memo = nullptr;
        if (!scope_) {
            memo = &siteMemo_[(member.text.size() * 7 + static_cast<std::size_t>(member.text[0])) % kSiteMemos];
            if (!SameText(memo->object, object.text) || !SameText(memo->member, member.text)) memo = nullptr;
        }
        if (memo && !withCall) {
            if (Peek().IsSymbol(TSymbol::Equal) && memo->put != UINT32_MAX) {
                Skip();
                ParseListItem(list);
                EndList(list);
                AddStmt(TStmtKind::PropertyPut, pos, memo->put, list.first, list.count);
                return;
            }
            if (!Peek().IsSymbol(TSymbol::Equal) && !Peek().IsSymbol(TSymbol::LParen) && memo->call != UINT32_MAX) {
                ParseCallArguments(withCall, list);
                EndList(list);
                AddStmt(TStmtKind::Call, pos, memo->call, list.first, list.count);
                return;
            }
        }

        TMemberName& target = MemberOf(member);
        const uint32_t slot = VarSlot(object);
        // Remembers a site of the main program.
        auto remember = [&](uint32_t site, bool put) {
            if (scope_) return;
            TSiteMemo& m = siteMemo_[(member.text.size() * 7 + static_cast<std::size_t>(member.text[0])) % kSiteMemos];
            if (!SameText(m.object, object.text) || !SameText(m.member, member.text))
                m = TSiteMemo{object.text, member.text};
            (put ? m.put : m.call) = site;
        };

        if (!withCall) {
            // D.Prop = v, D.Prop(i) = v
            bool put = Peek().IsSymbol(TSymbol::Equal);
            if (!put && Peek().IsSymbol(TSymbol::LParen)) put = ParenthesesThenEqual();
            if (put) {
                const uint32_t site = Site(slot, target, true);
                if (!Peek().IsSymbol(TSymbol::LParen)) remember(site, true);
                if (Peek().IsSymbol(TSymbol::LParen)) ParseParenArguments(list);
                ExpectSymbol(TSymbol::Equal);
                ParseListItem(list);
                EndList(list);
                AddStmt(TStmtKind::PropertyPut, pos, site, list.first, list.count);
                return;
            }
        }
        const uint32_t site = Site(slot, target, false);
        if (!withCall) remember(site, false);
        ParseCallArguments(withCall, list);
        EndList(list);
        AddStmt(TStmtKind::Call, pos, site, list.first, list.count);
    }

    void ParseIf() {
        const TSourcePos pos = Take().pos;
        TNest nest(*this, pos);
        const uint32_t ifIndex = AddStmt(TStmtKind::If, pos);
        uint32_t branch = AddStmt(TStmtKind::IfBranch, pos);
        prog_->statements[branch].b = ParseExpr().node;
        ExpectKeyword(TKeyword::Then, "Expected 'Then'");

        if (!Peek().EndsStatement()) {
            // Single-line form: the rest of the line.
            ++singleLineIf_;
            ParseSingleLineStatements();
            prog_->statements[branch].a = StmtCount();
            if (Peek().IsName(TKeyword::Else)) {
                const TSourcePos elsePos = Take().pos;
                const uint32_t elseIndex = AddStmt(TStmtKind::Else, elsePos);
                ParseSingleLineStatements();
                prog_->statements[elseIndex].a = StmtCount();
            }
            --singleLineIf_;
            prog_->statements[ifIndex].a = StmtCount();
            return;
        }
        if (singleLineIf_ > 0) Fail(Peek().pos, "Expected statement");

        ParseBlock(TBlockKind::If);
        prog_->statements[branch].a = StmtCount();
        for (;;) {
            const TTok t = Peek();
            if (t.IsName(TKeyword::ElseIf)) {
                branch = AddStmt(TStmtKind::IfBranch, Take().pos);
                prog_->statements[branch].b = ParseExpr().node;
                ExpectKeyword(TKeyword::Then, "Expected 'Then'");
                ParseBlock(TBlockKind::If);
                prog_->statements[branch].a = StmtCount();
            } else if (t.IsName(TKeyword::Else)) {
                const uint32_t elseIndex = AddStmt(TStmtKind::Else, Take().pos);
                ParseBlock(TBlockKind::If);
                prog_->statements[elseIndex].a = StmtCount();
                if (!Peek().IsName(TKeyword::End)) Fail(Peek().pos, "Expected 'End If'");
            } else {
                // ParseBlock stops only at ElseIf, Else or End.
                Skip();
                ExpectKeyword(TKeyword::If, "Expected 'If'");
                break;
            }
        }
        prog_->statements[ifIndex].a = StmtCount();
    }

    void ParseFor() {
        const TSourcePos pos = Take().pos;
        TNest nest(*this, pos);
        if (singleLineIf_ > 0) Fail(pos, "Expected statement");
        if (Peek().IsName(TKeyword::Each)) {
            ParseForEach(pos);
            return;
        }
        const uint32_t index = AddStmt(TStmtKind::For, pos);
        const auto slot = static_cast<uint32_t>(AssignableSlot());
        ExpectSymbol(TSymbol::Equal);
        TList bounds;
        AddToList(ParseExpr(), bounds);
        ExpectKeyword(TKeyword::To, "Expected 'To'");
        AddToList(ParseExpr(), bounds);
        if (Peek().IsName(TKeyword::Step)) {
            Skip();
            AddToList(ParseExpr(), bounds);
        }
        EndList(bounds);
        ExpectStatementEnd();
        ParseForBody(index, slot, bounds.first).small = static_cast<uint8_t>(bounds.count);
    }

    // The body of a For or For Each loop through its Next; fills in the loop
    // statement: its variable, where the loop ends, and its operand.
    TStmtNode& ParseForBody(uint32_t index, uint32_t slot, uint32_t operand) {
        ++forDepth_;
        ParseBlock(TBlockKind::For);
        --forDepth_;
        Skip();  // Next
        TStmtNode& s = prog_->statements[index];
        s.a = slot;
        s.b = StmtCount();
        s.c = operand;
        return s;
    }

    // For Each NAME In ARRAY ... Next
    void ParseForEach(TSourcePos pos) {
        Skip();  // Each
        const uint32_t index = AddStmt(TStmtKind::ForEach, pos);
        const auto slot = static_cast<uint32_t>(AssignableSlot());
        ExpectKeyword(TKeyword::In, "Expected 'In'");
        const uint32_t collection = ParseExpr().node;
        ExpectStatementEnd();
        ParseForBody(index, slot, collection);
    }

    // ---- expressions ----

    // A node over operands: its height from theirs, within the limit.
    TExprRef Seal(uint32_t node, int operandDepth, TSourcePos pos) {
        const int depth = operandDepth + 1;
        if (depth > kMaxExpressionDepth) Fail(pos, "Expression too complex");
        return {node, depth};
    }

    TExprRef Binary(TBinaryOp op, TSourcePos pos, const TExprRef& left, const TExprRef& right) {
        const uint32_t node = AddExpr(TExprKind::Binary, static_cast<uint8_t>(op), left.node, right.node);
        return Seal(node, std::max(left.depth, right.depth), pos);
    }

    TExprRef Unary(TUnaryOp op, TSourcePos pos, const TExprRef& operand) {
        const uint32_t node = AddExpr(TExprKind::Unary, static_cast<uint8_t>(op), operand.node);
        return Seal(node, operand.depth, pos);
    }

    TExprRef ParseExpr() {
        TNest nest(*this, Peek().pos);
        if (LoneOperand()) return ParsePrimary();
        return ParseXor();
    }

    // True when the expression here is one number, string or name (no "." or
    // "(" after it) with no operator after it: each level of ParseXor would
    // only pass ParsePrimary's result up.
    bool LoneOperand() {
        const TTok& t = Peek();
        if (t.kind == TTokenKind::Name) {
            if (t.keyword == TKeyword::Not) return false;
        } else if (t.kind != TTokenKind::Number && t.kind != TTokenKind::String) {
            return false;
        }
        const bool name = t.kind == TTokenKind::Name;
        const TTok& next = Peek(1);
        switch (next.kind) {
            case TTokenKind::Symbol:
                return next.symbol == TSymbol::Comma || next.symbol == TSymbol::RParen ||
                       (!name && (next.symbol == TSymbol::LParen || next.symbol == TSymbol::Dot));
            case TTokenKind::Name:
                return next.keyword != TKeyword::Xor && next.keyword != TKeyword::Or && next.keyword != TKeyword::And &&
                       next.keyword != TKeyword::Mod;
            default: return true;
        }
    }

    TExprRef ParseXor() {
        TExprRef left = ParseOr();
        while (Peek().IsName(TKeyword::Xor)) {
            TSourcePos pos = Take().pos;
            TExprRef right = ParseOr();
            left = Binary(TBinaryOp::Xor, pos, left, right);
        }
        return left;
    }

    TExprRef ParseOr() {
        TExprRef left = ParseAnd();
        while (Peek().IsName(TKeyword::Or)) {
            TSourcePos pos = Take().pos;
            TExprRef right = ParseAnd();
            left = Binary(TBinaryOp::Or, pos, left, right);
        }
        return left;
    }

    TExprRef ParseAnd() {
        TExprRef left = ParseNot();
        while (Peek().IsName(TKeyword::And)) {
            TSourcePos pos = Take().pos;
            TExprRef right = ParseNot();
            left = Binary(TBinaryOp::And, pos, left, right);
        }
        return left;
    }

    TExprRef ParseNot() {
        if (Peek().IsName(TKeyword::Not)) {
            TSourcePos pos = Take().pos;
            TNest nest(*this, pos);
            TExprRef operand = ParseNot();
            return Unary(TUnaryOp::Not, pos, operand);
        }
        return ParseComparison();
    }

    // The comparison a token stands for, if it is one.
    static std::optional<TBinaryOp> ComparisonOp(const TTok& t) {
        if (t.kind != TTokenKind::Symbol) return std::nullopt;
        switch (t.symbol) {
            case TSymbol::Equal: return TBinaryOp::Equal;
            case TSymbol::NotEqual: return TBinaryOp::NotEqual;
            case TSymbol::Less: return TBinaryOp::Less;
            case TSymbol::Greater: return TBinaryOp::Greater;
            case TSymbol::LessEqual: return TBinaryOp::LessEqual;
            case TSymbol::GreaterEqual: return TBinaryOp::GreaterEqual;
            default: return std::nullopt;
        }
    }

    TExprRef ParseComparison() {
        TExprRef left = ParseConcat();
        for (;;) {
            const std::optional<TBinaryOp> op = ComparisonOp(Peek());
            if (!op) return left;
            TSourcePos pos = Take().pos;
            TExprRef right = ParseConcat();
            left = Binary(*op, pos, left, right);
        }
    }

    TExprRef ParseConcat() {
        TExprRef left = ParseAdditive();
        while (Peek().IsSymbol(TSymbol::Ampersand)) {
            TSourcePos pos = Take().pos;
            TExprRef right = ParseAdditive();
            left = Binary(TBinaryOp::Concat, pos, left, right);
        }
        return left;
    }

    TExprRef ParseAdditive() {
        TExprRef left = ParseMod();
        for (;;) {
            TBinaryOp op;
            if (Peek().IsSymbol(TSymbol::Plus))
                op = TBinaryOp::Add;
            else if (Peek().IsSymbol(TSymbol::Minus))
                op = TBinaryOp::Subtract;
            else
                return left;
            TSourcePos pos = Take().pos;
            TExprRef right = ParseMod();
            left = Binary(op, pos, left, right);
        }
    }

    TExprRef ParseMod() {
        TExprRef left = ParseIntDivide();
        while (Peek().IsName(TKeyword::Mod)) {
            TSourcePos pos = Take().pos;
            TExprRef right = ParseIntDivide();
            left = Binary(TBinaryOp::Mod, pos, left, right);
        }
        return left;
    }

    TExprRef ParseIntDivide() {
        TExprRef left = ParseMultiplicative();
        while (Peek().IsSymbol(TSymbol::Backslash)) {
            TSourcePos pos = Take().pos;
            TExprRef right = ParseMultiplicative();
            left = Binary(TBinaryOp::IntDivide, pos, left, right);
        }
        return left;
    }

    TExprRef ParseMultiplicative() {
        TExprRef left = ParseUnary();
        for (;;) {
            TBinaryOp op;
            if (Peek().IsSymbol(TSymbol::Star))
                op = TBinaryOp::Multiply;
            else if (Peek().IsSymbol(TSymbol::Slash))
                op = TBinaryOp::Divide;
            else
                return left;
            TSourcePos pos = Take().pos;
            TExprRef right = ParseUnary();
            left = Binary(op, pos, left, right);
        }
    }

    // Unary minus binds less tightly than "^": -2 ^ 2 is -4.
    TExprRef ParseUnary() {
        if (Peek().IsSymbol(TSymbol::Minus) || Peek().IsSymbol(TSymbol::Plus)) {
            const TTok t = Take();
            const TSourcePos pos = t.pos;
            const bool negate = t.symbol == TSymbol::Minus;
            TNest nest(*this, pos);
            TExprRef operand = ParseUnary();
            if (!negate) return operand;
            return Unary(TUnaryOp::Negate, pos, operand);
        }
        return ParsePower();
    }

    TExprRef ParsePower() {
        TExprRef left = ParsePrimary();
        while (Peek().IsSymbol(TSymbol::Caret)) {
            TSourcePos pos = Take().pos;
            TExprRef right;
            if (Peek().IsSymbol(TSymbol::Minus) || Peek().IsSymbol(TSymbol::Plus))
                right = ParseUnary();  // 2 ^ -1
            else
                right = ParsePrimary();
            left = Binary(TBinaryOp::Power, pos, left, right);
        }
        return left;
    }

    void ParseParenArguments(TList& list) {
        ExpectSymbol(TSymbol::LParen);
        if (Peek().IsSymbol(TSymbol::RParen)) {
            Skip();
            return;
        }
        for (;;) {
            ParseListItem(list);
            if (!Peek().IsSymbol(TSymbol::Comma)) break;
            Skip();
        }
        ExpectSymbol(TSymbol::RParen);
    }

    TExprRef LongLiteral(int32_t value) { return {AddExpr(TExprKind::LongLiteral, 0, static_cast<uint32_t>(value))}; }

    TExprRef StringLiteral(std::u16string_view value) {
        const TTextPool::TRef ref = prog_->text.Add(value);
        return {AddExpr(TExprKind::StringLiteral, 0, ref.block, ref.offset)};
    }

    TExprRef NumberLiteral(const TTok& t) {
        if (prog_->exprs.size() >= UINT32_MAX) throw std::bad_alloc();
        prog_->exprs.push_back(NumberNode(t));
        return {static_cast<uint32_t>(prog_->exprs.size() - 1)};
    }

    static TExprNode NumberNode(const TTok& t) {
        if (!t.real) return {TExprKind::LongLiteral, 0, 0, static_cast<uint32_t>(t.lval), 0};
        const auto bits = std::bit_cast<uint64_t>(t.dval);
        return {TExprKind::DoubleLiteral, 0, 0, static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32)};
    }

    // A string token's value: its text (decoded from UTF-8) with doubled
    // quotes made single.
    TExprRef StringToken(const TTok& t) {
        std::u16string_view value;
        if constexpr (sizeof(Char) == 1) {
            if (t.plain) {
                // ASCII text goes to the pool as it stands.
                const TTextPool::TRef ref = prog_->text.AddLatin1(t.text);
                return {AddExpr(TExprKind::StringLiteral, 0, ref.block, ref.offset)};
            }
            if (std::all_of(t.text.begin(), t.text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
                text_.assign(t.text.begin(), t.text.end());
            else
                text_ = Utf8ToUtf16(t.text);
            value = text_;
        } else {
            value = t.text;
        }
        if (value.find(u'"') == std::u16string_view::npos) return StringLiteral(value);
        std::u16string single;
        single.reserve(value.size());
        for (std::size_t i = 0; i < value.size(); ++i) {
            single += value[i];
            if (value[i] == u'"') ++i;
        }
        return StringLiteral(single);
    }

    TExprRef ParsePrimary() {
        const TTok& peeked = Peek();
        const TSourcePos pos = peeked.pos;
        switch (peeked.kind) {
            case TTokenKind::Number: return NumberLiteral(Take());
            case TTokenKind::String: return StringToken(Take());
            case TTokenKind::Symbol:
                if (peeked.IsSymbol(TSymbol::LParen)) {
                    Skip();
                    TExprRef inner = ParseExpr();
                    ExpectSymbol(TSymbol::RParen);
                    if (prog_->exprs[inner.node].kind == TExprKind::Variable)
                        return Unary(TUnaryOp::Parenthesized, pos, inner);
                    return inner;
                }
                Fail(pos, "Expected expression");
            case TTokenKind::Name: break;
            default: Fail(pos, "Expected expression");
        }

        const TTok name = Take();
        switch (name.keyword) {
            case TKeyword::True: return {AddExpr(TExprKind::BoolLiteral, 0, 1)};
            case TKeyword::False: return {AddExpr(TExprKind::BoolLiteral, 0, 0)};
            case TKeyword::Empty: return {AddExpr(TExprKind::EmptyLiteral)};
            case TKeyword::Nothing: return {AddExpr(TExprKind::Nothing)};
            case TKeyword::Err: return ParseErrRead();
            case TKeyword::WScript: {
                if (!Peek().IsSymbol(TSymbol::Dot)) Fail(pos, "Expected expression");
                Skip();
                const TTok member = Peek();
                if (member.kind != TTokenKind::Name) Fail(member.pos, "Expected identifier");
                if (member.keyword == TKeyword::Echo || member.keyword == TKeyword::Quit)
                    Fail(member.pos, "WScript." + NameText(member.text) + " has no value");
                if (EqualsNoCase(member.text, std::u16string_view(u"arguments"))) return ParseArguments(pos);
                FailCompile(member.pos, NoSuchMember(member.text));
            }
            default: break;
        }
        if (IsReserved(name)) Fail(pos, "Expected expression");
        const TNameInfo& info = Info(name.text);
        if (const TBuiltinInfo* builtin = info.builtin) {
            TList args;
            if (builtin->maxArgs > 0 || Peek().IsSymbol(TSymbol::LParen)) {
                if (!Peek().IsSymbol(TSymbol::LParen)) Fail(Peek().pos, "Expected '('");
                ParseParenArguments(args);
            }
            EndList(args);
            if (args.count < builtin->minArgs || args.count > builtin->maxArgs) Fail(pos, WrongArgCount(name.text));
            const uint32_t node = AddExpr(TExprKind::Builtin, static_cast<uint8_t>(builtin->builtin),
                                          NameIndex(name.text), args.first, args.count);
            return Seal(node, args.depth, pos);
        }
        if (info.constant == TNameInfo::TConstant::String)
            return StringLiteral(kStringConstants[static_cast<std::size_t>(info.value)].second);
        if (info.constant == TNameInfo::TConstant::Long) return LongLiteral(info.value);

        if (Peek().IsSymbol(TSymbol::Dot)) {
            Skip();
            const TTok member = Peek();
            if (member.kind != TTokenKind::Name) Fail(member.pos, "Expected identifier");
            Skip();
            TMemberName& target = MemberOf(member);
            const uint32_t site = Site(VarSlot(name), target, false);
            TList args;
            if (Peek().IsSymbol(TSymbol::LParen)) ParseParenArguments(args);
            EndList(args);
            const uint32_t node = AddExpr(TExprKind::Member, 0, site, args.first, args.count);
            return Seal(node, args.depth, pos);
        }
        const uint32_t slot = VarSlot(name);
        if (Peek().IsSymbol(TSymbol::LParen) && scope_ && slot == (kLocalSlot | ResultLocal())) {
            // F(ARGS) in Function F calls it again.
            TList args;
            ParseParenArguments(args);
            EndList(args);
            const uint32_t node = AddExpr(TExprKind::ProcCall, 0, scope_->procedure, args.first, args.count);
            return Seal(node, args.depth, pos);
        }
        if (Peek().IsSymbol(TSymbol::LParen)) {
            // An array's element, or a call of a procedure (ResolveNames
            // tells them apart).
            if ((slot & kLocalSlot) == 0) indexUses_.emplace_back(slot, pos);
            TList args;
            ParseParenArguments(args);
            EndList(args);
            const uint32_t node = AddExpr(TExprKind::Index, 0, slot, args.first, args.count);
            return Seal(node, args.depth, pos);
        }
        return {AddExpr(TExprKind::Variable, 0, slot)};
    }

    // WScript.Arguments, WScript.Arguments(I), WScript.Arguments.Item(I),
    // .Count and .Length.
    TExprRef ParseArguments(TSourcePos pos) {
        Skip();  // Arguments
        THostMember member = THostMember::None;
        if (Peek().IsSymbol(TSymbol::Dot)) {
            Skip();
            const TTok name = Peek();
            if (name.kind != TTokenKind::Name) Fail(name.pos, "Expected identifier");
            Skip();
            member = HostMemberOf(name.text);
            if (member != THostMember::Count && member != THostMember::Item && member != THostMember::Length)
                FailCompile(name.pos, NoSuchMember(name.text));
        }
        TList args;
        if (Peek().IsSymbol(TSymbol::LParen)) ParseParenArguments(args);
        EndList(args);
        const uint32_t expected = member == THostMember::Item || (member == THostMember::None && args.count > 0) ? 1 : 0;
        if (args.count != expected) Fail(pos, WrongArgCount(std::u16string_view(u"Arguments")));
        const uint32_t node = AddExpr(TExprKind::Arguments, static_cast<uint8_t>(member), 0, args.first, args.count);
        return Seal(node, args.depth, pos);
    }

    // Err alone reads Err.Number, its default property.
    TExprRef ParseErrRead() {
        TErrProperty property = TErrProperty::Number;
        if (Peek().IsSymbol(TSymbol::Dot)) {
            Skip();
            const TTok member = Peek();
            if (member.kind != TTokenKind::Name) Fail(member.pos, "Expected identifier");
            Skip();
            switch (member.keyword) {
                case TKeyword::Number: property = TErrProperty::Number; break;
                case TKeyword::Description: property = TErrProperty::Description; break;
                case TKeyword::Source: property = TErrProperty::Source; break;
                case TKeyword::Clear:
                case TKeyword::Raise: Fail(member.pos, "Err." + NameText(member.text) + " has no value");
                default: FailCompile(member.pos, NoSuchMember(member.text));
            }
        }
        return {AddExpr(TExprKind::ErrProperty, static_cast<uint8_t>(property))};
    }
};

template <typename Char>
TParseResult Parse(std::basic_string_view<Char> source) {
    TParseResult result;
    TParser<Char> parser(source);
    try {
        result.program = parser.Run();
    } catch (const EScriptError& e) {
        // The whole source is read before any statement is judged: a lexical
        // error further on is the one reported.
        std::optional<EScriptError> lexical;
        if (e.Kind() != EScriptError::TKind::Lexical) lexical = parser.LexicalErrorAhead();
        const EScriptError& reported = lexical ? *lexical : e;
        TDiagnostic d;
        d.kind = reported.Kind() == EScriptError::TKind::Compile ? TDiagnostic::TKind::Compile
                                                                 : TDiagnostic::TKind::Syntax;
        d.pos = reported.Pos();
        d.message = reported.what();
        result.error = std::move(d);
        result.program.reset();
    }
    return result;
}

}  // namespace

TParseResult ParseScript(std::u16string_view source) { return Parse(source); }

TParseResult ParseScriptBytes(std::string_view bytes) {
    if (std::optional<std::string_view> utf8 = Utf8ScriptText(bytes)) return Parse(*utf8);
    const std::u16string text = DecodeScript(bytes);
    return Parse(std::u16string_view(text));
}

}  // namespace vellumark::host
