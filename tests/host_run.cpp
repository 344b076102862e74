// Script host: running scripts. Value formatting and operators, control
// calls, On Error handling and the Err object, loops and conditions, the
// sandbox mode, and the vellumark program itself (exit statuses, messages,
// standard input, encodings, the bundled examples).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "HostTestUtil.h"
#include "TestUtil.h"
#include "base/TextCodec.h"
#include "control/MemberReference.h"
#include "host/Interpreter.h"

namespace vellumark::host {
namespace {

using test::QpdfCheck;
using test::ReadFile;
using test::RunCommand;
using test::ShellQuote;
using test::TempDir;
using test::WriteFile;

using test::RunText;
using test::TOutcome;

// Runs a script that must end normally and returns what it echoed.
std::string Output(const std::string& script) {
    TOutcome r = RunText(script);
    EXPECT_EQ(r.status, 0) << script << "\n" << r.err;
    EXPECT_EQ(r.err, "");
    return r.out;
}

std::string Echo(const std::string& expr) {
    std::string out = Output("WScript.Echo " + expr + "\n");
    if (out.empty() || out.back() != '\n') return "<no line>";
    return out.substr(0, out.size() - 1);
}

const std::string kNewDoc = "Set D = CreateObject(\"VellumarkX.PDFDoc\")\n";

// ---- values and operators ----

TEST(HostRunValues, EchoFormatting) {
    EXPECT_EQ(Echo("595"), "595");
    EXPECT_EQ(Echo("-42"), "-42");
    EXPECT_EQ(Echo("595 / 1"), "595");
    EXPECT_EQ(Echo("1 / 2"), "0.5");
    EXPECT_EQ(Echo("1 / 3"), "0.333333333333333");
    EXPECT_EQ(Echo("2 / 3"), "0.666666666666667");
    EXPECT_EQ(Echo("1E20 * 1"), "1E+20");
    EXPECT_EQ(Echo("0.00001 / 10"), "1E-06");
    EXPECT_EQ(Echo("True"), "True");
    EXPECT_EQ(Echo("1 = 2"), "False");
    EXPECT_EQ(Echo("\"text\""), "text");
    EXPECT_EQ(Echo("Empty"), "");
    EXPECT_EQ(Echo("neverAssigned"), "");
    EXPECT_EQ(Echo("1, \"two\", 3.5, True"), "1 two 3.5 True");
    EXPECT_EQ(Output("WScript.Echo\n"), "\n");
    EXPECT_EQ(Echo("ChrW(8364) & Chr(128)"), "\xE2\x82\xAC\xE2\x82\xAC");
    // Page widths in millimetres, as the control reports them.
    EXPECT_EQ(Output(kNewDoc + "D.AddPage 0\nD.Units = umMillimeters\nWScript.Echo D.PageWidth(1)\n"),
              "209.902777777778\n");
}

TEST(HostRunValues, ArithmeticTypes) {
    EXPECT_EQ(Echo("2147483647 + 1"), "2147483648");      // Long overflow becomes Double
    EXPECT_EQ(Echo("-2147483647 - 2"), "-2147483649");
    EXPECT_EQ(Echo("65536 * 65536"), "4294967296");
    EXPECT_EQ(Echo("-(-2147483647 - 1)"), "2147483648");
    EXPECT_EQ(Echo("6 / 3"), "2");
    EXPECT_EQ(Echo("7 \\ 2"), "3");
    EXPECT_EQ(Echo("-7 \\ 2"), "-3");
    EXPECT_EQ(Echo("7.5 \\ 2"), "4");  // operands are rounded half to even first
    EXPECT_EQ(Echo("-7 Mod 3"), "-1");
    EXPECT_EQ(Echo("\"ab\" + \"cd\""), "abcd");
    EXPECT_EQ(Echo("\"1\" + 2"), "3");
    EXPECT_EQ(Echo("\"1\" & 2"), "12");
    EXPECT_EQ(Echo("True + True"), "-2");
    EXPECT_EQ(Echo("Empty + 1"), "1");
    EXPECT_EQ(Echo("5 And 3"), "1");
    EXPECT_EQ(Echo("5 Or 3"), "7");
    EXPECT_EQ(Echo("5 Xor 3"), "6");
    EXPECT_EQ(Echo("Not 0"), "-1");
    EXPECT_EQ(Echo("Not True"), "False");
    EXPECT_EQ(Echo("2 ^ 10"), "1024");
}

TEST(HostRunValues, Comparisons) {
    EXPECT_EQ(Echo("\"abc\" < \"abd\""), "True");
    EXPECT_EQ(Echo("\"B\" < \"a\""), "True");  // binary comparison
    EXPECT_EQ(Echo("2 < 10"), "True");
    EXPECT_EQ(Echo("\"2\" < \"10\""), "False");
    EXPECT_EQ(Echo("5 < \"1\""), "True");  // a number is less than a string
    EXPECT_EQ(Echo("Empty = 0"), "True");
    EXPECT_EQ(Echo("Empty = \"\""), "True");
    EXPECT_EQ(Echo("1.5 >= 1.5"), "True");
    EXPECT_EQ(Echo("1 <> 1"), "False");
    EXPECT_EQ(Echo("True = -1"), "True");
}

TEST(HostRunValues, Functions) {
    EXPECT_EQ(Echo("CStr(1.5) & CStr(True)"), "1.5True");
    EXPECT_EQ(Echo("CLng(2.5) & \" \" & CLng(3.5) & \" \" & CLng(\"&HFF\")"), "2 4 255");
    EXPECT_EQ(Echo("CDbl(\"1.25\") * 2"), "2.5");
    EXPECT_EQ(Echo("CBool(2) & \" \" & CBool(\"false\")"), "True False");
    EXPECT_EQ(Echo("Int(-1.5) & \" \" & Fix(-1.5) & \" \" & Int(7)"), "-2 -1 7");
    EXPECT_EQ(Echo("Abs(-3) & \" \" & Abs(-2.5)"), "3 2.5");
    EXPECT_EQ(Echo("Sqr(16) & \" \" & Sin(0) & \" \" & Cos(0)"), "4 0 1");
    EXPECT_EQ(Echo("Round(2.5) & \" \" & Round(3.5) & \" \" & Round(2.567, 2)"), "2 4 2.57");
    EXPECT_EQ(Echo("Chr(65) & Chr(66)"), "AB");
    EXPECT_EQ(Echo("Len(\"abc\") & \" \" & Len(123) & \" \" & Len(Empty)"), "3 3 0");
    EXPECT_EQ(Echo("RGB(255, 0, 0) & \" \" & RGB(0, 0, 255) & \" \" & RGB(300, 1, 0)"), "255 16711680 511");
    EXPECT_EQ(Echo("4 * Atn(1)"), "3.14159265358979");
}

// A runtime error with the host's own number, caught with Err.
void ExpectHostError(const std::string& statement, int number, const std::string& description) {
    std::string out = Output("On Error Resume Next\n" + statement +
                             "\nWScript.Echo Err.Number & \"|\" & Err.Description & \"|\" & Err.Source\n");
    EXPECT_EQ(out, std::to_string(number) + "|" + description + "|Vellumark runtime\n") << statement;
}

TEST(HostRunValues, RuntimeErrorsOfOperatorsAndFunctions) {
    ExpectHostError("x = 1 / 0", 11, "Division by zero");
    ExpectHostError("x = 0 / 0", 6, "Overflow");
    ExpectHostError("x = 5 \\ 0", 11, "Division by zero");
    ExpectHostError("x = 5 Mod 0", 11, "Division by zero");
    ExpectHostError("x = \"a\" + 1", 13, "Type mismatch");
    ExpectHostError("x = -\"a\"", 13, "Type mismatch");
    ExpectHostError("x = CLng(3E9)", 6, "Overflow");
    ExpectHostError("x = 1E200 * 1E200", 6, "Overflow");
    ExpectHostError("x = (-2147483647 - 1) \\ -1", 6, "Overflow");
    ExpectHostError("x = Sqr(-1)", 5, "Invalid procedure call or argument");
    ExpectHostError("x = Chr(256)", 5, "Invalid procedure call or argument");
    ExpectHostError("If \"abc\" Then x = 1", 13, "Type mismatch");
    ExpectHostError("x = ReadBytes(\"/no/such/file\")", 53, "File not found");
    ExpectHostError("Set D = CreateObject(\"Other.Thing\")", 429, "ActiveX component can't create object");
    ExpectHostError("D.AddPage 0", 424, "Object required");
    ExpectHostError("Set D = 5", 424, "Object required");
    ExpectHostError(kNewDoc + "x = D", 438, "Object doesn't support this property or method");
    ExpectHostError("Set D = Nothing\nD.AddPage 0", 91, "Object variable not set");
    ExpectHostError(kNewDoc + "D.AddPage \"abc\"", 13, "Type mismatch");
    ExpectHostError(kNewDoc + "D.AddPage 3E9", 6, "Overflow");
    ExpectHostError(kNewDoc + "D.AddPage 1, 2", 450, "Wrong number of arguments or invalid property assignment");
    ExpectHostError(kNewDoc + "D.AddPage D", 13, "Type mismatch");
    ExpectHostError(kNewDoc + "D.AlignDisabled = True", 438, "Object doesn't support this property or method");
}

TEST(HostRunValues, StringLengthIsLimited) {
    TRunOptions options;
    options.maxStringLength = 1000;
    TOutcome r = RunText("s = \"ab\"\nFor i = 1 To 20\ns = s & s\nNext\n", options);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "t.vbs(3, 1) Runtime error: Out of memory\n");
}

// ---- calls on the control ----

TEST(HostRunControl, MethodsPropertiesAndIndexedProperties) {
    std::string out = Output(kNewDoc +
                             "D.AddPage 0\n"
                             "D.AddPage 0\n"
                             "D.PageSize(2) = psA4_L\n"
                             "WScript.Echo D.PageWidth(1), D.PageHeight(1), D.PageWidth(2), D.PageSize(2)\n"
                             "D.PageWidth(1) = 300\n"
                             "WScript.Echo D.PageWidth(1), D.PageSize(1)\n"
                             "D.Units = umInches\n"
                             "WScript.Echo D.Units, D.PageHeight(2)\n"
                             "g = D.CreateGraphic\n"
                             "WScript.Echo g, D.CurrentGraphic, D.ApplyResource(1, g), D.ApplyResource(1, g)\n"
                             "D.Title = \"A \"\"title\"\"\"\n"
                             "WScript.Echo D.Title, Len(D.Author)\n"
                             "D.Fill = 1\n"
                             "WScript.Echo D.Fill, D.Fill + 0\n"
                             "D.LineColor = &HFFFFFFFF\n"
                             "WScript.Echo D.LineColor\n");
    EXPECT_EQ(out,
              "595 842 842 2\n"
              "300 0\n"
              "1 8.26388888888889\n"
              "1 1 1 2\n"
              "A \"title\" 0\n"
              "True -1\n"
              "-1\n");
}

TEST(HostRunControl, LongArgumentListsAreEvaluatedWhole) {
    // Lists longer than 65,535 arguments: every argument is evaluated, in
    // order, before the call is refused.
    std::string ones;
    for (int i = 0; i < 70000; ++i) ones += "1, ";
    std::string out = Output(kNewDoc + "D.AddPage 0\nOn Error Resume Next\n" + "x = D.PageWidth(" + ones +
                             "1 / 0)\nWScript.Echo Err.Number\nErr.Clear\n" + "D.Locate " + ones +
                             "1\nWScript.Echo Err.Number\n");
    EXPECT_EQ(out, "11\n450\n");
}

TEST(HostRunControl, SeveralDocumentsAreIndependent) {
    std::string out = Output(
        "Set A = CreateObject(\"VellumarkX.PDFDoc\")\n"
        "Set B = CreateObject(\"vellumarkx.pdfdoc\")\n"
        "A.AddPage 0\nA.AddPage 0\nB.DefaultPageSize = psLetter_P\nB.AddPage 0\n"
        "WScript.Echo A.PageWidth(2), B.PageWidth(1), B.PageWidth(2)\n"
        "Set C = A\nC.AddPage 0\nWScript.Echo A.PageWidth(3)\n"
        "Set A = Nothing\nWScript.Echo C.PageWidth(3)\n");
    EXPECT_EQ(out, "595 612 0\n595\n595\n");
}

TEST(HostRunControl, SavesTheDocument) {
    TempDir dir;
    const std::string base = (dir / "saved").string();
    std::string out = Output(kNewDoc + "D.AddPage 0\ng = D.CreateGraphic\nD.Circle 100, 100, 50\n"
                             "D.ApplyResource 1, g\nD.SaveToFile \"" + base + "\"\nWScript.Echo \"ok\"\n");
    EXPECT_EQ(out, "ok\n");
    EXPECT_TRUE(QpdfCheck(base + ".pdf"));
}

// ---- On Error and Err ----

TEST(HostRunErrors, ResumeNextRecordsControlFailures) {
    TempDir dir;
    const std::string missing = (dir / "no-such-folder" / "x").string();
    std::string out = Output(kNewDoc +
                             "D.AddPage 0\n"
                             "On Error Resume Next\n"
                             "D.SaveToFile \"" + missing + "\"\n"
                             "WScript.Echo Err.Number\n"
                             "WScript.Echo Err.Source\n"
                             "WScript.Echo Err = -2147418113, Len(Err.Description) > 0\n"
                             "Err.Clear\n"
                             "WScript.Echo Err.Number, \"[\" & Err.Description & \"]\", \"[\" & Err.Source & \"]\"\n"
                             "n = D.AddImageFile(\"" + (dir / "missing.png").string() + "\")\n"
                             "WScript.Echo Err.Number, Err.Source\n"
                             "WScript.Echo \"still running\"\n");
    EXPECT_EQ(out,
              "-2147418113\n"
              "VellumarkX.PDFDoc\n"
              "True True\n"
              "0 [] []\n"
              "-2147418113 VellumarkX.PDFDoc\n"
              "still running\n");
}

TEST(HostRunErrors, ErrKeepsTheLastErrorUntilCleared) {
    std::string out = Output(
        "On Error Resume Next\n"
        "x = 1 / 0\n"
        "y = 2\n"  // a statement that succeeds does not clear Err
        "WScript.Echo Err.Number\n"
        "x = \"a\" * 2\n"
        "WScript.Echo Err.Number\n"
        "On Error Resume Next\n"  // clears Err
        "WScript.Echo Err.Number\n"
        "Err.Raise 1000, \"Mine\", \"custom text\"\n"
        "WScript.Echo Err.Number, Err.Source, Err.Description\n"
        "Err.Raise 6\n"
        "WScript.Echo Err.Number, Err.Source, Err.Description\n");
    EXPECT_EQ(out, "11\n13\n0\n1000 Mine custom text\n6 Vellumark runtime Overflow\n");
}

TEST(HostRunErrors, GotoZeroRestoresFailing) {
    TOutcome r = RunText("On Error Resume Next\nx = 1 / 0\nOn Error GoTo 0\nWScript.Echo Err.Number\nx = 1 / 0\n"
                     "WScript.Echo \"not reached\"\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "0\n");
    EXPECT_EQ(r.err, "t.vbs(5, 1) Runtime error: Division by zero\n");
}

TEST(HostRunErrors, FailedConditionRunsTheBranch) {
    // Resuming after a failed condition continues with the branch's first
    // statement, as the language does.
    std::string out = Output("On Error Resume Next\nIf 1 / 0 Then\nWScript.Echo \"in\"\nElse\nWScript.Echo \"else\"\n"
                             "End If\nWScript.Echo Err.Number\n");
    EXPECT_EQ(out, "in\n11\n");
}

TEST(HostRunErrors, MessagesOfUncaughtErrors) {
    TOutcome r = RunText(kNewDoc + "D.AddPage 0\n    D.SaveToFile \"/no/such/dir/x\"\nWScript.Echo \"no\"\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("t.vbs(3, 5) VellumarkX.PDFDoc: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("/no/such/dir/x.pdf"), std::string::npos) << r.err;

    r = RunText(kNewDoc + "D.AddPage \"abc\"\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "t.vbs(2, 1) Runtime error: Type mismatch\n");

    r = RunText("x = 1\nIf x Then y = 1 / 0\n");
    EXPECT_EQ(r.err, "t.vbs(2, 11) Runtime error: Division by zero\n");

    r = RunText("For i = 1 To \"z\"\nNext\n");
    EXPECT_EQ(r.err, "t.vbs(1, 1) Runtime error: Type mismatch\n");

    r = RunText("Set D = CreateObject(\"Excel.Application\")\n");
    EXPECT_EQ(r.err, "t.vbs(1, 1) Runtime error: ActiveX component can't create object: 'Excel.Application'\n");

    r = RunText("Err.Raise 1000, \"Mine\", \"custom\"\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "t.vbs(1, 1) Mine: custom\n");
}

TEST(HostRunErrors, OptionExplicit) {
    TOutcome r = RunText("Option Explicit\nDim a\na = 1\nConst K = 2\nWScript.Echo a + K\nb = 2\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "3\n");
    EXPECT_EQ(r.err, "t.vbs(6, 1) Runtime error: Variable is undefined: 'b'\n");
    // Declarations count wherever they stand.
    EXPECT_EQ(Output("Option Explicit\nx = 1\nWScript.Echo x\nDim x\n"), "1\n");
}

// ---- control flow ----

TEST(HostRunFlow, ForLoops) {
    EXPECT_EQ(Output("For i = 1 To 3\nWScript.Echo i\nNext\nWScript.Echo \"after\", i\n"), "1\n2\n3\nafter 4\n");
    EXPECT_EQ(Output("For i = 3 To 1 Step -1: WScript.Echo i: Next"), "3\n2\n1\n");
    EXPECT_EQ(Output("For x = 0 To 1 Step 0.25\nWScript.Echo x\nNext"), "0\n0.25\n0.5\n0.75\n1\n");
    EXPECT_EQ(Output("For i = 5 To 1\nWScript.Echo i\nNext\nWScript.Echo i"), "5\n");
    EXPECT_EQ(Output("For i = 1 To 10\nIf i = 3 Then Exit For\nNext\nWScript.Echo i"), "3\n");
    EXPECT_EQ(Output("For i = 1 To 2\nFor j = 1 To 2\nWScript.Echo i & j\nNext\nNext"), "11\n12\n21\n22\n");
    // The bounds are evaluated once; the body may change the counter.
    EXPECT_EQ(Output("n = 3\nFor i = 1 To n\nn = 10\nWScript.Echo i\nNext"), "1\n2\n3\n");
    EXPECT_EQ(Output("For i = 1 To 10\ni = i + 4\nWScript.Echo i\nNext"), "5\n10\n");
}

TEST(HostRunFlow, Conditions) {
    const std::string block =
        "If x > 5 Then\nWScript.Echo \"big\"\nElseIf x > 2 Then\nWScript.Echo \"mid\"\nElse\nWScript.Echo \"small\"\n"
        "End If\n";
    EXPECT_EQ(Output("x = 9\n" + block), "big\n");
    EXPECT_EQ(Output("x = 3\n" + block), "mid\n");
    EXPECT_EQ(Output("x = 1\n" + block), "small\n");
    EXPECT_EQ(Output("x = 1\nIf x Then WScript.Echo \"a\": WScript.Echo \"b\" Else WScript.Echo \"c\"\n"), "a\nb\n");
    EXPECT_EQ(Output("x = 0\nIf x Then WScript.Echo \"a\": WScript.Echo \"b\" Else WScript.Echo \"c\"\n"), "c\n");
    EXPECT_EQ(Output("If 1 Then If 0 Then WScript.Echo \"a\" Else WScript.Echo \"b\"\n"), "b\n");
    EXPECT_EQ(Output("If 1 < 2 And \"3\" > \"2\" Then WScript.Echo \"yes\"\n"), "yes\n");
}

TEST(HostRunFlow, QuitEndsTheScript) {
    TOutcome r = RunText("WScript.Echo 1\nWScript.Quit 7\nWScript.Echo 2\n");
    EXPECT_EQ(r.status, 7);
    EXPECT_EQ(r.out, "1\n");
    EXPECT_EQ(RunText("For i = 1 To 10\nIf i = 4 Then WScript.Quit i * 10\nNext\n").status, 40);
    EXPECT_EQ(RunText("WScript.Quit\nWScript.Echo 2\n").status, 0);
    EXPECT_EQ(RunText("WScript.Quit(3)\n").status, 3);
    r = RunText("WScript.Quit \"x\"\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "t.vbs(1, 1) Runtime error: Type mismatch\n");
}

// ---- sandbox mode ----

// ---- --warnings ----

// Each call the control answers silently is reported with its statement's
// position; the script's own results are the same with and without them.
TEST(HostRunWarnings, SilentAnswersAreReported) {
    const struct {
        const char* script;  // after CreateObject on line 1
        const char* warning;
    } cases[] = {
        {"D.Locate 1, 1, 0, 0", "(2, 1) warning: Locate: there is no page 1 (the document has 0)"},
        {"D.AddPage 0\nD.Rotate 1, 3, 90", "(3, 1) warning: Rotate: page 1 has no placement 3 (it has 0)"},
        {"D.AddPage 0\nD.CreateText\nD.ScaleObject 1, D.ApplyResource(1, 1), -5",
         "(4, 1) warning: ScaleObject: a scale factor of -5 is not above 0; the scale stays 100"},
        {"D.AddPage 0\nWScript.Echo D.ApplyResource(1, 7)",
         "(3, 1) warning: ApplyResource: there is no resource 7 (the document has 0); answers 0"},
        {"D.AddPage 0\nD.PageHeight(1) = 0", "(3, 1) warning: PageHeight: a height of 0 is not above 0"},
        {"x = D.PageSize(4)", "(2, 1) warning: PageSize: there is no page 4"},
        {"  D.TextSize = 12", "(2, 3) warning: TextSize: CurrentText 0 names no text resource; the call does nothing"},
        {"D.CreateText\nx = D.LineWidth", "(3, 1) warning: LineWidth: CurrentGraphic 0 names no graphic resource"},
        {"D.CreateText\nD.TextFont = 40", "(3, 1) warning: TextFont: there is no font 40 (fonts are 1 to 14)"},
        {"D.CreateText\nD.WriteText \"a\xe4\xb8\xad\xf0\x9f\x98\x80?\"",
         "(3, 1) warning: WriteText: the text: U+4E2D, U+1F600 are not in the Windows-1252 code page"},
        {"D.Title = \"\xe2\x82\xac\xe2\x82\xbd\"\nD.AddPage 0\nOn Error Resume Next\nD.SaveToFile \"/nonexistent/x\"",
         "(5, 1) warning: SaveToFile: Title: U+20BD is not in the Windows-1252 code page and becomes \"?\""},
        {"x = D.AddFont(\"missing.ttf\")",
         "(2, 1) warning: AddFont: the font \"missing.ttf\" is not added (the "
         "file does not exist); answers 0"},
        {"x = D.AddFont(\"/\")", "(2, 1) warning: AddFont: the font \"/\" is not added (it is a directory)"},
        {"D.EmbedFont(3) = True", "(2, 1) warning: EmbedFont: font 3 is a standard font, which is never embedded"},
        {"D.SaveToFile \"/nonexistent/x\"",
         "(2, 1) warning: SaveToFile: the document has no pages; no file is written"},
        {"D.CompressionBW = 3",
         "(2, 1) warning: CompressionBW: cfJPEG does not suit black-and-white images; it "
         "stays cfGroup4"},
        {"D.CompressionRGB = 7", "(2, 1) warning: CompressionRGB: compression 7 is not a compression (0 to 3)"},
        {"D.ImageReadNumber = 0", "(2, 1) warning: ImageReadNumber: image number 0 is not above 0; it stays 1"},
        {"D.LinkFont = 5", "(2, 1) warning: LinkFont: only an added font can be the link font"},
        {"x = D.AddImageBMPHandle(0)", "(2, 1) warning: AddImageBMPHandle: handle 0 adds no image; answers 0"},
        {"D.CreateGraphic\nx = D.ImageHeight(1)", "(3, 1) warning: ImageHeight: resource 1 is not an image; answers 0"},
        {"D.Units = 9\nD.AddPage 0\nx = D.PageWidth(1)", "(4, 1) warning: PageWidth: Units is 9, not a unit"},
        {"D.DefaultPageSize = 40\nD.AddPage 0", "(3, 1) warning: AddPage: DefaultPageSize 40 is not a page size"},
        {"D.CreateText\nD.TextUnderline = True\nD.WriteText \"u\"",
         "(4, 1) warning: WriteText: text in a standard font (5) is not underlined"},
        {"D.CreateText\nD.WriteLink \"l\", \"http://x\"",
         "(3, 1) warning: WriteLink: the link is written in a standard font (5), so it is plain text without a link"},
        {"D.CreateText\nD.WriteText \"a\"\nD.TextAlign = 1",
         "(4, 1) warning: TextAlign: the text has lines in a "
         "standard font, so it stays left-aligned"},
        {"D.CreateText\nD.WriteText \"a\"\nx = D.TextBlockWidth",
         "(4, 1) warning: TextBlockWidth: the text has "
         "lines in a standard font"},
        {"D.CreateText\nx = D.TextLineWidth(\"a\")", "(3, 1) warning: TextLineWidth: font 5 is a standard font"},
        {"If D.PageWidth(2) = 0 Then WScript.Echo 1", "(2, 1) warning: PageWidth: there is no page 2"},
        {"D.AddPage 0\nD.CreateGraphic\nD.Locate 1, D.ApplyResource(1, 1), 5, 5",
         "(4, 1) warning: Locate: placement 1 on page 1 is a graphic, which is drawn where its shapes were recorded"},
        {"D.CreateGraphic\nD.LineWidth = -1", "(3, 1) warning: LineWidth: a line width of -1 is below 0; it stays 1"},
        {"D.CreateText\nD.TextMaxWidth = 100\nD.WriteText \"w\"",
         "(4, 1) warning: WriteText: text in a standard font (5) is not wrapped at TextMaxWidth"},
        {"x = D.AddImageFile(\"" CORPUS_DIR "/pngsuite/basn6a08.png\")",
         "(2, 1) warning: AddImageFile: the image's transparency is dropped (MergeAlpha is False): transparent "
         "pixels show their stored colour"},
    };
    TRunOptions warnings;
    warnings.warnings = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        const std::string script = kNewDoc + c.script + "\n";
        const TOutcome quiet = RunText(script);
        const TOutcome told = RunText(script, warnings);
        EXPECT_EQ(quiet.err, "");
        EXPECT_EQ(told.status, quiet.status);
        EXPECT_EQ(told.out, quiet.out);
        EXPECT_NE(told.err.find(std::string("t.vbs") + c.warning), std::string::npos) << told.err;
    }
    // A script that asks nothing impossible hears nothing.
    const TOutcome clean = RunText(kNewDoc +
                                       "D.AddPage 0\nD.CreateText\nD.WriteText \"ok\"\n"
                                       "x = D.ApplyResource(1, 1)\nD.Locate 1, x, 72, 720\n",
                                   warnings);
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.err, "");
}

TEST(HostRunSandbox, WritesNoFilesAndStops) {
    TempDir dir;
    const std::string base = (dir / "sandboxed").string();
    TRunOptions options;
    options.sandbox = true;
    options.maxSteps = 1000;
    TOutcome r = RunText(kNewDoc + "D.AddPage 0\nD.SaveToFile \"" + base + "\"\nWScript.Echo Err.Number, D.AddFont(\"x\")\n",
                     options);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0 \n");
    EXPECT_FALSE(std::filesystem::exists(base + ".pdf"));

    r = RunText("For i = 1 To 2 Step 0\nNext\n", options);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "t.vbs(1, 1) Runtime error: Step limit reached\n");

    r = RunText("On Error Resume Next\nFor i = 1 To 1E9\nx = 1 / 0\nNext\n", options);
    EXPECT_EQ(r.status, 1);

    const std::string file = (dir / "bytes.bin").string();
    WriteFile(file, "abc");
    r = RunText("On Error Resume Next\nb = ReadBytes(\"" + file + "\")\nWScript.Echo Err.Number\n", options);
    EXPECT_EQ(r.out, "70\n");
    r = RunText("On Error Resume Next\nb = ReadBytes(\"" + file + "\")\nWScript.Echo Err.Number\n");
    EXPECT_EQ(r.out, "0\n");
}

// ---- the vellumark program ----

struct TProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `vellumark ARGS` in `dir`, keeping standard output and error apart.
TProgramRun RunVellumark(const std::filesystem::path& dir, const std::string& args, const std::string& stdinFile = "") {
    const std::string outFile = (dir / ".stdout").string();
    const std::string errFile = (dir / ".stderr").string();
    std::string command = "cd " + ShellQuote(dir.string()) + " && " + ShellQuote(VELLUMARK_BIN) + " " + args +
                          " >" + ShellQuote(outFile) + " 2>" + ShellQuote(errFile);
    if (!stdinFile.empty()) command += " <" + ShellQuote(stdinFile);
    test::CommandResult c = RunCommand("( " + command + " )");
    TProgramRun r;
    r.status = c.status;
    r.out = ReadFile(outFile);
    r.err = ReadFile(errFile);
    return r;
}

TEST(HostProgram, HelpVersionAndUsage) {
    TempDir dir;
    TProgramRun r = RunVellumark(dir.Path(), "--version");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("vellumark ") + VELLUMARK_VERSION + "\n");

    r = RunVellumark(dir.Path(), "--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Usage: vellumark run [--warnings] SCRIPT"), std::string::npos);
    EXPECT_EQ(r.err, "");

    for (const std::string& bad :
         {std::string(""), std::string("frobnicate"), std::string("run"), std::string("--version extra"), std::string("run --warnings"),
          std::string("help AddPage Locate"), std::string("help --all")}) {
        r = RunVellumark(dir.Path(), bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("Usage:"), std::string::npos) << bad;
        EXPECT_EQ(r.out, "") << bad;
    }

    WriteFile(dir / "w.vbs", kNewDoc + "D.Locate 1, 1, 0, 0\n");
    r = RunVellumark(dir.Path(), "run --warnings w.vbs");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "w.vbs(2, 1) warning: Locate: there is no page 1 (the document has 0)\n");

