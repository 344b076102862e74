// HRESULT values and dispatch flags of the automation layer, portable.
#pragma once

#include <cstdint>

namespace vellumark {

using HRESULT = int32_t;

namespace hr {
constexpr HRESULT kOk = 0;
constexpr HRESULT kFalse = 1;
constexpr HRESULT kUnexpected = static_cast<HRESULT>(0x8000FFFFu);       // E_UNEXPECTED
constexpr HRESULT kPointer = static_cast<HRESULT>(0x80004003u);          // E_POINTER
constexpr HRESULT kMemberNotFound = static_cast<HRESULT>(0x80020003u);   // DISP_E_MEMBERNOTFOUND
constexpr HRESULT kTypeMismatch = static_cast<HRESULT>(0x80020005u);     // DISP_E_TYPEMISMATCH
constexpr HRESULT kUnknownName = static_cast<HRESULT>(0x80020006u);      // DISP_E_UNKNOWNNAME
constexpr HRESULT kException = static_cast<HRESULT>(0x80020009u);        // DISP_E_EXCEPTION
constexpr HRESULT kOverflow = static_cast<HRESULT>(0x8002000Au);         // DISP_E_OVERFLOW
constexpr HRESULT kBadParamCount = static_cast<HRESULT>(0x8002000Eu);    // DISP_E_BADPARAMCOUNT
constexpr HRESULT kParamNotOptional = static_cast<HRESULT>(0x8002000Fu); // DISP_E_PARAMNOTOPTIONAL
}  // namespace hr

// IDispatch::Invoke flags.
enum TDispatchFlags : uint16_t {
    dfMethod = 1,
    dfPropertyGet = 2,
    dfPropertyPut = 4,
    dfPropertyPutRef = 8,
};

// Interface ids of IPDFDoc and IPDFDoc2, and the control's ProgID.
inline constexpr const char* kIID_IPDFDoc = "{D2E997D2-4E0C-432C-9F7B-6C62201D75CA}";
inline constexpr const char* kIID_IPDFDoc2 = "{01C86105-3461-444B-936C-8F27C3370EF5}";
inline constexpr const char16_t* kProgID = u"VellumarkX.PDFDoc";

}  // namespace vellumark
