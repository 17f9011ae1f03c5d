# The capture, the Save As dialog and the save command, against the stand-in browser, the real
# dialogs and the registered encoder component.
set(capture_test_sources ${CMAKE_CURRENT_SOURCE_DIR}/test_capture_support.cpp ${CMAKE_CURRENT_SOURCE_DIR}/test_support.cpp)
pikuto_add_test(test_capture DESKTOP SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_capture.cpp ${capture_test_sources})
add_dependencies(test_capture StandinBrowser)

pikuto_add_test(test_save DESKTOP SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_save_dialog.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/test_save_command.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/test_save_support.cpp ${CMAKE_CURRENT_SOURCE_DIR}/driver/dialog_driver.cpp
    ${capture_test_sources} ${PIKUTO_RC})
target_include_directories(test_save PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(test_save PRIVATE PIKUTO_ENCODER_DLL="$<TARGET_FILE:PikutoEncoder>")
add_dependencies(test_save StandinBrowser PikutoEncoder)
