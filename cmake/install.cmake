# How the library is installed and found: headers, the libraries, talvex-plot and talvex-view
# (Linux) or talvex-demo (Windows), a CMake package (find_package(talvex)
# giving talvex::talvex, and talvex::window on Linux) and talvex.pc for
# pkg-config.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The same names for a project that adds this source tree with add_subdirectory.
add_library(talvex::talvex ALIAS talvex)
set(TALVEX_PUBLIC_HEADERS include/talvex.h include/talvex_codes.h include/talvex_messages.h)

if(WIN32)
  install(TARGETS talvex EXPORT talvexTargets
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  install(FILES src/api/talvex.def ${TALVEX_MSVC_IMPORT_LIBRARY} DESTINATION ${CMAKE_INSTALL_LIBDIR})
  if(TARGET talvex-demo)
    install(TARGETS talvex-demo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
  set(TALVEX_PC_LIBS "-ltalvex")
else()
  # libtalvex.so.1.0.0 with the SONAME libtalvex.so.1: a new major version is
  # a new file that programs built against the old one never load by mistake.
  # Each library finds its sibling next to itself wherever it is installed.
  set_target_properties(talvex talvex_window PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR} INSTALL_RPATH "$ORIGIN")
  set_target_properties(talvex_window PROPERTIES EXPORT_NAME window)
  add_library(talvex::window ALIAS talvex_window)
  list(APPEND TALVEX_PUBLIC_HEADERS include/talvex_window.h include/talvex_native.h)
  install(TARGETS talvex talvex_window EXPORT talvexTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  file(RELATIVE_PATH talvex_bin_to_lib /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
  foreach(tool IN ITEMS talvex-plot talvex-view)
    if(TARGET ${tool})
      set_target_properties(${tool} PROPERTIES INSTALL_RPATH "$ORIGIN/${talvex_bin_to_lib}")
      install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
  endforeach()
  set(TALVEX_PC_LIBS "-ltalvex -ltalvex_window")
endif()
install(FILES ${TALVEX_PUBLIC_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# The licence of the font built into the library (DejaVu Sans), whose
# notice must travel with every copy.
install(FILES third_party/dejavu/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME LICENSE.dejavu-fonts)

# The CMake package. It stays relocatable: every path is found from the
# package's own place.
set(TALVEX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/talvex)
set(TALVEX_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR})
install(EXPORT talvexTargets NAMESPACE talvex:: DESTINATION ${TALVEX_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/talvexConfig.cmake.in
  ${PROJECT_BINARY_DIR}/talvexConfig.cmake
  INSTALL_DESTINATION ${TALVEX_CMAKE_DIR}
  PATH_VARS TALVEX_INSTALL_LIBDIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/talvexConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/talvexConfig.cmake ${PROJECT_BINARY_DIR}/talvexConfigVersion.cmake
  DESTINATION ${TALVEX_CMAKE_DIR})

# talvex.pc names its prefix, which `cmake --install --prefix` may choose long
# after configuring: everything else is filled in now, the prefix at install.
set(TALVEX_PC_PREFIX "@TALVEX_PC_PREFIX@")
configure_file(${CMAKE_CURRENT_LIST_DIR}/talvex.pc.in ${PROJECT_BINARY_DIR}/talvex.pc.in @ONLY)
install(CODE "
  set(TALVEX_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  configure_file(\"${PROJECT_BINARY_DIR}/talvex.pc.in\" \"${PROJECT_BINARY_DIR}/talvex.pc\" @ONLY)")
install(FILES ${PROJECT_BINARY_DIR}/talvex.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
