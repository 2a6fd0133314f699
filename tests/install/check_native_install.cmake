# Installs the native build into PREFIX and uses it as a host's project would:
# the installed talvex-plot, a CMake project finding the package, and one
# compiler line from pkg-config. Each host draws a chart into a BMP.
# Arguments: BUILD_DIR PREFIX WORK_DIR LIBDIR VERSION MAJOR HOST_SOURCE
#            CONSUMER_DIR C_COMPILER GENERATOR PKG_CONFIG READELF
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

fresh_install(${BUILD_DIR} ${PREFIX} ${WORK_DIR})

expect_files(${PREFIX}
  include/talvex.h include/talvex_codes.h include/talvex_window.h include/talvex_native.h
  ${LIBDIR}/libtalvex.so ${LIBDIR}/libtalvex.so.${MAJOR} ${LIBDIR}/libtalvex.so.${VERSION}
  ${LIBDIR}/libtalvex_window.so ${LIBDIR}/libtalvex_window.so.${MAJOR} ${LIBDIR}/libtalvex_window.so.${VERSION}
  bin/talvex-plot
  share/doc/talvex/LICENSE.dejavu-fonts
  ${LIBDIR}/pkgconfig/talvex.pc
  ${LIBDIR}/cmake/talvex/talvexConfig.cmake ${LIBDIR}/cmake/talvex/talvexConfigVersion.cmake)
if(EXISTS ${PREFIX}/include/talvex.def OR EXISTS ${PREFIX}/include/common)
  message(FATAL_ERROR "internal files among the installed headers")
endif()

# The SONAME carries the major version, and the chart library names the window
# library by its SONAME too.
foreach(library talvex talvex_window)
  run(${READELF} -d ${PREFIX}/${LIBDIR}/lib${library}.so.${VERSION})
  if(NOT run_output MATCHES "Library soname: \\[lib${library}\\.so\\.${MAJOR}\\]")
    message(FATAL_ERROR "lib${library}.so.${VERSION}: no SONAME lib${library}.so.${MAJOR}\n${run_output}")
  endif()
endforeach()
run(${READELF} -d ${PREFIX}/${LIBDIR}/libtalvex.so.${VERSION})
if(NOT run_output MATCHES "Shared library: \\[libtalvex_window\\.so\\.${MAJOR}\\]")
  message(FATAL_ERROR "libtalvex.so does not need libtalvex_window.so.${MAJOR}\n${run_output}")
endif()

# The installed tool finds the installed libraries by itself.
run(${PREFIX}/bin/talvex-plot --size 200x150 -o ${WORK_DIR}/plot.bmp)
expect_bmp(${WORK_DIR}/plot.bmp 200 150)

# A CMake project: find_package(talvex) with the version checked.
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/cmake -G ${GENERATOR}
    -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_PREFIX_PATH=${PREFIX}
    -DHOST_SOURCE=${HOST_SOURCE} -DEXPECTED_VERSION=${VERSION})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/cmake)
run(${WORK_DIR}/cmake/host ${WORK_DIR}/cmake.bmp)
expect_bmp(${WORK_DIR}/cmake.bmp 400 300)

# pkg-config: the flags of one line are all a host needs.
set(ENV{PKG_CONFIG_PATH} ${PREFIX}/${LIBDIR}/pkgconfig)
run(${PKG_CONFIG} --modversion talvex)
string(STRIP "${run_output}" pc_version)
if(NOT pc_version STREQUAL VERSION)
  message(FATAL_ERROR "talvex.pc says version ${pc_version}, not ${VERSION}")
endif()
run(${PKG_CONFIG} --cflags --libs talvex)
separate_arguments(flags UNIX_COMMAND "${run_output}")
run(${PKG_CONFIG} --variable=libdir talvex)
string(STRIP "${run_output}" libdir)
run(${C_COMPILER} -Wall -Wextra -Werror ${HOST_SOURCE} ${flags} -Wl,-rpath,${libdir} -o ${WORK_DIR}/host_pkgconfig)
run(${WORK_DIR}/host_pkgconfig ${WORK_DIR}/pkgconfig.bmp)
expect_bmp(${WORK_DIR}/pkgconfig.bmp 400 300)
