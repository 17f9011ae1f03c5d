// Reading and writing setting.ini. Values are read as text and parsed here, because the
// profile API's own integer reader wraps large numbers instead of clamping them.
#include "app/settings.h"

#include <cwctype>

BYTE ParseSettingValue(const std::optional<std::wstring>& text, BYTE defaultValue) {
    if (!text || text->empty())
        return defaultValue;
    const std::wstring& s = *text;
    size_t i = 0;
    while (i < s.size() && std::iswspace(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-'))
        negative = s[i++] == L'-';
    unsigned value = 0;
    for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i) {
        value = value * 10 + static_cast<unsigned>(s[i] - L'0');
        if (value > 255)
            value = 256; // saturate: only "above 255" matters from here on
    }
    if (negative)
        return 0;
    return static_cast<BYTE>(value > 255 ? 255 : value);
}

BYTE ReadSetting(const std::wstring& path, const wchar_t* key, BYTE defaultValue) {
    // Two calls with different defaults tell a missing key from a present one, whatever it holds.
    wchar_t buffer[4096] = {};
    DWORD length = GetPrivateProfileStringW(kSettingsSection, key, L"\x01", buffer, 4096, path.c_str());
    if (length == 1 && buffer[0] == L'\x01')
        return ParseSettingValue(std::nullopt, defaultValue);
    return ParseSettingValue(std::wstring(buffer, length), defaultValue);
}

bool WriteSetting(const std::wstring& path, const wchar_t* key, unsigned value) {
    return WritePrivateProfileStringW(kSettingsSection, key, std::to_wstring(value).c_str(), path.c_str()) != FALSE;
}
