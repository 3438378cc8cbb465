# The wizard's logic on the host, over the host stand-in of the platform
# layer, for the unit tests. The stand-in reads resources/setup.rc.
file(GLOB WIZARD_HOST_SOURCES CONFIGURE_DEPENDS src/wizard/*.cpp src/answers/*.cpp src/install/*.cpp
     src/shared/*.cpp src/paths/*.cpp)
list(APPEND WIZARD_HOST_SOURCES
  src/platform/host/host_sandbox.cpp
  src/platform/host/host_machine_model.cpp
  src/platform/host/host_files.cpp
  src/platform/host/host_profile.cpp
  src/platform/host/host_registry.cpp
  src/platform/host/host_shell_links.cpp
  src/platform/host/host_processes.cpp
  src/platform/host/path_ops_host.cpp
  src/platform/host/host_dialogs.cpp
  src/platform/host/host_resources.cpp
  src/platform/host/host_shell.cpp
  src/platform/host/host_user.cpp)
add_library(orbivue_wizard STATIC ${WIZARD_HOST_SOURCES})
target_include_directories(orbivue_wizard PUBLIC src)
target_link_libraries(orbivue_wizard PUBLIC orbivue_core)
target_compile_definitions(orbivue_wizard PRIVATE ORBIVUE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
orbivue_warnings(orbivue_wizard)
if(TARGET unit_tests)
  target_link_libraries(unit_tests PRIVATE orbivue_wizard)
endif()
