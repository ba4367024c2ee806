# The binaries Tallybox ships (program, DLLs, extractor) are small: symbols
# stripped, unused sections left out (the top CMakeLists.txt compiles and links
# everything that way), and a runtime without what a windowed program never
# shows. Each carries the version information of cmake/Version.cmake. Tests
# link the same libraries, unstripped.

# Replaces the C++ runtime's default terminate handler, which names the
# exception on the console (nobody sees it in a windowed program or a DLL) and
# pulls in the runtime's whole name demangler (about 75 KB per binary).
add_library(tb_small_runtime OBJECT ${CMAKE_CURRENT_LIST_DIR}/SmallRuntime.cpp)
target_compile_options(tb_small_runtime PRIVATE -Os)

# tb_shipped_binary(target description [NO_RUNTIME]): NO_RUNTIME for a binary built
# without the runtimes (the thin DLLs DZIP32.dll and adfactry.dll).
function(tb_shipped_binary target description)
    cmake_parse_arguments(S "NO_RUNTIME" "" "" ${ARGN})
    if(NOT TARGET ${target})
        return()
    endif()
    tb_version_info(${target} "${description}")
    if(NOT S_NO_RUNTIME)
        target_sources(${target} PRIVATE $<TARGET_OBJECTS:tb_small_runtime>)
    endif()
    target_link_options(${target} PRIVATE -s)
endfunction()

# The code of the program, its libraries and the extractor does its work at
# the speed of the user and of Windows: it is built for size. In the ZIP core
# only the per-entry bookkeeping, the archive writer's buffered output and the
# raw copy of entries (which wait on the disk) are; the data paths (deflate
# blocks, reading and inflating entries, encryption) keep the speed options.
function(tb_build_for_size)
    foreach(target ${ARGN})
        if(TARGET ${target})
            target_compile_options(${target} PRIVATE -Os)
        endif()
    endforeach()
    # The program's own code never asks a type its name nor casts down by type
    # at run time: its type records (17 KB) are left out.
    foreach(target tbframework tallybox_core)
        if(TARGET ${target})
            target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>)
        endif()
    endforeach()
    if(TARGET zipcore)
        set(core ${CMAKE_SOURCE_DIR}/ziplib)
        set_source_files_properties(
            ${core}/core/ArchiveWriter.cpp ${core}/core/DirectoryCache.cpp ${core}/core/ExtractJob.cpp
            ${core}/core/Format.cpp ${core}/core/MergeJob.cpp ${core}/core/Names.cpp ${core}/core/ReadWindow.cpp
            ${core}/core/UpdateJob.cpp ${core}/win32/Win32FileSystem.cpp
            TARGET_DIRECTORY zipcore PROPERTIES COMPILE_OPTIONS -Os)
    endif()
endfunction()
