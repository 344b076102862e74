' Draws a page of shapes and text through the control and saves draw.pdf.
' Run by scripts/test-windows.sh under cscript and by `vellumark run`; both
' must print the same lines and write the same PDF. The last line is the
' marker the harness looks for.
Option Explicit
Dim D, g, t, i

Set D = CreateObject("VellumarkX.PDFDoc")
D.Units = 0
D.AddPage 0
D.Title = "Drawn through the control"
D.Author = "Vellumark tests"

g = D.CreateGraphic
D.LineWidth = 2
D.LineColor = RGB(0, 0, 160)
D.FillColor = &H0000FF
D.Fill = 1
D.Circle 300, 500, 80
D.Fill = False
D.Rectangle 100, 100, 495, 300
For i = 0 To 5
  D.DrawLine 100, 320 + i * 10, 495, 320 + i * 10
Next
D.Ellipse 300, 650, 120, 40, 0.5
D.ApplyResource 1, g

t = D.CreateText
D.TextFont = 5
D.TextSize = 14
D.TextColor = RGB(20, 90, 20)
D.WriteText "Hello from the control"
D.WriteLink "A link", "https://example.invalid/"
D.ApplyResource 1, t
D.Locate 1, 2, 72, 760

WScript.Echo "graphic " & g & ", text " & t
WScript.Echo "fill " & D.Fill & ", units " & D.Units & ", title " & D.Title
WScript.Echo "subject [" & D.Subject & "]"
D.DefaultPageSize = 257
WScript.Echo "page size " & D.DefaultPageSize
WScript.Echo "width " & D.PageWidth(1) & ", height " & D.PageHeight(1)

On Error Resume Next
D.AddImageFile "no such image.png"
WScript.Echo "error " & Err.Number & ": " & Err.Description
Err.Clear
On Error GoTo 0

D.SaveToFile "draw"
WScript.Echo "saved"
WScript.Echo "END OF TEST"
