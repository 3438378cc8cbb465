# The product release's version: one line in VERSION at the top of the tree
# (MAJOR.MINOR.PATCH). Made into generated/release_version.h for the
# programs' version resources, the uninstall entry and rar2tool --version,
# and into the programs' manifests (generated/*.manifest).
file(STRINGS ${CMAKE_SOURCE_DIR}/VERSION orbivue_version LIMIT_COUNT 1)
if(NOT orbivue_version MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "VERSION must hold MAJOR.MINOR.PATCH, not '${orbivue_version}'")
endif()
set(ORBIVUE_VERSION ${orbivue_version})
set(ORBIVUE_VERSION_MAJOR ${CMAKE_MATCH_1})
set(ORBIVUE_VERSION_MINOR ${CMAKE_MATCH_2})
set(ORBIVUE_VERSION_PATCH ${CMAKE_MATCH_3})
# Each part is a 16-bit field of the version resource.
foreach(part ${ORBIVUE_VERSION_MAJOR} ${ORBIVUE_VERSION_MINOR} ${ORBIVUE_VERSION_PATCH})
  if(part GREATER 65535)
    message(FATAL_ERROR "VERSION: each part must be at most 65535 ('${orbivue_version}')")
  endif()
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/VERSION)
file(WRITE ${CMAKE_BINARY_DIR}/generated/release_version.h.in
  "// Made by cmake/Version.cmake from VERSION.\n"
  "#define RELEASE_VERSION_TEXT \"${ORBIVUE_VERSION}\"\n"
  "#define RELEASE_VERSION_FOUR \"${ORBIVUE_VERSION}.0\"\n"
  "#define RELEASE_VERSION_MAJOR ${ORBIVUE_VERSION_MAJOR}\n"
  "#define RELEASE_VERSION_MINOR ${ORBIVUE_VERSION_MINOR}\n"
  "#define RELEASE_VERSION_PATCH ${ORBIVUE_VERSION_PATCH}\n")
# Rewritten only when it changes, so that nothing rebuilds without cause.
configure_file(${CMAKE_BINARY_DIR}/generated/release_version.h.in
               ${CMAKE_BINARY_DIR}/generated/release_version.h COPYONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)
# The programs' manifests name the release too.
foreach(manifest setup uninstall)
  configure_file(${CMAKE_SOURCE_DIR}/resources/${manifest}.manifest.in
                 ${CMAKE_BINARY_DIR}/generated/${manifest}.manifest @ONLY)
endforeach()
# What a version resource is made from, for the resource files' dependencies.
set(ORBIVUE_VERSION_RESOURCE_DEPENDS
    ${CMAKE_SOURCE_DIR}/resources/version_info.rc ${CMAKE_SOURCE_DIR}/src/release/release_identity.h
    ${CMAKE_BINARY_DIR}/generated/release_version.h)
