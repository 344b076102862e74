#include "host/Interpreter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <ostream>
#include <span>
#include <system_error>
#include <vector>

#include "base/InvalidGraphic.h"
#include "base/NoCase.h"
#include "base/OutputBuffer.h"
#include "base/TextCodec.h"
#include "control/Convert.h"
#include "control/ErrorInfo.h"
#include "control/HResult.h"
#include "control/MemberTable.h"
#include "control/PDFDocImpl1.h"
#include "decoders/BMPImage.h"
#include "host/Parser.h"
#include "host/Value.h"
#include "images/Handles.h"
#include "writer/DocumentWriter.h"

namespace vellumark::host {

namespace {

enum class TFlow { Normal, ExitFor, ExitDo, ExitProc, Stop };

// Ends the script from inside a procedure (WScript.Quit, the step limit or an
// error reported): unwinds every call to the main program.
struct TStopScript {};

// An error inside a procedure that no On Error Resume Next there caught: it
// goes on in the statement that called the procedure, and is reported, when
// nothing catches it, where it happened.
struct TPropagated {
    ERuntimeError error;
    TSourcePos pos;
};

// Procedures call each other at most this deep, and while the native stack
// used stays under this (one procedure's statements and expressions, within
// the parser's nesting limits, take a bounded amount more).
constexpr int kMaxCallDepth = 1000;
constexpr std::uintptr_t kStackBudget = std::uintptr_t{2} << 20;

// WScript.Arguments.
class TArgumentsObject : public THostObject {
public:
    explicit TArgumentsObject(const std::vector<std::u16string>& values) : values(values) {}
    const std::vector<std::u16string>& values;
};

// Scripting.FileSystemObject: opens text files for reading.
class TFileSystemObject : public THostObject {};

// A text file opened for reading: its text, and how far it was read.
class TTextStream : public THostObject {
public:
    std::u16string text;
    std::size_t at = 0;
    bool open = true;
};

// A procedure's locals while it runs; a ByRef parameter refers to the
// caller's variable instead.
struct TFrame {
    std::vector<TValue> locals;
    std::vector<TValue*> refs;
    uint32_t procedure = 0;
};


int32_t DispIdOf(std::u16string_view name) { return FindDispId(name).value_or(std::numeric_limits<int32_t>::min()); }

// Saves made in memory in sandbox mode; later ones are skipped so that a loop
// cannot spend its time rendering the same document.
constexpr int kSandboxSaves = 4;

// Statements and expressions run by recursion; the larger members that only
// some of them need are kept out of line ([[gnu::noinline]]) so that their
// locals are not in every frame of it.
class TInterpreter {
public:
    TInterpreter(const TProgram& program, std::string_view scriptName, std::ostream& out, std::ostream& err,
                 const TRunOptions& options)
        : program_(program),
          scriptName_(scriptName),
          out_(out),
          err_(err),
          options_(options),
          vars_(program.variables.size()),
          saveToFile_(DispIdOf(u"SaveToFile")),
          readsFiles_{DispIdOf(u"AddImageFile"), DispIdOf(u"AddFont"), DispIdOf(u"ImageCount"),
                      DispIdOf(u"AddImageBMPHandle"), DispIdOf(u"AboutBox")} {}

    int Run() {
        stackBase_ = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
        try {
            ExecRange(0, program_.mainEnd);
        } catch (const TStopScript&) {
        }
        out_.flush();
        return exitCode_;
    }

private:
    const TProgram& program_;
    std::string scriptName_;
    std::ostream& out_;
    std::ostream& err_;
    TRunOptions options_;
    std::vector<TValue> vars_;
    std::vector<TVariant> arguments_;  // see TArguments
    std::size_t argumentsUsed_ = 0;
    const int32_t saveToFile_;
    const int32_t readsFiles_[5];

    bool resumeNext_ = false;
    int32_t errNumber_ = 0;
    std::u16string errDescription_;
    std::u16string errSource_;
    uint64_t steps_ = 0;
    int sandboxSaves_ = 0;
    int exitCode_ = kExitSuccess;
    TSourcePos pos_{};  // the statement running, for warnings
    TFrame* frame_ = nullptr;  // the procedure running, none in the main program
    int callDepth_ = 0;
    std::uintptr_t stackBase_ = 0;

    // ---- errors ----

    void SetErr(const ERuntimeError& e) {
        errNumber_ = e.Number();
        errDescription_ = e.Description();
        errSource_ = e.Source();
    }

    void ClearErr() {
        errNumber_ = 0;
        errDescription_.clear();
        errSource_.clear();
    }

    void PrintError(TSourcePos pos, const std::string& text) {
        out_.flush();
        err_ << scriptName_ << "(" << pos.line << ", " << pos.col << ") " << text << "\n";
        err_.flush();
    }

    // The engine's notes about the call just made, at the statement's
    // position.
    void PrintWarnings(TPDFDoc& doc, const TCallSite& site) {
        std::vector<TEngineDiagnostic> notes = doc.Engine().Diagnostics().Take();
        if (notes.empty()) return;
        out_.flush();
        for (const TEngineDiagnostic& note : notes)
            err_ << scriptName_ << "(" << pos_.line << ", " << pos_.col << ") warning: " << site.member->name << ": "
                 << note.Message << "\n";
        err_.flush();
    }

    // An error inside a statement: recorded in Err under On Error Resume Next
    // (execution goes on), otherwise reported and the end of the script.
    TFlow Fail(const ERuntimeError& e, TSourcePos pos) {
        if (resumeNext_) {
            SetErr(e);
            return TFlow::Normal;
        }
        if (frame_) throw TPropagated{e, pos};
        return Report(e, pos);
    }

    TFlow Report(const ERuntimeError& e, TSourcePos pos) {
        std::string text;
        if (e.Source() == kRuntimeSource) {
            text = "Runtime error: " + Utf16ToUtf8(e.Description());
            if (!e.Name().empty()) text += ": '" + Utf16ToUtf8(e.Name()) + "'";
        } else {
            text = Utf16ToUtf8(e.Source()) + ": " + Utf16ToUtf8(e.Description());
        }
        PrintError(pos, text);
        exitCode_ = kExitRuntimeError;
        return TFlow::Stop;
    }

    // Runs `action`, turning whatever it raises into a runtime error.
    template <typename F>
    TFlow Guard(TSourcePos pos, F&& action) {
        pos_ = pos;
        try {
            return action();
        } catch (const TPropagated& p) {
            if (resumeNext_) {
                SetErr(p.error);
                return TFlow::Normal;
            }
            if (frame_) throw;
            return Report(p.error, p.pos);
        } catch (const ERuntimeError& e) {
            return Fail(e, pos);
        } catch (const std::bad_alloc&) {
            return Fail(ERuntimeError::Host(rt::kOutOfMemory), pos);
        } catch (const ECoerceError& e) {
            return Fail(ERuntimeError::Host(e.HResult() == hr::kOverflow ? rt::kOverflow : rt::kTypeMismatch), pos);
        } catch (const std::exception& e) {
            return Fail(ERuntimeError(rt::kInternal, Utf8ToUtf16(e.what()), kRuntimeSource), pos);
        }
    }

    // Counts work on `units` array elements against the step limit (a step
    // per 64), so that a bounded run cannot spend its time copying arrays.
    void Charge(std::size_t units) {
        if (options_.maxSteps != 0) steps_ += units / 64;
    }

    // Counts a statement or a loop turn against the step limit.
    bool Step(TSourcePos pos) {
        if (options_.maxSteps == 0 || ++steps_ <= options_.maxSteps) return true;
        PrintError(pos, "Runtime error: Step limit reached");
        exitCode_ = kExitRuntimeError;
        return false;
    }

    // ---- variables ----

    void CheckDeclared(uint32_t slot) const {
        const TVariable& v = program_.variables[slot];
        if (program_.optionExplicit && !v.declared) throw ERuntimeError::Host(rt::kUndefined, v.name);
    }

    // The variable a slot names: the script's, or a local of the procedure
    // running.
    TValue& VarRef(uint32_t slot) {
        if ((slot & kLocalSlot) != 0) {
            const uint32_t local = slot & ~kLocalSlot;
            TValue* ref = frame_->refs[local];
            return ref ? *ref : frame_->locals[local];
        }
        CheckDeclared(slot);
        return vars_[slot];
    }

    const std::u16string& VarName(uint32_t slot) const {
        if ((slot & kLocalSlot) != 0)
            return program_.localNames[program_.procedures[frame_->procedure].localNames + (slot & ~kLocalSlot)];
        return program_.variables[slot].name;
    }

    const TValue& ReadVar(uint32_t slot) { return VarRef(slot); }

    void WriteVar(uint32_t slot, TValue value) { VarRef(slot) = std::move(value); }

    // The object a variable refers to, when it is an object.
    const TValue& ObjectValue(uint32_t slot) {
        const TValue& v = ReadVar(slot);
        if (!v.isObject) throw ERuntimeError::Host(rt::kObjectRequired, VarName(slot));
        if (v.IsNothing()) throw ERuntimeError::Host(rt::kObjectNotSet, VarName(slot));
        return v;
    }

