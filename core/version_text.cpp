// Numbers formatted by hand: the C library's wide printf (behind std::to_wstring too) would pull
// its whole engine into the program.
#include "core/version_text.h"

namespace core {

std::wstring DecimalText(unsigned value, int minDigits) {
    wchar_t digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value);
    std::wstring text(minDigits > count ? size_t(minDigits - count) : 0, L'0');
    while (count)
        text += digits[--count];
    return text;
}

std::wstring VersionLine(const Version& v) {
    return L"Version: " + DecimalText(v.major) + L'.' + DecimalText(v.minor) + L'.' + DecimalText(v.revision);
}

} // namespace core