    r = RunVellumark(dir.Path(), "run missing.vbs");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("missing.vbs"), std::string::npos);

    // The member reference: the overview, one member or enumeration named in
    // any case, and the whole reference as docs/reference.md holds it.
    r = RunVellumark(dir.Path(), "help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("| [AddPage](#addpage) | method |"), std::string::npos);
    EXPECT_NE(r.out.find("### TxPageSize"), std::string::npos);
    r = RunVellumark(dir.Path(), "help textFONT");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("### TextFont\n", 0), 0u) << r.out;
    r = RunVellumark(dir.Path(), "help psa4_p");
    EXPECT_EQ(r.out.rfind("### TxPageSize\n", 0), 0u) << r.out;
    r = RunVellumark(dir.Path(), "help SaveAs");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "vellumark: no member or enumeration named 'SaveAs'\n");
    EXPECT_EQ(r.out, "");
    r = RunVellumark(dir.Path(), "help --markdown");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out == ReferenceMarkdown());

    r = RunVellumark(dir.Path(), "run .");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Is a directory"), std::string::npos);

    // An empty script does nothing and succeeds.
    WriteFile(dir / "empty.vbs", "");
    r = RunVellumark(dir.Path(), "run empty.vbs");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
}

TEST(HostProgram, ExitStatusesAndMessages) {
    TempDir dir;
    WriteFile(dir / "ok.vbs", "WScript.Echo \"hello\", 1 / 4\n");
    TProgramRun r = RunVellumark(dir.Path(), "run ok.vbs");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "hello 0.25\n");
    EXPECT_EQ(r.err, "");

    WriteFile(dir / "quit.vbs", "WScript.Quit 42\n");
    EXPECT_EQ(RunVellumark(dir.Path(), "run quit.vbs").status, 42);

    WriteFile(dir / "syntax.vbs", "x = 1\nWScript.Echo x +\n");
    r = RunVellumark(dir.Path(), "run syntax.vbs");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "syntax.vbs(2, 17) Syntax error: Expected expression\n");
    EXPECT_EQ(r.out, "");

    WriteFile(dir / "member.vbs", "WScript.Echo 1\nSet D = CreateObject(\"VellumarkX.PDFDoc\")\nD.SaveAs \"x\"\n");
    r = RunVellumark(dir.Path(), "run member.vbs");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "member.vbs(3, 3) Compilation error: Object doesn't support this property or method: 'SaveAs'\n");

    // The script's path appears as given.
    const std::string full = (dir / "member.vbs").string();
    r = RunVellumark(dir.Path(), "run " + ShellQuote(full));
    EXPECT_EQ(r.err.rfind(full + "(3, 3) ", 0), 0u) << r.err;

    WriteFile(dir / "fail.vbs",
              "Set D = CreateObject(\"VellumarkX.PDFDoc\")\nD.AddPage 0\nWScript.Echo \"before\"\n"
              "  D.SaveToFile \"missing-dir/out\"\nWScript.Echo \"after\"\n");
    r = RunVellumark(dir.Path(), "run fail.vbs");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "before\n");
    EXPECT_EQ(r.err.rfind("fail.vbs(4, 3) VellumarkX.PDFDoc: ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.back(), '\n');
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);

    WriteFile(dir / "mismatch.vbs", "Set D = CreateObject(\"VellumarkX.PDFDoc\")\nD.AddPage \"abc\"\n");
    r = RunVellumark(dir.Path(), "run mismatch.vbs");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "mismatch.vbs(2, 1) Runtime error: Type mismatch\n");

    WriteFile(dir / "resume.vbs",
              "Set D = CreateObject(\"VellumarkX.PDFDoc\")\nD.AddPage 0\nOn Error Resume Next\n"
              "D.SaveToFile \"missing-dir/out\"\nWScript.Echo Err.Number\n");
    r = RunVellumark(dir.Path(), "run resume.vbs");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "-2147418113\n");
    EXPECT_EQ(r.err, "");
}