    // ---- statements ----

    const TStmtNode& Stmt(uint32_t i) const { return program_.statements[i]; }
    const TExprNode& Expr(uint32_t i) const { return program_.exprs[i]; }

    // Runs the block [first, end).
    TFlow ExecRange(uint32_t first, uint32_t end) {
        for (uint32_t i = first; i < end; i = program_.Next(i)) {
            TFlow flow = Exec(i);
            if (flow != TFlow::Normal) return flow;
        }
        return TFlow::Normal;
    }

    TFlow Exec(uint32_t i) {
        const TStmtNode& s = Stmt(i);
        if (!Step(s.pos)) return TFlow::Stop;
        switch (s.kind) {
            case TStmtKind::If: return ExecIf(i);
            case TStmtKind::For: return Guard(s.pos, [&] { return ExecFor(i); });
            case TStmtKind::ForEach: return Guard(s.pos, [&] { return ExecForEach(i); });
            case TStmtKind::Do: return ExecDo(i);
            case TStmtKind::Select: return ExecSelect(i);
            case TStmtKind::ProcDef: return TFlow::Normal;
            case TStmtKind::ExitFor: return TFlow::ExitFor;
            case TStmtKind::ExitDo: return TFlow::ExitDo;
            case TStmtKind::ExitProc: return TFlow::ExitProc;
            case TStmtKind::OnErrorResumeNext:
                resumeNext_ = true;
                ClearErr();
                return TFlow::Normal;
            case TStmtKind::OnErrorGoto0:
                resumeNext_ = false;
                ClearErr();
                return TFlow::Normal;
            case TStmtKind::ErrClear: ClearErr(); return TFlow::Normal;
            default: return Guard(s.pos, [&] { return ExecSimple(s); });
        }
    }

    TFlow ExecSimple(const TStmtNode& s) {
        switch (s.kind) {
            case TStmtKind::Assign: {
                TValue v = Eval(s.b);
                if (v.isObject) DataOf(v);  // an object has no value to assign without Set
                WriteVar(s.a, std::move(v));
                return TFlow::Normal;
            }
            case TStmtKind::SetAssign: {
                TValue v = Eval(s.b);
                if (!v.isObject) throw ERuntimeError::Host(rt::kObjectRequired);
                WriteVar(s.a, std::move(v));
                return TFlow::Normal;
            }
            case TStmtKind::Call:
            case TStmtKind::PropertyPut: {
                // A put's value is the last of its arguments.
                const TCallSite& site = program_.sites[s.a];
                const TValue& object = ObjectValue(site.slot);
                if (object.host) {
                    if (site.put) throw ERuntimeError::Host(rt::kNoSuchMember, program_.names[site.name]);
                    const std::shared_ptr<THostObject> held = object.host;
                    CallHost(*held, site, s.b, s.c);
                    return TFlow::Normal;
                }
                const THeldDoc doc(*this, object, s.b, s.c);
                TArguments args(*this);
                PushArguments(s.b, s.c);
                Invoke(doc.Get(), site, args.Values());
                return TFlow::Normal;
            }
            case TStmtKind::CallProc:
                if (s.small != 0) throw ERuntimeError::Host(rt::kTypeMismatch, program_.names[s.a]);
                CallProcedure(s.a, s.b, s.c);
                return TFlow::Normal;
            case TStmtKind::IndexAssign: {
                TValue v = Eval(s.b + s.c - 1);
                if (v.isObject) DataOf(v);
                TValue& element = Element(s.a, s.b, s.c - 1, true);
                element = std::move(v);
                return TFlow::Normal;
            }
            case TStmtKind::DimArray: return ExecDim(s);
            case TStmtKind::Echo: {
                std::u16string line;
                for (uint32_t i = 0; i < s.c; ++i) {
                    TValue v = Eval(s.b + i);
                    if (i > 0) line += u' ';
                    if (!v.isDate && DataOf(v).vt == TVarType::Null)
                        line += u"Null";
                    else
                        line += TextOf(v);
                }
                out_ << Utf16ToUtf8(line) << '\n';
                return TFlow::Normal;
            }
            case TStmtKind::Quit: {
                int32_t code = 0;
                if (s.c > 0) code = ToLong(DataOf(Eval(s.b)));
                exitCode_ = code;
                return TFlow::Stop;
            }
            case TStmtKind::ErrRaise: return ExecRaise(s);
            default: break;
        }
        throw ERuntimeError::Host(rt::kInternal);
    }

    TFlow ExecRaise(const TStmtNode& s) {
        int32_t number = ToLong(DataOf(Eval(s.b)));
        std::u16string source = kRuntimeSource;
        std::u16string description = RuntimeMessage(number);
        if (s.c > 1) source = ToText(DataOf(Eval(s.b + 1)));
        if (s.c > 2) description = ToText(DataOf(Eval(s.b + 2)));
        for (uint32_t i = 3; i < s.c; ++i) DataOf(Eval(s.b + i));
        throw ERuntimeError(number, std::move(description), std::move(source));
    }

    // An If statement: its IfBranch nodes in turn, then its Else if any.
    TFlow ExecIf(uint32_t i) {
        const uint32_t end = Stmt(i).a;
        for (uint32_t j = i + 1; j < end;) {
            const TStmtNode& branch = Stmt(j);
            if (branch.kind == TStmtKind::Else) return ExecRange(j + 1, branch.a);
            bool taken = false;
            bool failed = false;
            TFlow flow = Guard(branch.pos, [&] {
                failed = true;
                taken = ToBool(DataOf(Eval(branch.b)));
                failed = false;
                return TFlow::Normal;
            });
            if (flow == TFlow::Stop) return flow;
            // Under On Error Resume Next a condition that fails counts as
            // true: execution resumes with the next statement, the first of
            // the branch, as the language does it.
            if (failed || taken) return ExecRange(j + 1, branch.a);
            j = branch.a;
        }
        return TFlow::Normal;
    }

    TFlow ExecFor(uint32_t i) {
        const TStmtNode& s = Stmt(i);
        const uint32_t slot = s.a;
        TVariant from = NumericOf(Eval(s.c));
        TVariant to = NumericOf(Eval(s.c + 1));
        TVariant step = s.small > 2 ? NumericOf(Eval(s.c + 2)) : TVariant::Long(1);
        const double limit = to.vt == TVarType::I4 ? to.lVal : to.dblVal;
        const bool up = (step.vt == TVarType::I4 ? step.lVal : step.dblVal) >= 0;
        WriteVar(slot, TValue::Data(from));
        for (;;) {
            TVariant counter = NumericOf(ReadVar(slot));
            double c = counter.vt == TVarType::I4 ? counter.lVal : counter.dblVal;
            if (up ? c > limit : c < limit) break;
            if (!Step(s.pos)) return TFlow::Stop;
            TFlow flow = ExecRange(i + 1, s.b);
            if (flow == TFlow::ExitFor) break;
            if (flow != TFlow::Normal) return flow;
            TVariant next = BinaryOperation(TBinaryOp::Add, NumericOf(ReadVar(slot)), step, 0);
            WriteVar(slot, TValue::Data(std::move(next)));
        }
        return TFlow::Normal;
    }

    TVariant NumericOf(const TValue& v) { return ToNumber(DataOf(v)); }

    // The values a For Each visits: an array's elements, or the script's
    // arguments.
    [[gnu::noinline]] TFlow ExecForEach(uint32_t i) {
        const TStmtNode& s = Stmt(i);
        TValue collection = Eval(s.c);
        std::vector<TValue> items;
        if (collection.array) {
            Charge(collection.array->items.size());
            items = collection.array->items;
        } else if (auto* arguments = dynamic_cast<TArgumentsObject*>(collection.host.get())) {
            for (const std::u16string& a : arguments->values) items.push_back(TValue::Data(TVariant::String(a)));
        } else {
            throw ERuntimeError::Host(collection.isObject ? rt::kNoSuchMember : rt::kTypeMismatch);
        }
        for (TValue& item : items) {
            WriteVar(s.a, std::move(item));
            if (!Step(s.pos)) return TFlow::Stop;
            TFlow flow = ExecRange(i + 1, s.b);
            if (flow == TFlow::ExitFor) break;
            if (flow != TFlow::Normal) return flow;
        }
        return TFlow::Normal;
    }

    // A condition; under On Error Resume Next one that fails counts as true,
    // as in If. Empty when the script is to stop.
    std::optional<bool> Condition(uint32_t expr, TSourcePos pos) {
        bool value = false;
        bool failed = false;
        TFlow flow = Guard(pos, [&] {
            failed = true;
            value = ToBool(DataOf(Eval(expr)));
            failed = false;
            return TFlow::Normal;
        });
        if (flow == TFlow::Stop) return std::nullopt;
        return failed || value;
    }

