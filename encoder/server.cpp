// The in-process server: class factory, module count, exports and (un)registration.
#include "encoder/com_object.h"
#include "win32/encoder_ids.h"
#include "win32/handles.h"
#include "encoder/encoder_object.h"

#include <objbase.h>

#include <new>
#include <string>

namespace {

HINSTANCE g_module = nullptr;
LONG g_moduleRefs = 0;

struct ClassInfo {
    const CLSID* clsid;
    EncoderKind kind;
    const wchar_t* name;
    const wchar_t* progId;
};

constexpr ClassInfo kClasses[] = {
    {&CLSID_JpegEncoder, EncoderKind::Jpeg, L"Pikuto JpegEncoder", L"PikutoEncoder.JpegEncoder"},
    {&CLSID_PngEncoder, EncoderKind::Png, L"Pikuto PngEncoder", L"PikutoEncoder.PngEncoder"},
};

class ClassFactory final : public ComObject<IClassFactory> {
public:
    explicit ClassFactory(EncoderKind kind) : kind_(kind) {}

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return CreateEncoder(kind_, iid, object);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            ModuleAddRef();
        else
            ModuleRelease();
        return S_OK;
    }

private:
    bool Answers(REFIID iid) const override { return iid == IID_IClassFactory; }
    EncoderKind kind_;
};

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(g_module, path.data(), DWORD(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HRESULT SetValue(HKEY root, const std::wstring& subkey, const wchar_t* name, const std::wstring& value) {
    HKEY opened = nullptr;
    LSTATUS status = RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                                     &opened, nullptr);
    win32::RegKey key(opened);
    if (status == ERROR_SUCCESS)
        status = RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                DWORD((value.size() + 1) * sizeof(wchar_t)));
    return HRESULT_FROM_WIN32(status);
}

HRESULT DeleteTree(HKEY root, const std::wstring& subkey) {
    LSTATUS status = RegDeleteTreeW(root, subkey.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

// root is HKEY_LOCAL_MACHINE (every user) or HKEY_CURRENT_USER (this user, no administrator).
HRESULT Unregister(HKEY root) {
    HRESULT result = S_OK;
    for (const ClassInfo& info : kClasses) {
        HRESULT hr = DeleteTree(root, L"Software\\Classes\\CLSID\\" + GuidText(*info.clsid));
        if (FAILED(hr))
            result = hr;
        hr = DeleteTree(root, std::wstring(L"Software\\Classes\\") + info.progId);
        if (FAILED(hr))
            result = hr;
    }
    return result;
}

HRESULT Register(HKEY root) {
    std::wstring path = ModulePath();
    if (path.empty())
        return E_FAIL;
    HRESULT hr = S_OK;
    for (const ClassInfo& info : kClasses) {
        std::wstring clsid = GuidText(*info.clsid);
        std::wstring classKey = L"Software\\Classes\\CLSID\\" + clsid;
        std::wstring progIdKey = std::wstring(L"Software\\Classes\\") + info.progId;
        if (FAILED(hr = SetValue(root, classKey, nullptr, info.name)) ||
            FAILED(hr = SetValue(root, classKey + L"\\InprocServer32", nullptr, path)) ||
            FAILED(hr = SetValue(root, classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment")) ||
            FAILED(hr = SetValue(root, classKey + L"\\ProgID", nullptr, info.progId)) ||
            FAILED(hr = SetValue(root, progIdKey, nullptr, info.name)) ||
            FAILED(hr = SetValue(root, progIdKey + L"\\CLSID", nullptr, clsid)))
            break;
    }
    if (FAILED(hr))
        Unregister(root); // leave nothing half-registered
    return hr;
}

} // namespace

void ModuleAddRef() {
    InterlockedIncrement(&g_moduleRefs);
}
void ModuleRelease() {
    InterlockedDecrement(&g_moduleRefs);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    return g_moduleRefs == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    for (const ClassInfo& info : kClasses) {
        if (clsid == *info.clsid) {
            win32::ComPtr<ClassFactory> factory(new (std::nothrow) ClassFactory(info.kind));
            return factory ? factory->QueryInterface(iid, object) : E_OUTOFMEMORY;
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllRegisterServer() {
    try {
        return Register(HKEY_LOCAL_MACHINE);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDAPI DllUnregisterServer() {
    try {
        return Unregister(HKEY_LOCAL_MACHINE);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// regsvr32 /n /i:user registers for the current user only; /i or /i:machine for every user.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    HKEY root = nullptr;
    if (!commandLine || !*commandLine || CompareStringOrdinal(commandLine, -1, L"machine", -1, TRUE) == CSTR_EQUAL)
        root = HKEY_LOCAL_MACHINE;
    else if (CompareStringOrdinal(commandLine, -1, L"user", -1, TRUE) == CSTR_EQUAL)
        root = HKEY_CURRENT_USER;
    else
        return E_INVALIDARG;
    try {
        return install ? Register(root) : Unregister(root);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
