# Client code for the Wayland protocols the Wayland backend speaks, generated at build
# time by wayland-scanner from the protocol definitions kept in protocols/ (the wlr ones
# are not packaged in Debian 12) and from wayland-protocols' xdg-shell, which the layer
# shell refers to, and xdg-output, which places the outputs for window pictures.
find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)

set(lettergate_protocol_files
  ${CMAKE_SOURCE_DIR}/protocols/wlr-foreign-toplevel-management-unstable-v1.xml
  ${CMAKE_SOURCE_DIR}/protocols/wlr-data-control-unstable-v1.xml
  ${CMAKE_SOURCE_DIR}/protocols/wlr-screencopy-unstable-v1.xml
  ${CMAKE_SOURCE_DIR}/protocols/wlr-layer-shell-unstable-v1.xml
  ${CMAKE_SOURCE_DIR}/protocols/virtual-keyboard-unstable-v1.xml
  ${WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml
  ${WAYLAND_PROTOCOLS_DIR}/unstable/xdg-output/xdg-output-unstable-v1.xml)

set(protocol_dir ${CMAKE_BINARY_DIR}/generated/wayland)
set(protocol_sources)
foreach(xml ${lettergate_protocol_files})
  get_filename_component(name ${xml} NAME_WE)
  add_custom_command(
    OUTPUT ${protocol_dir}/${name}-client-protocol.h ${protocol_dir}/${name}-protocol.c
    COMMAND ${CMAKE_COMMAND} -E make_directory ${protocol_dir}
    COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${protocol_dir}/${name}-client-protocol.h
    COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${protocol_dir}/${name}-protocol.c
    DEPENDS ${xml}
    COMMENT "wayland-scanner ${name}"
    VERBATIM)
  list(APPEND protocol_sources ${protocol_dir}/${name}-client-protocol.h ${protocol_dir}/${name}-protocol.c)
endforeach()

add_library(lettergate_wayland_protocols STATIC ${protocol_sources})
set_target_properties(lettergate_wayland_protocols PROPERTIES LINKER_LANGUAGE C)
target_include_directories(lettergate_wayland_protocols PUBLIC ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(lettergate_wayland_protocols PUBLIC PkgConfig::WAYLAND)