    [[gnu::noinline]] TFlow ExecDo(uint32_t i) {
        const TStmtNode& s = Stmt(i);
        const auto test = static_cast<TLoopTest>(s.small);
        for (bool first = true;; first = false) {
            if (!first && !Step(s.pos)) return TFlow::Stop;
            if (test == TLoopTest::WhileFirst || test == TLoopTest::UntilFirst || test == TLoopTest::Wend) {
                std::optional<bool> c = Condition(s.b, s.pos);
                if (!c) return TFlow::Stop;
                if (*c != (test != TLoopTest::UntilFirst)) break;
            }
            TFlow flow = ExecRange(i + 1, s.a);
            if (flow == TFlow::ExitDo && test != TLoopTest::Wend) break;
            if (flow != TFlow::Normal) return flow;
            if (test == TLoopTest::WhileLast || test == TLoopTest::UntilLast) {
                std::optional<bool> c = Condition(s.b, s.pos);
                if (!c) return TFlow::Stop;
                if (*c != (test == TLoopTest::WhileLast)) break;
            }
        }
        return TFlow::Normal;
    }

    // Select Case: the first Case with a value equal to the one tested, else
    // Case Else.
    [[gnu::noinline]] TFlow ExecSelect(uint32_t i) {
        const TStmtNode& s = Stmt(i);
        TValue tested;
        TFlow flow = Guard(s.pos, [&] {
            tested = Eval(s.b);
            DataOf(tested);
            return TFlow::Normal;
        });
        if (flow == TFlow::Stop) return flow;
        for (uint32_t j = i + 1; j < s.a; j = Stmt(j).a) {
            const TStmtNode& c = Stmt(j);
            if (c.small != 0) return ExecRange(j + 1, c.a);
            bool taken = false;
            flow = Guard(c.pos, [&] {
                for (uint32_t k = 0; k < c.c && !taken; ++k) {
                    const TExprNode& value = Expr(c.b + k);
                    const bool is = value.kind == TExprKind::Binary && value.a == kTestedValue;
                    TValue v = Eval(is ? value.b : c.b + k);
                    const auto op = is ? static_cast<TBinaryOp>(value.op) : TBinaryOp::Equal;
                    taken = ToBool(BinaryOperation(op, DataOf(tested), DataOf(v), 0));
                }
                return TFlow::Normal;
            });
            if (flow == TFlow::Stop) return flow;
            if (taken) return ExecRange(j + 1, c.a);
        }
        return TFlow::Normal;
    }

    // ---- arrays ----

    std::shared_ptr<TArrayValue> NewArray(std::vector<int32_t> upper) {
        // Dim a() makes an array without dimensions or elements.
        std::size_t count = upper.empty() ? 0 : 1;
        for (int32_t u : upper) {
            if (u < -1) throw ERuntimeError::Host(rt::kSubscript);
            count *= static_cast<std::size_t>(u + 1);
            if (count > kMaxArrayElements) throw ERuntimeError::Host(rt::kOutOfMemory);
        }
        Charge(count);
        auto array = std::make_shared<TArrayValue>();
        array->upper = std::move(upper);
        array->items.resize(count);
        return array;
    }

    TValue ArrayOf(std::vector<TValue> items) {
        if (items.size() > kMaxArrayElements) throw ERuntimeError::Host(rt::kOutOfMemory);
        Charge(items.size());
        auto array = std::make_shared<TArrayValue>();
        array->upper = {static_cast<int32_t>(items.size()) - 1};
        array->items = std::move(items);
        TValue v;
        v.array = std::move(array);
        return v;
    }

    [[gnu::noinline]] TFlow ExecDim(const TStmtNode& s) {
        std::vector<int32_t> upper;
        for (uint32_t k = 0; k < s.c; ++k) upper.push_back(ToLong(DataOf(Eval(s.b + k))));
        TValue& var = VarRef(s.a);
        std::shared_ptr<TArrayValue> array = NewArray(upper);
        if (static_cast<TDimKind>(s.small) == TDimKind::ReDimPreserve && var.array) {
            // Only the last dimension may change; the elements kept stay.
            const TArrayValue& old = *var.array;
            if (old.upper.size() != upper.size()) throw ERuntimeError::Host(rt::kSubscript);
            for (std::size_t d = 0; d + 1 < upper.size(); ++d)
                if (old.upper[d] != upper[d]) throw ERuntimeError::Host(rt::kSubscript);
            const std::size_t kept = std::min(old.items.size(), array->items.size());
            std::copy(old.items.begin(), old.items.begin() + static_cast<std::ptrdiff_t>(kept), array->items.begin());
        }
        TValue v;
        v.array = std::move(array);
        var = std::move(v);
        return TFlow::Normal;
    }

    // The offset of the element that the indices [first, first + count) name.
    std::size_t Offset(const TArrayValue& array, uint32_t first, uint32_t count) {
        if (count != array.upper.size()) throw ERuntimeError::Host(rt::kSubscript);
        std::size_t offset = 0;
        std::size_t stride = 1;
        for (uint32_t k = 0; k < count; ++k) {
            const int32_t index = ToLong(DataOf(Eval(first + k)));
            const int32_t upper = array.upper[k];
            if (index < 0 || index > upper) throw ERuntimeError::Host(rt::kSubscript);
            offset += static_cast<std::size_t>(index) * stride;
            stride *= static_cast<std::size_t>(upper + 1);
        }
        return offset;
    }

    // An element of the array in a variable; for a change, the array is made
    // the variable's own first.
    TValue& Element(uint32_t slot, uint32_t first, uint32_t count, bool write) {
        TValue& var = VarRef(slot);
        if (!var.array) throw ERuntimeError::Host(rt::kTypeMismatch, VarName(slot));
        // The indices may change the variable; the array is held meanwhile.
        std::shared_ptr<TArrayValue> held = var.array;
        const std::size_t offset = Offset(*held, first, count);
        TValue& now = VarRef(slot);
        if (now.array != held) throw ERuntimeError::Host(rt::kSubscript);
        held.reset();
        if (write && now.array.use_count() > 1) {
            Charge(now.array->items.size());
            now.array = std::make_shared<TArrayValue>(*now.array);
        }
        return now.array->items[offset];
    }

    // ---- procedures ----

    void CallProcedure(uint32_t index, uint32_t first, uint32_t count, TValue* result = nullptr) {
        const TProcedure& proc = program_.procedures[index];
        if (count != proc.params) throw ERuntimeError::Host(rt::kWrongArgs, program_.names[proc.name]);
        const auto at = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
        const std::uintptr_t used = at < stackBase_ ? stackBase_ - at : at - stackBase_;
        if (callDepth_ >= kMaxCallDepth || used > kStackBudget) throw ERuntimeError::Host(rt::kOutOfStack);
        TFrame frame;
        frame.procedure = index;
        frame.locals.resize(proc.locals);
        frame.refs.assign(proc.locals, nullptr);
        for (uint32_t k = 0; k < count; ++k) {
            const TExprNode& e = Expr(first + k);
            if ((proc.byRef >> k & 1) != 0 && e.kind == TExprKind::Variable)
                frame.refs[k] = &VarRef(e.a);
            else
                frame.locals[k] = Eval(first + k);
        }
        // The caller's state comes back however the call ends.
        struct TRestore {
            TInterpreter& in;
            TFrame* frame;
            bool resumeNext;
            ~TRestore() {
                in.frame_ = frame;
                in.resumeNext_ = resumeNext;
                --in.callDepth_;
            }
        } restore{*this, frame_, resumeNext_};
        ++callDepth_;
        frame_ = &frame;
        resumeNext_ = false;
        if (ExecRange(proc.first, proc.end) == TFlow::Stop) throw TStopScript{};
        if (result && proc.function) *result = std::move(frame.locals[proc.params]);
    }

    // ---- the host's own objects ----

