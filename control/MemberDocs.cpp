// The documentation of every member of IPDFDoc. A new member's
// documentation is one entry in kMembers; the reference shows the members of
// a group in the order of this table.
#include "control/MemberDocs.h"

namespace vellumark {

namespace {

using enum TMemberGroup;

constexpr const char* kConventions = R"(These are the members of the `VellumarkX.PDFDoc` object (interface `IPDFDoc`), as scripts
(`vellumark run`), the C, C++ and Python libraries and the Windows control see them. `D` stands
for a document object: `Set D = CreateObject("VellumarkX.PDFDoc")`.

## Conventions

- **Numbers are 1-based.** Pages are numbered by their position in the document; resources
  (images, graphics and texts share one sequence) in the order they were created; placements by
  their position on their page; fonts 1 to 14 are the standard fonts (see TextFont) and 15 on the
  TrueType fonts added by AddFont.
- **Out of range is not an error.** A page, resource, placement or font number that names
  nothing makes the call do nothing; a read then returns the neutral value given under *Default*.
- **Units.** Lengths and coordinates are in the current Units (points, 1/72 inch, unless set
  otherwise), converted to points when stored. Page coordinates have their origin at the
  bottom-left corner of the page, y upwards. Font sizes and line widths are whole points whatever
  Units says; angles are degrees, counterclockwise; scales and line spacing are percentages.
- **Colours** are OLE colours `&H00BBGGRR`, red in the low byte: `RGB(255, 0, 0)` = 255 is red,
  `&HFF0000` is blue.
- **Booleans** read back as True (-1) or False (0); any value other than 0 sets true.
- **Enumerations** keep the low 8 bits of the value written (257 stores 1) without a range check;
  the property says what a value outside the list does.
- **The current resources.** The graphic members act on the resource named by CurrentGraphic, the
  text members on the one named by CurrentText. When that number names no resource of the right
  kind, writes and drawing calls do nothing and reads return the value given as *without a current
  graphic* or *without a current text*.
- **Errors.** A failed call raises an error with the message under *Errors*; in a script
  `Err.Number` is -2147418113 (`&H8000FFFF`) and `Err.Description` is the message. An argument
  that cannot be converted to the parameter's type fails before the call with "Type mismatch"
  (`Err.Number` 13) or "Overflow" (6). Members whose *Errors* say "None." never fail.
- **Text** is Unicode at the interface; text, links and document strings are written in the
  Windows-1252 code page, and characters it cannot hold become "?".
)";

constexpr TMemberGroupDoc kGroups[] = {
    {Pages, "Pages", "the pages of the document and their sizes."},
    {Placements, "Placements", "resources drawn on pages: position, scale, rotation, image links."},
    {Graphics, "Graphics", "graphic resources: lines, rectangles, ellipses and circles in page coordinates."},
    {Text, "Text", "text resources: written lines, their formatting, wrapping and measurements."},
    {Links, "Hyperlinks", "links written into text resources and their formatting."},
    {Fonts, "Fonts", "TrueType fonts added from files."},
    {Images, "Images", "image resources from files, bytes and bitmap handles, and how they are compressed."},
    {Document, "Document", "the whole document: units, information strings, saving and clearing."},
    {Window, "Control window",
     "members of the control's window, kept for compiled hosts; they do not change the document."},
};

// Text shared by the members of one kind.
#define VM_NO_ERRORS "None."
#define VM_IMAGE_ERRORS                                                                                             \
    "\"File is not a supported image format\" when the data is of no format that is read (BMP, JPEG, TIFF, GIF, " \
    "PNG, PCX, WBMP, Photoshop); \"Stream read error\" when there are fewer than two bytes; \"TIFF file error - "  \
    "cannot find requested page\" when ImageReadNumber is beyond the last image of a TIFF file; and the reader's " \
    "own message for a damaged or unsupported file, for example \"Image does not have a valid PNG signature.\", "  \
    "\"Invalid CRC in PNG image.\", \"Error reading PCX file.\" or \"Image is too large\"."
#define VM_NEEDS_GRAPHIC " Acts on the current graphic (CurrentGraphic); without one it does nothing."
#define VM_NEEDS_TEXT " Acts on the current text (CurrentText); without one it does nothing."
#define VM_WINDOW_ONLY " It has no effect on the document."

constexpr TMemberDoc kMembers[] = {
    // ---- Pages ----
    {.name = "AddPage",
     .group = Pages,
     .text = "Creates a page of the size DefaultPageSize and inserts it at position Page. Page 0, a negative "
             "Page or a Page beyond the last page appends the page; Page 1 makes it the first page, and Page p "
             "puts it before the present page p, so that page and the pages after it are renumbered one up. "
             "The new page has no placements.",
     .params = {{"Page", "where to insert the page: 0 (or less) appends, p inserts before the present page p"}},
     .errors = VM_NO_ERRORS,
     .example = "D.AddPage 0"},
    {.name = "DeleteAllPages",
     .group = Pages,
     .text = "Removes every page with its placements. Resources, fonts, CurrentGraphic, CurrentText, the "
             "document information and every setting stay, and the resources can be applied to new pages.",
     .errors = VM_NO_ERRORS,
     .example = "D.DeleteAllPages"},
    {.name = "DefaultPageSize",
     .group = Pages,
     .text = "The size AddPage gives to each new page, a TxPageSize. With psCustom, or a value outside the "
             "table, a new page has width and height 0 until PageWidth and PageHeight are set.",
     .defaultValue = "1 (psA4_P). Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.DefaultPageSize = psLetter_P"},
    {.name = "PageSize",
     .group = Pages,
     .text = "The size code of a page, a TxPageSize. Writing a value of the table gives the page that "
             "value's width and height; writing psCustom or a value outside the table stores the value and "
             "keeps the page's width and height. Setting PageWidth or PageHeight to anything else makes it "
             "psCustom (0).",
     .params = {{"Page", "the page number, 1-based"}},
     .defaultValue = "the DefaultPageSize the page was created with; 0 (psCustom) for a page that does not exist.",
     .errors = VM_NO_ERRORS,
     .example = "D.PageSize(1) = psA4_L"},
    {.name = "PageWidth",
     .group = Pages,
     .text = "The width of a page in the current Units. It is kept in whole points: a written value is "
             "converted to points and rounded to the nearest whole point, at least 1; a value of 0 or less is "
             "ignored. Writing a width other than the page's present one makes PageSize psCustom (0).",
     .params = {{"Page", "the page number, 1-based"}},
     .defaultValue = "the width of the page's size (595 points for psA4_P); 0 for a page that does not exist.",
     .errors = VM_NO_ERRORS,
     .example = "D.PageWidth(1) = 400"},
    {.name = "PageHeight",
     .group = Pages,
     .text = "The height of a page in the current Units, kept in whole points like PageWidth: rounded to the "
             "nearest whole point, at least 1; a value of 0 or less is ignored. Placements made earlier keep "
             "their position.",
     .params = {{"Page", "the page number, 1-based"}},
     .defaultValue = "the height of the page's size (842 points for psA4_P); 0 for a page that does not exist.",
     .errors = VM_NO_ERRORS,
     .example = "D.PageHeight(1) = 600"},

    // ---- Placements ----
    {.name = "ApplyResource",
     .group = Placements,
     .text = "Draws resource Resource on page Page: appends a placement with its top-left corner at the "
             "top-left corner of the page (X 0, Y the page's present height), scale 100 and angle 0. One "
             "resource may be applied any number of times to any pages. A graphic draws at the page "
             "coordinates it was drawn with, whatever its placement says. Placements draw in the order they "
             "were applied, later ones over earlier ones, and a resource is drawn as it is when the document "
             "is saved: what is added to it after ApplyResource shows in every placement.",
     .params = {{"Page", "the page number, 1-based"}, {"Resource", "the resource number, 1-based"}},
     .result = "the placement's index on the page (1-based), or 0 when Page or Resource names nothing.",
     .errors = VM_NO_ERRORS,
     .example = "n = D.ApplyResource(1, img)"},
    {.name = "Locate",
     .group = Placements,
     .text = "Moves a placement: X and Y, in the current Units, are the position of the resource's top-left "
             "corner, measured from the left edge and up from the bottom edge of the page. An image hangs below "
             "and to the right of (X, Y). For a text, Y is the top of the block: the first line's baseline "
             "lies the line's largest font size below Y; X is where left-aligned lines start, the centre of "
             "centred lines and the end of right-aligned lines (TextAlign). No effect on a graphic.",
     .params = {{"Page", "the page number, 1-based"},
                {"Index", "the placement's index on the page, as ApplyResource returned it"},
                {"X", "distance from the left edge of the page, current Units"},
                {"Y", "distance from the bottom edge of the page, current Units"}},
     .errors = VM_NO_ERRORS,
     .example = "D.Locate 1, n, 72, 720"},
    {.name = "ScaleObject",
     .group = Placements,
     .text = "Sets the size of a placement in percent of the resource's natural size (100 is natural size); "
             "the top-left corner stays where it is. A ScaleFactor of 0 or less is ignored. For a text, font "
             "sizes and line widths follow the scale but the distance between lines does not. No effect on a "
             "graphic.",
     .params = {{"Page", "the page number, 1-based"},
                {"Index", "the placement's index on the page"},
                {"ScaleFactor", "percent of the natural size, greater than 0"}},
     .errors = VM_NO_ERRORS,
     .example = "D.ScaleObject 1, n, 50"},
    {.name = "Rotate",
     .group = Placements,
     .text = "Sets the rotation of a placement: Angle degrees counterclockwise about its top-left corner (the "
             "point Locate sets). It replaces an earlier angle. A placement turned by any angle other than 0 "
             "shows no links and no underlines. No effect on a graphic.",
     .params = {{"Page", "the page number, 1-based"},
                {"Index", "the placement's index on the page"},
                {"Angle", "degrees, counterclockwise"}},
     .errors = VM_NO_ERRORS,
     .example = "D.Rotate 1, n, 90"},
    {.name = "SetImageLink",
     .group = Placements,
     .text = "Makes an image placement a hyperlink to Link, with a border when LinkBorder is set at the time "
             "of the call. The link covers the image's area while the placement is not rotated. Placements "
             "of graphics and texts are left alone (text links come from WriteLink).",
     .params = {{"Page", "the page number, 1-based"},
                {"Index", "the placement's index on the page"},
                {"Link", "the URI the image links to"}},
     .errors = VM_NO_ERRORS,
     .example = "D.SetImageLink 1, n, \"https://example.com/\""},

    // ---- Graphics ----
    {.name = "CreateGraphic",
     .group = Graphics,
     .text = "Appends a new, empty graphic resource and makes it the current graphic. A graphic holds the "
             "shapes drawn on it afterwards, in page coordinates.",
     .result = "the new resource's number.",
     .resets = "CurrentGraphic becomes the new resource, so LineWidth reads 1, LineColor 0 (black), FillColor "
               "&HFFFFFF (white) and Fill True again.",
     .errors = VM_NO_ERRORS,
     .example = "g = D.CreateGraphic"},
    {.name = "CurrentGraphic",
     .group = Graphics,
     .text = "The number of the graphic resource that the drawing calls and graphic properties act on. It is "
             "stored as written, without a check; a number that names no graphic makes them do nothing.",
     .defaultValue = "0; CreateGraphic sets it to the new resource and Clear back to 0.",
     .errors = VM_NO_ERRORS,
     .example = "D.CurrentGraphic = g"},
    {.name = "DrawLine",
     .group = Graphics,
     .text = "Draws a straight line from (X1, Y1) to (X2, Y2), page coordinates in the current Units, with "
             "the graphic's present line width and colour. A line is never filled." VM_NEEDS_GRAPHIC,
     .params = {{"X1", "start, from the left edge of the page"},
                {"Y1", "start, from the bottom edge of the page"},
                {"X2", "end, from the left edge"},
                {"Y2", "end, from the bottom edge"}},
     .errors = VM_NO_ERRORS,
     .example = "D.DrawLine 72, 700, 520, 700"},
    {.name = "Rectangle",
     .group = Graphics,
     .text = "Draws a rectangle with the opposite corners (X1, Y1) and (X2, Y2), page coordinates in the "
             "current Units, in either order. It is stroked, and filled first when Fill is on at the time of "
             "the call." VM_NEEDS_GRAPHIC,
     .params = {{"X1", "one corner, from the left edge of the page"},
                {"Y1", "one corner, from the bottom edge"},
                {"X2", "the opposite corner, from the left edge"},
                {"Y2", "the opposite corner, from the bottom edge"}},
     .errors = VM_NO_ERRORS,
     .example = "D.Rectangle 72, 600, 272, 700"},
    {.name = "Ellipse",
     .group = Graphics,
     .text = "Draws an ellipse with centre (X, Y) and radii RX (along its own x axis) and RY, turned Angle "
             "degrees counterclockwise; lengths in the current Units. It is stroked, and filled first when "
             "Fill is on." VM_NEEDS_GRAPHIC,
     .params = {{"X", "centre, from the left edge of the page"},
                {"Y", "centre, from the bottom edge"},
                {"RX", "radius along the ellipse's own x axis"},
                {"RY", "radius along its y axis"},
                {"Angle", "rotation in degrees, counterclockwise"}},
     .errors = VM_NO_ERRORS,
     .example = "D.Ellipse 300, 400, 100, 50, 30"},
    {.name = "Circle",
     .group = Graphics,
     .text = "Draws a circle with centre (X, Y) and radius R in the current Units, as Ellipse with equal "
             "radii. It is stroked, and filled first when Fill is on." VM_NEEDS_GRAPHIC,
     .params = {{"X", "centre, from the left edge of the page"},
                {"Y", "centre, from the bottom edge"},
                {"R", "radius"}},
     .errors = VM_NO_ERRORS,
     .example = "D.Circle 300, 400, 50"},
    {.name = "LineWidth",
     .group = Graphics,
     .text = "The width of the lines drawn next on the current graphic, in whole points whatever Units says. "
             "A negative value is ignored; 0 draws the thinnest line the viewer can show. Shapes drawn "
             "earlier keep their width." VM_NEEDS_GRAPHIC,
     .defaultValue = "1 on a new graphic; 0 without a current graphic.",
     .errors = VM_NO_ERRORS,
     .example = "D.LineWidth = 2"},
    {.name = "LineColor",
     .group = Graphics,
     .text = "The OLE colour of the lines and outlines drawn next on the current graphic." VM_NEEDS_GRAPHIC,
     .defaultValue = "0 (black) on a new graphic; 0 without a current graphic.",
     .errors = VM_NO_ERRORS,
     .example = "D.LineColor = RGB(255, 0, 0)"},
    {.name = "FillColor",
     .group = Graphics,
     .text = "The OLE colour that rectangles, ellipses and circles drawn next on the current graphic are "
             "filled with when Fill is on." VM_NEEDS_GRAPHIC,
     .defaultValue = "&HFFFFFF (16777215, white) on a new graphic, and without a current graphic.",
     .errors = VM_NO_ERRORS,
     .example = "D.FillColor = RGB(200, 220, 255)"},
    {.name = "Fill",
     .group = Graphics,
     .text = "Whether rectangles, ellipses and circles drawn next on the current graphic are filled with "
             "FillColor as well as outlined. Lines are never filled." VM_NEEDS_GRAPHIC,
     .defaultValue = "True on a new graphic, and without a current graphic.",
     .errors = VM_NO_ERRORS,
     .example = "D.Fill = False"},

    // ---- Text ----
    {.name = "CreateText",
     .group = Text,
     .text = "Appends a new, empty text resource and makes it the current text. The text properties belong "
             "to each text resource, so the new one starts from their defaults.",
     .result = "the new resource's number.",
     .resets = "CurrentText becomes the new resource, so TextFont reads 5 (Helvetica), TextSize 10, TextColor "
               "0, TextLineSpacing 15, TextAlign taLeft, TextMaxWidth -1, TextSkewX and TextSkewY 0 and "
               "TextUnderline False again.",
     .errors = VM_NO_ERRORS,
     .example = "t = D.CreateText"},
    {.name = "CurrentText",
     .group = Text,
     .text = "The number of the text resource that the writing calls, text properties and measurements act "
             "on. It is stored as written, without a check; a number that names no text makes them do "
             "nothing.",
     .defaultValue = "0; CreateText sets it to the new resource and Clear back to 0.",
     .errors = VM_NO_ERRORS,
     .example = "D.CurrentText = t"},
    {.name = "WriteText",
     .group = Text,
     .text = "Adds Text to the current text as one new line in the present TextFont, TextSize, TextColor, "
             "TextLineSpacing, TextMaxWidth, skew and underline; with AppendText on it continues the line "
             "before it instead. CR, LF and CR LF in Text each start a further line. In an added font a line "
             "wider than TextMaxWidth wraps at spaces; in a standard font text is never wrapped, measured or "
             "underlined, and writing any text sets TextAlign back to taLeft." VM_NEEDS_TEXT,
     .params = {{"Text", "the text; CR, LF or CR LF break it into lines"}},
     .resets = "TextAlign to taLeft when TextFont is a standard font (1 to 14) and Text is not empty.",
     .errors = VM_NO_ERRORS,
     .example = "D.WriteText \"Hello, world\""},
    {.name = "AppendText",
     .group = Text,
     .text = "When on, text written next (WriteText, WriteLink) continues the line written before it instead "
             "of starting a new line, so that formats and links can change within a line. While any line of "
             "the text is in a standard font, continuing text joins the line before it in that line's "
             "formatting.",
     .defaultValue = "False. Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.AppendText = True"},
    {.name = "TextFont",
     .group = Text,
     .text = "The font number used for text written next: 1 Courier, 2 Courier-Bold, 3 Courier-BoldOblique, "
             "4 Courier-Oblique, 5 Helvetica, 6 Helvetica-Bold, 7 Helvetica-BoldOblique, 8 Helvetica-Oblique, "
             "9 Times-Roman, 10 Times-Bold, 11 Times-Italic, 12 Times-BoldItalic, 13 Symbol, 14 ZapfDingbats, "
             "15 and up the fonts added by AddFont. A number that names no font is ignored. Wrapping, "
             "alignment, underlining, links and measurements work in added fonts only." VM_NEEDS_TEXT,
     .defaultValue = "5 (Helvetica) on a new text; 0 without a current text.",
     .errors = VM_NO_ERRORS,
     .example = "D.TextFont = D.AddFont(\"DejaVuSans.ttf\")"},
    {.name = "TextSize",
     .group = Text,
     .text = "The font size for text written next, in whole points whatever Units says; stored without a "
             "check." VM_NEEDS_TEXT,
     .defaultValue = "10 on a new text; 0 without a current text.",
     .errors = VM_NO_ERRORS,
     .example = "D.TextSize = 12"},
    {.name = "TextColor",
     .group = Text,
     .text = "The OLE colour of text written next." VM_NEEDS_TEXT,
     .defaultValue = "0 (black) on a new text, and without a current text.",
     .errors = VM_NO_ERRORS,
     .example = "D.TextColor = RGB(0, 0, 128)"},
    {.name = "TextLineSpacing",
     .group = Text,
     .text = "The space added above a line written next, in percent of the largest font size of the line "
             "before it: two lines of size 10 with spacing 15 have their baselines 11.5 points "
             "apart. It holds for the lines a long line wraps into as well." VM_NEEDS_TEXT,
     .defaultValue = "15 on a new text, and without a current text.",
     .errors = VM_NO_ERRORS,
     .example = "D.TextLineSpacing = 50"},
    {.name = "TextAlign",
     .group = Text,
     .text = "The alignment of all lines of the current text, a TxTextAlign, about the X of each placement "
             "(see Locate): left-aligned lines start at X, centred lines are centred on X, right-aligned "
             "lines end at X. It belongs to the whole resource. Text in a standard font is always left-aligned: while the text holds a "
             "line in a standard font, a write stores taLeft." VM_NEEDS_TEXT,
     .defaultValue = "0 (taLeft) on a new text, and without a current text.",
     .errors = VM_NO_ERRORS,
     .example = "D.TextAlign = taCenter"},
    {.name = "TextMaxWidth",
     .group = Text,
     .text = "The width, in the current Units, at which lines written next in an added font wrap to a new "
             "line at a space (a word wider than the limit is split). A value of 0 or less means no limit "
             "and reads back as -1. It has no effect on text in a standard font." VM_NEEDS_TEXT,
     .defaultValue = "-1 (no limit) on a new text, and without a current text.",
     .errors = VM_NO_ERRORS,
     .example = "D.TextMaxWidth = 300"},
    {.name = "TextSkewX",
     .group = Text,
     .text = "The horizontal skew, in degrees, of text written next: it turns the baseline up by that angle "
             "while the glyphs' vertical strokes stay upright." VM_NEEDS_TEXT,
     .defaultValue = "0 on a new text, and without a current text.",
     .errors = VM_NO_ERRORS,
     .example = "D.TextSkewX = 12"},
    {.name = "TextSkewY",
     .group = Text,
     .text = "The vertical skew, in degrees, of text written next: it slants the glyphs sideways, as an "
             "oblique style does (positive angles lean them to the right)." VM_NEEDS_TEXT,
     .defaultValue = "0 on a new text, and without a current text.",
     .errors = VM_NO_ERRORS,
     .example = "D.TextSkewY = 10"},
    {.name = "TextUnderline",
     .group = Text,
     .text = "Whether text written next is underlined. It takes effect in added fonts only, on placements "
             "that are not rotated." VM_NEEDS_TEXT,
     .defaultValue = "False on a new text, and without a current text.",
     .errors = VM_NO_ERRORS,
     .example = "D.TextUnderline = True"},
    {.name = "TextBlockHeight",
     .group = Text,
     .text = "The height of the current text as laid out, in the current Units: from the top of the block to "
             "the baseline of its last line. One line of size 10 gives 10 points; two with spacing 15 give "
             "21.5.",
     .defaultValue = "0 for a text with no lines, and without a current text.",
     .errors = VM_NO_ERRORS,
     .example = "h = D.TextBlockHeight"},
    {.name = "TextBlockWidth",
     .group = Text,
     .text = "The width of the widest line of the current text as laid out, in the current Units. Text in a "
             "standard font cannot be measured: the width is then -1.",
     .defaultValue = "-1 while any line is in a standard font, for a text with no lines, and without a current "
                     "text.",
     .errors = VM_NO_ERRORS,
     .example = "w = D.TextBlockWidth"},
    {.name = "TextLineWidth",
     .group = Text,
     .text = "The width that Text would take as one line in the current text's TextFont and TextSize, in the "
             "current Units; spaces at either end count. Only added fonts are measured.",
     .params = {{"Text", "the text to measure"}},
     .defaultValue = "0 in a standard font, for empty Text, and without a current text.",
     .errors = VM_NO_ERRORS,
     .example = "w = D.TextLineWidth(\"Total\")"},

    // ---- Hyperlinks ----
    {.name = "WriteLink",
     .group = Links,
     .text = "Adds Text to the current text as WriteText does, as a hyperlink to Link, with a border when "
             "LinkBorder is set. With LinkStandardFormat on the text is written in LinkColor, LinkSize, "
             "LinkUnderline and LinkFont (when LinkFont names an added font), and the text's own settings "
             "apply again afterwards. Links work in added fonts only: when the font the text is written in "
             "(LinkFont under LinkStandardFormat, else TextFont) is a standard font, it is written without a "
             "link. Rotated placements show no links." VM_NEEDS_TEXT,
     .params = {{"Text", "the text shown; CR, LF or CR LF break it into lines"},
                {"Link", "the URI the text links to"}},
     .resets = "TextAlign to taLeft when the font the link is written in is a standard font and Text is not "
               "empty.",
     .errors = VM_NO_ERRORS,
     .example = "D.WriteLink \"our site\", \"https://example.com/\""},
    {.name = "LinkStandardFormat",
     .group = Links,
     .text = "Whether WriteLink writes in the link settings (LinkColor, LinkSize, LinkUnderline, LinkFont) "
             "rather than in the text's own formatting.",
     .defaultValue = "True. Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.LinkStandardFormat = False"},
    {.name = "LinkColor",
     .group = Links,
     .text = "The OLE colour of link text when LinkStandardFormat is on.",
     .defaultValue = "&HFF0000 (16711680, blue). Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.LinkColor = RGB(0, 0, 255)"},
    {.name = "LinkFont",
     .group = Links,
     .text = "The font of link text when LinkStandardFormat is on. Only added fonts are accepted (15 up to "
             "the last font added); any other value is ignored. While it names no added font, links keep the "
             "text's own font.",
     .defaultValue = "15, also before any font was added. Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.LinkFont = 15"},
    {.name = "LinkUnderline",
     .group = Links,
     .text = "Whether link text is underlined when LinkStandardFormat is on (in added fonts only).",
     .defaultValue = "True. Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.LinkUnderline = False"},
    {.name = "LinkSize",
     .group = Links,
     .text = "The font size of link text, in whole points, when LinkStandardFormat is on.",
     .defaultValue = "10. Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.LinkSize = 12"},
    {.name = "LinkBorder",
     .group = Links,
     .text = "Whether links written next (WriteLink, SetImageLink) show a rectangular border in the viewer.",
     .defaultValue = "False. Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.LinkBorder = True"},

    // ---- Fonts ----
    {.name = "AddFont",
     .group = Fonts,
     .text = "Reads a TrueType font file into the document. Its number selects it for TextFont and LinkFont; "
             "text in it can be wrapped, aligned, underlined, linked and measured. A file that cannot be read "
             "or is not a TrueType font is not an error: the result is 0 and no number is used up.",
     .params = {{"FontName", "the path of the TrueType (.ttf) file"}},
     .result = "the new font's number: 15 for the first font added (also after Clear), then 16, 17 ...; 0 when "
               "the file cannot be read as a TrueType font.",
     .errors = VM_NO_ERRORS,
     .example = "f = D.AddFont(\"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf\")"},
    {.name = "EmbedFont",
     .group = Fonts,
     .text = "Whether an added font's file is embedded in the saved document, so that it shows on machines "
             "without the font. Writes to standard fonts (1 to 14) and to numbers with no font are ignored.",
     .params = {{"FontNum", "the font number, 15 or more"}},
     .defaultValue = "False; False for fonts 1 to 14 and numbers with no font.",
     .errors = VM_NO_ERRORS,
     .example = "D.EmbedFont(f) = True"},

    // ---- Images ----
    {.name = "AddImageFile",
     .group = Images,
     .text = "Reads an image file into a new image resource: BMP, JPEG, TIFF (the image ImageReadNumber "
             "names), GIF, PNG, PCX, WBMP or Photoshop, told apart by their contents. The pixels are "
             "compressed as the Compression properties say for their colour class; JPEG files and Group 4 "
             "TIFF images may keep their own data instead (see UseSourceCompression). "
             "A PNG alpha channel is merged with MergeAlphaColor when MergeAlpha is on.",
     .params = {{"FileName", "the path of the image file"}},
     .result = "the new resource's number.",
     .errors = "\"File not found\" when FileName names no file (or a folder); \"Cannot open file \"NAME\". "
               "REASON\" when it cannot be opened; " VM_IMAGE_ERRORS,
     .example = "img = D.AddImageFile(\"logo.png\")"},
    {.name = "AddImageBytes",
     .group = Images,
     .text = "Reads an image from bytes in memory into a new image resource, as AddImageFile reads a file. "
             "ImageData is a byte array (in scripts, ReadBytes gives one) or a string whose characters are "
             "taken as Windows-1252 bytes.",
     .params = {{"ImageData", "the image file's bytes: a byte array, or a string"}},
     .result = "the new resource's number.",
     .errors = "\"Type mismatch\" when ImageData is neither a byte array nor a string; " VM_IMAGE_ERRORS,
     .example = "img = D.AddImageBytes(ReadBytes(\"logo.png\"))"},
    {.name = "AddImageBMPHandle",
     .group = Images,
     .text = "Reads a bitmap from a Windows bitmap handle (HBITMAP), or a packed device-independent bitmap "
             "from a global memory handle, into a new image resource. A bitmap handle is deleted afterwards "
             "when ReleaseBMPHandle is off; a memory handle is always freed. In scripts run by vellumark, "
             "BitmapHandle and PackedDIBHandle make such handles from files.",
     .params = {{"Handle", "the bitmap or memory handle; 0 does nothing"}},
     .result = "the new resource's number; 0 for Handle 0.",
     .errors = "\"Invalid bitmap handle\" when Handle is neither a bitmap nor a memory handle; the bitmap "
               "reader's messages for a damaged packed bitmap, such as \"Bitmap image is not valid\" and \"Unsupported "
               "bitmap format\".",
     .example = "img = D.AddImageBMPHandle(BitmapHandle(\"logo.bmp\"))"},
    {.name = "ImageCount",
     .group = Images,
     .text = "The number of images in an image file: the pages of a TIFF file, 1 for the other formats. Set "
             "ImageReadNumber to read a page other than the first.",
     .params = {{"FileName", "the path of the image file"}},
     .defaultValue = "no default; it reads the file each time.",
     .errors = "\"File not found: NAME\" (NAME being FileName) when FileName names no file; \"Cannot open file "
               "\"NAME\". REASON\"; \"Stream read error\" for an empty file; \"File is not a supported graphics "
               "format\"; \"Data is not in TIFF format\" for a damaged TIFF header.",
     .example = "n = D.ImageCount(\"scan.tif\")"},
    {.name = "ImageWidth",
     .group = Images,
     .text = "The natural width of an image resource in the current Units: its width in pixels at the "
             "image's resolution (72 pixels per inch when the file gives none), before any ScaleObject.",
     .params = {{"Index", "the resource number of the image"}},
     .defaultValue = "0 when Index names no image resource.",
     .errors = VM_NO_ERRORS,
     .example = "w = D.ImageWidth(img)"},
    {.name = "ImageHeight",
     .group = Images,
     .text = "The natural height of an image resource in the current Units, at the image's resolution (72 "
             "pixels per inch when the file gives none), before any ScaleObject.",
     .params = {{"Index", "the resource number of the image"}},
     .defaultValue = "0 when Index names no image resource.",
     .errors = VM_NO_ERRORS,
     .example = "h = D.ImageHeight(img)"},
    {.name = "ImageReadNumber",
     .group = Images,
     .text = "Which image of a multi-image TIFF file AddImageFile and AddImageBytes read, counted from 1. "
             "Values below 1 are ignored.",
     .defaultValue = "1. Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.ImageReadNumber = 2"},
    {.name = "CompressionBW",
     .group = Images,
     .text = "The compression of black-and-white images added next, a TxCompressFormat: cfNone, cfGroup4 or "
             "cfZIP; cfJPEG and values outside the list are ignored.",
     .defaultValue = "1 (cfGroup4). Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.CompressionBW = cfZIP"},
    {.name = "CompressionIndexed",
     .group = Images,
     .text = "The compression of palette images added next, a TxCompressFormat: cfNone or cfZIP; other values "
             "are ignored.",
     .defaultValue = "2 (cfZIP). Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.CompressionIndexed = cfNone"},
    {.name = "CompressionRGB",
     .group = Images,
     .text = "The compression of full-colour images added next, a TxCompressFormat: cfNone, cfZIP or cfJPEG "
             "(quality 90); cfGroup4 and values outside the list are ignored.",
     .defaultValue = "2 (cfZIP). Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.CompressionRGB = cfJPEG"},
    {.name = "CompressionGray",
     .group = Images,
     .text = "The compression of grey-scale images added next, a TxCompressFormat: cfNone, cfZIP or cfJPEG "
             "(quality 90); cfGroup4 and values outside the list are ignored.",
     .defaultValue = "2 (cfZIP). Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.CompressionGray = cfJPEG"},
    {.name = "UseSourceCompression",
     .group = Images,
     .text = "Whether images added next keep the compressed data of their file where it can go into the "
             "document unchanged (JPEG files; Group 4 TIFF images of one untiled strip with fill order 1) "
             "instead of being decoded and compressed again. When off, a JPEG file still keeps its data when "
             "CompressionRGB (colour) or CompressionGray (grey) is cfJPEG, and such a TIFF image when "
             "CompressionBW is cfGroup4.",
     .defaultValue = "True. Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.UseSourceCompression = False"},
    {.name = "ReleaseBMPHandle",
     .group = Images,
     .text = "Whether AddImageBMPHandle leaves a bitmap handle to its caller: when True (the handle is "
             "released by the image, not deleted) the caller still owns the bitmap; when False the bitmap is "
             "deleted after it was read. Memory handles are always freed.",
     .defaultValue = "True. Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.ReleaseBMPHandle = False"},
    {.name = "MergeAlpha",
     .group = Images,
     .text = "Whether images with an alpha channel (PNG) added next are merged with the colour "
             "MergeAlphaColor, as if drawn on a background of that colour. When off, the alpha channel is "
             "dropped.",
     .defaultValue = "False. Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.MergeAlpha = True"},
    {.name = "MergeAlphaColor",
     .group = Images,
     .text = "The OLE colour that MergeAlpha merges alpha channels with.",
     .defaultValue = "&HFFFFFF (16777215, white). Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.MergeAlphaColor = RGB(240, 240, 240)"},

    // ---- Document ----
    {.name = "Units",
     .group = Document,
     .text = "The unit of every length and coordinate that crosses the interface, a TxUnitsMeas: points "
             "(1/72 inch), inches, centimetres or millimetres. Values already stored stay where they are; "
             "reads convert them. Font sizes and LineWidth stay in points. With a value outside the list "
             "every length written is taken as 0 and every length read is 0.",
     .defaultValue = "0 (umPoints). Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.Units = umMillimeters"},
    {.name = "Title",
     .group = Document,
     .text = "The document's title, saved in its information dictionary.",
     .defaultValue = "empty; Clear empties it.",
     .errors = VM_NO_ERRORS,
     .example = "D.Title = \"Quarterly report\""},
    {.name = "Subject",
     .group = Document,
     .text = "The document's subject, saved in its information dictionary.",
     .defaultValue = "empty; Clear empties it.",
     .errors = VM_NO_ERRORS,
     .example = "D.Subject = \"Sales\""},
    {.name = "Author",
     .group = Document,
     .text = "The document's author, saved in its information dictionary.",
     .defaultValue = "empty; Clear empties it.",
     .errors = VM_NO_ERRORS,
     .example = "D.Author = \"A. Writer\""},
    {.name = "Keywords",
     .group = Document,
     .text = "The document's keywords, saved in its information dictionary.",
     .defaultValue = "empty; Clear empties it.",
     .errors = VM_NO_ERRORS,
     .example = "D.Keywords = \"sales, 2026\""},
    {.name = "CompressContents",
     .group = Document,
     .text = "Whether the pages' content streams are Flate-compressed when the document is saved; when off "
             "they are written readable.",
     .defaultValue = "True. Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.CompressContents = False"},
    {.name = "UnicodeText",
     .group = Text,
     .text = "A member of IPDFDoc2. When True, text written afterwards in an added TrueType font keeps its "
             "Unicode characters (surrogate pairs included) instead of becoming Windows-1252 with \"?\" for "
             "the rest: it is measured with the font's Unicode cmap (format 4, and format 12 beyond the "
             "BMP), drawn through a Type 0 font with a ToUnicode map so that it can be searched and copied, "
             "and a character the font lacks shows its missing glyph. Windows-1252 text lays out exactly as "
             "with the setting off. Text in standard fonts stays Windows-1252. Title, Subject, Author and "
             "Keywords holding other characters are saved as UTF-16.",
     .defaultValue = "False. Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.UnicodeText = True"},
    {.name = "SubsetFonts",
     .group = Fonts,
     .text = "A member of IPDFDoc2. When True, each embedded TrueType font holds only the glyphs the "
             "document uses (with glyph 0 and the parts of composite glyphs), and its name gets a "
             "six-letter prefix (ABCDEF+Name). It does not change which fonts are embedded (EmbedFont "
             "does); a font whose licence forbids subsetting is embedded whole.",
     .defaultValue = "False. Clear keeps it.",
     .errors = VM_NO_ERRORS,
     .example = "D.SubsetFonts = True"},
    {.name = "SaveToFile",
     .group = Document,
     .text = "Writes the document as a PDF 1.2 file. \".pdf\" is appended to FileName unless it ends so "
             "(in any case). The file is written beside the target under another name and replaces it only "
             "when complete, so a failed save leaves an existing file as it was. A document without pages is "
             "not saved: nothing is written and no error raised. The document stays in memory and can be "
             "changed and saved again.",
     .params = {{"FileName", "the path of the file, with or without .pdf"}},
     .errors = "\"Cannot create file \"NAME\". REASON\" and \"Cannot write file \"NAME\". REASON\" (NAME "
               "with .pdf, REASON the system's) when the file cannot be written; \"Error indexing PDF "
               "contents.\" for an internal numbering mismatch.",
     .example = "D.SaveToFile \"report.pdf\""},
    {.name = "Clear",
     .group = Document,
     .text = "Empties the document: removes every page, resource and added font. Resource numbers and font "
             "numbers start again at 1 and 15.",
     .resets = "CurrentGraphic and CurrentText to 0; Title, Subject, Author and Keywords to empty. Every "
               "other setting (Units, DefaultPageSize, the Compression properties, UseSourceCompression, "
               "ImageReadNumber, ReleaseBMPHandle, MergeAlpha, MergeAlphaColor, the Link properties, "
               "AppendText, CompressContents) keeps its value.",
     .errors = VM_NO_ERRORS,
     .example = "D.Clear"},

    // ---- Control window ----
    {.name = "DoubleBuffered",
     .group = Window,
     .text = "The window's double-buffering flag, stored." VM_WINDOW_ONLY,
     .defaultValue = "False.",
     .errors = VM_NO_ERRORS,
     .example = "D.DoubleBuffered = True"},
    {.name = "AlignDisabled",
     .group = Window,
     .text = "Whether automatic alignment of the window's child windows is suspended; no child windows are "
             "ever aligned, so it is always False.",
     .defaultValue = "False.",
     .errors = VM_NO_ERRORS,
     .example = "b = D.AlignDisabled"},
    {.name = "VisibleDockClientCount",
     .group = Window,
     .text = "The number of visible windows docked into the control; always 0.",
     .defaultValue = "0.",
     .errors = VM_NO_ERRORS,
     .example = "n = D.VisibleDockClientCount"},
    {.name = "DrawTextBiDiModeFlagsReadingOnly",
     .group = Window,
     .text = "The right-to-left reading flag for text drawing: &H20000 when UseRightToLeftReading is True, "
             "otherwise 0." VM_WINDOW_ONLY,
     .result = "&H20000 or 0; always 0, as the control never takes a right-to-left mode.",
     .errors = VM_NO_ERRORS,
     .example = "f = D.DrawTextBiDiModeFlagsReadingOnly"},
    {.name = "Enabled",
     .group = Window,
     .text = "Whether the window accepts input, stored." VM_WINDOW_ONLY,
     .defaultValue = "True.",
     .errors = VM_NO_ERRORS,
     .example = "D.Enabled = False"},
    {.name = "InitiateAction",
     .group = Window,
     .text = "Asks the window to refresh its action link; the control has none, so it does nothing.",
     .errors = VM_NO_ERRORS,
     .example = "D.InitiateAction"},
    {.name = "IsRightToLeft",
     .group = Window,
     .text = "Whether the window's reading order is right to left." VM_WINDOW_ONLY,
     .result = "always False: the control never takes a right-to-left mode.",
     .errors = VM_NO_ERRORS,
     .example = "b = D.IsRightToLeft"},
    {.name = "UseRightToLeftReading",
     .group = Window,
     .text = "Whether the window reads text right to left." VM_WINDOW_ONLY,
     .result = "always False: the control never takes a right-to-left mode.",
     .errors = VM_NO_ERRORS,
     .example = "b = D.UseRightToLeftReading"},
    {.name = "UseRightToLeftScrollBar",
     .group = Window,
     .text = "Whether the window's scroll bar sits on the left." VM_WINDOW_ONLY,
     .result = "always False: the control never takes a right-to-left mode.",
     .errors = VM_NO_ERRORS,
     .example = "b = D.UseRightToLeftScrollBar"},
    {.name = "Visible",
     .group = Window,
     .text = "Whether the window is shown, stored." VM_WINDOW_ONLY,
     .defaultValue = "True.",
     .errors = VM_NO_ERRORS,
     .example = "D.Visible = False"},
    {.name = "SetSubComponent",
     .group = Window,
     .text = "Marks or unmarks the control as a sub-component of its owner, stored." VM_WINDOW_ONLY,
     .params = {{"IsSubComponent", "True to mark, False to unmark"}},
     .errors = VM_NO_ERRORS,
     .example = "D.SetSubComponent True"},
    {.name = "AboutBox",
     .group = Window,
     .text = "Shows the control's About box (the Windows control only).",
     .errors = "\"Not implemented: AboutBox\" where there is no About box to show (scripts run by vellumark, "
               "the C, C++ and Python libraries).",
     .example = "D.AboutBox"},
};

#undef VM_NO_ERRORS
#undef VM_IMAGE_ERRORS
#undef VM_NEEDS_GRAPHIC
#undef VM_NEEDS_TEXT
#undef VM_WINDOW_ONLY

constexpr TEnumDoc kEnums[] = {
    {"TxCompressFormat",
     "Each colour class accepts some of them: black-and-white images cfNone, cfGroup4 and cfZIP; palette "
     "images cfNone and cfZIP; grey-scale and full-colour images cfNone, cfZIP and cfJPEG."},
    {"TxPageSize",
     "A page size outside the table, written to PageSize or DefaultPageSize, is kept as it is and gives no "
     "dimensions."},
    {"TxUnitsMeas", "1 inch = 72 points = 2.54 centimetres = 25.4 millimetres."},
    {"TxTextAlign", "Alignment takes effect in added fonts only; text in a standard font is always left-aligned."},
};

}  // namespace

std::span<const TMemberGroupDoc> MemberGroupDocs() { return kGroups; }
std::span<const TMemberDoc> MemberDocs() { return kMembers; }
std::span<const TEnumDoc> EnumDocs() { return kEnums; }
std::string_view ReferenceConventions() { return kConventions; }

}  // namespace vellumark
