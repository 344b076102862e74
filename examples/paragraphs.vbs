' paragraphs.vbs - wrapped paragraphs, left, centred and right aligned,
' with underlining, skew and a rotated copy of one block.
'
' Uses Liberation Serif and Liberation Sans (Debian's fonts-liberation),
' not embedded. Lengths are in millimetres.
' Run:  vellumark run paragraphs.vbs   (writes paragraphs.pdf)

Option Explicit

Const umMillimeters = 3
Const taLeft = 0
Const taCenter = 1
Const taRight = 2
Dim D, serif, sans, t, i, text

Set D = CreateObject("VellumarkX.PDFDoc")
D.Units = umMillimeters
D.AddPage 0

serif = D.AddFont("/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf")
sans = D.AddFont("/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf")
If serif = 0 Or sans = 0 Then
    WScript.Echo "Liberation fonts are not installed (Debian package fonts-liberation)"
    WScript.Quit 3
End If

text = "A page of type is read as a whole before it is read word by word. The width of the " & _
    "measure, the space between the lines and the way the lines end all decide whether the eye " & _
    "moves easily from one line to the next."

For i = 0 To 2
    t = D.CreateText
    D.TextFont = sans
    D.TextSize = 12
    D.TextMaxWidth = 120
    D.TextAlign = i
    D.TextUnderline = True
    If i = 0 Then D.WriteText "Left aligned"
    If i = 1 Then D.WriteText "Centred"
    If i = 2 Then D.WriteText "Right aligned"
    D.TextUnderline = False
    D.TextFont = serif
    D.TextSize = 11
    D.TextLineSpacing = 30
    D.WriteText text
    D.ApplyResource 1, t
    If i = 0 Then D.Locate 1, 1, 20, 277
    If i = 1 Then D.Locate 1, 2, 105, 222
    If i = 2 Then D.Locate 1, 3, 190, 167
Next

' The same text skewed, and turned by 90 degrees along the left margin.
t = D.CreateText
D.TextFont = serif
D.TextSize = 11
D.TextMaxWidth = 120
D.TextSkewX = 15
D.WriteText "Skewed: " & text
D.ApplyResource 1, t
D.Locate 1, 4, 45, 110

t = D.CreateText
D.TextFont = sans
D.TextSize = 9
D.TextColor = RGB(150, 150, 150)
D.WriteText "Turned by 90 degrees about its top-left corner"
D.ApplyResource 1, t
D.Locate 1, 5, 12, 20
D.Rotate 1, 5, 90

D.SaveToFile "paragraphs"
