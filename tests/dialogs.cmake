# The quality dialog, the About box, and the driver that works a running Pikuto from outside.
add_executable(PikutoDriver ${CMAKE_CURRENT_SOURCE_DIR}/driver/pikuto_driver.cpp ${CMAKE_CURRENT_SOURCE_DIR}/driver/dialog_driver.cpp)
target_link_libraries(PikutoDriver PRIVATE pikuto_options)
target_include_directories(PikutoDriver PRIVATE ${PROJECT_SOURCE_DIR})
set_target_properties(PikutoDriver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
if(NOT MSVC)
    target_link_options(PikutoDriver PRIVATE -municode)
endif()

# The resources are compiled in: the dialogs come from their templates, the About box reads the logo,
# cursor and version from its own module. DESKTOP: real keyboard and mouse input, and the real program.
pikuto_add_test(test_dialogs DESKTOP SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_dialogs.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/driver/dialog_driver.cpp ${CMAKE_CURRENT_SOURCE_DIR}/test_support.cpp ${PIKUTO_RC}
    LIBS pikuto_forms)
add_dependencies(test_dialogs Pikuto PikutoDriver)
