// Parsing settings by hand: the profile API's own integer reader wraps large numbers instead of
// clamping them.
#include "core/settings_text.h"

#include <algorithm>

namespace core {

namespace {
// The white space the profile API leaves in a value (it trims only around the whole value).
bool IsSpace(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}
} // namespace

uint8_t ParseSettingValue(std::optional<std::wstring_view> text, uint8_t defaultValue) {
    if (!text || text->empty())
        return defaultValue;
    std::wstring_view s = *text;
    size_t i = 0;
    while (i < s.size() && IsSpace(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-'))
        negative = s[i++] == L'-';
    unsigned value = 0;
    for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i)
        value = std::min(value * 10 + static_cast<unsigned>(s[i] - L'0'), 256u); // only "above 255" matters
    if (negative)
        return 0;
    return static_cast<uint8_t>(std::min(value, 255u));
}

int QualityForDisplay(uint8_t stored) {
    return std::clamp<int>(stored, kQualityMin, kQualityMax);
}

int ShowStateForDisplay(uint8_t stored) {
    return stored <= 2 ? stored : 1;
}

} // namespace core