    [[gnu::noinline]] TValue CallHost(THostObject& object, const TCallSite& site, uint32_t first, uint32_t count) {
        const auto member = static_cast<THostMember>(site.host);
        const std::u16string& name = program_.names[site.name];
        auto wantArgs = [&](uint32_t low, uint32_t high) {
            if (count < low || count > high) throw ERuntimeError::Host(rt::kWrongArgs, name);
        };
        if (auto* arguments = dynamic_cast<TArgumentsObject*>(&object)) {
            if (member == THostMember::Count || member == THostMember::Length) {
                wantArgs(0, 0);
                return TValue::Data(TVariant::Long(static_cast<int32_t>(arguments->values.size())));
            }
            if (member == THostMember::Item) {
                wantArgs(1, 1);
                return TValue::Data(ArgumentItem(*arguments, first));
            }
        } else if (dynamic_cast<TFileSystemObject*>(&object)) {
            if (member == THostMember::FileExists) {
                wantArgs(1, 1);
                const std::u16string path = ToText(DataOf(Eval(first)));
                std::error_code ec;
                const bool exists = !options_.sandbox && !path.empty() && path.find(u'\0') == std::u16string::npos &&
                                    std::filesystem::is_regular_file(std::filesystem::path(Utf16ToUtf8(path)), ec);
                return TValue::Data(TVariant::Bool(exists));
            }
            if (member == THostMember::OpenTextFile) {
                wantArgs(1, 4);
                // OpenTextFile(path[, mode[, create[, format]]]): reading only;
                // format -1 is UTF-16 (little-endian), else the ANSI code page.
                const std::u16string path = ToText(DataOf(Eval(first)));
                bool unicode = false;
                for (uint32_t k = 1; k < count; ++k) {
                    TVariant v = DataOf(Eval(first + k));
                    if (k == 1 && ToLong(v) != 1) throw ERuntimeError::Host(rt::kBadFileMode);
                    if (k == 3) unicode = ToLong(v) == -1;
                }
                auto stream = std::make_shared<TTextStream>();
                const std::vector<uint8_t> bytes = ReadBytes(path).bytes;
                if (unicode) {
                    std::size_t i = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE ? 2 : 0;
                    for (; i + 1 < bytes.size(); i += 2)
                        stream->text += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
                } else {
                    stream->text = FromAnsi(std::string(bytes.begin(), bytes.end()));
                }
                return TValue::Host(std::move(stream));
            }
        } else if (auto* stream = dynamic_cast<TTextStream*>(&object)) {
            switch (member) {
                case THostMember::AtEndOfStream:
                    wantArgs(0, 0);
                    if (!stream->open) throw ERuntimeError::Host(rt::kBadFileMode);
                    return TValue::Data(TVariant::Bool(stream->at >= stream->text.size()));
                case THostMember::ReadLine: {
                    wantArgs(0, 0);
                    if (!stream->open) throw ERuntimeError::Host(rt::kBadFileMode);
                    if (stream->at >= stream->text.size()) throw ERuntimeError::Host(rt::kPastEnd);
                    std::size_t end = stream->text.find_first_of(u"\r\n", stream->at);
                    if (end == std::u16string::npos) end = stream->text.size();
                    std::u16string line = stream->text.substr(stream->at, end - stream->at);
                    stream->at = end;
                    if (stream->at < stream->text.size() && stream->text[stream->at] == u'\r') ++stream->at;
                    if (stream->at < stream->text.size() && stream->text[stream->at] == u'\n') ++stream->at;
                    return TValue::Data(TVariant::String(std::move(line)));
                }
                case THostMember::ReadAll: {
                    wantArgs(0, 0);
                    if (!stream->open) throw ERuntimeError::Host(rt::kBadFileMode);
                    if (stream->at >= stream->text.size()) throw ERuntimeError::Host(rt::kPastEnd);
                    std::u16string rest = stream->text.substr(stream->at);
                    stream->at = stream->text.size();
                    return TValue::Data(TVariant::String(std::move(rest)));
                }
                case THostMember::Close:
                    wantArgs(0, 0);
                    stream->open = false;
                    return {};
                default: break;
            }
        }
        throw ERuntimeError::Host(rt::kNoSuchMember, name);
    }

    TVariant ArgumentItem(const TArgumentsObject& arguments, uint32_t expr) {
        const int32_t index = ToLong(DataOf(Eval(expr)));
        if (index < 0 || static_cast<std::size_t>(index) >= arguments.values.size())
            throw ERuntimeError::Host(rt::kSubscript);
        return TVariant::String(arguments.values[static_cast<std::size_t>(index)]);
    }

    // ---- calls on the control ----

    // The arguments of one call, on a stack shared by all calls: the values
    // pushed while the frame lives are its arguments, and go when it ends.
    // The stack's places stay, empty, with their strings' room for the next
    // calls (see NextArgument).
    class TArguments {
    public:
        explicit TArguments(TInterpreter& interpreter) : interpreter_(interpreter), base_(interpreter.argumentsUsed_) {}
        ~TArguments() {
            for (std::size_t i = base_; i < interpreter_.argumentsUsed_; ++i) Empty(interpreter_.arguments_[i]);
            interpreter_.argumentsUsed_ = base_;
        }
        TArguments(const TArguments&) = delete;
        TArguments& operator=(const TArguments&) = delete;
        std::span<const TVariant> Values() const {
            return std::span<const TVariant>(interpreter_.arguments_.data() + base_,
                                             interpreter_.argumentsUsed_ - base_);
        }

    private:
        TInterpreter& interpreter_;
        std::size_t base_;

        // An Empty value again; a string keeps its room unless it is large.
        static void Empty(TVariant& v) noexcept {
            v.vt = TVarType::Empty;
            v.lVal = 0;
            v.dblVal = 0;
            v.boolVal = false;
            if (v.bstrVal.capacity() > kKeptRoom)
                std::u16string().swap(v.bstrVal);
            else
                v.bstrVal.clear();
            if (v.bytes.capacity() != 0) std::vector<uint8_t>().swap(v.bytes);
        }
        static constexpr std::size_t kKeptRoom = 4096;
    };

    // The next place on the argument stack, Empty.
    TVariant& NextArgument() {
        if (argumentsUsed_ == arguments_.size()) arguments_.emplace_back();
        return arguments_[argumentsUsed_++];
    }

    // The control object of a call while its arguments are evaluated: held
    // when evaluating them may run script code (which may assign the
    // variable that refers to it), else read where it is.
    class THeldDoc {
    public:
        THeldDoc(const TInterpreter& interpreter, const TValue& object, uint32_t first, uint32_t count)
            : doc_(object.object.get()) {
            for (uint32_t i = first; i < first + count; ++i) {
                const TExprKind kind = interpreter.Expr(i).kind;
                if (!TProgram::IsLiteral(interpreter.Expr(i)) && kind != TExprKind::Variable) {
                    held_ = object.object;
                    break;
                }
            }
        }
        TPDFDoc& Get() const { return *doc_; }

    private:
        TPDFDoc* doc_;
        std::shared_ptr<TPDFDoc> held_;
    };

    // An argument for the control: plain data only.
    TVariant Argument(const TValue& v) {
        if (v.isObject) throw ERuntimeError::Host(rt::kTypeMismatch);
        return v.data;
    }

    // Evaluates the expressions [first, first + count) onto the argument stack.
    void PushArguments(uint32_t first, uint32_t count) {
        for (uint32_t i = first; i < first + count; ++i) {
            const TExprNode& e = Expr(i);
            switch (e.kind) {
                case TExprKind::LongLiteral: {
                    TVariant& v = NextArgument();
                    v.vt = TVarType::I4;
                    v.lVal = static_cast<int32_t>(e.a);
                    break;
                }
                case TExprKind::DoubleLiteral: {
                    TVariant& v = NextArgument();
                    v.vt = TVarType::R8;
                    v.dblVal = std::bit_cast<double>(uint64_t{e.a} | (uint64_t{e.b} << 32));
                    break;
                }
                case TExprKind::StringLiteral: {
                    TVariant& v = NextArgument();
                    v.vt = TVarType::BStr;
                    program_.text.TextInto(e.a, e.b, v.bstrVal);
                    break;
                }
                case TExprKind::BoolLiteral:
                case TExprKind::EmptyLiteral: NextArgument() = program_.Literal(e); break;
                case TExprKind::Variable: {
                    const TValue& v = ReadVar(static_cast<int>(e.a));
                    if (v.isObject) throw ERuntimeError::Host(rt::kTypeMismatch);
                    NextArgument() = v.data;
                    break;
                }
                default: {
                    TValue v = Eval(i);
                    if (v.isObject) throw ERuntimeError::Host(rt::kTypeMismatch);
                    NextArgument() = std::move(v.data);
                }
            }
        }
    }

    bool ReadsFiles(int32_t dispid) const {
        for (int32_t id : readsFiles_)
            if (id == dispid) return true;
        return false;
    }

    // In sandbox mode SaveToFile builds the file in memory and drops it.
    TVariant SandboxSave(TPDFDoc& doc, std::span<const TVariant> args) {
        if (args.size() != 1) throw ERuntimeError::Host(rt::kWrongArgs, u"SaveToFile");
        ToText(args[0]);
        if (sandboxSaves_ >= kSandboxSaves) return {};
        ++sandboxSaves_;
        try {
            TOutputBuffer buffer;
            WriteDocument(doc.Engine(), buffer, std::time_t{0});
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception& e) {
            throw ERuntimeError(hr::kUnexpected, Utf8ToUtf16(e.what()), kProgID);
        }
        return {};
    }

    // Calls the member a call site resolved to, through the control's
    // function table.
    TVariant Invoke(TPDFDoc& doc, const TCallSite& site, std::span<const TVariant> args) {
        if (options_.sandbox) {
            if (site.dispid == saveToFile_ && !site.put) return SandboxSave(doc, args);
            if (ReadsFiles(site.dispid)) return {};
        }
        if (!site.member) throw ERuntimeError::Host(rt::kNoSuchMember, program_.names[site.name]);
        TVariant result;
        const HRESULT status = doc.CallSlot(site.member->slot, args, &result);
        if (options_.warnings) PrintWarnings(doc, site);
        if (status >= 0) return result;
        // A failure of the member itself leaves its error information.
        if (std::optional<TErrorInfo> info = GetErrorInfo())
            throw ERuntimeError(status, std::move(info->description),
                                info->source.empty() ? std::u16string(kProgID) : std::move(info->source));
        switch (status) {
            // Failures of the call itself are reported with their message
            // only; the statement's position shows which call it was.
            case hr::kTypeMismatch: throw ERuntimeError::Host(rt::kTypeMismatch);
            case hr::kOverflow: throw ERuntimeError::Host(rt::kOverflow);
            case hr::kBadParamCount: throw ERuntimeError::Host(rt::kWrongArgs);
            case hr::kParamNotOptional: throw ERuntimeError::Host(rt::kArgNotOptional);
            case hr::kMemberNotFound:
            case hr::kUnknownName: throw ERuntimeError::Host(rt::kNoSuchMember, program_.names[site.name]);
            default: throw ERuntimeError(status, u"Automation error", kRuntimeSource);
        }
    }

