' links.vbs - hyperlinks in text: standard link formatting (blue,
' underlined, in the link font and size), a link with a border, and a link
' that wraps over two lines and so gets two clickable areas.
' Run:  vellumark run links.vbs   (writes links.pdf)

Option Explicit

Dim D, font, t

Set D = CreateObject("VellumarkX.PDFDoc")
D.AddPage 0

font = D.AddFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")
If font = 0 Then
    WScript.Echo "DejaVu Sans is not installed (Debian package fonts-dejavu-core)"
    WScript.Quit 3
End If
D.LinkFont = font
D.LinkSize = 12

t = D.CreateText
D.TextFont = font
D.TextSize = 12
D.TextMaxWidth = 300
D.WriteText "Links in a text block:"
D.WriteText ""
D.WriteText "The project page is at "
D.AppendText = True
D.WriteLink "example.org/vellumark", "https://example.org/vellumark"
D.WriteText ", with notes."
D.AppendText = False
D.WriteText ""
D.LinkBorder = True
D.WriteLink "A link drawn with a border", "https://example.org/border"
D.LinkBorder = False
D.WriteText ""
D.LinkUnderline = False
D.LinkColor = RGB(0, 120, 60)
D.WriteLink "A long link without underline that wraps onto a second line of the block", "https://example.org/long"
D.ApplyResource 1, t
D.Locate 1, 1, 72, 760

D.SaveToFile "links"
