// DLLs that are not KnownDLLs, loaded from the system folder only: a file of the same name beside
// the program (DLL planting) is never picked up.
#pragma once

#include <windows.h>

namespace win32 {

// Limits the process's DLL search to the system folder. Called first thing at start-up; static
// imports are resolved before it, which is why the program imports only KnownDLLs.
void RestrictDllSearchToSystem();

// The module from the system folder (each call adds a reference: keep what it returns); nullptr
// when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

// A function of a system DLL, nullptr when the DLL or the function is missing. The DLL stays loaded.
template <typename Function> Function SystemFunction(const wchar_t* dll, const char* name) {
    const HMODULE module = LoadSystemLibrary(dll);
    const FARPROC proc = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

} // namespace win32