    // ---- expressions ----

    TValue Eval(uint32_t index) {
        const TExprNode& e = Expr(index);
        switch (e.kind) {
            case TExprKind::LongLiteral:
            case TExprKind::DoubleLiteral:
            case TExprKind::BoolLiteral:
            case TExprKind::EmptyLiteral:
            case TExprKind::StringLiteral: return TValue::Data(program_.Literal(e));
            case TExprKind::Nothing: return TValue::Nothing();
            case TExprKind::Variable: return ReadVar(static_cast<int>(e.a));
            case TExprKind::ErrProperty:
                switch (static_cast<TErrProperty>(e.op)) {
                    case TErrProperty::Number: return TValue::Data(TVariant::Long(errNumber_));
                    case TErrProperty::Description: return TValue::Data(TVariant::String(errDescription_));
                    case TErrProperty::Source: return TValue::Data(TVariant::String(errSource_));
                }
                break;
            case TExprKind::Member: {
                const TCallSite& site = program_.sites[e.a];
                const TValue& object = ObjectValue(site.slot);
                if (object.host) {
                    const std::shared_ptr<THostObject> held = object.host;
                    return CallHost(*held, site, e.b, program_.ArgCount(e));
                }
                const THeldDoc doc(*this, object, e.b, program_.ArgCount(e));
                TArguments args(*this);
                PushArguments(e.b, program_.ArgCount(e));
                return TValue::Data(Invoke(doc.Get(), site, args.Values()));
            }
            case TExprKind::Index: {
                const TValue& v = ReadVar(e.a);
                if (v.host) {
                    if (auto* arguments = dynamic_cast<TArgumentsObject*>(v.host.get())) {
                        if (program_.ArgCount(e) != 1) throw ERuntimeError::Host(rt::kWrongArgs, VarName(e.a));
                        const std::shared_ptr<THostObject> held = v.host;
                        return TValue::Data(ArgumentItem(*arguments, e.b));
                    }
                    throw ERuntimeError::Host(rt::kNoSuchMember, VarName(e.a));
                }
                return Element(e.a, e.b, program_.ArgCount(e), false);
            }
            case TExprKind::ProcCall: {
                TValue result;
                CallProcedure(e.a, e.b, program_.ArgCount(e), &result);
                return result;
            }
            case TExprKind::Arguments: {
                auto arguments = std::make_shared<TArgumentsObject>(options_.arguments);
                switch (static_cast<THostMember>(e.op)) {
                    case THostMember::Count:
                    case THostMember::Length:
                        return TValue::Data(TVariant::Long(static_cast<int32_t>(arguments->values.size())));
                    case THostMember::Item: return TValue::Data(ArgumentItem(*arguments, e.b));
                    default:
                        if (e.count > 0) return TValue::Data(ArgumentItem(*arguments, e.b));
                        return TValue::Host(std::move(arguments));
                }
            }
            case TExprKind::Builtin: return CallBuiltin(e);
            case TExprKind::Unary: {
                if (static_cast<TUnaryOp>(e.op) == TUnaryOp::Parenthesized) return Eval(e.a);
                TValue v = Eval(e.a);
                const TVariant& d = DataOf(v);
                return TValue::Data(static_cast<TUnaryOp>(e.op) == TUnaryOp::Negate ? Negate(d) : LogicalNot(d));
            }
            case TExprKind::Binary: {
                TValue l = Eval(e.a);
                TValue r = Eval(e.b);
                const auto op = static_cast<TBinaryOp>(e.op);
                if (op == TBinaryOp::Concat && (l.isDate || r.isDate)) {
                    TVariant lt = l.isDate ? TVariant::String(TextOf(l)) : DataOf(l);
                    TVariant rt = r.isDate ? TVariant::String(TextOf(r)) : DataOf(r);
                    return TValue::Data(BinaryOperation(op, lt, rt, options_.maxStringLength));
                }
                return TValue::Data(BinaryOperation(op, DataOf(l), DataOf(r), options_.maxStringLength));
            }
            case TExprKind::ArgCount: break;
        }
        throw ERuntimeError::Host(rt::kInternal);
    }

    // A value's text as CStr gives it.
    std::u16string TextOf(const TValue& v) {
        if (v.isDate) return FormatDate(v.data.dblVal, 0);
        return ToText(DataOf(v));
    }

    [[gnu::noinline]] TValue CallBuiltin(const TExprNode& e) {
        const auto builtin = static_cast<TBuiltin>(e.op);
        const uint32_t first = e.b;
        const uint32_t count = program_.ArgCount(e);
        const std::u16string& name = program_.names[e.a];
        if (builtin == TBuiltin::CreateObject) {
            std::u16string progID = ToText(DataOf(Eval(first)));
            if (EqualsNoCase(progID, std::u16string_view(u"Scripting.FileSystemObject")))
                return TValue::Host(std::make_shared<TFileSystemObject>());
            if (!EqualsNoCase(progID, kProgID)) throw ERuntimeError::Host(rt::kCannotCreate, progID);
            auto doc = std::make_shared<TPDFDoc>();
            if (options_.warnings) doc->Engine().Diagnostics().Listen(true);
            return TValue::Object(std::move(doc));
        }
        std::vector<TValue> values;
        values.reserve(count);
        for (uint32_t i = first; i < first + count; ++i) values.push_back(Eval(i));
        switch (builtin) {
            case TBuiltin::Array: return ArrayOf(std::move(values));
            case TBuiltin::IsArray: return TValue::Data(TVariant::Bool(values[0].array != nullptr));
            case TBuiltin::IsEmpty:
                return TValue::Data(TVariant::Bool(!values[0].isObject && !values[0].array && !values[0].isDate &&
                                                   values[0].data.vt == TVarType::Empty));
            case TBuiltin::UBound:
            case TBuiltin::LBound: {
                if (!values[0].array) throw ERuntimeError::Host(rt::kTypeMismatch, name);
                const int32_t dimension = values.size() > 1 ? ToLong(DataOf(values[1])) : 1;
                const std::vector<int32_t>& upper = values[0].array->upper;
                if (dimension < 1 || static_cast<std::size_t>(dimension) > upper.size())
                    throw ERuntimeError::Host(rt::kSubscript);
                if (builtin == TBuiltin::LBound) return TValue::Data(TVariant::Long(0));
                return TValue::Data(TVariant::Long(upper[static_cast<std::size_t>(dimension) - 1]));
            }
            case TBuiltin::Join: {
                if (!values[0].array || values[0].array->upper.size() != 1)
                    throw ERuntimeError::Host(rt::kTypeMismatch, name);
                const std::u16string separator = values.size() > 1 ? ToText(DataOf(values[1])) : u" ";
                Charge(values[0].array->items.size());
                std::u16string joined;
                bool firstItem = true;
                for (const TValue& item : values[0].array->items) {
                    if (!firstItem) Append(joined, separator);
                    firstItem = false;
                    Append(joined, TextOf(item));
                }
                return TValue::Data(TVariant::String(std::move(joined)));
            }
            case TBuiltin::CStr: return TValue::Data(TVariant::String(TextOf(values[0])));
            case TBuiltin::Len:
                if (values[0].isDate) return TValue::Data(TVariant::Long(static_cast<int32_t>(TextOf(values[0]).size())));
                break;
            case TBuiltin::Now:
            case TBuiltin::Date:
            case TBuiltin::Time: return Today(builtin);
            case TBuiltin::Year:
            case TBuiltin::Month:
            case TBuiltin::Day:
            case TBuiltin::Hour:
            case TBuiltin::Minute:
            case TBuiltin::Second: return TValue::Data(TVariant::Long(DatePart(builtin, DateOf(values[0]))));
            case TBuiltin::FormatDateTime: {
                const int32_t format = values.size() > 1 ? ToLong(DataOf(values[1])) : 0;
                if (format < 0 || format > 4) throw ERuntimeError::Host(rt::kInvalidCall, name);
                return TValue::Data(TVariant::String(FormatDate(DateOf(values[0]), format)));
            }
            default: break;
        }
        std::vector<TVariant> args;
        args.reserve(values.size());
        for (TValue& v : values) args.push_back(v.isDate ? TVariant::Double(v.data.dblVal) : std::move(v.data));
        for (const TValue& v : values) DataOf(v);  // no objects or arrays from here on
        const TVariant& x = args[0];
        if (std::optional<TValue> text = StringFunction(builtin, args, name)) return std::move(*text);
        switch (builtin) {
            case TBuiltin::ReadBytes: return TValue::Data(ReadBytes(ToText(x)));
            case TBuiltin::BitmapHandle:
            case TBuiltin::PackedDIBHandle: return TValue::Data(MakeHandle(builtin, ToText(x)));
            case TBuiltin::Chr: {
                int32_t code = ToLong(x);
                if (code < 0 || code > 255) throw ERuntimeError::Host(rt::kInvalidCall, name);
                return TValue::Data(TVariant::String(FromAnsi(std::string(1, static_cast<char>(code)))));
            }
            case TBuiltin::ChrW: {
                int32_t code = ToLong(x);
                if (code < -32768 || code > 65535) throw ERuntimeError::Host(rt::kInvalidCall, name);
                if (code < 0) code += 65536;
                return TValue::Data(TVariant::String(std::u16string(1, static_cast<char16_t>(code))));
            }
            case TBuiltin::Len:
                if (x.vt == TVarType::Empty) return TValue::Data(TVariant::Long(0));
                return TValue::Data(TVariant::Long(static_cast<int32_t>(ToText(x).size())));
            case TBuiltin::CLng: return TValue::Data(TVariant::Long(ToLong(x)));
            case TBuiltin::CInt: {
                const double d = RoundHalfEven(ToDouble(ToNumber(x)));
                if (d < -32768 || d > 32767) throw ERuntimeError::Host(rt::kOverflow);
                return TValue::Data(TVariant::Long(static_cast<int32_t>(d)));
            }
            case TBuiltin::IsNumeric: {
                if (x.vt == TVarType::BStr) {
                    try {
                        ToDouble(x);
                        return TValue::Data(TVariant::Bool(true));
                    } catch (const ERuntimeError&) {
                        return TValue::Data(TVariant::Bool(false));
                    }
                }
                return TValue::Data(TVariant::Bool(IsNumeric(x)));
            }
            case TBuiltin::FormatNumber: return TValue::Data(TVariant::String(FormatNumber(args, name)));
            case TBuiltin::CDbl: return TValue::Data(TVariant::Double(ToDouble(x)));
            case TBuiltin::CBool: return TValue::Data(TVariant::Bool(ToBool(x)));
            case TBuiltin::Int:
            case TBuiltin::Fix: {
                TVariant n = ToNumber(x);
                if (n.vt == TVarType::I4) return TValue::Data(n);
                double d = builtin == TBuiltin::Int ? std::floor(n.dblVal) : std::trunc(n.dblVal);
                return TValue::Data(TVariant::Double(d));
            }
            case TBuiltin::Abs: {
                TVariant n = ToNumber(x);
                if (n.vt == TVarType::I4) return TValue::Data(n.lVal < 0 ? Negate(n) : n);
                return TValue::Data(TVariant::Double(std::fabs(n.dblVal)));
            }
            case TBuiltin::Round: return TValue::Data(Round(x, args.size() > 1 ? ToLong(args[1]) : 0, name));
            case TBuiltin::Sqr: {
                double d = ToDouble(ToNumber(x));
                if (d < 0) throw ERuntimeError::Host(rt::kInvalidCall, name);
                return TValue::Data(TVariant::Double(std::sqrt(d)));
            }
            case TBuiltin::Sin: return TValue::Data(Real(std::sin(ToDouble(ToNumber(x)))));
            case TBuiltin::Cos: return TValue::Data(Real(std::cos(ToDouble(ToNumber(x)))));
            case TBuiltin::Tan: return TValue::Data(Real(std::tan(ToDouble(ToNumber(x)))));
            case TBuiltin::Atn: return TValue::Data(Real(std::atan(ToDouble(ToNumber(x)))));
            case TBuiltin::RGB: {
                // Each component 0..255; larger values count as 255.
                int32_t color = 0;
                for (size_t i = 0; i < 3; ++i) {
                    int32_t c = ToLong(args[i]);
                    if (c < 0) throw ERuntimeError::Host(rt::kInvalidCall, name);
                    color |= std::min(c, 255) << (8 * i);
                }
                return TValue::Data(TVariant::Long(color));
            }
            default: break;
        }
        throw ERuntimeError::Host(rt::kInternal);
    }

