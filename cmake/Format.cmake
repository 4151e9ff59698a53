# `format` rewrites every C++ source in place; `format-check` fails when one is not formatted.
find_program(CLANG_FORMAT NAMES clang-format clang-format-14)
if(CLANG_FORMAT)
  file(GLOB_RECURSE TALVEX_FORMAT_SOURCES CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/app/*.cpp ${PROJECT_SOURCE_DIR}/app/*.h
    ${PROJECT_SOURCE_DIR}/data/*.cpp ${PROJECT_SOURCE_DIR}/data/*.h
    ${PROJECT_SOURCE_DIR}/tickets/*.cpp ${PROJECT_SOURCE_DIR}/tickets/*.h
    ${PROJECT_SOURCE_DIR}/platform/*.cpp ${PROJECT_SOURCE_DIR}/platform/*.h
    ${PROJECT_SOURCE_DIR}/packaging/*.cpp
    ${PROJECT_SOURCE_DIR}/tests/*.cpp ${PROJECT_SOURCE_DIR}/tests/*.h
    ${PROJECT_SOURCE_DIR}/bench/*.cpp ${PROJECT_SOURCE_DIR}/bench/*.h
    ${PROJECT_SOURCE_DIR}/fuzz/*.cpp ${PROJECT_SOURCE_DIR}/fuzz/*.h)
  add_custom_target(format COMMAND ${CLANG_FORMAT} -i ${TALVEX_FORMAT_SOURCES}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  add_custom_target(format-check COMMAND ${CLANG_FORMAT} --dry-run -Werror ${TALVEX_FORMAT_SOURCES}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
endif()
