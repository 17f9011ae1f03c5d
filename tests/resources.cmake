pikuto_add_test(test_resources SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_resources.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/test_support.cpp LIBS pikuto_win32 version)
add_dependencies(test_resources Pikuto)
