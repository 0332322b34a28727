# The shared library libkorvex.so beside the static one, and the install
# rules of the library: header, both libraries, CMake package, pkg-config
# file and the Python module. The tool installs itself from cli/. Install
# components, one per Debian package (cmake/packaging.cmake): runtime (the
# shared library), development (the rest but the Python module) and python.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(KORVEX_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/korvex
    CACHE STRING "Where the CMake package files go, relative to the prefix")
set(KORVEX_INSTALL_PYTHONDIR lib/python3/dist-packages
    CACHE STRING "Where the Python module korvex goes, relative to the prefix")

# Position-independent and hidden by default, so that the same objects make
# both libraries and only the KORVEX_API entry points are seen from outside.
set_target_properties(korvex PROPERTIES
  POSITION_INDEPENDENT_CODE ON
  C_VISIBILITY_PRESET hidden
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  EXPORT_NAME korvex_static)
target_include_directories(korvex INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

set(KORVEX_EXPORTS_MAP ${CMAKE_CURRENT_LIST_DIR}/exports.map)
add_library(korvex_shared SHARED $<TARGET_OBJECTS:korvex>)
set_target_properties(korvex_shared PROPERTIES
  OUTPUT_NAME korvex
  VERSION ${PROJECT_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR}
  EXPORT_NAME korvex
  LINKER_LANGUAGE CXX
  LINK_DEPENDS ${KORVEX_EXPORTS_MAP})
target_link_options(korvex_shared PRIVATE
  LINKER:--version-script=${KORVEX_EXPORTS_MAP}
  LINKER:--no-undefined)
target_include_directories(korvex_shared PUBLIC
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

install(TARGETS korvex korvex_shared EXPORT korvexTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development)
install(FILES ${PROJECT_SOURCE_DIR}/include/korvex/korvex.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/korvex COMPONENT development)

# CMake package: find_package(korvex CONFIG) -> korvex::korvex.
install(EXPORT korvexTargets NAMESPACE korvex:: DESTINATION ${KORVEX_INSTALL_CMAKEDIR}
  COMPONENT development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/korvexConfig.cmake.in
  ${PROJECT_BINARY_DIR}/korvexConfig.cmake
  INSTALL_DESTINATION ${KORVEX_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/korvexConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/korvexConfig.cmake ${PROJECT_BINARY_DIR}/korvexConfigVersion.cmake
  DESTINATION ${KORVEX_INSTALL_CMAKEDIR} COMPONENT development)

# A directory of the install tree as seen from another one: relative while
# both are relative to the prefix, so that the installed tree can be moved.
function(korvex_path_from from to out)
  if(IS_ABSOLUTE "${to}")
    set(${out} "${to}" PARENT_SCOPE)
  elseif(IS_ABSOLUTE "${from}")
    set(${out} "${CMAKE_INSTALL_PREFIX}/${to}" PARENT_SCOPE)
  else()
    file(RELATIVE_PATH path "/prefix/${from}" "/prefix/${to}")
    string(REGEX REPLACE "/$" "" path "${path}")
    if(path STREQUAL "")
      set(path ".")
    endif()
    set(${out} "${path}" PARENT_SCOPE)
  endif()
endfunction()

# pkg-config: korvex.pc finds the prefix from its own place.
set(KORVEX_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
korvex_path_from(${KORVEX_PC_DIR} "" KORVEX_PC_PREFIX_FROM_PCDIR)
foreach(dir INCLUDEDIR LIBDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(KORVEX_PC_${dir} "${CMAKE_INSTALL_${dir}}")
  else()
    set(KORVEX_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/korvex.pc.in ${PROJECT_BINARY_DIR}/korvex.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/korvex.pc DESTINATION ${KORVEX_PC_DIR} COMPONENT development)

# The Python module, told where the shared library lies from its own place.
korvex_path_from(${KORVEX_INSTALL_PYTHONDIR}/korvex ${CMAKE_INSTALL_LIBDIR} KORVEX_PYTHON_LIBDIR)
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/python/_install.py CONTENT
"# Written by the install: where the shared library lies, relative to this package.
LIBRARY_DIR = \"${KORVEX_PYTHON_LIBDIR}\"
")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/korvex DESTINATION ${KORVEX_INSTALL_PYTHONDIR}
  COMPONENT python PATTERN __pycache__ EXCLUDE)
install(FILES ${PROJECT_BINARY_DIR}/python/_install.py DESTINATION ${KORVEX_INSTALL_PYTHONDIR}/korvex
  COMPONENT python)
