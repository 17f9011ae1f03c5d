// The settings file's text values narrowed to bytes, and how the quality dialog shows them.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace core {

inline constexpr uint8_t kDefaultQuality = 100;
inline constexpr uint8_t kDefaultShow = 0;
inline constexpr int kQualityMin = 1, kQualityMax = 100;

// No value (missing key) or an empty one gives the default; otherwise leading white space, an
// optional sign and the leading decimal digits, none giving 0, clamped into 0..255 (never wrapped,
// whatever the magnitude). Hexadecimal is not read.
uint8_t ParseSettingValue(std::optional<std::wstring_view> text, uint8_t defaultValue);

// The scroll bar's value for a stored quality: a hand-edited value outside 1..100 shows clamped.
int QualityForDisplay(uint8_t stored);

// The check box's state for a stored "Show": 0 unticked, 2 indeterminate, anything else ticked.
int ShowStateForDisplay(uint8_t stored);

// The quality dialog is skipped before a JPEG save for any nonzero "Show".
inline bool SkipsQualityDialog(uint8_t hideDialog) {
    return hideDialog != 0;
}

} // namespace core
