// The parsed form of an automation script, kept compact: statements and
// expressions are small fixed-size nodes in flat arrays that refer to each
// other by index; strings, names and resolved members sit in pools beside
// them. The parser builds it in one pass over the whole source, so every
// syntax error is known before anything runs.
//
// Layout
// - Expression nodes are stored children first and refer to their operands by
//   index. The arguments of a call stand side by side: [first, first + count).
// - Statements are stored in source order, a compound statement before the
//   statements it holds. A block is the range [first, end) of statement
//   indices; a compound statement records where it ends, so a block is run
//   by stepping from one statement to the next at its level.
// - The main program is the block [0, mainEnd). Procedures, when the
//   language gets them, are further blocks in the same arrays with their own
//   range of local slots; loops of other kinds and Select Case are further
//   compound statements of the same shape as For and If.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "control/Variant.h"

namespace vellumark {
struct TMemberInfo;
}

namespace vellumark::host {

// A 1-based line and column in the script source (columns count UTF-16 units).
struct TSourcePos {
    int line = 0;
    int col = 0;
};

// Parenthesized: a variable in parentheses, which a procedure gets by value
// even where its parameter is ByRef.
enum class TUnaryOp : uint8_t { Negate, Not, Parenthesized };

enum class TBinaryOp : uint8_t {
    Add, Subtract, Multiply, Divide, IntDivide, Mod, Power, Concat,
    Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual,
    And, Or, Xor,
};

// The intrinsic functions of the language.
enum class TBuiltin : uint8_t {
    CreateObject, ReadBytes, BitmapHandle, PackedDIBHandle,
    Chr, ChrW, Len, CStr, CLng, CDbl, CBool,
    Int, Fix, Abs, Round, Sqr, Sin, Cos, Tan, Atn, RGB,
    Left, Right, Mid, InStr, InStrRev, Replace, Split, Join, Trim, LTrim, RTrim, UCase, LCase, Space, String,
    StrReverse, Asc, AscW, CInt, IsNumeric, IsEmpty, IsArray, FormatNumber, UBound, LBound, Array,
    Now, Date, Time, Year, Month, Day, Hour, Minute, Second, FormatDateTime,
};

// Properties of the Err object that can be read.
enum class TErrProperty : uint8_t { Number, Description, Source };

// An append-only array in fixed chunks: growing never moves or copies what
// is stored, so a large script's nodes take their own size and no more.
template <typename T, unsigned ChunkBits = 12>
class TChunkedArray {
    static_assert(std::is_trivially_copyable_v<T>);
    static constexpr std::size_t kChunk = std::size_t{1} << ChunkBits;

public:
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    T& operator[](std::size_t i) noexcept { return chunks_[i >> ChunkBits][i & (kChunk - 1)]; }
    const T& operator[](std::size_t i) const noexcept { return chunks_[i >> ChunkBits][i & (kChunk - 1)]; }
    T& back() noexcept { return (*this)[size_ - 1]; }

    void push_back(const T& value) {
        if (size_ == chunks_.size() * kChunk) chunks_.push_back(std::make_unique_for_overwrite<T[]>(kChunk));
        (*this)[size_++] = value;
    }
    void pop_back() noexcept { --size_; }
    // Drops the elements from `size` on (keeps the chunks for reuse).
    void truncate(std::size_t size) noexcept {
        if (size < size_) size_ = size;
    }

private:
    std::vector<std::unique_ptr<T[]>> chunks_;
    std::size_t size_ = 0;
};

// Text stored end to end in large blocks, for string literals: no string
// object and no allocation of its own per piece. A piece whose units are all
// below 0x100 takes one byte a unit, any other two.
class TTextPool {
public:
    struct TRef {
        uint32_t block = 0;
        uint32_t offset = 0;
    };

