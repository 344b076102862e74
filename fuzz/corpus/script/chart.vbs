' chart.vbs - a bar chart drawn with a For loop.
'
' Twelve monthly values come from a formula; each becomes a bar whose
' height is scaled to the plot area, with grid lines every 20 units and the
' axes on top. The page is A4 landscape and all lengths are millimetres.
' Run:  vellumark run chart.vbs   (writes chart.pdf)

Option Explicit

' Type library values, declared for hosts that do not load the library.
Const psA4_L = 2
Const umMillimeters = 3
Dim D, g, i, value, x0, y0, plotW, plotH, barW, gap, x, top, maxValue, level

Set D = CreateObject("VellumarkX.PDFDoc")
D.DefaultPageSize = psA4_L
D.Units = umMillimeters
D.AddPage 0

x0 = 30               ' origin of the plot area
y0 = 30
plotW = D.PageWidth(1) - 2 * x0
plotH = D.PageHeight(1) - 2 * y0
maxValue = 100
gap = 4
barW = (plotW - 13 * gap) / 12

g = D.CreateGraphic

' Background of the plot area.
D.LineWidth = 0
D.FillColor = RGB(245, 245, 250)
D.LineColor = RGB(245, 245, 250)
D.Rectangle x0, y0, x0 + plotW, y0 + plotH

' Grid lines every 20 units.
D.LineWidth = 1
D.LineColor = RGB(200, 200, 210)
For level = 20 To maxValue Step 20
    D.DrawLine x0, y0 + plotH * level / maxValue, x0 + plotW, y0 + plotH * level / maxValue
Next

' The bars: summer months in warm colours, the rest in blue.
D.LineColor = RGB(40, 40, 40)
For i = 1 To 12
    value = Round(55 + 35 * Sin((i - 3) * 3.14159265358979 / 6) + 5 * Cos(i * 1.7))
    If value > maxValue Then value = maxValue
    If value < 0 Then value = 0

    If i >= 6 And i <= 8 Then
        D.FillColor = RGB(230, 120 - 20 * (i - 6), 40)
    Else
        D.FillColor = RGB(60, 110, 200)
    End If

    x = x0 + gap + (i - 1) * (barW + gap)
    top = y0 + plotH * value / maxValue
    D.Rectangle x, y0, x + barW, top
    WScript.Echo "month " & i & ": " & value
Next

' Axes last, so that they lie over the bars.
D.LineWidth = 2
D.LineColor = vbBlack
D.DrawLine x0, y0, x0 + plotW, y0
D.DrawLine x0, y0, x0, y0 + plotH
For level = 0 To maxValue Step 20
    D.DrawLine x0 - 3, y0 + plotH * level / maxValue, x0, y0 + plotH * level / maxValue
Next

D.ApplyResource 1, g
D.Title = "Monthly values"
D.SaveToFile "chart"
