// Fuzzes the settings parser against the C library's own decimal reader: the first byte is the
// default, each further byte picks a character that matters to a number.
#include "core/settings_text.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    static const wchar_t alphabet[] = L" \t\n\v\f\r+-0123456789x\x1c\xa0.";
    std::wstring text;
    for (size_t i = 1; i < size; ++i)
        text += alphabet[data[i] % (std::size(alphabet) - 1)];
    // wcstol saturates at the range of long and, in the "C" locale, skips only the six ASCII spaces.
    long expected = text.empty() ? data[0] : std::clamp(std::wcstol(text.c_str(), nullptr, 10), 0L, 255L);
    if (core::ParseSettingValue(text, data[0]) != expected)
        std::abort();
    return 0;
}
