// Script host: the language beyond calls on the control. Procedures and their
// parameters, the loops and Select Case, arrays, the string, number and date
// functions, WScript.Arguments, reading text files, and the encodings of
// script files. Each case is a script and what it must echo, as cscript
// echoes it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "HostTestUtil.h"
#include "TestUtil.h"
#include "base/TextCodec.h"
#include "host/Interpreter.h"

namespace vellumark::host {
namespace {

using test::ReadFile;
using test::RunCommand;
using test::ShellQuote;
using test::TempDir;
using test::WriteFile;

struct TCase {
    std::string script;
    std::string output;  // what it echoes; for an error, the error's message line
};

using test::RunText;
using test::TOutcome;

void ExpectOutputs(const std::vector<TCase>& cases) {
    for (const TCase& c : cases) {
        const TOutcome r = RunText(c.script);
        EXPECT_EQ(r.status, 0) << c.script << "\n" << r.err;
        EXPECT_EQ(r.err, "") << c.script;
        EXPECT_EQ(r.out, c.output) << c.script;
    }
}

// Each script fails with exit status 1 and the error line given.
void ExpectErrors(const std::vector<TCase>& cases) {
    for (const TCase& c : cases) {
        const TOutcome r = RunText(c.script);
        EXPECT_EQ(r.status, kExitRuntimeError) << c.script;
        EXPECT_EQ(r.err, c.output) << c.script;
    }
}

TEST(HostLanguage, Procedures) {
    ExpectOutputs({
        {"Sub Hello(name)\n WScript.Echo \"Hi \" & name\nEnd Sub\nHello \"A\"\nCall Hello(\"B\")\nHello(\"C\")\n",
         "Hi A\nHi B\nHi C\n"},
        // Procedures may come after their callers; a Function without
        // arguments is called by its name alone.
        {"WScript.Echo Twice(21), Answer\nFunction Twice(x)\n Twice = x * 2\nEnd Function\n"
         "Function Answer\n Answer = 42\nEnd Function\n",
         "42 42\n"},
        // ByRef is the default; ByVal copies.
        {"Sub Bump(ByRef a, ByVal b, c)\n a = a + 1: b = b + 1: c = c + 1\nEnd Sub\n"
         "x = 1: y = 1: z = 1\nBump x, y, z\nWScript.Echo x, y, z\n",
         "2 1 2\n"},
        // A variable in parentheses goes by value.
        {"Sub Inc(n)\n n = n + 1\nEnd Sub\nx = 1\nInc x\nInc (x)\nInc(x)\nCall Inc((x))\nWScript.Echo x\n", "2\n"},
        // Locals: names Dim'd in the procedure, or that the main program does
        // not use, stay in it; the others are the script's variables.
        {"Dim shared\nshared = 1\nSub S\n Dim mine\n mine = 5: fresh = 6: shared = shared + 1\nEnd Sub\n"
         "S\nS\nWScript.Echo shared & \"|\" & mine\nSub T\n WScript.Echo \"[\" & fresh & \"]\"\nEnd Sub\nT\n",
         "3|\n[]\n"},
        // The main program may use them after the procedure's text.
        {"Sub Count\n total = total + 1\n doc.Units = total Mod 2\nEnd Sub\n"
         "Set doc = CreateObject(\"VellumarkX.PDFDoc\")\ntotal = 10\nCount\nWScript.Echo total, doc.Units\n",
         "11 1\n"},
        {"Function Fact(n)\n If n <= 1 Then\n  Fact = 1\n Else\n  Fact = n * Fact(n - 1)\n End If\nEnd Function\n"
         "WScript.Echo Fact(10)\n",
         "3628800\n"},
        {"Sub S(n)\n If n > 2 Then Exit Sub\n WScript.Echo n\nEnd Sub\nS 1\nS 5\nS 2\n", "1\n2\n"},
        {"Function F()\n F = 1\n Exit Function\n F = 2\nEnd Function\nWScript.Echo F()\n", "1\n"},
        // An error in a procedure goes on in the caller's On Error.
        {"Sub Bad\n x = 1 / 0\n WScript.Echo \"not here\"\nEnd Sub\nOn Error Resume Next\nBad\n"
         "WScript.Echo Err.Number\n",
         "11\n"},
        // A procedure's own On Error ends with it.
        {"Sub Quiet\n On Error Resume Next\n x = 1 / 0\n WScript.Echo \"went on\"\nEnd Sub\nQuiet\n"
         "WScript.Echo Err.Number\n",
         "went on\n11\n"},
        {"Sub Q\n WScript.Echo 1\n WScript.Quit 0\nEnd Sub\nQ\nWScript.Echo 2\n", "1\n"},
        {"Private n\nn = 2\nPublic Function Half(x)\n Half = x / n\nEnd Function\nWScript.Echo Half(5)\n", "2.5\n"},
    });
    ExpectErrors({
        {"Sub Bad\n x = 1 / 0\nEnd Sub\nBad\n", "t.vbs(2, 2) Runtime error: Division by zero\n"},
        {"Sub S(a)\nEnd Sub\nS 1, 2\n",
         "t.vbs(3, 1) Runtime error: Wrong number of arguments or invalid property assignment: 'S'\n"},
        {"Nope 1\n", "t.vbs(1, 1) Runtime error: Type mismatch: 'Nope'\n"},
        {"Sub R\n R\nEnd Sub\nR\n", "t.vbs(2, 2) Runtime error: Out of stack space\n"},
    });
}

TEST(HostLanguage, Loops) {
    ExpectOutputs({
        {"i = 0\nDo While i < 3\n i = i + 1\nLoop\nWScript.Echo i\n", "3\n"},
        {"i = 0\nDo Until i >= 3\n i = i + 1\nLoop\nWScript.Echo i\n", "3\n"},
        // A test at the end runs the body once at least.
        {"i = 5\nDo\n i = i + 1\nLoop While i < 3\nWScript.Echo i\n", "6\n"},
        {"i = 5\nDo\n i = i + 1\nLoop Until True\nWScript.Echo i\n", "6\n"},
        {"i = 0\nDo\n i = i + 1\n If i = 4 Then Exit Do\nLoop\nWScript.Echo i\n", "4\n"},
        {"i = 0\nWhile i < 3\n i = i + 1\nWend\nWScript.Echo i\n", "3\n"},
        // Exit Do in a While loop leaves the Do around it.
        {"Do\n While True\n  Exit Do\n Wend\nLoop\nWScript.Echo \"out\"\n", "out\n"},
        {"For Each x In Array(1, \"b\", 3.5)\n WScript.Echo x\nNext\n", "1\nb\n3.5\n"},
        {"For Each x In Array(1, 2, 3)\n If x = 2 Then Exit For\n WScript.Echo x\nNext\n", "1\n"},
        {"For i = 1 To 5\n Select Case i\n  Case 1, 2\n   WScript.Echo \"low\"\n  Case 3\n   WScript.Echo \"three\"\n"
         "  Case Else\n   WScript.Echo \"high\"\n End Select\nNext\n",
         "low\nlow\nthree\nhigh\nhigh\n"},
        {"For Each n In Array(-1, 5, 50)\n Select Case n\n  Case Is < 0: WScript.Echo \"negative\"\n"
         "  Case 0, Is <= 10: WScript.Echo \"small\"\n  Case Else: WScript.Echo \"big\"\n End Select\nNext\n",
         "negative\nsmall\nbig\n"},
        {"Select Case \"b\"\nCase \"a\": WScript.Echo 1\nCase \"B\": WScript.Echo 2\nEnd Select\nWScript.Echo 3\n", "3\n"},
        {"x = 2\nIf x = 1 Then\n WScript.Echo \"one\"\nElseIf x = 2 Then\n WScript.Echo \"two\"\nElse\n"
         " WScript.Echo \"other\"\nEnd If\n",
         "two\n"},
    });
}

TEST(HostLanguage, Arrays) {
    ExpectOutputs({
        {"Dim a(2)\na(0) = \"x\": a(2) = 3\nWScript.Echo UBound(a), LBound(a), a(0), a(1), a(2)\n", "2 0 x  3\n"},
        {"Dim m(1, 2)\nm(1, 2) = 7\nWScript.Echo UBound(m, 1), UBound(m, 2), m(1, 2), m(0, 0)\n", "1 2 7 \n"},
        {"Dim e()\nFor Each x In e\n WScript.Echo x\nNext\nWScript.Echo IsArray(e)\n", "True\n"},
        {"Dim a()\nReDim a(1)\na(1) = 5\nReDim Preserve a(3)\na(3) = 6\nWScript.Echo UBound(a), a(1), a(3)\n"
         "ReDim a(0)\nWScript.Echo a(0) = Empty\n",
         "3 5 6\nTrue\n"},
        // Arrays are values: an assignment copies.
        {"a = Array(1, 2)\nb = a\nb(0) = 9\nWScript.Echo a(0), b(0), IsArray(a), IsArray(1)\n", "1 9 True False\n"},
        {"Sub Fill(arr)\n arr(0) = \"filled\"\nEnd Sub\nDim a(0)\nFill a\nWScript.Echo a(0)\n", "filled\n"},
        {"a = Split(\"a,b,,c\", \",\")\nWScript.Echo UBound(a), Join(a, \"-\"), Join(Split(\"x y\"))\n", "3 a-b--c x y\n"},
        {"WScript.Echo UBound(Split(\"\")), UBound(Array()), Join(Split(\"a,b,c\", \",\", 2), \"|\")\n",
         "-1 -1 a|b,c\n"},
    });
    ExpectErrors({
        {"Dim a(1)\nx = a(2)\n", "t.vbs(2, 1) Runtime error: Subscript out of range\n"},
        {"Dim a(1)\nWScript.Echo a\n", "t.vbs(2, 1) Runtime error: Type mismatch\n"},
        {"x = 1\ny = x(0)\n", "t.vbs(2, 1) Runtime error: Type mismatch: 'x'\n"},
        {"ReDim a(2000000)\n", "t.vbs(1, 1) Runtime error: Out of memory\n"},
    });
}

TEST(HostLanguage, StringFunctions) {
    ExpectOutputs({
        {"WScript.Echo Left(\"abcdef\", 2), Right(\"abcdef\", 2), Mid(\"abcdef\", 2, 3), Mid(\"abcdef\", 4), "
         "Mid(\"abc\", 9) = \"\", Left(\"ab\", 9)\n",
         "ab ef bcd def True ab\n"},
        {"WScript.Echo InStr(\"abcabc\", \"c\"), InStr(4, \"abcabc\", \"c\"), InStr(\"abc\", \"x\"), "
         "InStr(\"ABC\", \"b\"), InStr(1, \"ABC\", \"b\", 1), InStr(2, \"abc\", \"\")\n",
         "3 6 0 0 2 2\n"},
        {"WScript.Echo InStrRev(\"abcabc\", \"c\"), InStrRev(\"abcabc\", \"c\", 5), InStrRev(\"abc\", \"x\"), "
         "InStrRev(\"abcabc\", \"bc\")\n",
         "6 3 0 5\n"},
        {"WScript.Echo Replace(\"a.b.c\", \".\", \"::\"), Replace(\"aXbxc\", \"x\", \"-\", 1, -1, 1), "
         "Replace(\"abcabc\", \"b\", \"\", 3), Replace(\"aaa\", \"a\", \"b\", 1, 2)\n",
         "a::b::c a-b-c cac bba\n"},
        {"WScript.Echo \"[\" & Trim(\"  x y  \") & \"][\" & LTrim(\"  x \") & \"][\" & RTrim(\" x  \") & \"]\"\n",
         "[x y][x ][ x]\n"},
        {"WScript.Echo UCase(\"abc\u00e9\"), LCase(\"ABC\u00c9\"), StrReverse(\"abc\"), \"[\" & Space(3) & \"]\", "
         "String(3, \"xy\"), String(2, 65)\n",
         "ABC\u00c9 abc\u00e9 cba [   ] xxx AA\n"},
        {"WScript.Echo Asc(\"A\"), Asc(ChrW(8364)), AscW(ChrW(8364)), AscW(ChrW(65535)), Len(\"abc\")\n",
         "65 128 8364 -1 3\n"},
    });
    ExpectErrors({
        {"x = Mid(\"abc\", 0)\n", "t.vbs(1, 1) Runtime error: Invalid procedure call or argument: 'Mid'\n"},
        {"x = Left(\"abc\", -1)\n", "t.vbs(1, 1) Runtime error: Invalid procedure call or argument: 'Left'\n"},
        {"x = Asc(\"\")\n", "t.vbs(1, 1) Runtime error: Invalid procedure call or argument: 'Asc'\n"},
    });
}

TEST(HostLanguage, NumberFunctions) {
    ExpectOutputs({
        // Banker's rounding in CInt, CLng and Round; Int rounds down, Fix
        // towards zero.
        {"WScript.Echo CInt(2.5), CInt(3.5), CInt(-2.5), CLng(-3.5), Round(0.125, 2), Int(-2.5), Fix(-2.5)\n",
         "2 4 -2 -4 0.12 -3 -2\n"},
        {"WScript.Echo IsNumeric(\"12.5\"), IsNumeric(\" 7 \"), IsNumeric(\"x\"), IsNumeric(\"\"), IsNumeric(3), "
         "IsEmpty(Empty), IsEmpty(\"\"), IsEmpty(neverSet)\n",
         "True True False False True True False True\n"},
        {"WScript.Echo FormatNumber(1234567.891), FormatNumber(0.5), FormatNumber(-1234.5, 0), "
         "FormatNumber(2.675, 2), FormatNumber(0.25, 1, 0), FormatNumber(1234.5, 1, -1, -1, 0), "
         "FormatNumber(-5, 1, -1, -1)\n",
         "1,234,567.89 0.50 -1,235 2.68 .3 1234.5 (5.0)\n"},
        {"WScript.Echo CDbl(\"1.5\") + 1, Abs(-7), Sqr(9), CStr(12) & \"!\"\n", "2.5 7 3 12!\n"},
    });
    ExpectErrors({
        {"x = CInt(40000)\n", "t.vbs(1, 1) Runtime error: Overflow\n"},
    });
}

TEST(HostLanguage, Dates) {
    ExpectOutputs({
        // 45356.75 is 5 March 2024, 6 PM.
        {"d = 45356.75\nWScript.Echo Year(d), Month(d), Day(d), Hour(d), Minute(d), Second(d)\n",
         "2024 3 5 18 0 0\n"},
        {"WScript.Echo FormatDateTime(45356.75, vbLongDate) & \"|\" & FormatDateTime(45356.75, vbShortDate) & \"|\" & "
         "FormatDateTime(45356.75, vbLongTime) & \"|\" & FormatDateTime(45356.75, vbShortTime) & \"|\" & "
         "FormatDateTime(45356.75)\n",
         "Tuesday, March 5, 2024|3/5/2024|6:00:00 PM|18:00|3/5/2024 6:00:00 PM\n"},
        {"WScript.Echo Year(\"3/5/2024\"), Day(\"2024-03-05\"), Hour(\"1:30 PM\")\n", "2024 5 13\n"},
        {"n = Now\nWScript.Echo Year(n) >= 2024, Year(Date) = Year(n), Hour(Time) < 24, Len(CStr(Now)) > 8\n",
         "True True True True\n"},
    });
}

TEST(HostLanguage, ArgumentsAndTextFiles) {
    TRunOptions options;
    options.arguments = {u"first", u"\u00e9 two"};
    TOutcome r = RunText(
        "WScript.Echo WScript.Arguments.Count, WScript.Arguments(0), WScript.Arguments.Item(1)\n"
        "Set args = WScript.Arguments\nWScript.Echo args.Count, args(1), args.Item(0)\n"
        "For Each a In args\n WScript.Echo a\nNext\n",
        options);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "2 first \xC3\xA9 two\n2 \xC3\xA9 two first\nfirst\n\xC3\xA9 two\n");
    EXPECT_EQ(RunText("x = WScript.Arguments(0)\n").err, "t.vbs(1, 1) Runtime error: Subscript out of range\n");