TEST(HostProgram, StandardInputAndEncodings) {
    TempDir dir;
    WriteFile(dir / "in.vbs", "WScript.Echo \"from stdin\"\nWScript.Quit 5\n");
    TProgramRun r = RunVellumark(dir.Path(), "run -", (dir / "in.vbs").string());
    EXPECT_EQ(r.status, 5);
    EXPECT_EQ(r.out, "from stdin\n");

    WriteFile(dir / "syntax.vbs", "x = (\n");
    r = RunVellumark(dir.Path(), "run -", (dir / "syntax.vbs").string());
    EXPECT_EQ(r.err, "-(1, 6) Syntax error: Expected expression\n");

    // UTF-8 with a byte order mark, CRLF line ends.
    WriteFile(dir / "bom8.vbs", "\xEF\xBB\xBFWScript.Echo \"caf\xC3\xA9\"\r\nWScript.Echo 2\r\n");
    r = RunVellumark(dir.Path(), "run bom8.vbs");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "caf\xC3\xA9\n2\n");

    // UTF-16LE with a byte order mark.
    std::u16string text = u"WScript.Echo \"\u20AC\" & 1\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    WriteFile(dir / "utf16.vbs", bytes);
    r = RunVellumark(dir.Path(), "run utf16.vbs");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "\xE2\x82\xAC" "1\n");
}

