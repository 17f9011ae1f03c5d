# The applet finder and the tracking tick, against the stand-in browser.
add_executable(StandinBrowser WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/standin/standin.cpp)
target_link_libraries(StandinBrowser PRIVATE pikuto_options user32 gdi32 shell32)

pikuto_add_test(test_tracking DESKTOP SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_tracking.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/test_support.cpp LIBS pikuto_tracking)
add_dependencies(test_tracking StandinBrowser)
