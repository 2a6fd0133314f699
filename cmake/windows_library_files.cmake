# What talvex.dll carries and comes with besides its code: a version resource,
# and talvex.lib, the import library for Visual Studio's linker. MinGW's own
# import library (libtalvex.dll.a) comes from the link itself.

# The version resource (file properties in Explorer, GetFileVersionInfo). It is
# compiled into an object of its own, so that the C and C++ flags of the
# library never reach the resource compiler.
find_program(TALVEX_WINDRES NAMES ${CMAKE_RC_COMPILER} windres REQUIRED)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TALVEX_DLL_BITS 64)
  set(TALVEX_DLLTOOL_MACHINE i386:x86-64)
else()
  set(TALVEX_DLL_BITS 32)
  set(TALVEX_DLLTOOL_MACHINE i386)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/talvex.rc.in ${PROJECT_BINARY_DIR}/talvex.rc @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/talvex_version.obj
  COMMAND ${TALVEX_WINDRES} -O coff -i ${PROJECT_BINARY_DIR}/talvex.rc -o ${PROJECT_BINARY_DIR}/talvex_version.obj
  DEPENDS ${PROJECT_BINARY_DIR}/talvex.rc
  COMMENT "Compiling the version resource of talvex.dll")
target_sources(talvex PRIVATE ${PROJECT_BINARY_DIR}/talvex_version.obj)

# talvex.lib: the 33 functions are exported under their plain names
# (talvex.def). A 32-bit MSVC caller refers to the cdecl functions as
# _TALVEX_... and __imp__TALVEX_..., and llvm-dlltool makes exactly that
# mapping for i386; x64 has one calling convention and no underscore.
find_program(TALVEX_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-16 llvm-dlltool-15 llvm-dlltool-14)
if(TALVEX_LLVM_DLLTOOL)
  set(TALVEX_MSVC_IMPORT_LIBRARY ${CMAKE_ARCHIVE_OUTPUT_DIRECTORY}/talvex.lib)
  add_custom_command(OUTPUT ${TALVEX_MSVC_IMPORT_LIBRARY}
    COMMAND ${TALVEX_LLVM_DLLTOOL} -m ${TALVEX_DLLTOOL_MACHINE} -d ${PROJECT_SOURCE_DIR}/src/api/talvex.def -l ${TALVEX_MSVC_IMPORT_LIBRARY}
    DEPENDS ${PROJECT_SOURCE_DIR}/src/api/talvex.def
    COMMENT "Making talvex.lib, the import library for Visual Studio")
  add_custom_target(talvex_msvc_import_library ALL DEPENDS ${TALVEX_MSVC_IMPORT_LIBRARY})
elseif(TALVEX_BUILD_TESTS)
  message(FATAL_ERROR "llvm-dlltool is needed for talvex.lib (Debian package llvm)")
else()
  message(WARNING "no llvm-dlltool (Debian package llvm): talvex.lib for Visual Studio is not made")
endif()
