' Seed for fuzz_script: procedures, recursion, ByRef, Exit, errors crossing calls.
Function Fib(n)
  If n < 2 Then Fib = n: Exit Function
  Fib = Fib(n - 1) + Fib(n - 2)
End Function
Sub Fill(ByRef a, ByVal n)
  ReDim a(n)
  Dim k
  For k = 0 To n
    a(k) = k * k
  Next
End Sub
Sub Deep(n)
  If n > 0 Then Deep n - 1
End Sub
Dim arr
Fill arr, 4
WScript.Echo Fib(10), UBound(arr), arr(3), Join(arr, ",")
On Error Resume Next
Deep 1000
WScript.Echo Err.Number
x = arr(9)
WScript.Echo Err.Number
Err.Clear
i = 0
Do
  i = i + 1
  Select Case i Mod 3
    Case 0: WScript.Echo "fizz"
    Case 1, 2: WScript.Echo i
    Case Else: Exit Do
  End Select
Loop Until i > 5
While i > 0: i = i - 2: Wend
For Each w In Split("a b  c", " ")
  WScript.Echo "[" & w & "]", Len(w), InStr(1, "abc", w, 1)
Next
WScript.Echo Replace(StrReverse("abcabc"), "b", "X", 2, 1), FormatNumber(-1234.567, 1), CInt("12")
