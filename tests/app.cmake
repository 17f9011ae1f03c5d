# Start-up, the settings file and the program directory rule.
pikuto_add_test(test_app DESKTOP SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_app.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/test_support.cpp LIBS pikuto_state)
add_dependencies(test_app Pikuto StandinBrowser)
# The camera window in this process, pressed with the real mouse.
pikuto_add_test(test_camera_window DESKTOP SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_camera_window.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/test_support.cpp ${PIKUTO_RC} LIBS pikuto_forms)
add_dependencies(test_camera_window Pikuto)
