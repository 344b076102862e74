' invoice.vbs - a one-page invoice: a table of nine items with a header
' row, ruled lines, right-aligned amounts and the totals under it.
'
' Text is in DejaVu Sans (Debian's fonts-dejavu-core), embedded in the file.
' Every cell of the table is a text resource of its own, placed at its
' column's x; amounts are right-aligned on the column's right edge, which
' works in added fonts. Money is kept in whole cents (Longs), so that sums
' are exact, and turned into text ("1,234.50") by a few lines of arithmetic.
' Lengths are in points: A4 is 595 x 842, y counted up from the bottom.
' Run:  vellumark run invoice.vbs   (writes invoice.pdf)

Option Explicit

' The enumeration values used, for hosts that do not read the type library.
Const taLeft = 0
Const taRight = 2

Dim D, font, bold, g, t, n
Dim row, col, top, rowH, x, s, align, isBold
Dim desc, qty, price, cents, subtotal, vat, whole, frac, thousands, rest

Set D = CreateObject("VellumarkX.PDFDoc")
D.Title = "Invoice 2026-0142"
D.Author = "Harbour Lane Bookbinders"
D.AddPage 0

font = D.AddFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")
bold = D.AddFont("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf")
If font = 0 Or bold = 0 Then
    WScript.Echo "DejaVu Sans is not installed (Debian package fonts-dejavu-core)"
    WScript.Quit 3
End If
D.EmbedFont(font) = True
D.EmbedFont(bold) = True

' The table: a header row 22 points high at the top, nine item rows of 20,
' then three rows of totals.
Const tableTop = 600
Const headerH = 22
rowH = 20

' Graphics first, so that the text is drawn over them: a coloured band at
' the top, the header row's background and the rules under each row.
g = D.CreateGraphic
D.LineWidth = 0
D.LineColor = RGB(36, 68, 120)
D.FillColor = RGB(36, 68, 120)
D.Rectangle 0, 830, 595, 842
D.LineColor = RGB(225, 231, 240)
D.FillColor = RGB(225, 231, 240)
D.Rectangle 50, tableTop, 545, tableTop - headerH
D.LineWidth = 1
D.LineColor = RGB(190, 190, 190)
For row = 1 To 9
    top = tableTop - headerH - row * rowH
    D.DrawLine 50, top, 545, top
Next
' A heavier rule over the total.
D.LineWidth = 2
D.LineColor = RGB(36, 68, 120)
D.DrawLine 330, tableTop - headerH - 11 * rowH - 4, 545, tableTop - headerH - 11 * rowH - 4
D.ApplyResource 1, g

' The sender and the word INVOICE.
t = D.CreateText
D.TextFont = bold
D.TextSize = 16
D.TextColor = RGB(36, 68, 120)
D.WriteText "Harbour Lane Bookbinders"
D.TextFont = font
D.TextSize = 9
D.TextColor = RGB(90, 90, 90)
D.TextLineSpacing = 40
D.WriteText "12 Harbour Lane" & vbCrLf & "Porthaven PH4 2QT" & vbCrLf & "accounts@harbourlane.example"
n = D.ApplyResource(1, t)
D.Locate 1, n, 50, 800

t = D.CreateText
D.TextFont = bold
D.TextSize = 24
D.TextColor = RGB(36, 68, 120)
D.TextAlign = taRight
D.WriteText "INVOICE"
n = D.ApplyResource(1, t)
D.Locate 1, n, 545, 802

' The customer, and the invoice's number and dates: labels and values are
' two texts with the same size and spacing, so their lines stay level.
t = D.CreateText
D.TextFont = bold
D.TextSize = 9
D.TextColor = RGB(90, 90, 90)
D.WriteText "BILL TO"
D.TextFont = font
D.TextSize = 10
D.TextColor = 0
D.TextLineSpacing = 40
D.WriteText "Ms Ada Pemberton" & vbCrLf & "The Reading Room" & vbCrLf & "4 Mill Street" & vbCrLf & "Eastbridge EB1 7LA"
n = D.ApplyResource(1, t)
D.Locate 1, n, 50, 700

t = D.CreateText
D.TextFont = bold
D.TextSize = 10
D.TextLineSpacing = 40
D.WriteText "Invoice number" & vbCrLf & "Date" & vbCrLf & "Due date" & vbCrLf & "Customer"
n = D.ApplyResource(1, t)
D.Locate 1, n, 360, 700

t = D.CreateText
D.TextFont = font
D.TextSize = 10
D.TextLineSpacing = 40
D.TextAlign = taRight
D.WriteText "2026-0142" & vbCrLf & "9 December 2026" & vbCrLf & "8 January 2027" & vbCrLf & "C-0317"
n = D.ApplyResource(1, t)
D.Locate 1, n, 545, 700

