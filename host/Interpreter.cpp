#include "host/Interpreter.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <ostream>
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

enum class TFlow { Normal, ExitFor, Stop };


int32_t DispIdOf(std::u16string_view name) { return FindDispId(name).value_or(std::numeric_limits<int32_t>::min()); }

// Saves made in memory in sandbox mode; later ones are skipped so that a loop
// cannot spend its time rendering the same document.
constexpr int kSandboxSaves = 4;

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
        ExecRange(0, program_.mainEnd);
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

    // Counts a statement or a loop turn against the step limit.
    bool Step(TSourcePos pos) {
        if (options_.maxSteps == 0 || ++steps_ <= options_.maxSteps) return true;
        PrintError(pos, "Runtime error: Step limit reached");
        exitCode_ = kExitRuntimeError;
        return false;
    }

    // ---- variables ----

    void CheckDeclared(int slot) const {
        const TVariable& v = program_.variables[static_cast<size_t>(slot)];
        if (program_.optionExplicit && !v.declared) throw ERuntimeError::Host(rt::kUndefined, v.name);
    }

    const TValue& ReadVar(int slot) const {
        CheckDeclared(slot);
        return vars_[static_cast<size_t>(slot)];
    }

    void WriteVar(int slot, TValue value) {
        CheckDeclared(slot);
        vars_[static_cast<size_t>(slot)] = std::move(value);
    }

    // The control object a variable refers to.
    TPDFDoc& ObjectIn(int slot) const {
        const TValue& v = ReadVar(slot);
        const std::u16string& name = program_.variables[static_cast<size_t>(slot)].name;
        if (!v.isObject) throw ERuntimeError::Host(rt::kObjectRequired, name);
        if (!v.object) throw ERuntimeError::Host(rt::kObjectNotSet, name);
        return *v.object;
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
            case TStmtKind::ExitFor: return TFlow::ExitFor;
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
                DataOf(v);  // an object has no value to assign without Set
                WriteVar(static_cast<int>(s.a), std::move(v));
                return TFlow::Normal;
            }
            case TStmtKind::SetAssign: {
                TValue v = Eval(s.b);
                if (!v.isObject) throw ERuntimeError::Host(rt::kObjectRequired);
                WriteVar(static_cast<int>(s.a), std::move(v));
                return TFlow::Normal;
            }
            case TStmtKind::Call:
            case TStmtKind::PropertyPut: {
                // A put's value is the last of its arguments.
                const TCallSite& site = program_.sites[s.a];
                TPDFDoc& doc = ObjectIn(static_cast<int>(site.slot));
                TArguments args(*this);
                PushArguments(s.b, s.c);
                Invoke(doc, site, args.Values());
                return TFlow::Normal;
            }
            case TStmtKind::Echo: {
                std::u16string line;
                for (uint32_t i = 0; i < s.c; ++i) {
                    TValue v = Eval(s.b + i);
                    const TVariant& d = DataOf(v);
                    if (i > 0) line += u' ';
                    line += d.vt == TVarType::Null ? u"Null" : ToText(d);
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
        const int slot = static_cast<int>(s.a);
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
            if (flow == TFlow::Stop) return flow;
            TVariant next = BinaryOperation(TBinaryOp::Add, NumericOf(ReadVar(slot)), step, 0);
            WriteVar(slot, TValue::Data(std::move(next)));
        }
        return TFlow::Normal;
    }

    TVariant NumericOf(const TValue& v) { return ToNumber(DataOf(v)); }

    // ---- calls on the control ----

    // The arguments of one call, on a stack shared by all calls: the values
    // pushed while the frame lives are its arguments, and go when it ends.
    class TArguments {
    public:
        explicit TArguments(TInterpreter& interpreter)
            : stack_(interpreter.arguments_), base_(interpreter.arguments_.size()) {}
        ~TArguments() { stack_.resize(base_); }
        TArguments(const TArguments&) = delete;
        TArguments& operator=(const TArguments&) = delete;
        std::span<const TVariant> Values() const { return std::span<const TVariant>(stack_).subspan(base_); }

    private:
        std::vector<TVariant>& stack_;
        std::size_t base_;
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
                case TExprKind::LongLiteral: arguments_.push_back(TVariant::Long(static_cast<int32_t>(e.a))); break;
                case TExprKind::Variable: {
                    const TValue& v = ReadVar(static_cast<int>(e.a));
                    if (v.isObject) throw ERuntimeError::Host(rt::kTypeMismatch);
                    arguments_.push_back(v.data);
                    break;
                }
                default: {
                    TValue v = Eval(i);
                    if (v.isObject) throw ERuntimeError::Host(rt::kTypeMismatch);
                    arguments_.push_back(std::move(v.data));
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
                TPDFDoc& doc = ObjectIn(static_cast<int>(site.slot));
                TArguments args(*this);
                PushArguments(e.b, program_.ArgCount(e));
                return TValue::Data(Invoke(doc, site, args.Values()));
            }
            case TExprKind::Builtin: return CallBuiltin(e);
            case TExprKind::Unary: {
                TValue v = Eval(e.a);
                const TVariant& d = DataOf(v);
                return TValue::Data(static_cast<TUnaryOp>(e.op) == TUnaryOp::Negate ? Negate(d) : LogicalNot(d));
            }
            case TExprKind::Binary: {
                TValue l = Eval(e.a);
                TValue r = Eval(e.b);
                return TValue::Data(
                    BinaryOperation(static_cast<TBinaryOp>(e.op), DataOf(l), DataOf(r), options_.maxStringLength));
            }
            case TExprKind::ArgCount: break;
        }
        throw ERuntimeError::Host(rt::kInternal);
    }

    TValue CallBuiltin(const TExprNode& e) {
        const auto builtin = static_cast<TBuiltin>(e.op);
        const uint32_t first = e.b;
        const std::u16string& name = program_.names[e.a];
        if (builtin == TBuiltin::CreateObject) {
            std::u16string progID = ToText(DataOf(Eval(first)));
            if (!EqualsNoCase(progID, kProgID)) throw ERuntimeError::Host(rt::kCannotCreate, progID);
            auto doc = std::make_shared<TPDFDoc>();
            if (options_.warnings) doc->Engine().Diagnostics().Listen(true);
            return TValue::Object(std::move(doc));
        }
        std::vector<TVariant> args;
        for (uint32_t i = first; i < first + program_.ArgCount(e); ++i) args.push_back(DataOf(Eval(i)));
        const TVariant& x = args[0];
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
            case TBuiltin::CStr: return TValue::Data(TVariant::String(ToText(x)));
            case TBuiltin::CLng: return TValue::Data(TVariant::Long(ToLong(x)));
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
            case TBuiltin::CreateObject: break;
        }
        throw ERuntimeError::Host(rt::kInternal);
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
