' Writes text in an embedded TrueType font with IPDFDoc2's settings on, and
' saves unicode.pdf: the font as a Type 0 font over a subset of DejaVu Sans.
' Run by scripts/windows-checks.sh under cscript and by `vellumark run`; both
' must print the same lines and write the same PDF. The text is ASCII, so that
' both hosts read this file alike. The last line is the marker.
Option Explicit
Dim D, f, t

Set D = CreateObject("VellumarkX.PDFDoc")
WScript.Echo "defaults " & D.UnicodeText & " " & D.SubsetFonts
D.UnicodeText = True
D.SubsetFonts = 1
WScript.Echo "set " & D.UnicodeText & " " & D.SubsetFonts
D.AddPage 0
D.Title = "Subset fonts through the control"
f = D.AddFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")
WScript.Echo "font " & f
D.EmbedFont(f) = True
t = D.CreateText
D.TextFont = f
D.TextSize = 14
D.WriteText "Only the glyphs of these words are embedded."
D.ApplyResource 1, t
D.Locate 1, 1, 72, 760
D.SaveToFile "unicode"
WScript.Echo "saved"
WScript.Echo "END OF TEST"
