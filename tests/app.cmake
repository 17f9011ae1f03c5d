# Start-up, settings and the camera window.
pikuto_add_test(test_app SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_app.cpp)
pikuto_add_test(test_camera_window DESKTOP SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_camera_window.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/test_support.cpp ${PIKUTO_RC})
add_dependencies(test_camera_window Pikuto)
