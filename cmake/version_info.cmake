# Gives a program's .exe the Windows file properties (version, name) through a VERSIONINFO
# resource that the cross compiler's windres builds. Elsewhere it does nothing.
function(kalix_version_info target description)
    if(NOT WIN32)
        return()
    endif()
    set(KALIX_RC_NAME ${target})
    set(KALIX_RC_DESCRIPTION ${description})
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_info.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version_info.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
