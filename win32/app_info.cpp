// The program's folder, version resource, custom resources and single-instance guard.
#include "win32/app_info.h"

#include "win32/handles.h"

#include <cstring>

namespace win32 {

bool PrevInstance() {
    // Held for the life of the process; "Local\" makes the guard per logon session.
    // The last error is read at once: the guard of a function-local static may change it.
    static KernelHandle mutex;
    static const bool existed = [] {
        mutex.reset(CreateMutexW(nullptr, FALSE, L"Local\\Pikuto.Instance"));
        // A guard made by a copy running as administrator cannot be opened by this one: Windows
        // then refuses with ERROR_ACCESS_DENIED, which means a copy is running too. (Wine checks no
        // access on named objects, so there the second copy always gets the handle.)
        return GetLastError() == (mutex ? ERROR_ALREADY_EXISTS : ERROR_ACCESS_DENIED);
    }();
    return existed;
}

std::wstring DirectoryOfModulePath(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return path;
    std::wstring directory = path.substr(0, slash);
    // "C:" alone names the current directory of the drive, not its root.
    if (directory.size() == 2 && directory[1] == L':')
        directory += L'\\';
    return directory;
}

std::wstring AppPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return L"";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return DirectoryOfModulePath(path);
}

bool AppVersion(core::Version& version) {
    // Read by hand rather than through version.dll, which is not a KnownDLL. The resource is a
    // VS_VERSIONINFO block: three WORDs (lengths and type), the key, padding to a 32-bit
    // boundary, then the VS_FIXEDFILEINFO.
    static constexpr wchar_t kKey[] = L"VS_VERSION_INFO";
    constexpr size_t kFixedOffset = (3 * sizeof(WORD) + sizeof(kKey) + 3) & ~size_t{3};
    const std::vector<BYTE> block = LoadResData(VS_VERSION_INFO, MAKEINTRESOURCEW(16) /* RT_VERSION */);
    VS_FIXEDFILEINFO fixed;
    WORD valueLength = 0;
    if (block.size() < kFixedOffset + sizeof(fixed) ||
        std::memcmp(block.data() + 3 * sizeof(WORD), kKey, sizeof(kKey)) != 0)
        return false;
    std::memcpy(&valueLength, block.data() + sizeof(WORD), sizeof(valueLength));
    std::memcpy(&fixed, block.data() + kFixedOffset, sizeof(fixed));
    if (valueLength < sizeof(fixed) || fixed.dwSignature != VS_FFI_SIGNATURE)
        return false;
    version = {HIWORD(fixed.dwFileVersionMS), LOWORD(fixed.dwFileVersionMS), HIWORD(fixed.dwFileVersionLS),
               LOWORD(fixed.dwFileVersionLS)};
    return true;
}

std::vector<BYTE> LoadResData(int id, const wchar_t* type) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data)
        return {};
    return std::vector<BYTE>(data, data + SizeofResource(nullptr, found));
}

} // namespace win32
