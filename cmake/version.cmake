# The version lives in include/talvex.h, where hosts read it; the build takes
# it from there (project version, library file names, package versions, the
# DLL's version resource) so that the two never disagree.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../include/talvex.h talvex_version_lines
     REGEX "^#define TALVEX_VERSION(_MAJOR|_MINOR|_PATCH)? ")
foreach(part MAJOR MINOR PATCH)
  if(NOT talvex_version_lines MATCHES "#define TALVEX_VERSION_${part} ([0-9]+)")
    message(FATAL_ERROR "include/talvex.h has no TALVEX_VERSION_${part}")
  endif()
  set(TALVEX_VERSION_${part} ${CMAKE_MATCH_1})
endforeach()
set(TALVEX_HEADER_VERSION ${TALVEX_VERSION_MAJOR}.${TALVEX_VERSION_MINOR}.${TALVEX_VERSION_PATCH})
if(NOT talvex_version_lines MATCHES "#define TALVEX_VERSION \"([^\"]*)\"")
  message(FATAL_ERROR "include/talvex.h has no TALVEX_VERSION string")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL TALVEX_HEADER_VERSION)
  message(FATAL_ERROR "include/talvex.h: TALVEX_VERSION \"${CMAKE_MATCH_1}\" does not match "
                      "its numbers ${TALVEX_HEADER_VERSION}")
endif()
