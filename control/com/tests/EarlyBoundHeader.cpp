// A client of the control written against VellumarkX_TLB.h, the header widl
// compiles from control/VellumarkX.idl: the interface, its identifiers and
// the enumerations as the header declares them, and the members called by
// their C++ names.
#include <cmath>
#include <cstring>
#include <string>
#include <type_traits>

#include "VellumarkX_TLB.h"
#include "control/MemberTable.h"
#include "control/com/ComUtil.h"
#include "control/com/Guids.h"
#include "control/com/tests/EarlyBound.h"

namespace vellumark::com::early {

namespace {

constexpr bool SameGuid(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}

// What the compiler can tell from the header alone.
static_assert(std::is_base_of_v<IDispatch, IPDFDoc>, "IPDFDoc is a dual interface on IDispatch");
static_assert(std::is_abstract_v<IPDFDoc>);
static_assert(std::is_base_of_v<IPDFDoc, IPDFDoc2>, "IPDFDoc2 extends IPDFDoc's function table");
static_assert(SameGuid(__uuidof(IPDFDoc2), kIID_IPDFDoc2), "the header's IPDFDoc2 is the control's");
static_assert(SameGuid(__uuidof(IPDFDoc), kIID_IPDFDoc), "the header's IPDFDoc is the control's");
static_assert(SameGuid(__uuidof(IPDFDocEvents), kIID_IPDFDocEvents), "the header's events are the control's");
static_assert(SameGuid(__uuidof(PDFDoc), kCLSID_PDFDoc), "the header's class is the control's");
// An enumeration travels in the function table as a LONG.
static_assert(sizeof(TxPageSize) == sizeof(LONG) && sizeof(TxCompressFormat) == sizeof(LONG) &&
              sizeof(TxUnitsMeas) == sizeof(LONG) && sizeof(TxTextAlign) == sizeof(LONG));
static_assert(cfNone == 0 && cfJPEG == 3 && psCustom == 0 && psA4_P == 1 && psExecutive_L == 16 &&
              umPoints == 0 && umMillimeters == 3 && taLeft == 0 && taRight == 2);
template <class... Args>
using TMember = HRESULT (STDMETHODCALLTYPE IPDFDoc::*)(Args...);
static_assert(std::is_same_v<decltype(&IPDFDoc::put_DefaultPageSize), TMember<TxPageSize>>,
              "a property of an enumeration type takes the header's enumeration");
static_assert(std::is_same_v<decltype(&IPDFDoc::get_Fill), TMember<VARIANT_BOOL*>>);
static_assert(std::is_same_v<decltype(&IPDFDoc::get_TextLineWidth), TMember<BSTR, double*>>);

// The 2 x 2 pixel 24-bit bitmap file of EarlyBound.cpp, at 72 pixels per inch.
VARIANT BitmapBytes() {
    const uint8_t file[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,
                            1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0,
                            0, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0};
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, sizeof file);
    std::memcpy(array->pvData, file, sizeof file);
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_ARRAY | VT_UI1;
    V_ARRAY(&v) = array;
    return v;
}

void TestIdentifiers() {
    Expect(IsEqualGUID(IID_IPDFDoc, kIID_IPDFDoc) && IsEqualGUID(DIID_IPDFDocEvents, kIID_IPDFDocEvents) &&
               IsEqualGUID(CLSID_PDFDoc, kCLSID_PDFDoc) && IsEqualGUID(LIBID_VellumarkX, kLibId),
           "header: IID_IPDFDoc, DIID_IPDFDocEvents, CLSID_PDFDoc and LIBID_VellumarkX are the control's");
    struct TNamed {
        const char16_t* name;
        int value;
    };
    const TNamed constants[] = {{u"cfGroup4", cfGroup4},   {u"cfZIP", cfZIP},
                                {u"psLetter_L", psLetter_L}, {u"psTabloid_P", psTabloid_P},
                                {u"umInches", umInches},     {u"umCentimeters", umCentimeters},
                                {u"taCenter", taCenter}};
    bool same = true;
    for (const TNamed& c : constants) same = same && FindEnumValue(c.name) == c.value;
    Expect(same, "header: the enumeration constants have the member table's values");
}

void TestMembers(IPDFDoc* pdf) {
    // Settings of the document and of new pages.
    TBStr title(L"Through the header");
    TBStr back;
    Expect(pdf->put_Title(title.Get()) == S_OK && pdf->get_Title(back.Put()) == S_OK &&
               Narrow(back.Get()) == "Through the header",
           "header: put_Title and get_Title");
    TxPageSize size = psCustom;
    Expect(pdf->put_DefaultPageSize(psLetter_L) == S_OK && pdf->get_DefaultPageSize(&size) == S_OK &&
               size == psLetter_L,
           "header: put_DefaultPageSize psLetter_L reads back");
    Expect(pdf->AddPage(0) == S_OK, "header: AddPage");
    double width = 0;
    Expect(pdf->get_PageSize(1, &size) == S_OK && size == psLetter_L && pdf->get_PageWidth(1, &width) == S_OK &&
               width == 792,
           "header: the new page is Letter landscape, 792 points wide");

    // A graphic with a circle and a rectangle, drawn on the page.
    LONG graphic = 0;
    Expect(pdf->CreateGraphic(&graphic) == S_OK && graphic == 1, "header: CreateGraphic gives resource 1");
    LONG lineWidth = 0;
    Expect(pdf->put_LineWidth(3) == S_OK && pdf->get_LineWidth(&lineWidth) == S_OK && lineWidth == 3,
           "header: put_LineWidth and get_LineWidth");
    VARIANT_BOOL fill = VARIANT_FALSE;
    Expect(pdf->put_Fill(VARIANT_TRUE) == S_OK && pdf->get_Fill(&fill) == S_OK && fill == VARIANT_TRUE,
           "header: put_Fill and get_Fill");
    Expect(pdf->Circle(300, 400, 50) == S_OK && pdf->Rectangle(100, 100, 200, 150) == S_OK,
           "header: Circle and Rectangle");
    LONG placed = 0;
    Expect(pdf->ApplyResource(1, graphic, &placed) == S_OK && placed == 1, "header: ApplyResource");

    // Text: a double property, and widths measured with a TrueType font.
    LONG text = 0;
    double maxWidth = 0;
    Expect(pdf->CreateText(&text) == S_OK && text == 2 && pdf->put_TextMaxWidth(200.5) == S_OK &&
               pdf->get_TextMaxWidth(&maxWidth) == S_OK && maxWidth == 200.5,
           "header: put_TextMaxWidth and get_TextMaxWidth");
    TBStr hello(L"Hello"), twice(L"HelloHello");
    double standard = -1;
    Expect(pdf->get_TextLineWidth(hello.Get(), &standard) == S_OK && standard == 0,
           "header: get_TextLineWidth is 0 with a standard font");
    TBStr fontFile(L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf");
    LONG font = 0;
    double one = 0, two = 0;
    Expect(pdf->AddFont(fontFile.Get(), &font) == S_OK && font > 0 && pdf->put_TextFont(font) == S_OK &&
               pdf->get_TextLineWidth(hello.Get(), &one) == S_OK &&
               pdf->get_TextLineWidth(twice.Get(), &two) == S_OK && one > 0 && std::fabs(two - 2 * one) < 1e-9,
           "header: get_TextLineWidth with a TrueType font, twice as wide for the text twice");

    // An image from bytes, and its width.
    VARIANT bytes = BitmapBytes();
    LONG image = 0;
    double imageWidth = 0;
    Expect(pdf->AddImageBytes(bytes, &image) == S_OK && image == 3 &&
               pdf->get_ImageWidth(image, &imageWidth) == S_OK && std::fabs(imageWidth - 2) < 0.01,
           "header: AddImageBytes and get_ImageWidth, 2 pixels at 72 per inch");
    VariantClear(&bytes);
    TxUnitsMeas units = umPoints;
    Expect(pdf->put_Units(umInches) == S_OK && pdf->get_Units(&units) == S_OK && units == umInches &&
               pdf->get_ImageWidth(image, &imageWidth) == S_OK && std::fabs(imageWidth - 2.0 / 72) < 0.001,
           "header: put_Units umInches, and the image width in inches");

    // A failed member.
    TBStr missing(L"Z:\\no\\such\\image.png");
    LONG result = 77;
    Expect(pdf->AddImageFile(missing.Get(), &result) == E_UNEXPECTED && result == 77,
           "header: AddImageFile of a missing file fails with E_UNEXPECTED, result untouched");
    TComPtr<IErrorInfo> error;
    TBStr description;
    if (GetErrorInfo(0, error.Put()) == S_OK && error) error->GetDescription(description.Put());
    Expect(Narrow(description.Get()) == "File not found", "header: the error description is \"File not found\"");

    // The dispatch side through the same interface pointer.
    LPOLESTR name = const_cast<LPOLESTR>(L"TextLineWidth");
    DISPID id = 0;
    Expect(pdf->GetIDsOfNames(IID_NULL, &name, 1, 1033, &id) == S_OK && id == 272,
           "header: GetIDsOfNames TextLineWidth is 272");
}

}  // namespace

void TestGeneratedHeader(IUnknown* doc) {
    TestIdentifiers();
    TComPtr<IPDFDoc> pdf;
    Expect(doc->QueryInterface(IID_IPDFDoc, reinterpret_cast<void**>(pdf.Put())) == S_OK && pdf,
           "header: QueryInterface for IPDFDoc");
    if (pdf) TestMembers(pdf.Get());

    // IPDFDoc2's own members, off by default, through the same object.
    TComPtr<IPDFDoc2> pdf2;
    Expect(doc->QueryInterface(IID_IPDFDoc2, reinterpret_cast<void**>(pdf2.Put())) == S_OK && pdf2,
           "header: QueryInterface for IPDFDoc2");
    if (!pdf2) return;
    VARIANT_BOOL unicode = VARIANT_TRUE, subset = VARIANT_TRUE;
    Expect(pdf2->get_UnicodeText(&unicode) == S_OK && unicode == VARIANT_FALSE &&
               pdf2->get_SubsetFonts(&subset) == S_OK && subset == VARIANT_FALSE,
           "header: UnicodeText and SubsetFonts are off on a new control");
    Expect(pdf2->put_UnicodeText(VARIANT_TRUE) == S_OK && pdf2->get_UnicodeText(&unicode) == S_OK &&
               unicode == VARIANT_TRUE && pdf2->put_SubsetFonts(VARIANT_TRUE) == S_OK &&
               pdf2->get_SubsetFonts(&subset) == S_OK && subset == VARIANT_TRUE,
           "header: put_UnicodeText and put_SubsetFonts read back");
    TBStr title;
    Expect(pdf2->get_Title(title.Put()) == S_OK, "header: IPDFDoc's members through IPDFDoc2");
}

}  // namespace vellumark::com::early
