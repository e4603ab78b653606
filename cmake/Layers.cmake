# The program's folders are layers, each one static library. A layer links the layers it
# builds on, and its sources may include headers only from its own folder and from those
# layers (directly or through them); tessaly_check_layers makes any other include fail
# the build.
#
# tessaly_layer(<name> [SOURCES ...] [WINDOWS_SOURCES ...] [LAYERS ...] [SYSTEM_LIBS ...])
#   SOURCES build everywhere (no platform calls); WINDOWS_SOURCES and SYSTEM_LIBS only in
#   the Windows builds. A layer with nothing to compile on this platform is a header-only
#   (interface) library.
function(tessaly_layer name)
  cmake_parse_arguments(L "" "" "SOURCES;WINDOWS_SOURCES;LAYERS;SYSTEM_LIBS" ${ARGN})
  set(sources ${L_SOURCES})
  if(WIN32)
    list(APPEND sources ${L_WINDOWS_SOURCES})
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${L_LAYERS})
    if(WIN32)
      target_link_libraries(${name} PUBLIC ${L_SYSTEM_LIBS})
    endif()
    tessaly_warnings(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${L_LAYERS})
  endif()
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set_property(GLOBAL APPEND PROPERTY TESSALY_LAYERS ${name})
  set_property(GLOBAL PROPERTY TESSALY_LAYER_FOLDER_${name} ${folder})
  set_property(GLOBAL PROPERTY TESSALY_LAYER_LINKS_${name} ${L_LAYERS})
endfunction()

# The folders a layer may include from: its own and those of every layer below it.
function(tessaly_layer_reach name out)
  set(reach)
  set(pending ${name})
  set(seen)
  while(pending)
    list(POP_FRONT pending layer)
    if(layer IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${layer})
    get_property(folder GLOBAL PROPERTY TESSALY_LAYER_FOLDER_${layer})
    list(APPEND reach ${folder})
    get_property(links GLOBAL PROPERTY TESSALY_LAYER_LINKS_${layer})
    list(APPEND pending ${links})
  endwhile()
  set(${out} ${reach} PARENT_SCOPE)
endfunction()

# Once every layer is declared: a build step that checks every include of every layer,
# run again whenever one of their files changes. Each program library waits for it.
function(tessaly_check_layers)
  get_property(layers GLOBAL PROPERTY TESSALY_LAYERS)
  set(rules)
  set(watched)
  foreach(layer ${layers})
    get_property(folder GLOBAL PROPERTY TESSALY_LAYER_FOLDER_${layer})
    tessaly_layer_reach(${layer} reach)
    string(REPLACE ";" "," reach "${reach}")
    list(APPEND rules "${folder}=${reach}")
    file(GLOB files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.h ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
    list(APPEND watched ${files})
  endforeach()
  set(rules_file ${CMAKE_BINARY_DIR}/layer-rules.txt)
  string(REPLACE ";" "\n" rules_text "${rules}")
  file(WRITE ${rules_file} "${rules_text}\n")
  set(stamp ${CMAKE_BINARY_DIR}/layer-includes.checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DRULES=${rules_file}
            -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${watched} ${rules_file} ${CMAKE_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake
    COMMENT "Checking that no layer includes from a layer above it"
    VERBATIM)
  add_custom_target(tessaly_layer_includes ALL DEPENDS ${stamp})
  foreach(layer ${layers})
    get_target_property(type ${layer} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      add_dependencies(${layer} tessaly_layer_includes)
    endif()
  endforeach()
endfunction()
