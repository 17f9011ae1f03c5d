// The settings file setting.ini beside the program: two byte-wide values in section "Pikuto".
#pragma once

#include <windows.h>

#include <optional>
#include <string>

inline constexpr wchar_t kSettingsFile[] = L"setting.ini";
inline constexpr wchar_t kSettingsSection[] = L"Pikuto";

// Narrows a stored value to a byte. No value (missing key) or an empty one gives the default;
// otherwise an optional sign and the leading decimal digits, none giving 0, clamped into 0..255
// (never wrapped, whatever the magnitude).
BYTE ParseSettingValue(const std::optional<std::wstring>& text, BYTE defaultValue);

// Reads one key of section "Pikuto" from the profile file at `path`.
BYTE ReadSetting(const std::wstring& path, const wchar_t* key, BYTE defaultValue);

// Writes one key as decimal text; creates the file and the section when missing.
bool WriteSetting(const std::wstring& path, const wchar_t* key, unsigned value);
