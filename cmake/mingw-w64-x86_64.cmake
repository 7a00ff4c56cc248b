# Cross-compiles the Windows daemon on Linux with MinGW-w64 (x86-64, posix
# threads). Everything is linked statically so uiad.exe needs no extra DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(UIAD_WIDL x86_64-w64-mingw32-widl CACHE FILEPATH "IDL compiler for the UI Automation headers")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# nlohmann-json is header only: take the host's copy. Its own package file
# would put all of /usr/include on the include path, where the host's C library
# headers shadow MinGW's, so the package is described here over a directory
# that holds nothing but a link to the nlohmann headers.
set(_uiad_json_root ${CMAKE_BINARY_DIR}/host-nlohmann-json)
if(NOT EXISTS ${_uiad_json_root}/nlohmann_jsonConfig.cmake)
  file(MAKE_DIRECTORY ${_uiad_json_root}/include)
  file(CREATE_LINK /usr/include/nlohmann ${_uiad_json_root}/include/nlohmann SYMBOLIC)
  file(WRITE ${_uiad_json_root}/nlohmann_jsonConfigVersion.cmake
    "include(/usr/share/cmake/nlohmann_json/nlohmann_jsonConfigVersion.cmake)\n")
  file(WRITE ${_uiad_json_root}/nlohmann_jsonConfig.cmake
    "if(NOT TARGET nlohmann_json::nlohmann_json)\n"
    "  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)\n"
    "  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES\n"
    "    INTERFACE_INCLUDE_DIRECTORIES ${_uiad_json_root}/include)\n"
    "endif()\n")
endif()
set(nlohmann_json_DIR ${_uiad_json_root} CACHE PATH "" FORCE)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
