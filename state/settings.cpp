// Reading and writing setting.ini through the profile API; the narrowing rules live in the core.
#include "state/settings.h"

#include "core/settings_text.h"

BYTE ReadSetting(const std::wstring& path, const wchar_t* key, BYTE defaultValue) {
    // Two calls' worth of defaults in one: a value no file holds tells a missing key from a present one.
    wchar_t buffer[4096] = {};
    DWORD length = GetPrivateProfileStringW(kSettingsSection, key, L"\x01", buffer, 4096, path.c_str());
    if (length == 1 && buffer[0] == L'\x01')
        return core::ParseSettingValue(std::nullopt, defaultValue);
    return core::ParseSettingValue(std::wstring_view(buffer, length), defaultValue);
}

bool WriteSetting(const std::wstring& path, const wchar_t* key, unsigned value) {
    wchar_t text[4] = {};
    int at = 3;
    value = value > 255 ? 255 : value; // settings are bytes
    do
        text[--at] = static_cast<wchar_t>(L'0' + value % 10);
    while ((value /= 10) && at > 0);
    return WritePrivateProfileStringW(kSettingsSection, key, text + at, path.c_str()) != FALSE;
}
