' formats.vbs - image files of several kinds: a two-page Group 4 fax whose
' pages go into the PDF unchanged, one page each; a PNG badge whose alpha
' channel is blended over a light background colour; a GIF arrow.
'
' The sample images are in data/ (made by data/make_samples.py); run the
' script from the folder that holds data/, e.g. the examples folder:
'   vellumark run formats.vbs   (writes formats.pdf)

Option Explicit

Dim D, pages, i, fax, badge, arrow, n

Set D = CreateObject("VellumarkX.PDFDoc")
D.Title = "Image formats"

' Every page of the fax: 600 x 300 pixels at 200 dpi, 216 x 108 points.
pages = D.ImageCount("data/fax.tif")
For i = 1 To pages
    D.ImageReadNumber = i
    fax = D.AddImageFile("data/fax.tif")
    D.AddPage 0
    n = D.ApplyResource(i, fax)
    D.ScaleObject i, n, 200
    D.Locate i, n, 60, 780
Next
D.ImageReadNumber = 1

' The badge over a pale yellow (OLE colours are &HBBGGRR), then the arrow.
D.MergeAlpha = True
D.MergeAlphaColor = &HD0F8FF
badge = D.AddImageFile("data/badge.png")
n = D.ApplyResource(1, badge)
D.Locate 1, n, 60, 500
arrow = D.AddImageFile("data/arrow.gif")
n = D.ApplyResource(1, arrow)
D.ScaleObject 1, n, 300
D.Locate 1, n, 220, 480

WScript.Echo pages & " fax pages, badge " & D.ImageWidth(badge) & " x " & D.ImageHeight(badge) & " points"
D.SaveToFile "formats"
