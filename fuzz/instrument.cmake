# The fuzzing build: every library instrumented for libFuzzer's coverage and
# checked by the address and undefined-behaviour sanitizers. The harnesses
# alone link libFuzzer's main (fuzz/CMakeLists.txt).
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "LUMENFOLD_FUZZ needs clang++ (use the \"fuzz\" preset)")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
