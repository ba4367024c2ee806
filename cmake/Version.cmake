# The version of everything Tallybox ships comes from project(... VERSION) in
# the top CMakeLists.txt: the header the resources and code include, the
# packages' version file, the manifests, and one VERSIONINFO resource per
# shipped binary.
if(PROJECT_VERSION_PATCH STREQUAL "")
    set(TB_VERSION_PATCH 0)
else()
    set(TB_VERSION_PATCH ${PROJECT_VERSION_PATCH})
endif()
set(TB_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
if(NOT TB_VERSION_PATCH EQUAL 0)
    string(APPEND TB_VERSION_TEXT ".${TB_VERSION_PATCH}")
endif()
set(TB_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${TB_VERSION_PATCH}.0")

set(TB_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
# Every target may include Version.h (and resource scripts find the manifests).
include_directories(${TB_GENERATED_DIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.h.in ${TB_GENERATED_DIR}/Version.h @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.nsh.in ${TB_GENERATED_DIR}/Version.nsh @ONLY)
# The programs' manifests name the version too; their resource scripts find
# them in the generated folder.
configure_file(${CMAKE_SOURCE_DIR}/res/Tallybox.manifest.in ${TB_GENERATED_DIR}/Tallybox.manifest @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/sfx/stub/Stub.manifest.in ${TB_GENERATED_DIR}/Stub.manifest @ONLY)

# Gives a shipped program or DLL its version information: the product name
# "Tallybox", the version above and a description of this file.
function(tb_version_info target description)
    get_target_property(type ${target} TYPE)
    get_target_property(name ${target} OUTPUT_NAME)
    if(NOT name)
        set(name ${target})
    endif()
    if(type STREQUAL "SHARED_LIBRARY")
        set(TB_VI_TYPE VFT_DLL)
        set(TB_VI_FILE "${name}.dll")
    else()
        set(TB_VI_TYPE VFT_APP)
        set(TB_VI_FILE "${name}.exe")
    endif()
    set(TB_VI_NAME ${name})
    set(TB_VI_DESCRIPTION "${description}")
    set(rc ${TB_GENERATED_DIR}/${target}_version.rc)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/VersionInfo.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
