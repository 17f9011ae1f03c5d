// The settings file setting.ini beside the program: two byte-wide values in section "Pikuto".
#pragma once

#include <windows.h>

#include <string>

inline constexpr wchar_t kSettingsFile[] = L"setting.ini";
inline constexpr wchar_t kSettingsSection[] = L"Pikuto";

// Reads one key of section "Pikuto" from the profile file at `path`, narrowed to a byte.
BYTE ReadSetting(const std::wstring& path, const wchar_t* key, BYTE defaultValue);

// Writes one key as decimal text; creates the file and the section when missing.
bool WriteSetting(const std::wstring& path, const wchar_t* key, unsigned value);
