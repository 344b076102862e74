' catalogue.vbs - a catalogue of pictures: a cover page, then a grid of
' plates, two by two on each page, each picture in a thin frame with a
' caption under it, and "Page n of N" at the foot of every page.
'
' The pictures are the sample images in data/ (made by data/make_samples.py);
' run the script from the folder that holds data/, e.g. the examples folder.
' Each picture is added once and fitted into its cell with ScaleObject,
' worked out from ImageWidth and ImageHeight; captions are centred under the
' cell in DejaVu Sans (Debian's fonts-dejavu-core), not embedded.
' Lengths are in points: A4 is 595 x 842, y counted up from the bottom.
' Run:  vellumark run catalogue.vbs   (writes catalogue.pdf)

Option Explicit

Const taCenter = 1
Const taRight = 2

' The grid: two columns and two rows of cells. In each cell the picture
' stands on the bottom of a box 215 points wide and 240 high, centred
' across it, with the caption under the box.
Const gridLeft = 72.5
Const gridTop = 750
Const cellW = 235
Const cellH = 340
Const boxW = 215
Const boxH = 240
Const perPage = 4
Const plates = 7

Dim D, sans, bold, img, frames, t, n, i, page, pages, col, row, contents, contentsPages
Dim file, name, kind, w, h, scale, sx, sy, x, y, first

Set D = CreateObject("VellumarkX.PDFDoc")
D.Title = "Catalogue of plates"
D.Author = "Vellumark examples"

sans = D.AddFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")
bold = D.AddFont("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf")
If sans = 0 Or bold = 0 Then
    WScript.Echo "DejaVu Sans is not installed (Debian package fonts-dejavu-core)"
    WScript.Quit 3
End If

' The PNG badge has an alpha channel: merge it with the white of the page.
D.MergeAlpha = True
D.MergeAlphaColor = RGB(255, 255, 255)

' The cover: a title, the sunset photo large, and what the catalogue holds.
pages = 1 + (plates + perPage - 1) \ perPage
D.AddPage 0
t = D.CreateText
D.TextFont = bold
D.TextSize = 28
D.TextColor = RGB(36, 68, 120)
D.TextAlign = taCenter
D.WriteText "Catalogue of plates"
D.TextFont = sans
D.TextSize = 12
D.TextColor = RGB(90, 90, 90)
D.TextLineSpacing = 60
D.WriteText plates & " pictures from the sample collection, in " & (pages - 1) & " pages"
n = D.ApplyResource(1, t)
D.Locate 1, n, 297.5, 740

first = D.AddImageFile("data/sunset.jpg")
n = D.ApplyResource(1, first)
D.ScaleObject 1, n, 300
D.Locate 1, n, 297.5 - D.ImageWidth(first) * 1.5, 640

' The list of plates under it: titles on the left, page numbers on the
' right. The loop below writes a line to each as it places a plate.
contents = D.CreateText
D.TextFont = sans
D.TextSize = 11
D.TextLineSpacing = 60
n = D.ApplyResource(1, contents)
D.Locate 1, n, 140, 370
contentsPages = D.CreateText
D.TextFont = sans
D.TextSize = 11
D.TextLineSpacing = 60
D.TextAlign = taRight
n = D.ApplyResource(1, contentsPages)
D.Locate 1, n, 455, 370

' Frames are drawn on one graphic per page (a graphic draws at the page
' coordinates it was drawn at); it is placed first, under the pictures.
For i = 1 To plates
    If i = 1 Then file = "data/sunset.jpg" : name = "Sunset over the bay" : kind = "JPEG photograph"
    If i = 2 Then file = "data/badge.png" : name = "Harbour badge" : kind = "PNG with an alpha channel"
    If i = 3 Then file = "data/tiles.bmp" : name = "Floor tiles" : kind = "Palette bitmap"
    If i = 4 Then file = "data/stamp.bmp" : name = "Office stamp" : kind = "One-bit bitmap"
    If i = 5 Then file = "data/arrow.gif" : name = "Direction arrow" : kind = "GIF, four colours"
    If i = 6 Then file = "data/fax.tif" : name = "Faxed form, page 1" : kind = "TIFF, CCITT Group 4"
    If i = 7 Then file = "data/fax.tif" : name = "Faxed form, page 2" : kind = "TIFF, CCITT Group 4"

    ' The fax has two pages; ImageReadNumber picks the one read.
    D.ImageReadNumber = 1
    If i = 7 Then D.ImageReadNumber = 2
    If i = 1 Then
        img = first
    Else
        img = D.AddImageFile(file)
    End If
    D.ImageReadNumber = 1

    ' A new page for every fourth plate, with its frame graphic and footer.
    If (i - 1) Mod perPage = 0 Then
        D.AddPage 0
        page = 1 + (i - 1) \ perPage + 1
        frames = D.CreateGraphic
        D.Fill = False
        D.LineWidth = 1
        D.LineColor = RGB(180, 180, 180)
        D.ApplyResource page, frames
    End If

    ' The cell, and the scale that fits the picture into its box (at most
    ' 300 percent, so that small pictures are not blown up too far).
    col = (i - 1) Mod 2
    row = ((i - 1) Mod perPage) \ 2
    x = gridLeft + col * cellW
    y = gridTop - row * cellH
    w = D.ImageWidth(img)
    h = D.ImageHeight(img)
    sx = boxW / w
    sy = boxH / h
    If sx < sy Then scale = sx Else scale = sy
    If scale > 3 Then scale = 3
    w = w * scale
    h = h * scale

    ' The picture centred across the box and standing on its bottom.
    n = D.ApplyResource(page, img)
    D.ScaleObject page, n, scale * 100
    D.Locate page, n, x + (boxW - w) / 2, y - boxH + h
    D.CurrentGraphic = frames
    D.Rectangle x + (boxW - w) / 2 - 4, y - boxH - 4, x + (boxW + w) / 2 + 4, y - boxH + h + 4

    ' The caption, centred under the box.
    t = D.CreateText
    D.TextAlign = taCenter
    D.TextFont = bold
    D.TextSize = 10
    D.WriteText "Plate " & i & ". " & name
    D.TextFont = sans
    D.TextSize = 8
    D.TextColor = RGB(100, 100, 100)
    D.TextLineSpacing = 60
    ' Sizes to a tenth of a point: Int rather than Round with decimals, which
    ' some VBScript engines do not honour.
    w = Int(D.ImageWidth(img) * 10 + 0.5) / 10
    h = Int(D.ImageHeight(img) * 10 + 0.5) / 10
    D.WriteText kind & vbCrLf & w & " x " & h & " points, shown at " & Int(scale * 100 + 0.5) & "%"
    n = D.ApplyResource(page, t)
    D.Locate page, n, x + boxW / 2, y - boxH - 14

    ' Its line in the list on the cover.
    D.CurrentText = contents
    D.WriteText "Plate " & i & ". " & name
    D.CurrentText = contentsPages
    D.WriteText "page " & page
Next

' Page numbers at the foot of every page.
For page = 1 To pages
    t = D.CreateText
    D.TextFont = sans
    D.TextSize = 9
    D.TextColor = RGB(90, 90, 90)
    D.TextAlign = taCenter
    D.WriteText "Page " & page & " of " & pages
    n = D.ApplyResource(page, t)
    D.Locate page, n, 297.5, 50
Next

D.SaveToFile "catalogue"
