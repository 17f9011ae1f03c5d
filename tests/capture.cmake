# The capture, the Save As dialog and the save command, against the stand-in browser, the real
# dialogs and the registered encoder component.
# Run as a script by the test below: every DLL that a binary imports must come with Windows, so
# the program and the component run on a bare system.
if(CMAKE_SCRIPT_MODE_FILE)
    cmake_minimum_required(VERSION 3.25)
    set(system_dlls advapi32 comctl32 comdlg32 gdi32 kernel32 msvcrt ole32 oleaut32 shell32 shlwapi user32
        version winmm)
    foreach(binary IN LISTS BINARIES)
        execute_process(COMMAND ${OBJDUMP} -p ${binary} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
        string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
        if(failed OR NOT imports)
            message(FATAL_ERROR "${binary}: no import table read")
        endif()
        list(TRANSFORM imports REPLACE "DLL Name: " "")
        foreach(import IN LISTS imports)
            string(REGEX REPLACE "\\.[dD][lL][lL]$" "" name "${import}")
            string(TOLOWER "${name}" name)
            if(NOT name IN_LIST system_dlls)
                message(FATAL_ERROR "${binary} imports ${import}, which Windows does not bring")
            endif()
        endforeach()
        message(STATUS "${binary}: ${imports}")
    endforeach()
    return()
endif()

pikuto_add_test(test_capture DESKTOP SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_capture.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/test_support.cpp LIBS pikuto_capture pikuto_tracking)
add_dependencies(test_capture StandinBrowser)

pikuto_add_test(test_save DESKTOP SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_save_dialog.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/test_save_command.cpp ${CMAKE_CURRENT_SOURCE_DIR}/driver/dialog_driver.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/test_support.cpp ${PIKUTO_RC} LIBS pikuto_forms)
target_compile_definitions(test_save PRIVATE PIKUTO_ENCODER_DLL="$<TARGET_FILE:PikutoEncoder>")
add_dependencies(test_save StandinBrowser PikutoEncoder Pikuto PikutoDriver)

add_test(NAME Binaries.ImportOnlySystemDlls COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP}
    "-DBINARIES=$<TARGET_FILE:Pikuto>;$<TARGET_FILE:PikutoEncoder>" -P ${CMAKE_CURRENT_LIST_FILE})
