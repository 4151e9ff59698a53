# nlohmann/json, header only, from Debian's nlohmann-json3-dev on both builds. The cross toolchain
# does not search the build machine, and the machine's /usr/include also holds the Linux C
# library's headers: the Windows build puts a folder with only the library's headers on its
# include path.
if(TARGET nlohmann_json::nlohmann_json)
  return()
endif()
if(NOT WIN32)
  find_package(nlohmann_json 3.11 REQUIRED)
  return()
endif()
find_path(TALVEX_NLOHMANN_JSON_DIR nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH
  NO_CMAKE_FIND_ROOT_PATH)
if(NOT TALVEX_NLOHMANN_JSON_DIR)
  message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev")
endif()
set(talvex_json_include ${CMAKE_BINARY_DIR}/nlohmann_json/include)
file(MAKE_DIRECTORY ${talvex_json_include})
file(CREATE_LINK ${TALVEX_NLOHMANN_JSON_DIR}/nlohmann ${talvex_json_include}/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${talvex_json_include})
