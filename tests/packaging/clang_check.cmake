# Run as a script by the test in tests/packaging.cmake: every product source compiled a second time,
# with clang for the same 32-bit MinGW target, against only the MinGW-w64 headers and their
# libstdc++ (never the host's /usr/include), warnings as errors, so the code is tied to no compiler.
cmake_minimum_required(VERSION 3.25)
file(GLOB gcc_dirs /usr/lib/gcc/i686-w64-mingw32/*-posix)
list(SORT gcc_dirs COMPARE NATURAL)
list(POP_BACK gcc_dirs gcc)
set(cxx ${gcc}/include/c++)
set(flags --target=i686-w64-mingw32 -fsyntax-only -std=c++20 -Wall -Wextra -pedantic-errors -Werror
    -nostdinc++ -nostdlibinc -isystem ${cxx} -isystem ${cxx}/i686-w64-mingw32 -isystem ${cxx}/backward
    -isystem /usr/i686-w64-mingw32/include -I${TOP})
foreach(dir IN LISTS CODEC_INCLUDES)
    list(APPEND flags -isystem ${dir})
endforeach()
foreach(definition IN LISTS DEFINES)
    list(APPEND flags -D${definition})
endforeach()

execute_process(COMMAND ${CLANG} ${flags} -v -x c++ /dev/null ERROR_VARIABLE search RESULT_VARIABLE failed)
string(REGEX MATCH "search starts here:\n(.*)End of search list" search "${search}")
if(failed OR NOT gcc OR search MATCHES "(^|\n) /usr/include[/\n]")
    message(FATAL_ERROR "clang searches the host's headers, or found no MinGW libstdc++:\n${search}")
endif()

file(GLOB sources LIST_DIRECTORIES false
    ${TOP}/core/*.cpp ${TOP}/win32/*.cpp ${TOP}/state/*.cpp ${TOP}/tracking/*.cpp ${TOP}/capture/*.cpp
    ${TOP}/forms/*.cpp ${TOP}/app/*.cpp ${TOP}/encoder/*.cpp)
set(broken "")
foreach(source IN LISTS sources)
    execute_process(COMMAND ${CLANG} ${flags} ${source} RESULT_VARIABLE failed ERROR_VARIABLE errors)
    if(failed)
        string(APPEND broken "${errors}")
    endif()
endforeach()
list(LENGTH sources count)
if(broken OR count LESS 20)
    message(FATAL_ERROR "clang on ${count} sources:\n${broken}")
endif()
message(STATUS "clang compiles all ${count} product sources without a warning")
