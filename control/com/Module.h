// The module: its file, its type library, and the count of live objects and
// locks that decides when it may be unloaded.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace vellumark::com {

// The system's HRESULT, not the portable one of the automation layer.
using ::HRESULT;

// A control object was created or destroyed; a factory was referenced or
// released, locked or unlocked.
void ModuleAddRef() noexcept;
void ModuleRelease() noexcept;

// The module's handle, for its resources.
HMODULE ThisModule();

// The module's full path as the system loaded it.
std::wstring ModulePath();

// The type library embedded in the module (resource TYPELIB 1).
HRESULT LoadModuleTypeLib(ITypeLib** library) noexcept;

}  // namespace vellumark::com
