// The module's exports: the class factory of PDFDoc, the unload decision and
// the registration of the control.
#include "control/com/Module.h"

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <string>
#include <string_view>

#include "control/com/ComControl.h"
#include "control/com/ComUtil.h"
#include "control/com/Guids.h"

namespace vellumark::com {

namespace {

// Live control objects plus references to the factory and locks on it: the
// one count shared by every object of the module.
std::atomic<long> gModuleCount{0};

// The one class factory, created with the module. Its references count as
// module references; it is never freed.
class TClassFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        ModuleAddRef();
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override {
        ModuleRelease();
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return TComControl::Create(iid, object);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            ModuleAddRef();
        else
            ModuleRelease();
        return S_OK;
    }
};

TClassFactory gFactory;


// A path through GetShortPathNameW or GetLongPathNameW; the path unchanged
// when the system cannot give that form.
template <class F>
std::wstring PathForm(const std::wstring& path, F convert) {
    const DWORD needed = convert(path.c_str(), nullptr, 0);
    if (needed == 0) return path;
    std::wstring out(needed, L'\0');
    const DWORD written = convert(path.c_str(), out.data(), needed);
    if (written == 0 || written >= needed) return path;
    out.resize(written);
    return out;
}

std::wstring Directory(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// One registry entry: a key under HKEY_CLASSES_ROOT and, unless `data` is
// null, a string value (the default value when `name` is null).
struct TRegEntry {
    std::wstring key;
    const wchar_t* name;
    std::wstring data;
    bool hasValue;
};

bool WriteEntry(const TRegEntry& entry) {
    TRegKey key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, entry.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, key.Put(), nullptr) != ERROR_SUCCESS)
        return false;
    if (!entry.hasValue) return true;
    const auto bytes = static_cast<DWORD>((entry.data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.Get(), entry.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.data.c_str()),
                          bytes) == ERROR_SUCCESS;
}

constexpr SYSKIND kSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;

HRESULT Register() {
    const std::wstring path = ModulePath();
    if (path.empty()) return E_FAIL;
    const std::wstring longPath = PathForm(path, GetLongPathNameW);
    const std::wstring serverPath =
        longPath.find(L' ') != std::wstring::npos ? PathForm(longPath, GetShortPathNameW) : longPath;

    TComPtr<ITypeLib> library;
    if (FAILED(LoadTypeLibEx(longPath.c_str(), REGKIND_NONE, library.Put()))) return E_FAIL;
    std::wstring helpDir = Directory(longPath);
    if (FAILED(RegisterTypeLib(library.Get(), const_cast<LPOLESTR>(longPath.c_str()),
                               helpDir.empty() ? nullptr : helpDir.data())))
        return E_FAIL;

    const std::wstring clsid = std::wstring(L"CLSID\\") + kCLSIDText;
    const std::wstring progId = kProgIDText;
    const std::wstring version = std::to_wstring(kLibMajor) + L"." + std::to_wstring(kLibMinor);
    const TRegEntry entries[] = {
        {clsid, nullptr, kClassDescription, true},
        {clsid + L"\\InprocServer32", nullptr, serverPath, true},
        {clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment", true},
        {progId, nullptr, kClassDescription, true},
        {progId + L"\\Clsid", nullptr, kCLSIDText, true},
        {clsid + L"\\ProgID", nullptr, progId, true},
        {clsid + L"\\Version", nullptr, version, true},
        {clsid + L"\\TypeLib", nullptr, kLibIdText, true},
        {clsid + L"\\MiscStatus", nullptr, L"0", true},
        {clsid + L"\\MiscStatus\\1", nullptr, std::to_wstring(kMiscStatus), true},
        {clsid + L"\\ToolboxBitmap32", nullptr, longPath + L",1", true},
        {clsid + L"\\Control", nullptr, L"", false},
        {clsid + L"\\Verb", nullptr, L"", false},
        {clsid + L"\\Verb\\0", nullptr, std::wstring(kVerbName) + L",0,2", true},
    };
    for (const TRegEntry& entry : entries)
        if (!WriteEntry(entry)) return E_FAIL;
    return S_OK;
}

HRESULT Unregister() {
    if (FAILED(UnRegisterTypeLib(kLibId, kLibMajor, kLibMinor, kLibLcid, kSysKind))) return E_FAIL;
    const std::wstring clsid = std::wstring(L"CLSID\\") + kCLSIDText;
    const std::wstring progId = kProgIDText;
    const std::wstring keys[] = {
        clsid + L"\\Verb\\0",     clsid + L"\\Verb",     clsid + L"\\Control", clsid + L"\\ToolboxBitmap32",
        clsid + L"\\MiscStatus\\1", clsid + L"\\MiscStatus", clsid + L"\\TypeLib", clsid + L"\\Version",
        clsid + L"\\ProgID",      progId + L"\\Clsid",   progId,               clsid + L"\\InprocServer32",
        clsid,
    };
    for (const std::wstring& key : keys)
        if (RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str()) != ERROR_SUCCESS) return E_FAIL;
    return S_OK;
}

}  // namespace

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

void ModuleAddRef() noexcept { ++gModuleCount; }
void ModuleRelease() noexcept { --gModuleCount; }

std::wstring ModulePath() {
    HMODULE module = ThisModule();
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HRESULT LoadModuleTypeLib(ITypeLib** library) noexcept {
    if (!library) return E_POINTER;
    *library = nullptr;
    try {
        const std::wstring path = ModulePath();
        if (path.empty()) return E_FAIL;
        return LoadTypeLibEx(path.c_str(), REGKIND_NONE, library);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace vellumark::com

using namespace vellumark::com;

extern "C" {

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, kCLSID_PDFDoc)) return CLASS_E_CLASSNOTAVAILABLE;
    return gFactory.QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() { return gModuleCount.load() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    try {
        return Register();
    } catch (...) {
        return E_FAIL;
    }
}

STDAPI DllUnregisterServer() {
    try {
        return Unregister();
    } catch (...) {
        return E_FAIL;
    }
}

}  // extern "C"
