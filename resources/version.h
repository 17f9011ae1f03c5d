// The program's version and publisher: the one place they are written down. Feeds the version
// resources of both binaries, which the program reads back at run time, and the packages
// (scripts/package.sh), whose version is major.minor.revision: Windows Installer compares only
// three fields.
#pragma once

#define PIKUTO_VERSION_MAJOR 1
#define PIKUTO_VERSION_MINOR 0
#define PIKUTO_VERSION_BUILD 0
#define PIKUTO_VERSION_REVISION 1

#define PIKUTO_COMPANY_NAME "The Pikuto Developers"

#define PIKUTO_STRINGIFY2(x) #x
#define PIKUTO_STRINGIFY(x) PIKUTO_STRINGIFY2(x)
#define PIKUTO_VERSION_TEXT                                                                                        \
    PIKUTO_STRINGIFY(PIKUTO_VERSION_MAJOR)                                                                         \
    "." PIKUTO_STRINGIFY(PIKUTO_VERSION_MINOR) "." PIKUTO_STRINGIFY(PIKUTO_VERSION_BUILD) "." PIKUTO_STRINGIFY(    \
        PIKUTO_VERSION_REVISION)
