# The uninstaller's logic on the host, over the host stand-in of the
# platform layer (shared with the wizard's), for the unit tests and the
# fuzz target.
file(GLOB UNINSTALL_HOST_SOURCES CONFIGURE_DEPENDS src/uninstall/*.cpp)
add_library(orbivue_uninstall STATIC ${UNINSTALL_HOST_SOURCES}
            src/platform/host/uninstall_ops_host.cpp)
target_include_directories(orbivue_uninstall PUBLIC src)
target_link_libraries(orbivue_uninstall PUBLIC orbivue_wizard)
orbivue_warnings(orbivue_uninstall)
if(TARGET unit_tests)
  target_link_libraries(unit_tests PRIVATE orbivue_uninstall)
endif()
