' images.vbs - images from files: a JPEG photo passed through unchanged, a
' one-bit stamp stored as CCITT Group 4, and a palette image stored with
' Flate, placed at their own size, scaled, rotated and linked.
'
' The sample images are in data/ (made by data/make_samples.py); run the
' script from the folder that holds data/, e.g. the examples folder:
'   vellumark run images.vbs   (writes images.pdf)

Option Explicit

Dim D, photo, stamp, tiles, n, i

Set D = CreateObject("VellumarkX.PDFDoc")
D.Title = "Images"
D.AddPage 0

photo = D.AddImageFile("data/sunset.jpg")   ' 150 dpi: 115.2 x 76.8 points
stamp = D.AddImageFile("data/stamp.bmp")    ' 300 dpi: 76.8 x 28.8 points
tiles = D.AddImageFile("data/tiles.bmp")    ' 72 dpi: 96 x 96 points

' The photo at its own size, then twice as large and turned by 15 degrees.
n = D.ApplyResource(1, photo)
D.Locate 1, n, 60, 780
n = D.ApplyResource(1, photo)
D.ScaleObject 1, n, 200
D.Locate 1, n, 260, 780
D.Rotate 1, n, 15

' The stamp three times larger, with a link on it.
n = D.ApplyResource(1, stamp)
D.ScaleObject 1, n, 300
D.Locate 1, n, 60, 560
D.LinkBorder = True
D.SetImageLink 1, n, "https://example.org/stamp"

' The tiles at half size in a row.
For i = 0 To 3
    n = D.ApplyResource(1, tiles)
    D.Locate 1, n, 60 + i * 60, 400
    D.ScaleObject 1, n, 50
Next

WScript.Echo "photo " & D.ImageWidth(photo) & " x " & D.ImageHeight(photo) & " points"
D.SaveToFile "images"
