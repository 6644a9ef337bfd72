# The Windows resources of the programs: the version resource that a file's
# properties show (file and product version from project(VERSION)), and the
# manifest that selects the common controls version 6, so that a window
# takes the system's visual style.

# The project's version with four parts, missing parts 0.
foreach(part MAJOR MINOR PATCH TWEAK)
    if(PROJECT_VERSION_${part} STREQUAL "")
        set(version_${part} 0)
    else()
        set(version_${part} ${PROJECT_VERSION_${part}})
    endif()
endforeach()
set(MORVANE_VERSION_COMMAS "${version_MAJOR},${version_MINOR},${version_PATCH},${version_TWEAK}")
set(MORVANE_VERSION_DOTS "${version_MAJOR}.${version_MINOR}.${version_PATCH}.${version_TWEAK}")

# Names the resources of target take: its file name and its description.
macro(morvane_resource_names target description)
    get_target_property(MORVANE_INTERNAL_NAME ${target} OUTPUT_NAME)
    if(NOT MORVANE_INTERNAL_NAME)
        set(MORVANE_INTERNAL_NAME ${target})
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "SHARED_LIBRARY")
        set(MORVANE_FILE_TYPE VFT_DLL)
        set(MORVANE_FILE_NAME ${MORVANE_INTERNAL_NAME}.dll)
    else()
        set(MORVANE_FILE_TYPE VFT_APP)
        set(MORVANE_FILE_NAME ${MORVANE_INTERNAL_NAME}.exe)
    endif()
    set(MORVANE_FILE_DESCRIPTION "${description}")
endmacro()

function(morvane_add_version_resource target description)
    morvane_resource_names(${target} "${description}")
    set(resource ${CMAKE_CURRENT_BINARY_DIR}/${target}.version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${resource} @ONLY)
    target_sources(${target} PRIVATE ${resource})
endfunction()

function(morvane_add_common_controls_manifest target description)
    morvane_resource_names(${target} "${description}")
    set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/CommonControls.manifest.in ${manifest} @ONLY)
    # Resource 1 of type 24 (RT_MANIFEST): the manifest the loader applies
    # when it creates the process.
    set(resource ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest.rc)
    file(CONFIGURE OUTPUT ${resource} CONTENT "1 24 \"${manifest}\"\n")
    set_source_files_properties(${resource} PROPERTIES OBJECT_DEPENDS ${manifest})
    target_sources(${target} PRIVATE ${resource})
endfunction()
