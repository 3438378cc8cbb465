# The win32 build: Setup.exe with its resources and embedded archive, and the
# programs of the end-to-end tests that drive it under Wine.
enable_language(RC)

# The archive embedded as RARFILE 105. Without one given, a small stored
# archive of the payload's shape is made by a host program; its Orbivue.exe
# is stub_viewer, which notes its start (the end-to-end tests look for it).
set(ORBIVUE_PAYLOAD_ARCHIVE "" CACHE FILEPATH "RAR 2.x archive embedded in Setup.exe as RARFILE 105")
find_program(ORBIVUE_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
if(ORBIVUE_PAYLOAD_ARCHIVE)
  set(payload_archive ${ORBIVUE_PAYLOAD_ARCHIVE})
  add_custom_target(payload_archive)
else()
  add_executable(stub_viewer WIN32 resources/stub_viewer.cpp)
  orbivue_warnings(stub_viewer)
  set(stub_tool ${CMAKE_BINARY_DIR}/stub_payload)
  set(payload_archive ${CMAKE_BINARY_DIR}/stub_payload.rar)
  add_custom_command(OUTPUT ${stub_tool}
    COMMAND ${ORBIVUE_HOST_CXX} -std=c++17 -O2 -Wall -Wextra -o ${stub_tool}
            ${CMAKE_SOURCE_DIR}/resources/stub_payload.cpp
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/stub_payload.cpp
    COMMENT "Building the host program that makes the stand-in payload")
  add_custom_command(OUTPUT ${payload_archive}
    COMMAND ${stub_tool} ${payload_archive} $<TARGET_FILE:stub_viewer>
    DEPENDS ${stub_tool} stub_viewer
    COMMENT "Making the stand-in payload archive")
  add_custom_target(payload_archive DEPENDS ${payload_archive})
endif()
# The archive's CRC-32 in a resource of its own, which Setup checks before
# it changes anything.
set(check_tool ${CMAKE_BINARY_DIR}/archive_check_value)
set(archive_check ${CMAKE_BINARY_DIR}/archive_check.bin)
add_custom_command(OUTPUT ${check_tool}
  COMMAND ${ORBIVUE_HOST_CXX} -std=c++17 -O2 -Wall -Wextra -I${CMAKE_SOURCE_DIR}/src
          -o ${check_tool} ${CMAKE_SOURCE_DIR}/resources/archive_check_value.cpp
          ${CMAKE_SOURCE_DIR}/src/archive/crc32.cpp ${CMAKE_SOURCE_DIR}/src/archive/crc32_folded.cpp
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/archive_check_value.cpp ${CMAKE_SOURCE_DIR}/src/archive/crc32.cpp
          ${CMAKE_SOURCE_DIR}/src/archive/crc32_folded.cpp
  COMMENT "Building the host program that records the archive's check value")
add_custom_command(OUTPUT ${archive_check}
  COMMAND ${check_tool} ${payload_archive} ${archive_check}
  DEPENDS ${check_tool} ${payload_archive}
  COMMENT "Recording the archive's check value")
add_custom_target(archive_check DEPENDS ${archive_check})
file(WRITE ${CMAKE_BINARY_DIR}/generated/payload_archive.h.in
     "#define PAYLOAD_ARCHIVE_FILE \"${payload_archive}\"\n"
     "#define ARCHIVE_CHECK_FILE \"${archive_check}\"\n")
configure_file(${CMAKE_BINARY_DIR}/generated/payload_archive.h.in
               ${CMAKE_BINARY_DIR}/generated/payload_archive.h COPYONLY)

file(GLOB WIZARD_SOURCES CONFIGURE_DEPENDS src/wizard/*.cpp src/answers/*.cpp src/install/*.cpp src/shared/*.cpp
     src/paths/*.cpp src/platform/win32/*.cpp)
add_executable(Setup WIN32 ${WIZARD_SOURCES} resources/setup.rc)
target_include_directories(Setup PRIVATE src)
target_link_libraries(Setup PRIVATE orbivue_core comctl32 shell32 ole32 uuid advapi32 user32
                      kernel32 ntdll)
orbivue_warnings(Setup)
add_dependencies(Setup payload_archive archive_check)
set_source_files_properties(resources/setup.rc PROPERTIES
  OBJECT_DEPENDS "${payload_archive};${archive_check};${CMAKE_SOURCE_DIR}/resources/orbivue.ico;${CMAKE_BINARY_DIR}/generated/setup.manifest;${CMAKE_SOURCE_DIR}/src/shared/resource_ids.h;${CMAKE_BINARY_DIR}/generated/payload_archive.h;${ORBIVUE_VERSION_RESOURCE_DEPENDS}")
# The shipped Setup.exe carries no symbols; the copy beside it keeps them for
# the end-to-end tests, which read Setup's counters at their addresses (the
# same in both: the symbols lie after every section).
add_custom_command(TARGET Setup POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Setup> ${CMAKE_BINARY_DIR}/Setup.symbols.exe
  # strip writes the time into the PE header unless SOURCE_DATE_EPOCH pins
  # it: zero, as the linker leaves it.
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_STRIP} $<TARGET_FILE:Setup>)
# The resource compiler finds the manifests made from VERSION in generated/,
# and the icon and the shared version resource in resources/. As include
# folders (not flags) they are quoted, so that a build in a folder whose
# path holds a blank works.
set(ORBIVUE_RC_INCLUDES $<$<COMPILE_LANGUAGE:RC>:${CMAKE_BINARY_DIR}/generated>
    $<$<COMPILE_LANGUAGE:RC>:${CMAKE_SOURCE_DIR}/resources>)
target_include_directories(Setup PRIVATE ${ORBIVUE_RC_INCLUDES})

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
  add_subdirectory(tests/e2e)
endif()
