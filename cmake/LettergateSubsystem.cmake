# One static library per subsystem folder, built from every source file the folder
# holds, so a new file joins its subsystem without editing any CMakeLists. A folder
# without sources yet still yields a target, so its dependants link unchanged.
function(lettergate_subsystem name)
  cmake_parse_arguments(ARG "" "DIR" "DEPENDS;LIBS" ${ARGN})
  if(NOT ARG_DIR)
    set(ARG_DIR ${name})
  endif()
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DIR}/*.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DIR}/*.h)
  set(target lettergate_${name})
  if(sources MATCHES "\\.cpp")
    add_library(${target} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(${target} INTERFACE ${sources})
    set(scope INTERFACE)
  endif()
  target_include_directories(${target} ${scope} ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${target} ${scope} ${ARG_DEPENDS} ${ARG_LIBS})
endfunction()