// Every bundled example runs in an empty folder and writes a valid PDF there.
TEST(HostProgram, ExamplesProduceValidDocuments) {
    const std::filesystem::path examples = std::filesystem::path(SOURCE_DIR) / "examples";
    std::vector<std::filesystem::path> scripts;
    for (const auto& entry : std::filesystem::directory_iterator(examples))
        if (entry.path().extension() == ".vbs") scripts.push_back(entry.path());
    ASSERT_GE(scripts.size(), 3u);
    for (const auto& script : scripts) {
        SCOPED_TRACE(script.filename().string());
        const std::string source = ReadFile(script);
        for (unsigned char c : source) EXPECT_LT(c, 0x80) << "examples are plain ASCII";
        EXPECT_EQ(source.rfind("'", 0), 0u) << "examples start with a header comment";

        TempDir dir;
        // Examples that read sample images find them in data/ beside them.
        std::filesystem::copy(examples / "data", dir / "data");
        TProgramRun r = RunVellumark(dir.Path(), "run " + ShellQuote(script.string()));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const std::filesystem::path pdf = dir / (script.stem().string() + ".pdf");
        ASSERT_TRUE(std::filesystem::exists(pdf));
        EXPECT_TRUE(QpdfCheck(pdf));
    }
}

TEST(HostProgram, ExampleContents) {
    const std::filesystem::path examples = std::filesystem::path(SOURCE_DIR) / "examples";
    TempDir dir;

    ASSERT_EQ(RunVellumark(dir.Path(), "run " + ShellQuote((examples / "page_sizes.vbs").string())).status, 0);
    test::CommandResult pages = RunCommand("qpdf --show-npages " + ShellQuote((dir / "page_sizes.pdf").string()));
    EXPECT_EQ(pages.output, "17\n");

    // shapes.vbs: a dark band across the top of page 1.
    ASSERT_EQ(RunVellumark(dir.Path(), "run " + ShellQuote((examples / "shapes.vbs").string())).status, 0);
    test::Raster page = test::RenderPage(dir / "shapes.pdf", 1, 36);
    ASSERT_GT(page.width, 0);
    EXPECT_EQ(page.At(page.width / 2, 10), 0x1E285Au);

    // chart.vbs: twelve bars, the plot background between them.
    ASSERT_EQ(RunVellumark(dir.Path(), "run " + ShellQuote((examples / "chart.vbs").string())).status, 0);
    test::Raster chart = test::RenderPage(dir / "chart.pdf", 1, 36);
    ASSERT_GT(chart.width, 0);
    EXPECT_EQ(chart.At(5, 5), 0xFFFFFFu);
    EXPECT_EQ(chart.At(59, 229), 0x3C6EC8u);  // inside the first bar

    // report.vbs: fifty pages, the last numbered "Page 50 of 50".
    ASSERT_EQ(RunVellumark(dir.Path(), "run " + ShellQuote((examples / "report.vbs").string())).status, 0);
    const std::string report = ShellQuote((dir / "report.pdf").string());
    EXPECT_EQ(RunCommand("qpdf --show-npages " + report).output, "50\n");
    EXPECT_NE(RunCommand("pdftotext -f 50 -l 50 " + report + " -").output.find("Page 50 of 50"), std::string::npos);

    // invoice.vbs: the nine unit prices end at x 435 and the twelve amounts at
    // x 539, as pdftotext finds the words.
    ASSERT_EQ(RunVellumark(dir.Path(), "run " + ShellQuote((examples / "invoice.vbs").string())).status, 0);
    const std::string words = RunCommand("pdftotext -bbox " + ShellQuote((dir / "invoice.pdf").string()) + " -").output;
    int prices = 0, amounts = 0;
    for (std::size_t at = words.find("<word "); at != std::string::npos; at = words.find("<word ", at + 1)) {
        const std::size_t open = words.find('>', at) + 1;
        const std::string word = words.substr(open, words.find('<', open) - open);
        const bool money = word.size() > 3 && word[word.size() - 3] == '.' &&
                           word.find_first_not_of("0123456789,.") == std::string::npos;
        if (!money) continue;
        const double xMax = std::stod(words.substr(words.find("xMax=\"", at) + 6));
        if (std::abs(xMax - 435) < 0.5) ++prices;
        else if (std::abs(xMax - 539) < 0.5) ++amounts;
        else ADD_FAILURE() << word << " ends at " << xMax;
    }
    EXPECT_EQ(prices, 9);
    EXPECT_EQ(amounts, 12);
}

}  // namespace
}  // namespace vellumark::host
