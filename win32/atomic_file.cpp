// Temporary file plus MoveFileExW: the target is replaced only by a complete file.
#include "win32/atomic_file.h"

#include "core/version_text.h"
#include "win32/calls.h"
#include "win32/handles.h"

namespace {

HRESULT LastError() {
    DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.rfind(prefix, 0) == 0;
}

HRESULT WriteAll(HANDLE file, const void* data, size_t size) {
    auto* at = static_cast<const unsigned char*>(data);
    while (size > 0) {
        DWORD chunk = size > 0x40000000 ? 0x40000000 : DWORD(size);
        DWORD written = 0;
        if (!win32::calls.WriteFile(file, at, chunk, &written))
            return LastError();
        if (written == 0)
            return HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
        at += written;
        size -= written;
    }
    // The data must be on disk before the rename makes it the target.
    return FlushFileBuffers(file) ? S_OK : LastError();
}

HANDLE CreateNew(const std::wstring& path, DWORD disposition) {
    return win32::calls.CreateFile(path.c_str(), GENERIC_WRITE, 0, disposition);
}

// For a folder that takes no temporary file: only a target that did not exist is written directly
// (made new, so one that appeared meanwhile is never truncated), and removed again if that fails.
HRESULT WriteNewTarget(const std::wstring& target, const void* data, size_t size) {
    win32::FileHandle file{CreateNew(target, CREATE_NEW)};
    if (!file)
        return LastError();
    HRESULT hr = WriteAll(file.get(), data, size);
    file.reset();
    if (FAILED(hr))
        DeleteFileW(target.c_str());
    return hr;
}

} // namespace

std::wstring ToLongPath(const std::wstring& path) {
    if (StartsWith(path, L"\\\\?\\"))
        return path;
    DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return {};
    std::wstring full(length, L'\0');
    length = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return {};
    full.resize(length);
    if (StartsWith(full, L"\\\\.\\"))
        return full; // a device: no prefix applies
    if (StartsWith(full, L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

HRESULT WriteFileReplacing(const std::wstring& path, const void* data, size_t size) {
    if (path.empty() || (size > 0 && !data))
        return E_INVALIDARG;
    std::wstring target = ToLongPath(path);
    size_t slash = target.find_last_of(L'\\');
    if (target.empty() || slash == std::wstring::npos || slash + 1 == target.size())
        return E_INVALIDARG;
    // Windows refuses to replace a read-only file (or a folder); Wine's MoveFileExW replaces a
    // read-only one. Refuse it everywhere, before anything is written.
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return E_ACCESSDENIED;
    const bool targetExists = attributes != INVALID_FILE_ATTRIBUTES;

    // A short name, so a target that fits the usual limits still fits with it; the process id
    // and a counter keep two writers apart.
    std::wstring temp;
    win32::FileHandle file;
    for (unsigned attempt = 0; attempt < 16 && !file; ++attempt) {
        temp = target.substr(0, slash + 1) + L"~pk" + core::DecimalText(GetCurrentProcessId()) + L'-' +
               core::DecimalText((GetTickCount() + attempt) & 0xFFFF) + L".tmp";
        file.reset(CreateNew(temp, CREATE_NEW));
        if (!file && GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    if (!file) {
        // Writing an existing target in place could leave it half written: it stays as it is.
        HRESULT refused = LastError();
        return targetExists ? refused : WriteNewTarget(target, data, size);
    }

    HRESULT hr = WriteAll(file.get(), data, size);
    file.reset();
    if (SUCCEEDED(hr) &&
        !win32::calls.MoveFileEx(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        hr = LastError();
    if (FAILED(hr))
        DeleteFileW(temp.c_str());
    return hr;
}
