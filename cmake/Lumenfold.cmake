# Build conventions shared by every folder: one static library per folder,
# the project root as the only include root ("core/report.h"), common warnings,
# and the sanitizers for the test builds.
#
# The DEPS of each library, test suite and tool are the layering: the
# `layering` test (cmake/Layering.cmake) fails when a file includes a header
# of a library its target does not depend on.

set(LUMENFOLD_WARNINGS -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)

if(LUMENFOLD_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(LUMENFOLD_SANITIZE_UNDEFINED)
  add_compile_options(-fsanitize=undefined -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=undefined)
endif()

# lumenfold_layered(target path...)
# Lists the target for the layering check with the folders (every .h, .cpp
# and .c directly in them) or files, relative to the project root, whose
# includes its dependencies must cover.
function(lumenfold_layered target)
  set_property(TARGET ${target} PROPERTY LUMENFOLD_LAYER_PATHS ${ARGN})
  set_property(GLOBAL APPEND PROPERTY LUMENFOLD_LAYERED_TARGETS ${target})
endfunction()

# lumenfold_check_layer_order(name deps...)
# Stops the configure step when lf_<name> is no layer of LUMENFOLD_LAYERS
# (the ordered folders of the top CMakeLists.txt, lowest first) or when one
# of its project libraries (lf_*) is not below it. Outside libraries are not
# layers and pass.
function(lumenfold_check_layer_order name)
  list(TRANSFORM LUMENFOLD_LAYERS REPLACE "^.*/" "" OUTPUT_VARIABLE layers)
  string(REPLACE ";" " < " order "${layers}")
  list(FIND layers ${name} own)
  if(own EQUAL -1)
    message(FATAL_ERROR "lf_${name} is no layer: add its folder to LUMENFOLD_LAYERS (lowest first: ${order})")
  endif()
  foreach(dep ${ARGN})
    if(NOT dep MATCHES "^lf_(.+)$")
      continue()
    endif()
    list(FIND layers ${CMAKE_MATCH_1} position)
    if(position EQUAL -1 OR position GREATER_EQUAL own)
      message(FATAL_ERROR "lf_${name} may not depend on ${dep}: a layer uses only the layers below it, "
                          "and the order is ${order}")
    endif()
  endforeach()
endfunction()

# lumenfold_library(name [DEPS lib...] [SOURCES_DIR dir])
# Builds every .cpp of the folder into the static library lf_<name>, whose
# project DEPS must be layers below it (lumenfold_check_layer_order).
function(lumenfold_library name)
  cmake_parse_arguments(ARG "" "SOURCES_DIR" "DEPS;PACKAGES" ${ARGN})
  lumenfold_check_layer_order(${name} ${ARG_DEPS})
  if(NOT ARG_SOURCES_DIR)
    set(ARG_SOURCES_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${ARG_SOURCES_DIR}/*.cpp ${ARG_SOURCES_DIR}/*.c)
  add_library(lf_${name} STATIC ${sources})
  target_include_directories(lf_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(lf_${name} PRIVATE ${LUMENFOLD_WARNINGS})
  target_link_libraries(lf_${name} PUBLIC ${ARG_DEPS})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${ARG_SOURCES_DIR})
  lumenfold_layered(lf_${name} ${folder})
endfunction()

# lumenfold_test_suite(layer DEPS lib...)
# One GoogleTest program per layer from tests/<layer>/*.cpp, each case a CTest
# test labelled with the layer (and "security" for the security tests).
function(lumenfold_test_suite layer)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${layer} ${sources})
  target_compile_options(test_${layer} PRIVATE ${LUMENFOLD_WARNINGS})
  target_link_libraries(test_${layer} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(test_${layer} PRIVATE
    LUMENFOLD_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/${layer}/data"
    LUMENFOLD_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    LUMENFOLD_TOOLS_DIR="${PROJECT_BINARY_DIR}/tools")
  gtest_discover_tests(test_${layer}
    PROPERTIES LABELS ${layer}
    TEST_LIST test_${layer}_TESTS
    DISCOVERY_TIMEOUT 120)
  # Tests named for security (a suite or case with "Security" in its name)
  # also carry the label "security", so that "ctest -L security" runs the
  # trust-boundary tests of every layer. CTest reads this file after the
  # discovered tests.
  set(security_labels ${CMAKE_CURRENT_BINARY_DIR}/test_${layer}_security_labels.cmake)
  file(WRITE ${security_labels}
    "foreach(test IN LISTS test_${layer}_TESTS)\n"
    "  if(test MATCHES \"Security\")\n"
    "    set_tests_properties(\"\${test}\" PROPERTIES LABELS \"${layer};security\")\n"
    "  endif()\n"
    "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${security_labels})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${layer})
  lumenfold_layered(test_${layer} ${folder})
endfunction()

# lumenfold_module(name SOURCE file LOADED_BY lib [LINKS item...])
# Builds the run-time module <name>.so into ${PROJECT_BINARY_DIR}/lib, where
# every program finds it through "../lib" (platform/ownmodule.h), from one
# source that links the large libraries LINKS so that the library LOADED_BY
# and the programs do not. The module includes the headers of LOADED_BY for
# the table it hands over but never links it (that would be a second copy of
# its state): every symbol it uses must come from LINKS, which the linker
# checks. LOADED_BY depends on the module, so that building any program
# builds it too.
function(lumenfold_module name)
  cmake_parse_arguments(ARG "" "SOURCE;LOADED_BY" "LINKS" ${ARGN})
  set(target module_${name})
  add_library(${target} MODULE ${ARG_SOURCE})
  set_target_properties(${target} PROPERTIES
    PREFIX "" OUTPUT_NAME ${name}
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/lib
    LUMENFOLD_HEADERS_OF ${ARG_LOADED_BY})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${target} PRIVATE ${LUMENFOLD_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_LINKS})
  if(NOT LUMENFOLD_FUZZ)  # clang leaves the sanitizers' symbols to the program
    target_link_options(${target} PRIVATE LINKER:--no-undefined)
  endif()
  add_dependencies(${ARG_LOADED_BY} ${target})
  file(RELATIVE_PATH source ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_SOURCE})
  lumenfold_layered(${target} ${source})
endfunction()
