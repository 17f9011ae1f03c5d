# The capture, the Save As dialog and the save command, against the stand-in browser, the real
# dialogs and the registered encoder component.
# Run as a script by the test below: every DLL that a binary imports is a KnownDLL, which Windows
# loads only from its own folder, so a DLL of the same name planted beside the program is never
# loaded. The KnownDLLs present on every 32-bit Windows from 7 to 11 (Windows 11 through WOW64).
# comctl32 is the one exception, for the program only: its manifest asks for Common Controls 6,
# which Windows resolves side by side, not from the program's folder.
if(CMAKE_SCRIPT_MODE_FILE)
    cmake_minimum_required(VERSION 3.25)
    set(known_dlls advapi32 clbcatq comdlg32 difxapi gdi32 imagehlp imm32 kernel32 msctf msvcrt normaliz nsi
        ole32 oleaut32 psapi rpcrt4 sechost setupapi shell32 shlwapi user32 wldap32 ws2_32)
    foreach(binary IN LISTS BINARIES)
        execute_process(COMMAND ${OBJDUMP} -p ${binary} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
        string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
        if(failed OR NOT imports)
            message(FATAL_ERROR "${binary}: no import table read")
        endif()
        list(TRANSFORM imports REPLACE "DLL Name: " "")
        set(allowed ${known_dlls})
        file(STRINGS ${binary} side_by_side REGEX "name=\"Microsoft\\.Windows\\.Common-Controls\"")
        if(binary MATCHES "\\.exe$" AND side_by_side)
            list(APPEND allowed comctl32)
        endif()
        foreach(import IN LISTS imports)
            string(REGEX REPLACE "\\.[dD][lL][lL]$" "" name "${import}")
            string(TOLOWER "${name}" name)
            if(NOT name IN_LIST allowed)
                message(FATAL_ERROR "${binary} imports ${import}, not a KnownDLL: a file of that name beside "
                    "the program would be loaded instead of the system's")
            endif()
        endforeach()
        # The sizes the release build promises (a linker map shows what each part costs).
        file(SIZE ${binary} size)
        if(binary MATCHES "\\.exe$" AND size GREATER 256000 OR binary MATCHES "\\.dll$" AND size GREATER 921600)
            message(FATAL_ERROR "${binary} is ${size} bytes, more than its limit")
        endif()
        message(STATUS "${binary}: ${size} bytes, ${imports}")
    endforeach()
    return()
endif()

pikuto_add_test(test_capture DESKTOP SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_capture.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/test_support.cpp LIBS pikuto_capture pikuto_tracking)
add_dependencies(test_capture StandinBrowser)

pikuto_add_test(test_save DESKTOP SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_save_command.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/driver/dialog_driver.cpp ${CMAKE_CURRENT_SOURCE_DIR}/test_support.cpp
    LIBS pikuto_capture pikuto_tracking)
target_compile_definitions(test_save PRIVATE PIKUTO_ENCODER_DLL="$<TARGET_FILE:PikutoEncoder>")
add_dependencies(test_save StandinBrowser PikutoEncoder)

add_test(NAME Binaries.ImportOnlySystemDlls COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP}
    "-DBINARIES=$<TARGET_FILE:Pikuto>;$<TARGET_FILE:PikutoEncoder>" -P ${CMAKE_CURRENT_LIST_FILE})