    // Each piece is stored after a four-byte header: its length in units and,
    // in the top bit, whether it takes two bytes a unit.
    TRef Add(std::u16string_view text) {
        bool wide = false;
        for (char16_t c : text) wide = wide || c > 0xFF;
        TRef ref;
        unsigned char* at = Place(text.size(), wide, ref);
        if (wide) {
            std::memcpy(at, text.data(), text.size() * 2);
        } else {
            for (char16_t c : text) *at++ = static_cast<unsigned char>(c);
        }
        return ref;
    }
    // The same for text whose bytes are its units (Latin-1).
    TRef AddLatin1(std::string_view text) {
        TRef ref;
        unsigned char* at = Place(text.size(), false, ref);
        if (!text.empty()) std::memcpy(at, text.data(), text.size());
        return ref;
    }

private:
    // Room for a piece of `units` units after its header, set in place; where
    // it is goes to `ref`.
    unsigned char* Place(std::size_t units, bool wide, TRef& ref) {
        if (units > kWide - 1 || units > (UINT32_MAX - kHeader) / 2) throw std::bad_alloc();
        const auto length = static_cast<uint32_t>(units);
        const uint32_t size = kHeader + length * (wide ? 2 : 1);
        if (size > kBlock / 4) {
            // A long piece gets a block of its own; small pieces go on filling
            // the current one.
            blocks_.push_back(std::make_unique_for_overwrite<unsigned char[]>(size));
            ref = {static_cast<uint32_t>(blocks_.size() - 1), 0};
        } else {
            if (blocks_.empty() || used_ + size > kBlock) {
                blocks_.push_back(std::make_unique_for_overwrite<unsigned char[]>(kBlock));
                current_ = static_cast<uint32_t>(blocks_.size() - 1);
                used_ = 0;
            }
            ref = {current_, used_};
            used_ += size;
        }
        unsigned char* at = blocks_[ref.block].get() + ref.offset;
        const uint32_t header = length | (wide ? kWide : 0);
        std::memcpy(at, &header, kHeader);
        return at + kHeader;
    }

public:
    std::u16string Text(uint32_t block, uint32_t offset) const {
        std::u16string text;
        TextInto(block, offset, text);
        return text;
    }
    // The same into `text`, in the room it has.
    void TextInto(uint32_t block, uint32_t offset, std::u16string& text) const {
        const unsigned char* at = blocks_[block].get() + offset;
        uint32_t header;
        std::memcpy(&header, at, kHeader);
        at += kHeader;
        const uint32_t length = header & (kWide - 1);
        text.resize(length);
        if (header & kWide)
            std::memcpy(text.data(), at, std::size_t{length} * 2);
        else
            std::copy(at, at + length, text.begin());
    }

private:
    static constexpr uint32_t kBlock = uint32_t{1} << 16;
    static constexpr uint32_t kHeader = 4;
    static constexpr uint32_t kWide = uint32_t{1} << 31;
    std::vector<std::unique_ptr<unsigned char[]>> blocks_;
    uint32_t current_ = 0;
    uint32_t used_ = 0;
};

enum class TExprKind : uint8_t {
    LongLiteral,    // a: the value (int32)
    DoubleLiteral,  // a, b: the value's bits
    BoolLiteral,    // a: 0 or 1
    EmptyLiteral,   //
    StringLiteral,  // a, b: block and offset in text
    Nothing,        // the Nothing object reference
    Variable,       // a: slot (of the script's variables; op is free to tell a procedure's locals apart)
    ErrProperty,    // op: TErrProperty
    Member,         // a: index in sites, b: first argument, count
    Builtin,        // op: TBuiltin, a: index in names (the function as written), b: first argument, count
    Unary,          // op: TUnaryOp, a: operand
    Binary,         // op: TBinaryOp, a: left, b: right
    ArgCount,       // a: the number of the arguments that follow, when count is kManyArgs
    Index,          // NAME(ARGS): a: slot, b: first argument, count; an array's element (or
                    // the arguments object's item)
    ProcCall,       // a: procedure, b: first argument, count
    Arguments,      // WScript.Arguments
};

// The left operand of a Case value's comparison: the value Select tests.
inline constexpr uint32_t kTestedValue = UINT32_MAX;

// Slots with this bit set are a procedure's locals (the rest is the index in
// its frame); the others are the script's variables.
inline constexpr uint32_t kLocalSlot = 0x80000000u;

// A count of arguments that does not fit a node: the real one is in the
// ArgCount node before the first argument.
inline constexpr uint16_t kManyArgs = 0xFFFF;

struct TExprNode {
    TExprKind kind = TExprKind::EmptyLiteral;
    uint8_t op = 0;
    uint16_t count = 0;
    uint32_t a = 0;
    uint32_t b = 0;
};
static_assert(sizeof(TExprNode) == 12);

enum class TStmtKind : uint8_t {
    Assign,             // a: slot, b: value
    SetAssign,          // Set; a: slot, b: value
    Call,               // a: site, b: first argument, c: count (result dropped)
    PropertyPut,        // a: site, b: first argument, c: count (the value last)
    Echo,               // WScript.Echo; b: first argument, c: count
    Quit,               // WScript.Quit; b: first argument, c: count (0 or 1)
    ErrClear,           // Err.Clear
    ErrRaise,           // Err.Raise; b: first argument, c: count
    OnErrorResumeNext,  //
    OnErrorGoto0,       //
    If,                 // a: end; followed by its IfBranch nodes and at most one Else
    IfBranch,           // If or ElseIf (pos is its own): a: end of its body, b: condition
    Else,               // a: end of its body
    For,                // a: slot, b: end of the body, c: From, To and Step, small: 2 or 3 of them
    ExitFor,            //
    ExitDo,             //
    ExitProc,           // Exit Sub, Exit Function
    Do,                 // Do ... Loop and While ... Wend: a: end of the body, b: condition,
                        // small: TLoopTest
    Select,             // a: end, b: the value tested; followed by its Case nodes
    Case,               // a: end of its body, b: first value, c: count; small 1 for Case Else. A
                        // value "Is < x" is a comparison whose left operand is kTestedValue
    ForEach,            // a: slot, b: end of the body, c: the array
    ProcDef,            // Sub or Function: a: end, b: the procedure (its body is skipped here)
    CallProc,           // a: procedure, b: first argument, c: count; small 1: no procedure has the
                        // name, a is its index in names
    IndexAssign,        // a: slot, b: first argument, c: count (the value last)
    DimArray,           // Dim/ReDim NAME(BOUNDS): a: slot, b: first bound, c: count; small: TDimKind
};

// The test of a Do loop; Wend is While ... Wend (WhileFirst, but Exit Do
// leaves the Do around it).
enum class TLoopTest : uint8_t { None, WhileFirst, UntilFirst, WhileLast, UntilLast, Wend };
enum class TDimKind : uint8_t { Dim, ReDim, ReDimPreserve };

struct TStmtNode {
    TStmtKind kind = TStmtKind::Assign;
    uint8_t small = 0;
    TSourcePos pos;
    uint32_t a = 0;
    uint32_t b = 0;
    uint32_t c = 0;
};
static_assert(sizeof(TStmtNode) == 24);

// A member named on an object variable, resolved once for all the places
// that name it the same way on the same variable: the member table entry
// that a call (method, else property get) or a property put reaches.
struct TCallSite {
    const TMemberInfo* member = nullptr;  // null when the object has no such form (an error when it runs)
    int32_t dispid = 0;
    uint32_t slot = 0;  // the object variable
    uint32_t name = 0;  // index in names: the member as written
    bool put = false;
    uint8_t host = 0;   // the member of the host's own objects of that name (THostMember)
};

// Members of the host's own objects (the file system object, its text
// streams and WScript.Arguments); 0 for none.
enum class THostMember : uint8_t {
    None, Count, Item, Length, OpenTextFile, FileExists, ReadLine, ReadAll, AtEndOfStream, Close,
};

// A Sub or Function: its body is the statements [first, end); its locals are
// the parameters, then for a Function its result, then the rest.
struct TProcedure {
    uint32_t first = 0;
    uint32_t end = 0;
    uint32_t name = 0;        // index in names
    uint32_t params = 0;
    uint32_t locals = 0;
    uint32_t localNames = 0;  // the first of its locals' names in TProgram::localNames
    uint64_t byRef = 0;       // bit i: parameter i is ByRef
    bool function = false;
};
inline constexpr uint32_t kMaxParams = 64;

// A script variable, by the spelling of its first use.
struct TVariable {
    std::u16string name;
    bool declared = false;  // named by Dim or Const
};

struct TProgram {
    TChunkedArray<TStmtNode> statements;
    TChunkedArray<TExprNode> exprs;
    TTextPool text;                    // string literals
    std::vector<std::u16string> names;    // member and function names as written, each once
    std::vector<TCallSite> sites;
    std::vector<TVariable> variables;  // indexed by slot
    std::vector<TProcedure> procedures;
    std::vector<std::u16string> localNames;
    uint32_t mainEnd = 0;              // the main program is statements [0, mainEnd)
    bool optionExplicit = false;

