# Shared compile options: warnings everywhere, sanitizers on request.
option(ORBIVUE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(ORBIVUE_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
option(ORBIVUE_BENCH "Build the benchmarks" OFF)
# Off for the 32-bit benchmark build, which has no 32-bit GoogleTest to link.
option(ORBIVUE_UNIT_TESTS "Build the unit tests" ON)

function(orbivue_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

if(ORBIVUE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(ORBIVUE_FUZZ)
  # Coverage feedback for the whole core, not just the fuzz entry points.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
endif()

# 32-bit host code (the decoder's tests and benchmark as i686 code) reads
# folders with 64-bit file numbers and sizes: without this, readdir and stat
# fail on a file system whose numbers pass 32 bits (ext4, overlay), and a
# folder reads as empty.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Windows")
  add_compile_definitions(_FILE_OFFSET_BITS=64)
endif()

# Tests that read the archives made by real archivers look here and skip
# when the folder is absent.
set(ORBIVUE_TESTDATA_DIR "${CMAKE_SOURCE_DIR}/../shared/testdata" CACHE PATH "External test archives")

# The same sources give the same Windows programs byte for byte, whatever the
# folders and the time of the build: no source or build folder in the
# objects, no link time in the PE header. The shipped programs are stripped
# (see Win32Targets.cmake and payload/).
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
                      -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
  add_link_options(-Wl,--no-insert-timestamp)
endif()

# A 32-bit Windows program sees 2 GB of address space unless it says it can
# take addresses above 2 GB: then 3 GB on 32-bit Windows booted for it and
# 4 GB under 64-bit Windows, which an entry of more than a gigabyte needs
# (it is unpacked into one buffer). Every program of the tree says so, the
# test programs too: the system tells a program that does not at most 2 GB
# of physical memory, so a driver linked otherwise would compute another
# timeshift limit than the Setup it drives. 64-bit programs have the room anyway.
if(CMAKE_SYSTEM_NAME STREQUAL "Windows" AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_link_options($<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:-Wl,--large-address-aware>)
endif()