    void Append(std::u16string& to, std::u16string_view text) const {
        if (text.size() > options_.maxStringLength - std::min(to.size(), options_.maxStringLength))
            throw ERuntimeError::Host(rt::kOutOfMemory);
        to += text;
    }

    // A count of characters for Left, Mid, Space and the like.
    static std::size_t Count(const TVariant& v, const std::u16string& name) {
        const int32_t n = ToLong(v);
        if (n < 0) throw ERuntimeError::Host(rt::kInvalidCall, name);
        return static_cast<std::size_t>(n);
    }

    // A start position (1-based) for Mid, InStr and Replace.
    static std::size_t Start(const TVariant& v, const std::u16string& name) {
        const int32_t n = ToLong(v);
        if (n < 1) throw ERuntimeError::Host(rt::kInvalidCall, name);
        return static_cast<std::size_t>(n);
    }

    // Text compare (1) folds case; binary (0) compares code units.
    static bool TextCompare(const TVariant& v, const std::u16string& name) {
        const int32_t mode = ToLong(v);
        if (mode < -1 || mode > 2) throw ERuntimeError::Host(rt::kInvalidCall, name);
        return mode == 1;
    }

    static char16_t Upper(char16_t c) {
        if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
        if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
        if (c == 0xFF) return 0x178;
        return c;
    }
    static char16_t Lower(char16_t c) {
        if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
        if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
        if (c == 0x178) return 0xFF;
        return c;
    }

    // Where `what` is in `text` from `from` on (0-based), or npos.
    static std::size_t Find(std::u16string_view text, std::u16string_view what, std::size_t from, bool fold) {
        if (!fold) return text.find(what, from);
        for (std::size_t i = from; i + what.size() <= text.size(); ++i) {
            std::size_t k = 0;
            while (k < what.size() && Upper(text[i + k]) == Upper(what[k])) ++k;
            if (k == what.size()) return i;
        }
        return std::u16string_view::npos;
    }

