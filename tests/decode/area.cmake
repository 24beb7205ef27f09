# decode_tests: the decoder's line cutter and JSON text in-process, and the
# built starvane-decode run on inputs and on every shared receiver log.
set(DECODE_DIR ${CMAKE_SOURCE_DIR}/tools/decode)
target_sources(decode_tests PRIVATE ${DECODE_DIR}/LineCutter.cpp ${DECODE_DIR}/JsonOut.cpp)
target_include_directories(decode_tests PRIVATE ${DECODE_DIR})
target_compile_definitions(decode_tests PRIVATE STARVANE_DECODE_TOOL="$<TARGET_FILE:starvane-decode>")
add_dependencies(decode_tests starvane-decode)
