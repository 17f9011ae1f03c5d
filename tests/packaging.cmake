# The Windows packages: scripts/package.sh builds them, the checks read their tables and files,
# and install them and run the zip's scripts under Wine. Also every product source compiled a
# second time, with clang.
set(scripts ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
add_test(NAME Package.Build COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/package.sh ${CMAKE_BINARY_DIR})
add_test(NAME Package.Contents COMMAND bash ${scripts}/contents.sh ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR}/package)
add_test(NAME Package.InstallUnderWine COMMAND bash ${scripts}/install_under_wine.sh ${CMAKE_BINARY_DIR})
add_test(NAME Package.ZipScriptsUnderWine COMMAND bash ${scripts}/zip_scripts.sh ${CMAKE_BINARY_DIR}/package)
set_tests_properties(Package.Build PROPERTIES FIXTURES_SETUP packages)
set_tests_properties(Package.Contents Package.InstallUnderWine Package.ZipScriptsUnderWine PROPERTIES
    FIXTURES_REQUIRED packages)
# It starts the installed program against the stand-in browser, and changes the machine's classes.
set_tests_properties(Package.InstallUnderWine PROPERTIES RESOURCE_LOCK desktop TIMEOUT 300)

find_program(PIKUTO_CLANG NAMES clang-14 clang)
add_test(NAME Clang.ProductSourcesCompile COMMAND ${CMAKE_COMMAND} -DTOP=${PROJECT_SOURCE_DIR} -DCLANG=${PIKUTO_CLANG}
    "-DDEFINES=$<TARGET_PROPERTY:pikuto_options,INTERFACE_COMPILE_DEFINITIONS>"
    "-DCODEC_INCLUDES=${PIKUTO_JPEG_INCLUDE_DIR};${PIKUTO_PNG_INCLUDE_DIR};${PIKUTO_ZLIB_INCLUDE_DIR}"
    -P ${scripts}/clang_check.cmake)
