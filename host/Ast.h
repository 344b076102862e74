// The parsed form of an automation script: statements and expressions, each
// with the line and column it starts at. The parser builds it in one pass over
// the whole source, so every syntax error is known before anything runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "control/Variant.h"

namespace vellumark::host {

// A 1-based line and column in the script source (columns count UTF-16 units).
struct TSourcePos {
    int line = 0;
    int col = 0;
};

enum class TUnaryOp : uint8_t { Negate, Not };

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
};

// Properties of the Err object that can be read.
enum class TErrProperty : uint8_t { Number, Description, Source };

enum class TExprKind : uint8_t {
    Literal,      // literal: a number, string, Boolean or Empty
    Nothing,      // the Nothing object reference
    Variable,     // slot
    ErrProperty,  // errProperty
    Member,       // slot (the object variable), name, dispid, args
    Builtin,      // builtin, args
    Unary,        // unaryOp, args[0]
    Binary,       // binaryOp, args[0], args[1]
};

struct TExpr {
    TExprKind kind = TExprKind::Literal;
    TSourcePos pos;
    int depth = 1;  // height of this subtree, bounded by the parser

    TVariant literal;
    int slot = -1;
    std::u16string name;  // member or function name as written
    int32_t dispid = 0;
    TBuiltin builtin = TBuiltin::Len;
    TUnaryOp unaryOp = TUnaryOp::Negate;
    TBinaryOp binaryOp = TBinaryOp::Add;
    TErrProperty errProperty = TErrProperty::Number;
    std::vector<std::unique_ptr<TExpr>> args;
};

using TExprPtr = std::unique_ptr<TExpr>;

struct TStmt;
using TBlock = std::vector<std::unique_ptr<TStmt>>;

enum class TStmtKind : uint8_t {
    Assign,             // slot = value
    SetAssign,          // Set slot = value
    Call,               // slot.name args (result dropped)
    PropertyPut,        // slot.name(args) = value
    Echo,               // WScript.Echo args
    Quit,               // WScript.Quit [value]
    ErrClear,           // Err.Clear
    ErrRaise,           // Err.Raise args
    OnErrorResumeNext,  //
    OnErrorGoto0,       //
    If,                 // branches, elseBlock
    For,                // slot, from, to, step, body
    ExitFor,            //
};

struct TIfBranch {
    TSourcePos pos;  // of the If or ElseIf
    TExprPtr condition;
    TBlock body;
};

struct TStmt {
    TStmtKind kind = TStmtKind::Assign;
    TSourcePos pos;

    int slot = -1;
    std::u16string name;
    int32_t dispid = 0;
    std::vector<TExprPtr> args;
    TExprPtr value;

    std::vector<TIfBranch> branches;
    TBlock elseBlock;

    TExprPtr from, to, step;
    TBlock body;
};

// A script variable, by the spelling of its first use.
struct TVariable {
    std::u16string name;
    bool declared = false;  // named by Dim or Const
};

struct TProgram {
    TBlock statements;
    std::vector<TVariable> variables;  // indexed by slot
    bool optionExplicit = false;
};

}  // namespace vellumark::host
