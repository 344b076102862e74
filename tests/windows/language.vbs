' The language beyond calls on the control: procedures, loops, Select Case,
' arrays, string, number and date functions, WScript.Arguments and reading a
' text file, each result echoed and written on a page saved as language.pdf.
' Run by scripts/test-windows.sh under cscript and by `vellumark run`; both
' must print the same lines and write the same PDF. The last line is the
' marker the harness looks for. language.txt beside it is three lines in
' Windows-1252 with CRLF ends (printf 'first line\r\nsecond, with \xe9\r\nthird\r\n').
' Wine's cscript lacks some functions (Join, Split, String, ChrW, Asc) and
' prints no line that is not ASCII; the unit tests cover those.
Option Explicit
Dim D, t, y, i, total, words, grid, list, item, fso, f, lineCount, text

Set D = CreateObject("VellumarkX.PDFDoc")
D.Units = 0
D.AddPage 0
D.Title = "The script language"
t = D.CreateText
D.TextFont = 5
D.TextSize = 11
y = 780

' Echoes a line and writes it on the page.
Sub Show(line)
  WScript.Echo line
  D.WriteText line
  D.Locate 1, 1, 72, y
  y = y - 16
End Sub

Function Squares(n)
  Dim k, s
  s = ""
  For k = 1 To n
    If k > 1 Then s = s & " "
    s = s & k * k
  Next
  Squares = s
End Function

Function Fact(n)
  If n <= 1 Then
    Fact = 1
  Else
    Fact = n * Fact(n - 1)
  End If
End Function

Sub Swap(ByRef a, ByRef b)
  Dim c
  c = a: a = b: b = c
End Sub

Sub Twice(ByVal v, w)
  v = v * 2
  w = w * 2
End Sub

Function Kind(n)
  Select Case n
    Case 0
      Kind = "zero"
    Case 1, 2, 3
      Kind = "small"
    Case Else
      Kind = "large"
  End Select
End Function

Function FirstOver(limit)
  Dim k
  For k = 1 To 100
    If k * k > limit Then
      FirstOver = k
      Exit Function
    End If
  Next
  FirstOver = -1
End Function

' Procedures, parameters and results.
Show "squares " & Squares(5) & "; 10! = " & Fact(10)
Dim p, q
p = "left": q = "right"
Swap p, q
Show "swapped " & p & " " & q
p = 3: q = 4
Twice p, q
Show "ByVal " & p & ", ByRef " & q
Show "kinds " & Kind(0) & " " & Kind(2) & " " & Kind(9) & "; first over 50: " & FirstOver(50)

' Loops.
i = 0: total = 0
Do While i < 5
  i = i + 1
  total = total + i
Loop
Show "do while " & total
i = 10
Do
  i = i + 1
Loop Until i >= 3
Show "do until at the end " & i
i = 0
Do
  i = i + 1
  If i = 7 Then Exit Do
Loop
Show "exit do " & i
i = 1
While i < 100
  i = i * 3
Wend
Show "while " & i
If i = 1 Then
  Show "one"
ElseIf i = 243 Then
  Show "elseif taken"
Else
  Show "else"
End If

' Arrays.
Dim fixed(3)
For i = 0 To UBound(fixed)
  fixed(i) = i * 10
Next
total = 0
For Each item In fixed
  total = total + item
Next
Show "fixed " & LBound(fixed) & ".." & UBound(fixed) & " sum " & total
Dim cells(2, 1)
cells(2, 1) = "corner"
Show "grid " & UBound(cells, 1) & "x" & UBound(cells, 2) & " " & cells(2, 1)
list = Array("pear", "fig", "plum")
words = ""
For Each item In list
  words = words & "<" & item & ">"
Next
Show "array " & words & " " & UBound(list) & " " & CStr(IsArray(list))
ReDim grid(1)
grid(1) = "kept"
ReDim Preserve grid(4)
Show "redim " & UBound(grid) & " " & grid(1)

' Strings.
text = "  Vellumark Script  "
Show "[" & Trim(text) & "][" & LTrim(text) & "][" & RTrim(text) & "]"
text = Trim(text)
Show Left(text, 4) & "|" & Right(text, 6) & "|" & Mid(text, 5, 4) & "|" & Mid(text, 11) & "|" & Len(text)
Show "instr " & InStr(text, "r") & " " & InStr(8, text, "r") & " " & InStr(text, "z") & " " & InStr(1, text, "SCRIPT", 1) & " " & InStrRev(text, "r")
Show Replace(text, "r", "R") & " " & Replace("a-b-c", "-", "+", 1, 1) & " " & UCase(text) & " " & LCase(text)
Show "[" & Space(3) & "] " & StrReverse("abc") & " " & Chr(65) & Chr(66)

' Conversions and numbers.
Show "cint " & CInt(2.5) & " " & CInt(3.5) & " " & CInt(-2.5) & "; clng " & CLng(4.5)
Show "int " & Int(-2.5) & " " & Int(2.5) & "; fix " & Fix(-2.5) & "; abs " & Abs(-7.25) & "; sqr " & Sqr(144)
Show "cdbl " & CDbl("2.25") * 2 & "; cstr " & CStr(12) & "; cbool " & CStr(CBool(5))
Show "numeric " & CStr(IsNumeric("12.5")) & " " & CStr(IsNumeric("abc")) & "; empty " & CStr(IsEmpty(Empty)) & " " & CStr(IsEmpty(0))
Show "formatnumber " & FormatNumber(1234567.891) & " " & FormatNumber(0.5) & " " & FormatNumber(-1234.5, 0) & " " & FormatNumber(42, 1)

' Dates, from a fixed day: 5 March 2024, 6 PM.
Dim when
when = 45356.75
Show "date " & Year(when) & "-" & Month(when) & "-" & Day(when) & " " & Hour(when) & ":" & Minute(when) & ":" & Second(when)
Show FormatDateTime(when, vbLongDate) & " | " & FormatDateTime(when, vbShortDate) & " | " & FormatDateTime(when, vbLongTime) & " | " & FormatDateTime(when, vbShortTime)
Show "now " & CStr(Year(Now) >= 2024) & " " & CStr(Year(Date) = Year(Now)) & " " & CStr(Hour(Time) < 24)

' Arguments and a text file read line by line.
Show "arguments " & WScript.Arguments.Count
Set fso = CreateObject("Scripting.FileSystemObject")
Show "exists " & CStr(fso.FileExists("language.txt")) & " " & CStr(fso.FileExists("missing.txt"))
Set f = fso.OpenTextFile("language.txt", 1)
lineCount = 0
Do Until f.AtEndOfStream
  lineCount = lineCount + 1
  Show lineCount & ": " & Replace(f.ReadLine, Chr(233), "(e acute)")
Loop
f.Close
Set f = fso.OpenTextFile("language.txt")
Show "all " & Len(f.ReadAll)
f.Close

D.ApplyResource 1, t
D.SaveToFile "language"
WScript.Echo "saved"
WScript.Echo "END OF TEST"
