# Gives a Windows program its resources: the icon made from the desktop
# program's picture, the manifest and a version.
function(zefir_windows_resources target description)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    set(ZEFIR_ICON ${PROJECT_BINARY_DIR}/windows/zefir.ico)
    if(NOT TARGET zefir_windows_icon)
        add_custom_command(OUTPUT ${ZEFIR_ICON}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/windows
            COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/xpm-to-ico
                    ${PROJECT_SOURCE_DIR}/ui/zefir.xpm ${ZEFIR_ICON}
            DEPENDS ${PROJECT_SOURCE_DIR}/ui/zefir.xpm ${PROJECT_SOURCE_DIR}/scripts/xpm-to-ico
            VERBATIM)
        add_custom_target(zefir_windows_icon DEPENDS ${ZEFIR_ICON})
    endif()
    set(ZEFIR_MANIFEST ${PROJECT_SOURCE_DIR}/windows/zefir.manifest)
    set(ZEFIR_PROGRAM ${target})
    set(ZEFIR_DESCRIPTION ${description})
    set(rc ${PROJECT_BINARY_DIR}/windows/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/windows/program.rc.in ${rc} @ONLY)
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${ZEFIR_ICON};${ZEFIR_MANIFEST}")
    target_sources(${target} PRIVATE ${rc})
    add_dependencies(${target} zefir_windows_icon)
endfunction()
