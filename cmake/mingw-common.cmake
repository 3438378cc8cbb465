# What both mingw-w64 toolchain files share; they set CMAKE_SYSTEM_PROCESSOR
# and ORBIVUE_MINGW_PREFIX first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ORBIVUE_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${ORBIVUE_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${ORBIVUE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORBIVUE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# A static runtime: the programs need no DLLs beyond the system's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
