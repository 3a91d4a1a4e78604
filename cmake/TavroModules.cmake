# Each subsystem under src/ is one static archive, so that a subsystem and its
# tests build without the others. Sources are picked up by glob: adding a file
# needs no edit here. Together the archives form the core library (tavro_core).
set(TAVRO_SRC ${PROJECT_SOURCE_DIR}/src)

function(tavro_module name dir)
  cmake_parse_arguments(M "" "" "DEPS;LIBS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${TAVRO_SRC}/${dir}/*.cpp ${TAVRO_SRC}/${dir}/*.c)
  if(srcs)
    add_library(tavro_${name} STATIC ${srcs})
    target_include_directories(tavro_${name} PUBLIC ${TAVRO_SRC})
    target_link_libraries(tavro_${name} PUBLIC ${M_DEPS} ${M_LIBS})
  else()
    add_library(tavro_${name} INTERFACE)
    target_include_directories(tavro_${name} INTERFACE ${TAVRO_SRC})
    target_link_libraries(tavro_${name} INTERFACE ${M_DEPS} ${M_LIBS})
  endif()
endfunction()

# Adds a dependency after the fact (for the cycles between subsystems).
function(tavro_link name)
  get_target_property(type tavro_${name} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_link_libraries(tavro_${name} INTERFACE ${ARGN})
  else()
    target_link_libraries(tavro_${name} PUBLIC ${ARGN})
  endif()
endfunction()
