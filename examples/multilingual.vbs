' multilingual.vbs - text in several scripts, with UnicodeText and SubsetFonts.
'
' With UnicodeText on, text written in a TrueType font keeps every character
' (without it, characters outside Windows-1252 become "?"); the font is
' written so that viewers can search and copy the text. With SubsetFonts on,
' only the glyphs the page uses are embedded: a few kilobytes instead of the
' whole font files. The lines are built with ChrW from their code points, so
' that the script reads the same in every host whatever its source encoding.
' Fonts: DejaVu Sans (Debian's fonts-dejavu-core) and, for the Chinese and
' Japanese line, Droid Sans Fallback (fonts-droid-fallback), a TrueType font.
' Run:  vellumark run multilingual.vbs   (writes multilingual.pdf)

Option Explicit

Dim D, font, cjk, t

Set D = CreateObject("VellumarkX.PDFDoc")
D.UnicodeText = True
D.SubsetFonts = True
' "Kalimera" in Greek: information strings keep their characters too.
D.Title = ChrW(&H39A) & ChrW(&H3B1) & ChrW(&H3BB) & ChrW(&H3B7) & ChrW(&H3BC) & ChrW(&H3AD) & ChrW(&H3C1) & ChrW(&H3B1) & " - multilingual text"
D.Author = "Vellumark examples"
D.AddPage 0

font = D.AddFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")
If font = 0 Then
    WScript.Echo "DejaVu Sans is not installed (Debian package fonts-dejavu-core)"
    WScript.Quit 3
End If
D.EmbedFont(font) = True

t = D.CreateText
D.TextFont = font
D.TextSize = 14
D.WriteText "Greek:"
D.TextSize = 12
' Kalimera kosme (good morning, world)
D.WriteText ChrW(&H39A) & ChrW(&H3B1) & ChrW(&H3BB) & ChrW(&H3B7) & ChrW(&H3BC) & ChrW(&H3AD) & ChrW(&H3C1) & ChrW(&H3B1) & " " & ChrW(&H3BA) & ChrW(&H3CC) & ChrW(&H3C3) & ChrW(&H3BC) & ChrW(&H3B5)
D.TextSize = 14
D.WriteText "Russian:"
D.TextSize = 12
' Privet, mir (hello, world)
D.WriteText ChrW(&H41F) & ChrW(&H440) & ChrW(&H438) & ChrW(&H432) & ChrW(&H435) & ChrW(&H442) & ", " & ChrW(&H43C) & ChrW(&H438) & ChrW(&H440)
D.TextSize = 14
D.WriteText "Polish:"
D.TextSize = 12
' Zazolc gesla jazn (a pangram of the Polish letters)
D.WriteText "Za" & ChrW(&H17C) & ChrW(&HF3) & ChrW(&H142) & ChrW(&H107) & " g" & ChrW(&H119) & ChrW(&H15B) & "l" & ChrW(&H105) & " ja" & ChrW(&H17A) & ChrW(&H144)
D.TextSize = 14
D.WriteText "Vietnamese:"
D.TextSize = 12
' Tieng Viet (the Vietnamese language)
D.WriteText "Ti" & ChrW(&H1EBF) & "ng Vi" & ChrW(&H1EC7) & "t"
D.ApplyResource 1, t
D.Locate 1, 1, 60, 780

' Chinese and Japanese: "hello, world" and "konnichiwa".
cjk = D.AddFont("/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf")
If cjk <> 0 Then
    D.EmbedFont(cjk) = True
    t = D.CreateText
    D.TextFont = cjk
    D.TextSize = 16
    D.WriteText ChrW(&H4F60) & ChrW(&H597D) & ChrW(&H4E16) & ChrW(&H754C) & ChrW(&H3000) & ChrW(&H3053) & ChrW(&H3093) & ChrW(&H306B) & ChrW(&H3061) & ChrW(&H306F)
    D.ApplyResource 1, t
    D.Locate 1, 2, 60, 560
End If

D.SaveToFile "multilingual.pdf"