' The table, row by row (0 is the header, 1 to 9 the items, 10 to 12 the
' totals), and in each row cell by cell: No., Description, Qty, Unit price,
' Amount. Each row picks its values, then one piece of code places a cell.
subtotal = 0
For row = 0 To 12
    desc = "" : qty = 0 : price = 0
    If row = 1 Then desc = "Rebacking in calf, volume I" : qty = 1 : price = 18500
    If row = 2 Then desc = "Board flattening under weight, two weeks" : qty = 1 : price = 4500
    If row = 3 Then desc = "New endpapers, volumes II and III" : qty = 2 : price = 3850
    If row = 4 Then desc = "Surface cleaning, per volume" : qty = 3 : price = 1200
    If row = 5 Then desc = "Hand-sewn silk headbands" : qty = 4 : price = 975
    If row = 6 Then desc = "Archival box, made to measure" : qty = 3 : price = 4200
    If row = 7 Then desc = "Spine label, lifted and consolidated" : qty = 1 : price = 2750
    If row = 8 Then desc = "Condition report with photographs" : qty = 1 : price = 6000
    If row = 9 Then desc = "Insured courier, return delivery" : qty = 1 : price = 3495

    ' The row's amount in cents; VAT is rounded to the cent (half to even).
    cents = qty * price
    subtotal = subtotal + cents
    If row = 10 Then cents = subtotal
    If row = 11 Then vat = Round(subtotal * 20 / 100) : cents = vat
    If row = 12 Then cents = subtotal + vat

    ' The top of the row: the header row is taller than the others.
    If row = 0 Then
        top = tableTop
    Else
        top = tableTop - headerH - (row - 1) * rowH
    End If

    For col = 1 To 5
        ' The cell's text, its x and alignment. Amounts in whole cents
        ' become "1,234.50".
        s = "" : x = 0 : align = taLeft : isBold = (row = 0 Or row = 12)
        If col = 1 Then x = 74 : align = taRight
        If col = 2 Then x = 84
        If col = 3 Then x = 330 : align = taRight
        If col = 4 Then x = 435 : align = taRight
        If col = 5 Then x = 539 : align = taRight
        If row = 0 Then
            If col = 1 Then s = "No."
            If col = 2 Then s = "Description"
            If col = 3 Then s = "Qty"
            If col = 4 Then s = "Unit price"
            If col = 5 Then s = "Amount (GBP)"
        ElseIf row <= 9 Then
            If col = 1 Then s = CStr(row)
            If col = 2 Then s = desc
            If col = 3 Then s = CStr(qty)
            If col = 4 Or col = 5 Then
                If col = 4 Then cents = price
                If col = 5 Then cents = qty * price
            End If
        Else
            If col = 4 Then
                If row = 10 Then s = "Subtotal"
                If row = 11 Then s = "VAT 20%"
                If row = 12 Then s = "Total due"
            End If
        End If
        If (col = 4 And row >= 1 And row <= 9) Or (col = 5 And row >= 1) Then
            whole = cents \ 100
            frac = cents Mod 100
            If frac < 10 Then frac = "0" & frac
            If whole >= 1000 Then
                thousands = whole \ 1000
                rest = whole Mod 1000
                If rest < 10 Then
                    rest = "00" & rest
                ElseIf rest < 100 Then
                    rest = "0" & rest
                End If
                whole = thousands & "," & rest
            End If
            s = whole & "." & frac
        End If

        If s <> "" Then
            t = D.CreateText
            If isBold Then D.TextFont = bold Else D.TextFont = font
            D.TextSize = 10
            D.TextAlign = align
            D.WriteText s
            n = D.ApplyResource(1, t)
            ' Baselines sit 14 points below the top of a row (15 in the header).
            If row = 0 Then
                D.Locate 1, n, x, top - 5
            Else
                D.Locate 1, n, x, top - 4
            End If
        End If
    Next
Next

' Terms at the foot of the page.
t = D.CreateText
D.TextFont = font
D.TextSize = 9
D.TextColor = RGB(90, 90, 90)
D.TextLineSpacing = 40
D.TextMaxWidth = 495
D.WriteText "Payment within 30 days to Harbour Lane Bookbinders, account 40-11-62 31875520, quoting the " & _
    "invoice number. The volumes are insured while in our care and on their way back to you."
D.TextFont = bold
D.WriteText "Thank you for your custom."
n = D.ApplyResource(1, t)
D.Locate 1, n, 50, 140

WScript.Echo "Total due: " & (subtotal + vat) / 100
D.SaveToFile "invoice"
