# Resources of the Windows programs, compiled by windres (the toolchain's CMAKE_RC_COMPILER).
#
#   tolvane_windows_resources(<target> <original-file-name> DESCRIPTION <text> [WINDOW])
#       The icon, a version resource (OriginalFilename and FileDescription as given) and the
#       application manifest. WINDOW adds what the window needs: the string table, the list's
#       bitmaps and Common Controls 6 in the manifest.
#   tolvane_string_table_resource(<target>)
#       Only the string table, written at build time from text/string_ids.h and
#       text/string_table.cpp, so the texts have one source.
enable_language(RC)

set(tolvane_windows_resource_dir ${PROJECT_SOURCE_DIR}/resources/windows)

function(tolvane_string_table_resource target)
    set(ids ${PROJECT_SOURCE_DIR}/text/string_ids.h)
    set(table ${PROJECT_SOURCE_DIR}/text/string_table.cpp)
    set(script ${PROJECT_SOURCE_DIR}/cmake/StringTableRc.cmake)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_string_table.rc)
    add_custom_command(OUTPUT ${rc}
        COMMAND ${CMAKE_COMMAND} -DIDS=${ids} -DTABLE=${table} -DOUTPUT=${rc} -P ${script}
        DEPENDS ${ids} ${table} ${script}
        COMMENT "Writing the string table of ${target}"
        VERBATIM)
    target_sources(${target} PRIVATE ${rc})
endfunction()

function(tolvane_windows_resources target original_name)
    cmake_parse_arguments(PARSE_ARGV 2 arg "WINDOW" "DESCRIPTION" "")
    if(NOT arg_DESCRIPTION OR arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "tolvane_windows_resources(${target} ${original_name} "
                            "DESCRIPTION <text> [WINDOW])")
    endif()
    set(description ${arg_DESCRIPTION})
    set(resource_ids ${tolvane_windows_resource_dir}/resource_ids.h)
    set(dependencies "")
    if(arg_WINDOW)
        file(READ ${tolvane_windows_resource_dir}/common_controls.manifest.xml dependencies)
        set(images ${tolvane_windows_resource_dir}/window_images.rc)
        set(bitmaps unticked ticked ticked_locked unticked_locked sort_up sort_down)
        list(TRANSFORM bitmaps PREPEND ${PROJECT_SOURCE_DIR}/resources/list/)
        list(TRANSFORM bitmaps APPEND .bmp)
        # windres writes no dependency file: name what each .rc pulls in.
        set_source_files_properties(${images} PROPERTIES OBJECT_DEPENDS "${resource_ids};${bitmaps}")
        target_sources(${target} PRIVATE ${images})
        tolvane_string_table_resource(${target})
    endif()

    set(icon ${PROJECT_SOURCE_DIR}/resources/icons/tolvane.ico)
    set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_program.rc)
    configure_file(${tolvane_windows_resource_dir}/program.manifest.in ${manifest} @ONLY)
    configure_file(${tolvane_windows_resource_dir}/program.rc.in ${rc} @ONLY)
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${resource_ids};${icon};${manifest}")
    target_sources(${target} PRIVATE ${rc})
endfunction()
