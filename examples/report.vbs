' report.vbs - a 50-page report: chapter and section headings, paragraphs of
' wrapped text flowed from page to page, a running head and "Page n of 50"
' in the footer of every page.
'
' Headings are in DejaVu Sans Bold, the text in DejaVu Serif (Debian's
' fonts-dejavu-core), not embedded. The text is made up from a few
' sentences. Each paragraph is a text resource wrapped at the width of the
' column; TextBlockHeight tells how tall it is, so the script knows whether
' it still fits on the page or starts a new one. The flow stops when page 50
' is full. Footers are written last, when the number of pages is known.
' Lengths are in points: A4 is 595 x 842, y counted up from the bottom.
' Run:  vellumark run report.vbs   (writes report.pdf)

Option Explicit

Const taCenter = 1

' The column, and the space the flowed text may take on a page.
Const leftX = 70
Const rightX = 525
Const flowTop = 770
Const flowBottom = 80
Const maxPages = 50

Dim D, serif, sans, bold, rules, head, t, n
Dim page, pages, y, need, flow, newPage
Dim chapter, section, para, paras, sentences, j, k
Dim text, sentence, district, title
Dim headText, headH, paraH, isChapter

Set D = CreateObject("VellumarkX.PDFDoc")
D.Title = "Porthaven Harbour: the state of the harbour"
D.Author = "Porthaven Harbour Board"
D.Subject = "Vellumark example: a long report"

serif = D.AddFont("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf")
sans = D.AddFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")
bold = D.AddFont("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf")
If serif = 0 Or sans = 0 Or bold = 0 Then
    WScript.Echo "DejaVu fonts are not installed (Debian package fonts-dejavu-core)"
    WScript.Quit 3
End If

' The rules under the running head and over the footer: one graphic,
' applied to every page (a graphic draws at the coordinates it was drawn at).
rules = D.CreateGraphic
D.LineWidth = 1
D.LineColor = RGB(150, 150, 150)
D.DrawLine leftX, 795, rightX, 795
D.DrawLine leftX, 62, rightX, 62

' The running head: one text, placed on every page.
head = D.CreateText
D.TextFont = sans
D.TextSize = 8
D.TextColor = RGB(110, 110, 110)
D.WriteText "Porthaven Harbour Board: the state of the harbour, 2026"

' The title on page 1.
page = 1
D.AddPage 0
t = D.CreateText
D.TextFont = bold
D.TextSize = 22
D.TextColor = RGB(20, 60, 110)
D.WriteText "The state of the harbour"
D.TextFont = sans
D.TextSize = 12
D.TextColor = RGB(90, 90, 90)
D.TextLineSpacing = 60
D.WriteText "A report of the Porthaven Harbour Board for the year to September 2026"
n = D.ApplyResource(1, t)
D.Locate 1, n, leftX, flowTop
y = flowTop - D.TextBlockHeight - 36

