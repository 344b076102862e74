// The identifiers of the control's type library, interfaces and class, and
// the facts about the class that its registration states.
#pragma once

#include <windows.h>

namespace vellumark::com {

// {E29C4F99-D821-46DD-AFAD-277E33F52812}
inline constexpr GUID kLibId = {0xE29C4F99, 0xD821, 0x46DD, {0xAF, 0xAD, 0x27, 0x7E, 0x33, 0xF5, 0x28, 0x12}};
// {D2E997D2-4E0C-432C-9F7B-6C62201D75CA}
inline constexpr GUID kIID_IPDFDoc = {0xD2E997D2, 0x4E0C, 0x432C, {0x9F, 0x7B, 0x6C, 0x62, 0x20, 0x1D, 0x75, 0xCA}};
// {01C86105-3461-444B-936C-8F27C3370EF5}: IPDFDoc's members and then its own;
// the control's default interface.
inline constexpr GUID kIID_IPDFDoc2 = {0x01C86105, 0x3461, 0x444B, {0x93, 0x6C, 0x8F, 0x27, 0xC3, 0x37, 0x0E, 0xF5}};
// {D5B6374A-7816-4EE4-9569-3370DC965C5A}
inline constexpr GUID kIID_IPDFDocEvents = {0xD5B6374A, 0x7816, 0x4EE4, {0x95, 0x69, 0x33, 0x70, 0xDC, 0x96, 0x5C, 0x5A}};
// {628DB55E-78CB-46D6-99C9-F65EC47FE138}
inline constexpr GUID kCLSID_PDFDoc = {0x628DB55E, 0x78CB, 0x46D6, {0x99, 0xC9, 0xF6, 0x5E, 0xC4, 0x7F, 0xE1, 0x38}};

inline constexpr wchar_t kCLSIDText[] = L"{628DB55E-78CB-46D6-99C9-F65EC47FE138}";
inline constexpr wchar_t kLibIdText[] = L"{E29C4F99-D821-46DD-AFAD-277E33F52812}";
inline constexpr wchar_t kProgIDText[] = L"VellumarkX.PDFDoc";
inline constexpr wchar_t kClassDescription[] = L"PDFDoc Control";

// The miscellaneous status: OLEMISC_SETCLIENTSITEFIRST, ACTIVATEWHENVISIBLE,
// INSIDEOUT, CANTLINKINSIDE and RECOMPOSEONRESIZE.
inline constexpr DWORD kMiscStatus = 0x20191;

// The one verb: number 0, the primary verb, on the container's menu
// (menu flags 0, attributes OLEVERBATTRIB_ONCONTAINERMENU).
inline constexpr wchar_t kVerbName[] = L"Properties";

// Type library version and locale.
inline constexpr WORD kLibMajor = 2;
inline constexpr WORD kLibMinor = 3;
inline constexpr LCID kLibLcid = 1033;

}  // namespace vellumark::com
