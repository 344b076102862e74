' page_sizes.vbs - one page for each of the sixteen standard page sizes and
' one custom page.
'
' Each page gets a frame a quarter of an inch inside its edges and a cross
' at its centre, worked out from PageWidth and PageHeight. The units change
' from page to page (points, inches, millimetres, centimetres) to show that
' the same drawing comes out the same whatever unit it is described in.
' Run:  vellumark run page_sizes.vbs   (writes page_sizes.pdf)

Option Explicit

' Type library values, declared for hosts that do not load the library.
Const psA4_P = 1, psExecutive_L = 16
Const umPoints = 0, umInches = 1, umCentimeters = 2, umMillimeters = 3
Dim D, p, n, w, h, margin, arm, g, unitName

Set D = CreateObject("VellumarkX.PDFDoc")

n = 0
For p = psA4_P To psExecutive_L + 1
    If p <= psExecutive_L Then
        D.DefaultPageSize = p
    End If

    ' Pick the unit for this page.
    If p Mod 3 = 0 Then
        D.Units = umPoints
        margin = 18
        unitName = "pt"
    ElseIf p Mod 3 = 1 Then
        D.Units = umInches
        margin = 0.25
        unitName = "in"
    Else
        D.Units = umMillimeters
        margin = 6.35
        unitName = "mm"
    End If

    D.AddPage 0
    n = n + 1

    If p > psExecutive_L Then
        ' The custom page: 15 cm by 10 cm.
        D.Units = umCentimeters
        margin = 0.635
        unitName = "cm"
        D.PageWidth(n) = 15
        D.PageHeight(n) = 10
    End If

    w = D.PageWidth(n)
    h = D.PageHeight(n)
    arm = w / 10

    g = D.CreateGraphic
    D.Fill = False
    D.LineWidth = 2
    D.LineColor = RGB(0, 90, 160)
    D.Rectangle margin, margin, w - margin, h - margin

    D.LineWidth = 1
    D.LineColor = vbRed
    D.DrawLine w / 2 - arm, h / 2, w / 2 + arm, h / 2
    D.DrawLine w / 2, h / 2 - arm, w / 2, h / 2 + arm
    D.Circle w / 2, h / 2, arm / 2
    D.ApplyResource n, g

    WScript.Echo "page " & n & ": size code " & D.PageSize(n) & ", " & _
        Round(w, 2) & " x " & Round(h, 2) & " " & unitName
Next

D.Title = "Page sizes"
D.SaveToFile "page_sizes"
