' shapes.vbs - vector graphics on two A4 pages.
'
' Page 1 shows lines of growing width in several colours and a row of
' rectangles, filled and outlined. Page 2 shows filled and outlined circles
' and a rosette of ellipses rotated in steps of 30 degrees.
'
' Coordinates are points from the bottom-left corner of the page.
' Run:  vellumark run shapes.vbs   (writes shapes.pdf)

Option Explicit

' Type library values, declared for hosts that do not load the library.
Const umPoints = 0
Dim D, g, i, x, y, r

Set D = CreateObject("VellumarkX.PDFDoc")
D.Units = umPoints
D.AddPage 0
D.AddPage 0

' ---- Page 1: lines and rectangles ----
g = D.CreateGraphic

' A dark band across the top of the page.
D.LineWidth = 0
D.FillColor = RGB(30, 40, 90)
D.LineColor = RGB(30, 40, 90)
D.Rectangle 0, 792, 595, 842

' Eight lines, 1 to 8 points wide, from red through to blue.
For i = 1 To 8
    D.LineWidth = i
    D.LineColor = RGB(255 - 30 * i, 20 * i, 30 * i)
    y = 760 - 28 * (i - 1)
    D.DrawLine 60, y, 535, y
Next

' A diagonal fan of thin lines from one corner.
D.LineWidth = 1
D.LineColor = &H808080
For i = 0 To 9
    D.DrawLine 60, 300, 60 + 47.5 * i, 500
Next

' Four rectangles: filled ones alternate with outlined ones.
D.LineWidth = 2
D.LineColor = vbBlack
For i = 0 To 3
    D.Fill = (i Mod 2 = 0)
    D.FillColor = RGB(60 * i, 160, 255 - 60 * i)
    x = 60 + 125 * i
    D.Rectangle x, 120, x + 100, 260
Next
D.ApplyResource 1, g

' ---- Page 2: circles and ellipses ----
g = D.CreateGraphic
D.LineWidth = 3

' A grid of circles whose radius grows along each row.
For i = 0 To 11
    x = 100 + 130 * (i Mod 4)
    y = 740 - 120 * (i \ 4)
    r = 15 + 3 * i
    D.Fill = (i Mod 3 <> 1)
    D.FillColor = RGB(255, 200 - 15 * i, 40 + 15 * i)
    D.LineColor = RGB(120, 0, 10 * i)
    D.Circle x, y, r
Next

' Ellipses turned about the same centre: 0, 30, 60, ... 150 degrees.
D.Fill = False
D.LineWidth = 2
For i = 0 To 5
    D.LineColor = RGB(40 * i, 100, 255 - 40 * i)
    D.Ellipse 297.5, 200, 150, 50, 30 * i
Next

' A filled ellipse in the middle, turned by 45 degrees.
D.Fill = True
D.FillColor = vbYellow
D.LineColor = vbRed
D.Ellipse 297.5, 200, 40, 20, 45
D.ApplyResource 2, g

D.Title = "Shapes"
D.Subject = "Lines, rectangles, circles and ellipses"
D.SaveToFile "shapes"
WScript.Echo "shapes.pdf:", D.CurrentGraphic, "graphics on 2 pages"
