# Start-up, the settings file and the program directory rule.
pikuto_add_test(test_app DESKTOP SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_app.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/test_support.cpp LIBS pikuto_state)
add_dependencies(test_app Pikuto StandinBrowser)
