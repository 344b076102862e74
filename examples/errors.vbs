' errors.vbs - handling failed calls with On Error Resume Next.
'
' A save into a folder that does not exist fails; with On Error Resume Next
' in force the script reads Err.Number, Err.Description and Err.Source,
' clears the error and saves into the current folder instead.
' Run:  vellumark run errors.vbs   (writes errors.pdf)

Option Explicit

' Type library values, declared for hosts that do not load the library.
Const psA5_P = 7
Dim D, g

Set D = CreateObject("VellumarkX.PDFDoc")
D.DefaultPageSize = psA5_P
D.AddPage 0
g = D.CreateGraphic
D.LineWidth = 4
D.LineColor = vbRed
D.Fill = False
D.Circle D.PageWidth(1) / 2, D.PageHeight(1) / 2, 100
D.ApplyResource 1, g

On Error Resume Next
D.SaveToFile "no-such-folder/errors"
If Err.Number <> 0 Then
    WScript.Echo "Save failed (" & Err.Number & "): " & Err.Description
    WScript.Echo "Source: " & Err.Source
    Err.Clear
End If
On Error GoTo 0

D.SaveToFile "errors"
WScript.Echo "Saved errors.pdf"
