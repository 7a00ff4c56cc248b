# UI Automation client headers for the Windows build.
#
# MinGW-w64 10's uiautomationclient.h lacks the client interfaces, so with MinGW
# the headers are generated at build time by widl from the IDL files that
# libwine-dev installs. With a Windows SDK compiler the SDK header is used as
# it is. Either way, code includes "uia_client.h" (src/platform/win32/).
#
# Provides the INTERFACE target uiad_uia_headers.
add_library(uiad_uia_headers INTERFACE)

if(MINGW)
  find_path(UIAD_UIA_IDL_DIR uiautomationclient.idl
    PATHS /usr/include/wine/wine/windows /usr/include/wine/windows
    NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  find_program(UIAD_WIDL_PROGRAM NAMES ${UIAD_WIDL} x86_64-w64-mingw32-widl widl REQUIRED)
  set(gen_dir ${CMAKE_BINARY_DIR}/generated/uia)
  file(MAKE_DIRECTORY ${gen_dir})
  set(headers)
  foreach(idl uiautomationcore uiautomationclient)
    add_custom_command(
      OUTPUT ${gen_dir}/${idl}.h
      COMMAND ${UIAD_WIDL_PROGRAM} -I${UIAD_UIA_IDL_DIR} -h -o ${gen_dir}/${idl}.h
              ${UIAD_UIA_IDL_DIR}/${idl}.idl
      DEPENDS ${UIAD_UIA_IDL_DIR}/${idl}.idl
      COMMENT "Generating ${idl}.h with widl"
      VERBATIM)
    list(APPEND headers ${gen_dir}/${idl}.h)
  endforeach()
  add_custom_target(uiad_uia_headers_gen DEPENDS ${headers})
  add_dependencies(uiad_uia_headers uiad_uia_headers_gen)
  # The generated directory comes first so it shadows MinGW's incomplete headers.
  target_include_directories(uiad_uia_headers BEFORE INTERFACE ${gen_dir})
  target_compile_definitions(uiad_uia_headers INTERFACE UIAD_UIA_HEADERS_FROM_WIDL=1)
endif()
