// Script host: the lexer and parser (literals, comments, continuation,
// case, precedence, statement forms) and the errors found before a script
// runs (syntax errors, unknown members, nesting limits).
#include <gtest/gtest.h>

#include <charconv>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/TextCodec.h"
#include "host/Interpreter.h"
#include "host/Parser.h"
#include "host/ScriptSource.h"

namespace vellumark::host {
namespace {

struct TOutcome {
    int status = -1;
    std::string out;
    std::string err;
};

TOutcome RunText(const std::string& script) {
    std::ostringstream out, err;
    TOutcome r;
    r.status = RunScript(Utf8ToUtf16(script), "t.vbs", out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

// The output of WScript.Echo EXPR.
std::string Echo(const std::string& expr) {
    TOutcome r = RunText("WScript.Echo " + expr + "\n");
    EXPECT_EQ(r.status, 0) << expr << "\n" << r.err;
    if (r.out.empty() || r.out.back() != '\n') return "<no line>";
    return r.out.substr(0, r.out.size() - 1);
}

TDiagnostic ParseError(const std::string& script) {
    TParseResult r = ParseScript(Utf8ToUtf16(script));
    EXPECT_FALSE(r.program) << script;
    if (!r.error) return {};
    return *r.error;
}

std::unique_ptr<TProgram> ParseOk(const std::string& script) {
    TParseResult r = ParseScript(Utf8ToUtf16(script));
    EXPECT_FALSE(r.error) << script << "\n" << (r.error ? r.error->message : "");
    return std::move(r.program);
}

// The literal that `x = LITERAL` assigns.
TVariant LiteralOf(const std::string& literal) {
    auto program = ParseOk("x = " + literal);
    if (!program || program->statements.size() != 1) return {};
    const TExprNode& e = program->exprs[program->statements[0].b];
    EXPECT_TRUE(TProgram::IsLiteral(e)) << literal;
    return program->Literal(e);
}

TEST(HostParserLiterals, IntegersAreLongUntilTheyNeedMoreThan32Bits) {
    TVariant v = LiteralOf("2147483647");
    EXPECT_EQ(v.vt, TVarType::I4);
    EXPECT_EQ(v.lVal, 2147483647);
    v = LiteralOf("2147483648");
    EXPECT_EQ(v.vt, TVarType::R8);
    EXPECT_EQ(v.dblVal, 2147483648.0);
    v = LiteralOf("00000000000000000042");
    EXPECT_EQ(v.vt, TVarType::I4);
    EXPECT_EQ(v.lVal, 42);
    EXPECT_EQ(Echo("99999999999999999999"), "1E+20");
}

TEST(HostParserLiterals, HexIs32BitTwosComplement) {
    EXPECT_EQ(Echo("&HFF0000"), "16711680");
    EXPECT_EQ(Echo("&HFFFFFFFF"), "-1");
    EXPECT_EQ(Echo("&h7fffffff"), "2147483647");
    EXPECT_EQ(Echo("&H80000000"), "-2147483648");
    EXPECT_EQ(Echo("&HFF"), "255");
    EXPECT_EQ(Echo("&H0000000000FF"), "255");  // leading zeros do not count
    TVariant v = LiteralOf("&HFFFFFFFF");
    EXPECT_EQ(v.vt, TVarType::I4);

    EXPECT_EQ(ParseError("x = &H100000000").pos.col, 5);
    EXPECT_EQ(ParseError("x = &H").kind, TDiagnostic::TKind::Syntax);
    EXPECT_EQ(ParseError("x = &HG1").kind, TDiagnostic::TKind::Syntax);
}

TEST(HostParserLiterals, Reals) {
    EXPECT_EQ(Echo("1.5"), "1.5");
    EXPECT_EQ(Echo(".5"), "0.5");
    EXPECT_EQ(Echo("2E3"), "2000");
    EXPECT_EQ(Echo("2e+3"), "2000");
    EXPECT_EQ(Echo("1.5E-3"), "0.0015");
    EXPECT_EQ(Echo("1E-400"), "0");
    TVariant v = LiteralOf("2E3");
    EXPECT_EQ(v.vt, TVarType::R8);
    v = LiteralOf("3.");
    EXPECT_EQ(v.vt, TVarType::R8);
    EXPECT_EQ(v.dblVal, 3.0);
    EXPECT_EQ(ParseError("x = 1E400").message, "Overflow");
}

// Decimals read as the standard library reads their text, in both source
// forms: short ones, ones past 15 significant digits or 22 decimals, and a
// seeded run of random ones.
TEST(HostParserLiterals, DecimalsRoundAsTheirText) {
    std::vector<std::string> cases = {
        "0.1", "151.06", "18.880000000000003", "123456789012345", "1234567890123456", "9007199254740993",
        "0.0000000000000000000001", "0.00000000000000000000001", "000000000000000000001.5", ".000123", "5.",
        "0.30000000000000004", "999999999999999.9", "99999999999999.99", "4503599627370497.5", "0.000"
    };
    std::mt19937_64 random(7);
    for (int i = 0; i < 2000; ++i) {
        std::string c;
        for (int k = static_cast<int>(random() % 9); k > 0; --k) c += static_cast<char>('0' + random() % 10);
        c += '.';
        for (int k = static_cast<int>(random() % 24); k > 0; --k) c += static_cast<char>('0' + random() % 10);
        if (c != ".") cases.push_back(c);
    }
    std::string script;
    for (const std::string& c : cases) script += "x = " + c + "\n";
    const TParseResult wide = ParseScript(Utf8ToUtf16(script));
    const TParseResult narrow = ParseScriptBytes(script);
    for (const TParseResult* r : {&wide, &narrow}) {
        ASSERT_TRUE(r->program);
        ASSERT_EQ(r->program->statements.size(), cases.size());
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const std::string text = cases[i][0] == '.' ? "0" + cases[i] : cases[i];
            double expected = 0;
            std::from_chars(text.data(), text.data() + text.size(), expected);
            const TVariant v = r->program->Literal(r->program->exprs[r->program->statements[i].b]);
            ASSERT_EQ(v.vt, TVarType::R8) << cases[i];
            ASSERT_EQ(v.dblVal, expected) << cases[i];
        }
    }
}

// A quote, a character past ASCII or a line's end at every place of a string
// of UTF-8 source (read eight bytes at a time where they are plain).
TEST(HostParserLiterals, StringsReadAtEveryPlace) {
    for (std::size_t length = 0; length <= 20; ++length) {
        for (std::size_t at = 0; at <= length; ++at) {
            const std::string before(at, 'a'), after(length - at, 'b');
            struct TCase {
                std::string literal;
                std::u16string value;
            } cases[] = {
                {before + after, Utf8ToUtf16(before + after)},
                {before + "\"\"" + after, Utf8ToUtf16(before + "\"" + after)},
                {before + "\xC3\xA9" + after, Utf8ToUtf16(before + "\xC3\xA9" + after)},
            };
            for (const TCase& c : cases) {
                const TParseResult r = ParseScriptBytes("x = \"" + c.literal + "\" : y = 1\n");
                ASSERT_TRUE(r.program) << c.literal;
                const TVariant v = r.program->Literal(r.program->exprs[r.program->statements[0].b]);
                ASSERT_EQ(v.bstrVal, c.value) << c.literal;
                // Columns count UTF-16 units: 'x = "', the literal, '" : '.
                EXPECT_EQ(r.program->statements[1].pos.col, static_cast<int>(Utf8ToUtf16(c.literal).size()) + 10)
                    << c.literal;
            }
            const TParseResult open = ParseScriptBytes("x = \"" + before + "\ny = \"" + after + "\"\n");
            ASSERT_TRUE(open.error);
            EXPECT_EQ(open.error->message, "Unterminated string constant");
            EXPECT_EQ(open.error->pos.line, 1);
        }
    }
}

TEST(HostParserLiterals, StringsDoubleTheirQuotes) {
    EXPECT_EQ(Echo("\"a\"\"b\""), "a\"b");
    EXPECT_EQ(Echo("\"\"\"\""), "\"");
    EXPECT_EQ(Echo("\"\""), "");
    EXPECT_EQ(Echo("\"it's ' not a comment\""), "it's ' not a comment");
    EXPECT_EQ(Echo("\"\xE2\x82\xAC 5\""), "\xE2\x82\xAC 5");  // UTF-8 in and out

    TDiagnostic d = ParseError("x = 1\ny = \"open\nz = 2");
    EXPECT_EQ(d.message, "Unterminated string constant");
    EXPECT_EQ(d.pos.line, 2);
    EXPECT_EQ(d.pos.col, 5);
}

// String literals are kept packed, a byte a character when every character
// is below U+0100; each comes back as written, short or long, however many
// are kept.
TEST(HostParserLiterals, StringsComeBackAsWritten) {
    const std::u16string cases[] = {
        u"", u"plain", u"caf\u00E9 \u00FF", u"\u0100", u"\u20AC and \u00E9", u"\U0001F600",
        std::u16string(20000, u'x'), std::u16string(20000, u'\u4E2D'), u"tail\u00E9" + std::u16string(9000, u'\u0101'),
    };
    constexpr int kRounds = 40;  // enough to fill several of the store's blocks
    std::u16string script;
    for (int round = 0; round < kRounds; ++round)
        for (const std::u16string& c : cases) script += u"x = \"" + c + u"\"\n";
    TParseResult r = ParseScript(script);
    ASSERT_TRUE(r.program);
    ASSERT_EQ(r.program->statements.size(), kRounds * std::size(cases));
    for (std::size_t i = 0; i < r.program->statements.size(); ++i) {
        const TVariant v = r.program->Literal(r.program->exprs[r.program->statements[i].b]);
        ASSERT_EQ(v.vt, TVarType::BStr);
        ASSERT_EQ(v.bstrVal, cases[i % std::size(cases)]) << i;
    }
}

TEST(HostParserLiterals, NamedConstants) {
    EXPECT_EQ(Echo("True"), "True");
    EXPECT_EQ(Echo("False"), "False");
    EXPECT_EQ(Echo("True + 0"), "-1");
    EXPECT_EQ(Echo("Len(vbCrLf) & Len(vbCr) & Len(vbLf) & Len(vbTab)"), "2111");
    EXPECT_EQ(Echo("\"a\" & vbTab & \"b\""), "a\tb");
    EXPECT_EQ(Echo("psA4_P"), "1");
    EXPECT_EQ(Echo("psExecutive_L"), "16");
    EXPECT_EQ(Echo("umMillimeters"), "3");
    EXPECT_EQ(Echo("cfZIP"), "2");
    EXPECT_EQ(Echo("taCenter"), "1");
    EXPECT_EQ(Echo("vbRed & \" \" & vbBlue"), "255 16711680");
    // A script may declare the library's values for hosts without the type
    // library, but only with their own values.
    EXPECT_EQ(Echo("psA4_L & umInches"), "21");
    EXPECT_TRUE(ParseOk("Const psA4_L = 2, umInches = 1, Margin = 5\nx = psA4_L + Margin"));
    EXPECT_EQ(ParseError("Const psA4_L = 3").message, "Name redefined: 'psA4_L'");
    EXPECT_EQ(ParseError("Const psA4_L = 1 + 1").message, "Name redefined: 'psA4_L'");
    // Constants cannot be assigned.
    EXPECT_EQ(ParseError("psA4_P = 3").message, "Illegal assignment: 'psA4_P'");
    EXPECT_EQ(ParseError("vbCr = 3").kind, TDiagnostic::TKind::Syntax);
    EXPECT_EQ(ParseError("True = 3").kind, TDiagnostic::TKind::Syntax);
}

TEST(HostParserLayout, CommentsAndRem) {
    TOutcome r = RunText(
        "' a comment line\n"
        "Rem another comment: WScript.Echo \"no\"\n"
        "rem lower case too\n"
        "WScript.Echo 1 ' trailing comment\n"
        "WScript.Echo 2 : Rem after a colon\n"
        "Remark = 3 ' a name that starts with Rem is no comment\n"
        "WScript.Echo Remark\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\n2\n3\n");
    // Rem in the middle of a statement is not a comment.
    EXPECT_EQ(ParseError("x = 1 Rem no").message, "Expected end of statement");
}

TEST(HostParserLayout, LineContinuation) {
    TOutcome r = RunText(
        "x = 1 + _\n"
        "    2 + _\t \n"
        "    3\n"
        "WScript.Echo x, _\n"
        "  \"done\"\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "6 done\n");
    // Lines keep their numbers across a continuation.
    TDiagnostic d = ParseError("x = 1 + _\n 2\ny = )");
    EXPECT_EQ(d.pos.line, 3);
    EXPECT_EQ(d.pos.col, 5);
    // An underscore needs a blank before it and nothing after it.
    EXPECT_EQ(ParseError("x = 1 +_\n2").message, "Invalid character");
    EXPECT_EQ(ParseError("x = 1 + _ 2").message, "Invalid character");
    // A continuation cannot be followed by a comment line.
    EXPECT_EQ(ParseError("x = 1 + _\n' no\n2").message, "Expected expression");
}

TEST(HostParserLayout, ColonsAndLineEndings) {
    TOutcome r = RunText("x = 1: y = 2 : WScript.Echo x + y\r\nWScript.Echo \"crlf\"\rWScript.Echo \"cr\"\n::\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "3\ncrlf\ncr\n");
}

TEST(HostParserLayout, NamesAndKeywordsIgnoreCase) {
    TOutcome r = RunText(
        "DIM d\n"
        "SET D = createobject(\"vellumarkx.pdfdoc\")\n"
        "d.ADDPAGE 0\n"
        "d.units = UMINCHES\n"
        "Counter = 2\n"
        "wscript.ECHO d.pagewidth(1) * COUNTER, TRUE\n"
        "IF counter = 2 THEN wscript.echo \"yes\" ELSE wscript.echo \"no\"\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "16.5277777777778 True\nyes\n");
}

TEST(HostParserExpressions, Precedence) {
    EXPECT_EQ(Echo("1 + 2 * 3"), "7");
    EXPECT_EQ(Echo("(1 + 2) * 3"), "9");
    EXPECT_EQ(Echo("-2 ^ 2"), "-4");
    EXPECT_EQ(Echo("2 ^ 3 ^ 2"), "64");
    EXPECT_EQ(Echo("2 ^ -1"), "0.5");
    EXPECT_EQ(Echo("7 \\ 2 * 2"), "1");
    EXPECT_EQ(Echo("10 Mod 4 + 1"), "3");
    EXPECT_EQ(Echo("10 - 2 Mod 3"), "8");
    EXPECT_EQ(Echo("17 Mod 5 \\ 2"), "1");
    EXPECT_EQ(Echo("\"a\" & 1 + 2"), "a3");
    EXPECT_EQ(Echo("1 & 2 = \"12\""), "True");
    EXPECT_EQ(Echo("1 < 2 = True"), "True");
    EXPECT_EQ(Echo("Not 1 = 2"), "True");
    EXPECT_EQ(Echo("True Or False And False"), "True");
    EXPECT_EQ(Echo("2 + 3 = 5 And 1 < 2"), "True");
    EXPECT_EQ(Echo("- - 3"), "3");
    EXPECT_EQ(Echo("+3"), "3");
    EXPECT_EQ(Echo("8 / 2 / 2"), "2");
    EXPECT_EQ(Echo("8 - 2 - 2"), "4");
    EXPECT_EQ(Echo("True Xor True Or True"), "False");
}

TEST(HostParserStatements, CallFormsAndParentheses) {
    EXPECT_TRUE(ParseOk("Set D = CreateObject(\"VellumarkX.PDFDoc\")\n"
                        "D.AddPage 0\n"
                        "D.AddPage (0)\n"
                        "D.AddPage(0)\n"
                        "Call D.AddPage(0)\n"
                        "Call D.Clear\n"
                        "Call D.Clear()\n"
                        "D.Locate 1, 1, (2 + 3) * 4, 5\n"
                        "D.PageWidth(1) = 200\n"
                        "D.Units = umInches\n"
                        "Call WScript.Echo(1)\n"));
    TDiagnostic d = ParseError("Set D = CreateObject(\"VellumarkX.PDFDoc\")\nD.Locate(1, 1, 2, 3)");
    EXPECT_EQ(d.message, "Cannot use parentheses when calling a Sub");
    EXPECT_EQ(d.pos.line, 2);
    EXPECT_EQ(ParseError("WScript.Echo(1, 2)").message, "Cannot use parentheses when calling a Sub");
    EXPECT_EQ(ParseError("Call D.Locate 1, 1, 2, 3").message, "Expected end of statement");
}

TEST(HostParserStatements, PropertyPutShapes) {
    auto program = ParseOk("D.PageWidth(1) = 3\nD.Units = 2\nD.Locate (1), 2, 3, 4");
    ASSERT_TRUE(program);
    ASSERT_EQ(program->statements.size(), 3u);
    // A put's arguments end with the value.
    EXPECT_EQ(program->statements[0].kind, TStmtKind::PropertyPut);
    EXPECT_EQ(program->statements[0].c, 2u);
    EXPECT_EQ(program->statements[1].kind, TStmtKind::PropertyPut);
    EXPECT_EQ(program->statements[1].c, 1u);
    EXPECT_EQ(program->statements[2].kind, TStmtKind::Call);
    EXPECT_EQ(program->statements[2].c, 4u);
}

TEST(HostParserStatements, BlocksMustClose) {
    TDiagnostic d = ParseError("For i = 1 To 3\nWScript.Echo i\n");
    EXPECT_EQ(d.message, "Expected 'Next'");
    d = ParseError("If 1 Then\nWScript.Echo 1\n");
    EXPECT_EQ(d.message, "Expected 'End If'");
    d = ParseError("For i = 1 To 3\nIf i Then\nNext\n");
    EXPECT_EQ(d.message, "Expected 'End If'");
    EXPECT_EQ(d.pos.line, 3);
    EXPECT_EQ(ParseError("Next").message, "Unexpected 'Next'");
    EXPECT_EQ(ParseError("End If").message, "Unexpected 'End'");
    // The language has no counter after Next.
    d = ParseError("For i = 1 To 3\nNext i");
    EXPECT_EQ(d.message, "Expected end of statement");
    EXPECT_EQ(d.pos.line, 2);
    EXPECT_EQ(d.pos.col, 6);
    EXPECT_EQ(ParseError("Exit For").message, "Invalid 'Exit For' outside a For loop");
    EXPECT_EQ(ParseError("If 1 Then x = 1 Else For i = 1 To 2: Next").kind, TDiagnostic::TKind::Syntax);
    EXPECT_EQ(ParseError("x = 1\nOption Explicit").message, "Option Explicit must come before any other statement");
    EXPECT_EQ(ParseError("Class C\nEnd Class").message, "Unsupported statement: 'Class'");
}

TEST(HostParserErrors, PositionsOfSyntaxErrors) {
    TDiagnostic d = ParseError("x = 1\n\n   y = (2 + \n");
    EXPECT_EQ(d.kind, TDiagnostic::TKind::Syntax);
    EXPECT_EQ(d.message, "Expected expression");
    EXPECT_EQ(d.pos.line, 3);
    EXPECT_EQ(d.pos.col, 13);
    d = ParseError("x = (1 + 2");
    EXPECT_EQ(d.message, "Expected ')'");
    d = ParseError("If x = 1\nEnd If");
    EXPECT_EQ(d.message, "Expected 'Then'");
    EXPECT_EQ(d.pos.col, 9);
    d = ParseError("x = 1 @ 2");
    EXPECT_EQ(d.message, "Invalid character");
    EXPECT_EQ(d.pos.col, 7);
    EXPECT_EQ(ParseError("x = Foo(1)").kind, TDiagnostic::TKind::Compile);
    EXPECT_EQ(ParseError("x = Len(1, 2)").message,
              "Wrong number of arguments or invalid property assignment: 'Len'");
    EXPECT_EQ(ParseError("x = Len").message, "Expected '('");
}

TEST(HostParserErrors, ALexicalErrorAnywhereComesFirst) {
    // The whole source is read before any statement is judged, so a bad
    // token further on is reported instead of an earlier syntax error.
    TDiagnostic d = ParseError("x = )\ny = 1\nz = \"open");
    EXPECT_EQ(d.message, "Unterminated string constant");
    EXPECT_EQ(d.pos.line, 3);
    d = ParseError("D.Nope 1\nx = 1 @ 2");
    EXPECT_EQ(d.kind, TDiagnostic::TKind::Syntax);
    EXPECT_EQ(d.message, "Invalid character");
    EXPECT_EQ(d.pos.line, 2);
    // Also past a statement the parser looks ahead through.
    d = ParseError("D.Locate(1, 2) = 3 @\n");
    EXPECT_EQ(d.message, "Invalid character");
    EXPECT_EQ(d.pos.col, 20);
}

TEST(HostParserErrors, Utf8IsReadAsTheDecodedTextReadsIt) {
    // Script bytes are read without decoding them first; columns still count
    // UTF-16 units, and malformed bytes after a UTF-8 byte order mark count
    // as the U+FFFD they decode to.
    struct TCase {
        std::string bytes;
        int line, col;
        std::string message;
    };
    const TCase cases[] = {
        {"x = \"\xE2\x82\xAC\xF0\x9F\x98\x80\" @", 1, 11, "Invalid character"},
        {"x = 1 ' \xC3\xA9\xF0\x9F\x98\x80\ny = (\xC3\xA9", 2, 6, "Invalid character"},
        {"\xEF\xBB\xBFx = \"\xE2\x82\" + )", 1, 12, "Expected expression"},
        {"\xEF\xBB\xBFx = \"\xC3\" & \"\x80\xFF\" +", 1, 17, "Expected expression"},
        {"\xEF\xBB\xBFx = \"\xF4\x90\x80\x80\" x", 1, 12, "Expected end of statement"},
        {"\xEF\xBB\xBFx = 1\r\nRem \xED\xA0\x80\r\ny = \"\xC3\xA9\n", 3, 5, "Unterminated string constant"},
        {"x = \xC3\xA9", 1, 5, "Invalid character"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.bytes);
        TParseResult bytes = ParseScriptBytes(c.bytes);
        TParseResult text = ParseScript(DecodeScript(c.bytes));
        ASSERT_TRUE(bytes.error && text.error);
        EXPECT_EQ(bytes.error->message, c.message);
        EXPECT_EQ(bytes.error->pos.line, c.line);
        EXPECT_EQ(bytes.error->pos.col, c.col);
        EXPECT_EQ(text.error->message, c.message);
        EXPECT_EQ(text.error->pos.col, c.col);
    }
    // String values decode the same way.
    const std::string script = "\xEF\xBB\xBFWScript.Echo \"a\xC3\xA9\xE2\x82\" & \"\xF0\x9F\x98\x80\"\"\xFF\", Len(\"\xF0\x9F\x98\x80\")\n";
    std::ostringstream out, err;
    EXPECT_EQ(RunScriptBytes(std::string(script), "t.vbs", out, err), 0) << err.str();
    EXPECT_EQ(out.str(), "a\xC3\xA9\xEF\xBF\xBD\xEF\xBF\xBD\xF0\x9F\x98\x80\"\xEF\xBF\xBD 2\n");
}

TEST(HostParserErrors, UnknownMembersAreFoundBeforeRunning) {
    // The check covers code that never runs and comes before anything runs.
    TOutcome r = RunText("WScript.Echo \"ran\"\nIf False Then\n  D.AddPages 1\nEnd If");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "t.vbs(3, 5) Compilation error: Object doesn't support this property or method: 'AddPages'\n");

    TDiagnostic d = ParseError("x = D.Nope + 1");
    EXPECT_EQ(d.kind, TDiagnostic::TKind::Compile);
    EXPECT_EQ(d.message, "Object doesn't support this property or method: 'Nope'");
    EXPECT_EQ(d.pos.col, 7);
    EXPECT_EQ(ParseError("WScript.Sleep 10").message, "Object doesn't support this property or method: 'Sleep'");
    EXPECT_EQ(ParseError("x = Err.Line").message, "Object doesn't support this property or method: 'Line'");
    EXPECT_EQ(ParseError("Err.Reset").kind, TDiagnostic::TKind::Compile);
    EXPECT_TRUE(ParseOk("x = Err.number + Len(err.DESCRIPTION & Err.Source) + Err\nErr.Clear\nWScript.Quit"));
    // Every member of the control's interface is known, in any case.
    EXPECT_TRUE(ParseOk("x = D.drawtextbidimodeflagsreadingonly\nD.MERGEALPHACOLOR = 1\nD.Visible = True"));
}

TEST(HostParserErrors, NestingIsBoundedNotRecursedWithoutLimit) {
    // Deep parentheses, unary chains, long operator chains and deep blocks are
    // syntax errors, not stack overflows.
    TDiagnostic d = ParseError("x = " + std::string(100000, '(') + "1" + std::string(100000, ')'));
    EXPECT_EQ(d.message, "Nesting too deep");
    EXPECT_EQ(d.pos.line, 1);
    d = ParseError("x = " + std::string(100000, '-') + "1");
    EXPECT_EQ(d.message, "Nesting too deep");
    std::string notChain = "x = ";
    for (int i = 0; i < 50000; ++i) notChain += "Not ";
    EXPECT_EQ(ParseError(notChain + "1").message, "Nesting too deep");
    std::string sum = "x = 1";
    for (int i = 0; i < 100000; ++i) sum += "+1";
    EXPECT_EQ(ParseError(sum).message, "Expression too complex");
    std::string ifs;
    for (int i = 0; i < 5000; ++i) ifs += "If 1 Then\n";
    EXPECT_EQ(ParseError(ifs).message, "Nesting too deep");
    std::string lineIfs;
    for (int i = 0; i < 5000; ++i) lineIfs += "If 1 Then ";
    EXPECT_EQ(ParseError(lineIfs + "x = 1").message, "Nesting too deep");

    // Moderate depth is fine.
    EXPECT_EQ(Echo(std::string(40, '(') + "1" + std::string(40, ')')), "1");
    std::string moderate = "1";
    for (int i = 0; i < 200; ++i) moderate += "+1";
    EXPECT_EQ(Echo(moderate), "201");
}

TEST(HostParserErrors, ArbitraryBytesNeverCrash) {
    // A few hostile shapes: NUL bytes, stray quotes, lone operators.
    for (const std::string& s : {std::string("\0\0\0", 3), std::string("\"\"\""), std::string("&"),
                                 std::string("_"), std::string("x = ."), std::string("..5"),
                                 std::string(":::\n\n"), std::string("If"), std::string("Set"),
                                 std::string("Call"), std::string("D."), std::string("x = D.")}) {
        TParseResult r = ParseScript(Utf8ToUtf16(s));
        EXPECT_TRUE(r.program || r.error);
    }
}

}  // namespace
}  // namespace vellumark::host
