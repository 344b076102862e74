' letter.vbs - a one-page letter in a TrueType font, embedded in the file.
'
' The letter head is a graphic; the address, date and body are text
' resources in DejaVu Sans (from Debian's fonts-dejavu-core), wrapped at a
' maximum width of 16 cm. The font file is embedded whole, so the PDF looks
' the same on machines that do not have the font.
' Run:  vellumark run letter.vbs   (writes letter.pdf)

Option Explicit

Const umCentimeters = 2
Const taLeft = 0
Const taRight = 2
Dim D, font, bold, head, t

Set D = CreateObject("VellumarkX.PDFDoc")
D.Title = "A letter"
D.Author = "Vellumark examples"
D.Units = umCentimeters
D.AddPage 0

font = D.AddFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")
bold = D.AddFont("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf")
If font = 0 Or bold = 0 Then
    WScript.Echo "DejaVu Sans is not installed (Debian package fonts-dejavu-core)"
    WScript.Quit 3
End If
D.EmbedFont(font) = True
D.EmbedFont(bold) = True

' Letter head: a coloured band and a rule.
head = D.CreateGraphic
D.LineWidth = 0
D.FillColor = RGB(36, 68, 120)
D.LineColor = RGB(36, 68, 120)
D.Rectangle 0, 27.2, 21, 29.7
D.LineWidth = 1
D.LineColor = RGB(160, 160, 160)
D.DrawLine 2.5, 23.2, 18.5, 23.2
D.ApplyResource 1, head

' Sender, right-aligned under the band.
t = D.CreateText
D.TextFont = bold
D.TextSize = 12
D.TextColor = RGB(36, 68, 120)
D.TextAlign = taRight
D.WriteText "Harbour Lane Bookbinders"
D.TextFont = font
D.TextSize = 9
D.TextColor = RGB(90, 90, 90)
D.WriteText "12 Harbour Lane" & vbCrLf & "Porthaven PH4 2QT"
D.ApplyResource 1, t
D.Locate 1, 2, 18.5, 26.6

' Recipient and date.
t = D.CreateText
D.TextFont = font
D.TextSize = 10
D.WriteText "Ms Ada Pemberton" & vbCr & "The Reading Room" & vbCr & "4 Mill Street" & vbCr & "Eastbridge EB1 7LA"
D.ApplyResource 1, t
D.Locate 1, 3, 2.5, 22.5

t = D.CreateText
D.TextFont = font
D.TextSize = 10
D.TextAlign = taRight
D.WriteText "8 December 2026"
D.ApplyResource 1, t
D.Locate 1, 4, 18.5, 22.5

' The body, wrapped at 16 cm with a little extra line spacing.
t = D.CreateText
D.TextFont = font
D.TextSize = 11
D.TextLineSpacing = 40
D.TextMaxWidth = 16
D.WriteText "Dear Ms Pemberton,"
D.WriteText ""
D.WriteText "Thank you for sending the three volumes of parish records. We have looked at each of them " & _
    "closely: the sewing of the first volume is sound, but its boards have warped and the spine leather " & _
    "has split along both joints. The second and third volumes need only new endpapers and a careful clean."
D.WriteText ""
D.WriteText "We propose to reback the first volume in calf, keeping the original spine label, and to " & _
    "flatten its boards under weight over two weeks. The work on all three volumes would take about " & _
    "six weeks, and the cost would be as in the enclosed estimate."
D.WriteText ""
D.WriteText "With kind regards,"
D.WriteText ""
D.TextFont = bold
D.WriteText "Tom Carrow"
D.ApplyResource 1, t
D.Locate 1, 5, 2.5, 19.5

D.SaveToFile "letter"