    TempDir dir;
    const std::string file = (dir.Path() / "lines.txt").string();
    WriteFile(file, "one\r\ntwo \x80\nthree");  // Windows-1252, mixed line ends, no last one
    const std::string open = "Set fso = CreateObject(\"Scripting.FileSystemObject\")\n"
                             "Set f = fso.OpenTextFile(\"" + file + "\", ForReading)\n";
    r = RunText(open + "Do Until f.AtEndOfStream\n WScript.Echo \"[\" & f.ReadLine & \"]\"\nLoop\nf.Close\n"
                   "WScript.Echo fso.FileExists(\"" + file + "\"), fso.FileExists(\"" + file + ".no\")\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "[one]\n[two \xE2\x82\xAC]\n[three]\nTrue False\n");
    r = RunText(open + "x = f.ReadLine\nWScript.Echo Len(f.ReadAll)\nx = f.ReadLine\n");
    EXPECT_EQ(r.out, "11\n");
    EXPECT_EQ(r.err, "t.vbs(5, 1) Runtime error: Input past end of file\n");
    WriteFile(file, std::string("\xFF\xFEh\0i\0\r\0\n\0\xAC\x20", 12));  // UTF-16: "hi", "€"
    r = RunText(open.substr(0, open.size() - 14) + ", 1, False, -1)\nWScript.Echo f.ReadLine & \"|\" & f.ReadAll\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "hi|\xE2\x82\xAC\n");
    r = RunText("Set fso = CreateObject(\"Scripting.FileSystemObject\")\nSet f = fso.OpenTextFile(\"" + file + ".no\")\n");
    EXPECT_EQ(r.err, "t.vbs(2, 1) Runtime error: File not found: '" + file + ".no'\n");
}

TEST(HostLanguage, ParseErrors) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Do While True\n", "t.vbs(2, 1) Syntax error: Expected 'Loop'\n"},
        {"While True\n", "t.vbs(2, 1) Syntax error: Expected 'Wend'\n"},
        {"Select Case 1\nCase 1\n", "t.vbs(3, 1) Syntax error: Expected 'End Select'\n"},
        {"Sub S\n", "t.vbs(2, 1) Syntax error: Expected 'End Sub'\n"},
        {"Function F\nEnd Sub\n", "t.vbs(2, 5) Syntax error: Expected 'Function'\n"},
        {"Exit Do\n", "t.vbs(1, 1) Syntax error: Invalid 'Exit Do' outside a Do loop\n"},
        {"Exit Sub\n", "t.vbs(1, 1) Syntax error: Invalid 'Exit Sub' outside a Sub\n"},
        {"Do\nLoop While 1 Until 2\n", "t.vbs(2, 14) Syntax error: Expected end of statement\n"},
        {"For i = 1 To 2\nSub S\nEnd Sub\nNext\n", "t.vbs(2, 1) Syntax error: Unexpected 'Sub'\n"},
        {"Sub S\nEnd Sub\nSub s\nEnd Sub\n", "t.vbs(3, 5) Syntax error: Name redefined: 's'\n"},
        {"Sub S\nDim a, a\nEnd Sub\n", "t.vbs(2, 8) Syntax error: Name redefined: 'a'\n"},
        {"x = Foo(1)\n", "t.vbs(1, 5) Compilation error: Unknown function: 'Foo'\n"},
        {"x = WScript.Arguments.Nope\n", "t.vbs(1, 23) Compilation error: Object doesn't support this property or method: 'Nope'\n"},
    };
    for (const auto& [script, message] : cases) {
        const TOutcome r = RunText(script);
        EXPECT_EQ(r.status, kExitUsage) << script;
        EXPECT_EQ(r.err, message) << script;
    }
}

TEST(HostLanguage, ScriptFileEncodings) {
    // "é€" in each encoding a script file may have.
    const std::string echo = "WScript.Echo \"";
    const std::vector<std::pair<std::string, std::string>> files = {
        {echo + "\xC3\xA9\xE2\x82\xAC\"\n", "UTF-8"},
        {"\xEF\xBB\xBF" + echo + "\xC3\xA9\xE2\x82\xAC\"\n", "UTF-8 with its mark"},
        {echo + "\xE9\x80\"\n", "Windows-1252"},
    };
    for (const auto& [bytes, what] : files) {
        std::ostringstream out, err;
        std::string copy = bytes;
        EXPECT_EQ(RunScriptBytes(std::move(copy), "t.vbs", out, err), 0) << what;
        EXPECT_EQ(out.str(), "\xC3\xA9\xE2\x82\xAC\n") << what;
    }
}

TEST(HostLanguage, ProgramPassesArguments) {
    TempDir dir;
    WriteFile((dir.Path() / "a.vbs").string(),
              "WScript.Echo WScript.Arguments.Count\nFor Each a In WScript.Arguments: WScript.Echo a: Next\n");
    const test::CommandResult r =
        RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) + " run a.vbs x 'y z'");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, "2\nx\ny z\n");
}

}  // namespace
}  // namespace vellumark::host
