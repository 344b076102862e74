// The drawing of draw.vbs, made from JScript; saves draw.pdf. The last line
// is the marker the harness looks for.
var D = new ActiveXObject("VellumarkX.PDFDoc");
D.Units = 0;
D.AddPage(0);
D.Title = "Drawn through the control";
D.Author = "Vellumark tests";

var g = D.CreateGraphic();
D.LineWidth = 2;
D.LineColor = 0xA00000;
D.FillColor = 0x0000FF;
D.Fill = 1;
D.Circle(300, 500, 80);
D.Fill = false;
D.Rectangle(100, 100, 495, 300);
for (var i = 0; i <= 5; i++) D.DrawLine(100, 320 + i * 10, 495, 320 + i * 10);
D.Ellipse(300, 650, 120, 40, 0.5);
D.ApplyResource(1, g);

var t = D.CreateText();
D.TextFont = 5;
D.TextSize = 14;
D.TextColor = 0x145A14;
D.WriteText("Hello from the control");
D.WriteLink("A link", "https://example.invalid/");
D.ApplyResource(1, t);
D.Locate(1, 2, 72, 760);

WScript.Echo("graphic " + g + ", text " + t);
WScript.Echo("fill " + D.Fill + ", units " + D.Units);
D.DefaultPageSize = 257;
WScript.Echo("page size " + D.DefaultPageSize);

try {
  D.AddImageFile("no such image.png");
  WScript.Echo("no error");
} catch (e) {
  WScript.Echo("error " + e.number + ": " + e.description);
}

D.SaveToFile("draw");
WScript.Echo("saved");
WScript.Echo("END OF TEST");
