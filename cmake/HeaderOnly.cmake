# talvex_header_only(<target> <package> <version> <imported target> <folder>): a header-only
# library from the build machine's Debian package, used the same way on both systems. The package
# puts its headers in the build machine's /usr/include, which a cross build must not see (its C
# library headers are there too): a cross build copies only the library's own folder into the
# build tree and puts that on the include path.
function(talvex_header_only name package version imported folder)
  find_package(${package} ${version} REQUIRED CMAKE_FIND_ROOT_PATH_BOTH)
  add_library(${name} INTERFACE)
  if(CMAKE_CROSSCOMPILING)
    get_target_property(include ${imported} INTERFACE_INCLUDE_DIRECTORIES)
    set(copy ${CMAKE_BINARY_DIR}/header-only/${package})
    file(COPY ${include}/${folder} DESTINATION ${copy})
    target_include_directories(${name} SYSTEM INTERFACE ${copy})
  else()
    target_link_libraries(${name} INTERFACE ${imported})
  endif()
endfunction()
