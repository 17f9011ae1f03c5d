# The image encoder component, its client, the atomic file writer and the BMP writer.
pikuto_add_test(test_encoder SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_encoder.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/test_support.cpp ${PROJECT_SOURCE_DIR}/encoder/encoder_object.cpp
    LIBS pikuto_capture pikuto_codecs)
target_compile_definitions(test_encoder PRIVATE PIKUTO_ENCODER_DLL="$<TARGET_FILE:PikutoEncoder>")
add_dependencies(test_encoder PikutoEncoder)
