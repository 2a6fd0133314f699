# Installs the Windows build into PREFIX, checks what a Windows user gets, and
# builds two hosts against it, each run under wine with the installed DLL: one
# as Visual Studio would build it (the MSVC ABI, linked against talvex.lib),
# one a MinGW CMake project finding the package.
# Arguments: BUILD_DIR PREFIX WORK_DIR LIBDIR HOST_DIR DEF_FILE CLANG LLD_LINK
#            LLVM_NM LLVM_DLLTOOL WINE VERSION CONSUMER_DIR HOST_SOURCE
#            TOOLCHAIN GENERATOR BITS (32 or 64)
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

fresh_install(${BUILD_DIR} ${PREFIX} ${WORK_DIR})

expect_files(${PREFIX}
  bin/talvex.dll include/talvex.h include/talvex_codes.h
  ${LIBDIR}/talvex.lib ${LIBDIR}/libtalvex.dll.a ${LIBDIR}/talvex.def
  share/doc/talvex/LICENSE.dejavu-fonts
  ${LIBDIR}/pkgconfig/talvex.pc
  ${LIBDIR}/cmake/talvex/talvexConfig.cmake ${LIBDIR}/cmake/talvex/talvexConfigVersion.cmake)
if(EXISTS ${PREFIX}/include/talvex_window.h OR EXISTS ${PREFIX}/include/talvex_native.h)
  message(FATAL_ERROR "a Linux-only header is installed on Windows")
endif()

# What differs between the 32-bit and the 64-bit host: the MSVC target, the
# machine, and the names: 32-bit C names carry an underscore, and the system's
# stdcall functions their argument bytes, which x64 has neither of.
if(BITS EQUAL 64)
  set(msvc_target x86_64-pc-windows-msvc)
  set(machine x64)
  set(dlltool_machine i386:x86-64)
  set(c_prefix "")
else()
  set(msvc_target i686-pc-windows-msvc)
  set(machine x86)
  set(dlltool_machine i386)
  set(c_prefix "_")
endif()

# talvex.lib maps every exported name the way an MSVC compiler calls it.
file(STRINGS ${DEF_FILE} exports REGEX "^    TALVEX_")
run(${LLVM_NM} ${PREFIX}/${LIBDIR}/talvex.lib)
foreach(name IN LISTS exports)
  string(STRIP "${name}" name)
  if(NOT run_output MATCHES "T __imp_${c_prefix}${name}\n" OR NOT run_output MATCHES "T ${c_prefix}${name}\n")
    message(FATAL_ERROR "talvex.lib lacks ${c_prefix}${name} or __imp_${c_prefix}${name}")
  endif()
endforeach()

# The system's import libraries, made from the few functions the host calls
# (no Windows SDK where this runs).
foreach(dll kernel32 user32 version)
  file(READ ${HOST_DIR}/${dll}.def definitions)
  if(BITS EQUAL 64)
    string(REGEX REPLACE "@[0-9]+" "" definitions "${definitions}")
  endif()
  file(WRITE ${WORK_DIR}/${dll}.def "${definitions}")
  run(${LLVM_DLLTOOL} -m ${dlltool_machine} -k -d ${WORK_DIR}/${dll}.def -l ${WORK_DIR}/${dll}.lib)
endforeach()
run(${CLANG} --target=${msvc_target} -ffreestanding -fno-stack-protector -O1 -Wall -Wextra -Werror
    -I ${PREFIX}/include -c ${HOST_DIR}/host.c -o ${WORK_DIR}/host.obj)
run(${LLD_LINK} /nologo /machine:${machine} /entry:hostMain /subsystem:console /nodefaultlib
    /out:${WORK_DIR}/msvc_host.exe ${WORK_DIR}/host.obj ${PREFIX}/${LIBDIR}/talvex.lib
    ${WORK_DIR}/kernel32.lib ${WORK_DIR}/user32.lib ${WORK_DIR}/version.lib)

# The installed DLL next to the program, where Windows looks first. The
# 64-bit DLL draws with the Direct3D it chooses, then with each one forced.
file(COPY ${PREFIX}/bin/talvex.dll DESTINATION ${WORK_DIR})
set(choices "chosen")
if(BITS EQUAL 64)
  list(APPEND choices 8 9)
endif()
foreach(choice IN LISTS choices)
  if(choice STREQUAL "chosen")
    unset(ENV{TALVEX_DIRECT3D})
  else()
    set(ENV{TALVEX_DIRECT3D} ${choice})
  endif()
  file(REMOVE ${WORK_DIR}/msvc_host.bmp)
  execute_process(COMMAND ${WINE} ${WORK_DIR}/msvc_host.exe WORKING_DIRECTORY ${WORK_DIR}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  message(STATUS "Direct3D ${choice}: ${output}")
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "msvc_host.exe failed at step ${status} (Direct3D ${choice})\n${output}${errors}")
  endif()
  expect_bmp(${WORK_DIR}/msvc_host.bmp 300 200)
endforeach()
unset(ENV{TALVEX_DIRECT3D})

# MinGW: a CMake project with find_package(talvex), linking libtalvex.dll.a.
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/mingw -G ${GENERATOR}
    -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DCMAKE_PREFIX_PATH=${PREFIX}
    -DHOST_SOURCE=${HOST_SOURCE} -DEXPECTED_VERSION=${VERSION})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/mingw)
file(COPY ${PREFIX}/bin/talvex.dll DESTINATION ${WORK_DIR}/mingw)
run(${WINE} ${WORK_DIR}/mingw/host.exe --snapshot ${WORK_DIR}/mingw.bmp)
expect_bmp(${WORK_DIR}/mingw.bmp 320 240)
