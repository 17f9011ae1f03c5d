// Numbers as text, and the version line of the About box.
#pragma once

#include <string>

namespace core {

struct Version {
    unsigned major = 0, minor = 0, build = 0, revision = 0;
};

// The decimal digits of a number, zero-padded to at least minDigits.
std::wstring DecimalText(unsigned value, int minDigits = 1);

// "Version: " and major.minor.revision; the build number is not shown.
std::wstring VersionLine(const Version& version);

} // namespace core
