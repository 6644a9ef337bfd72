# Adds an in-process server library for the emulated activation layer: a
# shared library without the "lib" prefix that exports exactly the four
# entry points (ActivationExports.map) and hides everything else, including
# its own copy of the platform adapter.
function(morvane_add_server_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} SHARED ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES
        PREFIX ""
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        LINK_DEPENDS ${PROJECT_SOURCE_DIR}/platform/emulated/activation/ActivationExports.map)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} morvane_platform_emulated morvane_warnings)
    target_link_options(${name} PRIVATE
        -Wl,--version-script=${PROJECT_SOURCE_DIR}/platform/emulated/activation/ActivationExports.map
        -Wl,--no-undefined)
endfunction()
