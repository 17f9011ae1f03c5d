// What the program knows about itself: its folder, its version, its resources, other instances.
#pragma once

#include <windows.h>

#include "core/version_text.h"

#include <string>
#include <vector>

namespace win32 {

inline constexpr wchar_t kAppTitle[] = L"Pikuto";

bool PrevInstance();                                          // another instance in this logon session
std::wstring AppPath();                                       // directory, backslash only at a drive root
std::wstring DirectoryOfModulePath(const std::wstring& path); // the rule above, for any module path
bool AppVersion(core::Version& version);                      // from the program's own version resource

// A custom resource of this module as bytes; empty when missing.
std::vector<BYTE> LoadResData(int id, const wchar_t* type);

} // namespace win32
