pikuto_add_test(test_resources SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_resources.cpp)
