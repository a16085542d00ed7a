# The layering test: the libraries each target may include headers of are the
# libraries it links, directly or through their public dependencies, as the
# CMake files declare them. At configure time this writes every layered
# target's files and reachable libraries to layering.cmake in the build tree;
# the test runs cmake/check_layering.cmake over the sources with it.

# Targets reachable from the link items, following each target's public
# (interface) links; the private links of static libraries ($<LINK_ONLY:>)
# give no right to include and are not followed.
function(lumenfold_reachable_targets out)
  set(queue ${ARGN})
  set(found)
  while(queue)
    list(POP_FRONT queue item)
    if(item MATCHES "^\\$<LINK_ONLY:" OR NOT TARGET "${item}" OR item IN_LIST found)
      continue()
    endif()
    list(APPEND found ${item})
    get_target_property(next ${item} INTERFACE_LINK_LIBRARIES)
    if(next)
      list(APPEND queue ${next})
    endif()
  endwhile()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# Pads `text` with spaces to `width` characters.
function(lumenfold_pad text width out)
  string(LENGTH "${text}" length)
  set(padding "")
  if(length LESS width)
    math(EXPR missing "${width} - ${length}")
    string(REPEAT " " ${missing} padding)
  endif()
  set(${out} "${text}${padding}" PARENT_SCOPE)
endfunction()

# The layers of LUMENFOLD_LAYERS as the test prints them, top first as the
# architecture document draws them: folder, library, and the layers its
# DEPS name.
function(lumenfold_layer_table out)
  set(rows "")
  set(folders ${LUMENFOLD_LAYERS})
  list(REVERSE folders)
  foreach(folder ${folders})
    get_filename_component(name ${folder} NAME)
    get_target_property(links lf_${name} LINK_LIBRARIES)
    set(declared)
    foreach(link ${links})
      if(link MATCHES "^lf_")
        list(APPEND declared ${link})
      endif()
    endforeach()
    string(REPLACE ";" " " declared "${declared}")
    lumenfold_pad("${folder}/" 16 folder_column)
    lumenfold_pad("lf_${name}" 14 library_column)
    string(APPEND rows "  ${folder_column}${library_column}${declared}\n")
  endforeach()
  set(${out} "${rows}" PARENT_SCOPE)
endfunction()

# Call once, after every layered target and its links are declared.
function(lumenfold_layering_test)
  get_property(targets GLOBAL PROPERTY LUMENFOLD_LAYERED_TARGETS)
  set(libraries)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "STATIC_LIBRARY")
      list(APPEND libraries ${target})
    endif()
  endforeach()

  set(text "# Written by cmake/Layering.cmake from the targets' declared links.\n")
  string(APPEND text "set(LAYER_LIBRARIES ${libraries})\nset(LAYER_UNITS ${targets})\n")
  foreach(target ${targets})
    get_target_property(paths ${target} LUMENFOLD_LAYER_PATHS)
    get_target_property(links ${target} LINK_LIBRARIES)
    if(NOT links)
      set(links)
    endif()
    # A run-time module includes the headers of the library that loads it.
    get_target_property(headers_of ${target} LUMENFOLD_HEADERS_OF)
    if(headers_of)
      list(APPEND links ${headers_of})
    endif()
    lumenfold_reachable_targets(reachable ${links})
    set(allowed)
    foreach(library ${reachable})
      if(library IN_LIST libraries)
        list(APPEND allowed ${library})
      endif()
    endforeach()
    string(APPEND text "set(LAYER_${target}_PATHS ${paths})\nset(LAYER_${target}_ALLOWED ${allowed})\n")
  endforeach()
  lumenfold_layer_table(table)
  string(APPEND text "set(LAYER_TABLE \"${table}\")\n")
  file(WRITE ${PROJECT_BINARY_DIR}/layering.cmake "${text}")

  add_test(NAME layering COMMAND ${CMAKE_COMMAND}
    -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
    -DLAYERS=${PROJECT_BINARY_DIR}/layering.cmake
    -P ${PROJECT_SOURCE_DIR}/cmake/check_layering.cmake)
  set_tests_properties(layering PROPERTIES LABELS layering)

  # lumenfold_library refusing a dependency that breaks the layer order.
  add_test(NAME layer_order COMMAND ${CMAKE_COMMAND}
    -DROOT=${PROJECT_SOURCE_DIR} -DWORK=${PROJECT_BINARY_DIR}/layer_order
    -P ${PROJECT_SOURCE_DIR}/tests/layering/order_test.cmake)
  set_tests_properties(layer_order PROPERTIES LABELS layering)
endfunction()