    // The string functions; nothing for the other functions.
    [[gnu::noinline]] std::optional<TValue> StringFunction(TBuiltin builtin, const std::vector<TVariant>& args, const std::u16string& name) {
        auto text = [&](std::size_t i) { return ToText(args[i]); };
        auto result = [](std::u16string s) { return TValue::Data(TVariant::String(std::move(s))); };
        switch (builtin) {
            case TBuiltin::Left: {
                const std::u16string s = text(0);
                return result(s.substr(0, Count(args[1], name)));
            }
            case TBuiltin::Right: {
                const std::u16string s = text(0);
                const std::size_t n = std::min(Count(args[1], name), s.size());
                return result(s.substr(s.size() - n));
            }
            case TBuiltin::Mid: {
                const std::u16string s = text(0);
                const std::size_t start = Start(args[1], name);
                const std::size_t n = args.size() > 2 ? Count(args[2], name) : s.size();
                if (start > s.size()) return result(u"");
                return result(s.substr(start - 1, n));
            }
            case TBuiltin::Trim:
            case TBuiltin::LTrim:
            case TBuiltin::RTrim: {
                const std::u16string s = text(0);
                std::size_t b = 0, end = s.size();
                if (builtin != TBuiltin::RTrim)
                    while (b < end && s[b] == u' ') ++b;
                if (builtin != TBuiltin::LTrim)
                    while (end > b && s[end - 1] == u' ') --end;
                return result(s.substr(b, end - b));
            }
            case TBuiltin::UCase:
            case TBuiltin::LCase: {
                if (args[0].vt == TVarType::Null) return TValue::Data(args[0]);
                std::u16string s = text(0);
                for (char16_t& c : s) c = builtin == TBuiltin::UCase ? Upper(c) : Lower(c);
                return result(std::move(s));
            }
            case TBuiltin::Space:
            case TBuiltin::String: {
                const std::size_t n = Count(args[0], name);
                if (n > options_.maxStringLength) throw ERuntimeError::Host(rt::kOutOfMemory);
                char16_t c = u' ';
                if (builtin == TBuiltin::String) {
                    if (args[1].vt == TVarType::BStr) {
                        if (args[1].bstrVal.empty()) throw ERuntimeError::Host(rt::kInvalidCall, name);
                        c = args[1].bstrVal[0];
                    } else {
                        const int32_t code = ToLong(args[1]);
                        c = FromAnsiChar(static_cast<unsigned char>(((code % 256) + 256) % 256));
                    }
                }
                return result(std::u16string(n, c));
            }
            case TBuiltin::StrReverse: {
                std::u16string s = text(0);
                std::reverse(s.begin(), s.end());
                return result(std::move(s));
            }
            case TBuiltin::Asc:
            case TBuiltin::AscW: {
                const std::u16string s = text(0);
                if (s.empty()) throw ERuntimeError::Host(rt::kInvalidCall, name);
                if (builtin == TBuiltin::AscW) return TValue::Data(TVariant::Long(static_cast<int16_t>(s[0])));
                const std::string ansi = ToAnsi(s.substr(0, 1));
                return TValue::Data(TVariant::Long(ansi.empty() ? 63 : static_cast<unsigned char>(ansi[0])));
            }
            case TBuiltin::InStr: {
                // InStr([start,] text, what[, compare])
                std::size_t at = 0;
                std::size_t start = 1;
                if (args.size() > 2) {
                    start = Start(args[0], name);
                    at = 1;
                }
                const bool fold = args.size() > 3 && TextCompare(args[3], name);
                const std::u16string s = text(at), what = text(at + 1);
                if (start > s.size()) return TValue::Data(TVariant::Long(0));
                if (what.empty()) return TValue::Data(TVariant::Long(static_cast<int32_t>(start)));
                const std::size_t found = Find(s, what, start - 1, fold);
                return TValue::Data(TVariant::Long(found == std::u16string::npos ? 0 : static_cast<int32_t>(found + 1)));
            }
            case TBuiltin::InStrRev: {
                // InStrRev(text, what[, start[, compare]])
                const std::u16string s = text(0), what = text(1);
                int32_t start = args.size() > 2 ? ToLong(args[2]) : -1;
                if (start == 0 || start < -1) throw ERuntimeError::Host(rt::kInvalidCall, name);
                const bool fold = args.size() > 3 && TextCompare(args[3], name);
                if (start == -1) start = static_cast<int32_t>(s.size());
                if (static_cast<std::size_t>(start) > s.size()) return TValue::Data(TVariant::Long(0));
                if (what.empty()) return TValue::Data(TVariant::Long(start));
                for (std::size_t i = static_cast<std::size_t>(start); i >= what.size(); --i) {
                    const std::size_t from = i - what.size();
                    if (Find(std::u16string_view(s).substr(from, what.size()), what, 0, fold) == 0)
                        return TValue::Data(TVariant::Long(static_cast<int32_t>(from + 1)));
                }
                return TValue::Data(TVariant::Long(0));
            }
            case TBuiltin::Replace: {
                // Replace(text, what, with[, start[, count[, compare]]]): the
                // result begins at start.
                const std::u16string s = text(0), what = text(1), with = text(2);
                const std::size_t start = args.size() > 3 ? Start(args[3], name) : 1;
                int32_t left = args.size() > 4 ? ToLong(args[4]) : -1;
                if (left < -1) throw ERuntimeError::Host(rt::kInvalidCall, name);
                const bool fold = args.size() > 5 && TextCompare(args[5], name);
                if (start > s.size()) return result(u"");
                std::u16string out;
                std::size_t at = start - 1;
                while (!what.empty() && left != 0) {
                    const std::size_t found = Find(s, what, at, fold);
                    if (found == std::u16string::npos) break;
                    Append(out, std::u16string_view(s).substr(at, found - at));
                    Append(out, with);
                    at = found + what.size();
                    if (left > 0) --left;
                }
                Append(out, std::u16string_view(s).substr(at));
                return result(std::move(out));
            }
            case TBuiltin::Split: {
                // Split(text[, separator[, count[, compare]]])
                const std::u16string s = text(0);
                const std::u16string separator = args.size() > 1 ? text(1) : u" ";
                int32_t limit = args.size() > 2 ? ToLong(args[2]) : -1;
                if (limit < -1) throw ERuntimeError::Host(rt::kInvalidCall, name);
                const bool fold = args.size() > 3 && TextCompare(args[3], name);
                std::vector<TValue> parts;
                if (!s.empty() && limit != 0) {
                    std::size_t at = 0;
                    for (;;) {
                        const bool last = limit > 0 && parts.size() + 1 == static_cast<std::size_t>(limit);
                        const std::size_t found = separator.empty() || last ? std::u16string::npos
                                                                            : Find(s, separator, at, fold);
                        if (found == std::u16string::npos) {
                            parts.push_back(TValue::Data(TVariant::String(s.substr(at))));
                            break;
                        }
                        parts.push_back(TValue::Data(TVariant::String(s.substr(at, found - at))));
                        if (parts.size() >= kMaxArrayElements) throw ERuntimeError::Host(rt::kOutOfMemory);
                        at = found + separator.size();
                    }
                }
                return ArrayOf(std::move(parts));
            }
            default: return std::nullopt;
        }
    }

    // FormatNumber(value[, decimals[, leading zero[, parentheses[, grouping]]]])
    // as in the United States: decimals 2 by default, groups of three digits.
    static std::u16string FormatNumber(const std::vector<TVariant>& args, const std::u16string& name) {
        const double value = ToDouble(ToNumber(args[0]));
        int32_t decimals = args.size() > 1 ? ToLong(args[1]) : -1;
        if (decimals == -1) decimals = 2;
        if (decimals < 0 || decimals > 99) throw ERuntimeError::Host(rt::kInvalidCall, name);
        auto tristate = [&](std::size_t i, bool byDefault) {
            if (args.size() <= i) return byDefault;
            const int32_t v = ToLong(args[i]);
            return v == -2 ? byDefault : v != 0;
        };
        const bool leadingZero = tristate(2, true);
        const bool parentheses = tristate(3, false);
        const bool grouping = tristate(4, true);
        // Half away from zero, on the decimal digits of the value.
        std::string digits = RoundAway(std::fabs(value), decimals);
        std::string whole = digits.substr(0, digits.find('.'));
        std::string fraction = digits.find('.') == std::string::npos ? "" : digits.substr(digits.find('.'));
        if (whole == "0" && !leadingZero && decimals > 0) whole.clear();
        std::string text;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            if (grouping && i > 0 && (whole.size() - i) % 3 == 0) text += ',';
            text += whole[i];
        }
        text += fraction;
        const bool negative = value < 0 && text.find_first_not_of("0.,") != std::string::npos;
        if (negative) text = parentheses ? "(" + text + ")" : "-" + text;
        return Utf8ToUtf16(text);
    }

    // |x| with `decimals` decimals, the last one rounded half away from zero.
    static std::string RoundAway(double x, int32_t decimals) {
        char buffer[512];
        // 17 significant digits hold the double exactly enough to round.
        std::snprintf(buffer, sizeof buffer, "%.*f", std::min(decimals + 3, 99), x);
        std::string s = buffer;
        const std::size_t dot = s.find('.');
        std::string intPart = s.substr(0, dot);
        std::string frac = dot == std::string::npos ? "" : s.substr(dot + 1);
        frac.resize(static_cast<std::size_t>(decimals) + 3, '0');
        const bool up = frac[static_cast<std::size_t>(decimals)] >= '5';
        std::string number = intPart + frac.substr(0, static_cast<std::size_t>(decimals));
        if (up) {
            std::size_t i = number.size();
            while (i > 0) {
                --i;
                if (number[i] == '9') {
                    number[i] = '0';
                } else {
                    ++number[i];
                    break;
                }
                if (i == 0) number.insert(number.begin(), '1');
            }
        }
        const std::size_t wholeDigits = number.size() - static_cast<std::size_t>(decimals);
        std::string out = number.substr(0, wholeDigits);
        if (out.empty()) out = "0";
        if (decimals > 0) out += "." + number.substr(wholeDigits);
        return out;
    }

    // ---- dates ----

    // The date value of a date, a number or a date's text.
    static double DateOf(const TValue& v) {
        if (v.isDate) return v.data.dblVal;
        const TVariant& d = DataOf(v);
        if (d.vt == TVarType::BStr) {
            if (std::optional<double> parsed = ParseDate(d.bstrVal)) return *parsed;
            throw ERuntimeError::Host(rt::kTypeMismatch);
        }
        return ToDouble(ToNumber(d));
    }

    static int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
        y -= m <= 2;
        const int64_t era = (y >= 0 ? y : y - 399) / 400;
        const auto yoe = static_cast<unsigned>(y - era * 400);
        const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        return era * 146097 + static_cast<int64_t>(doe) - 719468;
    }

    struct TCivil {
        int64_t year;
        unsigned month, day, hour, minute, second, weekday;
    };

    // Date values count days from 30 December 1899, the time of day as the
    // fraction.
    static TCivil Civil(double date) {
        if (!std::isfinite(date) || std::fabs(date) > 3e6) throw ERuntimeError::Host(rt::kOverflow);
        const double dayPart = std::trunc(date);
        auto seconds = static_cast<int64_t>(std::llround(std::fabs(date - dayPart) * 86400.0));
        int64_t z = static_cast<int64_t>(dayPart) + DaysFromCivil(1899, 12, 30);
        if (seconds >= 86400) {
            seconds -= 86400;
            z += date < 0 ? -1 : 1;
        }
        TCivil c{};
        c.weekday = static_cast<unsigned>(((z % 7) + 11) % 7);  // 0 Sunday
        z += 719468;
        const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
        const auto doe = static_cast<unsigned>(z - era * 146097);
        const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
        const unsigned mp = (5 * doy + 2) / 153;
        c.day = doy - (153 * mp + 2) / 5 + 1;
        c.month = mp < 10 ? mp + 3 : mp - 9;
        c.year = static_cast<int64_t>(yoe) + era * 400 + (c.month <= 2);
        c.hour = static_cast<unsigned>(seconds / 3600);
        c.minute = static_cast<unsigned>(seconds / 60 % 60);
        c.second = static_cast<unsigned>(seconds % 60);
        return c;
    }

