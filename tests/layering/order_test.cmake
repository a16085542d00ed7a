# cmake -DROOT=<project root> -DWORK=<scratch folder> -P order_test.cmake
#
# Configures the two-layer project beside this file with DEPS that keep to
# the layer order and with DEPS that break it: the first must configure, the
# others must stop the configure step with a message that names the order.

cmake_minimum_required(VERSION 3.25)

# case: name; LOW_DEPS; HIGH_DEPS; expected ("ok" or a regular expression
# the failure's output must match)
set(cases
  "downward|dl|lf_low|ok"
  "upward|lf_high||lf_low may not depend on lf_high: .*the order is low < high"
  "itself||lf_high|lf_high may not depend on lf_high"
  "unknown||lf_ghost|lf_high may not depend on lf_ghost")

set(failures 0)
foreach(case ${cases})
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 name)
  list(GET fields 1 low)
  list(GET fields 2 high)
  list(GET fields 3 expected)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/project -B ${WORK}
      -DLUMENFOLD_ROOT=${ROOT} -DLOW_DEPS=${low} -DHIGH_DEPS=${high}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  string(REGEX REPLACE "[ \n]+" " " flat "${output}")
  if(expected STREQUAL "ok")
    if(result EQUAL 0)
      continue()
    endif()
  elseif(NOT result EQUAL 0 AND flat MATCHES "${expected}")
    continue()
  endif()
  message(NOTICE "layer order, ${name}: expected ${expected}, configure gave ${result}:\n${output}")
  math(EXPR failures "${failures} + 1")
endforeach()
if(failures GREATER 0)
  message(FATAL_ERROR "layer order: ${failures} case(s) failed")
endif()
