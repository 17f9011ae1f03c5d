# The driver that works a running Pikuto from outside, for the demo and the tests.
add_executable(PikutoDriver ${CMAKE_CURRENT_SOURCE_DIR}/driver/pikuto_driver.cpp ${CMAKE_CURRENT_SOURCE_DIR}/driver/dialog_driver.cpp)
target_link_libraries(PikutoDriver PRIVATE pikuto_options)
target_include_directories(PikutoDriver PRIVATE ${PROJECT_SOURCE_DIR})
set_target_properties(PikutoDriver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
if(NOT MSVC)
    target_link_options(PikutoDriver PRIVATE -municode)
endif()

# The program: the camera window and its dialogs in this process, with the resources compiled in as the
# program has them (the templates, pictures, cursor and version read from the module), and the
# real program driven from outside. DESKTOP: real keyboard and mouse input, and the real program.
pikuto_add_test(test_app DESKTOP SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_app.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/driver/dialog_driver.cpp ${CMAKE_CURRENT_SOURCE_DIR}/test_support.cpp ${PIKUTO_RC}
    LIBS pikuto_forms)
add_dependencies(test_app Pikuto PikutoDriver StandinBrowser)
