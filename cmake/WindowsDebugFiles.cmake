# The shipped Windows programs carry no symbols or debug information; both stay beside each one
# in the build folder, as <name>.debug, named in the program by a GNU debuglink (its file name
# and checksum) so that gdb finds them.
#
#   tolvane_windows_debug_file(<target>)
function(tolvane_windows_debug_file target)
    set(program $<TARGET_FILE:${target}>)
    set(debug $<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>.debug)
    # objcopy stamps the files it writes with the time unless told one: the linker's 0
    # (--no-insert-timestamp), so that both files stay the same bytes in every build.
    set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY})
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${objcopy} --only-keep-debug ${program} ${debug}
        COMMAND ${objcopy} --strip-debug --strip-unneeded --add-gnu-debuglink=${debug} ${program}
        VERBATIM)
endfunction()