' The flow: one paragraph per step, with a chapter or section heading
' before the first paragraph of each. A heading is kept on the page of the
' paragraph after it. Every chapter starts on a new page.
chapter = 0 : section = 0 : para = 0 : paras = 0
For flow = 1 To 100000
    isChapter = False
    If para = paras Then
        section = section + 1
        para = 0
        paras = 3 + section Mod 3
        If section Mod 6 = 1 Then chapter = chapter + 1 : isChapter = True
    End If
    para = para + 1

    ' The paragraph: three to six sentences picked from twelve.
    sentences = 3 + (section + para) Mod 4
    text = ""
    For j = 1 To sentences
        k = (section * 5 + para * 3 + j * 7) Mod 12
        If k = 0 Then sentence = "The figures in this section cover the twelve months to the end of September."
        If k = 1 Then sentence = "Most of the change against last year comes from the two new berths on the north quay."
        If k = 2 Then sentence = "Maintenance was carried out as planned, and no berth was closed for more than four days."
        If k = 3 Then sentence = "The board approved the budget for dredging the inner basin at its meeting in March."
        If k = 4 Then sentence = "Traffic in the winter months was lower than forecast, mainly because of the storms in January."
        If k = 5 Then sentence = "Fees were held at last year's level for the fishing fleet and raised by three per cent for visitors."
        If k = 6 Then sentence = "The survey of the breakwater found some settlement at its seaward end, which will be watched."
        If k = 7 Then sentence = "A full table of the measurements is kept by the harbour office and can be read on request."
        If k = 8 Then sentence = "Staff numbers did not change, although two posts were filled after long vacancies."
        If k = 9 Then sentence = "The new tide gauge has recorded every tide since it was installed, without a gap."
        If k = 10 Then sentence = "Income from moorings rose through the summer and was highest in August."
        If k = 11 Then sentence = "These results suggest that the plans set out in the last report remain sound."
        If j > 1 Then text = text & " "
        text = text & sentence
    Next

    ' The heading, if the paragraph opens a section (and perhaps a chapter).
    headText = 0 : headH = 0
    If para = 1 Then
        k = (section - 1) Mod 12
        If k = 0 Then title = "Traffic and moorings"
        If k = 1 Then title = "Income and costs"
        If k = 2 Then title = "Maintenance of the quays"
        If k = 3 Then title = "Dredging"
        If k = 4 Then title = "The breakwater"
        If k = 5 Then title = "Staff"
        If k = 6 Then title = "Safety on the water"
        If k = 7 Then title = "The fishing fleet"
        If k = 8 Then title = "Visitors"
        If k = 9 Then title = "Tides and weather"
        If k = 10 Then title = "The environment"
        If k = 11 Then title = "Plans for next year"
        headText = D.CreateText
        D.TextColor = RGB(20, 60, 110)
        D.TextLineSpacing = 50
        If isChapter Then
            k = (chapter - 1) Mod 5
            If k = 0 Then district = "The north quay"
            If k = 1 Then district = "The south quay"
            If k = 2 Then district = "The inner basin"
            If k = 3 Then district = "The outer harbour"
            If k = 4 Then district = "The fish market"
            D.TextFont = bold
            D.TextSize = 18
            D.WriteText "Chapter " & chapter & ". " & district
        End If
        D.TextFont = bold
        D.TextSize = 12
        D.WriteText chapter & "." & (section - (chapter - 1) * 6) & "  " & title
        headH = D.TextBlockHeight + 10
    End If

    t = D.CreateText
    D.TextFont = serif
    D.TextSize = 10
    D.TextLineSpacing = 45
    D.TextMaxWidth = rightX - leftX
    D.WriteText text
    paraH = D.TextBlockHeight

    ' A new page when the heading and the paragraph do not fit, and for a
    ' chapter (except the first, which follows the title).
    need = headH + paraH
    newPage = (y - need < flowBottom) Or (isChapter And chapter > 1)
    If newPage Then
        If page = maxPages Then Exit For
        D.AddPage 0
        page = page + 1
        y = flowTop
    End If

    If headH > 0 Then
        n = D.ApplyResource(page, headText)
        D.Locate page, n, leftX, y
        y = y - headH
    End If
    n = D.ApplyResource(page, t)
    D.Locate page, n, leftX, y
    y = y - paraH - 12
Next

' The running head, the rules and the footer on every page.
pages = page
For page = 1 To pages
    D.ApplyResource page, rules
    n = D.ApplyResource(page, head)
    D.Locate page, n, leftX, 808
    t = D.CreateText
    D.TextFont = sans
    D.TextSize = 9
    D.TextColor = RGB(90, 90, 90)
    D.TextAlign = taCenter
    D.WriteText "Page " & page & " of " & pages
    n = D.ApplyResource(page, t)
    D.Locate page, n, (leftX + rightX) / 2, 52
Next

WScript.Echo pages & " pages"
D.SaveToFile "report"
