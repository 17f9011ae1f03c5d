// Formats the version without the C library's wide printf, which would pull its whole engine in.
#include "core/version_text.h"

namespace core {

namespace {
void AppendNumber(std::wstring& out, unsigned n) {
    wchar_t digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + n % 10);
        n /= 10;
    } while (n);
    while (count)
        out += digits[--count];
}
} // namespace

std::wstring VersionLine(const Version& v) {
    std::wstring line = L"Version: ";
    AppendNumber(line, v.major);
    line += L'.';
    AppendNumber(line, v.minor);
    line += L'.';
    AppendNumber(line, v.revision);
    return line;
}

} // namespace core
