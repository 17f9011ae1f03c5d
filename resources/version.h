// The program's version: the one place it is written down. Feeds the version resource,
// which the program reads back at run time.
#pragma once

#define PIKUTO_VERSION_MAJOR 1
#define PIKUTO_VERSION_MINOR 0
#define PIKUTO_VERSION_BUILD 0
#define PIKUTO_VERSION_REVISION 1

#define PIKUTO_STRINGIFY2(x) #x
#define PIKUTO_STRINGIFY(x) PIKUTO_STRINGIFY2(x)
#define PIKUTO_VERSION_TEXT                                                                                        \
    PIKUTO_STRINGIFY(PIKUTO_VERSION_MAJOR)                                                                         \
    "." PIKUTO_STRINGIFY(PIKUTO_VERSION_MINOR) "." PIKUTO_STRINGIFY(PIKUTO_VERSION_BUILD) "." PIKUTO_STRINGIFY(    \
        PIKUTO_VERSION_REVISION)