    // The value of a literal node.
    TVariant Literal(const TExprNode& e) const {
        switch (e.kind) {
            case TExprKind::LongLiteral: return TVariant::Long(static_cast<int32_t>(e.a));
            case TExprKind::DoubleLiteral:
                return TVariant::Double(std::bit_cast<double>(uint64_t{e.a} | (uint64_t{e.b} << 32)));
            case TExprKind::BoolLiteral: return TVariant::Bool(e.a != 0);
            case TExprKind::StringLiteral: return TVariant::String(text.Text(e.a, e.b));
            default: return {};
        }
    }
    static bool IsLiteral(const TExprNode& e) { return e.kind <= TExprKind::StringLiteral; }

    // The number of arguments of a Member or Builtin node.
    uint32_t ArgCount(const TExprNode& e) const { return e.count != kManyArgs ? e.count : exprs[e.b - 1].a; }

    // Index of the statement after statement i at its level.
    uint32_t Next(uint32_t i) const {
        const TStmtNode& s = statements[i];
        switch (s.kind) {
            case TStmtKind::If:
            case TStmtKind::IfBranch:
            case TStmtKind::Else: return s.a;
            case TStmtKind::For:
            case TStmtKind::ForEach: return s.b;
            case TStmtKind::Do:
            case TStmtKind::Select:
            case TStmtKind::Case:
            case TStmtKind::ProcDef: return s.a;
            default: return i + 1;
        }
    }
};

}  // namespace vellumark::host
