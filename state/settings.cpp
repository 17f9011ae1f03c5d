// Reading and writing setting.ini through the profile API; the narrowing rules live in the core.
#include "state/settings.h"

#include "core/settings_text.h"
#include "core/version_text.h"

BYTE ReadSetting(const std::wstring& path, const wchar_t* key, BYTE defaultValue) {
    // Two calls' worth of defaults in one: a value no file holds tells a missing key from a present one.
    wchar_t buffer[4096] = {};
    DWORD length = GetPrivateProfileStringW(kSettingsSection, key, L"\x01", buffer, 4096, path.c_str());
    if (length == 1 && buffer[0] == L'\x01')
        return core::ParseSettingValue(std::nullopt, defaultValue);
    return core::ParseSettingValue(std::wstring_view(buffer, length), defaultValue);
}

bool WriteSetting(const std::wstring& path, const wchar_t* key, unsigned value) {
    return WritePrivateProfileStringW(kSettingsSection, key, core::DecimalText(value).c_str(), path.c_str()) != FALSE;
}
