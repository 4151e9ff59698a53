# MariaDB Connector/C for Windows, as scripts/build-windows.sh builds and installs it under
# TALVEX_WINDOWS_CONNECTOR: linked through its import library and shipped as libmariadb.dll beside
# the program (the library is LGPL). Only that folder is searched, never the build machine's own
# headers and libraries.
set(TALVEX_WINDOWS_CONNECTOR "" CACHE PATH "Where Connector/C for Windows is installed")
if(NOT TALVEX_WINDOWS_CONNECTOR)
  message(FATAL_ERROR "Set TALVEX_WINDOWS_CONNECTOR, or build with scripts/build-windows.sh")
endif()
set(search NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_path(TALVEX_MARIADB_INCLUDE_DIR mysql.h
  PATHS ${TALVEX_WINDOWS_CONNECTOR}/include/mariadb ${search} REQUIRED)
find_library(TALVEX_MARIADB_IMPORT_LIBRARY NAMES libmariadb.dll.a liblibmariadb.dll.a
  PATHS ${TALVEX_WINDOWS_CONNECTOR}/lib/mariadb ${search} REQUIRED)
find_file(TALVEX_MARIADB_DLL libmariadb.dll
  PATHS ${TALVEX_WINDOWS_CONNECTOR}/lib/mariadb ${search} REQUIRED)
target_include_directories(talvex_mariadb INTERFACE ${TALVEX_MARIADB_INCLUDE_DIR})
target_link_libraries(talvex_mariadb INTERFACE ${TALVEX_MARIADB_IMPORT_LIBRARY})
# The client's authentication plugins that Talvex ships beside the program, where it tells the
# library to look for them: MySQL 8's (caching_sha2_password, its default, and sha256_password) and
# MariaDB's (client_ed25519, and dialog for PAM). The library loads them when a server asks for one.
set(TALVEX_MARIADB_PLUGINS)
foreach(plugin caching_sha2_password sha256_password client_ed25519 dialog)
  find_file(TALVEX_MARIADB_PLUGIN_${plugin} ${plugin}.dll
    PATHS ${TALVEX_WINDOWS_CONNECTOR}/lib/mariadb/plugin ${search} REQUIRED)
  list(APPEND TALVEX_MARIADB_PLUGINS ${TALVEX_MARIADB_PLUGIN_${plugin}})
endforeach()