    static int32_t DatePart(TBuiltin part, double date) {
        const TCivil c = Civil(date);
        switch (part) {
            case TBuiltin::Year: return static_cast<int32_t>(c.year);
            case TBuiltin::Month: return static_cast<int32_t>(c.month);
            case TBuiltin::Day: return static_cast<int32_t>(c.day);
            case TBuiltin::Hour: return static_cast<int32_t>(c.hour);
            case TBuiltin::Minute: return static_cast<int32_t>(c.minute);
            default: return static_cast<int32_t>(c.second);
        }
    }

    // A date's text in the United States' forms: 0 general, 1 long date,
    // 2 short date, 3 long time, 4 short time.
    static std::u16string FormatDate(double date, int32_t format) {
        static constexpr const char* kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday",
                                                "Thursday", "Friday", "Saturday"};
        static constexpr const char* kMonths[] = {"January", "February", "March", "April", "May", "June", "July",
                                                  "August", "September", "October", "November", "December"};
        const TCivil c = Civil(date);
        char buffer[128];
        const std::string shortDate = std::to_string(c.month) + "/" + std::to_string(c.day) + "/" + std::to_string(c.year);
        std::snprintf(buffer, sizeof buffer, "%u:%02u:%02u %s", c.hour % 12 == 0 ? 12 : c.hour % 12, c.minute,
                      c.second, c.hour < 12 ? "AM" : "PM");
        const std::string longTime = buffer;
        std::string text;
        switch (format) {
            case 1:
                text = std::string(kDays[c.weekday]) + ", " + kMonths[c.month - 1] + " " + std::to_string(c.day) + ", " +
                       std::to_string(c.year);
                break;
            case 2: text = shortDate; break;
            case 3: text = longTime; break;
            case 4:
                std::snprintf(buffer, sizeof buffer, "%02u:%02u", c.hour, c.minute);
                text = buffer;
                break;
            default: {
                const bool hasDate = std::trunc(date) != 0;
                const bool hasTime = date != std::trunc(date);
                if (hasDate) text = shortDate;
                if (hasTime || !hasDate) text += (hasDate ? " " : "") + longTime;
            }
        }
        return Utf8ToUtf16(text);
    }

    // "M/D/YYYY", "YYYY-MM-DD", each optionally followed by "H:MM[:SS] [AM|PM]",
    // or the time alone.
    static std::optional<double> ParseDate(std::u16string_view text) {
        const std::string s = Utf16ToUtf8(text);
        unsigned a = 0, b = 0, c = 0, h = 0, mi = 0, se = 0;
        char ampm[3] = {};
        int used = 0;
        double day = 0;
        const char* rest = s.c_str();
        if (std::sscanf(rest, " %u/%u/%u%n", &a, &b, &c, &used) == 3) {
            if (a < 1 || a > 12 || b < 1 || b > 31 || c > 9999) return std::nullopt;
            day = static_cast<double>(DaysFromCivil(c < 100 ? c + (c < 30 ? 2000 : 1900) : c, a, b) -
                                      DaysFromCivil(1899, 12, 30));
            rest += used;
        } else if (std::sscanf(rest, " %u-%u-%u%n", &a, &b, &c, &used) == 3) {
            if (b < 1 || b > 12 || c < 1 || c > 31 || a > 9999) return std::nullopt;
            day = static_cast<double>(DaysFromCivil(a, b, c) - DaysFromCivil(1899, 12, 30));
            rest += used;
        }
        used = 0;
        int n = std::sscanf(rest, " %u:%u%n", &h, &mi, &used);
        if (n == 2) {
            rest += used;
            used = 0;
            if (std::sscanf(rest, ":%u%n", &se, &used) == 1) rest += used;
            used = 0;
            if (std::sscanf(rest, " %2[AaPp]%*[Mm]%n", ampm, &used) == 1 && used > 0) {
                rest += used;
                if (h < 1 || h > 12) return std::nullopt;
                h = h % 12 + ((ampm[0] == 'P' || ampm[0] == 'p') ? 12 : 0);
            }
            if (h > 23 || mi > 59 || se > 59) return std::nullopt;
        } else if (rest == s.c_str()) {
            return std::nullopt;
        }
        while (*rest == ' ') ++rest;
        if (*rest != '\0') return std::nullopt;
        const double time = (h * 3600.0 + mi * 60.0 + se) / 86400.0;
        return day < 0 ? day - time : day + time;
    }

    // Now, Date and Time from the local clock.
    static TValue Today(TBuiltin which) {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        const double day = static_cast<double>(
            DaysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                          static_cast<unsigned>(local.tm_mday)) - DaysFromCivil(1899, 12, 30));
        const double time = (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec) / 86400.0;
        TValue v = TValue::Data(TVariant::Double(which == TBuiltin::Date ? day : which == TBuiltin::Time ? time : day + time));
        v.isDate = true;
        return v;
    }

    static TVariant Real(double d) {
        if (!std::isfinite(d)) throw ERuntimeError::Host(rt::kOverflow);
        return TVariant::Double(d);
    }

    static TVariant Round(const TVariant& value, int32_t decimals, const std::u16string& name) {
        if (decimals < 0) throw ERuntimeError::Host(rt::kInvalidCall, name);
        TVariant n = ToNumber(value);
        if (n.vt == TVarType::I4) return n;
        double d = n.dblVal;
        if (decimals == 0) return TVariant::Double(RoundHalfEven(d));
        if (decimals > 15) return n;
        double scale = std::pow(10.0, decimals);
        double scaled = d * scale;
        if (!std::isfinite(scaled) || std::fabs(scaled) >= 4503599627370496.0) return n;
        return TVariant::Double(RoundHalfEven(scaled) / scale);
    }

    // A bitmap handle holding a Windows bitmap file's image, or a memory
    // handle holding the file's packed bitmap (its bytes after the 14-byte
    // file header), as a Windows host would get them from the system.
    TVariant MakeHandle(TBuiltin kind, const std::u16string& fileName) {
        const std::vector<uint8_t> bytes = ReadBytes(fileName).bytes;
        try {
            if (kind == TBuiltin::BitmapHandle) {
                TBMPImage bitmap;
                bitmap.LoadFromStream(bytes);
                return TVariant::Long(static_cast<int32_t>(handles::CreateBitmapHandle(std::move(bitmap))));
            }
            if (bytes.size() < 14 || bytes[0] != 'B' || bytes[1] != 'M') throw EInvalidGraphic("Bitmap image is not valid");
            return TVariant::Long(static_cast<int32_t>(
                handles::CreateMemoryHandle(std::vector<uint8_t>(bytes.begin() + 14, bytes.end()))));
        } catch (const EInvalidGraphic&) {
            throw ERuntimeError::Host(rt::kInvalidCall, fileName);
        }
    }

    TVariant ReadBytes(const std::u16string& fileName) {
        if (options_.sandbox) throw ERuntimeError::Host(rt::kPermissionDenied, fileName);
        if (fileName.empty() || fileName.find(u'\0') != std::u16string::npos)
            throw ERuntimeError::Host(rt::kFileNotFound, fileName);
        std::filesystem::path path(Utf16ToUtf8(fileName));
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) throw ERuntimeError::Host(rt::kFileNotFound, fileName);
        uintmax_t size = std::filesystem::file_size(path, ec);
        if (ec) throw ERuntimeError::Host(rt::kFileAccess, fileName);
        if (size > options_.maxFileSize) throw ERuntimeError::Host(rt::kOutOfMemory, fileName);
        std::vector<uint8_t> bytes(static_cast<size_t>(size));
        std::ifstream in(path, std::ios::binary);
        if (!in) throw ERuntimeError::Host(rt::kFileAccess, fileName);
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (static_cast<size_t>(in.gcount()) != bytes.size()) throw ERuntimeError::Host(rt::kFileAccess, fileName);
        return TVariant::Bytes(std::move(bytes));
    }
};

}  // namespace

int RunProgram(const TProgram& program, std::string_view scriptName, std::ostream& out, std::ostream& err,
               const TRunOptions& options) {
    return TInterpreter(program, scriptName, out, err, options).Run();
}

int RunParsed(const TParseResult& parsed, std::string_view scriptName, std::ostream& out, std::ostream& err,
              const TRunOptions& options) {
    if (parsed.error) {
        const TDiagnostic& d = *parsed.error;
        err << scriptName << "(" << d.pos.line << ", " << d.pos.col << ") "
            << (d.kind == TDiagnostic::TKind::Syntax ? "Syntax error: " : "Compilation error: ") << d.message << "\n";
        err.flush();
        return kExitUsage;
    }
    return RunProgram(*parsed.program, scriptName, out, err, options);
}

int RunScript(std::u16string_view source, std::string_view scriptName, std::ostream& out, std::ostream& err,
              const TRunOptions& options) {
    return RunParsed(ParseScript(source), scriptName, out, err, options);
}

int RunScriptBytes(std::string&& bytes, std::string_view scriptName, std::ostream& out, std::ostream& err,
                   const TRunOptions& options) {
    const TParseResult parsed = ParseScriptBytes(bytes);
    std::string().swap(bytes);
    return RunParsed(parsed, scriptName, out, err, options);
}

}  // namespace vellumark::host
